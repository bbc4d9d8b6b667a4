// Static RGB swap: up to ten rectangles of a constant pattern, scaled from a 640 x 480 reference
// frame to the real one, each rewritten with its bytes reordered (some modes halve one byte).
// "Value" picks the pattern, "Col" the row of channel modes, and "Wait" above 10 thousandths
// switches to a random pattern drawn anew every "Wait" + 1 frames.
#include <algorithm>
#include <cstdlib>

#include "MappedPixels.h"
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PatternTables.h"
#include "PluginDescriptor.h"

namespace ff {

namespace {

// Shared by every instance of the plug-in: frames counted since the last random draw, and the
// pattern that draw chose.
int32_t waitCounter = 0;
int32_t randomPattern = 0;

// "Wait" values that scale to this or less keep the pattern that "Value" selects.
constexpr int32_t kLongestFixedWait = 10;

// A selection of 1 to 100 names table entry 0 to 99; values above 1.0 select more than 100 and
// stay on the last entry.
int32_t TableIndex(int32_t select) {
  return std::clamp(select, 1, kPatternCount) - 1;
}

// 64-bit, because a reference coordinate times a wide frame's side leaves the 32-bit range.
int32_t ScaleToFrame(int32_t reference, int32_t frameSide, int32_t referenceSide) {
  return static_cast<int32_t>(int64_t{reference} * frameSide / referenceSide);
}

}  // namespace

class StaticRgbSwapEffect : public EffectBase {
 public:
  StaticRgbSwapEffect() {
    AddFloatParameter(0, "Value", 0.01f, valueParam);
    AddFloatParameter(1, "Col", 0.01f, colParam);
    AddFloatParameter(2, "Wait", 0.01f, waitParam);
    waitCounter = 0;
    randomPattern = 0;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        patternSelect = AtLeast(ScaleParameter(valueParam, 100), 1);
        break;
      case 1:
        modeSelect = AtLeast(ScaleParameter(colParam, 100), 1);
        break;
      case 2:
        waitFrames = AtLeast(ScaleParameter(waitParam, 1000), 1);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    const PatternRect* pattern = rectPatterns[ChoosePattern()];
    const uint32_t* modes = modeRows[TableIndex(modeSelect)];
    for (int32_t slot = 0; slot < kPatternSlots; ++slot) {
      const PatternRect& rect = pattern[slot];
      const int32_t x = ScaleToFrame(rect.x, frame.width, kReferenceWidth);
      const int32_t y = ScaleToFrame(rect.y, frame.height, kReferenceHeight);
      const int32_t w = ScaleToFrame(rect.w, frame.width, kReferenceWidth);
      const int32_t h = ScaleToFrame(rect.h, frame.height, kReferenceHeight);
      if (w == 0) continue;
      // Written back where it is copied from, so it needs no copy.
      MapRectInPlace(frame, x, y, w, h, modes[slot]);
    }
    return FF_SUCCESS;
  }

 private:
  int32_t ChoosePattern() {
    if (waitFrames <= kLongestFixedWait) return TableIndex(patternSelect);
    const int64_t counted = int64_t{waitCounter} + 1;
    if (counted > waitFrames) {
      waitCounter = 0;
      randomPattern = std::rand() % kPatternCount;
    } else {
      waitCounter = static_cast<int32_t>(counted);
    }
    return randomPattern;
  }

  float valueParam;
  int32_t patternSelect = 0;
  float colParam;
  int32_t modeSelect = 0;
  float waitParam;
  int32_t waitFrames = 9;
};

const EffectRegistration<StaticRgbSwapEffect> registration("vOtk", "Vontekel", "Static rgb swap");

}  // namespace ff
