// A small 5x7 bitmap font for the labels of the contact sheet.
#pragma once

#include <cstdint>
#include <string>

#include "Image.h"

namespace ffrun {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Width in pixels of a text drawn at the scale: one blank column between characters.
int64_t TextWidth(const std::string& text, int scale);
// Draws the text with its top left corner at (x, y); what falls outside the image is clipped.
// Characters the font lacks are drawn as '?'.
void DrawText(Image& image, int64_t x, int64_t y, const std::string& text, int scale,
              const uint8_t rgb[3]);
// The characters the font draws.
std::string FontCharacters();

}  // namespace ffrun
