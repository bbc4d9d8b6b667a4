// Vertical swap: pairs of full-height strips trade places every frame, each arriving with bytes 0
// and 2 of its pixels exchanged. Each pair rests for "Wait" frames, then both of its columns jump
// sideways by their own steps. "Blank" at its maximum turns every fifth pair's first strip black.
#include <algorithm>
#include <cstdlib>

#include "ColumnPlan.h"
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RandomStep.h"
#include "RectOps.h"

namespace ff {
namespace {

struct SwapStrip {
  int32_t columnA;  // kUnusedColumn until the slot's first frame
  int32_t columnB;
  int32_t stepA;
  int32_t stepB;
  int32_t waitCounter;  // frames since the pair last jumped
};

constexpr int32_t kSlotCount = 1024;
constexpr int32_t kUnusedColumn = -1;
constexpr int32_t kFullBlankLevel = 50;
constexpr int32_t kBlankedPairSpacing = 5;
constexpr uint32_t kSwapOuterBytesMode = 0;
constexpr int32_t kStripA = 0;
constexpr int32_t kStripB = 1;

// Shared by every instance of the plug-in: making any instance restarts them all.
SwapStrip swapStrips[kSlotCount];

// One draw; a limit of 0 leaves a single choice, 0, where rand() % 0 would be undefined.
int32_t RandomBelow(int32_t limit) {
  const int32_t draw = std::rand();
  return limit > 0 ? draw % limit : 0;
}

// Brings a jumped column back to 0..largestColumn, turning its step around at the edge. The
// column comes in 64 bits wide because a stored column plus a large step may not fit 32.
int32_t BounceWithin(int64_t column, int32_t largestColumn, int32_t& step) {
  if (column < 0) {
    column = 0;
    step = -step;
  }
  if (column > largestColumn) {
    column = largestColumn;
    step = -step;
  }
  return static_cast<int32_t>(column);
}

}  // namespace

class VerticalSwapEffect : public EffectBase {
 public:
  VerticalSwapEffect() {
    AddFloatParameter(0, "Value", 0.2f, valueParam);
    AddFloatParameter(1, "Blank", 0.2f, blankParam);
    AddFloatParameter(2, "Width", 0.5f, widthParam);
    AddFloatParameter(3, "Wait", 1.0f, waitParam);
    AddFloatParameter(4, "Speed", 0.26f, speedParam);
    for (SwapStrip& strip : swapStrips) {
      strip.waitCounter = std::rand() % 8;
      strip.columnA = kUnusedColumn;
      strip.stepA = NewStep();
      strip.columnB = kUnusedColumn;
      strip.stepB = NewStep();
      std::rand();  // the fill has always drawn a fourth number per slot
    }
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        stripCount = std::min(AtLeast(ScaleParameter(valueParam, 30), 1), kSlotCount);
        break;
      case 1:
        blankLevel = ScaleParameter(blankParam, 50);
        break;
      case 3:
        waitFrames = AtLeast(ScaleParameter(waitParam, 15), 1);
        break;
      // Bounded so that a step of speedLevel + 3 columns stays a 32-bit number.
      case 4:
        speedLevel = std::min(AtLeast(ScaleParameter(speedParam, 15), 1), INT32_MAX - 3);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    const int32_t stripWidth = StripWidth(frame.width);
    const int32_t largestColumn = frame.width - stripWidth;
    // The pairs rewrite whole columns: they are planned on a column map and drawn in one pass.
    ColumnPlan plan(frame.width, 2);
    if (!plan) return FF_FAIL;
    for (int32_t i = 0; i < stripCount; ++i) {
      SwapStrip& strip = swapStrips[i];
      int32_t a = strip.columnA;
      int32_t b = strip.columnB;
      if (a == kUnusedColumn) {
        a = RandomBelow(largestColumn);
        b = RandomBelow(largestColumn);
        strip.waitCounter = std::rand() % waitFrames;
      }
      int64_t jumpedA = a;
      int64_t jumpedB = b;
      if (int64_t{strip.waitCounter} + 1 > waitFrames) {
        jumpedA += strip.stepA;
        jumpedB += strip.stepB;
        strip.waitCounter = 0;
      } else {
        ++strip.waitCounter;
      }
      a = BounceWithin(jumpedA, largestColumn, strip.stepA);
      b = BounceWithin(jumpedB, largestColumn, strip.stepB);
      RenewStep(strip.stepA);
      RenewStep(strip.stepB);

      plan.CopyStripOut(kStripA, a, stripWidth);
      plan.CopyStripOut(kStripB, b, stripWidth);
      plan.WriteStripMapped(kStripA, b, stripWidth, kSwapOuterBytesMode);
      const bool blanked = blankLevel == kFullBlankLevel && i % kBlankedPairSpacing == 0;
      plan.WriteStripMapped(kStripB, a, stripWidth, blanked ? kBlankMode : kSwapOuterBytesMode);
      strip.columnA = a;
      strip.columnB = b;
    }
    plan.Apply(frame);
    return FF_SUCCESS;
  }

 private:
  // "Width" outside 0.0 to 1.0 asks for a strip that does not fit: it is held to the frame.
  int32_t StripWidth(int32_t frameWidth) const {
    return std::clamp(ScaleParameter(widthParam, frameWidth), 0, frameWidth);
  }

  int32_t NewStep() const { return RandomStep(1) * (speedLevel + 3); }

  // A step longer than the current speed allows is always replaced; any step is, one time in 30.
  void RenewStep(int32_t& step) const {
    if (std::rand() % 30 == 0 || std::abs(step) > speedLevel) step = NewStep();
  }

  float valueParam;
  float blankParam;
  float widthParam;
  float waitParam;
  float speedParam;
  // Until the host's defaults arrive through SetParameter these are the values the strip table
  // is filled with, which differ from what SetParameter derives from the same defaults.
  int32_t stripCount = 12;
  int32_t blankLevel = 10;
  int32_t waitFrames = 15;
  int32_t speedLevel = 0;
};

const EffectRegistration<VerticalSwapEffect> registration("hMqe", "Halmirequondel",
                                                          "swap virtucal rect");

}  // namespace ff
