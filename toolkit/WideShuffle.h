// Byte arrangements written 32 pixels at a time with AVX2, where the processor has it. Every
// arrangement that moves bytes within a pixel and halves some of them has a place in one table.
#pragma once

#include <cstdint>

#include "RectOps.h"

namespace ff {

// The arrangement's place in the table, or -1 when it shifts a byte by more than one bit.
constexpr int32_t WideShuffleIndex(const ByteArrangement& arrangement) {
  int32_t halvings = 0;
  for (int32_t k = 0; k < 3; ++k) {
    if (arrangement.shift[k] > 1) return -1;
    halvings |= arrangement.shift[k] << k;
  }
  for (int32_t order = 0; order < 6; ++order) {
    if (kByteOrders[order][0] == arrangement.source[0] &&
        kByteOrders[order][1] == arrangement.source[1] &&
        kByteOrders[order][2] == arrangement.source[2]) {
      return order * 8 + halvings;
    }
  }
  return -1;
}

// Writes `pixels` source pixels to the target through the arrangement at `index`, in whole
// blocks of 32 pixels while two more source bytes follow a block, and answers the pixels done:
// 0 for an index of -1 or without AVX2. The source may be the target itself, but must not
// overlap it otherwise.
int32_t ArrangeWideBlocks(uint8_t* target, const uint8_t* source, int32_t pixels, int32_t index);

}  // namespace ff
