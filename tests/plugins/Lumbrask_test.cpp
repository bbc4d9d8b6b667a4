// The box swap effect: placement, clamping, drawing modes and walks of the shared box table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "FrameComparison.h"
#include "PluginHost.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// "SizeX" 2/128 and "SizeY" 3/128 give a box of 2 x 3 pixels.
constexpr float kTwoPixels = 0.015625f;
constexpr float kThreePixels = 0.0234375f;

// One box ("Value" 0) of 2 x 3 pixels.
void UseOneSmallBox(const Instance& instance) {
  instance.Set(0, 0.0f);
  instance.Set(1, kTwoPixels);
  instance.Set(2, kThreePixels);
}

bool NearBlack(const uint8_t* pixel) {
  return pixel[0] <= 10 && pixel[1] <= 10 && pixel[2] <= 10;
}

// One box in the default mode: the whole source rectangle, saved before any write, lands on the
// target with bytes 0 and 2 exchanged, and near-black source pixels leave the target as it was.
void CopyBoxExchanged(TestFrame& expected, int sourceX, int sourceY, int targetX, int targetY,
                      int width, int height) {
  const TestFrame before = expected;
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      const uint8_t* source = before.Pixel(sourceX + c, sourceY + r);
      if (!NearBlack(source))
        expected.SetPixel(targetX + c, targetY + r, source[2], source[1], source[0]);
    }
  }
}

TEST(Lumbrask, IdentityAndParameters) {
  PluginHost host("Lumbrask");
  const ff::PluginInfoStruct* info = host.Info();
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "lBrk", 4), 0);
  const uint8_t expectedName[16] = {'L', 'u', 'm', 'b', 'r', 'a', 's', 'k'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "box swap");
  EXPECT_STREQ(host.ExtendedInfo()->About, "Q.V");

  ASSERT_EQ(host.NumParameters(), 5u);
  const char* names[] = {"Value", "SizeX", "SizeY", "Mode", "Speed"};
  const float defaults[] = {0.3f, 0.5f, 0.5f, 0.0f, 0.03f};
  Instance instance(host, 16, 16);
  for (uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(host.ParameterName(i), names[i]);
    EXPECT_EQ(host.ParameterDefaultBits(i), BitsFromFloat(defaults[i]));
    EXPECT_EQ(host.ParameterType(i), ff::FF_TYPE_STANDARD);
    EXPECT_EQ(host.GetParameterBits(instance.id(), i), BitsFromFloat(defaults[i]));
  }
  EXPECT_EQ(host.GetParameterBits(instance.id(), 5), ff::FF_FAIL);
  EXPECT_EQ(instance.Set(5, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(instance.Set(3, 0.7f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 3), BitsFromFloat(0.7f));
}

// With the defaults 30 boxes of 64 x 64 are placed (four draws each) and walked (four more).
TEST(Lumbrask, DefaultsPlaceThirtyBoxesOfSixtyFour) {
  PluginHost host("Lumbrask", true);
  Instance instance(host, 200, 150);
  TestFrame frame = TestFrame::Random(200, 150, 3);
  std::vector<int> draws;
  for (int box = 0; box < 30; ++box) {
    // Placement in 0 to 135 and 0 to 85; walk steps of rand() % 5 - 2.
    const std::vector<int> boxDraws = {
        box == 0 ? 136 + 10 : 0, 86 + 20, 136 * 2 + 100, 85, 4, 0, 2, 3};
    draws.insert(draws.end(), boxDraws.begin(), boxDraws.end());
  }
  TestFrame expected = frame;
  for (int box = 0; box < 30; ++box)
    CopyBoxExchanged(expected, box == 0 ? 10 : 0, 20, 100, 85, 64, 64);
  ProcessScripted(instance, frame, draws);
  EXPECT_TRUE(SameFrame(frame, expected));
}

// One box of 2 x 3 in an 8 x 6 frame: placement, the near-black rule, a walk past the top edge and
// a second frame whose source and target overlap.
TEST(Lumbrask, PlacesCopiesAndWalksOneBox) {
  PluginHost host("Lumbrask", true);
  Instance instance(host, 8, 6);
  UseOneSmallBox(instance);
  TestFrame frame = TestFrame::Random(8, 6, 11);
  frame.SetPixel(1, 1, 10, 10, 10);
  frame.SetPixel(2, 1, 11, 0, 0);
  frame.SetPixel(2, 2, 0, 0, 0);

  // Source (13 % 6, 4 % 3) = (1, 1), target (9 % 6, 0) = (3, 0); steps +2, -2, 0, +1.
  TestFrame expected = frame;
  CopyBoxExchanged(expected, 1, 1, 3, 0, 2, 3);
  ProcessScripted(instance, frame, {13, 4, 9, 0, 4, 0, 2, 3});
  EXPECT_TRUE(SameFrame(frame, expected));
  EXPECT_EQ(frame.PixelBytes(4, 0), (std::vector<uint8_t>{0, 0, 11}));

  // The source row -1 is pulled back to 0: box (3, 0) onto (3, 1), four walk draws only.
  CopyBoxExchanged(expected, 3, 0, 3, 1, 2, 3);
  ProcessScripted(instance, frame, {2, 2, 2, 2});
  EXPECT_TRUE(SameFrame(frame, expected));
}

// Eight 1 x 1 boxes in a 9 x 3 frame: box i copies (i, 0) to (i, 1). Boxes 0 to 3 read the
// bright pixel (11, 50, 200), boxes 4 to 7 the near-black (10, 3, 0); targets start (77, 88, 99).
TEST(Lumbrask, DrawModes) {
  using Pixel = std::vector<uint8_t>;
  const Pixel order0{200, 50, 11}, order1{200, 11, 50}, order2{50, 200, 11}, black{0, 0, 0},
      kept{77, 88, 99};
  struct Case {
    float mode;
    std::vector<Pixel> targets;
  };
  const Case cases[] = {
      {0.0f, {order0, order0, order0, order0, kept, kept, kept, kept}},
      {kNaN, {order0, order0, order0, order0, kept, kept, kept, kept}},
      {0.2f, {order0, order0, order0, order0, black, black, black, black}},
      {0.4f, {black, black, black, black, black, black, black, black}},
      {0.6f, {order0, order1, order2, order0, kept, kept, kept, kept}},
      {0.8f, {order0, order1, order2, black, kept, kept, kept, black}},
      {1.0f, {kept, kept, kept, kept, kept, kept, kept, kept}},
      {-0.3f, {kept, kept, kept, kept, kept, kept, kept, kept}},
      {1.5f, {kept, kept, kept, kept, kept, kept, kept, kept}},
  };
  PluginHost host("Lumbrask", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Instance instance(host, 9, 3);
    instance.Set(0, 0.085f);
    instance.Set(1, 0.0f);
    instance.Set(2, 0.0f);
    instance.Set(3, c.mode);
    TestFrame frame(9, 3);
    for (int x = 0; x < 9; ++x) {
      if (x < 4)
        frame.SetPixel(x, 0, 11, 50, 200);
      else
        frame.SetPixel(x, 0, 10, 3, 0);
      frame.SetPixel(x, 1, 77, 88, 99);
      frame.SetPixel(x, 2, 1, 2, 3);
    }
    std::vector<int> draws;
    for (int box = 0; box < 8; ++box) {
      const std::vector<int> boxDraws = {box, 0, box, 1, 2, 2, 2, 2};
      draws.insert(draws.end(), boxDraws.begin(), boxDraws.end());
    }
    ProcessScripted(instance, frame, draws);
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(frame.PixelBytes(x, 0), (x < 4 ? Pixel{11, 50, 200} : Pixel{10, 3, 0})) << x;
      EXPECT_EQ(frame.PixelBytes(x, 1), x < 8 ? c.targets[x] : kept) << x;
      EXPECT_EQ(frame.PixelBytes(x, 2), (Pixel{1, 2, 3})) << x;
    }
  }
}

// "Mode" 0.2 blackens the target before it writes the copy; the copy must still read the source
// as it was, also where the two overlap.
TEST(Lumbrask, BlackenedTargetOverlappingItsSource) {
  PluginHost host("Lumbrask", true);
  Instance instance(host, 8, 6);
  UseOneSmallBox(instance);
  instance.Set(3, 0.2f);
  TestFrame frame = TestFrame::Random(8, 6, 17);
  frame.SetPixel(2, 2, 3, 4, 5);
  TestFrame expected = frame;
  // Source (1, 1), target (1, 0): rows 0 to 2 of columns 1 and 2 take rows 1 to 3 exchanged.
  for (int r = 0; r < 3; ++r) {
    for (int c = 1; c < 3; ++c) {
      const uint8_t* source = frame.Pixel(c, r + 1);
      if (NearBlack(source))
        expected.SetPixel(c, r, 0, 0, 0);
      else
        expected.SetPixel(c, r, source[2], source[1], source[0]);
    }
  }
  ProcessScripted(instance, frame, {1, 1, 1, 0, 2, 2, 2, 2});
  EXPECT_TRUE(SameFrame(frame, expected));
  EXPECT_EQ(frame.PixelBytes(2, 1), (std::vector<uint8_t>{0, 0, 0}));
}

// Only a sourceX of -1 asks for a fresh placement; a sourceY of -1 is pulled back to row 0.
TEST(Lumbrask, SourceColumnMinusOneIsPlacedAfresh) {
  struct Case {
    std::vector<int> firstWalk;
    std::vector<int> secondFrame;
    int sourceX, sourceY, targetX, targetY;
  };
  const Case cases[] = {
      // The source column walks from 0 to -1: all four corners are drawn again.
      {{1, 2, 2, 2}, {5, 2, 3, 1, 2, 2, 2, 2}, 5, 2, 3, 1},
      // The source row walks from 0 to -1: only the walk is drawn.
      {{2, 1, 2, 2}, {2, 2, 2, 2}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    PluginHost host("Lumbrask", true);
    Instance instance(host, 8, 6);
    UseOneSmallBox(instance);
    TestFrame frame = TestFrame::Random(8, 6, 5);
    std::vector<int> first = {0, 0, 0, 0};
    first.insert(first.end(), c.firstWalk.begin(), c.firstWalk.end());
    TestFrame expected = frame;
    CopyBoxExchanged(expected, 0, 0, 0, 0, 2, 3);
    ProcessScripted(instance, frame, first);
    CopyBoxExchanged(expected, c.sourceX, c.sourceY, c.targetX, c.targetY, 2, 3);
    ProcessScripted(instance, frame, c.secondFrame);
    EXPECT_TRUE(SameFrame(frame, expected));
  }
}

// A box placed at source (5, 3) and target (10, 4) of a 20 x 10 frame takes one walk; the next
// frame shows where its corners went after they were pulled back into 0..18 and 0..7.
TEST(Lumbrask, WalkRangeFollowsSpeed) {
  constexpr int kMax = std::numeric_limits<int>::max();
  struct Case {
    float speed;
    std::vector<int> walk;
    int sourceX, sourceY, targetX, targetY;
  };
  const Case cases[] = {
      {0.0f, {12345, 7, 0, 99}, 5, 3, 10, 4},       {-0.5f, {12345, 7, 0, 99}, 5, 3, 10, 4},
      {-kInfinity, {12345, 7, 0, 99}, 5, 3, 10, 4}, {kNaN, {12345, 7, 0, 99}, 5, 3, 10, 4},
      {0.03f, {0, 4, 3, 1}, 3, 5, 11, 3},           {0.05f, {0, 10, 6, 7}, 0, 7, 11, 6},
      {1.0f, {0, 200, 100, 150}, 0, 7, 10, 7},      {kInfinity, {0, kMax, kMax, 0}, 0, 3, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.speed);
    PluginHost host("Lumbrask", true);
    Instance instance(host, 20, 10);
    UseOneSmallBox(instance);
    instance.Set(4, c.speed);
    TestFrame frame = TestFrame::Random(20, 10, 9);
    TestFrame expected = frame;
    std::vector<int> first = {5, 3, 10, 4};
    first.insert(first.end(), c.walk.begin(), c.walk.end());
    CopyBoxExchanged(expected, 5, 3, 10, 4, 2, 3);
    ProcessScripted(instance, frame, first);
    ASSERT_TRUE(SameFrame(frame, expected));
    CopyBoxExchanged(expected, c.sourceX, c.sourceY, c.targetX, c.targetY, 2, 3);
    ProcessScripted(instance, frame, {0, 0, 0, 0});
    EXPECT_TRUE(SameFrame(frame, expected));
  }
}

// A box larger than the frame shrinks to the frame; a side the box fills stands at 0, yet every
// placement still takes its four draws. Nothing is read or written outside the frame.
TEST(Lumbrask, BoxesNoSmallerThanTheFrame) {
  struct Case {
    int width, height;
    std::vector<int> placement;
    int sourceX, sourceY, targetX, targetY, boxWidth, boxHeight;
  };
  const Case cases[] = {
      {0, 0, {1, 2, 3, 4}, 0, 0, 0, 0, 0, 0},         {1, 1, {1, 2, 3, 4}, 0, 0, 0, 0, 1, 1},
      {5, 4, {1, 2, 3, 4}, 0, 0, 0, 0, 5, 4},         {64, 64, {1, 2, 3, 4}, 0, 0, 0, 0, 64, 64},
      {64, 10, {1, 2, 3, 4}, 0, 0, 0, 0, 64, 10},     {10, 70, {1, 2, 3, 4}, 0, 2, 0, 4, 10, 64},
      {200, 1, {3, 77, 100, 5}, 3, 0, 100, 0, 64, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    PluginHost host("Lumbrask", true);
    Instance instance(host, c.width, c.height);
    instance.Set(0, 0.0f);
    TestFrame frame = TestFrame::Random(c.width, c.height, 21);
    TestFrame expected = frame;
    CopyBoxExchanged(expected, c.sourceX, c.sourceY, c.targetX, c.targetY, c.boxWidth, c.boxHeight);
    std::vector<int> draws = c.placement;
    draws.insert(draws.end(), {2, 2, 2, 2});
    ProcessScripted(instance, frame, draws);
    EXPECT_TRUE(SameFrame(frame, expected));
    CopyBoxExchanged(expected, c.sourceX, c.sourceY, c.targetX, c.targetY, c.boxWidth, c.boxHeight);
    ProcessScripted(instance, frame, {2, 2, 2, 2});
    EXPECT_TRUE(SameFrame(frame, expected));
  }
}

// Sizes beyond the 0..1 range cover at most the frame; counts beyond it at most the 100 slots.
TEST(Lumbrask, ParameterValuesOutsideTheRange) {
  struct Case {
    uint32_t index;
    float value;
    std::size_t firstFrameDraws;
  };
  const Case cases[] = {
      {0, 1.0f, 800},  {0, 5.0f, 800},       {0, kInfinity, 800}, {0, kNaN, 8},
      {0, -1.0f, 8},   {0, 0.02f, 8},        {0, 0.05f, 40},      {1, kInfinity, 240},
      {2, 1e30f, 240}, {1, -kInfinity, 240}, {2, kNaN, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.index << ": " << c.value);
    PluginHost host("Lumbrask", true);
    Instance instance(host, 90, 70);
    // Boxes that stand still are never placed afresh by a walk to column -1.
    instance.Set(4, 0.0f);
    EXPECT_EQ(instance.Set(c.index, c.value), ff::FF_SUCCESS);
    EXPECT_EQ(host.GetParameterBits(instance.id(), c.index), BitsFromFloat(c.value));
    TestFrame frame = TestFrame::Random(90, 70, 4);
    EXPECT_EQ(DrawsOfFrame(instance, frame), c.firstFrameDraws);
    EXPECT_EQ(DrawsOfFrame(instance, frame), c.firstFrameDraws / 2);
  }
}

// Lowering "Value" leaves the slots above the count as they are: raised again, they go on from
// where they stood instead of being placed afresh.
TEST(Lumbrask, SlotsAboveTheCountKeepTheirPlaces) {
  PluginHost host("Lumbrask", true);
  Instance instance(host, 100, 80);
  instance.Set(4, 0.0f);  // boxes that stand still never walk to column -1
  TestFrame frame = TestFrame::Random(100, 80, 6);
  instance.Set(0, 0.025f);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 16u);
  instance.Set(0, 0.0f);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 4u);
  instance.Set(0, 0.025f);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 8u);
  // A third slot, never used since the construction, is placed: 4 + 4 + 8 draws.
  instance.Set(0, 0.035f);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 16u);
}

// One table for all instances: every construction asks for fresh placements, and a box placed
// by one instance goes on from there in the next frame of another.
TEST(Lumbrask, InstancesShareTheBoxes) {
  PluginHost host("Lumbrask", true);
  Instance first(host, 100, 80);
  TestFrame frame = TestFrame::Random(100, 80, 8);
  EXPECT_EQ(DrawsOfFrame(first, frame), 240u);
  EXPECT_EQ(DrawsOfFrame(first, frame), 120u);
  Instance second(host, 120, 90);
  TestFrame secondFrame = TestFrame::Random(120, 90, 9);
  EXPECT_EQ(DrawsOfFrame(first, frame), 240u);
  EXPECT_EQ(DrawsOfFrame(second, secondFrame), 120u);
  EXPECT_EQ(host.DeInitialise(), ff::FF_SUCCESS);
  EXPECT_EQ(host.Initialise(), ff::FF_SUCCESS);
  EXPECT_EQ(DrawsOfFrame(second, secondFrame), 240u);
}

TEST(Lumbrask, RefusedFramesChangeNothing) {
  PluginHost host("Lumbrask", true);
  Instance instance(host, 100, 80);
  Instance wide(host, 100, 80, ff::FF_DEPTH_32);
  TestFrame frame = TestFrame::Random(100, 80, 12);
  ExpectFramesRefused(instance, wide, frame);
  // The boxes were not touched: they are all placed on the next frame.
  EXPECT_EQ(DrawsOfFrame(instance, frame), 240u);
}

}  // namespace
}  // namespace test
