// Box diffusion: the frame is cut into square blocks of "Size" pixels, and every block, row by
// row, swaps places with the block at a small random offset, so the picture crumbles into
// jittered tiles.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RectOps.h"
#include "ScratchBuffer.h"

namespace ff {
namespace {

// Swaps the block at (x, y) with the one at (toX, toY) with the outcome of saving both and writing
// the displaced one back last: the origin takes the displaced block, and the displaced block's
// place shows the saved origin block wherever the origin does not cover it. Moving the displaced
// block straight into the origin, and writing the saved block only beside it, moves about half the
// bytes of the four whole-block copies.
void SwapBlocks(const Frame& frame, uint8_t* saved, int32_t x, int32_t y, int32_t toX, int32_t toY,
                int32_t size) {
  if (size == 1) {  // "Size" below 0.02: every pixel is a block, and a swap is an exchange
    uint8_t* origin = frame.PixelAt(x, y);
    std::swap_ranges(origin, origin + 3, frame.PixelAt(toX, toY));
    return;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(size) * 3;
  CopyRectOut(saved, frame, x, y, size, size);
  // Row by row away from the displaced block, so that no row is read after it was written.
  const bool downward = toY >= y;
  for (int32_t i = 0; i < size; ++i) {
    const int32_t r = downward ? i : size - 1 - i;
    std::memmove(frame.PixelAt(x, y + r), frame.PixelAt(toX, toY + r), rowBytes);
  }
  const int32_t leftEnd = std::min(toX + size, x);
  const int32_t rightStart = std::max(toX, x + size);
  for (int32_t r = 0; r < size; ++r) {
    const int32_t row = toY + r;
    const uint8_t* source = saved + r * rowBytes;
    if (row < y || row >= y + size) {
      std::memcpy(frame.PixelAt(toX, row), source, rowBytes);
      continue;
    }
    if (leftEnd > toX) {
      std::memcpy(frame.PixelAt(toX, row), source, static_cast<std::size_t>(leftEnd - toX) * 3);
    }
    if (rightStart < toX + size) {
      std::memcpy(frame.PixelAt(rightStart, row), source + (rightStart - toX) * 3,
                  static_cast<std::size_t>(toX + size - rightStart) * 3);
    }
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
    ScratchBuffer saved(RectBytes(size, size));
    if (!saved) return FF_FAIL;
    // Without a whole block in the frame these are negative, but then there is no block either.
    const int32_t lastX = frame.width - size;
    const int32_t lastY = frame.height - size;
    for (int32_t y = 0; y + size <= frame.height; y += size) {
      for (int32_t x = 0; x + size <= frame.width; x += size) {
        const int32_t toX = std::clamp(x + std::rand() % 11 - 5, 0, lastX);
        const int32_t toY = std::clamp(y + std::rand() % 6, 0, lastY);
        SwapBlocks(frame, saved.data(), x, y, toX, toY, size);
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
