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

// The bands of one frame call in line order, each with the operation its line applies (a shift,
// a byte order). Every row between two band edges gets the same sequence of operations, so an
// effect can work that sequence out once per group of rows instead of once per row and line.
class BandPlan {
 public:
  // Bands beyond kMaxRowBands are ignored.
  void Add(const RowBand& band, int32_t operation) {
    if (count == kMaxRowBands) return;
    bands[count] = band;
    operations[count] = operation;
    ++count;
  }

  // Calls visit(first, end, operations, operationCount) for each run of rows [first, end) of a
  // frame of `height` rows that no band starts or ends inside, top to bottom, with the operations
  // of the bands that cover it in line order. Runs no band covers get no operations.
  template <class Visit>
  void ForEachRowGroup(int32_t height, Visit visit) const {
    std::array<int32_t, 2 * kMaxRowBands + 2> edges;
    int32_t edgeCount = 0;
    edges[edgeCount++] = 0;
    edges[edgeCount++] = height;
    for (int32_t i = 0; i < count; ++i) {
      if (bands[i].Empty()) continue;
      edges[edgeCount++] = bands[i].first;
      edges[edgeCount++] = bands[i].last + 1;
    }
    std::sort(edges.begin(), edges.begin() + edgeCount);
    std::array<int32_t, kMaxRowBands> groupOperations;
    for (int32_t e = 0; e + 1 < edgeCount; ++e) {
      const int32_t first = edges[e];
      if (first == edges[e + 1]) continue;
      int32_t operationCount = 0;
      for (int32_t i = 0; i < count; ++i) {
        if (bands[i].Contains(first)) groupOperations[operationCount++] = operations[i];
      }
      visit(first, edges[e + 1], groupOperations.data(), operationCount);
    }
  }

 private:
  std::array<RowBand, kMaxRowBands> bands;
  std::array<int32_t, kMaxRowBands> operations;
  int32_t count = 0;
};

// Walks lines 0 to count - 1 of a line table in index order, as one frame call does: a line whose
// `started` is 0 starts first (start(line) draws its fields), then its band goes into the plan
// with its operation and it moves by its step. A line whose step is exactly -1 reaches up from
// its row; any other reaches down. `height` must be at least 1.
template <class Line, class Start>
void WalkLines(Line* lines, int32_t count, int32_t height, int32_t Line::*step,
               int32_t Line::*operation, Start start, BandPlan& plan) {
  for (int32_t i = 0; i < count; ++i) {
    Line& line = lines[i];
    if (line.started == 0) start(line);
    const int32_t lineStep = line.*step;
    plan.Add(LineBand(line.row, lineStep == -1, height), line.*operation);
    line.row = MoveLineRow(line.row, lineStep, height);
  }
}

}  // namespace ff
