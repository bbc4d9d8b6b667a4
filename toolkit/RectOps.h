// Rectangles of a frame and packed rectangle buffers: a w x h rectangle is stored row after row,
// w * 3 bytes per row with no gap, pixel (c, r) at byte (c + r * w) * 3.
//
// Every operation clips to the frame: the part of a rectangle that lies outside the frame is
// neither read nor written, and the buffer keeps its full w x h layout. Effects keep their
// rectangles inside the frame; clipping keeps odd geometries of the host from ever reaching
// memory outside it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "Frame.h"

namespace ff {

// The part of rectangle (x, y, w, h) inside the frame, and where it starts in the packed buffer.
struct ClippedRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  std::ptrdiff_t bufferOffset = 0;  // bytes
  std::ptrdiff_t bufferStride = 0;  // bytes per buffer row

  bool Empty() const { return width <= 0 || height <= 0; }
};

ClippedRect ClipRect(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h);

// Calls visit(framePixel, bufferPixel) for every pixel of the rectangle inside the frame, row by
// row and left to right.
template <class Visit>
void ForEachRectPixel(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                      int32_t h, Visit visit) {
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  if (clip.Empty()) return;
  for (int32_t r = 0; r < clip.height; ++r) {
    uint8_t* target = frame.PixelAt(clip.x, clip.y + r);
    const uint8_t* source = buffer + clip.bufferOffset + r * clip.bufferStride;
    for (int32_t c = 0; c < clip.width; ++c, target += 3, source += 3) visit(target, source);
  }
}

// How the three bytes of a buffer pixel become the bytes of a frame pixel: output byte k is
// source byte `source[k]` shifted right by `shift[k]` (1 halves it).
struct ByteArrangement {
  uint8_t source[3];
  uint8_t shift[3];
};

// The six orders of three bytes, numbered as PixelPermutation and ChannelMode 0 to 5 number them.
constexpr uint8_t kByteOrders[6][3] = {{2, 1, 0}, {2, 0, 1}, {1, 2, 0},
                                       {1, 0, 2}, {0, 2, 1}, {0, 1, 2}};

void WriteRectArranged(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                       int32_t h, const ByteArrangement& arrangement);

// Copies the rectangle out of the frame into the packed buffer.
void CopyRectOut(uint8_t* buffer, const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h);

// Copies the packed buffer into the rectangle of the frame, bytes unchanged.
void CopyRectIn(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                int32_t h);

// ChannelMode 0 to 17 rearrange the bytes (some halve one of them); any other mode leaves the
// rectangle unchanged.
void WriteRectMapped(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                     int32_t h, uint32_t mode);

// Writes the w x h rectangle at (fromX, fromY) to (x, y) through ChannelMode `mode`, with the
// outcome of copying it out first and writing the copy (CopyRectOut, then WriteRectMapped) even
// where the two overlap, through a buffer of one row (w pixels) rather than of the rectangle.
// Only the part where both the source and the target pixel lie inside the frame is written.
void MoveRectMapped(const Frame& frame, uint8_t* rowBuffer, int32_t fromX, int32_t fromY, int32_t x,
                    int32_t y, int32_t w, int32_t h, uint32_t mode);

// As WriteRectMapped, and mode 18 paints the rectangle black.
void WriteRectMappedBlank(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y,
                          int32_t w, int32_t h, uint32_t mode);

constexpr uint32_t kBlankMode = 18;

// The arrangements of ChannelMode 0 to 17.
constexpr ByteArrangement kChannelModes[18] = {
    {{2, 1, 0}, {0, 0, 0}},  // 0
    {{2, 0, 1}, {0, 0, 0}},  // 1
    {{1, 2, 0}, {0, 0, 0}},  // 2
    {{1, 0, 2}, {0, 0, 0}},  // 3
    {{0, 2, 1}, {0, 0, 0}},  // 4
    {{0, 1, 2}, {0, 0, 0}},  // 5
    {{2, 1, 0}, {0, 0, 1}},  // 6: order 0, byte 2 halved
    {{2, 0, 1}, {0, 0, 1}},  // 7
    {{1, 2, 0}, {0, 0, 1}},  // 8
    {{1, 0, 2}, {0, 1, 0}},  // 9: order 3, byte 1 halved
    {{0, 2, 1}, {0, 1, 0}},  // 10
    {{0, 1, 2}, {0, 1, 0}},  // 11
    {{2, 1, 0}, {1, 0, 0}},  // 12: order 0, byte 0 halved
    {{2, 0, 1}, {1, 0, 0}},  // 13
    {{1, 2, 0}, {1, 0, 0}},  // 14
    {{1, 0, 2}, {0, 0, 0}},  // 15: orders 3 to 5 again
    {{0, 2, 1}, {0, 0, 0}},  // 16
    {{0, 1, 2}, {0, 0, 0}},  // 17
};

// The arrangement of ChannelMode 0 to 17 (the caller keeps the mode in that range).
inline ByteArrangement ChannelModeArrangement(uint32_t mode) {
  return kChannelModes[mode];
}

// Writes the buffer through PixelPermutation `permutation` (0 to 5; others leave the rectangle
// unchanged) with the output bytes that `halvingCode` names halved. Codes 8 and 9 draw rand()
// once or three times, before any pixel and even for an empty rectangle.
void WriteRectPermuted(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                       int32_t h, int32_t permutation, int32_t halvingCode);

}  // namespace ff
