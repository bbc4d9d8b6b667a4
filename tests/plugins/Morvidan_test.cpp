// The split RGB swap rectangle effect: grid geometry, the shared cell table and its countdown,
// the recolouring pass and the paste pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "ArrangementTables.h"
#include "FrameComparison.h"
#include "PluginHost.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

using Pixel = std::vector<uint8_t>;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// "Value" 0.2 gives two divisions; "Time" 0.07 holds a table for 3 frames, 1.0 for 50.
constexpr float kTwoDivisions = 0.2f;
constexpr float kHoldThree = 0.07f;
constexpr float kHoldFifty = 1.0f;

// The pixels of frame `from` inside rectangle (x, y, w, h), moved by (dx, dy) through `mode`.
void ExpectMapped(TestFrame& expected, const TestFrame& from, int x, int y, int w, int h, int dx,
                  int dy, int mode) {
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) {
      const int tx = x + c + dx, ty = y + r + dy;
      if (tx < 0 || ty < 0 || tx >= expected.width || ty >= expected.height) continue;
      MapPixelByTable(expected.Pixel(tx, ty), from.Pixel(x + c, y + r), mode);
    }
  }
}

// The effect computed the long way, from its description: every cell copied out whole and
// written back, the table drawn in the same order, its own copy of the table and countdown.
class LiteralSplitSwap {
 public:
  void Construct() { countdown = 0; }

  void Process(TestFrame& frame, float value, float swap, float time, float col) {
    const int divisions = std::max(1, static_cast<int>(static_cast<double>(value) * 10));
    const int odds = static_cast<int>(static_cast<double>(swap) * 50);
    const int hold = static_cast<int>(static_cast<double>(time) * 50);
    const int modes = std::max(1, static_cast<int>(static_cast<double>(col) * 15));
    const int cellWidth = frame.width / divisions, cellHeight = frame.height / divisions;
    const bool redraw = --countdown <= 0;
    if (redraw) countdown = hold;
    if (cellWidth == 0 || cellHeight == 0) return;
    const int columns = frame.width / cellWidth, rows = frame.height / cellHeight;
    const auto entry = [&](int row, int column) -> Entry& {
      return table[std::min(row * columns + column, 1023)];
    };
    if (redraw) {
      for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
          Entry& e = entry(row, column);
          e.cellMode = std::rand() % modes;
          e.pasteMode = -1;
          if (odds > 0 && std::rand() % odds == 0) {
            e.targetX = std::rand() % columns * cellWidth;
            e.targetY = std::rand() % rows * cellHeight;
            e.pasteMode = std::rand() % modes;
          }
        }
      }
    }
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        const TestFrame before = frame;
        ExpectMapped(frame, before, column * cellWidth, row * cellHeight, cellWidth, cellHeight, 0,
                     0, entry(row, column).cellMode);
      }
    }
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        const Entry& e = entry(row, column);
        if (e.pasteMode == -1) continue;
        const TestFrame before = frame;
        ExpectMapped(frame, before, column * cellWidth, row * cellHeight, cellWidth, cellHeight,
                     e.targetX - column * cellWidth, e.targetY - row * cellHeight, e.pasteMode);
      }
    }
  }

 private:
  struct Entry {
    int cellMode = 0, pasteMode = 0, targetX = 0, targetY = 0;
  };
  std::vector<Entry> table = std::vector<Entry>(1024);
  // Starts at 0, as the plug-in's table and countdown do at load.
  int countdown = 0;
};

TEST(Morvidan, IdentityAndParameters) {
  PluginHost host("Morvidan");
  const ff::PluginInfoStruct* info = host.Info();
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "mRvD", 4), 0);
  const uint8_t expectedName[16] = {'M', 'o', 'r', 'v', 'i', 'd', 'a', 'n', 'e', 'k'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "Split rgb swap rect");
  EXPECT_STREQ(host.ExtendedInfo()->About, "Q.V");
  ASSERT_EQ(host.NumParameters(), 4u);
  const char* names[] = {"Value", "Swap", "Time", "Col"};
  const float defaults[] = {0.3f, 0.2f, 0.2f, 1.0f};
  Instance instance(host, 16, 16);
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(host.ParameterName(i), names[i]);
    EXPECT_EQ(host.ParameterDefaultBits(i), BitsFromFloat(defaults[i]));
    EXPECT_EQ(host.ParameterType(i), ff::FF_TYPE_STANDARD);
    EXPECT_EQ(host.GetParameterBits(instance.id(), i), BitsFromFloat(defaults[i]));
  }
  EXPECT_EQ(host.GetParameterBits(instance.id(), 4), ff::FF_FAIL);
  EXPECT_EQ(instance.Set(4, 0.5f), ff::FF_FAIL);
}

// 320 x 240 with the defaults: 3 x 3 cells of 106 x 80; the two rightmost columns never change.
// Each cell draws its mode and a paste decision (1 in 10); here none is pasted.
TEST(Morvidan, DefaultGrid) {
  PluginHost host("Morvidan", true);
  Instance instance(host, 320, 240);
  TestFrame frame = TestFrame::Random(320, 240, 2);
  TestFrame expected = frame;
  const int modes[9] = {0, 1, 2, 3, 4, 5, 12, 13, 14};
  std::vector<int> draws;
  for (int cell = 0; cell < 9; ++cell) {
    draws.insert(draws.end(), {modes[cell], 1 + cell});
    ExpectMapped(expected, frame, cell % 3 * 106, cell / 3 * 80, 106, 80, 0, 0, modes[cell]);
  }
  ProcessScripted(instance, frame, draws);
  EXPECT_TRUE(SameFrame(frame, expected));
  EXPECT_EQ(frame.PixelBytes(318, 10), expected.PixelBytes(318, 10));
}

// A 7 x 5 frame in two divisions has 2 x 2 cells of 3 x 2; column 6 and row 4 stay as they are.
// Every cell holds a pixel (10, 20, 30) at its top-left corner.
TEST(Morvidan, CellModesFollowCol) {
  struct Case {
    float col;
    int draw;
    Pixel corner;
  };
  const Case cases[] = {
      {0.0f, 14, {30, 20, 10}},  // one mode: every draw gives mode 0
      {1.0f, 14, {10, 30, 10}},  // mode 14 halves its byte 0
      {1.0f, 6, {30, 20, 5}},    // mode 6 halves its byte 2
      {1.0f, 9, {20, 5, 30}},    // mode 9 halves its byte 1
      {0.4f, 14, {20, 30, 10}},  // six modes: 14 % 6 is mode 2
      {2.0f, 20, {10, 20, 30}},  // thirty modes: mode 20 writes nothing
      {-1.0f, 7, {30, 20, 10}},  // at least one mode
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.col << ", draw " << c.draw);
    PluginHost host("Morvidan", true);
    Instance instance(host, 7, 5);
    instance.Set(0, kTwoDivisions);
    instance.Set(1, 0.0f);
    instance.Set(3, c.col);
    TestFrame frame = TestFrame::Random(7, 5, 4);
    for (int cell = 0; cell < 4; ++cell) frame.SetPixel(cell % 2 * 3, cell / 2 * 2, 10, 20, 30);
    TestFrame expected = frame;
    const int mode = c.draw % std::max(1, static_cast<int>(static_cast<double>(c.col) * 15));
    for (int cell = 0; cell < 4; ++cell) {
      ExpectMapped(expected, frame, cell % 2 * 3, cell / 2 * 2, 3, 2, 0, 0, mode);
    }
    ProcessScripted(instance, frame, {c.draw, c.draw, c.draw, c.draw});
    EXPECT_TRUE(SameFrame(frame, expected));
    for (int cell = 0; cell < 4; ++cell) {
      EXPECT_EQ(frame.PixelBytes(cell % 2 * 3, cell / 2 * 2), c.corner) << cell;
    }
  }
}

// "Swap" sets the odds of a paste: 0 and 0.02 (just below one in 50) draw no decision, 0.03 gives
// odds of 1 and pastes every cell, which takes five draws per cell.
TEST(Morvidan, PasteOddsFollowSwap) {
  struct Case {
    float swap;
    std::size_t draws;
  };
  const Case cases[] = {{0.0f, 4}, {0.02f, 4}, {-1.0f, 4}, {-kInfinity, 4}, {0.03f, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.swap);
    PluginHost host("Morvidan", true);
    Instance instance(host, 7, 5);
    instance.Set(0, kTwoDivisions);
    instance.Set(1, c.swap);
    TestFrame frame = TestFrame::Random(7, 5, 4);
    EXPECT_EQ(DrawsOfFrame(instance, frame), c.draws);
  }
}

// Cell 0 is pasted onto cell 1 exchanged, then cell 1 (now cell 0's copy) onto cell 3 unchanged:
// the paste pass works in place and in order.
TEST(Morvidan, PastesInOrderOverEarlierPastes) {
  PluginHost host("Morvidan", true);
  Instance instance(host, 7, 5);
  instance.Set(0, kTwoDivisions);
  instance.Set(1, 0.1f);  // odds of 1 in 5
  TestFrame frame = TestFrame::Random(7, 5, 6);
  TestFrame expected = frame;
  ExpectMapped(expected, frame, 0, 0, 3, 2, 3, 0, 0);
  ExpectMapped(expected, frame, 0, 0, 3, 2, 3, 2, 0);
  ProcessScripted(instance, frame,
                  {5, 0, 1, 0, 0,  // cell 0: kept, pasted at (3, 0) in mode 0
                   5, 5, 3, 3, 5,  // cell 1: kept, pasted at (3, 2) in mode 5
                   5, 3, 5, 4});   // cells 2 and 3: kept, not pasted
  EXPECT_TRUE(SameFrame(frame, expected));
}

// A new table every "Time" frames, counted by all instances together; any construction starts a
// new table on the next frame.
TEST(Morvidan, CountdownSharedByInstances) {
  struct Case {
    float time;
    std::vector<std::size_t> draws;
  };
  const Case cases[] = {
      {kHoldThree, {4, 0, 0, 4, 0, 0, 4}},
      {0.0f, {4, 4, 4}},
      {0.02f, {4, 4, 4}},
      {-kInfinity, {4, 4, 4}},
      {kHoldFifty, {4, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    PluginHost host("Morvidan", true);
    Instance first(host, 7, 5);
    Instance second(host, 8, 6);
    for (const Instance* instance : {&first, &second}) {
      instance->Set(0, kTwoDivisions);
      instance->Set(1, 0.0f);
      instance->Set(2, c.time);
    }
    TestFrame firstFrame = TestFrame::Random(7, 5, 1), secondFrame = TestFrame::Random(8, 6, 2);
    for (std::size_t i = 0; i < c.draws.size(); ++i) {
      const bool even = i % 2 == 0;
      EXPECT_EQ(DrawsOfFrame(even ? first : second, even ? firstFrame : secondFrame), c.draws[i])
          << "frame " << i;
    }
    Instance third(host, 4, 4);
    EXPECT_EQ(DrawsOfFrame(first, firstFrame), 4u);
  }
}

// Entries hold 0 until drawn (mode 0, pasted at (0, 0) in mode 0) and keep their draws across
// constructions and grid changes: only the cells of the grid in use are drawn.
TEST(Morvidan, TableOutlivesConstructionsAndGrids) {
  // A new instance draws its table for one division (entry 0: kept, not pasted) and holds it
  // while the grid turns to two divisions, whose cells 1 to 3 use entries that draw left alone.
  const auto splitAfterOneCell = [](const PluginHost& host, const TestFrame& original) {
    Instance instance(host, 8, 8);
    instance.Set(0, 0.0f);
    instance.Set(1, 0.0f);
    instance.Set(2, kHoldFifty);
    TestFrame frame = original;
    ProcessScripted(instance, frame, {5});
    EXPECT_TRUE(SameFrame(frame, original));
    instance.Set(0, kTwoDivisions);
    ProcessScripted(instance, frame, {});
    return frame;
  };
  {
    SCOPED_TRACE("entries never drawn");
    PluginHost host("Morvidan", true);
    const TestFrame original = TestFrame::Random(8, 8, 7);
    // Cells 1 to 3 are exchanged in place; then each is pasted over cell 0, exchanged back.
    TestFrame expected = original;
    for (int cell = 1; cell < 4; ++cell) {
      ExpectMapped(expected, original, cell % 2 * 4, cell / 2 * 4, 4, 4, 0, 0, 0);
    }
    ExpectMapped(expected, original, 4, 4, 4, 4, -4, -4, 5);
    EXPECT_TRUE(SameFrame(splitAfterOneCell(host, original), expected));
  }
  {
    SCOPED_TRACE("entries drawn before a construction");
    PluginHost host("Morvidan", true);
    {
      Instance first(host, 8, 8);
      first.Set(0, kTwoDivisions);
      first.Set(1, 0.0f);
      TestFrame firstFrame = TestFrame::Random(8, 8, 8);
      ProcessScripted(first, firstFrame, {5, 1, 2, 3});
    }
    const TestFrame original = TestFrame::Random(8, 8, 9);
    TestFrame expected = original;
    for (int cell = 1; cell < 4; ++cell) {
      ExpectMapped(expected, original, cell % 2 * 4, cell / 2 * 4, 4, 4, 0, 0, cell);
    }
    EXPECT_TRUE(SameFrame(splitAfterOneCell(host, original), expected));
  }
}

// A 40 x 40 frame in 40 divisions has 1600 cells: every cell from 1023 on shares entry 1023,
// whose last draw (cell 1599) decides for all of them.
TEST(Morvidan, CellsBeyondTheTableShareItsLastEntry) {
  PluginHost host("Morvidan", true);
  Instance instance(host, 40, 40);
  instance.Set(0, 4.0f);
  instance.Set(1, 0.0f);
  TestFrame frame = TestFrame::Random(40, 40, 10);
  TestFrame expected = frame;
  std::vector<int> draws(1600, 5);
  std::fill(draws.begin() + 1023, draws.end() - 1, 3);
  draws.back() = 0;
  for (int cell = 1023; cell < 1600; ++cell) {
    ExpectMapped(expected, frame, cell % 40, cell / 40, 1, 1, 0, 0, 0);
  }
  ProcessScripted(instance, frame, draws);
  EXPECT_TRUE(SameFrame(frame, expected));
}

// Frames narrower or lower than the number of divisions have cells of no size: nothing is drawn
// or changed.
TEST(Morvidan, FramesSmallerThanTheGrid) {
  struct Case {
    int width, height;
    float value;
  };
  const Case cases[] = {{5, 30, 1.0f}, {30, 5, 1.0f},       {0, 0, 0.3f},
                        {0, 10, 0.0f}, {64, 64, kInfinity}, {1, 1, 0.2f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << c.value);
    PluginHost host("Morvidan", true);
    Instance instance(host, c.width, c.height);
    instance.Set(0, c.value);
    TestFrame frame = TestFrame::Random(c.width, c.height, 11);
    const TestFrame original = frame;
    EXPECT_EQ(DrawsOfFrame(instance, frame), 0u);
    EXPECT_TRUE(SameFrame(frame, original));
  }
}

// Targets drawn for a finer grid or a larger frame are clipped to the frame that pastes them.
TEST(Morvidan, PastesReachingPastTheFrameAreClipped) {
  PluginHost host("Morvidan", true);
  Instance large(host, 20, 20);
  Instance small(host, 8, 8);
  for (const Instance* instance : {&large, &small}) {
    instance->Set(0, kTwoDivisions);
    instance->Set(1, 0.1f);
    instance->Set(2, kHoldFifty);
  }
  TestFrame frame = TestFrame::Random(20, 20, 12);
  TestFrame expected = frame;
  ExpectMapped(expected, frame, 0, 0, 10, 10, 10, 10, 0);
  // Cell 0 pasted at (10, 10) in mode 0; the other cells kept and not pasted.
  ProcessScripted(large, frame, {5, 0, 1, 1, 0, 5, 1, 5, 1, 5, 1});
  ASSERT_TRUE(SameFrame(frame, expected));

  // The same table on an 8 x 8 frame: cell 0 (4 x 4) pasted at (10, 10) lies outside it.
  TestFrame smallFrame = TestFrame::Random(8, 8, 13);
  const TestFrame smallOriginal = smallFrame;
  ProcessScripted(small, smallFrame, {});
  EXPECT_TRUE(SameFrame(smallFrame, smallOriginal));

  // One division: cell 0 is the whole 20 x 20 frame, and only its top-left quarter fits at (10,
  // 10).
  large.Set(0, 0.0f);
  ExpectMapped(expected, TestFrame(expected), 0, 0, 20, 20, 10, 10, 0);
  ProcessScripted(large, frame, {});
  EXPECT_TRUE(SameFrame(frame, expected));
}

TEST(Morvidan, RefusedFramesChangeNothing) {
  PluginHost host("Morvidan", true);
  Instance instance(host, 7, 5);
  Instance wide(host, 7, 5, ff::FF_DEPTH_16);
  instance.Set(0, kTwoDivisions);
  instance.Set(1, 0.0f);
  instance.Set(2, kHoldThree);
  TestFrame frame = TestFrame::Random(7, 5, 14);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 4u);
  ExpectFramesRefused(instance, wide, frame);
  // The countdown did not move: two held frames, then a new table.
  EXPECT_EQ(DrawsOfFrame(instance, frame), 0u);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 0u);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 4u);
}

// The plug-in against the long way round, frame by frame and draw by draw, over random sizes,
// parameters (some outside 0..1), parameter changes between frames and new instances.
TEST(Morvidan, MatchesTheLiteralAlgorithm) {
  std::mt19937 generator(2024);
  const auto uniform = [&generator](float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(generator);
  };
  for (int run = 0; run < 60; ++run) {
    const int width = static_cast<int>(generator() % 70);
    const int height = static_cast<int>(generator() % 50);
    SCOPED_TRACE(testing::Message() << "run " << run << ": " << width << " x " << height);
    PluginHost host("Morvidan", true);
    LiteralSplitSwap literal;
    auto instance = std::make_unique<Instance>(host, width, height);
    literal.Construct();
    TestFrame frame = TestFrame::Random(width, height, static_cast<uint32_t>(run));
    TestFrame expected = frame;
    float params[4] = {0.3f, 0.2f, 0.2f, 1.0f};
    for (int step = 0; step < 12; ++step) {
      if (generator() % 3 == 0) {
        const uint32_t index = generator() % 4;
        const float ranges[4][2] = {{-0.2f, 2.5f}, {-0.1f, 0.4f}, {-0.1f, 0.15f}, {-0.1f, 2.0f}};
        params[index] = uniform(ranges[index][0], ranges[index][1]);
      }
      if (generator() % 8 == 0) {
        // A new instance restarts the countdown; the old one goes on with the same table.
        Instance other(host, 3, 3);
        literal.Construct();
      }
      for (uint32_t i = 0; i < 4; ++i) instance->Set(i, params[i]);
      const uint32_t seed = static_cast<uint32_t>(generator());
      rand_script::Reset(seed);
      ASSERT_EQ(instance->Process(frame.data()), ff::FF_SUCCESS);
      const std::size_t draws = rand_script::Calls();
      rand_script::Reset(seed);
      literal.Process(expected, params[0], params[1], params[2], params[3]);
      ASSERT_EQ(draws, rand_script::Calls()) << "step " << step;
      ASSERT_TRUE(SameFrame(frame, expected)) << "step " << step;
      ASSERT_TRUE(frame.GuardsIntact());
    }
  }
}

}  // namespace
}  // namespace test
