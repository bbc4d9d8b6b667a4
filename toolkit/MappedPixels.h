// ChannelMode writes with the mode's byte moves compiled in, eight pixels at a time.
#pragma once

#include <cstdint>

#include "Frame.h"

namespace ff {

// Writes `pixels` source pixels to the target through ChannelMode `mode` (0 to 17; other modes
// write nothing). The source may be the target itself, but must not overlap it otherwise.
void MapPixels(uint8_t* target, const uint8_t* source, int32_t pixels, uint32_t mode);

// Rewrites every pixel of the rectangle through ChannelMode `mode`, as copying the rectangle out
// and writing it back to the same place with WriteRectMapped would, without a buffer.
void MapRectInPlace(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mode);

}  // namespace ff
