// A per-call scratch buffer. Allocation failure is an answer, not an exception: effects test the
// buffer and answer FF_FAIL before they touch the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace ff {

class ScratchBuffer {
 public:
  explicit ScratchBuffer(std::size_t bytes)
      : bytes(new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]) {}

  explicit operator bool() const { return bytes != nullptr; }
  uint8_t* data() const { return bytes.get(); }

 private:
  std::unique_ptr<uint8_t[]> bytes;
};

// Room for a packed rectangle of w x h pixels; negative sides count as 0.
inline std::size_t RectBytes(int32_t w, int32_t h) {
  return w <= 0 || h <= 0 ? 0 : static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3;
}

}  // namespace ff
