#include "FixedModulo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

TEST(FixedModulo, AgreesWithTheRemainderOperatorForEveryKindOfNumber) {
  std::mt19937 generator(3);
  const int32_t divisors[] = {1, 2, 3, 6, 7, 11, 1895, 1055, 32767, 32768, 65535, 1 << 30, INT32_MAX};
  for (int32_t divisor : divisors) {
    const ff::FixedModulo modulo(divisor);
    for (int32_t n : {0, 1, divisor - 1, divisor, 32767, INT32_MAX, -1, -divisor, INT32_MIN}) {
      EXPECT_EQ(modulo.Of(n), n % divisor) << n << " % " << divisor;
    }
    for (int i = 0; i < 20000; ++i) {
      const auto n = static_cast<int32_t>(generator());
      ASSERT_EQ(modulo.Of(n), n % divisor) << n << " % " << divisor;
    }
  }
}

}  // namespace
