// Reference answers for the byte rearrangements of the recolouring effects, written out again
// from the tables of byte orders, channel modes and halving codes, apart from the toolkit.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

using Bytes3 = std::array<uint8_t, 3>;
using Halved = std::array<bool, 3>;

// Output bytes 0, 1 and 2 of each PixelPermutation, as source bytes s0, s1, s2.
inline const char* const kPermutationTable[6][3] = {
    {"s2", "s1", "s0"}, {"s2", "s0", "s1"}, {"s1", "s2", "s0"},
    {"s1", "s0", "s2"}, {"s0", "s2", "s1"}, {"s0", "s1", "s2"},
};

// Output bytes 0, 1 and 2 of each ChannelMode; "/2" halves the byte.
inline const char* const kChannelModeTable[18][3] = {
    {"s2", "s1", "s0"},   {"s2", "s0", "s1"},   {"s1", "s2", "s0"},   {"s1", "s0", "s2"},
    {"s0", "s2", "s1"},   {"s0", "s1", "s2"},   {"s2", "s1", "s0/2"}, {"s2", "s0", "s1/2"},
    {"s1", "s2", "s0/2"}, {"s1", "s0/2", "s2"}, {"s0", "s2/2", "s1"}, {"s0", "s1/2", "s2"},
    {"s2/2", "s1", "s0"}, {"s2/2", "s0", "s1"}, {"s1/2", "s2", "s0"}, {"s1", "s0", "s2"},
    {"s0", "s2", "s1"},   {"s0", "s1", "s2"},
};

inline uint8_t TableByte(const std::string& entry, const uint8_t* source) {
  const uint8_t byte = source[entry[1] - '0'];
  return entry.size() > 2 ? static_cast<uint8_t>(byte / 2) : byte;
}

inline Bytes3 Mapped(const uint8_t* source, uint32_t mode) {
  const auto& row = kChannelModeTable[mode];
  return {TableByte(row[0], source), TableByte(row[1], source), TableByte(row[2], source)};
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

inline Bytes3 Permuted(const uint8_t* source, int permutation, Halved halved = {}) {
  Bytes3 out{};
  for (int k = 0; k < 3; ++k) {
    out[k] = TableByte(kPermutationTable[permutation][k], source);
    if (halved[k]) out[k] = static_cast<uint8_t>(out[k] / 2);
  }
  return out;
}

// Rewrites every pixel of the rectangle that lies inside the frame with rewrite(pixel bytes).
template <class Rewrite>
void RewriteRect(TestFrame& frame, int x, int y, int w, int h, Rewrite rewrite) {
  for (int row = std::max(y, 0); row < std::min(y + h, frame.height); ++row) {
    for (int column = std::max(x, 0); column < std::min(x + w, frame.width); ++column) {
      uint8_t* pixel = frame.Pixel(column, row);
      const Bytes3 out = rewrite(pixel);
      for (int k = 0; k < 3; ++k) pixel[k] = out[k];
    }
  }
}

// A square box of a box effect, with the permutation it is written through.
struct PermutedBox {
  int left, top, side, permutation;
};

// The input with each box rewritten in turn (later boxes see what earlier ones wrote), every
// byte the permutation places at a position of `halved` divided by 2.
inline TestFrame WithBoxes(const TestFrame& input, const std::vector<PermutedBox>& boxes,
                           Halved halved = {}) {
  TestFrame frame = input;
  for (const PermutedBox& box : boxes) {
    RewriteRect(frame, box.left, box.top, box.side, box.side,
                [&](const uint8_t* pixel) { return Permuted(pixel, box.permutation, halved); });
  }
  return frame;
}

// "Value" floats that give a box effect exactly n boxes (n / 256 is exact in a float).
inline float Boxes(int n) {
  return static_cast<float>(n) / 256.0f;
}

// Processes one random frame and answers the rand() calls it made, and whether it changed.
inline std::size_t DrawsOfOneFrame(const Instance& instance, int width, int height,
                                   bool* changed = nullptr) {
  rand_script::Reset();
  const TestFrame input = TestFrame::Random(width, height, 77);
  TestFrame frame = input;
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_TRUE(frame.GuardsIntact());
  if (changed != nullptr) *changed = frame.Contents() != input.Contents();
  return rand_script::Calls();
}

}  // namespace test
