// The line RGB replace effect, driven through plugMain with scripted rand() draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

using Pixel = std::vector<int>;
using Rows = std::vector<Pixel>;

// The bytes every pixel of the row holds, or {} when the pixels of the row differ. Frames filled
// with one pixel stay uniform per row, since every line rewrites whole rows.
Pixel RowPixel(const TestFrame& frame, int y) {
  const std::vector<uint8_t> first = frame.PixelBytes(0, y);
  for (int x = 1; x < frame.width; ++x) {
    if (frame.PixelBytes(x, y) != first) return {};
  }
  return {first[0], first[1], first[2]};
}

Rows AllRowPixels(const TestFrame& frame) {
  Rows rows;
  for (int y = 0; y < frame.height; ++y) rows.push_back(RowPixel(frame, y));
  return rows;
}

TestFrame UniformFrame(int width, int height) {
  TestFrame frame(width, height);
  frame.Fill(10, 20, 30);
  return frame;
}

// "Value" that gives exactly this many lines (the low 8 bits of Value x 256).
float ValueFor(int lineCount) {
  return static_cast<float>((lineCount + 0.5) / 256.0);
}

// Runs one frame with exactly these draws.
void RunFrame(const Instance& instance, TestFrame& frame, const std::vector<int>& draws) {
  rand_script::Reset();
  rand_script::Push(draws);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), draws.size());
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_TRUE(frame.GuardsIntact());
}

// The pixel (10, 20, 30) under each byte order.
const Pixel kOriginal = {10, 20, 30};
const Pixel kOrder0 = {30, 20, 10};
const Pixel kOrder1 = {30, 10, 20};
const Pixel kOrder3 = {20, 10, 30};

TEST(Sarrowind, IdentityAndParameter) {
  PluginHost host("Sarrowind");
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "sWnd", 4), 0);
  const uint8_t expectedName[16] = {'S', 'a', 'r', 'r', 'o', 'w', 'i', 'n', 'd'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
  EXPECT_EQ(info->PluginType, 0u);
  const ff::PluginExtendedInfoStruct* extended = host.ExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_STREQ(extended->Description, "RGB of each line is replaced");
  EXPECT_STREQ(extended->About, "Q.V");
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);

  EXPECT_EQ(host.NumParameters(), 1u);
  EXPECT_EQ(host.ParameterName(0), "Value");
  EXPECT_EQ(host.ParameterDefaultBits(0), BitsFromFloat(0.1f));
  EXPECT_EQ(host.ParameterType(0), ff::FF_TYPE_STANDARD);
  EXPECT_EQ(host.ParameterName(1), "");
  EXPECT_EQ(host.Caps(ff::FF_CAP_24BITVIDEO), 1u);
  EXPECT_EQ(host.Caps(ff::FF_CAP_32BITVIDEO), 0u);
  EXPECT_EQ(host.Caps(ff::FF_CAP_PROCESSFRAMECOPY), 0u);

  Instance instance(host, 2, 2);
  EXPECT_EQ(instance.Set(0, 0.3f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.3f));
  EXPECT_EQ(instance.Set(1, 0.3f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), ff::FF_FAIL);
}

// A line's four draws: one unused, direction (odd: down), row, byte order.
TEST(Sarrowind, LineMovingDownRewritesFromItsRowAndWrapsToRowZero) {
  PluginHost host("Sarrowind", true);
  Instance instance(host, 3, 4);
  instance.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(3, 4);

  RunFrame(instance, frame, {12345, 1, 2, 0});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, kOriginal, kOrder0, kOrder0}));
  // On the last row the band is that row alone.
  RunFrame(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, kOriginal, kOrder0, kOriginal}));
  // Past the last row the line starts again at row 0: the whole frame.
  RunFrame(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOrder0, kOrder0, kOriginal, kOrder0}));
}

TEST(Sarrowind, LineMovingUpRewritesDownToItsRowAndWrapsToTheLastRow) {
  PluginHost host("Sarrowind", true);
  Instance instance(host, 3, 4);
  instance.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(3, 4);

  RunFrame(instance, frame, {7, 0, 1, 1});  // up, row 1, order 1
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOrder1, kOrder1, kOriginal, kOriginal}));
  RunFrame(instance, frame, {});
  const Pixel twice = {20, 30, 10};
  EXPECT_EQ(AllRowPixels(frame), (Rows{twice, kOrder1, kOriginal, kOriginal}));
  // From row 0 the line jumps to the last row: the whole frame.
  RunFrame(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, twice, kOrder1, kOrder1}));
}

// Line 0 rewrites rows 1 to 3, line 1 rows 0 to 2; the overlap gets line 0's order first.
TEST(Sarrowind, OverlappingBandsApplyTheirOrdersInLineOrder) {
  const struct {
    const char* name;
    std::vector<int> draws;
    Rows rows;
  } cases[] = {
      {"order 1 then order 3",
       {0, 1, 1, 1, 0, 0, 2, 3},
       {kOrder3, {10, 30, 20}, {10, 30, 20}, kOrder1}},
      {"two swaps of bytes 0 and 2 cancel",
       {0, 1, 1, 0, 0, 0, 2, 0},
       {kOrder0, kOriginal, kOriginal, kOrder0}},
      {"order 5 keeps its band",
       {0, 1, 1, 5, 0, 0, 2, 5},
       {kOriginal, kOriginal, kOriginal, kOriginal}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHost host("Sarrowind", true);
    Instance instance(host, 5, 4);
    instance.Set(0, ValueFor(2));
    TestFrame frame = UniformFrame(5, 4);
    RunFrame(instance, frame, c.draws);
    EXPECT_EQ(AllRowPixels(frame), c.rows);
  }
}

// lineCount is the low 8 bits of Value x 256; fresh lines draw four times each.
TEST(Sarrowind, ValueSetsTheNumberOfLines) {
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    std::size_t lines;
  } cases[] = {
      {0.0f, 0},      {0.1f, 25},  {0.5f, 128},  {0.7f, 179},        {0.99f, 253},
      {1.0f, 0},      {1.5f, 128}, {-0.1f, 231}, {std::nanf(""), 0}, {infinity, 255},
      {-infinity, 0}, {-1e10f, 0}, {1e10f, 255},
  };
  PluginHost host("Sarrowind", true);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Value " << c.value);
    Instance instance(host, 4, 6);
    ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
    TestFrame frame = TestFrame::Random(4, 6, 8);
    rand_script::Reset();
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 4 * c.lines);
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

TEST(Sarrowind, NoLinesLeaveFrameAndLinesAlone) {
  PluginHost host("Sarrowind", true);
  Instance instance(host, 2, 5);
  instance.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(2, 5);
  RunFrame(instance, frame, {0, 1, 2, 0});  // down, row 2, order 0
  const Rows afterFirst = {kOriginal, kOriginal, kOrder0, kOrder0, kOrder0};
  EXPECT_EQ(AllRowPixels(frame), afterFirst);
  for (float none : {0.0f, 1.0f}) {
    instance.Set(0, none);
    RunFrame(instance, frame, {});
    EXPECT_EQ(AllRowPixels(frame), afterFirst);
  }
  // One move took the line to row 3.
  instance.Set(0, ValueFor(1));
  RunFrame(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, kOriginal, kOrder0, kOriginal, kOriginal}));
}

TEST(Sarrowind, MakingAnyInstanceRestartsTheLinesOfEveryInstance) {
  PluginHost host("Sarrowind", true);
  Instance first(host, 2, 2);
  first.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(2, 2);
  RunFrame(first, frame, {0, 1, 0, 5});
  RunFrame(first, frame, {});
  { Instance other(host, 9, 9); }
  RunFrame(first, frame, {0, 1, 0, 5});
  host.DeInitialise();
  ASSERT_EQ(host.Initialise(), ff::FF_SUCCESS);
  RunFrame(first, frame, {0, 1, 0, 5});
}

// Rows stored by an instance with a taller frame: a band reaching up stops at the short
// frame's last row, a band reaching down is empty, and both lines come back at row 0.
TEST(Sarrowind, RowOfATallerFrameStaysInsideAShorterOne) {
  PluginHost host("Sarrowind", true);
  Instance tall(host, 2, 10);
  Instance shortOne(host, 2, 4);
  tall.Set(0, ValueFor(2));
  shortOne.Set(0, ValueFor(2));
  TestFrame tallFrame = UniformFrame(2, 10);
  // Line 0: up, row 8, order 0 (now on row 7). Line 1: down, row 7, order 1 (now on row 8).
  RunFrame(tall, tallFrame, {0, 0, 8, 0, 0, 1, 7, 1});

  TestFrame frame = UniformFrame(2, 4);
  RunFrame(shortOne, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows(4, kOrder0)));
  RunFrame(shortOne, frame, {});
  const Pixel order0ThenOrder1 = {10, 30, 20};
  EXPECT_EQ(AllRowPixels(frame),
            (Rows{kOrder1, order0ThenOrder1, order0ThenOrder1, order0ThenOrder1}));
}

TEST(Sarrowind, FramesWithoutRowsOrColumnsAndRefusedFrames) {
  PluginHost host("Sarrowind", true);
  const int sizes[][2] = {{0, 0}, {6, 0}, {0, 6}, {1, 1}, {1, 7}, {7, 1}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
    Instance instance(host, static_cast<uint32_t>(size[0]), static_cast<uint32_t>(size[1]));
    instance.Set(0, 0.99f);
    TestFrame frame = TestFrame::Random(size[0], size[1], 4);
    rand_script::Reset(9);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_TRUE(frame.GuardsIntact());
    // Without rows no line can be placed, so none starts.
    EXPECT_EQ(rand_script::Calls(), size[1] == 0 ? 0u : 4u * 253u);
  }

  for (uint32_t depth : {ff::FF_DEPTH_16, ff::FF_DEPTH_32}) {
    Instance instance(host, 3, 3, depth);
    TestFrame frame = TestFrame::Random(3, 3, 5);
    const std::vector<uint8_t> before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_EQ(rand_script::Calls(), 0u);
  }
  Instance instance(host, 3, 3);
  EXPECT_EQ(instance.Process(nullptr), ff::FF_FAIL);
}

// The effect as its line table and frame walk are meant to work, line by line and pixel by
// pixel, written out with the byte orders spelled as the bytes they pick.
class ReferenceLineRgbReplace {
 public:
  void Restart() {
    for (Line& line : lines) line.started = 0;
  }

  void Render(TestFrame& frame, int lineCount) {
    if (frame.height == 0) return;
    for (int i = 0; i < lineCount; ++i) {
      Line& line = lines[i];
      if (line.started == 0) {
        line.started = 1;
        std::rand();
        line.direction = std::rand() % 2 == 1 ? 1 : -1;
        line.row = std::rand() % frame.height;
        line.mode = std::rand() % 6;
      }
      const bool up = line.direction == -1;
      const int top = up ? 0 : line.row;
      const int bottom = up ? std::min(line.row, frame.height - 1) : frame.height - 1;
      for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < frame.width; ++x) Reorder(frame.Pixel(x, y), line.mode);
      }
      line.row += line.direction;
      if (line.row < 0) line.row = frame.height - 1;
      if (line.row >= frame.height) line.row = 0;
    }
  }

 private:
  static void Reorder(uint8_t* p, int mode) {
    const uint8_t b0 = p[0], b1 = p[1], b2 = p[2];
    switch (mode) {
      case 0:
        p[0] = b2, p[1] = b1, p[2] = b0;
        break;
      case 1:
        p[0] = b2, p[1] = b0, p[2] = b1;
        break;
      case 2:
        p[0] = b1, p[1] = b2, p[2] = b0;
        break;
      case 3:
        p[0] = b1, p[1] = b0, p[2] = b2;
        break;
      case 4:
        p[0] = b0, p[1] = b2, p[2] = b1;
        break;
      default:
        break;
    }
  }

  struct Line {
    int started = 0, direction = 0, mode = 0, row = 0;
  };
  std::array<Line, 256> lines{};
};

// Instances of several geometries share the lines while "Value" changes and instances come and
// go; every frame must match the reference byte for byte and draw for draw.
TEST(Sarrowind, MatchesTheReferenceFrameByFrame) {
  const int widths[] = {0, 1, 2, 3, 5, 16, 31, 64};
  const int heights[] = {0, 1, 2, 4, 9, 16, 47};
  const int lineCounts[] = {0, 1, 2, 5, 25, 128, 255};

  for (uint32_t scenario = 0; scenario < 12; ++scenario) {
    PluginHost host("Sarrowind", true);
    ReferenceLineRgbReplace reference;
    std::mt19937 generator(scenario + 100);
    auto choose = [&generator](const auto& options) {
      return options[generator() % std::size(options)];
    };
    struct Client {
      std::unique_ptr<Instance> instance;
      int width, height, lineCount;
    };
    std::vector<Client> clients;
    auto addClient = [&] {
      const int width = choose(widths), height = choose(heights);
      clients.push_back({std::make_unique<Instance>(host, width, height), width, height, 25});
      reference.Restart();
    };
    addClient();
    for (uint32_t step = 0; step < 150; ++step) {
      Client& client = clients[generator() % clients.size()];
      switch (generator() % 10) {
        case 0:
          addClient();
          break;
        case 1:
          if (clients.size() > 1) clients.erase(clients.begin());
          break;
        case 2:
        case 3:
          client.lineCount = choose(lineCounts);
          client.instance->Set(0, ValueFor(client.lineCount));
          break;
        default: {
          SCOPED_TRACE(testing::Message() << "scenario " << scenario << " step " << step << " "
                                          << client.width << "x" << client.height);
          const uint32_t seed = 7000 + scenario * 1000 + step;
          TestFrame frame = TestFrame::Random(client.width, client.height, seed);
          TestFrame expected = frame;
          rand_script::Reset(seed);
          ASSERT_EQ(client.instance->Process(frame.data()), ff::FF_SUCCESS);
          const std::size_t draws = rand_script::Calls();
          rand_script::Reset(seed);
          reference.Render(expected, client.lineCount);
          ASSERT_EQ(draws, rand_script::Calls());
          ASSERT_EQ(frame.Contents(), expected.Contents());
          ASSERT_TRUE(frame.GuardsIntact());
        }
      }
    }
  }
}

}  // namespace
}  // namespace test
