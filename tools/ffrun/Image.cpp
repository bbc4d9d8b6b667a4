#include "Image.h"

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "Failure.h"

namespace ffrun {
namespace {

// Frames are handed over as one block addressed with 31-bit byte counts, and a bound on each
// side keeps a mistyped size from asking for all the memory there is.
constexpr uint32_t kLongestSide = 16384;
constexpr uint64_t kMostFrameBytes = 0x7FFFFFFF;

const char* const kImageLibraryExtensions[] = {"png", "jpg", "jpeg", "bmp", "tga"};

}  // namespace

void CheckFrameSize(Size size) {
  if (size.width == 0 || size.height == 0)
    throw Failure("frame size " + SizeText(size) + " is empty");
  if (size.width > kLongestSide || size.height > kLongestSide ||
      uint64_t{size.width} * size.height * 3 > kMostFrameBytes)
    throw Failure("frame size " + SizeText(size) + " is too large (at most " +
                  std::to_string(kLongestSide) + " pixels a side)");
}

Size ParseSize(const std::string& text) {
  const std::size_t cross = text.find_first_of("xX");
  auto number = [&](const std::string& part, uint32_t& out) {
    if (part.empty() || part.size() > 6 ||
        !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    out = static_cast<uint32_t>(std::strtoul(part.c_str(), nullptr, 10));
    return true;
  };
  Size size;
  if (cross == std::string::npos || !number(text.substr(0, cross), size.width) ||
      !number(text.substr(cross + 1), size.height))
    throw Failure("size " + text + " is not WIDTHxHEIGHT (for example 640x360)");
  CheckFrameSize(size);
  return size;
}

std::string SizeText(Size size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::string LowerExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

bool ImageLibraryWrites(const std::string& path) {
  const std::string extension = LowerExtension(path);
  return std::any_of(std::begin(kImageLibraryExtensions), std::end(kImageLibraryExtensions),
                     [&](const char* known) { return extension == known; });
}

bool IsStillName(const std::string& path) {
  const std::string extension = LowerExtension(path);
  return ImageLibraryWrites(path) || extension == "ppm" || extension == "pnm";
}

bool TryReadStill(const std::string& path, Image& image) {
  // The image library would read only the first frame of an animated GIF; ffmpeg reads them all.
  if (LowerExtension(path) == "gif") return false;
  int width = 0, height = 0, channels = 0;
  if (!stbi_info(path.c_str(), &width, &height, &channels)) return false;
  CheckFrameSize({static_cast<uint32_t>(width), static_cast<uint32_t>(height)});
  std::unique_ptr<stbi_uc, void (*)(void*)> decoded(
      stbi_load(path.c_str(), &width, &height, &channels, 3), stbi_image_free);
  if (!decoded) return false;
  image = Image({static_cast<uint32_t>(width), static_cast<uint32_t>(height)});
  std::copy_n(decoded.get(), image.pixels.size(), image.pixels.begin());
  return true;
}

bool WriteStillWithImageLibrary(const std::string& path, const Image& image) {
  const std::string extension = LowerExtension(path);
  const int width = static_cast<int>(image.size.width);
  const int height = static_cast<int>(image.size.height);
  const void* data = image.pixels.data();
  if (extension == "png") return stbi_write_png(path.c_str(), width, height, 3, data, width * 3);
  if (extension == "jpg" || extension == "jpeg")
    return stbi_write_jpg(path.c_str(), width, height, 3, data, 92);
  if (extension == "bmp") return stbi_write_bmp(path.c_str(), width, height, 3, data);
  if (extension == "tga") return stbi_write_tga(path.c_str(), width, height, 3, data);
  return false;
}

Image Resized(const Image& image, Size size) {
  if (image.size.width == size.width && image.size.height == size.height) return image;
  Image resized(size);
  stbir_resize_uint8(image.pixels.data(), static_cast<int>(image.size.width),
                     static_cast<int>(image.size.height), 0, resized.pixels.data(),
                     static_cast<int>(size.width), static_cast<int>(size.height), 0, 3);
  return resized;
}

}  // namespace ffrun
