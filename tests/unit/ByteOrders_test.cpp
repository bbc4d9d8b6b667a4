// Byte orders applied to runs of pixels in place, and two orders combined into one.
#include "ByteOrders.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using Bytes = std::array<int, 3>;

// The pixel (10, 20, 30) after each order, -1 and 6 leave it alone.
const struct {
  int32_t order;
  Bytes pixel;
} kOrders[] = {{0, {30, 20, 10}}, {1, {30, 10, 20}}, {2, {20, 30, 10}},  {3, {20, 10, 30}},
               {4, {10, 30, 20}}, {5, {10, 20, 30}}, {-1, {10, 20, 30}}, {6, {10, 20, 30}}};

// Runs of every length up to three shuffled blocks of 16 pixels and a tail, with distinct bytes
// per pixel, and guard bytes on both sides that must stay.
TEST(ByteOrders, ReorderPixelsRewritesEveryPixelOfTheRunAndNothingElse) {
  constexpr int kGuard = 7;
  std::mt19937 generator(5);
  for (const auto& order : kOrders) {
    for (int count = 0; count <= 53; ++count) {
      SCOPED_TRACE(testing::Message() << "order " << order.order << ", " << count << " pixels");
      std::vector<uint8_t> memory(static_cast<std::size_t>(count) * 3 + 2 * kGuard);
      for (uint8_t& byte : memory) byte = static_cast<uint8_t>(generator());
      const std::vector<uint8_t> before = memory;
      ff::ReorderPixels(memory.data() + kGuard, count, order.order);
      for (int i = 0; i < kGuard; ++i) {
        EXPECT_EQ(memory[i], before[i]);
        EXPECT_EQ(memory[memory.size() - 1 - i], before[before.size() - 1 - i]);
      }
      for (int p = 0; p < count; ++p) {
        const uint8_t* was = &before[kGuard + p * 3];
        const uint8_t* now = &memory[kGuard + p * 3];
        // Express the expected pixel through the picture of (10, 20, 30): 10 stands for byte 0.
        for (int k = 0; k < 3; ++k) {
          ASSERT_EQ(now[k], was[order.pixel[k] / 10 - 1]) << "pixel " << p << " byte " << k;
        }
      }
    }
  }
}

// Applying two orders one after the other does what their combination does in one go.
TEST(ByteOrders, ThenReorderCombinesTwoOrdersIntoOne) {
  for (int32_t first = 0; first < 6; ++first) {
    for (int32_t next = -1; next <= 6; ++next) {
      SCOPED_TRACE(testing::Message() << first << " then " << next);
      uint8_t twice[3] = {10, 20, 30};
      ff::ReorderPixels(twice, 1, first);
      ff::ReorderPixels(twice, 1, next);
      uint8_t once[3] = {10, 20, 30};
      ff::ReorderPixels(once, 1, ff::ThenReorder(first, next));
      EXPECT_EQ(Bytes({once[0], once[1], once[2]}), Bytes({twice[0], twice[1], twice[2]}));
    }
  }
  EXPECT_EQ(ff::ThenReorder(0, 0), ff::kKeepOrder);  // two swaps of bytes 0 and 2 cancel
  EXPECT_EQ(ff::ThenReorder(1, 2), ff::kKeepOrder);  // one place up, then one place down
  EXPECT_EQ(ff::ThenReorder(1, 1), 2);               // up twice is down once
}

}  // namespace
