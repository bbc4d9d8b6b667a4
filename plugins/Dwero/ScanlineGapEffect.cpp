// Scanline gap: up to 255 gap lines tear the picture sideways. Every frame each line shifts the
// rows from its own row to the last row (or, for a line climbing by exactly one row, from row 0
// to its own row) by its shift, then moves up by its velocity. Where bands overlap the shifts
// add up. "Amount" sets the number of lines, "Range" the largest shift, "Speed" the velocities.
#include <cstdlib>
#include <cstring>

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
    ScratchBuffer scratchRow(static_cast<std::size_t>(frame.RowBytes()));
    if (!scratchRow) return FF_FAIL;
    for (int32_t i = 0; i < lineCount; ++i) {
      GapLine& line = gapLines[i];
      if (line.started == 0) StartLine(line, frame.height);
      const RowBand band = LineBand(line.row, line.velocity == -1, frame.height);
      for (int32_t y = band.first; y <= band.last; ++y) {
        ShiftRow(frame, y, line.shift, scratchRow.data());
      }
      line.row = MoveLineRow(line.row, line.velocity, frame.height);
    }
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

  // Columns whose source x + shift lies outside the row keep their own pixel.
  static void ShiftRow(const Frame& frame, int32_t y, int32_t shift, uint8_t* scratchRow) {
    uint8_t* row = frame.Row(y);
    std::memcpy(scratchRow, row, static_cast<std::size_t>(frame.RowBytes()));
    for (int32_t x = 0; x < frame.width; ++x) {
      const int64_t source = int64_t{x} + shift;
      if (source < 0 || source >= frame.width) continue;
      std::memcpy(row + int64_t{x} * 3, scratchRow + source * 3, 3);
    }
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
