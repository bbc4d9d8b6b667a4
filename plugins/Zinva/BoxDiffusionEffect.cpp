// Box diffusion: the frame is cut into square blocks of "Size" pixels, and every block, row by
// row, swaps places with the block at a small random offset, so the picture crumbles into
// jittered tiles.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"

namespace ff {
namespace {

constexpr int32_t kMaximumOffset = 5;  // columns a block moves at most either way

// A memmove for the short rows of a block, inline in 16-byte pieces: a library call for every row
// would cost more than the copy. Each direction reads every piece before a store can reach it.
inline void MoveRow(uint8_t* to, const uint8_t* from, std::size_t count) {
  constexpr std::size_t kPiece = 16;
  if (count < kPiece) {
    std::memmove(to, from, count);
    return;
  }
  uint8_t piece[kPiece];
  if (to <= from) {
    uint8_t last[kPiece];
    std::memcpy(last, from + count - kPiece, kPiece);
    for (std::size_t i = 0; i + kPiece < count; i += kPiece) {
      std::memcpy(piece, from + i, kPiece);
      std::memcpy(to + i, piece, kPiece);
    }
    std::memcpy(to + count - kPiece, last, kPiece);
  } else {
    uint8_t first[kPiece];
    std::memcpy(first, from, kPiece);
    for (std::size_t end = count; end > kPiece; end -= kPiece) {
      std::memcpy(piece, from + end - kPiece, kPiece);
      std::memcpy(to + end - kPiece, piece, kPiece);
    }
    std::memcpy(to, first, kPiece);
  }
}

// Up to five pixels (15 bytes) held in two overlapping words rather than in memory: storing them
// to a buffer and reading them back at other offsets stalls, and a byte loop or a library call
// costs as much as the row's move.
class FewPixels {
 public:
  FewPixels(const uint8_t* from, int32_t pixels) : count(static_cast<std::size_t>(pixels) * 3) {
    if (count >= 8) {
      Load<uint64_t>(from);
    } else if (count >= 4) {
      Load<uint32_t>(from);
    } else if (count == 3) {
      Load<uint16_t>(from);
    }
  }

  void StoreTo(uint8_t* to) const {
    if (count >= 8) {
      Store<uint64_t>(to);
    } else if (count >= 4) {
      Store<uint32_t>(to);
    } else if (count == 3) {
      Store<uint16_t>(to);
    }
  }

 private:
  template <typename Word>
  void Load(const uint8_t* from) {
    Word word;
    std::memcpy(&word, from, sizeof word);
    head = word;
    std::memcpy(&word, from + count - sizeof word, sizeof word);
    tail = word;
  }

  template <typename Word>
  void Store(uint8_t* to) const {
    const auto first = static_cast<Word>(head), last = static_cast<Word>(tail);
    std::memcpy(to, &first, sizeof first);
    std::memcpy(to + count - sizeof last, &last, sizeof last);
  }

  std::size_t count;
  uint64_t head = 0, tail = 0;
};

// Swaps the block at (x, y) with the one at (toX, toY), toY >= y, with the outcome of saving both
// and writing the displaced one back last: the origin takes the displaced block, and the displaced
// block's place shows the saved origin block wherever the origin does not cover it.
//
// Done row by row from the top, origin row r and displaced row r together. Displaced row r is read
// before anything writes it: its part inside the origin is origin row r + dy, written later. When
// it lies below the origin the two rows simply exchange; when it shares a frame row with the
// origin, only the few origin pixels whose partners lie beside the origin are kept aside (at most
// five, the largest horizontal offset) before the displaced row moves in.
void SwapBlocks(const Frame& frame, int32_t x, int32_t y, int32_t toX, int32_t toY, int32_t size) {
  const int32_t dx = toX - x;
  const int32_t dy = toY - y;
  const std::size_t rowBytes = static_cast<std::size_t>(size) * 3;
  // Origin pixels [keptFrom, keptFrom + kept) go to the displaced row's part beside the origin.
  const int32_t kept = std::min(std::abs(dx), size);
  const int32_t keptFrom = dx > 0 ? size - kept : 0;
  for (int32_t r = 0; r < size; ++r) {
    uint8_t* origin = frame.PixelAt(x, y + r);
    uint8_t* displaced = frame.PixelAt(toX, toY + r);
    if (r + dy >= size) {
      std::swap_ranges(origin, origin + rowBytes, displaced);
      continue;
    }
    const FewPixels keptPixels(origin + keptFrom * 3, kept);
    MoveRow(origin, displaced, rowBytes);
    keptPixels.StoreTo(displaced + keptFrom * 3);
  }
}

class BoxDiffusionEffect : public EffectBase {
 public:
  BoxDiffusionEffect() { AddFloatParameter(0, "Size", 0.32f, sizeParam); }

 protected:
  void ParameterChanged(uint32_t) override {
    blockSize = AtLeast(LowByte(ScaleParameter(sizeParam, 100)), 1);
  }

  FFResult Render(const Frame& frame) override {
    const int32_t size = blockSize;
    // Without a whole block in the frame these are negative, but then there is no block either.
    const int32_t lastX = frame.width - size;
    const int32_t lastY = frame.height - size;
    for (int32_t y = 0; y + size <= frame.height; y += size) {
      for (int32_t x = 0; x + size <= frame.width; x += size) {
        const int32_t toX =
            std::clamp(x + std::rand() % (2 * kMaximumOffset + 1) - kMaximumOffset, 0, lastX);
        const int32_t toY = std::clamp(y + std::rand() % 6, 0, lastY);
        SwapBlocks(frame, x, y, toX, toY, size);
      }
    }
    return FF_SUCCESS;
  }

 private:
  float sizeParam;
  int32_t blockSize = 31;
};

const EffectRegistration<BoxDiffusionEffect> registration("zNvA", "Zinva", "box diffusion");

}  // namespace
}  // namespace ff
