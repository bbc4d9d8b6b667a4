// Line RGB replace: up to 255 lines reorder the three bytes of every pixel in bands of whole
// rows. A line moving down rewrites the rows from its own row to the last row, a line moving up
// the rows from row 0 to its own row; then it moves on by one row. Where bands overlap their byte
// orders are applied one after the other. "Value" sets the number of lines.
#include <cstdlib>

#include "ByteOrders.h"
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
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
  void ParameterChanged(uint32_t) override { lineCount = LowByte(ScaleParameter(valueParam, 256)); }

  FFResult Render(const Frame& frame) override {
    // A frame without rows has nothing to rewrite and no row a line could sit on.
    if (frame.height == 0) return FF_SUCCESS;
    // The lines start and move in index order. Their draws do not depend on the picture, so the
    // bands are recorded first and then rewritten group by group, each group's byte orders
    // composed into one.
    BandPlan plan;
    WalkLines(
        replaceLines, lineCount, frame.height, &ReplaceLine::direction, &ReplaceLine::mode,
        [&frame](ReplaceLine& line) { StartLine(line, frame.height); }, plan);
    plan.ForEachRowGroup(
        frame.height, [&](int32_t first, int32_t end, const int32_t* modes, int32_t modeCount) {
          int32_t order = kKeepOrder;
          for (int32_t i = 0; i < modeCount; ++i) order = ThenReorder(order, modes[i]);
          ReorderPixels(frame.Row(first), int64_t{end - first} * frame.width, order);
        });
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

  float valueParam;
  int32_t lineCount = 25;
};

const EffectRegistration<LineRgbReplaceEffect> registration("sWnd", "Sarrowind",
                                                            "RGB of each line is replaced");

}  // namespace ff
