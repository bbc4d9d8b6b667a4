// Simple mask: every pixel whose three bytes all lie below the cut-off turns white, every other
// pixel black. "Value" moves the cut-off between 11 and 60.
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"

namespace ff {

namespace {

#ifdef __SSE2__
// 48 bytes, sixteen pixels, in three registers; bytes are numbered 0 to 47 across them.
struct Block {
  __m128i low, middle, high;
};

Block And(Block a, Block b) {
  return {_mm_and_si128(a.low, b.low), _mm_and_si128(a.middle, b.middle), _mm_and_si128(a.high, b.high)};
}
Block Or(Block a, Block b) {
  return {_mm_or_si128(a.low, b.low), _mm_or_si128(a.middle, b.middle), _mm_or_si128(a.high, b.high)};
}

// Byte i of the result is byte i + N of the block (0 past the end).
template <int N>
Block FromNext(Block b) {
  return {_mm_or_si128(_mm_srli_si128(b.low, N), _mm_slli_si128(b.middle, 16 - N)),
          _mm_or_si128(_mm_srli_si128(b.middle, N), _mm_slli_si128(b.high, 16 - N)),
          _mm_srli_si128(b.high, N)};
}

// Byte i of the result is byte i - N of the block (0 before the start).
template <int N>
Block FromPrevious(Block b) {
  return {_mm_slli_si128(b.low, N),
          _mm_or_si128(_mm_slli_si128(b.middle, N), _mm_srli_si128(b.low, 16 - N)),
          _mm_or_si128(_mm_slli_si128(b.high, N), _mm_srli_si128(b.middle, 16 - N))};
}

// 0xFF where the byte is at most `limit`, else 0.
__m128i Dark(__m128i bytes, __m128i limit) {
  return _mm_cmpeq_epi8(_mm_min_epu8(bytes, limit), bytes);
}

// Masks whole blocks of sixteen pixels with SSE2 and answers how many pixels it did.
std::size_t MaskSixteenPixelsAtATime(uint8_t* pixels, std::size_t count, uint8_t limit) {
  const __m128i limits = _mm_set1_epi8(static_cast<char>(limit));
  // The first byte of each pixel: bytes 0, 3, 6, ... 45.
  const Block firstBytes = {_mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1),
                            _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0),
                            _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0)};
  std::size_t done = 0;
  for (; done + 16 <= count; done += 16) {
    auto* bytes = reinterpret_cast<__m128i*>(pixels + done * 3);
    const Block dark = {Dark(_mm_loadu_si128(bytes), limits), Dark(_mm_loadu_si128(bytes + 1), limits),
                        Dark(_mm_loadu_si128(bytes + 2), limits)};
    // At each pixel's first byte: all three of its bytes are dark; then spread to the other two.
    const Block pixelDark = And(And(And(dark, FromNext<1>(dark)), FromNext<2>(dark)), firstBytes);
    const Block level = Or(Or(pixelDark, FromPrevious<1>(pixelDark)), FromPrevious<2>(pixelDark));
    _mm_storeu_si128(bytes, level.low);
    _mm_storeu_si128(bytes + 1, level.middle);
    _mm_storeu_si128(bytes + 2, level.high);
  }
  return done;
}
#else
std::size_t MaskSixteenPixelsAtATime(uint8_t*, std::size_t, uint8_t) { return 0; }
#endif

}  // namespace

class SimpleMaskEffect : public EffectBase {
 public:
  SimpleMaskEffect() { AddFloatParameter(0, "Value", 0.1f, valueParam); }

 protected:
  void ParameterChanged(uint32_t) override { maskLevel = AtLeast(ScaleParameter(valueParam, 50), 1); }

  FFResult Render(const Frame& frame) override {
    // Every pixel depends on itself alone, so the frame is one run of pixels. A byte is dark when
    // it lies below the cut-off, that is at most `limit`; a pixel turns white when all three are.
    const int64_t cutoff = int64_t{maskLevel} + 10;
    const auto limit = static_cast<uint8_t>(std::min<int64_t>(cutoff - 1, 255));
    const std::size_t pixels = frame.Bytes() / 3;
    const std::size_t masked = MaskSixteenPixelsAtATime(frame.pixels, pixels, limit);
    for (uint8_t* pixel = frame.pixels + masked * 3; pixel < frame.pixels + pixels * 3; pixel += 3) {
      const bool dark = pixel[0] <= limit && pixel[1] <= limit && pixel[2] <= limit;
      pixel[0] = pixel[1] = pixel[2] = dark ? 255 : 0;
    }
    return FF_SUCCESS;
  }

 private:
  float valueParam;
  int32_t maskLevel = 5;
};

const EffectRegistration<SimpleMaskEffect> registration("aaaa", "Glimbrook", "genarate simple mask");

}  // namespace ff
