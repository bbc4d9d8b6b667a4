// Split RGB swap rectangle: the frame is cut into a grid of equal cells; every cell is rewritten
// through a channel mode of its own and some cells are pasted, through another mode, over a
// random cell position. The choices sit in a table that all instances share and that is drawn
// anew every "Time" frames, so a pattern holds for a while and then jumps.
#include <algorithm>
#include <cstdlib>

#include "EffectBase.h"
#include "MappedPixels.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RectOps.h"
#include "ScratchBuffer.h"

namespace ff {
namespace {

struct CellEntry {
  int32_t cellMode;
  int32_t pasteMode;
  int32_t targetX;
  int32_t targetY;
};

constexpr int64_t kTableEntries = 1024;
constexpr int32_t kNotPasted = -1;

// Entries keep their choices between draws, also when the grid or the frame size changes.
CellEntry cellTable[kTableEntries];
int32_t redrawCountdown = 0;

// Cells beyond the table's end all share its last entry.
CellEntry& EntryOf(int32_t row, int32_t column, int32_t columns) {
  return cellTable[std::min(int64_t{row} * columns + column, kTableEntries - 1)];
}

struct Grid {
  int32_t cellWidth;
  int32_t cellHeight;
  int32_t columns;
  int32_t rows;
};

class SplitRgbSwapRectEffect : public EffectBase {
 public:
  SplitRgbSwapRectEffect() {
    AddFloatParameter(0, "Value", 0.3f, valueParam);
    AddFloatParameter(1, "Swap", 0.2f, swapParam);
    AddFloatParameter(2, "Time", 0.2f, timeParam);
    AddFloatParameter(3, "Col", 1.0f, colParam);
    redrawCountdown = 0;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        gridDivisions = AtLeast(ScaleParameter(valueParam, 10), 1);
        break;
      case 1:
        pasteOdds = ScaleParameter(swapParam, 50);
        break;
      // Every count of 0 or less redraws on every frame; 0 stands for all of them, so that the
      // countdown never runs below the smallest integer.
      case 2:
        holdFrames = AtLeast(ScaleParameter(timeParam, 50), 0);
        break;
      case 3:
        modeCount = AtLeast(ScaleParameter(colParam, 15), 1);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    const Grid grid = GridOf(frame);
    ScratchBuffer rowBuffer(RectBytes(grid.cellWidth, 1));
    if (!rowBuffer) return FF_FAIL;
    if (--redrawCountdown <= 0) {
      redrawCountdown = holdFrames;
      DrawCellTable(grid);
    }
    for (int32_t row = 0; row < grid.rows; ++row) {
      for (int32_t column = 0; column < grid.columns; ++column) {
        MapRectInPlace(frame, column * grid.cellWidth, row * grid.cellHeight, grid.cellWidth,
                       grid.cellHeight,
                       static_cast<uint32_t>(EntryOf(row, column, grid.columns).cellMode));
      }
    }
    // In order and in place: a cell that an earlier paste covered is pasted with what covers it.
    for (int32_t row = 0; row < grid.rows; ++row) {
      for (int32_t column = 0; column < grid.columns; ++column) {
        const CellEntry& entry = EntryOf(row, column, grid.columns);
        if (entry.pasteMode == kNotPasted) continue;
        // A target drawn under a finer grid or for a larger frame is clipped to this frame.
        MoveRectMapped(frame, rowBuffer.data(), column * grid.cellWidth, row * grid.cellHeight,
                       entry.targetX, entry.targetY, grid.cellWidth, grid.cellHeight,
                       static_cast<uint32_t>(entry.pasteMode));
      }
    }
    return FF_SUCCESS;
  }

 private:
  // Cells of truncated size from the top-left corner; a frame narrower or lower than the number
  // of divisions has cells of no size, and then no cells at all.
  Grid GridOf(const Frame& frame) const {
    Grid grid{frame.width / gridDivisions, frame.height / gridDivisions, 0, 0};
    if (grid.cellWidth > 0 && grid.cellHeight > 0) {
      grid.columns = frame.width / grid.cellWidth;
      grid.rows = frame.height / grid.cellHeight;
    }
    return grid;
  }

  void DrawCellTable(const Grid& grid) const {
    for (int32_t row = 0; row < grid.rows; ++row) {
      for (int32_t column = 0; column < grid.columns; ++column) {
        CellEntry& entry = EntryOf(row, column, grid.columns);
        entry.cellMode = std::rand() % modeCount;
        entry.pasteMode = kNotPasted;
        if (pasteOdds > 0 && std::rand() % pasteOdds == 0) {
          entry.targetX = std::rand() % grid.columns * grid.cellWidth;
          entry.targetY = std::rand() % grid.rows * grid.cellHeight;
          entry.pasteMode = std::rand() % modeCount;
        }
      }
    }
  }

  float valueParam;
  float swapParam;
  float timeParam;
  float colParam;
  int32_t gridDivisions = 3;
  int32_t pasteOdds = 10;
  int32_t holdFrames = 10;
  int32_t modeCount = 15;
};

const EffectRegistration<SplitRgbSwapRectEffect> registration("mRvD", "Morvidanek",
                                                              "Split rgb swap rect");

}  // namespace
}  // namespace ff
