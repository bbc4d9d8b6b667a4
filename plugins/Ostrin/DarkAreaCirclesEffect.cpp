// Dark-area circles: for each disc, samples random pixels until one is dark enough and stamps a
// 23 x 23 disc of a random bright colour centred there. "Value" sets how many discs are tried
// per frame, "threshold" how dark a pixel must be.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

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

// Which pixels are dark, one bit each, for long searches. A sample reads one random pixel, and
// glibc's rand() locks between samples, so every sample waits for its pixel out of memory; the
// map of a full HD frame is 260 KB and stays in the processor's cache. It is made only once a
// frame's searches have taken that many samples, and kept up to date as discs are stamped.
class DarkMap {
 public:
  static constexpr int64_t kSamplesBeforeMap = 16384;

  DarkMap(const Frame& frame, int32_t darkLimit)
      : frame(frame),
        darkestSum(static_cast<int32_t>(std::clamp<int64_t>(int64_t{darkLimit} * 6 + 5, -1, 765))) {
  }

  bool IsDark(int32_t x, int32_t y) {
    if (!mapAsked && ++samples > kSamplesBeforeMap) Build();
    if (bits != nullptr) {
      const std::size_t index = IndexOf(x, y);
      return (bits[index >> 3] >> (index & 7) & 1) != 0;
    }
    uint8_t byte2, byte1, byte0;
    GetPixel(frame, x, y, byte2, byte1, byte0);
    return Dark(byte0, byte1, byte2);
  }

  // After a pixel took these bytes.
  void Painted(int32_t x, int32_t y, uint8_t byte2, uint8_t byte1, uint8_t byte0) {
    if (bits == nullptr || !InsideFrame(frame, x, y)) return;
    const std::size_t index = IndexOf(x, y);
    const auto bit = static_cast<uint8_t>(1u << (index & 7));
    bits[index >> 3] = static_cast<uint8_t>(Dark(byte0, byte1, byte2) ? bits[index >> 3] | bit
                                                                      : bits[index >> 3] & ~bit);
  }

 private:
  // The frame holds fewer than 2^31 bytes, so every pixel has an index of the native size.
  std::size_t IndexOf(int32_t x, int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width) +
           static_cast<std::size_t>(x);
  }

  // Half the mean, rounded down, at most the limit: the same as the sum at most six times the
  // limit plus five, which needs no division.
  bool Dark(uint8_t byte0, uint8_t byte1, uint8_t byte2) const {
    return int32_t{byte0} + byte1 + byte2 <= darkestSum;
  }

  // Without the memory for it, the searches go on reading the frame.
  void Build() {
    mapAsked = true;
    const std::size_t pixels = frame.Bytes() / 3;
    bits.reset(new (std::nothrow) uint8_t[(pixels + 7) / 8]());
    if (bits == nullptr) return;
    const uint8_t* pixel = frame.pixels;
    for (std::size_t i = 0; i < pixels; ++i, pixel += 3) {
      bits[i >> 3] = static_cast<uint8_t>(bits[i >> 3] |
                                          (Dark(pixel[0], pixel[1], pixel[2]) ? 1 : 0) << (i & 7));
    }
  }

  const Frame& frame;
  int32_t darkestSum;  // -1 (none) to 765 (all)
  int64_t samples = 0;
  bool mapAsked = false;
  std::unique_ptr<uint8_t[]> bits;
};

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
    DarkMap darkMap(frame, darkLimit);
    for (int32_t pass = 0; pass < circleCount; ++pass) {
      int32_t x, y;
      if (!FindDarkPixel(frame, darkMap, x, y)) continue;
      const uint8_t byte2 = BrightByte();
      const uint8_t byte1 = BrightByte();
      const uint8_t byte0 = BrightByte();
      StampDisc(frame, darkMap, x, y, byte2, byte1, byte0);
    }
    return FF_SUCCESS;
  }

 private:
  static bool FindDarkPixel(const Frame& frame, DarkMap& darkMap, int32_t& x, int32_t& y) {
    const FixedModulo columns(frame.width - (kSmallestSide - 1));
    const FixedModulo rows(frame.height - (kSmallestSide - 1));
    for (int32_t attempt = 0; attempt < kAttemptsPerDisc; ++attempt) {
      x = columns.Of(std::rand()) + kCentreMargin;
      y = rows.Of(std::rand()) + kCentreMargin;
      if (darkMap.IsDark(x, y)) return true;
    }
    return false;
  }

  static void StampDisc(const Frame& frame, DarkMap& darkMap, int32_t x, int32_t y, uint8_t byte2,
                        uint8_t byte1, uint8_t byte0) {
    for (int32_t row = 0; row < kDiscSide; ++row) {
      for (int32_t column = 0; column < kDiscSide; ++column) {
        if (discMask.cells[row][column] == 0) continue;
        const int32_t px = x + column - kDiscRadius, py = y + row - kDiscRadius;
        PutPixel(frame, px, py, byte2, byte1, byte0);
        darkMap.Painted(px, py, byte2, byte1, byte0);
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
