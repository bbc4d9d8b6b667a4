// Dark-area circles: for each disc, samples random pixels until one is dark enough and stamps a
// 23 x 23 disc of a random bright colour centred there. "Value" sets how many discs are tried
// per frame, "threshold" how dark a pixel must be.
#include <algorithm>
#include <cstdlib>

#include "EffectBase.h"
#include "FixedModulo.h"
#include "ParameterScaling.h"
#include "Pixel.h"
#include "PluginDescriptor.h"

namespace ff {

namespace {

constexpr int32_t kDiscSide = 23;
constexpr int32_t kDiscRadius = kDiscSide / 2;
constexpr int32_t kRadiusSquaredLimit = 132;

// Centres keep 12 columns/rows to their left and top and 13 to their right and bottom, so a frame
// needs at least this many pixels on each side for a disc to fit.
constexpr int32_t kSmallestSide = 26;
constexpr int32_t kCentreMargin = 12;
constexpr int32_t kAttemptsPerDisc = 2560;

struct DiscMask {
  uint8_t cells[kDiscSide][kDiscSide];  // [row][column], 1 = paint
};

constexpr DiscMask MakeDiscMask() {
  DiscMask mask{};
  for (int32_t row = 0; row < kDiscSide; ++row) {
    for (int32_t column = 0; column < kDiscSide; ++column) {
      const int32_t dx = column - kDiscRadius;
      const int32_t dy = row - kDiscRadius;
      mask.cells[row][column] = dx * dx + dy * dy <= kRadiusSquaredLimit ? 1 : 0;
    }
  }
  return mask;
}

constexpr DiscMask discMask = MakeDiscMask();

// Colour bytes stay in the upper half so that a disc is always bright.
uint8_t BrightByte() {
  return static_cast<uint8_t>(128 + std::rand() % 128);
}

}  // namespace

constexpr int32_t kMostCircles = 1024;

class DarkAreaCirclesEffect : public EffectBase {
 public:
  DarkAreaCirclesEffect() {
    AddFloatParameter(0, "Value", 0.1f, valueParam);
    AddFloatParameter(1, "threshold", 0.16f, thresholdParam);
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    if (index == 0) {
      // "Value" 1.0 gives 256 discs; far larger values, which no host sends, would make a frame
      // take minutes, so the count stops at that of "Value" 4.0.
      circleCount = std::min(AtLeast(ScaleParameter(valueParam, 256), 1), kMostCircles);
    } else {
      darkLimit = ScaleParameter(thresholdParam, 255);
    }
  }

  FFResult Render(const Frame& frame) override {
    // Too small for a disc: the centre ranges would be empty, so the frame is left as it is and
    // nothing is drawn.
    if (frame.width < kSmallestSide || frame.height < kSmallestSide) return FF_SUCCESS;
    for (int32_t pass = 0; pass < circleCount; ++pass) {
      int32_t x, y;
      if (!FindDarkPixel(frame, x, y)) continue;
      const uint8_t byte2 = BrightByte();
      const uint8_t byte1 = BrightByte();
      const uint8_t byte0 = BrightByte();
      StampDisc(frame, x, y, byte2, byte1, byte0);
    }
    return FF_SUCCESS;
  }

 private:
  bool FindDarkPixel(const Frame& frame, int32_t& x, int32_t& y) const {
    const FixedModulo columns(frame.width - (kSmallestSide - 1));
    const FixedModulo rows(frame.height - (kSmallestSide - 1));
    for (int32_t attempt = 0; attempt < kAttemptsPerDisc; ++attempt) {
      x = columns.Of(std::rand()) + kCentreMargin;
      y = rows.Of(std::rand()) + kCentreMargin;
      uint8_t byte2, byte1, byte0;
      GetPixel(frame, x, y, byte2, byte1, byte0);
      const int32_t halfMean = (int32_t{byte0} + byte1 + byte2) / 6;
      if (halfMean <= darkLimit) return true;
    }
    return false;
  }

  static void StampDisc(const Frame& frame, int32_t x, int32_t y, uint8_t byte2, uint8_t byte1,
                        uint8_t byte0) {
    for (int32_t row = 0; row < kDiscSide; ++row) {
      for (int32_t column = 0; column < kDiscSide; ++column) {
        if (discMask.cells[row][column] == 0) continue;
        PutPixel(frame, x + column - kDiscRadius, y + row - kDiscRadius, byte2, byte1, byte0);
      }
    }
  }

  float valueParam;
  float thresholdParam;
  int32_t circleCount = 25;
  int32_t darkLimit = 40;
};

const EffectRegistration<DarkAreaCirclesEffect> registration("oStN", "Ostral",
                                                             "draw circles on dark area");

}  // namespace ff
