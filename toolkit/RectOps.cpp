#include "RectOps.h"

#include <cstdlib>
#include <cstring>

#include "MappedPixels.h"

namespace ff {

ClippedRect ClipRect(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h) {
  ClippedRect clip;
  if (w <= 0 || h <= 0) return clip;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + w, frame.width);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + h, frame.height);
  if (right <= left || bottom <= top) return clip;
  clip.x = static_cast<int32_t>(left);
  clip.y = static_cast<int32_t>(top);
  clip.width = static_cast<int32_t>(right - left);
  clip.height = static_cast<int32_t>(bottom - top);
  clip.bufferStride = static_cast<std::ptrdiff_t>(w) * 3;
  clip.bufferOffset = static_cast<std::ptrdiff_t>((left - x) * 3 + (top - y) * clip.bufferStride);
  return clip;
}

void CopyRectOut(uint8_t* buffer, const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h) {
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  for (int32_t r = 0; r < clip.height; ++r) {
    std::memcpy(buffer + clip.bufferOffset + r * clip.bufferStride,
                frame.PixelAt(clip.x, clip.y + r), static_cast<std::size_t>(clip.width) * 3);
  }
}

void CopyRectIn(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                int32_t h) {
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  for (int32_t r = 0; r < clip.height; ++r) {
    std::memcpy(frame.PixelAt(clip.x, clip.y + r),
                buffer + clip.bufferOffset + r * clip.bufferStride,
                static_cast<std::size_t>(clip.width) * 3);
  }
}

void WriteRectArranged(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                       int32_t h, const ByteArrangement& arrangement) {
  const ByteArrangement a = arrangement;
  ForEachRectPixel(frame, buffer, x, y, w, h, [&a](uint8_t* target, const uint8_t* source) {
    const uint8_t s[3] = {source[0], source[1], source[2]};
    target[0] = static_cast<uint8_t>(s[a.source[0]] >> a.shift[0]);
    target[1] = static_cast<uint8_t>(s[a.source[1]] >> a.shift[1]);
    target[2] = static_cast<uint8_t>(s[a.source[2]] >> a.shift[2]);
  });
}

void WriteRectMapped(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                     int32_t h, uint32_t mode) {
  const ClippedRect clip = ClipRect(frame, x, y, w, h);
  for (int32_t r = 0; r < clip.height; ++r) {
    MapPixels(frame.PixelAt(clip.x, clip.y + r), buffer + clip.bufferOffset + r * clip.bufferStride,
              clip.width, mode);
  }
}

void MoveRectMapped(const Frame& frame, uint8_t* rowBuffer, int32_t fromX, int32_t fromY, int32_t x,
                    int32_t y, int32_t w, int32_t h, uint32_t mode) {
  const ClippedRect target = ClipRect(frame, x, y, w, h);
  const ClippedRect source = ClipRect(frame, fromX, fromY, w, h);
  if (target.Empty() || source.Empty()) return;
  // Columns and rows of the rectangle where both lie inside the frame.
  const int64_t left = std::max(int64_t{target.x} - x, int64_t{source.x} - fromX);
  const int64_t right =
      std::min(int64_t{target.x} + target.width - x, int64_t{source.x} + source.width - fromX);
  const int64_t top = std::max(int64_t{target.y} - y, int64_t{source.y} - fromY);
  const int64_t bottom =
      std::min(int64_t{target.y} + target.height - y, int64_t{source.y} + source.height - fromY);
  if (right <= left || bottom <= top) return;
  const auto width = static_cast<int32_t>(right - left);
  // Moving down, the bottom row goes first, so that no source row is overwritten before it is
  // read; a row that stays in its frame row but moves sideways goes through the row buffer.
  const bool bottomFirst = y > fromY;
  const bool sideways = y == fromY && x != fromX;
  for (int64_t i = top; i < bottom; ++i) {
    const int64_t r = bottomFirst ? bottom - 1 - (i - top) : i;
    const uint8_t* from =
        frame.PixelAt(static_cast<int32_t>(fromX + left), static_cast<int32_t>(fromY + r));
    if (sideways) {
      std::memcpy(rowBuffer, from, static_cast<std::size_t>(width) * 3);
      from = rowBuffer;
    }
    MapPixels(frame.PixelAt(static_cast<int32_t>(x + left), static_cast<int32_t>(y + r)), from,
              width, mode);
  }
}

void WriteRectMappedBlank(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y,
                          int32_t w, int32_t h, uint32_t mode) {
  if (mode == kBlankMode) {
    ForEachRectPixel(frame, buffer, x, y, w, h, [](uint8_t* target, const uint8_t*) {
      target[0] = target[1] = target[2] = 0;
    });
    return;
  }
  WriteRectMapped(frame, buffer, x, y, w, h, mode);
}

void WriteRectPermuted(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y, int32_t w,
                       int32_t h, int32_t permutation, int32_t halvingCode) {
  uint8_t shift[3] = {0, 0, 0};
  switch (halvingCode) {
    case 2:
      shift[2] = 1;
      break;
    case 3:
      shift[0] = 1;
      break;
    case 4:
      shift[1] = 1;
      break;
    case 5:
      shift[0] = shift[2] = 1;
      break;
    case 6:
      shift[0] = shift[1] = 1;
      break;
    case 7:
      shift[1] = shift[2] = 1;
      break;
    case 8:
      permutation = std::rand() % 6;
      break;
    case 9:
      for (uint8_t& halved : shift) halved = std::rand() % 2 != 0 ? 1 : 0;
      break;
    case 10:
      shift[0] = shift[1] = shift[2] = 1;
      break;
    default:
      break;
  }
  if (static_cast<uint32_t>(permutation) > 5) return;
  ByteArrangement arrangement{};
  for (int k = 0; k < 3; ++k) {
    arrangement.source[k] = kByteOrders[permutation][k];
    arrangement.shift[k] = shift[k];
  }
  WriteRectArranged(frame, buffer, x, y, w, h, arrangement);
}

}  // namespace ff
