// The channel modes as a table of their own, pixel by pixel, to check the toolkit's writes and
// the effects that use them against.
#pragma once

#include <cstdint>

namespace test {

// For output byte k of mode m: which source byte it takes, and whether that byte is halved.
struct OutputByte {
  int source;
  bool halved;
};

constexpr OutputByte kChannelModeTable[18][3] = {
    {{2, false}, {1, false}, {0, false}},  // 0
    {{2, false}, {0, false}, {1, false}},  // 1
    {{1, false}, {2, false}, {0, false}},  // 2
    {{1, false}, {0, false}, {2, false}},  // 3
    {{0, false}, {2, false}, {1, false}},  // 4
    {{0, false}, {1, false}, {2, false}},  // 5
    {{2, false}, {1, false}, {0, true}},   // 6
    {{2, false}, {0, false}, {1, true}},   // 7
    {{1, false}, {2, false}, {0, true}},   // 8
    {{1, false}, {0, true}, {2, false}},   // 9
    {{0, false}, {2, true}, {1, false}},   // 10
    {{0, false}, {1, true}, {2, false}},   // 11
    {{2, true}, {1, false}, {0, false}},   // 12
    {{2, true}, {0, false}, {1, false}},   // 13
    {{1, true}, {2, false}, {0, false}},   // 14
    {{1, false}, {0, false}, {2, false}},  // 15
    {{0, false}, {2, false}, {1, false}},  // 16
    {{0, false}, {1, false}, {2, false}},  // 17
};

// Writes one source pixel into a target pixel through `mode`; modes above 17 write nothing.
inline void MapPixelByTable(uint8_t* target, const uint8_t* source, int64_t mode) {
  if (mode < 0 || mode > 17) return;
  const uint8_t bytes[3] = {source[0], source[1], source[2]};
  for (int k = 0; k < 3; ++k) {
    const OutputByte& out = kChannelModeTable[mode][k];
    target[k] = static_cast<uint8_t>(out.halved ? bytes[out.source] / 2 : bytes[out.source]);
  }
}

}  // namespace test
