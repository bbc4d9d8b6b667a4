// The psychedelic RGB swap effect, driven through plugMain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "PackConventions.h"
#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

using Bytes = std::vector<uint8_t>;

// The plain form of the effect: every box of every ring is copied out into a box buffer and
// written back through the ring's byte order and offsets, one box after another. Parts of boxes
// outside the frame are neither read nor written.
class ReferenceRings {
 public:
  ReferenceRings(float density, float size)
      : densityLevel(Scaled(density, 10) & 0xFF), boxWidth(std::max(Scaled(size, 100) & 0xFF, 4)) {}

  void Render(TestFrame& frame) {
    const int w = boxWidth;
    const int h = 3 * w / 4;
    std::vector<uint8_t> buffer(static_cast<size_t>(w) * h * 3);
    int p = phase;
    phase = (phase + 1) % 6;
    for (int L = 0, c = 0; c < frame.height / 2; L += w, p = (p + 1) % 6, c += h) {
      const auto box = [&](int x, int y) {
        CopyRectOut(buffer, frame, x, y, w, h);
        WriteRectTinted(frame, buffer, x, y, w, h, p);
      };
      for (int x = L; x < frame.width - L - w; x += w) box(x, c);
      for (int y = c + h; y < frame.height - c - h; y += h) {
        box(L, y);
        box(frame.width - L - w, y);
      }
      for (int x = L; x < frame.width - L - w; x += w) box(x, frame.height - c - h);
    }
  }

 private:
  static int Scaled(float value, double factor) {
    const double product = static_cast<double>(value) * factor;
    if (std::isnan(product)) return 0;
    if (product >= 2147483647.0) return std::numeric_limits<int>::max();
    if (product <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(product);
  }

  static bool Inside(const TestFrame& frame, int x, int y) {
    return x >= 0 && y >= 0 && x < frame.width && y < frame.height;
  }

  static void CopyRectOut(std::vector<uint8_t>& buffer, const TestFrame& frame, int x, int y, int w,
                          int h) {
    for (int r = 0; r < h; ++r) {
      for (int col = 0; col < w; ++col) {
        if (!Inside(frame, x + col, y + r)) continue;
        std::memcpy(&buffer[(static_cast<size_t>(r) * w + col) * 3], frame.Pixel(x + col, y + r),
                    3);
      }
    }
  }

  static int AddClamped(int a, int b) {
    if (b > 0 && a > 255 - b) return 255;
    if (b < 0 && a < -b) return 0;
    return a + b;
  }

  void WriteRectTinted(TestFrame& frame, const std::vector<uint8_t>& buffer, int x, int y, int w,
                       int h, int p) const {
    static const int order[6][3] = {{2, 1, 0}, {2, 0, 1}, {1, 2, 0},
                                    {1, 0, 2}, {0, 2, 1}, {0, 1, 2}};
    const int K = densityLevel >= 2 ? 10 * (densityLevel - 2) : 0;
    const int offsets[6][3] = {{-(38 + K), 1, 1}, {1, 30 + K, 1},    {1, 1, -(39 + K)},
                               {-(20 + K), 1, 1}, {1, -(37 + K), 1}, {40 + K, 1, -(36 + K)}};
    for (int r = 0; r < h; ++r) {
      for (int col = 0; col < w; ++col) {
        if (!Inside(frame, x + col, y + r)) continue;
        const uint8_t* s = &buffer[(static_cast<size_t>(r) * w + col) * 3];
        uint8_t* target = frame.Pixel(x + col, y + r);
        for (int k = 0; k < 3; ++k) {
          target[k] = static_cast<uint8_t>(AddClamped(s[order[p][k]], offsets[p][k]));
        }
      }
    }
  }

  int densityLevel;
  int boxWidth;
  int phase = 0;
};

TEST(Nubrato, IdentityAndParameters) {
  PluginHost host("Nubrato");
  ExpectPackIdentity(host, "nUbT", "Nubrato", "psychedelic rgb swap");

  ExpectStandardParameters(host, {{"density", 0.1f}, {"Size", 0.32f}});

  // Indices 2 and 3 are accepted and read back although they are not registered.
  Instance instance(host, 16, 12);
  for (uint32_t index : {2u, 3u}) {
    EXPECT_EQ(host.GetParameterBits(instance.id(), index), BitsFromFloat(0.1f));
    EXPECT_EQ(instance.Set(index, 0.75f), ff::FF_SUCCESS);
    EXPECT_EQ(host.GetParameterBits(instance.id(), index), BitsFromFloat(0.75f));
  }
  EXPECT_EQ(instance.Set(4, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 4), ff::FF_FAIL);
}

TEST(Nubrato, RingsOfTheDefaultBoxesOnA320x240Frame) {
  // Grey 100 shows how often each pixel was transformed and by which ring. Once by ring k at
  // the default strength: order 0 (62, 101, 101), 1 (101, 130, 101), 2 (101, 101, 61),
  // 3 (80, 101, 101), 4 (101, 63, 101).
  const struct {
    int x, y;
    Bytes expected;
  } cases[] = {
      {0, 0, {62, 101, 101}},       // ring 0 top row
      {309, 0, {62, 101, 101}},     // its last box starts at 279
      {310, 0, {100, 100, 100}},    // the gap up to the right edge
      {319, 22, {100, 100, 100}},   //
      {319, 23, {62, 101, 101}},    // right side at 289, from row 23
      {0, 216, {62, 101, 101}},     // left side box at 207 ...
      {0, 220, {63, 102, 63}},      // ... overlapping the bottom row at 217: transformed twice
      {0, 239, {62, 101, 101}},     // bottom row
      {300, 225, {63, 102, 63}},    // right side and bottom row
      {315, 225, {62, 101, 101}},   // right side only
      {319, 239, {100, 100, 100}},  // bottom gap
      {31, 23, {101, 130, 101}},    // ring insets (31, 23) ...
      {288, 50, {101, 130, 101}},   // ... ring 1 right side at 258
      {62, 46, {101, 101, 61}},     // (62, 46)
      {93, 69, {80, 101, 101}},     // (93, 69)
      {124, 92, {101, 63, 101}},    // (124, 92)
      {124, 130, {102, 64, 64}},    // ring 4 side box and bottom row overlap
      {155, 115, {100, 100, 100}},  // the sixth ring draws nothing
  };
  PluginHost host("Nubrato");
  Instance instance(host, 320, 240);
  TestFrame frame(320, 240);
  frame.Fill(100, 100, 100);
  rand_script::Reset();
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), 0u);
  for (const auto& c : cases) {
    EXPECT_EQ(frame.PixelBytes(c.x, c.y), c.expected) << "pixel " << c.x << ", " << c.y;
  }
  EXPECT_TRUE(frame.GuardsIntact());
}

// Frames of 8 x 6 with "Size" 0.0 (boxes of 4 x 3) have one ring: boxes at (0, 0) and (0, 3).
TEST(Nubrato, ByteOrdersAndClampedOffsets) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float density;
    int order;
    Bytes source, expected;
  } cases[] = {
      // strength 0 (density 0.1)
      {0.1f, 0, {20, 100, 30}, {0, 101, 21}},
      {0.1f, 1, {20, 100, 30}, {31, 50, 101}},
      {0.1f, 2, {20, 100, 30}, {101, 31, 0}},
      {0.1f, 3, {20, 100, 30}, {80, 21, 31}},
      {0.1f, 4, {20, 100, 30}, {21, 0, 101}},
      {0.1f, 5, {20, 100, 30}, {60, 101, 0}},
      {0.1f, 0, {255, 200, 254}, {216, 201, 255}},
      {0.1f, 1, {255, 200, 254}, {255, 255, 201}},
      {0.1f, 2, {255, 200, 254}, {201, 255, 216}},
      {0.1f, 3, {255, 200, 254}, {180, 255, 255}},
      {0.1f, 4, {255, 200, 254}, {255, 217, 201}},
      {0.1f, 5, {255, 200, 254}, {255, 201, 218}},
      // strength 80 (density 1.0)
      {1.0f, 0, {20, 100, 30}, {0, 101, 21}},
      {1.0f, 1, {20, 100, 30}, {31, 130, 101}},
      {1.0f, 3, {20, 100, 30}, {0, 21, 31}},
      {1.0f, 5, {20, 100, 30}, {140, 101, 0}},
      {1.0f, 0, {255, 200, 254}, {136, 201, 255}},
      {1.0f, 2, {255, 200, 254}, {201, 255, 136}},
      {1.0f, 3, {255, 200, 254}, {100, 255, 255}},
      {1.0f, 4, {255, 200, 254}, {255, 137, 201}},
      {1.0f, 5, {255, 200, 254}, {255, 201, 138}},
      // levels 0 and 2 have strength 0 like level 1; level 3 has 10
      {0.0f, 0, {255, 200, 254}, {216, 201, 255}},
      {0.2f, 5, {20, 100, 30}, {60, 101, 0}},
      {0.3f, 0, {255, 200, 254}, {206, 201, 255}},
      {0.3f, 1, {20, 100, 30}, {31, 60, 101}},
      {0.3f, 5, {20, 100, 30}, {70, 101, 0}},
      // out of range: only the low 8 bits of the level count (-1 is 255, 256 is 0)
      {-0.1f, 0, {255, 200, 254}, {0, 201, 255}},
      {-0.1f, 5, {255, 200, 254}, {255, 201, 0}},
      {25.6f, 0, {255, 200, 254}, {216, 201, 255}},
      {nan, 5, {20, 100, 30}, {60, 101, 0}},
  };
  PluginHost host("Nubrato");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "density " << c.density << ", order " << c.order);
    Instance instance(host, 8, 6);  // the phase starts again at 0
    instance.Set(0, c.density);
    instance.Set(1, 0.0f);
    TestFrame frame(8, 6);
    for (int skipped = 0; skipped < c.order; ++skipped) instance.Process(frame.data());
    frame.Fill(7, 8, 9);
    frame.SetPixel(0, 0, c.source[0], c.source[1], c.source[2]);
    frame.SetPixel(3, 5, c.source[0], c.source[1], c.source[2]);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(frame.PixelBytes(0, 0), c.expected);
    EXPECT_EQ(frame.PixelBytes(3, 5), c.expected);
    EXPECT_EQ(frame.PixelBytes(4, 0), (Bytes{7, 8, 9}));  // right of the only box
    EXPECT_EQ(frame.PixelBytes(7, 5), (Bytes{7, 8, 9}));
  }
}

// 16 x 12 frames with boxes of 4 x 3: pixel (0, 0) shows ring 0, pixel (4, 3) ring 1.
int OrderSeenAt(const TestFrame& frame, int x, int y) {
  const Bytes byOrder[6] = {{0, 101, 21}, {31, 50, 101}, {101, 31, 0},
                            {80, 21, 31}, {21, 0, 101},  {60, 101, 0}};
  for (int order = 0; order < 6; ++order) {
    if (frame.PixelBytes(x, y) == byOrder[order]) return order;
  }
  return -1;
}

TEST(Nubrato, PhaseMovesOnWithEveryFrameOfAnyInstance) {
  PluginHost host("Nubrato", /*freshCopy=*/true);
  Instance first(host, 16, 12);
  Instance second(host, 16, 12);
  Instance thirtyTwoBit(host, 16, 12, ff::FF_DEPTH_32);
  Instance oneRow(host, 10, 1);
  for (const Instance* instance : {&first, &second}) instance->Set(1, 0.0f);

  const auto frameOf = [](const Instance& instance) {
    TestFrame frame(16, 12);
    frame.SetPixel(0, 0, 20, 100, 30);
    frame.SetPixel(4, 3, 20, 100, 30);
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    return frame;
  };
  const auto expectOrders = [](const TestFrame& frame, int outer) {
    EXPECT_EQ(OrderSeenAt(frame, 0, 0), outer);
    EXPECT_EQ(OrderSeenAt(frame, 4, 3), (outer + 1) % 6);
  };

  expectOrders(frameOf(first), 0);
  expectOrders(frameOf(first), 1);
  expectOrders(frameOf(second), 2);

  TestFrame refused(16, 12);
  EXPECT_EQ(thirtyTwoBit.Process(refused.data()), ff::FF_FAIL);  // does not move the phase

  TestFrame single = TestFrame::Random(10, 1, 4);
  const Bytes before = single.Contents();
  EXPECT_EQ(oneRow.Process(single.data()), ff::FF_SUCCESS);  // no ring, but the phase moves
  EXPECT_EQ(single.Contents(), before);

  expectOrders(frameOf(first), 4);
  expectOrders(frameOf(second), 5);
  expectOrders(frameOf(first), 0);

  Instance restarts(host, 16, 12);  // a new instance starts every instance's bands again
  expectOrders(frameOf(first), 0);
}

TEST(Nubrato, BoxesThatDoNotFitAreClipped) {
  // 20 x 100 at the default 31 x 23 boxes: no top or bottom row fits; the side boxes at rows 23,
  // 46 and 69 both cover the whole width, so rows 23 to 91 are transformed twice.
  // 1 x 200000 with boxes of 4 x 3: the same for side boxes at rows 3 to 199995; every inner
  // ring lies outside the frame.
  const struct {
    int width, height;
    float size;
    int y;
    Bytes expected;
  } cases[] = {
      {20, 100, 0.32f, 10, {100, 100, 100}},    {20, 100, 0.32f, 23, {63, 102, 63}},
      {20, 100, 0.32f, 91, {63, 102, 63}},      {20, 100, 0.32f, 92, {100, 100, 100}},
      {1, 200000, 0.0f, 2, {100, 100, 100}},    {1, 200000, 0.0f, 3, {63, 102, 63}},
      {1, 200000, 0.0f, 199997, {63, 102, 63}}, {1, 200000, 0.0f, 199998, {100, 100, 100}}};
  PluginHost host("Nubrato");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", row " << c.y);
    Instance instance(host, c.width, c.height);
    instance.Set(1, c.size);
    TestFrame frame(c.width, c.height);
    frame.Fill(100, 100, 100);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    for (int x = 0; x < c.width; ++x) EXPECT_EQ(frame.PixelBytes(x, c.y), c.expected) << x;
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

TEST(Nubrato, MatchesThePlainBoxByBoxFormFrameByFrame) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    int width, height;
  } sizes[] = {{320, 240}, {97, 61}, {61, 97}, {33, 250}, {7, 300}, {1, 50},    {250, 7},
               {5, 4},     {4, 3},   {3, 2},   {0, 9},    {9, 0},   {113, 113}, {64, 17}};
  const float densities[] = {0.0f, 0.1f, 0.55f, 1.0f, -0.1f, 3.0f, nan};
  const float boxSizes[] = {0.0f, 0.05f, 0.07f, 0.32f, 0.5f, 1.0f, 2.55f, -0.3f, infinity, nan};
  PluginHost host("Nubrato");
  uint32_t seed = 1;
  for (const auto& size : sizes) {
    for (float density : densities) {
      for (float boxSize : boxSizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height << ", density "
                                        << density << ", Size " << boxSize);
        Instance instance(host, size.width, size.height);
        instance.Set(0, density);
        instance.Set(1, boxSize);
        ReferenceRings reference(density, boxSize);
        rand_script::Reset();
        for (int frameNumber = 0; frameNumber < 3; ++frameNumber) {
          TestFrame frame = TestFrame::Random(size.width, size.height, ++seed);
          TestFrame expected = frame;
          reference.Render(expected);
          ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
          ASSERT_EQ(frame.Contents(), expected.Contents()) << "frame " << frameNumber;
          ASSERT_TRUE(frame.GuardsIntact());
        }
        EXPECT_EQ(rand_script::Calls(), 0u);
      }
    }
  }
}

}  // namespace
}  // namespace test
