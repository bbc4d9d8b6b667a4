// The random RGB box swap: boxes placed anew on every frame, each rewritten through the
// permutation its slot drew on first use.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginHost.h"
#include "RgbOracle.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

TEST(Kestrowel, IdentityAndParameters) {
  PluginHost host("Kestrowel");
  const ff::PluginInfoStruct* info = host.Info();
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "kEtw", 4), 0);
  const uint8_t expectedName[16] = {'K', 'e', 's', 't', 'r', 'o', 'w', 'e', 'l'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "random rgb box swap");
  ASSERT_EQ(host.NumParameters(), 3u);
  const struct {
    const char* name;
    float defaultValue;
  } parameters[] = {{"Value", 0.1f}, {"Size", 0.32f}, {"col", 0.1f}};
  for (uint32_t index = 0; index < 3; ++index) {
    EXPECT_EQ(host.ParameterName(index), parameters[index].name);
    EXPECT_EQ(host.ParameterDefaultBits(index), BitsFromFloat(parameters[index].defaultValue));
  }
}

TEST(Kestrowel, TheUnregisteredIndex3IsStoredAndChangesNothingElse) {
  PluginHost host("Kestrowel");
  Instance instance(host, 8, 8);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 3), BitsFromFloat(0.1f));
  EXPECT_EQ(host.ParameterDisplay(instance.id(), 3), nullptr) << "not a registered parameter";
  ASSERT_EQ(instance.Set(3, 0.7f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 3), BitsFromFloat(0.7f));
  for (uint32_t index : {0u, 1u, 2u}) {
    EXPECT_EQ(host.GetParameterBits(instance.id(), index), host.ParameterDefaultBits(index));
  }
  EXPECT_EQ(instance.Set(4, 0.7f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 4), ff::FF_FAIL);
}

// Two frames of two boxes with the defaults of "Size" (sides 5 to 39) and "col" (no halving),
// every draw scripted: the first uses of both slots, an overlap, both clamps, a box that reaches
// the last column and row, and one too large for the frame.
TEST(Kestrowel, ScriptedBoxesFollowTheirDrawsFrameByFrame) {
  PluginHost host("Kestrowel");
  Instance instance(host, 40, 30);
  ASSERT_EQ(instance.Set(0, Boxes(2)), ff::FF_SUCCESS);

  rand_script::Reset();
  rand_script::Push({100, 101, 102, 103, 8,  // slot 0 starts: four discarded, permutation 2
                     2, 10, 35,              // side 7, centre (10, 5)
                     1, 1, 1, 1, 12,         // slot 1 starts: permutation 0
                     41, 0, 10});            // side 11, centre (0 -> 6, 10)
  const TestFrame first = TestFrame::Random(40, 30, 1);
  TestFrame frame = first;
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), 16u);
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_EQ(frame.Contents(), WithBoxes(first, {{7, 2, 7, 2}, {1, 5, 11, 0}}).Contents());
  EXPECT_TRUE(frame.GuardsIntact());

  rand_script::Reset();
  rand_script::Push({0, 39, 29,     // side 5, centre (39 -> 37, 29 -> 27): to the last pixel
                     34, 20, 15});  // side 39, centre (20, 15 -> 10 -> 20): past the bottom
  const TestFrame second = TestFrame::Random(40, 30, 2);
  frame = second;
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), 6u) << "started slots draw side and centre only";
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_EQ(frame.Contents(), WithBoxes(second, {{35, 25, 5, 2}, {1, 1, 39, 0}}).Contents());
  EXPECT_TRUE(frame.GuardsIntact());
}

TEST(Kestrowel, ANewInstanceRedrawsThePermutationsOfRunningInstances) {
  PluginHost host("Kestrowel");
  Instance running(host, 20, 20);
  ASSERT_EQ(running.Set(0, Boxes(1)), ff::FF_SUCCESS);
  EXPECT_EQ(DrawsOfOneFrame(running, 20, 20), 8u);
  EXPECT_EQ(DrawsOfOneFrame(running, 20, 20), 3u);
  Instance another(host, 20, 20);
  EXPECT_EQ(DrawsOfOneFrame(running, 20, 20), 8u);
  EXPECT_EQ(DrawsOfOneFrame(running, 20, 20), 3u);
}

// One 5 x 5 box ("Size" 0) with the permutation 1, at centre (6, 6) of a 12 x 12 frame, for each
// halving code that "col" gives.
TEST(Kestrowel, ColPicksTheHalvedBytes) {
  const struct {
    float col;
    std::vector<int> extraDraws;
    int permutation;
    Halved halved;
  } cases[] = {
      {0.0f, {}, 1, {false, false, false}},
      {0.1f, {}, 1, {false, false, false}},
      {0.2f, {}, 1, {false, false, true}},
      {0.3f, {}, 1, {true, false, false}},
      {0.4f, {}, 1, {false, true, false}},
      {0.5f, {}, 1, {true, false, true}},
      {0.7f, {}, 1, {true, true, false}},  // 0.7f * 10 is 6.9999999: code 6
      {0.75f, {}, 1, {false, true, true}},
      {0.9f, {16}, 4, {false, false, false}},        // code 8: permutation 16 % 6
      {0.95f, {3, 8, 5}, 1, {true, false, true}},    // code 9: odd, even, odd
      {0.95f, {2, 4, 6}, 1, {false, false, false}},  // three draws, nothing halved
      {1.0f, {}, 1, {true, true, true}},
      {1.1f, {}, 1, {false, false, false}},   // code 11
      {-0.1f, {}, 1, {false, false, false}},  // -1, of which the low 8 bits are 255
  };
  PluginHost host("Kestrowel");
  for (const auto& c : cases) {
    Instance instance(host, 12, 12);
    ASSERT_EQ(instance.Set(0, Boxes(1)), ff::FF_SUCCESS);
    ASSERT_EQ(instance.Set(1, 0.0f), ff::FF_SUCCESS);
    ASSERT_EQ(instance.Set(2, c.col), ff::FF_SUCCESS);
    rand_script::Reset();
    rand_script::Push({0, 0, 0, 0, 7, 99, 6, 6});
    rand_script::Push(c.extraDraws);
    const TestFrame input = TestFrame::Random(12, 12, 4);
    TestFrame frame = input;
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 8 + c.extraDraws.size()) << "col " << c.col;
    EXPECT_EQ(rand_script::Pending(), 0u) << "col " << c.col;
    EXPECT_EQ(frame.Contents(), WithBoxes(input, {{4, 4, 5, c.permutation}}, c.halved).Contents())
        << "col " << c.col;
  }
}

// The side a side draw gives for each "Size", in a frame large enough for every box.
TEST(Kestrowel, SizeBoundsTheSide) {
  const struct {
    float size;
    int sideDraw, side;
  } cases[] = {
      {0.0f, 32767, 5}, {0.04f, 1234, 5},  // maxBoxSize 6: the draw is still made
      {0.32f, 34, 39},  {1.0f, 122, 127}, {1.0f, 123, 5}, {1.5f, 186, 191},  // 192
      {2.0f, 9, 5},  // 256, of which the low 8 bits are 0: raised to 6
  };
  PluginHost host("Kestrowel");
  for (const auto& c : cases) {
    Instance instance(host, 400, 400);
    ASSERT_EQ(instance.Set(0, Boxes(1)), ff::FF_SUCCESS);
    ASSERT_EQ(instance.Set(1, c.size), ff::FF_SUCCESS);
    rand_script::Reset();
    rand_script::Push({0, 0, 0, 0, 3, c.sideDraw, 200, 200});
    const TestFrame input = TestFrame::Random(400, 400, 6);
    TestFrame frame = input;
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 8u);
    const int half = c.side / 2;
    EXPECT_EQ(frame.Contents(), WithBoxes(input, {{200 - half, 200 - half, c.side, 3}}).Contents())
        << "Size " << c.size;
  }
}

TEST(Kestrowel, ValueCountsBoxesByItsLow8Bits) {
  PluginHost host("Kestrowel");
  const struct {
    float value;
    std::size_t firstFrameDraws;
  } cases[] = {{1.0f, 0}, {0.999f, 255 * 8}, {0.1f, 25 * 8}, {0.0f, 0}, {1.5f, 128 * 8}};
  for (const auto& c : cases) {
    Instance instance(host, 50, 50);
    ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
    bool changed = false;
    EXPECT_EQ(DrawsOfOneFrame(instance, 50, 50, &changed), c.firstFrameDraws) << c.value;
    EXPECT_EQ(changed, c.firstFrameDraws != 0) << "Value " << c.value;
  }
}

// A frame without pixels: nothing is drawn and no slot starts, so the next real frame still
// makes the first-use draws.
TEST(Kestrowel, EmptyFramesDrawNothing) {
  PluginHost host("Kestrowel");
  Instance real(host, 20, 20);
  const struct { uint32_t width, height; } empty[] = {{0, 10}, {10, 0}, {0, 0}};
  for (const auto& size : empty) {
    Instance instance(host, size.width, size.height);
    rand_script::Reset();
    TestFrame frame(1, 1);
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 0u);
    EXPECT_TRUE(frame.GuardsIntact());
  }
  EXPECT_EQ(DrawsOfOneFrame(real, 20, 20), 25u * 8);
}

// Frames narrower or lower than the boxes: the clamps leave the box reaching past the far edge,
// and only its part inside the frame is rewritten.
TEST(Kestrowel, BoxesLargerThanTheFrameAreClipped) {
  const struct {
    int width, height, centreXDraw, centreYDraw, left, top;
  } cases[] = {
      {6, 4, 2, 3, 1, 1},     // side 7: centre (4, 4) from both clamps
      {1, 1, 0, 0, 1, 1},     // nothing of the box is inside
      {3, 50, 2, 49, 1, 43},  // upper clamp then lower clamp on x, upper clamp on y
  };
  PluginHost host("Kestrowel");
  for (const auto& c : cases) {
    Instance instance(host, c.width, c.height);
    ASSERT_EQ(instance.Set(0, Boxes(1)), ff::FF_SUCCESS);
    rand_script::Reset();
    rand_script::Push({0, 0, 0, 0, 2, 2, c.centreXDraw, c.centreYDraw});  // side 7
    const TestFrame input = TestFrame::Random(c.width, c.height, 10);
    TestFrame frame = input;
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), 8u);
    EXPECT_EQ(frame.Contents(), WithBoxes(input, {{c.left, c.top, 7, 2}}).Contents())
        << c.width << "x" << c.height;
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

}  // namespace
}  // namespace test
