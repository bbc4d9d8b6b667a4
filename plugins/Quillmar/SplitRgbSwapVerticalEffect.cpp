// Split RGB swap vertical: up to 64 full-height strips creep sideways, each rewriting its pixels
// through its own channel mode. Strips leaving one edge come back at the other. "Swap" at its
// maximum writes every third strip shifted by its own fixed distance, leaving its place as it was.
#include <algorithm>
#include <cstdlib>

#include "ColumnPlan.h"
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RandomStep.h"

namespace ff {
namespace {

struct SplitStrip {
  int32_t column;  // left edge; kUnusedColumn until the slot's first frame
  int32_t offset;  // shift of a displaced strip, drawn with the first column
  int32_t mode;    // ChannelMode
  int32_t step;    // columns moved per frame, the sign giving the direction
  int32_t width;   // before the right edge of the frame cuts it
};

constexpr int32_t kSlotCount = 1024;
constexpr int32_t kUnusedColumn = -1;
constexpr int32_t kFullSwapLevel = 50;
constexpr int32_t kDisplacedStripSpacing = 3;

// Shared by every instance of the plug-in: making any instance restarts them all.
SplitStrip splitStrips[kSlotCount];

// A strip leaving the frame comes back at the far edge's outermost column, whatever the overshoot.
int32_t WrapAround(int64_t column, int32_t frameWidth) {
  if (column < 0) column = frameWidth - 1;
  if (column >= frameWidth) column = 0;
  return static_cast<int32_t>(column);
}

}  // namespace

class SplitRgbSwapVerticalEffect : public EffectBase {
 public:
  SplitRgbSwapVerticalEffect() {
    AddFloatParameter(0, "Value", 0.2f, valueParam);
    AddFloatParameter(1, "Swap", 0.2f, swapParam);
    AddFloatParameter(2, "Width", 0.2f, widthParam);
    AddFloatParameter(3, "Col", 1.0f, colParam);
    AddFloatParameter(4, "Speed", 0.1f, speedParam);
    for (SplitStrip& strip : splitStrips) {
      strip.column = kUnusedColumn;
      strip.step = RandomStep(speedLevel);
      strip.offset = kUnusedColumn;
      RandomStep(speedLevel);  // the fill has always drawn a second step and dropped it
      strip.mode = std::rand() % modeCount;
      strip.width = NewWidth();
    }
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        stripCount = std::min(AtLeast(ScaleParameter(valueParam, 64), 1), kSlotCount);
        break;
      case 1:
        swapLevel = ScaleParameter(swapParam, 50);
        break;
      case 2:
        widthLimit = AtLeast(ScaleParameter(widthParam, 640), 1);
        break;
      case 3:
        modeCount = AtLeast(ScaleParameter(colParam, 15), 1);
        break;
      // Bounded so that speedLevel + 3 stays a 32-bit number.
      case 4:
        speedLevel = std::min(AtLeast(ScaleParameter(speedParam, 100), 1), INT32_MAX - 3);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    const int32_t frameWidth = frame.width;
    // A frame without columns has no place for a strip; the strips wait for a real one.
    if (frameWidth == 0) return FF_SUCCESS;
    // The strips rewrite whole columns: they are planned on a column map and drawn in one pass.
    ColumnPlan plan(frameWidth, 1);
    if (!plan) return FF_FAIL;
    for (int32_t i = 0; i < stripCount; ++i) {
      SplitStrip& slot = splitStrips[i];
      int32_t x = slot.column;
      if (x == kUnusedColumn) {
        x = std::rand() % frameWidth;
        slot.offset = std::rand() % frameWidth;
      }
      if (slot.mode >= modeCount) slot.mode = std::rand() % modeCount;
      x = WrapAround(int64_t{x} + slot.step, frameWidth);
      if (std::rand() % 30 == 0 || std::abs(slot.step) > speedLevel + 3) {
        const int32_t magnitude = std::rand() % speedLevel + 3;
        slot.step = magnitude * RandomStep(1);
      }
      if (std::rand() % 50 == 0) slot.width = NewWidth();

      int32_t targetX = x;
      int32_t width = std::min(slot.width, frameWidth - x);
      if (swapLevel == kFullSwapLevel && i % kDisplacedStripSpacing == 0) {
        targetX = static_cast<int32_t>((int64_t{slot.offset} + x) % frameWidth);
        width = std::min(width, frameWidth - targetX);
      }
      plan.CopyStripOut(0, x, width);
      plan.WriteStripMapped(0, targetX, width, static_cast<uint32_t>(slot.mode));
      slot.column = x;
    }
    plan.Apply(frame);
    return FF_SUCCESS;
  }

 private:
  int32_t NewWidth() const { return std::rand() % widthLimit + 1; }

  float valueParam;
  float swapParam;
  float widthParam;
  float colParam;
  float speedParam;
  // Until the host's defaults arrive through SetParameter these are the values the strip table
  // is filled with, which differ from what SetParameter derives from the same defaults.
  int32_t stripCount = 12;
  int32_t swapLevel = 10;
  int32_t widthLimit = 128;
  int32_t modeCount = 15;
  int32_t speedLevel = 0;
};

const EffectRegistration<SplitRgbSwapVerticalEffect> registration("qLmR", "Quillmaresque",
                                                                  "Split rgb swap virtical");

}  // namespace ff
