// Pictures as ffrun moves them around: packed rgb24 rows, top row first, which is also the
// 24-bit frame layout the plug-ins rewrite in place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ffrun {

struct Size {
  uint32_t width = 0;
  uint32_t height = 0;
};

struct Image {
  Image() = default;
  explicit Image(Size size) : size(size), pixels(std::size_t{size.width} * size.height * 3) {}
  uint8_t* PixelAt(uint32_t x, uint32_t y) {
    return pixels.data() + (std::size_t{y} * size.width + x) * 3;
  }
  Size size;
  std::vector<uint8_t> pixels;
};

// Throws Failure unless a frame of this size is one a plug-in can address (its byte count fits
// in 31 bits) and within the size limit.
void CheckFrameSize(Size size);
// "WxH" as given on the command line; throws Failure when it is not one.
Size ParseSize(const std::string& text);
std::string SizeText(Size size);

// True for the file names of stills read and written here (PNG, JPEG, BMP, TGA, PPM).
bool IsStillName(const std::string& path);
std::string LowerExtension(const std::string& path);
// Reads a still; nothing when the file is not a picture the image library reads.
bool TryReadStill(const std::string& path, Image& image);
// Writes a still in the format its extension names (PNG, JPEG, BMP or TGA).
bool WriteStillWithImageLibrary(const std::string& path, const Image& image);
bool ImageLibraryWrites(const std::string& path);
Image Resized(const Image& image, Size size);

}  // namespace ffrun
