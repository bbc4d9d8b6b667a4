// The six orders of the three bytes of a pixel (kByteOrders), applied to pixels in place.
#pragma once

#include <cstdint>

namespace ff {

// The order that leaves a pixel as it is.
constexpr int32_t kKeepOrder = 5;

// The one order that does what `order` (0 to 5) and then `next` do. A `next` outside 0 to 5
// leaves pixels alone, so the answer is `order` then.
int32_t ThenReorder(int32_t order, int32_t next);

// Rewrites `count` consecutive pixels by byte order `order`; any value outside 0 to 5 leaves them
// unchanged.
void ReorderPixels(uint8_t* pixels, int64_t count, int32_t order);

}  // namespace ff
