// The scanline gap effect, driven through plugMain with scripted rand() draws.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "FailingAllocation.h"
#include "PackConventions.h"
#include "PluginHost.h"
#include "ReferenceRun.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

enum : uint32_t { kAmount = 0, kRange = 1, kSpeed = 2 };

// A frame whose pixel (x, y) is (x, y, 200 - x): byte 0 tells which column a pixel came from, and
// bytes 1 and 2 show that it moved as a whole and stayed in its row.
TestFrame ColumnFrame(int width, int height) {
  TestFrame frame(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      frame.SetPixel(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                     static_cast<uint8_t>(200 - x));
    }
  }
  return frame;
}

// The source column of every pixel of row y of a ColumnFrame; -1 for a pixel that is not a
// whole pixel of that row.
std::vector<int> SourceColumns(const TestFrame& frame, int y) {
  std::vector<int> columns;
  for (int x = 0; x < frame.width; ++x) {
    const uint8_t* pixel = frame.Pixel(x, y);
    const bool whole = pixel[1] == y && pixel[0] + pixel[2] == 200;
    columns.push_back(whole ? pixel[0] : -1);
  }
  return columns;
}

// Values whose product with the parameter's factor truncates to `integer` beyond doubt.
float AmountFor(int lineCount) {
  return static_cast<float>((lineCount + 0.5) / 256.0);
}
float RangeFor(int shiftRange) {
  return static_cast<float>((shiftRange + 0.5) / 50.0);
}
float SpeedFor(int speedRange) {
  return static_cast<float>((speedRange + 0.5) / 10.0);
}

using Rows = std::vector<std::vector<int>>;

Rows AllSourceColumns(const TestFrame& frame) {
  Rows rows;
  for (int y = 0; y < frame.height; ++y) rows.push_back(SourceColumns(frame, y));
  return rows;
}

TEST(Dwero, IdentityParametersAndCapabilities) {
  PluginHost host("Dwero");
  ExpectPackIdentity(host, "dWro", "Dwero", "Gap of screen by scanning lines");
  ExpectStandardParameters(host, {"Amount", "Range", "Speed"}, 0.1f);
  ExpectPackCapabilities(host);

  Instance instance(host, 4, 4);
  EXPECT_EQ(instance.Set(kSpeed, 0.75f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), kSpeed), BitsFromFloat(0.75f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), kAmount), BitsFromFloat(0.1f));
  EXPECT_EQ(instance.Set(3, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 3), ff::FF_FAIL);
  EXPECT_STREQ(host.ParameterDisplay(instance.id(), kSpeed), "0.750000");
}

// Range 0.1 gives shifts of -5 to 5 (draw % 11 - 5); Speed 0.1 gives velocity 0 for an odd
// third draw and -2 for an even one.
TEST(Dwero, LineShiftsItsBandBelowAndKeepsItsRowAtVelocityZero) {
  PluginHost host("Dwero", true);
  Instance instance(host, 6, 5);
  instance.Set(kAmount, AmountFor(1));
  TestFrame frame = ColumnFrame(6, 5);
  const std::vector<int> untouched = {0, 1, 2, 3, 4, 5};

  // Shift 7 % 11 - 5 = 2, velocity 0, row 3.
  ProcessScripted(instance, frame, {7, 0, 1, 3});
  const std::vector<int> once = {2, 3, 4, 5, 4, 5};
  EXPECT_EQ(AllSourceColumns(frame), (Rows{untouched, untouched, untouched, once, once}));

  // Started lines draw nothing more; the same band shifts again.
  ProcessScripted(instance, frame, {});
  const std::vector<int> twice = {4, 5, 4, 5, 4, 5};
  EXPECT_EQ(AllSourceColumns(frame), (Rows{untouched, untouched, untouched, twice, twice}));
}

// Line 0 shifts rows 1 to 4 by +2 and stays; line 1 shifts rows 3 to 4 by -3 and climbs two rows
// per frame. In the overlap each shift works on what the one before left, each clipped at the
// row ends, which is not a single shift by -1.
TEST(Dwero, OverlappingBandsShiftOneAfterAnotherAndALineWrapsToTheLastRow) {
  PluginHost host("Dwero", true);
  Instance instance(host, 6, 5);
  instance.Set(kAmount, AmountFor(2));
  TestFrame frame = ColumnFrame(6, 5);
  const std::vector<int> untouched = {0, 1, 2, 3, 4, 5};

  ProcessScripted(instance, frame, {7, 0, 1, 1, /* line 1 */ 2, 0, 0, 3});
  const std::vector<int> plusTwo = {2, 3, 4, 5, 4, 5};
  const std::vector<int> plusTwoMinusThree = {2, 3, 4, 2, 3, 4};
  EXPECT_EQ(AllSourceColumns(frame),
            (Rows{untouched, plusTwo, plusTwo, plusTwoMinusThree, plusTwoMinusThree}));

  // Line 1 moved from row 3 to row 1.
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{untouched,
                                           {4, 5, 4, 4, 5, 4},
                                           {4, 5, 4, 4, 5, 4},
                                           {4, 2, 3, 4, 2, 3},
                                           {4, 2, 3, 4, 2, 3}}));

  // Row 1 - 2 passed row 0: line 1 now sits on the last row, 4.
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{untouched,
                                           {4, 4, 5, 4, 5, 4},
                                           {4, 4, 5, 4, 5, 4},
                                           {3, 4, 2, 3, 2, 3},
                                           {3, 4, 2, 3, 4, 2}}));
}

// Speed 0.25 gives speedRange 2: m = draw % 2 + 1, and m = 1 with an odd third draw makes
// velocity -1, the one velocity whose band runs from row 0 down to the line.
TEST(Dwero, LineClimbingOneRowShiftsTheBandAboveItAndWrapsToTheWholeFrame) {
  PluginHost host("Dwero", true);
  Instance instance(host, 6, 5);
  instance.Set(kAmount, AmountFor(1));
  instance.Set(kSpeed, 0.25f);
  TestFrame frame = ColumnFrame(6, 5);
  const std::vector<int> untouched = {0, 1, 2, 3, 4, 5};
  const std::vector<int> once = {1, 2, 3, 4, 5, 5};
  const std::vector<int> twice = {2, 3, 4, 5, 5, 5};
  const std::vector<int> thrice = {3, 4, 5, 5, 5, 5};

  // Shift 6 % 11 - 5 = 1, velocity 1 - 2 = -1, row 2.
  ProcessScripted(instance, frame, {6, 0, 1, 2});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{once, once, once, untouched, untouched}));
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{twice, twice, once, untouched, untouched}));
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{thrice, twice, once, untouched, untouched}));
  // From row 0 the line jumped to the last row: its band is the whole frame.
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllSourceColumns(frame),
            (Rows{{4, 5, 5, 5, 5, 5}, {3, 4, 5, 5, 5, 5}, twice, once, once}));
}

TEST(Dwero, LinePassingRowZeroJumpsToTheLastRowWhateverTheOvershoot) {
  PluginHost host("Dwero", true);
  Instance instance(host, 3, 8);
  instance.Set(kAmount, AmountFor(1));
  instance.Set(kSpeed, 0.25f);
  TestFrame frame = ColumnFrame(3, 8);

  // Shift 6 % 11 - 5 = 1; m = 1 % 2 + 1 = 2 with an even draw: velocity -2 - 2 = -4; row 1.
  ProcessScripted(instance, frame, {6, 1, 0, 1});
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(SourceColumns(frame, y),
              (y >= 1 ? std::vector<int>{1, 2, 2} : std::vector<int>{0, 1, 2}));
  }
  // Row 1 - 4 < 0: the line is on row 7 now, not on row 5.
  ProcessScripted(instance, frame, {});
  for (int y = 0; y < 8; ++y) {
    const std::vector<int> expected = y == 7   ? std::vector<int>{2, 2, 2}
                                      : y >= 1 ? std::vector<int>{1, 2, 2}
                                               : std::vector<int>{0, 1, 2};
    EXPECT_EQ(SourceColumns(frame, y), expected) << "row " << y;
  }
}

// A pixel takes the pixel `shift` columns to its right; where that column lies outside the row
// it keeps its own.
TEST(Dwero, ShiftsAreClippedAtTheRowEnds) {
  struct Case {
    int width;
    int shiftDraw;  // shift = draw % 11 - 5
    std::vector<int> row;
  };
  const Case cases[] = {
      {3, 7, {2, 1, 2}},              // +2
      {3, 3, {0, 1, 0}},              // -2
      {3, 5, {0, 1, 2}},              // 0
      {3, 8, {0, 1, 2}},              // +3, the whole width
      {3, 2, {0, 1, 2}},              // -3
      {3, 10, {0, 1, 2}},             // +5
      {3, 0, {0, 1, 2}},              // -5
      {1, 6, {0}},                    // +1 on a one-pixel row
      {7, 9, {4, 5, 6, 3, 4, 5, 6}},  // +4
      {7, 1, {0, 1, 2, 3, 0, 1, 2}},  // -4
  };
  PluginHost host("Dwero", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "width " << c.width << " draw " << c.shiftDraw);
    Instance instance(host, static_cast<uint32_t>(c.width), 1);
    instance.Set(kAmount, AmountFor(1));
    TestFrame frame = ColumnFrame(c.width, 1);
    ProcessScripted(instance, frame, {c.shiftDraw, 0, 1, 0});
    EXPECT_EQ(SourceColumns(frame, 0), c.row);
  }
}

// The integer a parameter gives, seen through what the effect does with it.
int ObservedInteger(const PluginHost& host, uint32_t index, float value) {
  switch (index) {
    case kAmount: {
      // Every line of a freshly restarted table draws four times.
      Instance instance(host, 5, 4);
      instance.Set(kAmount, value);
      TestFrame frame = TestFrame::Random(5, 4, 3);
      rand_script::Reset();
      EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
      EXPECT_TRUE(frame.GuardsIntact());
      return static_cast<int>(rand_script::Calls() / 4);
    }
    case kRange: {
      // A first draw of 0 gives the shift -shiftRange: the last pixel of a wide row comes from
      // shiftRange columns to its left.
      constexpr int kWidth = 300;
      Instance instance(host, kWidth, 1);
      instance.Set(kAmount, AmountFor(1));
      instance.Set(kRange, value);
      TestFrame frame(kWidth, 1);
      for (int x = 0; x < kWidth; ++x) {
        frame.SetPixel(x, 0, static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8), 0);
      }
      ProcessScripted(instance, frame, {0, 0, 1, 0});
      const uint8_t* last = frame.Pixel(kWidth - 1, 0);
      return kWidth - 1 - (last[0] | last[1] << 8);
    }
    default: {
      // Draws 0 and odd give velocity 1 - speedRange: a line started on the last row climbs
      // speedRange - 1 rows, so after two frames speedRange rows carry its shift.
      constexpr int kHeight = 600;
      Instance instance(host, 2, kHeight);
      instance.Set(kAmount, AmountFor(1));
      instance.Set(kSpeed, value);
      TestFrame frame = ColumnFrame(2, kHeight);
      ProcessScripted(instance, frame, {6, 0, 1, kHeight - 1});  // shift +1
      ProcessScripted(instance, frame, {});
      int shiftedRows = 0;
      for (int y = 0; y < kHeight; ++y) shiftedRows += frame.Pixel(0, y)[0] == 1 ? 1 : 0;
      return shiftedRows;
    }
  }
}

// Each parameter is widened, multiplied by its factor (256, 50, 10), truncated with saturation
// and cut to its low 8 bits; Range and Speed are at least 1.
TEST(Dwero, ParametersGiveTheirIntegers) {
  const float infinity = std::numeric_limits<float>::infinity();
  const float nan = std::nanf("");
  const struct {
    uint32_t index;
    float value;
    int integer;
  } cases[] = {
      {kAmount, 0.0f, 0},       {kAmount, 0.1f, 25},     {kAmount, 0.5f, 128},
      {kAmount, 0.7f, 179},     {kAmount, 1.0f, 0},      {kAmount, 0.99609375f, 255},
      {kAmount, 1.5f, 128},     {kAmount, -0.1f, 231},   {kAmount, nan, 0},
      {kAmount, infinity, 255}, {kAmount, -infinity, 0}, {kAmount, 1e10f, 255},
      {kRange, 0.0f, 1},        {kRange, 0.1f, 5},       {kRange, 0.5f, 25},
      {kRange, 0.7f, 34},       {kRange, 1.0f, 50},      {kRange, 5.5f, 19},
      {kRange, -0.1f, 251},     {kRange, nan, 1},        {kRange, infinity, 255},
      {kRange, -infinity, 1},   {kSpeed, 0.0f, 1},       {kSpeed, 0.1f, 1},
      {kSpeed, 0.5f, 5},        {kSpeed, 0.7f, 6},       {kSpeed, 1.0f, 10},
      {kSpeed, 25.6f, 1},       {kSpeed, -0.1f, 255},    {kSpeed, nan, 1},
      {kSpeed, infinity, 255},
  };
  PluginHost host("Dwero", true);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "parameter " << c.index << " value " << c.value);
    EXPECT_EQ(ObservedInteger(host, c.index, c.value), c.integer);
  }
}

TEST(Dwero, AmountOfNoLinesLeavesFrameAndLinesAlone) {
  PluginHost host("Dwero", true);
  Instance instance(host, 4, 5);
  instance.Set(kAmount, AmountFor(1));
  TestFrame frame = ColumnFrame(4, 5);
  const std::vector<int> untouched = {0, 1, 2, 3};
  const std::vector<int> shifted = {2, 3, 2, 3};
  ProcessScripted(instance, frame, {7, 0, 0, 4});  // shift +2, velocity -2, row 4
  const Rows afterFirst = {untouched, untouched, untouched, untouched, shifted};
  EXPECT_EQ(AllSourceColumns(frame), afterFirst);

  for (float none : {0.0f, 1.0f}) {
    instance.Set(kAmount, none);
    ProcessScripted(instance, frame, {});
    EXPECT_EQ(AllSourceColumns(frame), afterFirst);
  }
  // The line continues from row 2, where one move brought it; three would have brought it back
  // to row 4.
  instance.Set(kAmount, AmountFor(1));
  ProcessScripted(instance, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{untouched, untouched, shifted, shifted, shifted}));
}

TEST(Dwero, MakingAnyInstanceRestartsTheLinesOfEveryInstance) {
  PluginHost host("Dwero", true);
  Instance first(host, 4, 3);
  first.Set(kAmount, AmountFor(2));
  TestFrame frame = ColumnFrame(4, 3);
  ProcessScripted(first, frame, {5, 0, 1, 0, 5, 0, 1, 0});
  ProcessScripted(first, frame, {});
  { Instance second(host, 8, 8); }
  ProcessScripted(first, frame, {5, 0, 1, 0, 5, 0, 1, 0});
  // So does the template instance when the host initialises again.
  host.DeInitialise();
  ASSERT_EQ(host.Initialise(), ff::FF_SUCCESS);
  ProcessScripted(first, frame, {5, 0, 1, 0, 5, 0, 1, 0});
}

// The line table is shared: a row stored by an instance with a taller frame reaches one with a
// shorter frame. A band above such a row stops at the last row; a band below it is empty, and
// the move brings the line back into the frame.
TEST(Dwero, RowOfATallerFrameStaysInsideAShorterOne) {
  PluginHost host("Dwero", true);
  Instance tall(host, 3, 20);
  Instance shortOne(host, 3, 4);
  for (const Instance* instance : {&tall, &shortOne}) {
    instance->Set(kAmount, AmountFor(2));
    instance->Set(kSpeed, 0.25f);
  }
  // Line 0: shift +1, velocity -1, row 15. Line 1: shift -1, velocity 0, row 18.
  TestFrame tallFrame = ColumnFrame(3, 20);
  ProcessScripted(tall, tallFrame, {6, 0, 1, 15, 4, 1, 1, 18});

  TestFrame frame = ColumnFrame(3, 4);
  ProcessScripted(shortOne, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows(4, std::vector<int>{1, 2, 2})));
  // Both rows were at or past the short frame's height: line 0 (14) and line 1 (18) are on row 0.
  ProcessScripted(shortOne, frame, {});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{{2, 2, 2}, {1, 1, 2}, {1, 1, 2}, {1, 1, 2}}));
}

TEST(Dwero, FramesWithoutRowsOrColumnsAndOddSizes) {
  PluginHost host("Dwero", true);
  const int sizes[][2] = {{0, 0}, {5, 0}, {0, 5}, {1, 1}, {1, 9}, {9, 1}, {2, 3}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
    Instance instance(host, static_cast<uint32_t>(size[0]), static_cast<uint32_t>(size[1]));
    instance.Set(kAmount, 0.99f);
    instance.Set(kRange, 1.0f);
    instance.Set(kSpeed, 1.0f);
    TestFrame frame = TestFrame::Random(size[0], size[1], 11);
    rand_script::Reset(5);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_TRUE(frame.GuardsIntact());
    // Without rows no line can be placed, so none starts.
    if (size[1] == 0) {
      EXPECT_EQ(rand_script::Calls(), 0u);
    }
  }
  // The lines a frame without rows left alone start in the next frame that has rows.
  Instance noRows(host, 4, 0);
  Instance rows(host, 4, 2);
  noRows.Set(kAmount, AmountFor(1));
  rows.Set(kAmount, AmountFor(1));
  TestFrame empty(4, 0);
  ProcessScripted(noRows, empty, {});
  TestFrame frame = ColumnFrame(4, 2);
  ProcessScripted(rows, frame, {6, 0, 1, 1});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{{0, 1, 2, 3}, {1, 2, 3, 3}}));
}

TEST(Dwero, RefusedFramesChangeNothing) {
  ExpectFramesRefused(PluginHost("Dwero", true));
}

// Without its scratch memory (a row, and the map of source columns) the frame call fails before
// it touches the frame or the lines: the next frame starts the lines as if it had not happened.
TEST(Dwero, MissingScratchMemoryFailsAndLeavesFrameAndLinesUnchanged) {
  for (std::size_t succeeding : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "allocation " << succeeding << " fails");
    PluginHost host("Dwero", true);
    Instance instance(host, 5, 3);
    instance.Set(kAmount, AmountFor(1));
    TestFrame frame = ColumnFrame(5, 3);
    const std::vector<uint8_t> before = frame.Contents();
    rand_script::Reset();
    failing_allocation::FailNext(1, succeeding);
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
    EXPECT_EQ(failing_allocation::Pending(), 0u);
    EXPECT_EQ(rand_script::Calls(), 0u);
    EXPECT_EQ(frame.Contents(), before);

    ProcessScripted(instance, frame, {6, 0, 1, 2});
    EXPECT_EQ(AllSourceColumns(frame), (Rows{{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}, {1, 2, 3, 4, 4}}));
  }
}

// The effect exactly as the line table and frame walk are meant to work, one line, one row and
// one pixel at a time, as the reference for many random frames.
class ReferenceScanlineGap {
 public:
  struct Settings {
    int lineCount = 25;
    int shiftRange = 5;
    int speedRange = 1;
  };

  void ChangeSetting(std::mt19937& choices, Settings& settings, const Instance& instance) {
    const int lineCounts[] = {0, 1, 2, 3, 7, 25, 100, 255};
    const int shiftRanges[] = {1, 2, 5, 17, 50, 255};
    const int speedRanges[] = {1, 2, 3, 5, 10, 255};
    switch (choices() % 3) {
      case 0:
        settings.lineCount = lineCounts[choices() % std::size(lineCounts)];
        instance.Set(kAmount, AmountFor(settings.lineCount));
        break;
      case 1:
        settings.shiftRange = shiftRanges[choices() % std::size(shiftRanges)];
        instance.Set(kRange, RangeFor(settings.shiftRange));
        break;
      default:
        settings.speedRange = speedRanges[choices() % std::size(speedRanges)];
        instance.Set(kSpeed, SpeedFor(settings.speedRange));
        break;
    }
  }

  void Restart() {
    for (Line& line : lines) line.started = 0;
  }

  void Render(TestFrame& frame, const Settings& settings) {
    const int width = frame.width;
    const int height = frame.height;
    if (height == 0) return;
    for (int i = 0; i < settings.lineCount; ++i) {
      Line& line = lines[i];
      if (line.started == 0) {
        line.started = 1;
        line.shift = std::rand() % (2 * settings.shiftRange + 1) - settings.shiftRange;
        const int m = std::rand() % settings.speedRange + 1;
        const int d = std::rand() % 2 == 1 ? 1 : -1;
        line.velocity = m * d - settings.speedRange;
        line.row = std::rand() % height;
      }
      int first = line.row;
      int last = height - 1;
      if (line.velocity == -1) {
        first = 0;
        last = line.row < height ? line.row : height - 1;
      }
      for (int y = first; y <= last; ++y) {
        std::vector<uint8_t> copy(frame.Pixel(0, y), frame.Pixel(0, y) + width * 3);
        for (int x = 0; x < width; ++x) {
          const int from = x + line.shift;
          if (from >= 0 && from < width) std::memcpy(frame.Pixel(x, y), &copy[from * 3], 3);
        }
      }
      int row = line.row + line.velocity;
      if (row < 0) row = height - 1;
      if (row >= height) row = 0;
      line.row = row;
    }
  }

 private:
  struct Line {
    int started = 0, shift = 0, velocity = 0, row = 0;
  };
  std::array<Line, 256> lines{};
};

// Live instances of several frame sizes share the lines while parameters change and instances
// come and go; every frame must match the reference.
TEST(Dwero, MatchesTheReferenceFrameByFrame) {
  ExpectFramesMatchModel<ReferenceScanlineGap>("Dwero", {0, 1, 2, 3, 5, 8, 17, 40, 97, 300},
                                               {0, 1, 2, 3, 7, 16, 33, 64}, 40, 150);
}

}  // namespace
}  // namespace test
