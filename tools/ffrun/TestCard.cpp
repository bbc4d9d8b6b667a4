#include "TestCard.h"

#include <algorithm>
#include <cstdint>

namespace ffrun {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

void Put(Image& card, uint32_t x, uint32_t y, Rgb colour) {
  uint8_t* pixel = card.PixelAt(x, y);
  pixel[0] = colour.r;
  pixel[1] = colour.g;
  pixel[2] = colour.b;
}

// Position t of span as a byte, 0 at the start and 255 at the end.
uint8_t Ramp(uint64_t t, uint64_t span) {
  return static_cast<uint8_t>(span <= 1 ? 0 : t * 255 / (span - 1));
}

Rgb Hue(uint64_t t, uint64_t span) {
  const uint64_t position = span <= 1 ? 0 : t * 1535 / (span - 1);  // six sectors of 256
  const auto rise = static_cast<uint8_t>(position % 256);
  const auto fall = static_cast<uint8_t>(255 - rise);
  switch (position / 256) {
    case 0:
      return {255, rise, 0};
    case 1:
      return {fall, 255, 0};
    case 2:
      return {0, 255, rise};
    case 3:
      return {0, fall, 255};
    case 4:
      return {rise, 0, 255};
    default:
      return {255, 0, fall};
  }
}

// Dark shades with a faint ring, so that effects looking for dark places find them and
// something is still there to see.
Rgb DarkRegion(uint64_t x, uint64_t y, uint64_t width, uint64_t height) {
  const int64_t dx = static_cast<int64_t>(x * 2) - static_cast<int64_t>(width);
  const int64_t dy = static_cast<int64_t>(y * 2) - static_cast<int64_t>(height);
  const uint64_t radius = std::min(width, height);
  const uint64_t distance = static_cast<uint64_t>(dx * dx + dy * dy);
  const bool onRing = distance <= radius * radius && distance * 16 >= radius * radius * 9;
  const auto shade = static_cast<uint8_t>(onRing ? 40 : 8 + Ramp(x, width) / 16);
  return {shade, shade, static_cast<uint8_t>(shade + 4)};
}

// One-pixel checks at the left, then stripes that widen to the right.
Rgb FineDetail(uint64_t x, uint64_t y, uint64_t width) {
  const uint64_t quarter = std::max<uint64_t>(width / 4, 1);
  bool light;
  if (x < quarter) {
    light = (x + y) % 2 == 0;
  } else {
    const uint64_t period = 2 + 2 * ((x - quarter) * 8 / std::max<uint64_t>(width - quarter, 1));
    light = (x / (period / 2)) % 2 == 0;
  }
  return light ? Rgb{235, 235, 235} : Rgb{20, 20, 20};
}

}  // namespace

Image DrawTestCard(Size size) {
  static const Rgb kBars[] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                              {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
  constexpr uint64_t kBarCount = sizeof kBars / sizeof kBars[0];
  Image card(size);
  const uint64_t width = size.width, height = size.height;
  const uint64_t barsEnd = height / 2, greyEnd = height * 13 / 20, hueEnd = height * 4 / 5;
  for (uint32_t y = 0; y < size.height; ++y) {
    for (uint32_t x = 0; x < size.width; ++x) {
      Rgb colour;
      if (y < barsEnd) {
        colour = kBars[x * kBarCount / width];
      } else if (y < greyEnd) {
        const uint8_t grey = Ramp(x, width);
        colour = {grey, grey, grey};
      } else if (y < hueEnd) {
        colour = Hue(x, width);
      } else if (x < width / 2) {
        colour = DarkRegion(x, y - hueEnd, width / 2, height - hueEnd);
      } else {
        colour = FineDetail(x - width / 2, y, width - width / 2);
      }
      Put(card, x, y, colour);
    }
  }
  return card;
}

}  // namespace ffrun
