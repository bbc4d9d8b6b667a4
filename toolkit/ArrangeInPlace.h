// A rectangle rewritten in place through a ChannelMode: the picture that CopyRectOut followed
// by WriteRectMapped back to the same place gives, without a buffer, because every pixel depends
// on its own bytes only.
#pragma once

#include <cstdint>

#include "Frame.h"

namespace ff {

// ChannelMode 0 to 17; any other mode leaves the rectangle unchanged. Clips to the frame like
// the other rectangle operations.
void MapRectInPlace(const Frame& frame, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mode);

}  // namespace ff
