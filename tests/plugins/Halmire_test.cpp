// The vertical swap effect, driven through plugMain with a scripted rand().
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

constexpr int kSwap = 0;  // the channel mode that exchanges bytes 0 and 2
constexpr std::size_t kTableDraws = 4096;

enum Parameter : uint32_t { kValue, kBlank, kWidth, kWait, kSpeed };

// Pair (a, b) with strips `width` wide: both strips copied before either is written, the write
// at a last.
Columns PairColumns(int a, int b, int width, bool blanked = false) {
  Columns columns;
  for (int k = 0; k < width; ++k) columns.push_back({b + k, {a + k, {kSwap}}});
  for (int k = 0; k < width; ++k) columns.push_back({a + k, {b + k, {blanked ? kBlack : kSwap}}});
  return columns;
}

TEST(Halmire, IdentityParametersAndCapabilities) {
  PluginHost host("Halmire");
  ExpectEffectDescription(
      host, "hMqe", "Halmirequondel", "swap virtucal rect",
      {{"Value", 0.2f}, {"Blank", 0.2f}, {"Width", 0.5f}, {"Wait", 1.0f}, {"Speed", 0.26f}});
  Instance instance(host, 8, 2);
  EXPECT_EQ(instance.Set(kWidth, kNaN), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), kWidth), BitsFromFloat(kNaN));
}

// The table fill leaves slot 0 with steps -3 and +3 (drawn with the constructor's speed 0);
// "Speed" 0.26 (level 3) keeps such steps. The pair then waits, jumps, bounces off both edges
// and has its too-long steps replaced, frame after frame.
TEST(Halmire, ConstructorStepsThenWaitJumpBounceAndStepReplacement) {
  PluginHost host("Halmire", true);
  // waitCounter (replaced at first use), stepA 0 % 3 -> -1, stepB 2 % 3 -> +1, a dropped draw.
  const auto instance = InstantiateWithFill(host, {7, 0, 2, 99}, 20, 2, kTableDraws);
  instance->Set(kValue, 0.0f);  // one pair
  instance->Set(kWidth, 0.1f);  // strips 2 wide, columns 0 to 18
  instance->Set(kWait, 0.0f);   // a jump every second frame
  const TestFrame input = TestFrame::Random(20, 2, 4);

  const struct {
    std::initializer_list<int> draws;
    int a, b;
  } kFrames[] = {
      // First use: a 5, b 30 % 18, phase 0; then one draw by 30 per step, neither 0.
      {{5, 30, 0, 1, 31}, 5, 12},
      // Jump by -3 and +3. Step A drawn anew (by-30 draw 0) as +6.
      {{0, 2, 7}, 2, 15},
      // No jump; +6 is longer than the speed allows, so it is replaced: -6.
      {{5, 0, 9}, 2, 15},
      // a 2 - 6 stops at 0 and step A turns to +6 (then replaced, +6); b 15 + 3 reaches 18.
      {{1, 1, 3}, 0, 18},
      {{4, 2, 6}, 0, 18},
      // b 18 + 3 stops at 18 and step B turns to -3, which the speed keeps.
      {{8, 1, 10}, 6, 18},
      {{8, 1, 10}, 6, 18},
      {{8, 1, 10}, 12, 15},
  };
  for (const auto& frame : kFrames) {
    SCOPED_TRACE(testing::Message() << "a " << frame.a << " b " << frame.b);
    const TestFrame output = ScriptedFrame(*instance, input, frame.draws);
    EXPECT_EQ(output.Contents(),
              ExpectedColumns(input, PairColumns(frame.a, frame.b, 2)).Contents());
  }
}

// "Blank" 1.0 blackens the first strip of pairs 0, 5, 10, ...; 0.99 blackens none.
TEST(Halmire, BlankingAtFullBlankOnly) {
  PluginHost host("Halmire", true);
  const TestFrame input = TestFrame::Random(40, 3, 5);
  for (const float blank : {0.99f, 1.0f}) {
    SCOPED_TRACE(blank);
    Instance instance(host, 40, 3);
    instance.Set(kValue, 0.1f);   // three pairs
    instance.Set(kWidth, 0.05f);  // strips 2 wide
    instance.Set(kBlank, blank);
    // Per pair: a, b, phase, and the two draws by 30.
    const TestFrame output =
        ScriptedFrame(instance, input, {0, 10, 0, 1, 1, 20, 30, 0, 1, 1, 4, 14, 0, 1, 1});
    Columns columns = PairColumns(0, 10, 2, blank == 1.0f);
    for (const auto& pair : {PairColumns(20, 30, 2), PairColumns(4, 14, 2)}) {
      columns.insert(columns.end(), pair.begin(), pair.end());
    }
    EXPECT_EQ(output.Contents(), ExpectedColumns(input, columns).Contents());
  }
}

// One pair on its first frame, with its columns drawn as `drawA` and `drawB` modulo W - w.
TEST(Halmire, StripWidthsOverlapsAndEqualColumns) {
  const struct {
    const char* what;
    float width, blank;
    int drawA, drawB;
    Columns expected;
  } kCases[] = {
      {"overlap: the write at a wins",
       0.4f,
       0.2f,
       2,
       4,
       {{2, {4, {kSwap}}},
        {3, {5, {kSwap}}},
        {4, {6, {kSwap}}},
        {5, {7, {kSwap}}},
        {6, {4, {kSwap}}},
        {7, {5, {kSwap}}}}},
      {"equal columns exchange bytes once",
       0.2f,
       0.2f,
       3,
       11,
       {{3, {3, {kSwap}}}, {4, {4, {kSwap}}}}},
      {"equal columns blanked", 0.2f, 1.0f, 3, 3, {{3, {3, {kBlack}}}, {4, {4, {kBlack}}}}},
      {"width 0 draws nothing", 0.0f, 1.0f, 3, 7, {}},
      {"negative width draws nothing", -0.5f, 1.0f, 3, 7, {}},
      {"NaN width draws nothing", kNaN, 1.0f, 3, 7, {}},
      {"-infinite width draws nothing", -kInfinity, 1.0f, 3, 7, {}},
  };
  const TestFrame input = TestFrame::Random(10, 3, 6);
  PluginHost host("Halmire", true);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Instance instance(host, 10, 3);
    instance.Set(kValue, 0.0f);
    instance.Set(kWidth, c.width);
    instance.Set(kBlank, c.blank);
    const TestFrame output = ScriptedFrame(instance, input, {c.drawA, c.drawB, 0, 1, 1});
    EXPECT_EQ(output.Contents(), ExpectedColumns(input, c.expected).Contents());
  }
}

// A strip as wide as the frame fits only at column 0: no draw divides by zero, and the whole
// frame trades places with itself.
TEST(Halmire, FullWidthStripStaysAtColumnZero) {
  PluginHost host("Halmire", true);
  const TestFrame input = TestFrame::Random(7, 3, 7);
  for (const float width : {1.0f, 1.5f, kInfinity}) {
    for (const float blank : {0.2f, 1.0f}) {
      SCOPED_TRACE(testing::Message() << "width " << width << " blank " << blank);
      Instance instance(host, 7, 3);
      instance.Set(kValue, 0.0f);
      instance.Set(kWidth, width);
      instance.Set(kBlank, blank);
      Columns whole;
      for (int x = 0; x < 7; ++x) whole.push_back({x, {x, {blank == 1.0f ? kBlack : kSwap}}});
      for (int frame = 0; frame < 3; ++frame) {
        // First use: a, b, phase; later frames only the draws by 30 (0 replaces a step).
        const TestFrame output = frame == 0
                                     ? ScriptedFrame(instance, input, {12345, 777, 0, 0, 1, 0, 2})
                                     : ScriptedFrame(instance, input, {0, 1, 0, 2});
        EXPECT_EQ(output.Contents(), ExpectedColumns(input, whole).Contents());
      }
    }
  }
}

// Columns a wider frame of another instance stored are brought into the narrower frame.
TEST(Halmire, ColumnsFromAWiderInstanceStayInsideANarrowerFrame) {
  PluginHost host("Halmire", true);
  Instance wide(host, 100, 2);
  Instance narrow(host, 20, 2);
  for (const Instance* instance : {&wide, &narrow}) {
    instance->Set(kValue, 0.0f);
    instance->Set(kWidth, 0.05f);  // 5 columns in the wide frame, 1 in the narrow one
  }
  const TestFrame wideInput = TestFrame::Random(100, 2, 8);
  const TestFrame wideOutput = ScriptedFrame(wide, wideInput, {90, 80, 0, 1, 1});
  EXPECT_EQ(wideOutput.Contents(), ExpectedColumns(wideInput, PairColumns(90, 80, 5)).Contents());

  const TestFrame narrowInput = TestFrame::Random(20, 2, 9);
  const TestFrame narrowOutput = ScriptedFrame(narrow, narrowInput, {1, 1});
  EXPECT_EQ(narrowOutput.Contents(),
            ExpectedColumns(narrowInput, PairColumns(19, 19, 1)).Contents());
}

// Making an instance refills the shared table, so a running instance starts its pairs afresh.
TEST(Halmire, NewInstanceRestartsRunningPairs) {
  PluginHost host("Halmire", true);
  Instance running(host, 20, 2);
  running.Set(kValue, 0.0f);
  running.Set(kWidth, 0.1f);
  const TestFrame input = TestFrame::Random(20, 2, 10);
  ScriptedFrame(running, input, {5, 12, 0, 1, 1});
  { Instance newcomer(host, 4, 4); }
  const TestFrame output = ScriptedFrame(running, input, {7, 9, 0, 1, 1});
  EXPECT_EQ(output.Contents(), ExpectedColumns(input, PairColumns(7, 9, 2)).Contents());
}

// Frames that cannot be processed leave the frame, the table and the generator as they were:
// the next frame continues as though the refused calls had not happened.
TEST(Halmire, RefusedFramesChangeNothing) {
  PluginHost host("Halmire", true);
  Instance sixteenBit(host, 20, 2, ff::FF_DEPTH_16);
  Instance thirtyTwoBit(host, 20, 2, ff::FF_DEPTH_32);
  const auto instance = InstantiateWithFill(host, {7, 0, 2, 99}, 20, 2, kTableDraws);  // -3, +3
  instance->Set(kValue, 0.0f);
  instance->Set(kWidth, 0.1f);
  instance->Set(kWait, 0.0f);
  const TestFrame input = TestFrame::Random(20, 2, 11);
  ScriptedFrame(*instance, input, {5, 30, 0, 1, 31});  // a 5, b 12, waiting one more frame

  ExpectRefusedUntouched(*instance, sixteenBit, thirtyTwoBit, input);

  // Had the refused call counted a frame, this one would not jump.
  const TestFrame output = ScriptedFrame(*instance, input, {1, 1});
  EXPECT_EQ(output.Contents(), ExpectedColumns(input, PairColumns(2, 15, 2)).Contents());
}

// Host values far outside 0.0 to 1.0: at most 1024 pairs, and no frame size or value makes the
// effect fail, leave the frame or misbehave under the sanitizers.
TEST(Halmire, ExtremeParametersAndFrameSizes) {
  PluginHost host("Halmire", true);
  ExpectCountCappedAtSlots(host, kValue, 1024, 5);  // a, b, phase and two draws by 30 per pair
  ProcessWithHostileParameters(host, 5, 14);
}

// The effect as first written: strips copied out into whole-frame buffers and written back, pair
// after pair, with the shared table of its own. Kept to check the plug-in frame by frame and
// draw by draw.
class LiteralVerticalSwap {
 public:
  void Construct() {
    for (Slot& slot : slots) {
      slot.waitCounter = rand() % 8;
      slot.columnA = -1;
      slot.stepA = Direction() * 3;
      slot.columnB = -1;
      slot.stepB = Direction() * 3;
      rand();
    }
  }

  void Process(TestFrame& frame, const std::vector<float>& parameters) {
    const int pairs = std::clamp(static_cast<int>(double{parameters[kValue]} * 30), 1, 1024);
    const int blankLevel = static_cast<int>(double{parameters[kBlank]} * 50);
    const int waitFrames = std::max(static_cast<int>(double{parameters[kWait]} * 15), 1);
    const int speed = std::max(static_cast<int>(double{parameters[kSpeed]} * 15), 1);
    const int w =
        std::clamp(static_cast<int>(double{parameters[kWidth]} * frame.width), 0, frame.width);
    const int largest = frame.width - w;
    std::vector<uint8_t> bufferA(frame.Bytes()), bufferB(frame.Bytes());
    for (int i = 0; i < pairs; ++i) {
      Slot& slot = slots[i];
      int a = slot.columnA, b = slot.columnB;
      if (a == -1) {
        a = DrawBelow(largest);
        b = DrawBelow(largest);
        slot.waitCounter = rand() % waitFrames;
      }
      if (++slot.waitCounter > waitFrames) {
        a += slot.stepA;
        b += slot.stepB;
        slot.waitCounter = 0;
      }
      Clamp(a, largest, slot.stepA);
      Clamp(b, largest, slot.stepB);
      if (rand() % 30 == 0 || std::abs(slot.stepA) > speed) slot.stepA = Direction() * (speed + 3);
      if (rand() % 30 == 0 || std::abs(slot.stepB) > speed) slot.stepB = Direction() * (speed + 3);
      CopyStripOut(bufferA, frame, a, w);
      CopyStripOut(bufferB, frame, b, w);
      WriteStripMapped(frame, bufferA, b, w, kSwap);
      WriteStripMapped(frame, bufferB, a, w, blankLevel == 50 && i % 5 == 0 ? kBlack : kSwap);
      slot.columnA = a;
      slot.columnB = b;
    }
  }

 private:
  struct Slot {
    int columnA, columnB, stepA, stepB, waitCounter;
  };

  static int Direction() {
    const int step = rand() % 3 - 1;
    return step == 0 ? 1 : step;
  }
  static int DrawBelow(int limit) {
    const int draw = rand();
    return limit > 0 ? draw % limit : 0;
  }
  static void Clamp(int& column, int largest, int& step) {
    if (column < 0) {
      column = 0;
      step = -step;
    }
    if (column > largest) {
      column = largest;
      step = -step;
    }
  }

  std::array<Slot, 1024> slots{};
};

// Two instances of different sizes share the table; parameters change between frames.
TEST(Halmire, MatchesTheStripByStripAlgorithm) {
  const std::vector<ParameterRange> kRanges = {
      {-0.2f, 1.3f}, {0.99f, 1.0f, true}, {-0.3f, 1.3f}, {-0.1f, 1.1f}, {-0.1f, 1.2f}};
  ExpectSameAsReference<LiteralVerticalSwap>("Halmire", {0.2f, 0.2f, 0.5f, 1.0f, 0.26f}, kRanges,
                                             60, 15);
}

}  // namespace
}  // namespace test
