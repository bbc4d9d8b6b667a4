// Every effect turns a parameter float into the integers it works with the same way: widen the
// float to double, multiply by the effect's factor and truncate toward zero. For the values a host
// sends (0.0 to 1.0) the product is exact, so 0.01f * 100 gives 0, not 1.
#pragma once

#include <cstdint>

namespace ff {

// Outside the range a host sends, a plain cast would be undefined: here NaN gives 0 and a
// product beyond the 32-bit signed range (infinities included) saturates at that range's end.
int32_t ScaleParameter(float value, double factor);

// The low 8 bits of a scaled value (0 to 255), which several effects keep.
inline int32_t LowByte(int32_t value) { return value & 0xFF; }

inline int32_t AtLeast(int32_t value, int32_t minimum) { return value < minimum ? minimum : value; }

}  // namespace ff
