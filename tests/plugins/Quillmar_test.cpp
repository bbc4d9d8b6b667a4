// The split RGB swap vertical effect, driven through plugMain with a scripted rand().
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "EffectChecks.h"
#include "PluginHost.h"
#include "ScriptedRand.h"
#include "StripFrames.h"
#include "TestFrame.h"

namespace test {
namespace {

constexpr std::size_t kTableDraws = 4096;

enum Parameter : uint32_t { kValue, kSwap, kWidth, kCol, kSpeed };

// Columns x to x + width - 1 rewritten in place through `mode`.
Columns StripColumns(int x, int width, int mode) {
  Columns columns;
  for (int k = 0; k < width; ++k) columns.push_back({x + k, {x + k, {mode}}});
  return columns;
}

TEST(Quillmar, IdentityParametersAndCapabilities) {
  PluginHost host("Quillmar");
  ExpectEffectDescription(
      host, "qLmR", "Quillmaresque", "Split rgb swap virtical",
      {{"Value", 0.2f}, {"Swap", 0.2f}, {"Width", 0.2f}, {"Col", 1.0f}, {"Speed", 0.1f}});
}

// Slot 0 of the fill: step +1 (one draw, whatever it is), a dropped step draw, mode 17 % 15 and
// width 130 % 128 + 1. One strip then creeps right, is cut at the right edge, wraps, takes new
// steps, a new width and a new mode, frame after frame.
TEST(Quillmar, ConstructorStripThenMovesWrapsAndRedraws) {
  PluginHost host("Quillmar", true);
  const auto instance = InstantiateWithFill(host, {123, 456, 17, 130}, 10, 2, kTableDraws);
  instance->Set(kValue, 0.0f);  // one strip; "Speed" 0.1 gives new steps of 3 to 12
  const TestFrame input = TestFrame::Random(10, 2, 21);

  const struct {
    const char* what;
    float speed, col;
    std::vector<int> draws;
    int x, width, mode;
  } kFrames[] = {
      // First use: column 5 and offset 7, then the draws by 30 and by 50; 5 + 1 = 6.
      {"first frame moves by +1", 0.1f, 1.0f, {5, 7, 1, 1}, 6, 3, 2},
      {"reaches the right edge", 0.1f, 1.0f, {1, 1}, 7, 3, 2},
      {"cut at the right edge", 0.1f, 1.0f, {1, 1}, 8, 2, 2},
      {"one column left", 0.1f, 1.0f, {1, 1}, 9, 1, 2},
      // Wraps to 0. By-30 draw 0: magnitude 2 % 10 + 3, direction draw 0 gives -1, so -5; by-50
      // draw 0: width 0 % 128 + 1.
      {"wraps right to left, new step and width", 0.1f, 1.0f, {0, 2, 0, 0, 0}, 0, 1, 2},
      {"wraps left to right", 0.1f, 1.0f, {1, 1}, 9, 1, 2},
      {"moves left", 0.1f, 1.0f, {1, 1}, 4, 1, 2},
      // "Speed" 0.0 (level 1): -5 is longer than 1 + 3 and is replaced: 0 % 1 + 3 times +1.
      {"lower speed replaces the step", 0.0f, 1.0f, {1, 0, 2, 1}, 9, 1, 2},
      // 9 + 3 passes the right edge and starts again at 0, whatever the overshoot.
      {"the new step stays", 0.0f, 1.0f, {1, 1}, 0, 1, 2},
      // "Col" 0.0: mode 2 is out of range and is redrawn (30 % 1) before the move and the
      // draw by 30, which would otherwise replace the step.
      {"fewer modes redraw the mode first", 0.0f, 0.0f, {30, 7, 1}, 3, 1, 0},
  };
  for (const auto& frame : kFrames) {
    SCOPED_TRACE(frame.what);
    instance->Set(kSpeed, frame.speed);
    instance->Set(kCol, frame.col);
    const TestFrame output = ScriptedFrame(*instance, input, frame.draws);
    EXPECT_EQ(output.Contents(),
              ExpectedColumns(input, StripColumns(frame.x, frame.width, frame.mode)).Contents());
  }
}

// Four strips (modes 1, 3, 4, 0; widths 3, 2, 1, 4). At "Swap" 1.0 strips 0 and 3 are written at
// their offsets, narrowed to fit where they are read and where they are written; strip 3 reads
// a column that strip 0 has just written.
TEST(Quillmar, DisplacementAtFullSwapOnly) {
  PluginHost host("Quillmar", true);
  const std::vector<int> fill = {0, 0, 1, 2, 0, 0, 3, 1, 0, 0, 4, 0, 0, 0, 0, 3};
  const auto instance = InstantiateWithFill(host, fill, 20, 2, kTableDraws);
  instance->Set(kValue, 0.0625f);  // four strips
  const TestFrame input = TestFrame::Random(20, 2, 22);
  // Per strip: column, offset, draws by 30 and 50. Columns after the move: 6, 1, 12, 18.
  const std::vector<int> draws = {5, 10, 1, 1, 0, 3, 1, 1, 11, 0, 1, 1, 17, 9, 1, 1};

  instance->Set(kSwap, 0.98f);
  {
    Columns expected = StripColumns(6, 3, 1);
    for (const auto& strip :
         {StripColumns(1, 2, 3), StripColumns(12, 1, 4), StripColumns(18, 2, 0)}) {
      expected.insert(expected.end(), strip.begin(), strip.end());
    }
    const TestFrame output = ScriptedFrame(*instance, input, draws);
    EXPECT_EQ(output.Contents(), ExpectedColumns(input, expected).Contents());
  }

  InstantiateWithFill(host, fill, 1, 1, kTableDraws);  // the same strips again, not used yet
  instance->Set(kSwap, 1.0f);
  {
    Columns expected = {{16, {6, {1}}}, {17, {7, {1}}}, {18, {8, {1}}}};
    for (const auto& strip : {StripColumns(1, 2, 3), StripColumns(12, 1, 4)}) {
      expected.insert(expected.end(), strip.begin(), strip.end());
    }
    // Strip 3: (9 + 18) % 20 = 7, two columns wide because only two remain right of 18.
    expected.push_back({7, {8, {1, 0}}});
    expected.push_back({8, {19, {0}}});
    const TestFrame output = ScriptedFrame(*instance, input, draws);
    EXPECT_EQ(output.Contents(), ExpectedColumns(input, expected).Contents());
  }
}

// Columns and offsets a wider frame of another instance stored are brought into the narrower one.
TEST(Quillmar, ColumnsFromAWiderInstanceStayInsideANarrowerFrame) {
  PluginHost host("Quillmar", true);
  Instance wide(host, 100, 2);
  const auto narrow =
      InstantiateWithFill(host, {0, 0, 0, 1}, 20, 2, kTableDraws);  // mode 0, width 2
  for (const Instance* instance : {&wide, narrow.get()}) {
    instance->Set(kValue, 0.0f);
    instance->Set(kSwap, 1.0f);
  }
  const TestFrame wideInput = TestFrame::Random(100, 2, 23);
  const TestFrame wideOutput = ScriptedFrame(wide, wideInput, {90, 95, 1, 1});
  // Column 91, written at (95 + 91) % 100.
  EXPECT_EQ(wideOutput.Contents(),
            ExpectedColumns(wideInput, {{86, {91, {0}}}, {87, {92, {0}}}}).Contents());

  const TestFrame narrowInput = TestFrame::Random(20, 2, 24);
  const TestFrame narrowOutput = ScriptedFrame(*narrow, narrowInput, {1, 1});
  // Column 92 is past the edge and starts again at 0; the offset 95 comes to 95 % 20.
  EXPECT_EQ(narrowOutput.Contents(),
            ExpectedColumns(narrowInput, {{15, {0, {0}}}, {16, {1, {0}}}}).Contents());
}

// Making an instance refills the shared table, so a running instance starts its strips afresh.
TEST(Quillmar, NewInstanceRestartsRunningStrips) {
  PluginHost host("Quillmar", true);
  const auto running =
      InstantiateWithFill(host, {0, 0, 4, 0}, 20, 2, kTableDraws);  // mode 4, width 1
  running->Set(kValue, 0.0f);
  const TestFrame input = TestFrame::Random(20, 2, 25);
  ScriptedFrame(*running, input, {5, 0, 1, 1});
  rand_script::Reset();
  rand_script::Push({0, 0, 4, 0});
  { Instance newcomer(host, 4, 4); }
  const TestFrame output = ScriptedFrame(*running, input, {11, 0, 1, 1});
  EXPECT_EQ(output.Contents(), ExpectedColumns(input, StripColumns(12, 1, 4)).Contents());
}

// Frames that cannot be processed leave the frame, the table and the generator as they were;
// a frame without columns has no place for a strip and is passed over.
TEST(Quillmar, RefusedAndEmptyFramesChangeNothing) {
  PluginHost host("Quillmar", true);
  Instance sixteenBit(host, 20, 2, ff::FF_DEPTH_16);
  Instance thirtyTwoBit(host, 20, 2, ff::FF_DEPTH_32);
  Instance noColumns(host, 0, 5);
  const auto instance =
      InstantiateWithFill(host, {0, 0, 4, 0}, 20, 2, kTableDraws);  // mode 4, width 1
  for (const Instance* each : {instance.get(), &noColumns}) each->Set(kValue, 0.0f);
  const TestFrame input = TestFrame::Random(20, 2, 26);
  ScriptedFrame(*instance, input, {5, 0, 1, 1});

  ExpectRefusedUntouched(*instance, sixteenBit, thirtyTwoBit, input);
  TestFrame empty(0, 5);
  rand_script::Reset();
  EXPECT_EQ(noColumns.Process(empty.data()), ff::FF_SUCCESS);
  EXPECT_TRUE(empty.GuardsIntact());
  EXPECT_EQ(rand_script::Calls(), 0u);

  // The strip moved from 6 to 7 as though nothing had come between.
  const TestFrame output = ScriptedFrame(*instance, input, {1, 1});
  EXPECT_EQ(output.Contents(), ExpectedColumns(input, StripColumns(7, 1, 4)).Contents());
}

// Host values far outside 0.0 to 1.0: at most 1024 strips, and no frame size or value makes the
// effect fail, leave the frame or misbehave under the sanitizers.
TEST(Quillmar, ExtremeParametersAndFrameSizes) {
  PluginHost host("Quillmar", true);
  ExpectCountCappedAtSlots(host, kValue, 1024, 4);  // column, offset and the draws by 30 and 50
  ProcessWithHostileParameters(host, 5, 29);
}

// The effect as first written: each strip copied out into a whole-frame buffer and written
// back, strip after strip, with the shared table of its own. Kept to check the plug-in frame by
// frame and draw by draw.
class LiteralSplitSwap {
 public:
  void Construct() {
    for (Slot& slot : slots) {
      slot.column = -1;
      slot.step = Step(0);
      slot.offset = -1;
      Step(0);
      slot.mode = rand() % 15;
      slot.width = rand() % 128 + 1;
    }
  }

  void Process(TestFrame& frame, const std::vector<float>& parameters) {
    const int strips = std::clamp(static_cast<int>(double{parameters[kValue]} * 64), 1, 1024);
    const int swapLevel = static_cast<int>(double{parameters[kSwap]} * 50);
    const int widthLimit = std::max(static_cast<int>(double{parameters[kWidth]} * 640), 1);
    const int modeCount = std::max(static_cast<int>(double{parameters[kCol]} * 15), 1);
    const int speed = std::max(static_cast<int>(double{parameters[kSpeed]} * 100), 1);
    const int W = frame.width;
    if (W == 0) return;
    std::vector<uint8_t> buffer(frame.Bytes());
    for (int i = 0; i < strips; ++i) {
      Slot& slot = slots[i];
      int x = slot.column;
      if (x == -1) {
        x = rand() % W;
        slot.offset = rand() % W;
      }
      if (slot.mode >= modeCount) slot.mode = rand() % modeCount;
      x += slot.step;
      if (x < 0) x = W - 1;
      if (x >= W) x = 0;
      if (rand() % 30 == 0 || std::abs(slot.step) > speed + 3) {
        const int magnitude = rand() % speed + 3;
        slot.step = magnitude * Step(1);
      }
      if (rand() % 50 == 0) slot.width = rand() % widthLimit + 1;
      int x2 = x, w = std::min(slot.width, W - x);
      if (swapLevel == 50 && i % 3 == 0) {
        x2 = (slot.offset + x) % W;
        w = std::min({slot.width, W - x2, W - x});
      }
      CopyStripOut(buffer, frame, x, w);
      WriteStripMapped(frame, buffer, x2, w, slot.mode);
      slot.column = x;
    }
  }

 private:
  struct Slot {
    int column, offset, mode, step, width;
  };

  static int Step(int reach) {
    const int step = rand() % (2 * reach + 1) - reach;
    return step == 0 ? 1 : step;
  }

  std::array<Slot, 1024> slots{};
};

// Two instances of different sizes share the table; parameters change between frames.
TEST(Quillmar, MatchesTheStripByStripAlgorithm) {
  const std::vector<ParameterRange> kRanges = {
      {-0.1f, 0.6f}, {0.98f, 1.0f, true}, {-0.1f, 1.2f}, {-0.1f, 1.4f}, {-0.1f, 1.2f}};
  ExpectSameAsReference<LiteralSplitSwap>("Quillmar", {0.2f, 0.2f, 0.2f, 1.0f, 0.1f}, kRanges, 80,
                                          30);
}

}  // namespace
}  // namespace test
