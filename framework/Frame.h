// A 24-bit frame as an effect sees it: rows of `width` pixels, three bytes each, packed one
// after another from row 0. The geometry is the instance's, already checked by EffectBase:
// both sides are 0 or more and the whole frame is addressable with 32-bit offsets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ff {

struct Frame {
  uint8_t* pixels;
  int32_t width;
  int32_t height;

  std::ptrdiff_t RowBytes() const { return static_cast<std::ptrdiff_t>(width) * 3; }
  std::size_t Bytes() const { return static_cast<std::size_t>(RowBytes()) * height; }
  uint8_t* Row(int32_t y) const { return pixels + y * RowBytes(); }
  uint8_t* PixelAt(int32_t x, int32_t y) const { return Row(y) + static_cast<std::ptrdiff_t>(x) * 3; }
};

}  // namespace ff
