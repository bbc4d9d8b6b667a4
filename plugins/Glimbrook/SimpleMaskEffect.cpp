// Simple mask: every pixel whose three bytes all lie below the cut-off turns white, every other
// pixel black. "Value" moves the cut-off between 11 and 60.
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"

namespace ff {

class SimpleMaskEffect : public EffectBase {
 public:
  SimpleMaskEffect() { AddFloatParameter(0, "Value", 0.1f, valueParam); }

 protected:
  void ParameterChanged(uint32_t) override { maskLevel = AtLeast(ScaleParameter(valueParam, 50), 1); }

  FFResult Render(const Frame& frame) override {
    // Every pixel depends on itself alone, so the frame is one run of pixels. A byte passes when
    // it lies below the cut-off; a pixel turns white when all three of its bytes pass.
    const int64_t cutoff = int64_t{maskLevel} + 10;
    const uint8_t limit = static_cast<uint8_t>(cutoff > 256 ? 256 - 1 : cutoff - 1);
    const bool everyByteIsDark = cutoff > 255;
    uint8_t* pixel = frame.pixels;
    const std::size_t pixels = frame.Bytes() / 3;
    for (std::size_t i = 0; i < pixels; ++i, pixel += 3) {
      const bool dark = everyByteIsDark || (pixel[0] <= limit && pixel[1] <= limit && pixel[2] <= limit);
      const uint8_t level = dark ? 255 : 0;
      pixel[0] = pixel[1] = pixel[2] = level;
    }
    return FF_SUCCESS;
  }

 private:
  float valueParam;
  int32_t maskLevel = 5;
};

const EffectRegistration<SimpleMaskEffect> registration("aaaa", "Glimbrook", "genarate simple mask");

}  // namespace ff
