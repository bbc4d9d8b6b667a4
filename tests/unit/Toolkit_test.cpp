// The frame toolkit: rectangle copies, the mapped and permuted writes, pixel access, RandomStep.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ArrangementTables.h"
#include "Pixel.h"
#include "RandomStep.h"
#include "RectOps.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace ff {
namespace {

using Bytes = std::vector<uint8_t>;

Frame View(test::TestFrame& frame) {
  return Frame{frame.data(), frame.width, frame.height};
}

// One output byte of a table row: a source byte, halved or not.
struct Term {
  int source;
  bool halved;
};
constexpr Term s0{0, false}, s1{1, false}, s2{2, false}, h0{0, true}, h1{1, true}, h2{2, true};

Bytes Apply(const Term (&row)[3], const Bytes& source) {
  Bytes out(3);
  for (int k = 0; k < 3; ++k) {
    out[k] = static_cast<uint8_t>(source[row[k].source] / (row[k].halved ? 2 : 1));
  }
  return out;
}

// The ChannelMode table, byte 0, byte 1, byte 2 of the written pixel.
const Term kModeTable[18][3] = {
    {s2, s1, s0}, {s2, s0, s1}, {s1, s2, s0}, {s1, s0, s2}, {s0, s2, s1}, {s0, s1, s2},
    {s2, s1, h0}, {s2, s0, h1}, {s1, s2, h0}, {s1, h0, s2}, {s0, h2, s1}, {s0, h1, s2},
    {h2, s1, s0}, {h2, s0, s1}, {h1, s2, s0}, {s1, s0, s2}, {s0, s2, s1}, {s0, s1, s2}};

// Writes the one-pixel buffer `source` over a frame pixel that holds `background`.
Bytes WriteOnePixel(const Bytes& source, const Bytes& background, uint32_t mode, bool blank) {
  test::TestFrame frame(1, 1);
  frame.SetPixel(0, 0, background[0], background[1], background[2]);
  if (blank) {
    WriteRectMappedBlank(View(frame), source.data(), 0, 0, 1, 1, mode);
  } else {
    WriteRectMapped(View(frame), source.data(), 0, 0, 1, 1, mode);
  }
  return frame.PixelBytes(0, 0);
}

TEST(ChannelModes, EveryModeOfBothWritesFollowsTheTable) {
  const Bytes source{201, 103, 255};
  const Bytes background{7, 8, 9};
  for (uint32_t mode = 0; mode < 18; ++mode) {
    for (bool blank : {false, true}) {
      EXPECT_EQ(WriteOnePixel(source, background, mode, blank), Apply(kModeTable[mode], source))
          << "mode " << mode << (blank ? " (blank write)" : "");
    }
  }
  EXPECT_EQ(WriteOnePixel(source, background, 18, false), background);
  EXPECT_EQ(WriteOnePixel(source, background, 18, true), (Bytes{0, 0, 0}));
  for (uint32_t mode : {19u, 255u, 0xFFFFFFFFu}) {
    EXPECT_EQ(WriteOnePixel(source, background, mode, false), background) << mode;
    EXPECT_EQ(WriteOnePixel(source, background, mode, true), background) << mode;
  }
}

TEST(ChannelModes, WorkedExamples) {
  const Bytes pixel{10, 20, 30};
  EXPECT_EQ(WriteOnePixel(pixel, pixel, 0, false), (Bytes{30, 20, 10}));
  EXPECT_EQ(WriteOnePixel(pixel, pixel, 6, false), (Bytes{30, 20, 5}));
  EXPECT_EQ(WriteOnePixel(pixel, pixel, 9, false), (Bytes{20, 5, 30}));
  EXPECT_EQ(WriteOnePixel(pixel, pixel, 14, false), (Bytes{10, 30, 10}));
  EXPECT_EQ(WriteOnePixel({255, 0, 1}, pixel, 12, false), (Bytes{0, 0, 255}));
  EXPECT_EQ(WriteOnePixel({1, 0, 255}, pixel, 12, false), (Bytes{127, 0, 1}));
}

TEST(RectCopies, CopyOutAndWriteBackUnchangedLeavesTheFrame) {
  test::TestFrame frame = test::TestFrame::Random(11, 7, 1);
  const Bytes before = frame.Contents();
  for (uint32_t mode : {5u, 17u}) {
    std::vector<uint8_t> buffer(6 * 4 * 3);
    CopyRectOut(buffer.data(), View(frame), 5, 3, 6, 4);  // touches the right edge
    WriteRectMapped(View(frame), buffer.data(), 5, 3, 6, 4, mode);
    EXPECT_EQ(frame.Contents(), before) << "mode " << mode;
  }
  EXPECT_TRUE(frame.GuardsIntact());
}

TEST(RectCopies, EmptyRectanglesTouchNeitherFrameNorBuffer) {
  test::TestFrame frame = test::TestFrame::Random(4, 4, 2);
  const Bytes before = frame.Contents();
  std::vector<uint8_t> buffer(48, 0xAB);
  for (const auto& size : {std::pair<int, int>{0, 3}, {3, 0}, {-2, 3}, {3, -1}}) {
    CopyRectOut(buffer.data(), View(frame), 1, 1, size.first, size.second);
    CopyRectIn(View(frame), buffer.data(), 1, 1, size.first, size.second);
    WriteRectMapped(View(frame), buffer.data(), 1, 1, size.first, size.second, 0);
    WriteRectMappedBlank(View(frame), buffer.data(), 1, 1, size.first, size.second, 18);
  }
  EXPECT_EQ(frame.Contents(), before);
  EXPECT_EQ(buffer, std::vector<uint8_t>(48, 0xAB));
}

TEST(RectCopies, AWriteElsewhereMovesRearrangedPixelsAndKeepsTheSource) {
  test::TestFrame frame = test::TestFrame::Random(8, 6, 3);
  const test::TestFrame original = frame;
  std::vector<uint8_t> buffer(3 * 2 * 3);
  CopyRectOut(buffer.data(), View(frame), 0, 0, 3, 2);
  WriteRectMapped(View(frame), buffer.data(), 4, 3, 3, 2, 0);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool target = x >= 4 && x < 7 && y >= 3 && y < 5;
      const Bytes expected = target ? Apply(kModeTable[0], original.PixelBytes(x - 4, y - 3))
                                    : original.PixelBytes(x, y);
      EXPECT_EQ(frame.PixelBytes(x, y), expected) << x << "," << y;
    }
  }
}

TEST(RectCopies, CopyInIsTheInverseOfCopyOut) {
  test::TestFrame frame = test::TestFrame::Random(9, 5, 4);
  const test::TestFrame original = frame;
  std::vector<uint8_t> buffer(4 * 2 * 3);
  CopyRectOut(buffer.data(), View(frame), 5, 3, 4, 2);
  CopyRectIn(View(frame), buffer.data(), 0, 0, 4, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(frame.PixelBytes(x, y), original.PixelBytes(x + 5, y + 3));
  }
  EXPECT_EQ(frame.PixelBytes(4, 0), original.PixelBytes(4, 0));
}

// Rectangles that reach past the frame are clipped: the part inside is read and written at the
// places the full rectangle gives it, nothing outside is touched.
TEST(RectCopies, RectanglesLeavingTheFrameAreClipped) {
  const struct {
    int x, y, w, h;
  } rects[] = {{-2, -1, 4, 3}, {5, 4, 4, 4},   {-3, 2, 20, 2},           {2, -10, 2, 30},
               {7, 0, 5, 5},   {-5, -5, 3, 3}, {INT32_MAX - 1, 0, 5, 1}, {0, INT32_MIN, 2, 2}};
  for (const auto& r : rects) {
    test::TestFrame frame = test::TestFrame::Random(7, 6, 5);
    const test::TestFrame original = frame;
    std::vector<uint8_t> buffer(static_cast<std::size_t>(r.w) * r.h * 3, 0);
    CopyRectOut(buffer.data(), View(frame), r.x, r.y, r.w, r.h);
    WriteRectMapped(View(frame), buffer.data(), r.x, r.y, r.w, r.h, 0);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 7; ++x) {
        const bool inside = int64_t{x} >= r.x && int64_t{x} < int64_t{r.x} + r.w &&
                            int64_t{y} >= r.y && int64_t{y} < int64_t{r.y} + r.h;
        const Bytes expected =
            inside ? Apply(kModeTable[0], original.PixelBytes(x, y)) : original.PixelBytes(x, y);
        ASSERT_EQ(frame.PixelBytes(x, y), expected) << "rect at " << r.x << "," << r.y;
      }
    }
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

// A rectangle moved within the frame through a mode: every pixel of the target where both it and
// its source lie inside the frame takes the source pixel as it was before the move (through the
// mode), however the two overlap; nothing else changes.
TEST(RectCopies, AMoveWithinTheFrameEqualsCopyingOutFirst) {
  std::mt19937 generator(31);
  for (int run = 0; run < 3000; ++run) {
    const int width = 1 + static_cast<int>(generator() % 40);
    const int height = 1 + static_cast<int>(generator() % 12);
    const auto coordinate = [&generator](int side) {
      return static_cast<int32_t>(generator() % static_cast<uint32_t>(side + 8)) - 4;
    };
    const int32_t fromX = coordinate(width), fromY = coordinate(height);
    // Most targets near the source, so that the two overlap in every way.
    const bool near = generator() % 4 != 0;
    const int32_t x = near ? fromX + static_cast<int32_t>(generator() % 9) - 4 : coordinate(width);
    const int32_t y = near ? fromY + static_cast<int32_t>(generator() % 5) - 2 : coordinate(height);
    const int32_t w = static_cast<int32_t>(generator() % static_cast<uint32_t>(width + 3));
    const int32_t h = static_cast<int32_t>(generator() % static_cast<uint32_t>(height + 3));
    const uint32_t mode = static_cast<uint32_t>(generator() % 20);
    SCOPED_TRACE(testing::Message()
                 << width << " x " << height << ", " << w << " x " << h << " from " << fromX << ","
                 << fromY << " to " << x << "," << y << ", mode " << mode);
    test::TestFrame frame = test::TestFrame::Random(width, height, static_cast<uint32_t>(run));
    test::TestFrame expected = frame;
    const auto inside = [&](int64_t px, int64_t py) {
      return px >= 0 && py >= 0 && px < width && py < height;
    };
    for (int32_t r = 0; r < h; ++r) {
      for (int32_t c = 0; c < w; ++c) {
        if (!inside(fromX + c, fromY + r) || !inside(x + c, y + r)) continue;
        test::MapPixelByTable(expected.Pixel(x + c, y + r), frame.Pixel(fromX + c, fromY + r),
                              mode);
      }
    }
    std::vector<uint8_t> row(static_cast<std::size_t>(std::max(w, 1)) * 3);
    MoveRectMapped(View(frame), row.data(), fromX, fromY, x, y, w, h, mode);
    ASSERT_EQ(frame.Contents(), expected.Contents());
    ASSERT_TRUE(frame.GuardsIntact());
  }
}

// The permutation table; halving applies to positions of the written pixel.
const Term kPermutations[6][3] = {{s2, s1, s0}, {s2, s0, s1}, {s1, s2, s0},
                                  {s1, s0, s2}, {s0, s2, s1}, {s0, s1, s2}};

Bytes HalvedAt(Bytes pixel, bool byte0, bool byte1, bool byte2) {
  if (byte0) pixel[0] /= 2;
  if (byte1) pixel[1] /= 2;
  if (byte2) pixel[2] /= 2;
  return pixel;
}

Bytes WritePermutedPixel(const Bytes& source, const Bytes& background, int32_t permutation,
                         int32_t code, int w = 1, int h = 1) {
  test::TestFrame frame(1, 1);
  frame.SetPixel(0, 0, background[0], background[1], background[2]);
  WriteRectPermuted(View(frame), source.data(), 0, 0, w, h, permutation, code);
  return frame.PixelBytes(0, 0);
}

TEST(PermutedWrite, EveryPermutationWithEveryFixedHalvingCode) {
  const Bytes source{201, 103, 255};
  const Bytes background{7, 8, 9};
  const struct {
    int32_t code;
    bool byte0, byte1, byte2;
  } codes[] = {{0, 0, 0, 0},  {1, 0, 0, 0},  {2, 0, 0, 1},   {3, 1, 0, 0},
               {4, 0, 1, 0},  {5, 1, 0, 1},  {6, 1, 1, 0},   {7, 0, 1, 1},
               {10, 1, 1, 1}, {11, 0, 0, 0}, {255, 0, 0, 0}, {-1, 0, 0, 0}};
  rand_script::Reset();
  for (int32_t permutation = 0; permutation < 6; ++permutation) {
    const Bytes ordered = Apply(kPermutations[permutation], source);
    for (const auto& c : codes) {
      EXPECT_EQ(WritePermutedPixel(source, background, permutation, c.code),
                HalvedAt(ordered, c.byte0, c.byte1, c.byte2))
          << "permutation " << permutation << ", code " << c.code;
    }
  }
  for (int32_t permutation : {6, -1, 100}) {
    EXPECT_EQ(WritePermutedPixel(source, background, permutation, 10), background);
  }
  EXPECT_EQ(rand_script::Calls(), 0u);
}

TEST(PermutedWrite, WorkedExamples) {
  EXPECT_EQ(WritePermutedPixel({10, 20, 30}, {0, 0, 0}, 0, 0), (Bytes{30, 20, 10}));
  EXPECT_EQ(WritePermutedPixel({200, 100, 51}, {0, 0, 0}, 5, 10), (Bytes{100, 50, 25}));
  EXPECT_EQ(WritePermutedPixel({10, 20, 31}, {0, 0, 0}, 2, 2), (Bytes{20, 31, 5}));
}

TEST(PermutedWrite, CodeEightDrawsThePermutationOncePerCall) {
  const Bytes source{1, 2, 3};
  rand_script::Reset();
  rand_script::Push({15});  // 15 % 6 = 3
  EXPECT_EQ(WritePermutedPixel(source, {0, 0, 0}, 6, 8), Apply(kPermutations[3], source))
      << "a drawn permutation replaces even an invalid one";
  rand_script::Push({4});
  test::TestFrame frame = test::TestFrame::Random(3, 2, 6);
  const test::TestFrame original = frame;
  std::vector<uint8_t> buffer(3 * 2 * 3);
  CopyRectOut(buffer.data(), View(frame), 0, 0, 3, 2);
  WriteRectPermuted(View(frame), buffer.data(), 0, 0, 3, 2, 0, 8);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(frame.PixelBytes(x, y), Apply(kPermutations[4], original.PixelBytes(x, y)));
  EXPECT_EQ(rand_script::Calls(), 2u);
  EXPECT_EQ(rand_script::Pending(), 0u);
}

TEST(PermutedWrite, CodeNineDrawsThreeTimesAndHalvesTheOddOnes) {
  const Bytes source{200, 100, 50};
  rand_script::Reset();
  rand_script::Push({3, 8, 32767});
  EXPECT_EQ(WritePermutedPixel(source, {0, 0, 0}, 5, 9), (Bytes{100, 100, 25}));
  rand_script::Push({2, 4, 6});
  EXPECT_EQ(WritePermutedPixel(source, {0, 0, 0}, 5, 9), source) << "all even: nothing halved";
  EXPECT_EQ(rand_script::Calls(), 6u);
}

TEST(PermutedWrite, EmptyRectanglesStillDraw) {
  rand_script::Reset();
  const Bytes background{1, 2, 3};
  EXPECT_EQ(WritePermutedPixel({9, 9, 9}, background, 0, 8, 0, 1), background);
  EXPECT_EQ(WritePermutedPixel({9, 9, 9}, background, 0, 9, 1, 0), background);
  EXPECT_EQ(rand_script::Calls(), 4u);
}

TEST(Pixels, GetAndPutListBytesFromTheLast) {
  test::TestFrame frame(3, 2);
  frame.SetPixel(2, 1, 10, 20, 30);
  uint8_t b2, b1, b0;
  GetPixel(View(frame), 2, 1, b2, b1, b0);
  EXPECT_EQ(b2, 30);
  EXPECT_EQ(b1, 20);
  EXPECT_EQ(b0, 10);
  PutPixel(View(frame), 0, 0, 1, 2, 3);
  EXPECT_EQ(frame.PixelBytes(0, 0), (Bytes{3, 2, 1}));
  PutPixel(View(frame), 3, 0, 1, 2, 3);
  PutPixel(View(frame), -1, 1, 1, 2, 3);
  GetPixel(View(frame), 0, 2, b2, b1, b0);
  EXPECT_EQ(b2 + b1 + b0, 0) << "outside the frame reads black";
  EXPECT_TRUE(frame.GuardsIntact());
}

TEST(RandomStepTest, OneDrawPerStepAndNeverZero) {
  const struct {
    int32_t n;
    int draw;
    int32_t step;
  } cases[] = {{3, 0, -3},
               {3, 2, -1},
               {3, 3, 1},
               {3, 4, 1},
               {3, 6, 3},
               {3, 13, 3},
               {1, 0, -1},
               {1, 1, 1},
               {1, 2, 1},
               {0, 0, 1},
               {0, 32767, 1},
               {-4, 5, 1},
               {INT32_MAX, 0, -INT32_MAX}};
  for (const auto& c : cases) {
    rand_script::Reset();
    rand_script::Push({c.draw});
    EXPECT_EQ(RandomStep(c.n), c.step) << "n " << c.n << ", draw " << c.draw;
    EXPECT_EQ(rand_script::Calls(), 1u);
  }
}

}  // namespace
}  // namespace ff
