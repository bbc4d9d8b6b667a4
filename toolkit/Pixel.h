// Per-pixel access that lists a pixel's bytes from the last to the first, so that what
// GetPixel reads, PutPixel given in the same order writes back unchanged. Pixels outside the
// frame read as black and are never written.
#pragma once

#include <cstdint>

#include "Frame.h"

namespace ff {

inline bool InsideFrame(const Frame& frame, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < frame.width && y < frame.height;
}

inline void GetPixel(const Frame& frame, int32_t x, int32_t y, uint8_t& byte2, uint8_t& byte1,
                     uint8_t& byte0) {
  if (!InsideFrame(frame, x, y)) {
    byte2 = byte1 = byte0 = 0;
    return;
  }
  const uint8_t* pixel = frame.PixelAt(x, y);
  byte2 = pixel[2];
  byte1 = pixel[1];
  byte0 = pixel[0];
}

inline void PutPixel(const Frame& frame, int32_t x, int32_t y, uint8_t byte2, uint8_t byte1,
                     uint8_t byte0) {
  if (!InsideFrame(frame, x, y)) return;
  uint8_t* pixel = frame.PixelAt(x, y);
  pixel[2] = byte2;
  pixel[1] = byte1;
  pixel[0] = byte0;
}

}  // namespace ff
