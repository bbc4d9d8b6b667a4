// The static RGB swap: rectangles of a constant pattern, scaled to the frame, each rewritten
// through the channel mode of its slot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

#include "../../plugins/Vontekel/PatternTables.h"
#include "PluginHost.h"
#include "RgbOracle.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

using ff::kPatternCount;
using ff::kPatternSlots;
using ff::modeRows;
using ff::PatternRect;
using ff::rectPatterns;

// A "Value" or "Col" float that selects table entry `entry`.
float Selecting(int entry) {
  return (static_cast<float>(entry) + 1.5f) / 100.0f;
}

// The frame as the plain algorithm leaves it: one scratch buffer the size of the frame, and each
// scaled rectangle copied out whole before it is written back whole through its mode.
TestFrame StaticSwapReference(const TestFrame& input, int pattern, int row) {
  TestFrame frame = input;
  std::vector<uint8_t> scratch(frame.Bytes());
  for (int slot = 0; slot < kPatternSlots; ++slot) {
    const PatternRect& r = rectPatterns[pattern][slot];
    const int x = static_cast<int>(int64_t{r.x} * frame.width / 640);
    const int y = static_cast<int>(int64_t{r.y} * frame.height / 480);
    const int w = static_cast<int>(int64_t{r.w} * frame.width / 640);
    const int h = static_cast<int>(int64_t{r.h} * frame.height / 480);
    if (w == 0) continue;
    for (int ry = 0; ry < h; ++ry) {
      std::memcpy(&scratch[static_cast<std::size_t>(ry) * w * 3], frame.Pixel(x, y + ry),
                  static_cast<std::size_t>(w) * 3);
    }
    for (int ry = 0; ry < h; ++ry) {
      for (int rx = 0; rx < w; ++rx) {
        const Bytes3 out =
            Mapped(&scratch[(static_cast<std::size_t>(ry) * w + rx) * 3], modeRows[row][slot]);
        std::memcpy(frame.Pixel(x + rx, y + ry), out.data(), 3);
      }
    }
  }
  return frame;
}

int UsedSlots(int pattern) {
  int used = 0;
  while (used < kPatternSlots) {
    const PatternRect& r = rectPatterns[pattern][used];
    if (r.x == 0 && r.y == 0 && r.w == 0 && r.h == 0) break;
    ++used;
  }
  return used;
}

TEST(Vontekel, IdentityAndParameters) {
  PluginHost host("Vontekel");
  const ff::PluginInfoStruct* info = host.Info();
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "vOtk", 4), 0);
  const uint8_t expectedName[16] = {'V', 'o', 'n', 't', 'e', 'k', 'e', 'l'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "Static rgb swap");
  ASSERT_EQ(host.NumParameters(), 3u);
  const char* names[] = {"Value", "Col", "Wait"};
  for (uint32_t index = 0; index < 3; ++index) {
    EXPECT_EQ(host.ParameterName(index), names[index]);
    EXPECT_EQ(host.ParameterDefaultBits(index), 0x3C23D70Au) << "0.01 for " << names[index];
  }
}

TEST(Vontekel, PatternTableKeepsEveryBound) {
  int widthZeroSlots = 0, heightZeroSlots = 0;
  for (int p = 0; p < kPatternCount; ++p) {
    const int used = UsedSlots(p);
    EXPECT_GE(used, 1) << "pattern " << p;
    for (int slot = 0; slot < kPatternSlots; ++slot) {
      const PatternRect& r = rectPatterns[p][slot];
      if (slot >= used) {
        EXPECT_TRUE(r.x == 0 && r.y == 0 && r.w == 0 && r.h == 0)
            << "pattern " << p << " slot " << slot;
        continue;
      }
      EXPECT_TRUE(r.x >= 0 && r.x <= 639 && r.y >= 0 && r.y <= 478)
          << "pattern " << p << " slot " << slot;
      EXPECT_TRUE(r.w >= 0 && r.w <= 640 && r.h >= 0 && r.h <= 480)
          << "pattern " << p << " slot " << slot;
      EXPECT_LE(r.x + r.w, 640) << "pattern " << p << " slot " << slot;
      EXPECT_LE(r.y + r.h, 480) << "pattern " << p << " slot " << slot;
      if (r.w == 0) {
        ++widthZeroSlots;
        EXPECT_TRUE(p == 45 || p == 84) << "pattern " << p << " slot " << slot;
        EXPECT_TRUE(r.x != 0 && r.y != 0 && r.h != 0) << "pattern " << p << " slot " << slot;
      }
      if (r.h == 0) {
        ++heightZeroSlots;
        EXPECT_TRUE(p == 47 || p == 86) << "pattern " << p << " slot " << slot;
        EXPECT_TRUE(r.x != 0 && r.y != 0 && r.w != 0) << "pattern " << p << " slot " << slot;
      }
    }
  }
  EXPECT_EQ(widthZeroSlots, 2);
  EXPECT_EQ(heightZeroSlots, 2);
}

TEST(Vontekel, ModeRowsStayInRangeAndUseEveryMode) {
  std::set<uint32_t> seen;
  for (int row = 0; row < kPatternCount; ++row) {
    for (int slot = 0; slot < kPatternSlots; ++slot) {
      EXPECT_LE(modeRows[row][slot], 17u) << "row " << row << " slot " << slot;
      seen.insert(modeRows[row][slot]);
    }
  }
  EXPECT_EQ(seen.size(), 18u);
}

TEST(Vontekel, QuotedPatternsAndRows) {
  const struct {
    int pattern;
    std::vector<PatternRect> rects;
  } patterns[] = {
      {0, {{0, 0, 320, 480}, {320, 0, 320, 480}}},
      {1, {{160, 120, 320, 240}}},
      {2, {{0, 0, 640, 160}, {0, 160, 640, 160}, {0, 320, 640, 160}}},
      {50,
       {{403, 360, 30, 120},
        {83, 250, 175, 101},
        {255, 265, 194, 215},
        {49, 328, 535, 107},
        {461, 68, 179, 50},
        {244, 206, 396, 112}}},
      {99,
       {{428, 148, 212, 243},
        {459, 458, 181, 22},
        {390, 64, 116, 40},
        {5, 247, 94, 149},
        {364, 135, 5, 345}}},
  };
  for (const auto& quoted : patterns) {
    ASSERT_EQ(UsedSlots(quoted.pattern), static_cast<int>(quoted.rects.size()));
    for (std::size_t slot = 0; slot < quoted.rects.size(); ++slot) {
      const PatternRect& r = rectPatterns[quoted.pattern][slot];
      const PatternRect& q = quoted.rects[slot];
      EXPECT_TRUE(r.x == q.x && r.y == q.y && r.w == q.w && r.h == q.h)
          << "pattern " << quoted.pattern << " slot " << slot;
    }
  }
  const struct {
    int row;
    uint32_t modes[10];
  } rows[] = {
      {0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},      {1, {5, 4, 3, 2, 1, 6, 7, 8, 9, 10}},
      {2, {2, 3, 4, 5, 6, 7, 8, 9, 1, 2}},       {50, {5, 0, 11, 2, 10, 3, 10, 7, 1, 15}},
      {99, {2, 13, 11, 11, 17, 3, 7, 11, 2, 6}},
  };
  for (const auto& quoted : rows) {
    for (int slot = 0; slot < kPatternSlots; ++slot) {
      EXPECT_EQ(modeRows[quoted.row][slot], quoted.modes[slot]) << "row " << quoted.row;
    }
  }
}

TEST(Vontekel, DefaultsSwapTheLeftHalfWithMode1AndTheRightWithMode2OnEveryFrame) {
  PluginHost host("Vontekel");
  Instance instance(host, 4, 2);
  rand_script::Reset();
  for (int repeat = 0; repeat < 3; ++repeat) {
    TestFrame frame(4, 2);
    frame.Fill(10, 20, 30);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) {
        const std::vector<uint8_t> expected =
            x < 2 ? std::vector<uint8_t>{30, 10, 20} : std::vector<uint8_t>{20, 30, 10};
        EXPECT_EQ(frame.PixelBytes(x, y), expected) << "pixel " << x << "," << y;
      }
    }
    EXPECT_TRUE(frame.GuardsIntact());
  }
  EXPECT_EQ(rand_script::Calls(), 0u) << "the fixed pattern draws nothing";
}

// The in-place rewrite gives what the whole-frame copy gives, for every pattern and row of modes,
// on odd sizes as well.
TEST(Vontekel, EveryPatternMatchesTheWholeFrameCopy) {
  PluginHost host("Vontekel");
  const struct {
    int width, height;
  } sizes[] = {{64, 48}, {97, 61}, {641, 479}, {7, 5}, {1, 480}, {640, 1}};
  uint32_t seed = 1;
  for (const auto& size : sizes) {
    Instance instance(host, size.width, size.height);
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
      const int row = (pattern * 37 + size.width) % kPatternCount;
      ASSERT_EQ(instance.Set(0, Selecting(pattern)), ff::FF_SUCCESS);
      ASSERT_EQ(instance.Set(1, Selecting(row)), ff::FF_SUCCESS);
      const TestFrame input = TestFrame::Random(size.width, size.height, seed++);
      TestFrame frame = input;
      ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
      ASSERT_EQ(frame.Contents(), StaticSwapReference(input, pattern, row).Contents())
          << size.width << "x" << size.height << " pattern " << pattern << " row " << row;
      ASSERT_TRUE(frame.GuardsIntact());
    }
  }
}

// "Value" and "Col" as the host sets them, and the table entry each one selects.
TEST(Vontekel, EveryRowOfModesMatchesTheWholeFrameCopy) {
  PluginHost host("Vontekel");
  Instance instance(host, 67, 31);
  ASSERT_EQ(instance.Set(0, Selecting(8)), ff::FF_SUCCESS);  // ten strips, one for each slot
  for (int row = 0; row < kPatternCount; ++row) {
    ASSERT_EQ(instance.Set(1, Selecting(row)), ff::FF_SUCCESS);
    const TestFrame input = TestFrame::Random(67, 31, static_cast<uint32_t>(row));
    TestFrame frame = input;
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    ASSERT_EQ(frame.Contents(), StaticSwapReference(input, 8, row).Contents()) << "row " << row;
  }
}

TEST(Vontekel, ParameterValuesSelectPatternsAndRows) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value, col;
    int pattern, row;
  } cases[] = {
      {0.5f, 0.01f, 49, 0},  {0.29f, 0.01f, 27, 0},  // 0.29f * 100 is 28.99999...
      {0.0f, 0.0f, 0, 0},    {-0.5f, -3.0f, 0, 0},  {1.0f, 1.0f, 99, 99},
      {0.02f, 0.51f, 0, 49},  // 1.9999999... and 50.999999...
      {2.0f, 1.5f, 99, 99},  {inf, inf, 99, 99},    {std::nanf(""), -inf, 0, 0},
  };
  PluginHost host("Vontekel");
  Instance instance(host, 64, 48);
  for (const auto& c : cases) {
    ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
    ASSERT_EQ(instance.Set(1, c.col), ff::FF_SUCCESS);
    const TestFrame input = TestFrame::Random(64, 48, 5);
    TestFrame frame = input;
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(frame.Contents(), StaticSwapReference(input, c.pattern, c.row).Contents())
        << "Value " << c.value << " Col " << c.col;
    // The neighbouring entries would give other pictures, so the check above tells them apart.
    const int otherPattern = c.pattern == 99 ? 98 : c.pattern + 1;
    EXPECT_NE(StaticSwapReference(input, otherPattern, c.row).Contents(), frame.Contents());
  }
}

TEST(Vontekel, ScaledRectanglesOfA64By48Frame) {
  PluginHost host("Vontekel");
  Instance instance(host, 64, 48);
  ASSERT_EQ(instance.Set(0, Selecting(1)), ff::FF_SUCCESS);  // the centred rectangle
  TestFrame frame(64, 48);
  frame.Fill(10, 20, 30);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 16 && x < 48 && y >= 12 && y < 36;  // X 16, Y 12, W 32, H 24
      const std::vector<uint8_t> expected =
          inside ? std::vector<uint8_t>{30, 10, 20} : std::vector<uint8_t>{10, 20, 30};
      ASSERT_EQ(frame.PixelBytes(x, y), expected) << "pixel " << x << "," << y;
    }
  }
}

TEST(Vontekel, RectanglesThatScaleToNothingChangeNothing) {
  const struct {
    int width, height;
    float value;
    bool changes;
  } cases[] = {
      {1, 40, 0.01f, false},          // the halves of pattern 0 are 320 wide: width 0
      {1, 40, Selecting(2), true},    // the strips of pattern 2 are 640 wide: width 1
      {640, 2, Selecting(2), false},  // the strips of pattern 2 are 160 high: height 0
      {0, 40, Selecting(2), false},  {40, 0, 0.01f, false}, {0, 0, 0.01f, false},
  };
  PluginHost host("Vontekel");
  for (const auto& c : cases) {
    Instance instance(host, c.width, c.height);
    ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
    TestFrame frame =
        TestFrame::Random(c.width == 0 ? 2 : c.width, c.height == 0 ? 2 : c.height, 9);
    const auto before = frame.Contents();
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(frame.Contents() != before, c.changes) << c.width << "x" << c.height;
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

// The collapsed slots of patterns 45, 47, 84 and 86 change nothing: where only such a slot lies,
// the frame keeps its bytes.
TEST(Vontekel, CollapsedSlotsChangeNothing) {
  const struct {
    int pattern, x, y;
  } untouched[] = {{45, 320, 240}, {47, 320, 240}, {84, 220, 200}, {86, 300, 150}};
  PluginHost host("Vontekel");
  Instance instance(host, 640, 480);
  for (const auto& c : untouched) {
    ASSERT_EQ(instance.Set(0, Selecting(c.pattern)), ff::FF_SUCCESS);
    TestFrame frame = TestFrame::Random(640, 480, 3);
    const auto before = frame.PixelBytes(c.x, c.y);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(frame.PixelBytes(c.x, c.y), before) << "pattern " << c.pattern;
    EXPECT_NE(frame.Contents(), TestFrame::Random(640, 480, 3).Contents())
        << "the other slots of pattern " << c.pattern << " still draw";
  }
}

// A frame so wide that a reference coordinate times its width leaves the 32-bit range.
TEST(Vontekel, VeryWideFramesScaleWithoutOverflow) {
  const int width = 6800000;  // 320 * width is above 2^31
  PluginHost host("Vontekel");
  Instance instance(host, width, 1);
  TestFrame frame(width, 1);
  frame.Fill(10, 20, 30);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  for (int x : {0, width / 2 - 1})
    EXPECT_EQ(frame.PixelBytes(x, 0), (std::vector<uint8_t>{30, 10, 20}));
  for (int x : {width / 2, width - 1})
    EXPECT_EQ(frame.PixelBytes(x, 0), (std::vector<uint8_t>{20, 30, 10}));
  EXPECT_TRUE(frame.GuardsIntact());
}

// The pattern that a 64 x 48 frame shows, told apart by the reference of each candidate.
int ShownPattern(const Instance& instance, int candidateA, int candidateB) {
  const TestFrame input = TestFrame::Random(64, 48, 21);
  TestFrame frame = input;
  if (instance.Process(frame.data()) != ff::FF_SUCCESS) return -2;
  if (frame.Contents() == StaticSwapReference(input, candidateA, 0).Contents()) return candidateA;
  if (frame.Contents() == StaticSwapReference(input, candidateB, 0).Contents()) return candidateB;
  return -1;
}

TEST(Vontekel, WaitAbove10DrawsARandomPatternEveryWaitPlusOneFrames) {
  PluginHost host("Vontekel");
  Instance instance(host, 64, 48);
  ASSERT_EQ(instance.Set(0, Selecting(7)), ff::FF_SUCCESS);
  ASSERT_EQ(instance.Set(2, 0.011f), ff::FF_SUCCESS);  // 10: still the fixed pattern
  rand_script::Reset();
  for (int frame = 0; frame < 15; ++frame) ASSERT_EQ(ShownPattern(instance, 7, 0), 7);
  EXPECT_EQ(rand_script::Calls(), 0u);

  ASSERT_EQ(instance.Set(2, 0.012f), ff::FF_SUCCESS);  // 12
  rand_script::Reset();
  rand_script::Push({1257, 3});  // patterns 57, then 3
  for (int frame = 1; frame <= 12; ++frame) ASSERT_EQ(ShownPattern(instance, 0, 57), 0) << frame;
  EXPECT_EQ(rand_script::Calls(), 0u);
  EXPECT_EQ(ShownPattern(instance, 0, 57), 57) << "frame 13 draws";
  EXPECT_EQ(rand_script::Calls(), 1u);
  for (int frame = 14; frame <= 25; ++frame) ASSERT_EQ(ShownPattern(instance, 57, 3), 57) << frame;
  EXPECT_EQ(rand_script::Calls(), 1u);
  EXPECT_EQ(ShownPattern(instance, 57, 3), 3) << "frame 26 draws again";
  EXPECT_EQ(rand_script::Calls(), 2u);
  EXPECT_EQ(rand_script::Pending(), 0u);
}

// An infinite "Wait" saturates: the random mode, with a count that never reaches it.
TEST(Vontekel, AnInfiniteWaitKeepsTheLastRandomPattern) {
  PluginHost host("Vontekel");
  Instance instance(host, 64, 48);
  ASSERT_EQ(instance.Set(0, Selecting(7)), ff::FF_SUCCESS);
  ASSERT_EQ(instance.Set(2, std::numeric_limits<float>::infinity()), ff::FF_SUCCESS);
  rand_script::Reset();
  for (int frame = 0; frame < 20; ++frame) ASSERT_EQ(ShownPattern(instance, 0, 7), 0);
  EXPECT_EQ(rand_script::Calls(), 0u);
}

TEST(Vontekel, TheFixedModeKeepsTheSharedCountForLater) {
  PluginHost host("Vontekel");
  Instance instance(host, 64, 48);
  ASSERT_EQ(instance.Set(0, Selecting(7)), ff::FF_SUCCESS);
  ASSERT_EQ(instance.Set(2, 0.012f), ff::FF_SUCCESS);
  rand_script::Reset();
  rand_script::Push({44});
  for (int frame = 0; frame < 5; ++frame) ASSERT_EQ(ShownPattern(instance, 0, 7), 0);
  ASSERT_EQ(instance.Set(2, 0.01f), ff::FF_SUCCESS);
  for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(ShownPattern(instance, 0, 7), 7);
  ASSERT_EQ(instance.Set(2, 0.012f), ff::FF_SUCCESS);
  for (int frame = 6; frame <= 12; ++frame) ASSERT_EQ(ShownPattern(instance, 0, 44), 0) << frame;
  EXPECT_EQ(rand_script::Calls(), 0u);
  EXPECT_EQ(ShownPattern(instance, 0, 44), 44);
  EXPECT_EQ(rand_script::Calls(), 1u);
}

TEST(Vontekel, ANewInstanceRestartsTheCountAndBringsBackPattern0) {
  PluginHost host("Vontekel");
  Instance first(host, 64, 48);
  ASSERT_EQ(first.Set(2, 0.012f), ff::FF_SUCCESS);
  rand_script::Reset();
  rand_script::Push({61, 62});
  for (int frame = 0; frame < 13; ++frame) first.Process(TestFrame(64, 48).data());
  ASSERT_EQ(rand_script::Calls(), 1u);
  ASSERT_EQ(ShownPattern(first, 0, 61), 61);

  Instance second(host, 64, 48);
  ASSERT_EQ(ShownPattern(first, 0, 61), 0) << "the new instance reset the shared pattern";
  for (int frame = 2; frame <= 12; ++frame) ASSERT_EQ(ShownPattern(first, 0, 62), 0) << frame;
  EXPECT_EQ(ShownPattern(first, 0, 62), 62) << "and the shared count";
  EXPECT_EQ(rand_script::Calls(), 2u);
}

TEST(Vontekel, InstancesInTheRandomModeShareOneCountAndPattern) {
  PluginHost host("Vontekel");
  Instance fast(host, 64, 48);
  Instance slow(host, 64, 48);
  Instance wrongFormat(host, 64, 48, ff::FF_DEPTH_32);
  ASSERT_EQ(fast.Set(2, 0.012f), ff::FF_SUCCESS);
  ASSERT_EQ(slow.Set(2, 0.012f), ff::FF_SUCCESS);
  ASSERT_EQ(wrongFormat.Set(2, 0.012f), ff::FF_SUCCESS);
  rand_script::Reset();
  rand_script::Push({33});
  for (int frame = 0; frame < 6; ++frame) ASSERT_EQ(ShownPattern(fast, 0, 33), 0);
  TestFrame unused(64, 48);
  for (int frame = 0; frame < 20; ++frame)
    ASSERT_EQ(wrongFormat.Process(unused.data()), ff::FF_FAIL);
  for (int frame = 0; frame < 6; ++frame) ASSERT_EQ(ShownPattern(slow, 0, 33), 0);
  EXPECT_EQ(rand_script::Calls(), 0u) << "failed frames do not count";
  EXPECT_EQ(ShownPattern(fast, 0, 33), 33) << "the 13th frame of either instance draws";
  EXPECT_EQ(ShownPattern(slow, 0, 33), 33);
  EXPECT_EQ(rand_script::Calls(), 1u);
}

TEST(Vontekel, GetParameterAnswersEachStoredFloat) {
  PluginHost host("Vontekel");
  Instance instance(host, 8, 8);
  ASSERT_EQ(instance.Set(1, 0.25f), ff::FF_SUCCESS);
  ASSERT_EQ(instance.Set(2, 0.5f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), 0x3C23D70Au);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), BitsFromFloat(0.25f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), 2), BitsFromFloat(0.5f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), 3), ff::FF_FAIL);
  EXPECT_EQ(host.SetParameter(instance.id(), 3, 0.5f), ff::FF_FAIL);
}

}  // namespace
}  // namespace test
