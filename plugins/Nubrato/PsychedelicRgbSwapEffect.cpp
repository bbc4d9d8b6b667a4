// Psychedelic RGB swap: covers the frame with concentric rings of boxes from the edge inward.
// Every box of a ring has its pixel bytes reordered by the ring's byte order and shifted by
// offsets that go with that order; each ring uses the next order, and every frame the sequence
// moves on by one, so colour bands travel outward. "Size" sets the box width (the height is
// three quarters of it), "density" the strength of the offsets. No random numbers are drawn.
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PixelTint.h"
#include "PluginDescriptor.h"
#include "RectOps.h"

namespace ff {

namespace {

constexpr int32_t kOrderCount = 6;

// The byte order of the outermost ring on the next frame; shared by every instance, so each
// frame of any instance moves the bands of all of them on.
int32_t ringPhase = 0;

// The offset added to output byte k is base[k] + strengthSign[k] * strength.
struct TintOffsets {
  int32_t base[3];
  int32_t strengthSign[3];
};

// Indexed like kByteOrders; positions are those of the written pixel.
constexpr TintOffsets kTintOffsets[kOrderCount] = {
    {{-38, 1, 1}, {-1, 0, 0}}, {{1, 30, 1}, {0, 1, 0}},   {{1, 1, -39}, {0, 0, -1}},
    {{-20, 1, 1}, {-1, 0, 0}}, {{1, -37, 1}, {0, -1, 0}}, {{40, 1, -36}, {1, 0, -1}},
};

// Rewrites the part of the rectangle inside the frame.
void TintRect(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h,
              const PixelTint& tint) {
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  if (clip.Empty()) return;
  tint.Apply(frame.PixelAt(clip.x, clip.y), static_cast<std::size_t>(clip.width),
             static_cast<std::size_t>(clip.height), frame.RowBytes());
}

// The number of boxes of `step` pixels that start at `from`, `from + step`, ... below `limit`.
int32_t BoxesBefore(int32_t from, int32_t limit, int32_t step) {
  return limit > from ? (limit - from + step - 1) / step : 0;
}

}  // namespace

class PsychedelicRgbSwapEffect : public EffectBase {
 public:
  PsychedelicRgbSwapEffect() {
    AddFloatParameter(0, "density", 0.1f, densityParam);
    AddFloatParameter(1, "Size", 0.32f, sizeParam);
    AcceptSpareParameter(2, 0.1f, spareParam2);
    AcceptSpareParameter(3, 0.1f, spareParam3);
    ringPhase = 0;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    if (index == 0) {
      densityLevel = LowByte(ScaleParameter(densityParam, 10));
    } else if (index == 1) {
      boxWidth = AtLeast(LowByte(ScaleParameter(sizeParam, 100)), 4);
    }
  }

  // Each box is copied out and written back to the same place, and every box of a ring applies
  // the same per-pixel rewrite, so the boxes are rewritten in place, and the boxes of a ring's
  // top row, bottom row and each side run together as one strip: a pixel that two boxes of a
  // ring cover is still rewritten twice, and rings still follow one another from the edge in.
  FFResult Render(const Frame& frame) override {
    const int32_t w = boxWidth;
    const int32_t h = 3 * w / 4;
    int32_t order = ringPhase;
    ringPhase = (ringPhase + 1) % kOrderCount;

    // Once a ring's left inset reaches the right edge, it and every ring inside it lie wholly
    // outside the frame; stopping there keeps very tall frames from walking empty rings.
    for (int32_t left = 0, top = 0; top < frame.height / 2 && left < frame.width;
         left += w, top += h, order = (order + 1) % kOrderCount) {
      const PixelTint tint = RingTint(order);
      const int32_t right = frame.width - left - w;
      const int32_t bottom = frame.height - top - h;
      const int32_t rowWidth = BoxesBefore(left, right, w) * w;
      const int32_t sideHeight = BoxesBefore(top + h, bottom, h) * h;
      TintRect(frame, left, top, rowWidth, h, tint);
      TintRect(frame, left, top + h, w, sideHeight, tint);
      TintRect(frame, right, top + h, w, sideHeight, tint);
      TintRect(frame, left, bottom, rowWidth, h, tint);
    }
    return FF_SUCCESS;
  }

 private:
  PixelTint RingTint(int32_t order) const {
    const int32_t strength = densityLevel >= 2 ? 10 * (densityLevel - 2) : 0;
    const TintOffsets& tint = kTintOffsets[order];
    int32_t offsets[3];
    for (int k = 0; k < 3; ++k) offsets[k] = tint.base[k] + tint.strengthSign[k] * strength;
    return PixelTint(kByteOrders[order], offsets);
  }

  float densityParam;
  float sizeParam;
  float spareParam2;
  float spareParam3;
  int32_t densityLevel = 1;
  int32_t boxWidth = 31;
};

const EffectRegistration<PsychedelicRgbSwapEffect> registration("nUbT", "Nubrato",
                                                                "psychedelic rgb swap");

}  // namespace ff
