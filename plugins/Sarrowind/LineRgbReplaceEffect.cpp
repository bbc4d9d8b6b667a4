// Line RGB replace: up to 255 lines reorder the three bytes of every pixel in bands of whole
// rows. A line moving down rewrites the rows from its own row to the last row, a line moving up
// the rows from row 0 to its own row; then it moves on by one row. Where bands overlap their byte
// orders are applied one after the other. "Value" sets the number of lines.
#include <cstdlib>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RectOps.h"
#include "RowBands.h"

namespace ff {

namespace {

struct ReplaceLine {
  int32_t started;
  // +1 moves toward higher rows, -1 toward row 0.
  int32_t direction;
  // The byte order of the band, numbered as kByteOrders; any other value leaves the band as it is.
  int32_t mode;
  int32_t row;
};

// Shared by every instance of the plug-in; any construction restarts all lines.
ReplaceLine replaceLines[256];

}  // namespace

class LineRgbReplaceEffect : public EffectBase {
 public:
  LineRgbReplaceEffect() {
    AddFloatParameter(0, "Value", 0.1f, valueParam);
    for (ReplaceLine& line : replaceLines) line.started = 0;
  }

 protected:
  void ParameterChanged(uint32_t) override {
    lineCount = LowByte(ScaleParameter(valueParam, 256));
  }

  FFResult Render(const Frame& frame) override {
    // A frame without rows has nothing to rewrite and no row a line could sit on.
    if (frame.height == 0) return FF_SUCCESS;
    for (int32_t i = 0; i < lineCount; ++i) {
      ReplaceLine& line = replaceLines[i];
      if (line.started == 0) StartLine(line, frame.height);
      const RowBand band = LineBand(line.row, line.direction == -1, frame.height);
      for (int32_t y = band.first; y <= band.last; ++y) ReorderRow(frame, y, line.mode);
      line.row = MoveLineRow(line.row, line.direction, frame.height);
    }
    return FF_SUCCESS;
  }

 private:
  static void StartLine(ReplaceLine& line, int32_t height) {
    line.started = 1;
    std::rand();  // advances the generator only
    line.direction = std::rand() % 2 != 0 ? 1 : -1;
    line.row = std::rand() % height;
    line.mode = std::rand() % 6;
  }

  static void ReorderRow(const Frame& frame, int32_t y, int32_t mode) {
    if (mode < 0 || mode > 5) return;
    const uint8_t* order = kByteOrders[mode];
    uint8_t* pixel = frame.Row(y);
    for (int32_t x = 0; x < frame.width; ++x, pixel += 3) {
      const uint8_t before[3] = {pixel[0], pixel[1], pixel[2]};
      pixel[0] = before[order[0]];
      pixel[1] = before[order[1]];
      pixel[2] = before[order[2]];
    }
  }

  float valueParam;
  int32_t lineCount = 25;
};

const EffectRegistration<LineRgbReplaceEffect> registration("sWnd", "Sarrowind",
                                                            "RGB of each line is replaced");

}  // namespace ff
