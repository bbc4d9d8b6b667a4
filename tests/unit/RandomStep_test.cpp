// RandomStep: one rand() call, mapped onto -n to -1 and 1 to n with the middle draw made +1.
#include "RandomStep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "ScriptedRand.h"

namespace {

TEST(RandomStep, MapsEachDrawWithExactlyOneCall) {
  const struct {
    int32_t reach;
    int draw;
    int32_t step;
  } kCases[] = {
      // Reach 3 spreads draws over 7 values, -3 to 3, with 0 made +1.
      {3, 0, -3},
      {3, 1, -2},
      {3, 2, -1},
      {3, 3, 1},
      {3, 4, 1},
      {3, 5, 2},
      {3, 6, 3},
      {3, 7, -3},
      {3, 32767, -3},  // 32767 = 7 * 4681
      // Reach 1: -1 for one draw in three, +1 for the other two.
      {1, 0, -1},
      {1, 1, 1},
      {1, 2, 1},
      {1, 5, 1},
      {1, 6, -1},
      // Reach 0, or below: always +1, still drawing.
      {0, 0, 1},
      {0, 12345, 1},
      {-4, 9, 1},
      {INT32_MIN, 2147483647, 1},
      // The widest reach (2n + 1 needs 64 bits): the largest rand() value lands on the middle.
      {INT32_MAX, 0, -INT32_MAX},
      {INT32_MAX, 2147483646, -1},
      {INT32_MAX, 2147483647, 1},
  };
  for (const auto& c : kCases) {
    rand_script::Reset();
    rand_script::Push({c.draw});
    EXPECT_EQ(ff::RandomStep(c.reach), c.step) << "reach " << c.reach << " draw " << c.draw;
    EXPECT_EQ(rand_script::Calls(), 1u);
  }
}

TEST(RandomStep, NeverZeroAndWithinReach) {
  rand_script::Reset(3);
  for (int32_t reach = 0; reach <= 20; ++reach) {
    for (int i = 0; i < 200; ++i) {
      const int32_t step = ff::RandomStep(reach);
      EXPECT_NE(step, 0);
      EXPECT_LE(step, std::max(reach, 1));
      EXPECT_GE(step, -reach);
    }
  }
}

}  // namespace
