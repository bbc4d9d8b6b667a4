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
#include "PluginHost.h"
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

// Processes one frame with the scripted draws and checks that exactly those were drawn.
void ProcessScripted(const Instance& instance, TestFrame& frame, std::vector<int> draws) {
  rand_script::Reset();
  rand_script::Push(draws);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), draws.size());
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_TRUE(frame.GuardsIntact());
}

TEST(Dwero, IdentityParametersAndCapabilities) {
  PluginHost host("Dwero");
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "dWro", 4), 0);
  const uint8_t expectedName[16] = {'D', 'w', 'e', 'r', 'o'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_EQ(info->PluginType, 0u);
  const ff::PluginExtendedInfoStruct* extended = host.ExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_STREQ(extended->Description, "Gap of screen by scanning lines");
  EXPECT_STREQ(extended->About, "Q.V");
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);

  ASSERT_EQ(host.NumParameters(), 3u);
  const char* names[3] = {"Amount", "Range", "Speed"};
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(host.ParameterName(i), names[i]);
    EXPECT_EQ(host.ParameterDefaultBits(i), BitsFromFloat(0.1f));
    EXPECT_EQ(host.ParameterType(i), ff::FF_TYPE_STANDARD);
  }
  EXPECT_EQ(host.ParameterType(3), ff::FF_FAIL);
  const uint32_t capabilities[] = {0, 1, 2, 3, 10, 11, 15};
  const uint32_t answers[] = {0, 1, 0, 0, 1, 1, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(host.Caps(capabilities[i]), answers[i]);

  Instance instance(host, 4, 4);
  EXPECT_EQ(instance.Set(2, 0.75f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 2), BitsFromFloat(0.75f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.1f));
  EXPECT_EQ(instance.Set(3, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 3), ff::FF_FAIL);
  EXPECT_STREQ(host.ParameterDisplay(instance.id(), 2), "0.750000");
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

// lineCount is the low 8 bits of Amount x 256: with fresh lines every line draws four times.
TEST(Dwero, AmountSetsTheNumberOfLines) {
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float amount;
    std::size_t lines;
  } cases[] = {
      {0.0f, 0},       {0.1f, 25},     {0.5f, 128},  {0.7f, 179},
      {1.0f, 0},       {1.5f, 128},    {-0.1f, 231}, {std::nanf(""), 0},
      {infinity, 255}, {-infinity, 0}, {1e10f, 255}, {0.99609375f, 255},
  };
  PluginHost host("Dwero", true);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Amount " << c.amount);
    Instance instance(host, 5, 4);  // restarts every line
    ASSERT_EQ(instance.Set(kAmount, c.amount), ff::FF_SUCCESS);
    TestFrame frame = TestFrame::Random(5, 4, 3);
    rand_script::Reset();
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 4 * c.lines);
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

// shiftRange is the low 8 bits of Range x 50, at least 1. A first draw of 0 gives the shift
// -shiftRange, which moves the last pixel of a wide row shiftRange columns to the right.
TEST(Dwero, RangeSetsTheLargestShift) {
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float range;
    int shiftRange;
  } cases[] = {
      {0.0f, 1},  {0.1f, 5},    {0.5f, 25},         {0.7f, 34},      {1.0f, 50},
      {5.5f, 19}, {-0.1f, 251}, {std::nanf(""), 1}, {infinity, 255}, {-infinity, 1},
  };
  PluginHost host("Dwero", true);
  constexpr int kWidth = 300;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Range " << c.range);
    Instance instance(host, kWidth, 1);
    instance.Set(kAmount, AmountFor(1));
    ASSERT_EQ(instance.Set(kRange, c.range), ff::FF_SUCCESS);
    TestFrame frame(kWidth, 1);
    for (int x = 0; x < kWidth; ++x)
      frame.SetPixel(x, 0, static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8), 0);
    ProcessScripted(instance, frame, {0, 0, 1, 0});
    const uint8_t* last = frame.Pixel(kWidth - 1, 0);
    EXPECT_EQ(kWidth - 1 - (last[0] | last[1] << 8), c.shiftRange);
  }
}

// speedRange is the low 8 bits of Speed x 10, at least 1. Draws 0 and odd give velocity
// 1 - speedRange: a line started on the last row climbs speedRange - 1 rows, so after two
// frames speedRange rows carry its shift.
TEST(Dwero, SpeedScalesTheVelocities) {
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float speed;
    int speedRange;
  } cases[] = {
      {0.0f, 1},  {0.1f, 1},    {0.5f, 5},          {0.7f, 6},       {1.0f, 10},
      {25.6f, 1}, {-0.1f, 255}, {std::nanf(""), 1}, {infinity, 255},
  };
  PluginHost host("Dwero", true);
  constexpr int kHeight = 600;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Speed " << c.speed);
    Instance instance(host, 2, kHeight);
    instance.Set(kAmount, AmountFor(1));
    ASSERT_EQ(instance.Set(kSpeed, c.speed), ff::FF_SUCCESS);
    TestFrame frame = ColumnFrame(2, kHeight);
    ProcessScripted(instance, frame, {6, 0, 1, kHeight - 1});  // shift +1
    ProcessScripted(instance, frame, {});
    int shiftedRows = 0;
    for (int y = 0; y < kHeight; ++y) shiftedRows += frame.Pixel(0, y)[0] == 1 ? 1 : 0;
    EXPECT_EQ(shiftedRows, c.speedRange);
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
  PluginHost host("Dwero", true);
  for (uint32_t depth : {ff::FF_DEPTH_16, ff::FF_DEPTH_32}) {
    Instance instance(host, 4, 4, depth);
    TestFrame frame = TestFrame::Random(4, 4, 2);
    const std::vector<uint8_t> before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_EQ(rand_script::Calls(), 0u);
  }
  Instance instance(host, 4, 4);
  rand_script::Reset();
  EXPECT_EQ(instance.Process(nullptr), ff::FF_FAIL);
  EXPECT_EQ(rand_script::Calls(), 0u);
}

// Without its scratch row the frame call fails before it touches the frame or the lines: the
// next frame starts the lines as if the failed call had not happened.
TEST(Dwero, MissingScratchRowFailsAndLeavesFrameAndLinesUnchanged) {
  PluginHost host("Dwero", true);
  Instance instance(host, 5, 3);
  instance.Set(kAmount, AmountFor(1));
  TestFrame frame = ColumnFrame(5, 3);
  const std::vector<uint8_t> before = frame.Contents();
  rand_script::Reset();
  failing_allocation::FailNext();
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
  EXPECT_EQ(failing_allocation::Pending(), 0u);
  EXPECT_EQ(rand_script::Calls(), 0u);
  EXPECT_EQ(frame.Contents(), before);

  ProcessScripted(instance, frame, {6, 0, 1, 2});
  EXPECT_EQ(AllSourceColumns(frame), (Rows{{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}, {1, 2, 3, 4, 4}}));
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

// Live instances of several geometries share the lines; parameters change, instances come and
// go, and every frame must match the reference in every byte and in the number of draws.
TEST(Dwero, MatchesTheReferenceFrameByFrame) {
  const int widths[] = {0, 1, 2, 3, 5, 8, 17, 40, 97};
  const int heights[] = {0, 1, 2, 3, 7, 16, 33, 64};
  const int lineCounts[] = {0, 1, 2, 3, 7, 25, 100, 255};
  const int shiftRanges[] = {1, 2, 5, 17, 50, 255};
  const int speedRanges[] = {1, 2, 3, 5, 10, 255};

  for (uint32_t scenario = 0; scenario < 12; ++scenario) {
    PluginHost host("Dwero", true);
    ReferenceScanlineGap reference;
    struct Live {
      std::unique_ptr<Instance> instance;
      int width, height;
      ReferenceScanlineGap::Settings settings;
    };
    std::vector<Live> live;
    std::mt19937 choices(scenario);
    auto pick = [&choices](const auto& options) { return options[choices() % std::size(options)]; };
    auto makeInstance = [&] {
      const int width = pick(widths), height = pick(heights);
      live.push_back({std::make_unique<Instance>(host, width, height), width, height, {}});
      reference.Restart();
    };
    makeInstance();
    for (uint32_t step = 0; step < 150; ++step) {
      const auto action = choices() % 20;
      Live& target = live[choices() % live.size()];
      if (action == 0) {
        makeInstance();
      } else if (action == 1 && live.size() > 1) {
        live.erase(live.begin());
      } else if (action < 6) {
        ReferenceScanlineGap::Settings& settings = target.settings;
        switch (choices() % 3) {
          case 0:
            settings.lineCount = pick(lineCounts);
            target.instance->Set(kAmount, AmountFor(settings.lineCount));
            break;
          case 1:
            settings.shiftRange = pick(shiftRanges);
            target.instance->Set(kRange, RangeFor(settings.shiftRange));
            break;
          default:
            settings.speedRange = pick(speedRanges);
            target.instance->Set(kSpeed, SpeedFor(settings.speedRange));
            break;
        }
      } else {
        SCOPED_TRACE(testing::Message() << "scenario " << scenario << " step " << step << " "
                                        << target.width << "x" << target.height);
        const uint32_t seed = scenario * 1000 + step;
        TestFrame frame = TestFrame::Random(target.width, target.height, seed);
        TestFrame expected = frame;
        rand_script::Reset(seed);
        ASSERT_EQ(target.instance->Process(frame.data()), ff::FF_SUCCESS);
        const std::size_t draws = rand_script::Calls();
        rand_script::Reset(seed);
        reference.Render(expected, target.settings);
        ASSERT_EQ(draws, rand_script::Calls());
        ASSERT_EQ(frame.Contents(), expected.Contents());
        ASSERT_TRUE(frame.GuardsIntact());
      }
    }
  }
}

}  // namespace
}  // namespace test
