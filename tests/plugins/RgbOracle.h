// Expected pictures of the box effects: boxes rewritten through the written-out permutation
// table, apart from the toolkit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ArrangementTables.h"
#include "TestFrame.h"

namespace test {

// Rewrites every pixel of the rectangle that lies inside the frame with rewrite(pixel bytes).
template <class Rewrite>
void RewriteRect(TestFrame& frame, int x, int y, int w, int h, Rewrite rewrite) {
  for (int row = std::max(y, 0); row < std::min(y + h, frame.height); ++row) {
    for (int column = std::max(x, 0); column < std::min(x + w, frame.width); ++column) {
      uint8_t* pixel = frame.Pixel(column, row);
      const Bytes3 out = rewrite(pixel);
      for (int k = 0; k < 3; ++k) pixel[k] = out[k];
    }
  }
}

// A square box of a box effect, with the permutation it is written through.
struct PermutedBox {
  int left, top, side, permutation;
};

// The input with each box rewritten in turn (later boxes see what earlier ones wrote), every
// byte the permutation places at a position of `halved` divided by 2.
inline TestFrame WithBoxes(const TestFrame& input, const std::vector<PermutedBox>& boxes,
                           Halved halved = {}) {
  TestFrame frame = input;
  for (const PermutedBox& box : boxes) {
    RewriteRect(frame, box.left, box.top, box.side, box.side,
                [&](const uint8_t* pixel) { return Permuted(pixel, box.permutation, halved); });
  }
  return frame;
}

// "Value" floats that give a box effect exactly n boxes (n / 256 is exact in a float).
inline float Boxes(int n) {
  return static_cast<float>(n) / 256.0f;
}

}  // namespace test
