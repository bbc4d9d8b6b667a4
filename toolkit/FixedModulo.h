// n % d for a divisor that stays the same over many draws, without a hardware division: effects
// reduce rand() results by the frame size hundreds of thousands of times a frame.
#pragma once

#include <cstdint>

namespace ff {

class FixedModulo {
 public:
  // The divisor must be 1 or more.
  explicit FixedModulo(int32_t divisor)
      : divisor(static_cast<uint32_t>(divisor)), inverse(UINT64_MAX / this->divisor + 1) {}

  // What n % divisor gives in C, for every n; negative n take the ordinary division.
  int32_t Of(int32_t n) const {
#ifdef __SIZEOF_INT128__
    if (n >= 0) {
      // The low 64 bits of n / divisor in fixed point hold the remainder as a fraction of 2^64.
      __extension__ using Wide = unsigned __int128;
      const uint64_t fraction = inverse * static_cast<uint32_t>(n);
      return static_cast<int32_t>((static_cast<Wide>(fraction) * divisor) >> 64);
    }
#endif
    return n % static_cast<int32_t>(divisor);
  }

 private:
  uint32_t divisor;
  uint64_t inverse;
};

}  // namespace ff
