// The box diffusion effect: block size, the swaps with their clamped offsets and their order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "FrameComparison.h"
#include "PluginHost.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The effect done the long way, as described: for every block, save it and the displaced block,
// write the saved block at the displaced place, then the displaced block at the origin.
void LiteralDiffusion(TestFrame& frame, int size) {
  const auto copyOut = [&frame, size](int x, int y) {
    std::vector<uint8_t> block;
    for (int r = 0; r < size; ++r)
      block.insert(block.end(), frame.Pixel(x, y + r), frame.Pixel(x, y + r) + size * 3);
    return block;
  };
  const auto copyIn = [&frame, size](const std::vector<uint8_t>& block, int x, int y) {
    for (int r = 0; r < size; ++r)
      std::copy_n(&block[r * size * 3], size * 3, frame.Pixel(x, y + r));
  };
  for (int row = 0; row < frame.height / size; ++row) {
    for (int column = 0; column < frame.width / size; ++column) {
      const int x = column * size, y = row * size;
      const std::vector<uint8_t> saved = copyOut(x, y);
      int toX = x + std::rand() % 11 - 5;
      int toY = y + std::rand() % 6;
      toX = std::min(std::max(toX, 0), frame.width - size);
      toY = std::min(std::max(toY, 0), frame.height - size);
      const std::vector<uint8_t> displaced = copyOut(toX, toY);
      copyIn(saved, toX, toY);
      copyIn(displaced, x, y);
    }
  }
}

TEST(Zinva, IdentityAndParameter) {
  PluginHost host("Zinva");
  const ff::PluginInfoStruct* info = host.Info();
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "zNvA", 4), 0);
  const uint8_t expectedName[16] = {'Z', 'i', 'n', 'v', 'a'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "box diffusion");
  EXPECT_STREQ(host.ExtendedInfo()->About, "Q.V");
  ASSERT_EQ(host.NumParameters(), 1u);
  EXPECT_EQ(host.ParameterName(0), "Size");
  EXPECT_EQ(host.ParameterDefaultBits(0), BitsFromFloat(0.32f));
  EXPECT_EQ(host.ParameterType(0), ff::FF_TYPE_STANDARD);
  Instance instance(host, 16, 16);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.32f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), ff::FF_FAIL);
  EXPECT_EQ(instance.Set(1, 0.5f), ff::FF_FAIL);
}

// The block edge S shows in the draws: a frame of S x S has one block (two draws), a frame one
// pixel smaller in each direction has none and draws nothing.
TEST(Zinva, BlockSizeFollowsSize) {
  struct Case {
    float size;
    int blockSize;
  };
  const Case cases[] = {
      {0.0f, 1},
      {0.01f, 1},
      {0.05f, 5},
      {0.32f, 31},
      {0.5f, 50},
      {0.7f, 69},
      {1.0f, 100},
      {-1.0f, 156},
      {3.0f, 44},
      {2.57f, 1},
      {kInfinity, 255},
      {-kInfinity, 1},
      {std::numeric_limits<float>::quiet_NaN(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    PluginHost host("Zinva");
    Instance fits(host, c.blockSize, c.blockSize);
    Instance tooSmall(host, c.blockSize - 1, c.blockSize - 1);
    fits.Set(0, c.size);
    tooSmall.Set(0, c.size);
    TestFrame frame = TestFrame::Random(c.blockSize, c.blockSize, 1);
    TestFrame smallFrame = TestFrame::Random(c.blockSize - 1, c.blockSize - 1, 2);
    const TestFrame smallOriginal = smallFrame;
    EXPECT_EQ(DrawsOfFrame(fits, frame), 2u);
    EXPECT_EQ(DrawsOfFrame(tooSmall, smallFrame), 0u);
    EXPECT_TRUE(SameFrame(smallFrame, smallOriginal));
  }
}

// The default S = 31 on 320 x 240 makes 10 x 7 blocks, two draws each.
TEST(Zinva, DefaultBlocks) {
  PluginHost host("Zinva");
  Instance instance(host, 320, 240);
  TestFrame frame = TestFrame::Random(320, 240, 3);
  EXPECT_EQ(DrawsOfFrame(instance, frame), 140u);
}

// Scripted swaps whose outcome is worked out by hand. Pixel (x, y) starts as (x, y, 200); the
// table gives, row by row, where each pixel's content came from.
TEST(Zinva, ScriptedSwaps) {
  using Origin = std::pair<int, int>;
  struct Case {
    const char* name;
    int width, height;
    float size;
    std::vector<int> draws;
    std::vector<std::vector<Origin>> origins;
  };
  const Case cases[] = {
      {"one-pixel blocks clamped at every edge",
       3,
       2,
       0.0f,
       {6, 1, 0, 0, 10, 0, 5, 5, 7, 0, 3, 2},
       {{{1, 0}, {1, 1}, {2, 0}}, {{0, 0}, {2, 1}, {0, 1}}}},
      {"a block swapped with one overlapping it down and right",
       4,
       4,
       0.025f,
       {6, 1, 5, 0, 5, 0, 5, 0},
       {{{1, 1}, {2, 1}, {2, 0}, {3, 0}},
        {{1, 2}, {2, 2}, {1, 0}, {3, 1}},
        {{0, 2}, {0, 1}, {1, 1}, {3, 2}},
        {{0, 3}, {1, 3}, {2, 3}, {3, 3}}}},
      {"a block swapped with one overlapping it down and left",
       4,
       4,
       0.025f,
       {5, 0, 4, 1, 5, 0, 5, 0},
       {{{0, 0}, {1, 0}, {1, 1}, {2, 1}},
        {{0, 1}, {2, 0}, {1, 2}, {2, 2}},
        {{0, 2}, {2, 1}, {3, 1}, {3, 2}},
        {{0, 3}, {1, 3}, {2, 3}, {3, 3}}}},
      {"the last block row of a frame whose height is a multiple of S keeps its row",
       5,
       2,
       0.025f,
       {5, 5, 6, 3},
       {{{0, 0}, {1, 0}, {3, 0}, {4, 0}, {3, 0}}, {{0, 1}, {1, 1}, {3, 1}, {4, 1}, {3, 1}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHost host("Zinva");
    Instance instance(host, c.width, c.height);
    instance.Set(0, c.size);
    TestFrame frame(c.width, c.height);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x)
        frame.SetPixel(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200);
    }
    rand_script::Reset();
    rand_script::Push(c.draws);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_EQ(rand_script::Calls(), c.draws.size());
    EXPECT_EQ(rand_script::Pending(), 0u);
    EXPECT_TRUE(frame.GuardsIntact());
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const Origin& origin = c.origins[y][x];
        EXPECT_EQ(frame.PixelBytes(x, y),
                  (std::vector<uint8_t>{static_cast<uint8_t>(origin.first),
                                        static_cast<uint8_t>(origin.second), 200}))
            << "pixel (" << x << ", " << y << ")";
      }
    }
  }
}

// The plug-in against the long way round, frame by frame and draw by draw, over random sizes and
// block sizes, with draws far beyond 32767 mixed in.
TEST(Zinva, MatchesTheLiteralAlgorithm) {
  std::mt19937 generator(77);
  for (int run = 0; run < 300; ++run) {
    const int width = static_cast<int>(generator() % 90);
    const int height = static_cast<int>(generator() % 60);
    const float size = run % 4 == 0 ? std::uniform_real_distribution<float>(-1.0f, 3.0f)(generator)
                                    : std::uniform_real_distribution<float>(0.0f, 0.2f)(generator);
    SCOPED_TRACE(testing::Message()
                 << "run " << run << ": " << width << " x " << height << ", size " << size);
    const int blockSize = std::max(1, static_cast<int>(static_cast<double>(size) * 100) & 0xFF);
    PluginHost host("Zinva");
    Instance instance(host, width, height);
    instance.Set(0, size);
    TestFrame frame = TestFrame::Random(width, height, static_cast<uint32_t>(run));
    TestFrame expected = frame;
    std::vector<int> extremes;
    for (int i = 0; i < 20; ++i)
      extremes.push_back(std::numeric_limits<int>::max() - static_cast<int>(generator() % 1000));
    const uint32_t seed = static_cast<uint32_t>(generator());
    rand_script::Reset(seed);
    rand_script::Push(extremes);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    const std::size_t draws = rand_script::Calls();
    rand_script::Reset(seed);
    rand_script::Push(extremes);
    LiteralDiffusion(expected, blockSize);
    ASSERT_EQ(draws, rand_script::Calls());
    ASSERT_TRUE(SameFrame(frame, expected));
    ASSERT_TRUE(frame.GuardsIntact());
  }
}

TEST(Zinva, RefusedFramesChangeNothing) {
  ExpectFramesRefused(PluginHost("Zinva"));
}

}  // namespace
}  // namespace test
