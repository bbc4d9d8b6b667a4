// The in-place pixel tint: the vector path against the pixel-by-pixel path and a plain reference.
#include "PixelTint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

#include "RectOps.h"

namespace {

using ff::PixelTint;

uint8_t Reference(uint8_t source, int32_t offset) {
  return static_cast<uint8_t>(std::clamp<int64_t>(int64_t{source} + offset, 0, 255));
}

TEST(PixelTint, AddClampedKeepsToAByte) {
  const struct {
    int32_t a, b, expected;
  } cases[] = {{255, 1, 255},
               {254, 1, 255},
               {10, -38, 0},
               {38, -38, 0},
               {39, -38, 1},
               {20, 0, 20},
               {0, 255, 255},
               {255, -255, 0},
               {100, 2530, 255},
               {100, -2530, 0},
               {7, std::numeric_limits<int32_t>::max(), 255},
               {7, std::numeric_limits<int32_t>::min(), 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ff::AddClamped(c.a, c.b), c.expected) << c.a << " + " << c.b;
  }
}

TEST(PixelTint, ReordersAndOffsetsEachPixel) {
  const int32_t offsets[3] = {-38, 1, 1};
  const PixelTint tint(ff::kByteOrders[0], offsets);
  std::vector<uint8_t> pixels = {20, 100, 30, 255, 200, 254};
  tint.Apply(pixels.data(), 2);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{0, 101, 21, 216, 201, 255}));
}

// Runs of every length up to a few groups, several rows apart with untouched bytes between them,
// the last row ending exactly at the end of its allocation.
TEST(PixelTint, EveryPathMatchesThePlainReference) {
  std::mt19937 generator(42);
  std::uniform_int_distribution<int32_t> smallOffset(-300, 300);
  const int32_t extremes[] = {0,
                              255,
                              -255,
                              256,
                              -256,
                              std::numeric_limits<int32_t>::max(),
                              std::numeric_limits<int32_t>::min()};
  for (int trial = 0; trial < 400; ++trial) {
    const int order = trial % 6;
    int32_t offsets[3];
    for (int32_t& offset : offsets) {
      offset = generator() % 4 == 0 ? extremes[generator() % 7] : smallOffset(generator);
    }
    const std::size_t count = generator() % 70;
    const std::size_t rows = 1 + generator() % 4;
    const std::size_t stride = count * 3 + generator() % 20;
    const std::size_t bytes = stride * (rows - 1) + count * 3;
    std::vector<uint8_t> original(bytes);
    for (uint8_t& byte : original) byte = static_cast<uint8_t>(generator());

    std::vector<uint8_t> expected = original;
    for (std::size_t row = 0; row < rows; ++row) {
      for (std::size_t i = 0; i < count; ++i) {
        uint8_t* pixel = &expected[row * stride + i * 3];
        const uint8_t source[3] = {pixel[0], pixel[1], pixel[2]};
        for (int k = 0; k < 3; ++k) {
          pixel[k] = Reference(source[ff::kByteOrders[order][k]], offsets[k]);
        }
      }
    }

    const PixelTint tint(ff::kByteOrders[order], offsets);
    std::vector<uint8_t> fast = original;
    tint.Apply(fast.data(), count, rows, static_cast<std::ptrdiff_t>(stride));
    std::vector<uint8_t> portable = original;
    tint.ApplyPortable(portable.data(), count, rows, static_cast<std::ptrdiff_t>(stride));
    SCOPED_TRACE(testing::Message()
                 << "order " << order << ", " << count << " pixels x " << rows << ", offsets "
                 << offsets[0] << " " << offsets[1] << " " << offsets[2]);
    ASSERT_EQ(fast, expected);
    ASSERT_EQ(portable, expected);
  }
}

}  // namespace
