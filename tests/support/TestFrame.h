// A 24-bit frame for tests, with guard bytes on both sides that show any write outside it.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace test {

class TestFrame {
 public:
  TestFrame(int width, int height) : width(width), height(height), storage(Bytes() + 2 * kGuard, kGuardByte) {
    std::fill(data(), data() + Bytes(), uint8_t{0});
  }

  // Pixels from a seeded generator of the test's own, never from rand().
  static TestFrame Random(int width, int height, uint32_t seed) {
    TestFrame frame(width, height);
    std::mt19937 generator(seed);
    for (std::size_t i = 0; i < frame.Bytes(); ++i) frame.data()[i] = static_cast<uint8_t>(generator());
    return frame;
  }

  uint8_t* data() { return storage.data() + kGuard; }
  const uint8_t* data() const { return storage.data() + kGuard; }
  std::size_t Bytes() const { return static_cast<std::size_t>(width) * height * 3; }
  uint8_t* Pixel(int x, int y) { return data() + (static_cast<std::size_t>(y) * width + x) * 3; }
  const uint8_t* Pixel(int x, int y) const { return data() + (static_cast<std::size_t>(y) * width + x) * 3; }
  void SetPixel(int x, int y, uint8_t b0, uint8_t b1, uint8_t b2) {
    uint8_t* pixel = Pixel(x, y);
    pixel[0] = b0;
    pixel[1] = b1;
    pixel[2] = b2;
  }
  std::vector<uint8_t> PixelBytes(int x, int y) const {
    const uint8_t* pixel = Pixel(x, y);
    return {pixel[0], pixel[1], pixel[2]};
  }
  std::vector<uint8_t> Contents() const { return {data(), data() + Bytes()}; }
  void Fill(uint8_t b0, uint8_t b1, uint8_t b2) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) SetPixel(x, y, b0, b1, b2);
  }

  bool GuardsIntact() const {
    for (std::size_t i = 0; i < kGuard; ++i) {
      if (storage[i] != kGuardByte || storage[kGuard + Bytes() + i] != kGuardByte) return false;
    }
    return true;
  }

  int width;
  int height;

 private:
  static constexpr std::size_t kGuard = 64;
  static constexpr uint8_t kGuardByte = 0xC3;
  std::vector<uint8_t> storage;
};

}  // namespace test
