#include "ArrangeInPlace.h"

#include <array>
#include <cstddef>
#include <utility>

#include "RectOps.h"

namespace ff {

namespace {

// One kernel per byte order and set of halved output bytes, so that the compiler sees constant
// byte positions and shifts in the inner loop.
template <int Order, int HalvedMask>
void ArrangeRows(const Frame& frame, const ClippedRect& clip) {
  constexpr int s0 = kByteOrders[Order][0], s1 = kByteOrders[Order][1], s2 = kByteOrders[Order][2];
  constexpr int h0 = HalvedMask & 1, h1 = (HalvedMask >> 1) & 1, h2 = (HalvedMask >> 2) & 1;
  // Locals, because byte stores may alias anything the loops would otherwise read again.
  const int32_t width = clip.width;
  const int32_t height = clip.height;
  const std::ptrdiff_t rowBytes = frame.RowBytes();
  uint8_t* const first = frame.PixelAt(clip.x, clip.y);
  for (int32_t r = 0; r < height; ++r) {
    uint8_t* pixel = first + r * rowBytes;
    for (int32_t c = 0; c < width; ++c, pixel += 3) {
      const uint8_t source[3] = {pixel[0], pixel[1], pixel[2]};
      pixel[0] = static_cast<uint8_t>(source[s0] >> h0);
      pixel[1] = static_cast<uint8_t>(source[s1] >> h1);
      pixel[2] = static_cast<uint8_t>(source[s2] >> h2);
    }
  }
}

using RowsKernel = void (*)(const Frame&, const ClippedRect&);

template <int Order, int... HalvedMasks>
constexpr std::array<RowsKernel, 8> KernelsOfOrder(std::integer_sequence<int, HalvedMasks...>) {
  return {&ArrangeRows<Order, HalvedMasks>...};
}

template <int... Orders>
constexpr std::array<std::array<RowsKernel, 8>, 6> AllKernels(
    std::integer_sequence<int, Orders...>) {
  return {KernelsOfOrder<Orders>(std::make_integer_sequence<int, 8>())...};
}

constexpr std::array<std::array<RowsKernel, 8>, 6> kKernels =
    AllKernels(std::make_integer_sequence<int, 6>());

// The byte order that an arrangement's sources follow; every ChannelMode follows one of the six.
int OrderOf(const ByteArrangement& arrangement) {
  int order = 0;
  while (order < 5 && (arrangement.source[0] != kByteOrders[order][0] ||
                       arrangement.source[1] != kByteOrders[order][1])) {
    ++order;
  }
  return order;
}

}  // namespace

void MapRectInPlace(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mode) {
  if (mode > 17) return;
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  if (clip.Empty()) return;
  const ByteArrangement arrangement = ChannelModeArrangement(mode);
  const int halvedMask =
      arrangement.shift[0] | arrangement.shift[1] << 1 | arrangement.shift[2] << 2;
  kKernels[OrderOf(arrangement)][halvedMask](frame, clip);
}

}  // namespace ff
