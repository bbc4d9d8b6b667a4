// The line RGB replace effect, driven through plugMain with scripted rand() draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "PackConventions.h"
#include "PluginHost.h"
#include "ReferenceRun.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

using Pixel = std::vector<int>;
using Rows = std::vector<Pixel>;

// The bytes every pixel of the row holds, or {} when the pixels of the row differ. Frames filled
// with one pixel stay uniform per row, since every line rewrites whole rows.
Pixel RowPixel(const TestFrame& frame, int y) {
  const std::vector<uint8_t> first = frame.PixelBytes(0, y);
  for (int x = 1; x < frame.width; ++x) {
    if (frame.PixelBytes(x, y) != first) return {};
  }
  return {first[0], first[1], first[2]};
}

Rows AllRowPixels(const TestFrame& frame) {
  Rows rows;
  for (int y = 0; y < frame.height; ++y) rows.push_back(RowPixel(frame, y));
  return rows;
}

TestFrame UniformFrame(int width, int height) {
  TestFrame frame(width, height);
  frame.Fill(10, 20, 30);
  return frame;
}

// "Value" that gives exactly this many lines (the low 8 bits of Value x 256).
float ValueFor(int lineCount) {
  return static_cast<float>((lineCount + 0.5) / 256.0);
}

// The pixel (10, 20, 30) under each byte order.
const Pixel kOriginal = {10, 20, 30};
const Pixel kOrder0 = {30, 20, 10};
const Pixel kOrder1 = {30, 10, 20};
const Pixel kOrder3 = {20, 10, 30};

TEST(Sarrowind, IdentityAndParameter) {
  PluginHost host("Sarrowind");
  ExpectPackIdentity(host, "sWnd", "Sarrowind", "RGB of each line is replaced");
  ExpectStandardParameters(host, {"Value"}, 0.1f);
  ExpectPackCapabilities(host);

  Instance instance(host, 2, 2);
  EXPECT_EQ(instance.Set(0, 0.3f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.3f));
  EXPECT_EQ(instance.Set(1, 0.3f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), ff::FF_FAIL);
}

// A line's four draws: one unused, direction (odd: down), row, byte order.
TEST(Sarrowind, LineMovingDownRewritesFromItsRowAndWrapsToRowZero) {
  PluginHost host("Sarrowind", true);
  Instance instance(host, 3, 4);
  instance.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(3, 4);

  ProcessScripted(instance, frame, {12345, 1, 2, 0});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, kOriginal, kOrder0, kOrder0}));
  // On the last row the band is that row alone.
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, kOriginal, kOrder0, kOriginal}));
  // Past the last row the line starts again at row 0: the whole frame.
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOrder0, kOrder0, kOriginal, kOrder0}));
}

TEST(Sarrowind, LineMovingUpRewritesDownToItsRowAndWrapsToTheLastRow) {
  PluginHost host("Sarrowind", true);
  Instance instance(host, 3, 4);
  instance.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(3, 4);

  ProcessScripted(instance, frame, {7, 0, 1, 1});  // up, row 1, order 1
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOrder1, kOrder1, kOriginal, kOriginal}));
  ProcessScripted(instance, frame, {});
  const Pixel twice = {20, 30, 10};
  EXPECT_EQ(AllRowPixels(frame), (Rows{twice, kOrder1, kOriginal, kOriginal}));
  // From row 0 the line jumps to the last row: the whole frame.
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, twice, kOrder1, kOrder1}));
}

// Line 0 rewrites rows 1 to 3, line 1 rows 0 to 2; the overlap gets line 0's order first.
TEST(Sarrowind, OverlappingBandsApplyTheirOrdersInLineOrder) {
  const struct {
    const char* name;
    std::vector<int> draws;
    Rows rows;
  } cases[] = {
      {"order 1 then order 3",
       {0, 1, 1, 1, 0, 0, 2, 3},
       {kOrder3, {10, 30, 20}, {10, 30, 20}, kOrder1}},
      {"two swaps of bytes 0 and 2 cancel",
       {0, 1, 1, 0, 0, 0, 2, 0},
       {kOrder0, kOriginal, kOriginal, kOrder0}},
      {"order 5 keeps its band",
       {0, 1, 1, 5, 0, 0, 2, 5},
       {kOriginal, kOriginal, kOriginal, kOriginal}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHost host("Sarrowind", true);
    Instance instance(host, 5, 4);
    instance.Set(0, ValueFor(2));
    TestFrame frame = UniformFrame(5, 4);
    ProcessScripted(instance, frame, c.draws);
    EXPECT_EQ(AllRowPixels(frame), c.rows);
  }
}

// lineCount is the low 8 bits of Value x 256; fresh lines draw four times each.
TEST(Sarrowind, ValueSetsTheNumberOfLines) {
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    std::size_t lines;
  } cases[] = {
      {0.0f, 0},      {0.1f, 25},  {0.5f, 128},  {0.7f, 179},        {0.99f, 253},
      {1.0f, 0},      {1.5f, 128}, {-0.1f, 231}, {std::nanf(""), 0}, {infinity, 255},
      {-infinity, 0}, {-1e10f, 0}, {1e10f, 255},
  };
  PluginHost host("Sarrowind", true);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Value " << c.value);
    Instance instance(host, 4, 6);
    ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
    TestFrame frame = TestFrame::Random(4, 6, 8);
    rand_script::Reset();
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 4 * c.lines);
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

TEST(Sarrowind, NoLinesLeaveFrameAndLinesAlone) {
  PluginHost host("Sarrowind", true);
  Instance instance(host, 2, 5);
  instance.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(2, 5);
  ProcessScripted(instance, frame, {0, 1, 2, 0});  // down, row 2, order 0
  const Rows afterFirst = {kOriginal, kOriginal, kOrder0, kOrder0, kOrder0};
  EXPECT_EQ(AllRowPixels(frame), afterFirst);
  for (float none : {0.0f, 1.0f}) {
    instance.Set(0, none);
    ProcessScripted(instance, frame, {});
    EXPECT_EQ(AllRowPixels(frame), afterFirst);
  }
  // One move took the line to row 3.
  instance.Set(0, ValueFor(1));
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows{kOriginal, kOriginal, kOrder0, kOriginal, kOriginal}));
}

TEST(Sarrowind, MakingAnyInstanceRestartsTheLinesOfEveryInstance) {
  PluginHost host("Sarrowind", true);
  Instance first(host, 2, 2);
  first.Set(0, ValueFor(1));
  TestFrame frame = UniformFrame(2, 2);
  ProcessScripted(first, frame, {0, 1, 0, 5});
  ProcessScripted(first, frame, {});
  { Instance other(host, 9, 9); }
  ProcessScripted(first, frame, {0, 1, 0, 5});
  host.DeInitialise();
  ASSERT_EQ(host.Initialise(), ff::FF_SUCCESS);
  ProcessScripted(first, frame, {0, 1, 0, 5});
}

// Rows stored by an instance with a taller frame: a band reaching up stops at the short
// frame's last row, a band reaching down is empty, and both lines come back at row 0.
TEST(Sarrowind, RowOfATallerFrameStaysInsideAShorterOne) {
  PluginHost host("Sarrowind", true);
  Instance tall(host, 2, 10);
  Instance shortOne(host, 2, 4);
  tall.Set(0, ValueFor(2));
  shortOne.Set(0, ValueFor(2));
  TestFrame tallFrame = UniformFrame(2, 10);
  // Line 0: up, row 8, order 0 (now on row 7). Line 1: down, row 7, order 1 (now on row 8).
  ProcessScripted(tall, tallFrame, {0, 0, 8, 0, 0, 1, 7, 1});

  TestFrame frame = UniformFrame(2, 4);
  ProcessScripted(shortOne, frame, {});
  EXPECT_EQ(AllRowPixels(frame), (Rows(4, kOrder0)));
  ProcessScripted(shortOne, frame, {});
  const Pixel order0ThenOrder1 = {10, 30, 20};
  EXPECT_EQ(AllRowPixels(frame),
            (Rows{kOrder1, order0ThenOrder1, order0ThenOrder1, order0ThenOrder1}));
}

TEST(Sarrowind, FramesWithoutRowsOrColumnsAndRefusedFrames) {
  PluginHost host("Sarrowind", true);
  const int sizes[][2] = {{0, 0}, {6, 0}, {0, 6}, {1, 1}, {1, 7}, {7, 1}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
    Instance instance(host, static_cast<uint32_t>(size[0]), static_cast<uint32_t>(size[1]));
    instance.Set(0, 0.99f);
    TestFrame frame = TestFrame::Random(size[0], size[1], 4);
    rand_script::Reset(9);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_TRUE(frame.GuardsIntact());
    // Without rows no line can be placed, so none starts.
    EXPECT_EQ(rand_script::Calls(), size[1] == 0 ? 0u : 4u * 253u);
  }

  ExpectFramesRefused(host);
}

// The effect as its line table and frame walk are meant to work, line by line and pixel by
// pixel, written out with the byte orders spelled as the bytes they pick.
class ReferenceLineRgbReplace {
 public:
  void Restart() {
    for (Line& line : lines) line.started = 0;
  }

  struct Settings {
    int lineCount = 25;
  };

  void ChangeSetting(std::mt19937& choices, Settings& settings, const Instance& instance) {
    const int lineCounts[] = {0, 1, 2, 5, 25, 128, 255};
    settings.lineCount = lineCounts[choices() % std::size(lineCounts)];
    instance.Set(0, ValueFor(settings.lineCount));
  }

  void Render(TestFrame& frame, const Settings& settings) {
    if (frame.height == 0) return;
    for (int i = 0; i < settings.lineCount; ++i) {
      Line& line = lines[i];
      if (line.started == 0) {
        line.started = 1;
        std::rand();
        line.direction = std::rand() % 2 == 1 ? 1 : -1;
        line.row = std::rand() % frame.height;
        line.mode = std::rand() % 6;
      }
      const bool up = line.direction == -1;
      const int top = up ? 0 : line.row;
      const int bottom = up ? std::min(line.row, frame.height - 1) : frame.height - 1;
      for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < frame.width; ++x) Reorder(frame.Pixel(x, y), line.mode);
      }
      line.row += line.direction;
      if (line.row < 0) line.row = frame.height - 1;
      if (line.row >= frame.height) line.row = 0;
    }
  }

 private:
  static void Reorder(uint8_t* p, int mode) {
    const uint8_t b0 = p[0], b1 = p[1], b2 = p[2];
    switch (mode) {
      case 0:
        p[0] = b2, p[1] = b1, p[2] = b0;
        break;
      case 1:
        p[0] = b2, p[1] = b0, p[2] = b1;
        break;
      case 2:
        p[0] = b1, p[1] = b2, p[2] = b0;
        break;
      case 3:
        p[0] = b1, p[1] = b0, p[2] = b2;
        break;
      case 4:
        p[0] = b0, p[1] = b2, p[2] = b1;
        break;
      default:
        break;
    }
  }

  struct Line {
    int started = 0, direction = 0, mode = 0, row = 0;
  };
  std::array<Line, 256> lines{};
};

// Instances of several frame sizes share the lines while "Value" changes and instances come and
// go; every frame must match the reference.
TEST(Sarrowind, MatchesTheReferenceFrameByFrame) {
  ExpectFramesMatchModel<ReferenceLineRgbReplace>("Sarrowind", {0, 1, 2, 3, 5, 16, 31, 64, 250},
                                                  {0, 1, 2, 4, 9, 16, 47}, 40, 150);
}

}  // namespace
}  // namespace test
