// The dark-area circles effect, driven through plugMain with scripted rand() draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "FailingAllocation.h"
#include "PackConventions.h"
#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

constexpr int kAttempts = 2560;

// Painted columns of each of the 23 rows of a disc, first and last.
constexpr int kDiscRuns[23][2] = {{8, 14}, {6, 16}, {4, 18}, {3, 19}, {2, 20}, {2, 20},
                                  {1, 21}, {1, 21}, {0, 22}, {0, 22}, {0, 22}, {0, 22},
                                  {0, 22}, {0, 22}, {0, 22}, {1, 21}, {1, 21}, {2, 20},
                                  {2, 20}, {3, 19}, {4, 18}, {6, 16}, {8, 14}};

bool InsideDisc(int centreX, int centreY, int x, int y) {
  const int row = y - centreY + 11;
  const int column = x - centreX + 11;
  if (row < 0 || row > 22) return false;
  return column >= kDiscRuns[row][0] && column <= kDiscRuns[row][1];
}

// Checks that the frame shows `before` with one disc of `colour` (bytes 0, 1, 2) centred at
// (centreX, centreY); answers the number of disc pixels inside the frame.
int ExpectDiscOver(const TestFrame& frame, const TestFrame& before, int centreX, int centreY,
                   const std::vector<uint8_t>& colour) {
  int painted = 0;
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const bool inside = InsideDisc(centreX, centreY, x, y);
      painted += inside ? 1 : 0;
      EXPECT_EQ(frame.PixelBytes(x, y), inside ? colour : before.PixelBytes(x, y))
          << "pixel " << x << ", " << y;
    }
  }
  EXPECT_TRUE(frame.GuardsIntact());
  return painted;
}

// One pass per frame: "Value" 0.0 gives a single disc search.
constexpr float kOnePass = 0.0f;

TEST(Ostrin, IdentityAndParameters) {
  PluginHost host("Ostrin");
  ExpectPackIdentity(host, "oStN", "Ostral", "draw circles on dark area");

  ExpectStandardParameters(host, {{"Value", 0.1f}, {"threshold", 0.16f}});

  Instance instance(host, 40, 40);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.1f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), BitsFromFloat(0.16f));
  EXPECT_EQ(instance.Set(1, 0.7f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), BitsFromFloat(0.7f));
  EXPECT_EQ(instance.Set(2, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 2), ff::FF_FAIL);
  EXPECT_STREQ(host.ParameterDisplay(instance.id(), 0), "0.100000");
}

TEST(Ostrin, StampsTheDiscAtTheDrawnCentreInTheDrawnColour) {
  PluginHost host("Ostrin");
  Instance instance(host, 40, 40);
  instance.Set(0, kOnePass);
  TestFrame frame(40, 40);
  const TestFrame before = frame;
  rand_script::Reset();
  // x = 1000 % 15 + 12 = 22, y = 7 % 15 + 12 = 19; colour bytes 2, 1, 0 = 200, 129, 255.
  rand_script::Push({1000, 7, 200, 129, 383});
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), 5u);
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_EQ(ExpectDiscOver(frame, before, 22, 19, {255, 129, 200}), 421);
}

// A white frame with one dark pixel at (26, 13); the search meets it after `brightAttempts`
// attempts at the white (12, 12).
TEST(Ostrin, SearchStopsAtItsLastAttempt) {
  const struct {
    int brightAttempts;
    bool found;
  } cases[] = {{kAttempts - 1, true}, {kAttempts, false}};
  PluginHost host("Ostrin");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.brightAttempts << " bright attempts");
    Instance instance(host, 40, 40);
    instance.Set(0, kOnePass);
    TestFrame frame(40, 40);
    frame.Fill(255, 255, 255);
    frame.SetPixel(26, 13, 10, 10, 10);
    const TestFrame before = frame;
    rand_script::Reset();
    std::vector<int> draws;
    for (int attempt = 0; attempt < c.brightAttempts; ++attempt) draws.insert(draws.end(), {0, 0});
    draws.insert(draws.end(), {14, 1, 0, 128, 256});  // (26, 13), colour (128, 128, 128)
    rand_script::Push(draws);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    if (c.found) {
      EXPECT_EQ(rand_script::Calls(), 2u * kAttempts + 3);
      EXPECT_EQ(rand_script::Pending(), 0u);
      ExpectDiscOver(frame, before, 26, 13, {128, 128, 128});
    } else {
      EXPECT_EQ(rand_script::Calls(), 2u * kAttempts);
      EXPECT_EQ(rand_script::Pending(), 5u);
      EXPECT_EQ(frame.Contents(), before.Contents());
    }
  }
}

TEST(Ostrin, PictureWithoutDarkPixelsCostsEveryAttemptOfEveryPass) {
  PluginHost host("Ostrin");
  Instance instance(host, 64, 48);  // defaults: 25 passes
  TestFrame frame(64, 48);
  frame.Fill(200, 220, 240);
  const std::vector<uint8_t> before = frame.Contents();
  rand_script::Reset();
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), 25u * 2 * kAttempts);
  EXPECT_EQ(frame.Contents(), before);
}

TEST(Ostrin, LaterSearchesSeeDiscsAlreadyPainted) {
  PluginHost host("Ostrin");
  Instance instance(host, 50, 50);
  instance.Set(0, 2.0f / 256);  // two passes
  TestFrame frame(50, 50);
  rand_script::Reset();
  rand_script::Push({2, 2, 0, 0, 0,           // disc at (14, 14) in (128, 128, 128): half-mean 64
                     2, 2,                    // (14, 14) again: no longer dark under the default 40
                     18, 2, 127, 127, 127});  // disc at (30, 14) in white
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), 12u);
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_EQ(frame.PixelBytes(14, 14), (std::vector<uint8_t>{128, 128, 128}));
  EXPECT_EQ(frame.PixelBytes(30, 14), (std::vector<uint8_t>{255, 255, 255}));
  // In both discs: the later one wins.
  EXPECT_EQ(frame.PixelBytes(22, 14), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(frame.PixelBytes(8, 14), (std::vector<uint8_t>{128, 128, 128}));
}

struct DarknessCase {
  float threshold;
  uint8_t b0, b1, b2;
  bool dark;
};

TEST(Ostrin, DarknessIsHalfTheMeanAgainstTheThreshold) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const DarknessCase cases[] = {
      {0.16f, 81, 82, 82, true},   // sum 245: half-mean 40, the default limit
      {0.16f, 82, 82, 82, false},  // sum 246: 41
      {0.1f, 55, 50, 50, true},    // limit 25
      {0.1f, 52, 52, 52, false},  {0.0f, 5, 0, 0, true},        // limit 0: sums up to 5
      {0.0f, 0, 6, 0, false},     {0.5f, 255, 255, 255, true},  // limit 127: everything
      {-0.01f, 0, 0, 0, false},                                 // limit -2: nothing
      {nan, 0, 0, 5, true},                                     // as 0
      {nan, 2, 2, 2, false},      {infinity, 255, 255, 255, true}, {-infinity, 0, 0, 0, false},
  };
  PluginHost host("Ostrin");
  for (const DarknessCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "threshold " << c.threshold << ", pixel " << int{c.b0} << " "
                                    << int{c.b1} << " " << int{c.b2});
    Instance instance(host, 30, 30);
    instance.Set(0, kOnePass);
    instance.Set(1, c.threshold);
    TestFrame frame(30, 30);
    frame.Fill(c.b0, c.b1, c.b2);
    rand_script::Reset();
    rand_script::Push({0, 0, 0, 0, 0});  // first attempt at (12, 12), colour (128, 128, 128)
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    if (c.dark) {
      EXPECT_EQ(rand_script::Calls(), 5u);
      EXPECT_EQ(frame.PixelBytes(12, 12), (std::vector<uint8_t>{128, 128, 128}));
    } else {
      EXPECT_EQ(rand_script::Calls(), 2u * kAttempts);
      EXPECT_EQ(frame.PixelBytes(12, 12), (std::vector<uint8_t>{c.b0, c.b1, c.b2}));
    }
  }
}

TEST(Ostrin, ValueSetsThePassesPerFrame) {
  const struct {
    float value;
    size_t passes;
  } cases[] = {{0.0f, 1},    {0.01f, 2},   {0.1f, 25},
               {0.5f, 128},  {0.7f, 179},  {1.0f, 256},
               {2.0f, 512},  {-3.0f, 1},   {std::numeric_limits<float>::quiet_NaN(), 1},
               {4.0f, 1024}, {5.0f, 1024}, {std::numeric_limits<float>::infinity(), 1024}};
  PluginHost host("Ostrin");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Value " << c.value);
    Instance instance(host, 40, 30);
    instance.Set(0, c.value);
    instance.Set(1, 0.5f);  // every pixel dark: one attempt per pass
    TestFrame frame = TestFrame::Random(40, 30, 7);
    rand_script::Reset();
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 5 * c.passes);
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

// The effect sample by sample, reading every sampled pixel from the frame.
void LiteralCircles(TestFrame& frame, int passes, int darkLimit) {
  const int width = frame.width, height = frame.height;
  if (width < 26 || height < 26) return;
  for (int pass = 0; pass < passes; ++pass) {
    int x = 0, y = 0;
    bool found = false;
    for (int attempt = 0; attempt < kAttempts && !found; ++attempt) {
      x = std::rand() % (width - 25) + 12;
      y = std::rand() % (height - 25) + 12;
      const uint8_t* pixel = frame.Pixel(x, y);
      found = (pixel[0] + pixel[1] + pixel[2]) / 6 <= darkLimit;
    }
    if (!found) continue;
    const auto byte2 = static_cast<uint8_t>(128 + std::rand() % 128);
    const auto byte1 = static_cast<uint8_t>(128 + std::rand() % 128);
    const auto byte0 = static_cast<uint8_t>(128 + std::rand() % 128);
    for (int py = y - 11; py <= y + 11; ++py) {
      for (int px = x - 11; px <= x + 11; ++px) {
        if (InsideDisc(x, y, px, py)) frame.SetPixel(px, py, byte0, byte1, byte2);
      }
    }
  }
}

// Bright pictures with a few dark pixels make searches long enough for the effect to keep a
// map of the dark pixels; with high thresholds some discs count as dark themselves, so the map
// must follow every stamp.
TEST(Ostrin, LongSearchesMatchTheLiteralEffect) {
  const struct {
    float threshold;
    int darkLimit;
  } thresholds[] = {{0.0f, 0}, {0.2f, 51}, {0.27f, 68}, {0.3f, 76}, {0.35f, 89}};
  PluginHost host("Ostrin");
  uint32_t seed = 1;
  for (const auto& t : thresholds) {
    for (const auto& size : {std::pair<int, int>{80, 60}, {27, 203}, {131, 29}}) {
      SCOPED_TRACE(testing::Message()
                   << "threshold " << t.threshold << ", " << size.first << " x " << size.second);
      Instance instance(host, size.first, size.second);
      instance.Set(0, 1.0f);  // 256 passes
      instance.Set(1, t.threshold);
      TestFrame frame(size.first, size.second);
      frame.Fill(250, 252, 254);
      for (int i = 0; i < 4; ++i) {
        frame.SetPixel(static_cast<int>(seed * 7 + i * 13) % size.first,
                       static_cast<int>(seed * 5 + i * 11) % size.second, 0, 0, 0);
      }
      TestFrame expected = frame;
      rand_script::Reset(++seed);
      ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
      const std::size_t draws = rand_script::Calls();
      EXPECT_GT(draws, 2u * 16384);
      rand_script::Reset(seed);
      LiteralCircles(expected, 256, t.darkLimit);
      EXPECT_EQ(rand_script::Calls(), draws);
      EXPECT_EQ(frame.Contents(), expected.Contents());
      EXPECT_TRUE(frame.GuardsIntact());
    }
  }
}

// Seven passes that find nothing take more samples than a frame makes before the effect keeps a
// map of the dark pixels; a disc stamped after that, dark itself under a high threshold, must be
// found by the next search as the frame shows it.
TEST(Ostrin, ADiscStampedAfterManySamplesIsFoundWhereItLies) {
  PluginHost host("Ostrin");
  Instance instance(host, 60, 60);
  instance.Set(0, 9.0f / 256);  // nine passes
  instance.Set(1, 0.45f);       // limit 114: a disc of (128, 128, 128) is dark
  TestFrame frame(60, 60);
  frame.Fill(250, 250, 250);
  frame.SetPixel(30, 30, 0, 0, 0);
  std::vector<int> draws(7u * 2 * kAttempts, 0);    // pixel (12, 12), bright, every time
  for (const int draw : {18, 18, 0, 0, 0,           // (30, 30): a disc of (128, 128, 128)
                         19, 18, 127, 127, 127}) {  // (31, 30), inside it: a white disc
    draws.push_back(draw);
  }
  rand_script::Reset();
  rand_script::Push(draws);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), draws.size());
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_EQ(frame.PixelBytes(31, 30), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(frame.PixelBytes(19, 30), (std::vector<uint8_t>{128, 128, 128}));
}

// The map of dark pixels only saves time: without the memory for it the searches read the frame,
// and the frame call succeeds with the same picture and the same draws.
TEST(Ostrin, WithoutMemoryForTheDarkMapTheSearchesReadTheFrame) {
  PluginHost host("Ostrin");
  Instance instance(host, 90, 70);
  instance.Set(0, 1.0f);
  instance.Set(1, 0.0f);
  TestFrame input(90, 70);
  input.Fill(240, 240, 240);
  input.SetPixel(40, 30, 1, 1, 1);
  TestFrame withMap = input, withoutMap = input;
  rand_script::Reset(3);
  ASSERT_EQ(instance.Process(withMap.data()), ff::FF_SUCCESS);
  const std::size_t draws = rand_script::Calls();
  ASSERT_GT(draws, 2u * 16384);
  rand_script::Reset(3);
  failing_allocation::FailNext();
  ASSERT_EQ(instance.Process(withoutMap.data()), ff::FF_SUCCESS);
  EXPECT_EQ(failing_allocation::Pending(), 0u) << "the map was never asked for";
  EXPECT_EQ(rand_script::Calls(), draws);
  EXPECT_EQ(withoutMap.Contents(), withMap.Contents());
  EXPECT_NE(withMap.Contents(), input.Contents());
}

TEST(Ostrin, SmallestFrameCentresEveryDiscOnItsMiddleColumn) {
  PluginHost host("Ostrin");
  Instance instance(host, 26, 40);
  instance.Set(0, kOnePass);
  TestFrame frame(26, 40);
  const TestFrame before = frame;
  rand_script::Reset();
  rand_script::Push({31337, 3, 0, 0, 0});  // x = 31337 % 1 + 12 = 12, y = 15
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_EQ(ExpectDiscOver(frame, before, 12, 15, {128, 128, 128}), 421);  // columns 1 to 23
}

TEST(Ostrin, FramesTooSmallForADiscAreLeftAloneWithoutDraws) {
  const struct {
    int width, height;
  } sizes[] = {{25, 40}, {40, 25}, {25, 25}, {1, 1}, {0, 0}, {0, 40}, {40, 0}, {1, 1000}};
  PluginHost host("Ostrin");
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    Instance instance(host, size.width, size.height);
    instance.Set(1, 0.5f);  // every pixel would be dark
    TestFrame frame = TestFrame::Random(size.width, size.height, 3);
    const std::vector<uint8_t> before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 0u);
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

TEST(Ostrin, OtherFrameFormatsFailUntouched) {
  PluginHost host("Ostrin");
  for (uint32_t depth : {ff::FF_DEPTH_16, ff::FF_DEPTH_32}) {
    Instance instance(host, 40, 40, depth);
    instance.Set(1, 0.5f);
    TestFrame frame = TestFrame::Random(40, 40, 5);
    const std::vector<uint8_t> before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
    EXPECT_EQ(rand_script::Calls(), 0u);
    EXPECT_EQ(frame.Contents(), before);
  }
}

}  // namespace
}  // namespace test
