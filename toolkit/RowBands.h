// Effects that work on bands of whole rows along moving lines. A line's band runs from its row
// down to the last row, or, for a line that reaches up, from row 0 down to its row. The line
// tables are shared by every instance of a plug-in, so a row stored for one frame geometry can
// reach an instance with fewer rows: bands are clipped to the frame in hand.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace ff {

// Rows first to last, both inclusive; empty when first > last.
struct RowBand {
  int32_t first = 0;
  int32_t last = -1;

  bool Empty() const { return first > last; }
  bool Contains(int32_t y) const { return first <= y && y <= last; }
};

// The band of a line at `row` in a frame of `height` rows, inside the frame.
RowBand LineBand(int32_t row, bool reachesUp, int32_t height);

// The row of a line after it moves by `step`: a line that passes row 0 jumps to the last row,
// one that passes the last row jumps to row 0. `height` must be at least 1.
int32_t MoveLineRow(int32_t row, int32_t step, int32_t height);

// The most bands a frame walks: one per entry of a 256-entry line table.
constexpr int32_t kMaxRowBands = 256;

// Calls visit(first, end) for each run of rows [first, end), top to bottom, that no band starts or
// ends inside: every band covers such a run entirely or not at all, so all its rows get the same
// sequence of operations. Rows of the frame outside every band are visited as well.
template <class Visit>
void ForEachRowGroup(const RowBand* bands, int32_t count, int32_t height, Visit visit) {
  std::array<int32_t, 2 * kMaxRowBands + 2> edges;
  int32_t edgeCount = 0;
  edges[edgeCount++] = 0;
  edges[edgeCount++] = height;
  for (int32_t i = 0; i < std::min(count, kMaxRowBands); ++i) {
    if (bands[i].Empty()) continue;
    edges[edgeCount++] = bands[i].first;
    edges[edgeCount++] = bands[i].last + 1;
  }
  std::sort(edges.begin(), edges.begin() + edgeCount);
  for (int32_t i = 0; i + 1 < edgeCount; ++i) {
    if (edges[i] < edges[i + 1]) visit(edges[i], edges[i + 1]);
  }
}

}  // namespace ff
