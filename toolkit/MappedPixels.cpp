#include "MappedPixels.h"

#include <array>
#include <cstring>
#include <utility>

#include "RectOps.h"
#include "WideShuffle.h"

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

template <std::size_t... Modes>
constexpr std::array<int32_t, sizeof...(Modes)> MakeWideIndices(std::index_sequence<Modes...>) {
  return {WideShuffleIndex(kChannelModes[Modes])...};
}

// Maps a run with the widest kernel the processor has, the rest eight pixels at a time.
void MapRun(uint8_t* target, const uint8_t* source, int32_t pixels, uint32_t mode) {
  static constexpr std::array<int32_t, 18> kWideIndex =
      MakeWideIndices(std::make_index_sequence<18>{});
  const int32_t done = ArrangeWideBlocks(target, source, pixels, kWideIndex[mode]);
  kModeKernels[mode](target + done * 3, source + done * 3, pixels - done);
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
