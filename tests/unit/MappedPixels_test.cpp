// The compiled channel mode writes against the mode table, pixel by pixel.
#include "MappedPixels.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ArrangementTables.h"
#include "RectOps.h"
#include "TestFrame.h"

namespace {

std::vector<uint8_t> RandomBytes(std::size_t count, std::mt19937& generator) {
  std::vector<uint8_t> bytes(count);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
  return bytes;
}

std::vector<uint8_t> MappedByTable(const std::vector<uint8_t>& target,
                                   const std::vector<uint8_t>& source, int32_t pixels,
                                   uint32_t mode) {
  std::vector<uint8_t> expected = target;
  for (int32_t i = 0; i < pixels; ++i)
    test::MapPixelByTable(&expected[i * 3], &source[i * 3], mode);
  return expected;
}

// Runs of every length up to a few blocks of 32 pixels, with a guard pixel after the run.
TEST(MapPixels, MatchesTheModeTable) {
  std::mt19937 generator(5);
  for (uint32_t mode = 0; mode < 22; ++mode) {
    for (int32_t pixels = 0; pixels <= 100; ++pixels) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << ", " << pixels << " pixels");
      const std::size_t bytes = static_cast<std::size_t>(pixels) * 3;
      const std::vector<uint8_t> source = RandomBytes(bytes, generator);
      std::vector<uint8_t> target = RandomBytes(bytes + 3, generator);
      std::vector<uint8_t> expected = MappedByTable(target, source, pixels, mode);
      ff::MapPixels(target.data(), source.data(), pixels, mode);
      EXPECT_EQ(target, expected);

      std::vector<uint8_t> inPlace = source;
      inPlace.resize(bytes + 3, 0xC3);
      const std::vector<uint8_t> expectedInPlace = MappedByTable(inPlace, inPlace, pixels, mode);
      ff::MapPixels(inPlace.data(), inPlace.data(), pixels, mode);
      EXPECT_EQ(inPlace, expectedInPlace);
    }
  }
}

// Rewriting a rectangle in place equals copying it out and writing it back through the mode,
// also for rectangles that reach past the frame.
TEST(MapPixels, RectInPlaceEqualsCopyOutAndWriteBack) {
  std::mt19937 generator(9);
  for (int run = 0; run < 400; ++run) {
    const int32_t width = static_cast<int32_t>(generator() % 23);
    const int32_t height = static_cast<int32_t>(generator() % 9);
    const int32_t x = static_cast<int32_t>(generator() % 30) - 5;
    const int32_t y = static_cast<int32_t>(generator() % 12) - 3;
    const int32_t w = static_cast<int32_t>(generator() % 26) - 2;
    const int32_t h = static_cast<int32_t>(generator() % 10) - 2;
    const uint32_t mode = static_cast<uint32_t>(generator() % 20);
    SCOPED_TRACE(testing::Message() << width << " x " << height << ", rect " << x << ", " << y
                                    << ", " << w << " x " << h << ", mode " << mode);
    std::vector<uint8_t> pixels =
        RandomBytes(static_cast<std::size_t>(width) * height * 3, generator);
    std::vector<uint8_t> expected = pixels;
    const ff::Frame expectedFrame{expected.data(), width, height};
    for (int32_t r = 0; r < h; ++r) {
      for (int32_t c = 0; c < w; ++c) {
        const int32_t px = x + c, py = y + r;
        if (px < 0 || py < 0 || px >= width || py >= height) continue;
        uint8_t* pixel = expectedFrame.PixelAt(px, py);
        test::MapPixelByTable(pixel, pixel, mode);
      }
    }
    std::vector<uint8_t> copied = pixels;
    const ff::Frame copiedFrame{copied.data(), width, height};
    std::vector<uint8_t> buffer(static_cast<std::size_t>(std::max(w, 0)) * std::max(h, 0) * 3 + 1);
    ff::CopyRectOut(buffer.data(), copiedFrame, x, y, w, h);
    ff::WriteRectMapped(copiedFrame, buffer.data(), x, y, w, h, mode);
    EXPECT_EQ(copied, expected);

    const ff::Frame frame{pixels.data(), width, height};
    ff::MapRectInPlace(frame, x, y, w, h, mode);
    EXPECT_EQ(pixels, expected);
  }
}

// Written out by hand from the mode table for pixel (10, 20, 30), and (255, 1, 200) for the
// halvings of 255 and 1.
TEST(MapRectInPlace, RearrangesAndHalvesAsTheModeSays) {
  const struct {
    uint32_t mode;
    uint8_t out[3];
  } cases[] = {
      {0, {30, 20, 10}},  {1, {30, 10, 20}},  {2, {20, 30, 10}},  {3, {20, 10, 30}},
      {4, {10, 30, 20}},  {5, {10, 20, 30}},  {6, {30, 20, 5}},   {7, {30, 10, 10}},
      {8, {20, 30, 5}},   {9, {20, 5, 30}},   {10, {10, 15, 20}}, {11, {10, 10, 30}},
      {12, {15, 20, 10}}, {13, {15, 10, 20}}, {14, {10, 30, 10}}, {15, {20, 10, 30}},
      {16, {10, 30, 20}}, {17, {10, 20, 30}}, {18, {10, 20, 30}}, {0xFFFFFFFFu, {10, 20, 30}},
  };
  for (const auto& c : cases) {
    test::TestFrame frame(1, 1);
    frame.SetPixel(0, 0, 10, 20, 30);
    ff::MapRectInPlace(ff::Frame{frame.data(), 1, 1}, 0, 0, 1, 1, c.mode);
    EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{c.out[0], c.out[1], c.out[2]}))
        << "mode " << c.mode;
  }
  test::TestFrame frame(1, 1);
  frame.SetPixel(0, 0, 255, 1, 200);
  ff::MapRectInPlace(ff::Frame{frame.data(), 1, 1}, 0, 0, 1, 1, 12);  // s2/2, s1, s0
  EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{100, 1, 255}));
  ff::MapRectInPlace(ff::Frame{frame.data(), 1, 1}, 0, 0, 1, 1, 9);  // s1, s0/2, s2
  EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{1, 50, 255}));
}

}  // namespace
