// Scanline gap: up to 255 gap lines tear the picture sideways. Every frame each line shifts the
// rows from its own row to the last row (or, for a line climbing by exactly one row, from row 0
// to its own row) by its shift, then moves up by its velocity. Where bands overlap the shifts
// add up. "Amount" sets the number of lines, "Range" the largest shift, "Speed" the velocities.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RowBands.h"
#include "ScratchBuffer.h"

namespace ff {

namespace {

struct GapLine {
  int32_t started;
  // A pixel at column x takes the pixel from column x + shift.
  int32_t shift;
  // Never positive: a line stays or climbs toward row 0.
  int32_t velocity;
  int32_t row;
};

// Shared by every instance of the plug-in; any construction restarts all lines.
GapLine gapLines[256];

// Columns [first, first + length) of a row take the pixels of columns [source, source + length).
struct ColumnRun {
  int32_t first;
  int32_t length;
  int32_t source;
};

// Where the pixels of a row of `width` come from after `shifts` were applied one after the other,
// each moving the pixel at x + shift to x wherever that column lies inside the row. Fills `runs`
// (room for `width` runs) with the columns that take another column's pixel and answers how many
// there are; every other column keeps its own pixel.
int32_t ComposeShifts(const int32_t* shifts, int32_t count, int32_t width, ColumnRun* runs) {
  int32_t runCount = 0;
  for (int32_t x = 0; x < width;) {
    // Follow column x back through the shifts, the last one first, and find how many columns
    // from x on stay on the same side of every shift's clipping edge.
    int32_t source = x;
    int32_t length = width - x;
    for (int32_t k = count - 1; k >= 0; --k) {
      const int32_t shift = shifts[k];
      const int32_t takingFirst = std::max(0, -shift);
      const int32_t takingEnd = std::min(width, width - shift);
      if (source < takingFirst) {
        length = std::min(length, takingFirst - source);
      } else if (source >= takingEnd) {
        length = std::min(length, width - source);
      } else {
        length = std::min(length, takingEnd - source);
        source += shift;
      }
    }
    if (source != x) {
      ColumnRun* last = runCount > 0 ? &runs[runCount - 1] : nullptr;
      if (last != nullptr && last->first + last->length == x &&
          last->source + last->length == source) {
        last->length += length;
      } else {
        runs[runCount++] = {x, length, source};
      }
    }
    x += length;
  }
  return runCount;
}

// Rewrites one row by its runs; `scratchRow` keeps the pixels the runs read.
void MoveColumns(uint8_t* row, const ColumnRun* runs, int32_t runCount, uint8_t* scratchRow) {
  int32_t sourceBegin = runs[0].source;
  int32_t sourceEnd = runs[0].source + runs[0].length;
  for (int32_t i = 1; i < runCount; ++i) {
    sourceBegin = std::min(sourceBegin, runs[i].source);
    sourceEnd = std::max(sourceEnd, runs[i].source + runs[i].length);
  }
  std::memcpy(scratchRow + int64_t{sourceBegin} * 3, row + int64_t{sourceBegin} * 3,
              static_cast<std::size_t>(sourceEnd - sourceBegin) * 3);
  for (int32_t i = 0; i < runCount; ++i) {
    std::memcpy(row + int64_t{runs[i].first} * 3, scratchRow + int64_t{runs[i].source} * 3,
                static_cast<std::size_t>(runs[i].length) * 3);
  }
}

}  // namespace

class ScanlineGapEffect : public EffectBase {
 public:
  ScanlineGapEffect() {
    AddFloatParameter(0, "Amount", 0.1f, amountParam);
    AddFloatParameter(1, "Range", 0.1f, rangeParam);
    AddFloatParameter(2, "Speed", 0.1f, speedParam);
    for (GapLine& line : gapLines) line.started = 0;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        lineCount = LowByte(ScaleParameter(amountParam, 256));
        break;
      case 1:
        shiftRange = AtLeast(LowByte(ScaleParameter(rangeParam, 50)), 1);
        break;
      case 2:
        speedRange = AtLeast(LowByte(ScaleParameter(speedParam, 10)), 1);
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    // A frame without rows has nothing to tear and no row a line could sit on.
    if (frame.height == 0) return FF_SUCCESS;
    // Obtained before any line moves, so that a failure leaves the frame and the lines alone.
    ScratchBuffer scratchRow(static_cast<std::size_t>(frame.RowBytes()));
    std::unique_ptr<ColumnRun[]> runs(new (std::nothrow) ColumnRun[std::max(frame.width, 1)]);
    if (!scratchRow || !runs) return FF_FAIL;

    // The lines start and move in index order. Their draws do not depend on the picture, so the
    // bands are recorded first and then shifted group by group, each group's shifts composed into
    // one map of source columns.
    BandPlan plan;
    WalkLines(
        gapLines, lineCount, frame.height, &GapLine::velocity, &GapLine::shift,
        [this, &frame](GapLine& line) { StartLine(line, frame.height); }, plan);
    plan.ForEachRowGroup(
        frame.height, [&](int32_t first, int32_t end, const int32_t* shifts, int32_t shiftCount) {
          const int32_t runCount = ComposeShifts(shifts, shiftCount, frame.width, runs.get());
          if (runCount == 0) return;
          for (int32_t y = first; y < end; ++y) {
            MoveColumns(frame.Row(y), runs.get(), runCount, scratchRow.data());
          }
        });
    return FF_SUCCESS;
  }

 private:
  void StartLine(GapLine& line, int32_t height) const {
    line.started = 1;
    line.shift = std::rand() % (2 * shiftRange + 1) - shiftRange;
    const int32_t magnitude = std::rand() % speedRange + 1;
    const int32_t direction = std::rand() % 2 != 0 ? 1 : -1;
    line.velocity = magnitude * direction - speedRange;
    line.row = std::rand() % height;
  }

  float amountParam;
  float rangeParam;
  float speedParam;
  int32_t lineCount = 25;
  int32_t shiftRange = 5;
  int32_t speedRange = 1;
};

const EffectRegistration<ScanlineGapEffect> registration("dWro", "Dwero",
                                                         "Gap of screen by scanning lines");

}  // namespace ff
