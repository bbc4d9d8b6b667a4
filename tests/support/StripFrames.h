// Expected pictures for effects that rewrite whole columns: each output column shows one input
// column passed through a list of channel modes, taken from the written-out mode table so that
// tests do not lean on the toolkit they check.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "ArrangementTables.h"
#include "TestFrame.h"

namespace test {

// Output column `column` shows input column `source` passed through `modes`, first to last.
struct ColumnSource {
  int source;
  std::vector<int> modes;
};

// Output columns and what each shows; later entries win over earlier ones for the same column.
using Columns = std::vector<std::pair<int, ColumnSource>>;

// Columns not named keep what they had.
inline TestFrame ExpectedColumns(const TestFrame& input, const Columns& columns) {
  TestFrame expected = input;
  for (const auto& [column, from] : columns) {
    for (int y = 0; y < input.height; ++y) {
      Bytes3 pixel;
      const uint8_t* original = input.Pixel(from.source, y);
      pixel = {original[0], original[1], original[2]};
      for (int mode : from.modes) pixel = ApplyChannelMode(pixel.data(), mode);
      expected.SetPixel(column, y, pixel[0], pixel[1], pixel[2]);
    }
  }
  return expected;
}

// For reference implementations: a full-height strip of w columns at column x copied into a
// packed buffer, and a packed buffer written back at x through a channel mode.
inline void CopyStripOut(std::vector<uint8_t>& buffer, const TestFrame& frame, int x, int w) {
  for (int y = 0; y < frame.height; ++y) {
    for (int c = 0; c < w; ++c) std::memcpy(&buffer[(c + y * w) * 3], frame.Pixel(x + c, y), 3);
  }
}

inline void WriteStripMapped(TestFrame& frame, const std::vector<uint8_t>& buffer, int x, int w,
                             int mode) {
  for (int y = 0; y < frame.height; ++y) {
    for (int c = 0; c < w; ++c) {
      const auto pixel = ApplyChannelMode(&buffer[(c + y * w) * 3], mode);
      frame.SetPixel(x + c, y, pixel[0], pixel[1], pixel[2]);
    }
  }
}

}  // namespace test
