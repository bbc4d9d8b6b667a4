// The byte arrangements written out as tables of their own, pixel by pixel, so that tests check
// the toolkit's writes and the effects that use them against something other than the toolkit:
// the channel modes, the six pixel permutations and the halving codes.
#pragma once

#include <array>
#include <cstdint>

namespace test {

using Bytes3 = std::array<uint8_t, 3>;
using Halved = std::array<bool, 3>;

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

// The mode that paints black where the blanking writes accept it.
constexpr int kBlack = 18;

// Output bytes 0, 1 and 2 of each PixelPermutation, as source byte numbers.
constexpr int kPermutationTable[6][3] = {{2, 1, 0}, {2, 0, 1}, {1, 2, 0},
                                         {1, 0, 2}, {0, 2, 1}, {0, 1, 2}};

// One source pixel through ChannelMode `mode` (0 to 17).
inline Bytes3 Mapped(const uint8_t* source, int64_t mode) {
  Bytes3 out{};
  for (int k = 0; k < 3; ++k) {
    const OutputByte& byte = kChannelModeTable[mode][k];
    out[k] = byte.halved ? static_cast<uint8_t>(source[byte.source] / 2) : source[byte.source];
  }
  return out;
}

// Writes one source pixel into a target pixel through `mode`; modes outside 0 to 17 write
// nothing.
inline void MapPixelByTable(uint8_t* target, const uint8_t* source, int64_t mode) {
  if (mode < 0 || mode > 17) return;
  const Bytes3 out = Mapped(source, mode);
  for (int k = 0; k < 3; ++k) target[k] = out[k];
}

// A pixel through `mode` as the blanking writes take it: mode 18 is black, any other mode outside
// 0 to 17 leaves the pixel as it was.
inline Bytes3 ApplyChannelMode(const uint8_t* pixel, int mode) {
  if (mode == kBlack) return {0, 0, 0};
  if (mode < 0 || mode > 17) return {pixel[0], pixel[1], pixel[2]};
  return Mapped(pixel, mode);
}

// The output bytes that HalvingCode 0 to 7 and 10 halve (8 and 9 choose at random).
inline Halved HalvedBy(int code) {
  switch (code) {
    case 2:
      return {false, false, true};
    case 3:
      return {true, false, false};
    case 4:
      return {false, true, false};
    case 5:
      return {true, false, true};
    case 6:
      return {true, true, false};
    case 7:
      return {false, true, true};
    case 10:
      return {true, true, true};
    default:
      return {false, false, false};
  }
}

// One source pixel through `permutation` (0 to 5), the bytes it places at the positions of
// `halved` divided by 2.
inline Bytes3 Permuted(const uint8_t* source, int permutation, Halved halved = {}) {
  Bytes3 out{};
  for (int k = 0; k < 3; ++k) {
    const uint8_t byte = source[kPermutationTable[permutation][k]];
    out[k] = halved[k] ? static_cast<uint8_t>(byte / 2) : byte;
  }
  return out;
}

}  // namespace test
