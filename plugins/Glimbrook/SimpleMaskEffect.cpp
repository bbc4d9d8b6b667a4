// Simple mask: every pixel whose three bytes all lie below the cut-off turns white, every other
// pixel black. "Value" moves the cut-off between 11 and 60.
#include <algorithm>

#include "CpuFeatures.h"
#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"

#ifdef GLITCH_X86_VECTORS
#include <immintrin.h>
#endif

namespace ff {

namespace {

#ifdef GLITCH_X86_VECTORS
constexpr std::size_t kBlockPixels = 32;  // three 32-byte registers, so a block starts on a pixel

// Byte j of a block belongs to the pixel that starts at j - j % 3. Each byte meets the bytes two
// and one places before and after it, and takes the two of them that share its pixel, as its
// phase j % 3 says.
struct Phases {
  __m256i second, third;  // 0xFF where j % 3 is 1 or 2
};

__attribute__((target("avx2"))) inline __m256i Load(const uint8_t* bytes) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}

// The byte before each byte of the register, and the one before that; the first lanes, which
// would come from the block before, are never taken (they read 0).
__attribute__((target("avx2"))) inline __m256i BytesBefore1(__m256i bytes) {
  return _mm256_alignr_epi8(bytes, _mm256_permute2x128_si256(bytes, bytes, 0x08), 15);
}
__attribute__((target("avx2"))) inline __m256i BytesBefore2(__m256i bytes) {
  return _mm256_alignr_epi8(bytes, _mm256_permute2x128_si256(bytes, bytes, 0x08), 14);
}

// All 0xFF (white) where the pixel of the byte has its brightest byte at most `limit`, else 0.
__attribute__((target("avx2"))) inline __m256i MaskRegister(__m256i before2, __m256i before1,
                                                            __m256i here, __m256i after1,
                                                            __m256i after2, Phases phases,
                                                            __m256i limit) {
  const __m256i firstNeighbour =
      _mm256_blendv_epi8(_mm256_blendv_epi8(after1, before1, phases.second), before2, phases.third);
  const __m256i secondNeighbour =
      _mm256_blendv_epi8(_mm256_blendv_epi8(after2, after1, phases.second), before1, phases.third);
  const __m256i brightest = _mm256_max_epu8(here, _mm256_max_epu8(firstNeighbour, secondNeighbour));
  return _mm256_cmpeq_epi8(_mm256_min_epu8(brightest, limit), brightest);
}

// Masks whole blocks from the first pixel on, as long as two bytes follow the block, and answers
// the pixel after the last one done. A block is read whole (two bytes past its end included)
// before it is written. The first register takes its earlier bytes from itself rather than from
// memory, since reading the bytes the block before has just stored would stall every block.
__attribute__((target("avx2"))) std::size_t MaskBlocks(uint8_t* pixels, std::size_t count,
                                                       uint8_t limit) {
  const __m256i limits = _mm256_set1_epi8(static_cast<char>(limit));
  uint8_t second[3][32], third[3][32];
  for (int reg = 0; reg < 3; ++reg) {
    for (int i = 0; i < 32; ++i) {
      second[reg][i] = (reg * 32 + i) % 3 == 1 ? 0xFF : 0;
      third[reg][i] = (reg * 32 + i) % 3 == 2 ? 0xFF : 0;
    }
  }
  Phases phases[3];
  for (int reg = 0; reg < 3; ++reg) {
    phases[reg] = {Load(second[reg]), Load(third[reg])};
  }
  std::size_t pixel = 0;
  for (; (pixel + kBlockPixels) * 3 + 2 <= count * 3; pixel += kBlockPixels) {
    uint8_t* block = pixels + pixel * 3;
    const __m256i first32 = Load(block);
    const __m256i low = MaskRegister(BytesBefore2(first32), BytesBefore1(first32), first32,
                                     Load(block + 1), Load(block + 2), phases[0], limits);
    const __m256i middle = MaskRegister(Load(block + 30), Load(block + 31), Load(block + 32),
                                        Load(block + 33), Load(block + 34), phases[1], limits);
    const __m256i high = MaskRegister(Load(block + 62), Load(block + 63), Load(block + 64),
                                      Load(block + 65), Load(block + 66), phases[2], limits);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block), low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block + 32), middle);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block + 64), high);
  }
  return pixel;
}
#endif

void MaskPixels(uint8_t* begin, uint8_t* end, uint8_t limit) {
  for (uint8_t* pixel = begin; pixel < end; pixel += 3) {
    const bool dark = pixel[0] <= limit && pixel[1] <= limit && pixel[2] <= limit;
    pixel[0] = pixel[1] = pixel[2] = dark ? 255 : 0;
  }
}

}  // namespace

class SimpleMaskEffect : public EffectBase {
 public:
  SimpleMaskEffect() { AddFloatParameter(0, "Value", 0.1f, valueParam); }

 protected:
  void ParameterChanged(uint32_t) override {
    maskLevel = AtLeast(ScaleParameter(valueParam, 50), 1);
  }

  FFResult Render(const Frame& frame) override {
    // Every pixel depends on itself alone, so the frame is one run of pixels. A byte is dark when
    // it lies below the cut-off, that is at most `limit`; a pixel turns white when all three are.
    const int64_t cutoff = int64_t{maskLevel} + 10;
    const auto limit = static_cast<uint8_t>(std::min<int64_t>(cutoff - 1, 255));
    const std::size_t pixels = frame.Bytes() / 3;
    uint8_t* const end = frame.pixels + pixels * 3;
#ifdef GLITCH_X86_VECTORS
    if (HasAvx2()) {
      MaskPixels(frame.pixels + MaskBlocks(frame.pixels, pixels, limit) * 3, end, limit);
      return FF_SUCCESS;
    }
#endif
    MaskPixels(frame.pixels, end, limit);
    return FF_SUCCESS;
  }

 private:
  float valueParam;
  int32_t maskLevel = 5;
};

const EffectRegistration<SimpleMaskEffect> registration("aaaa", "Glimbrook",
                                                        "genarate simple mask");

}  // namespace ff
