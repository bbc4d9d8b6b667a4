#include "PixelTint.h"

#include <algorithm>
#include <cstring>

#include "CpuFeatures.h"

#ifdef GLITCH_X86_VECTORS
#include <immintrin.h>
#endif

namespace ff {

namespace {

// A vector lane whose mask byte has its top bit set is zeroed by the shuffle.
constexpr uint8_t kNoLane = 0x80;

#ifdef GLITCH_X86_VECTORS

struct LoadedMasks {
  __m128i shuffle[3][3], add[3], subtract[3];
};

struct Group {
  __m128i vectors[3];
};

__attribute__((target("ssse3"))) inline Group TintedGroup(const uint8_t* bytes,
                                                          const LoadedMasks& masks) {
  const __m128i* vectors = reinterpret_cast<const __m128i*>(bytes);
  const __m128i source[3] = {_mm_loadu_si128(vectors), _mm_loadu_si128(vectors + 1),
                             _mm_loadu_si128(vectors + 2)};
  Group tinted;
  for (int v = 0; v < 3; ++v) {
    __m128i out = _mm_shuffle_epi8(source[v], masks.shuffle[v][v]);
    if (v > 0) out = _mm_or_si128(out, _mm_shuffle_epi8(source[v - 1], masks.shuffle[v][v - 1]));
    if (v < 2) out = _mm_or_si128(out, _mm_shuffle_epi8(source[v + 1], masks.shuffle[v][v + 1]));
    tinted.vectors[v] = _mm_subs_epu8(_mm_adds_epu8(out, masks.add[v]), masks.subtract[v]);
  }
  return tinted;
}

__attribute__((target("ssse3"))) inline void StoreGroup(uint8_t* bytes, const Group& group) {
  __m128i* vectors = reinterpret_cast<__m128i*>(bytes);
  for (int v = 0; v < 3; ++v) _mm_storeu_si128(vectors + v, group.vectors[v]);
}

__attribute__((target("ssse3"))) void ApplyToRunSsse3(uint8_t* pixels, std::size_t count,
                                                      const LoadedMasks& masks) {
  if (count < PixelTint::kGroupPixels) {
    // Too few pixels for a group: they go through a group of their own, so nothing past them is
    // touched.
    alignas(16) uint8_t group[PixelTint::kGroupBytes] = {};
    std::memcpy(group, pixels, count * 3);
    StoreGroup(group, TintedGroup(group, masks));
    std::memcpy(pixels, group, count * 3);
    return;
  }
  // The last sixteen pixels may overlap the whole groups before them. Rewritten from the
  // untouched pixels before any group is stored, they store the same bytes again where they
  // overlap.
  const std::size_t lastGroup = (count - PixelTint::kGroupPixels) * 3;
  const Group last = TintedGroup(pixels + lastGroup, masks);
  for (std::size_t byte = 0; byte < lastGroup; byte += PixelTint::kGroupBytes) {
    StoreGroup(pixels + byte, TintedGroup(pixels + byte, masks));
  }
  StoreGroup(pixels + lastGroup, last);
}

__attribute__((target("ssse3"))) void ApplySsse3(uint8_t* pixels, std::size_t count,
                                                 std::size_t rows, std::ptrdiff_t rowStride,
                                                 const PixelTint::GroupMasks& stored) {
  LoadedMasks masks;
  for (int v = 0; v < 3; ++v) {
    for (int u = 0; u < 3; ++u) {
      masks.shuffle[v][u] = _mm_load_si128(reinterpret_cast<const __m128i*>(stored.shuffle[v][u]));
    }
    masks.add[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(stored.add[v]));
    masks.subtract[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(stored.subtract[v]));
  }
  for (std::size_t row = 0; row < rows; ++row, pixels += rowStride) {
    ApplyToRunSsse3(pixels, count, masks);
  }
}

#endif

}  // namespace

int32_t AddClamped(int32_t a, int32_t b) {
  if (b > 0 && a > 255 - b) return 255;
  if (b < 0 && a < -int64_t{b}) return 0;
  return a + b;
}

PixelTint::PixelTint(const uint8_t (&order)[3], const int32_t (&offsets)[3])
    : order{order[0], order[1], order[2]}, offsets{offsets[0], offsets[1], offsets[2]}, masks{} {
  for (int v = 0; v < 3; ++v) {
    for (int lane = 0; lane < 16; ++lane) {
      const int byte = 16 * v + lane;
      const int position = byte % 3;
      const int source = byte - position + order[position];
      for (int u = 0; u < 3; ++u) {
        masks.shuffle[v][u][lane] = source / 16 == u ? static_cast<uint8_t>(source % 16) : kNoLane;
      }
      // Saturating at 255 either way gives the same clamp for offsets beyond a byte's range.
      const int32_t offset = offsets[position];
      masks.add[v][lane] = static_cast<uint8_t>(std::clamp(offset, 0, 255));
      masks.subtract[v][lane] =
          static_cast<uint8_t>(offset < 0 ? std::min<int64_t>(-int64_t{offset}, 255) : 0);
    }
  }
}

void PixelTint::Apply(uint8_t* pixels, std::size_t count, std::size_t rows,
                      std::ptrdiff_t rowStride) const {
  if (count == 0) return;
#ifdef GLITCH_X86_VECTORS
  if (HasSsse3()) {
    ApplySsse3(pixels, count, rows, rowStride, masks);
    return;
  }
#endif
  ApplyPortable(pixels, count, rows, rowStride);
}

void PixelTint::ApplyPortable(uint8_t* pixels, std::size_t count, std::size_t rows,
                              std::ptrdiff_t rowStride) const {
  for (std::size_t row = 0; row < rows; ++row, pixels += rowStride) {
    uint8_t* pixel = pixels;
    for (std::size_t i = 0; i < count; ++i, pixel += 3) {
      const uint8_t source[3] = {pixel[0], pixel[1], pixel[2]};
      for (int k = 0; k < 3; ++k) {
        pixel[k] = static_cast<uint8_t>(AddClamped(source[order[k]], offsets[k]));
      }
    }
  }
}

}  // namespace ff
