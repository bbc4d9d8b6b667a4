// Frame comparison that names the first pixel that differs, instead of printing whole frames.
#pragma once

#include <gtest/gtest.h>

#include "TestFrame.h"

namespace test {

inline testing::AssertionResult SameFrame(const TestFrame& actual, const TestFrame& expected) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return testing::AssertionFailure() << "frames of " << actual.width << " x " << actual.height
                                       << " and " << expected.width << " x " << expected.height;
  }
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      const uint8_t* a = actual.Pixel(x, y);
      const uint8_t* e = expected.Pixel(x, y);
      if (a[0] != e[0] || a[1] != e[1] || a[2] != e[2]) {
        return testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is (" << +a[0] << ", " << +a[1] << ", " << +a[2]
               << "), expected (" << +e[0] << ", " << +e[1] << ", " << +e[2] << ")";
      }
    }
  }
  return testing::AssertionSuccess();
}

}  // namespace test
