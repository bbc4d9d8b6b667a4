#include "RowBands.h"

#include <algorithm>

namespace ff {

RowBand LineBand(int32_t row, bool reachesUp, int32_t height) {
  if (reachesUp) return {0, std::min(row, height - 1)};
  return {std::max(row, 0), height - 1};
}

int32_t MoveLineRow(int32_t row, int32_t step, int32_t height) {
  // In 64 bits: a stored row near the 32-bit end must not overflow when it moves.
  int64_t moved = int64_t{row} + step;
  if (moved < 0) moved = height - 1;
  if (moved >= height) moved = 0;
  return static_cast<int32_t>(moved);
}

}  // namespace ff
