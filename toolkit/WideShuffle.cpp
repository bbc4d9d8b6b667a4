#include "WideShuffle.h"

#include <array>
#include <utility>

#include "CpuFeatures.h"

#ifdef GLITCH_X86_VECTORS
#include <immintrin.h>
#endif

namespace ff {

#ifdef GLITCH_X86_VECTORS
namespace {

// 32 pixels fill three 32-byte registers. Byte shuffles work within 16-byte lanes, and an output
// byte takes a source byte up to two places away, so each output lane gathers from two loads: one
// starting two bytes before the lane and one starting two bytes after it. The block's very first
// lane reads from its own start instead, so that nothing before the block is read.
struct WideMasks {
  uint8_t fromEarlier[3][32];  // 0x80 (which gives 0) where the byte comes from the later load
  uint8_t fromLater[3][32];
  uint8_t halved[3][32];    // 0xFF where the output byte is halved
  uint8_t halfBits[3][32];  // 0x7F there
  bool halves;
};

constexpr int32_t kWidePixels = 32;

constexpr int32_t EarlierLoadStart(int32_t laneStart) {
  return laneStart == 0 ? 0 : laneStart - 2;
}

constexpr WideMasks MakeWideMasks(const ByteArrangement& arrangement) {
  WideMasks masks{};
  for (int32_t reg = 0; reg < 3; ++reg) {
    for (int32_t j = 0; j < 32; ++j) {
      const int32_t output = 32 * reg + j;
      const int32_t laneStart = output - j % 16;
      const int32_t position = output % 3;
      const int32_t input = output - position + arrangement.source[position];
      const int32_t earlier = input - EarlierLoadStart(laneStart);
      const bool fromEarlier = earlier < 16;
      masks.fromEarlier[reg][j] = static_cast<uint8_t>(fromEarlier ? earlier : 0x80);
      masks.fromLater[reg][j] = static_cast<uint8_t>(fromEarlier ? 0x80 : input - laneStart - 2);
      const bool halved = arrangement.shift[position] != 0;
      masks.halved[reg][j] = halved ? 0xFF : 0;
      masks.halfBits[reg][j] = halved ? 0x7F : 0;
      masks.halves = masks.halves || halved;
    }
  }
  return masks;
}

constexpr ByteArrangement ArrangementAt(int32_t index) {
  const int32_t order = index / 8, halvings = index % 8;
  return {{kByteOrders[order][0], kByteOrders[order][1], kByteOrders[order][2]},
          {static_cast<uint8_t>(halvings & 1), static_cast<uint8_t>(halvings >> 1 & 1),
           static_cast<uint8_t>(halvings >> 2 & 1)}};
}

template <std::size_t... Indices>
constexpr std::array<WideMasks, sizeof...(Indices)> MakeWideTable(std::index_sequence<Indices...>) {
  return {MakeWideMasks(ArrangementAt(Indices))...};
}

constexpr int32_t kWideArrangements = 48;  // six byte orders, each with any bytes halved
constexpr std::array<WideMasks, kWideArrangements> kWideTable =
    MakeWideTable(std::make_index_sequence<kWideArrangements>{});

__attribute__((target("avx2"))) inline __m256i Load32(const uint8_t* bytes) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}

__attribute__((target("avx2"))) inline __m256i MapRegister(__m256i earlier, __m256i later,
                                                           const WideMasks& masks, int32_t reg) {
  const __m256i bytes =
      _mm256_or_si256(_mm256_shuffle_epi8(earlier, Load32(masks.fromEarlier[reg])),
                      _mm256_shuffle_epi8(later, Load32(masks.fromLater[reg])));
  if (!masks.halves) return bytes;
  const __m256i halves = _mm256_and_si256(_mm256_srli_epi16(bytes, 1), Load32(masks.halfBits[reg]));
  return _mm256_or_si256(_mm256_andnot_si256(Load32(masks.halved[reg]), bytes), halves);
}

// Maps whole blocks of 32 pixels while two more source bytes follow the block, and answers the
// pixels done. Each block is read whole before it is written, so the source may be the target;
// and no block reads bytes the block before has just stored, which would stall every block.
__attribute__((target("avx2"))) int32_t MapWideBlocks(uint8_t* target, const uint8_t* source,
                                                      int32_t pixels, const WideMasks& masks) {
  int32_t done = 0;
  for (; done + kWidePixels < pixels; done += kWidePixels) {
    const uint8_t* from = source + done * 3;
    const __m256i first = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(from + 14),
                                              reinterpret_cast<const __m128i*>(from));
    const __m256i low = MapRegister(first, Load32(from + 2), masks, 0);
    const __m256i middle = MapRegister(Load32(from + 30), Load32(from + 34), masks, 1);
    const __m256i high = MapRegister(Load32(from + 62), Load32(from + 66), masks, 2);
    auto* to = reinterpret_cast<__m256i*>(target + done * 3);
    _mm256_storeu_si256(to, low);
    _mm256_storeu_si256(to + 1, middle);
    _mm256_storeu_si256(to + 2, high);
  }
  return done;
}

}  // namespace

int32_t ArrangeWideBlocks(uint8_t* target, const uint8_t* source, int32_t pixels, int32_t index) {
  if (index < 0 || index >= kWideArrangements || !HasAvx2()) return 0;
  return MapWideBlocks(target, source, pixels, kWideTable[static_cast<std::size_t>(index)]);
}

#else

int32_t ArrangeWideBlocks(uint8_t*, const uint8_t*, int32_t, int32_t) {
  return 0;
}

#endif

}  // namespace ff
