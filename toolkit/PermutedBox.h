// Square boxes that the box effects place by their centre and recolour in place through a
// PixelPermutation.
#pragma once

#include <cstdint>

#include "Frame.h"
#include "ParameterScaling.h"
#include "RectOps.h"

namespace ff {

// Box numbers of the box effects run 0 to 255, as many as the low 8 bits of a "Value" count.
constexpr int32_t kBoxSlotCount = 256;

inline int32_t BoxCountFromValue(float value) {
  return LowByte(ScaleParameter(value, kBoxSlotCount));
}

// The HalvingCode that a "col" parameter selects.
inline int32_t HalvingCodeFromCol(float col) {
  return LowByte(ScaleParameter(col, 10));
}

// Brings a box centre into half + 1 to frameSide - half - 1 with two strict tests, the upper
// bound first. In a frame too small for the box the lower bound wins, and the box then reaches
// past the far edge, where the rectangle operations clip it. Answers how many of the two tests
// moved the centre (0, 1 or 2).
inline int ClampBoxCentre(int32_t& centre, int32_t frameSide, int32_t half) {
  int moved = 0;
  if (centre > frameSide - half - 1) {
    centre = frameSide - half - 1;
    ++moved;
  }
  if (centre < half + 1) {
    centre = half + 1;
    ++moved;
  }
  return moved;
}

// Copies the side x side box at (left, top) into the buffer and writes it back to the same place
// through the permutation and halving code (codes 8 and 9 draw rand() here).
inline void PermuteBoxInPlace(const Frame& frame, uint8_t* buffer, int32_t left, int32_t top,
                              int32_t side, int32_t permutation, int32_t halvingCode) {
  CopyRectOut(buffer, frame, left, top, side, side);
  WriteRectPermuted(frame, buffer, left, top, side, side, permutation, halvingCode);
}

}  // namespace ff
