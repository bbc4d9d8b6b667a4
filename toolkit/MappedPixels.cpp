#include "MappedPixels.h"

#include <array>
#include <cstring>
#include <utility>

#include "RectOps.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define GLITCH_WIDE_SHUFFLE 1
#endif

namespace ff {
namespace {

// The arrangement of one ChannelMode, known to the compiler: output byte k takes source byte
// kSource[k], halved where kShift[k] is 1.
template <uint32_t Mode>
struct ModeKernel {
  static constexpr int kSource[3] = {kChannelModes[Mode].source[0], kChannelModes[Mode].source[1],
                                     kChannelModes[Mode].source[2]};
  static constexpr int kShift[3] = {kChannelModes[Mode].shift[0], kChannelModes[Mode].shift[1],
                                    kChannelModes[Mode].shift[2]};
  // Modes that keep every byte where it is have nothing to rewrite in place.
  static constexpr bool kKeepsBytes = kSource[0] == 0 && kSource[1] == 1 && kSource[2] == 2 &&
                                      kShift[0] == 0 && kShift[1] == 0 && kShift[2] == 0;

  // Eight pixels are 24 bytes, three 64-bit words. Output byte g of the block takes source byte
  // g + d, where the displacement d (-2 to 2) depends only on g % 3; so each output word is the
  // OR of up to five source words, read d bytes further on and masked to the bytes of that d.
  static constexpr uint64_t DisplacementMask(int word, int displacement) {
    uint64_t mask = 0;
    for (int j = 0; j < 8; ++j) {
      const int position = (8 * word + j) % 3;
      if (kSource[position] - position == displacement) mask |= uint64_t{0xFF} << (8 * j);
    }
    return mask;
  }

  static constexpr uint64_t HalvedMask(int word) {
    uint64_t mask = 0;
    for (int j = 0; j < 8; ++j) {
      if (kShift[(8 * word + j) % 3] != 0) mask |= uint64_t{0x7F} << (8 * j);
    }
    return mask;
  }

  static uint64_t Load(const uint8_t* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
  }

  // The source word d bytes on from output word `word`, read only from inside the block: the
  // first word shifts its own bytes up instead of reading before the block, the last shifts down.
  template <int Word, int Displacement>
  static uint64_t DisplacedBytes(const uint8_t* block) {
    constexpr uint64_t mask = DisplacementMask(Word, Displacement);
    if constexpr (mask == 0) {
      return 0;
    } else if constexpr (Word == 0 && Displacement < 0) {
      return (Load(block) << (-8 * Displacement)) & mask;
    } else if constexpr (Word == 2 && Displacement > 0) {
      return (Load(block + 16) >> (8 * Displacement)) & mask;
    } else {
      return Load(block + 8 * Word + Displacement) & mask;
    }
  }

  template <int Word>
  static uint64_t OutputWord(const uint8_t* block) {
    const uint64_t word = DisplacedBytes<Word, -2>(block) | DisplacedBytes<Word, -1>(block) |
                          DisplacedBytes<Word, 0>(block) | DisplacedBytes<Word, 1>(block) |
                          DisplacedBytes<Word, 2>(block);
    constexpr uint64_t halved = HalvedMask(Word);
    if constexpr (halved == 0) {
      return word;
    } else {
      constexpr uint64_t kept = ~(halved | (halved << 1));
      return (word & kept) | ((word >> 1) & halved);
    }
  }

  static void Map(uint8_t* target, const uint8_t* source, int32_t pixels) {
    if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) {
      for (; pixels >= 8; pixels -= 8, source += 24, target += 24) {
        // All of a block is read before any of it is written, so the source may be the target.
        // Three separate stores: one wide store of words just written would stall on them.
        const uint64_t first = OutputWord<0>(source);
        const uint64_t second = OutputWord<1>(source);
        const uint64_t third = OutputWord<2>(source);
        std::memcpy(target, &first, sizeof first);
        std::memcpy(target + 8, &second, sizeof second);
        std::memcpy(target + 16, &third, sizeof third);
      }
    }
    for (; pixels > 0; --pixels, source += 3, target += 3) {
      const uint8_t bytes[3] = {source[0], source[1], source[2]};
      target[0] = static_cast<uint8_t>(bytes[kSource[0]] >> kShift[0]);
      target[1] = static_cast<uint8_t>(bytes[kSource[1]] >> kShift[1]);
      target[2] = static_cast<uint8_t>(bytes[kSource[2]] >> kShift[2]);
    }
  }
};

using MapFn = void (*)(uint8_t*, const uint8_t*, int32_t);

template <uint32_t Mode>
constexpr MapFn KernelFor() {
  return ModeKernel<Mode>::kKeepsBytes ? nullptr : ModeKernel<Mode>::Map;
}

template <uint32_t... Modes>
constexpr std::array<MapFn, sizeof...(Modes)> MakeKernels(
    std::integer_sequence<uint32_t, Modes...>) {
  return {KernelFor<Modes>()...};
}

// nullptr for the modes whose bytes keep their order (5 and 17).
constexpr std::array<MapFn, 18> kModeKernels =
    MakeKernels(std::make_integer_sequence<uint32_t, 18>{});

#ifdef GLITCH_WIDE_SHUFFLE

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

template <std::size_t... Modes>
constexpr std::array<WideMasks, sizeof...(Modes)> MakeAllWideMasks(std::index_sequence<Modes...>) {
  return {MakeWideMasks(kChannelModes[Modes])...};
}

constexpr std::array<WideMasks, 18> kWideMasks = MakeAllWideMasks(std::make_index_sequence<18>{});

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

bool HasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}

#endif

// Maps a run with the widest kernel the processor has, the rest eight pixels at a time.
void MapRun(uint8_t* target, const uint8_t* source, int32_t pixels, uint32_t mode) {
#ifdef GLITCH_WIDE_SHUFFLE
  if (HasAvx2()) {
    const int32_t done = MapWideBlocks(target, source, pixels, kWideMasks[mode]);
    target += done * 3;
    source += done * 3;
    pixels -= done;
  }
#endif
  kModeKernels[mode](target, source, pixels);
}

}  // namespace

void MapPixels(uint8_t* target, const uint8_t* source, int32_t pixels, uint32_t mode) {
  if (mode >= 18 || pixels <= 0) return;
  if (kModeKernels[mode] != nullptr) {
    MapRun(target, source, pixels, mode);
  } else if (target != source) {
    std::memcpy(target, source, static_cast<std::size_t>(pixels) * 3);
  }
}

void MapRectInPlace(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mode) {
  if (mode >= 18 || kModeKernels[mode] == nullptr) return;
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  for (int32_t r = 0; r < clip.height; ++r) {
    uint8_t* row = frame.PixelAt(clip.x, clip.y + r);
    MapRun(row, row, clip.width, mode);
  }
}

}  // namespace ff
