#include "MappedPixels.h"

#include <cstring>

#include "RectOps.h"

namespace ff {
namespace {

// The arrangement of one ChannelMode, known to the compiler: output byte k takes source byte
// SourceK, halved where ShiftK is 1.
template <int Source0, int Source1, int Source2, int Shift0, int Shift1, int Shift2>
struct ModeKernel {
  static constexpr int kSource[3] = {Source0, Source1, Source2};
  static constexpr int kShift[3] = {Shift0, Shift1, Shift2};

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
      target[0] = static_cast<uint8_t>(bytes[Source0] >> Shift0);
      target[1] = static_cast<uint8_t>(bytes[Source1] >> Shift1);
      target[2] = static_cast<uint8_t>(bytes[Source2] >> Shift2);
    }
  }
};

using MapFn = void (*)(uint8_t*, const uint8_t*, int32_t);

constexpr MapFn kModeKernels[18] = {
    ModeKernel<2, 1, 0, 0, 0, 0>::Map,  // 0
    ModeKernel<2, 0, 1, 0, 0, 0>::Map,  // 1
    ModeKernel<1, 2, 0, 0, 0, 0>::Map,  // 2
    ModeKernel<1, 0, 2, 0, 0, 0>::Map,  // 3
    ModeKernel<0, 2, 1, 0, 0, 0>::Map,  // 4
    nullptr,                            // 5: the bytes keep their order
    ModeKernel<2, 1, 0, 0, 0, 1>::Map,  // 6: order 0, byte 2 halved
    ModeKernel<2, 0, 1, 0, 0, 1>::Map,  // 7
    ModeKernel<1, 2, 0, 0, 0, 1>::Map,  // 8
    ModeKernel<1, 0, 2, 0, 1, 0>::Map,  // 9: order 3, byte 1 halved
    ModeKernel<0, 2, 1, 0, 1, 0>::Map,  // 10
    ModeKernel<0, 1, 2, 0, 1, 0>::Map,  // 11
    ModeKernel<2, 1, 0, 1, 0, 0>::Map,  // 12: order 0, byte 0 halved
    ModeKernel<2, 0, 1, 1, 0, 0>::Map,  // 13
    ModeKernel<1, 2, 0, 1, 0, 0>::Map,  // 14
    ModeKernel<1, 0, 2, 0, 0, 0>::Map,  // 15: orders 3 to 5 again
    ModeKernel<0, 2, 1, 0, 0, 0>::Map,  // 16
    nullptr,                            // 17: as 5
};

}  // namespace

void MapPixels(uint8_t* target, const uint8_t* source, int32_t pixels, uint32_t mode) {
  if (mode >= 18 || pixels <= 0) return;
  if (kModeKernels[mode] != nullptr) {
    kModeKernels[mode](target, source, pixels);
  } else if (target != source) {
    std::memcpy(target, source, static_cast<std::size_t>(pixels) * 3);
  }
}

void MapRectInPlace(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mode) {
  if (mode >= 18 || kModeKernels[mode] == nullptr) return;
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  for (int32_t r = 0; r < clip.height; ++r) {
    uint8_t* row = frame.PixelAt(clip.x, clip.y + r);
    kModeKernels[mode](row, row, clip.width);
  }
}

}  // namespace ff
