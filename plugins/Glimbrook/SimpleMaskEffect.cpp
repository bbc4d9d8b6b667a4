// Simple mask: every pixel whose three bytes all lie below the cut-off turns white, every other
// pixel black. "Value" moves the cut-off between 11 and 60.
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "Pixel.h"
#include "PluginDescriptor.h"

namespace ff {

class SimpleMaskEffect : public EffectBase {
 public:
  SimpleMaskEffect() { AddFloatParameter(0, "Value", 0.1f, valueParam); }

 protected:
  void ParameterChanged(uint32_t) override { maskLevel = AtLeast(ScaleParameter(valueParam, 50), 1); }

  FFResult Render(const Frame& frame) override {
    const int64_t cutoff = int64_t{maskLevel} + 10;
    for (int32_t y = 0; y < frame.height; ++y) {
      for (int32_t x = 0; x < frame.width; ++x) {
        uint8_t byte2, byte1, byte0;
        GetPixel(frame, x, y, byte2, byte1, byte0);
        const uint8_t level = byte2 < cutoff && byte1 < cutoff && byte0 < cutoff ? 255 : 0;
        PutPixel(frame, x, y, level, level, level);
      }
    }
    return FF_SUCCESS;
  }

 private:
  float valueParam;
  int32_t maskLevel = 5;
};

const EffectRegistration<SimpleMaskEffect> registration("aaaa", "Glimbrook", "genarate simple mask");

}  // namespace ff
