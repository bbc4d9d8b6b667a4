// The moving RGB box: boxes that start at random, travel diagonally and bounce off the edges,
// each rewritten through its own permutation.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginHost.h"
#include "RgbOracle.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

constexpr float kSide5 = 0.05f;  // 0.05f * 100 is 5.0000001

// Instances that draw one box of side 5.
void UseOneSmallBox(std::initializer_list<const Instance*> instances) {
  for (const Instance* instance : instances) {
    ASSERT_EQ(instance->Set(0, Boxes(1)), ff::FF_SUCCESS);
    ASSERT_EQ(instance->Set(1, kSide5), ff::FF_SUCCESS);
  }
}

// Processes one random frame and checks that exactly the given boxes were rewritten.
void ExpectFrameWithBoxes(const Instance& instance, int width, int height,
                          const std::vector<PermutedBox>& boxes, Halved halved = {}) {
  static uint32_t seed = 100;
  const TestFrame input = TestFrame::Random(width, height, ++seed);
  TestFrame frame = input;
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(frame.Contents(), WithBoxes(input, boxes, halved).Contents());
  EXPECT_TRUE(frame.GuardsIntact());
}

TEST(Tessaloy, IdentityAndParameters) {
  PluginHost host("Tessaloy");
  const ff::PluginInfoStruct* info = host.Info();
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "mRvD", 4), 0);
  const uint8_t expectedName[16] = {'T', 'e', 's', 's', 'a', 'l', 'y', 'n'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "The box where RGB was changed moves.");
  ASSERT_EQ(host.NumParameters(), 4u);
  const struct {
    const char* name;
    float defaultValue;
  } parameters[] = {{"Value", 0.1f}, {"Size", 0.32f}, {"Speed", 0.1f}, {"col", 0.1f}};
  for (uint32_t index = 0; index < 4; ++index) {
    EXPECT_EQ(host.ParameterName(index), parameters[index].name);
    EXPECT_EQ(host.ParameterDefaultBits(index), BitsFromFloat(parameters[index].defaultValue));
  }
}

// One box followed over three frames from scripted start values: where it goes, how it bounces
// and that only its first use draws.
TEST(Tessaloy, ABoxMovesDiagonallyAndBouncesOffTheEdges) {
  const struct {
    const char* what;
    int width, height;
    float size, speed;
    std::vector<int> startDraws;  // centre x, centre y, direction x, direction y
    int side;
    std::vector<std::pair<int, int>> centres;  // after frames 1, 2 and 3
  } cases[] = {
      {"free travel", 40, 30, kSide5, 0.1f, {10, 20, 7, 4}, 5, {{12, 18}, {14, 16}, {16, 14}}},
      {"a bounce on each axis",
       40,
       30,
       kSide5,
       0.1f,
       {36, 4, 1, 0},
       5,
       {{37, 3}, {35, 5}, {33, 7}}},
      {"31-pixel boxes stop at width - 16",
       100,
       100,
       0.32f,
       0.1f,
       {83, 50, 1, 1},
       31,
       {{84, 52}, {82, 54}, {80, 56}}},
      {"speed 0 keeps the clamped start",
       40,
       30,
       kSide5,
       0.0f,
       {40, 59, 3, 5},
       5,
       {{3, 27}, {3, 27}, {3, 27}}},  // draws give 0 and 29
      {"single pixels stay off column and row 0",
       40,
       30,
       0.0f,
       0.1f,
       {0, 0, 2, 2},
       1,
       {{1, 1}, {3, 3}, {5, 5}}},
      {"speed 5", 40, 30, kSide5, 0.25f, {20, 20, 1, 1}, 5, {{25, 25}, {30, 27}, {35, 22}}},
      {"a frame too narrow for both clamps",
       4,
       30,
       kSide5,
       0.1f,
       {1, 10, 1, 1},
       5,
       {{3, 12}, {3, 14}, {3, 16}}},
  };
  PluginHost host("Tessaloy");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Instance instance(host, c.width, c.height);
    ASSERT_EQ(instance.Set(0, Boxes(1)), ff::FF_SUCCESS);
    ASSERT_EQ(instance.Set(1, c.size), ff::FF_SUCCESS);
    ASSERT_EQ(instance.Set(2, c.speed), ff::FF_SUCCESS);
    rand_script::Reset();
    rand_script::Push(c.startDraws);
    rand_script::Push({8});  // permutation 2
    const int half = c.side / 2;
    for (const auto& centre : c.centres) {
      ExpectFrameWithBoxes(instance, c.width, c.height,
                           {{centre.first - half, centre.second - half, c.side, 2}});
    }
    EXPECT_EQ(rand_script::Calls(), 5u);
    EXPECT_EQ(rand_script::Pending(), 0u);
  }
}

TEST(Tessaloy, BoxesKeepTheirPlacesWhenSizeAndCountChange) {
  PluginHost host("Tessaloy");
  Instance instance(host, 40, 30);
  ASSERT_EQ(instance.Set(0, Boxes(2)), ff::FF_SUCCESS);
  ASSERT_EQ(instance.Set(1, kSide5), ff::FF_SUCCESS);
  rand_script::Reset();
  rand_script::Push({10, 20, 7, 4, 9,   // slot 0: (10, 20), right and up, permutation 3
                     30, 5, 0, 1, 6});  // slot 1: (30, 5), left and down, permutation 0
  ExpectFrameWithBoxes(instance, 40, 30, {{10, 16, 5, 3}, {26, 5, 5, 0}});  // (12, 18), (28, 7)
  ASSERT_EQ(instance.Set(1, 0.09f), ff::FF_SUCCESS);                        // side 9
  ExpectFrameWithBoxes(instance, 40, 30, {{10, 12, 9, 3}, {22, 5, 9, 0}});  // (14, 16), (26, 9)
  ASSERT_EQ(instance.Set(0, Boxes(1)), ff::FF_SUCCESS);
  ExpectFrameWithBoxes(instance, 40, 30, {{12, 10, 9, 3}});  // slot 1 waits at (26, 9)
  ASSERT_EQ(instance.Set(0, Boxes(2)), ff::FF_SUCCESS);
  ExpectFrameWithBoxes(instance, 40, 30, {{14, 8, 9, 3}, {20, 7, 9, 0}});  // (18, 12), (24, 11)
  EXPECT_EQ(rand_script::Calls(), 10u);
  EXPECT_EQ(rand_script::Pending(), 0u);
}

// Every instance moves the same boxes, and making an instance restarts them all.
TEST(Tessaloy, InstancesShareTheBoxes) {
  PluginHost host("Tessaloy");
  Instance first(host, 40, 30);
  Instance second(host, 40, 30);
  UseOneSmallBox({&first, &second});
  rand_script::Reset();
  rand_script::Push({10, 10, 1, 1, 1});                   // (10, 10), right and down, permutation 1
  ExpectFrameWithBoxes(first, 40, 30, {{10, 10, 5, 1}});  // (12, 12)
  ExpectFrameWithBoxes(second, 40, 30, {{12, 12, 5, 1}});  // (14, 14)
  ExpectFrameWithBoxes(first, 40, 30, {{14, 14, 5, 1}});   // (16, 16)
  EXPECT_EQ(rand_script::Calls(), 5u);

  Instance third(host, 40, 30);
  rand_script::Push({30, 20, 0, 0, 4});                   // (30, 20), left and up, permutation 4
  ExpectFrameWithBoxes(first, 40, 30, {{26, 16, 5, 4}});  // (28, 18)
  EXPECT_EQ(rand_script::Calls(), 10u);
  EXPECT_EQ(rand_script::Pending(), 0u);
}

// A box that another instance left far out in its larger frame is clamped into a small one.
TEST(Tessaloy, BoxesFromALargerFrameAreBroughtIntoASmallerOne) {
  PluginHost host("Tessaloy");
  Instance large(host, 200, 200);
  Instance small(host, 20, 20);
  UseOneSmallBox({&large, &small});
  rand_script::Reset();
  rand_script::Push({150, 100, 1, 1, 5});  // (150, 100), right and down, identity
  const TestFrame input = TestFrame::Random(200, 200, 1);
  TestFrame frame = input;
  ASSERT_EQ(large.Process(frame.data()), ff::FF_SUCCESS);  // (152, 102)
  ExpectFrameWithBoxes(small, 20, 20, {{15, 15, 5, 5}});   // (17, 17), turned back on both axes
  ExpectFrameWithBoxes(small, 20, 20, {{13, 13, 5, 5}});   // (15, 15)
  EXPECT_EQ(rand_script::Calls(), 5u);
}

TEST(Tessaloy, ColHalvesBytesOrDrawsThem) {
  const struct {
    float col;
    std::vector<int> drawsPerFrame;
    int permutation;
    Halved halved;
  } cases[] = {
      {1.0f, {}, 3, {true, true, true}},
      {0.7f, {}, 3, {true, true, false}},          // 6.9999999: code 6
      {0.9f, {13}, 1, {false, false, false}},      // code 8 replaces permutation 3 by 1
      {0.95f, {1, 1, 2}, 3, {true, true, false}},  // code 9
      {1.1f, {}, 3, {false, false, false}},        // code 11
  };
  PluginHost host("Tessaloy");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.col);
    Instance instance(host, 40, 30);
    UseOneSmallBox({&instance});
    ASSERT_EQ(instance.Set(3, c.col), ff::FF_SUCCESS);
    rand_script::Reset();
    rand_script::Push({10, 10, 1, 1, 3});  // permutation 3
    rand_script::Push(c.drawsPerFrame);
    ExpectFrameWithBoxes(instance, 40, 30, {{10, 10, 5, c.permutation}}, c.halved);
    rand_script::Push(c.drawsPerFrame);
    ExpectFrameWithBoxes(instance, 40, 30, {{12, 12, 5, c.permutation}}, c.halved);
    EXPECT_EQ(rand_script::Calls(), 5 + 2 * c.drawsPerFrame.size());
    EXPECT_EQ(rand_script::Pending(), 0u);
  }
}

TEST(Tessaloy, ValueCountsBoxesByItsLow8Bits) {
  const struct {
    float value;
    std::size_t firstFrameDraws;
  } cases[] = {{1.0f, 0}, {0.999f, 255 * 5}, {0.1f, 25 * 5}, {0.0f, 0}, {-0.5f, 128 * 5}};
  PluginHost host("Tessaloy");
  for (const auto& c : cases) {
    Instance instance(host, 64, 64);
    ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
    bool changed = false;
    EXPECT_EQ(DrawsOfOneFrame(instance, 64, 64, &changed), c.firstFrameDraws) << c.value;
    EXPECT_EQ(changed, c.firstFrameDraws != 0) << "Value " << c.value;
  }
}

// A frame without pixels: no box starts or moves, and nothing is drawn.
TEST(Tessaloy, EmptyFramesDrawNothing) {
  PluginHost host("Tessaloy");
  Instance real(host, 40, 30);
  UseOneSmallBox({&real});
  const struct { uint32_t width, height; } empty[] = {{0, 10}, {10, 0}, {0, 0}};
  std::vector<std::unique_ptr<Instance>> emptyInstances;
  for (const auto& size : empty)
    emptyInstances.push_back(std::make_unique<Instance>(host, size.width, size.height));
  rand_script::Reset();
  rand_script::Push({10, 10, 1, 1, 0});
  ExpectFrameWithBoxes(real, 40, 30, {{10, 10, 5, 0}});
  for (const auto& instance : emptyInstances) {
    TestFrame frame(1, 1);
    EXPECT_EQ(instance->Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_TRUE(frame.GuardsIntact());
  }
  EXPECT_EQ(rand_script::Calls(), 5u);
  ExpectFrameWithBoxes(real, 40, 30, {{12, 12, 5, 0}});  // the empty frames did not move it
}

}  // namespace
}  // namespace test
