// Rewrites runs of pixels in place: output byte k of a pixel takes byte order[k] of the same
// pixel plus a signed offset, clamped to 0..255. Where the processor has SSSE3, sixteen pixels
// are rewritten at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ff {

// a + b, clamped to 0..255, for a byte value a.
int32_t AddClamped(int32_t a, int32_t b);

class PixelTint {
 public:
  // `order` as one row of kByteOrders.
  PixelTint(const uint8_t (&order)[3], const int32_t (&offsets)[3]);

  // Rewrites `rows` runs of `count` pixels, the first at `pixels`, each next one `rowStride`
  // bytes further on.
  void Apply(uint8_t* pixels, std::size_t count, std::size_t rows = 1,
             std::ptrdiff_t rowStride = 0) const;
  // The same, pixel by pixel, on any processor.
  void ApplyPortable(uint8_t* pixels, std::size_t count, std::size_t rows = 1,
                     std::ptrdiff_t rowStride = 0) const;

  static constexpr std::size_t kGroupPixels = 16;
  static constexpr std::size_t kGroupBytes = kGroupPixels * 3;

  // A group of 48 bytes is three 16-byte vectors; output vector v takes its bytes from source
  // vectors v - 1 to v + 1 through `shuffle[v][u]`, then adds and subtracts with saturation.
  struct GroupMasks {
    alignas(16) uint8_t shuffle[3][3][16];
    alignas(16) uint8_t add[3][16];
    alignas(16) uint8_t subtract[3][16];
  };

 private:
  uint8_t order[3];
  int32_t offsets[3];
  GroupMasks masks;
};

}  // namespace ff
