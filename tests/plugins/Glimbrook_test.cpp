// The simple mask effect: every pixel whose three bytes all lie below the cut-off turns white,
// every other pixel black.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "PluginHost.h"
#include "TestFrame.h"

namespace test {
namespace {

TEST(Glimbrook, Identity) {
  PluginHost host("Glimbrook");
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "aaaa", 4), 0);
  const uint8_t expectedName[16] = {'G', 'l', 'i', 'm', 'b', 'r', 'o', 'o', 'k'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_STREQ(host.ExtendedInfo()->Description, "genarate simple mask");
  EXPECT_EQ(host.NumParameters(), 1u);
  EXPECT_EQ(host.ParameterName(0), "Value");
  EXPECT_EQ(host.ParameterDefaultBits(0), BitsFromFloat(0.1f));
}

// The cut-off that a "Value" gives: a pixel turns white only when all three bytes lie below it.
struct CutoffCase {
  float value;
  int cutoff;
};

class GlimbrookCutoff : public ::testing::TestWithParam<CutoffCase> {};

TEST_P(GlimbrookCutoff, DarkPixelsTurnWhiteAndABrightByteInAnyPlaceTurnsBlack) {
  const CutoffCase c = GetParam();
  PluginHost host("Glimbrook");
  Instance instance(host, 4, 1);
  ASSERT_EQ(instance.Set(0, c.value), ff::FF_SUCCESS);
  TestFrame frame(4, 1);
  const uint8_t below = static_cast<uint8_t>(c.cutoff - 1);
  const uint8_t at = static_cast<uint8_t>(c.cutoff);
  frame.SetPixel(0, 0, below, below, below);
  frame.SetPixel(1, 0, at, 0, 0);
  frame.SetPixel(2, 0, 0, at, 0);
  frame.SetPixel(3, 0, 0, 0, at);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{255, 255, 255}));
  for (int x = 1; x < 4; ++x) EXPECT_EQ(frame.PixelBytes(x, 0), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_TRUE(frame.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Values, GlimbrookCutoff,
                         ::testing::Values(CutoffCase{0.0f, 11}, CutoffCase{0.1f, 15},
                                           CutoffCase{0.7f, 44},  // 0.7f * 50 = 34.99999...
                                           CutoffCase{1.0f, 60}, CutoffCase{-0.5f, 11},
                                           CutoffCase{2.0f, 110}, CutoffCase{std::nanf(""), 11}));

// Frames of many sizes, so that whole blocks of pixels and the pixels after them are covered.
TEST(Glimbrook, EveryPixelOfRandomFramesFollowsTheCutoff) {
  PluginHost host("Glimbrook");
  const struct {
    float value;
    int cutoff;
  } values[] = {{0.9f, 54}, {0.0f, 11}, {0.5f, 35}, {1.0f, 60}, {4.9f, 255}, {5.0f, 260}};
  const struct {
    int width, height;
  } sizes[] = {{1, 1},  {5, 3},  {16, 1}, {17, 1},  {15, 2}, {32, 1},  {33, 1},
               {34, 1}, {65, 1}, {97, 3}, {37, 23}, {64, 9}, {1920, 2}};
  uint32_t seed = 1;
  for (const auto& size : sizes) {
    for (const auto& v : values) {
      Instance instance(host, static_cast<uint32_t>(size.width),
                        static_cast<uint32_t>(size.height));
      ASSERT_EQ(instance.Set(0, v.value), ff::FF_SUCCESS);
      TestFrame frame = TestFrame::Random(size.width, size.height, seed++);
      // Plenty of both kinds: bytes spread around the cut-off.
      for (std::size_t i = 0; i < frame.Bytes(); ++i) {
        frame.data()[i] =
            static_cast<uint8_t>(std::min(255, std::max(0, v.cutoff - 12) + frame.data()[i] % 16));
      }
      const TestFrame original = frame;
      ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
      for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
          const uint8_t* before = original.Pixel(x, y);
          const bool dark = before[0] < v.cutoff && before[1] < v.cutoff && before[2] < v.cutoff;
          const uint8_t level = dark ? 255 : 0;
          ASSERT_EQ(frame.PixelBytes(x, y), (std::vector<uint8_t>{level, level, level}))
              << "pixel " << x << "," << y << " of " << size.width << "x" << size.height
              << ", Value " << v.value;
        }
      }
      EXPECT_TRUE(frame.GuardsIntact());
    }
  }
}

TEST(Glimbrook, AnInfiniteValueTurnsEveryPixelWhite) {
  PluginHost host("Glimbrook");
  Instance instance(host, 3, 2);
  ASSERT_EQ(instance.Set(0, std::numeric_limits<float>::infinity()), ff::FF_SUCCESS);
  TestFrame frame(3, 2);
  frame.Fill(255, 255, 255);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  for (uint8_t byte : frame.Contents()) EXPECT_EQ(byte, 255);
}

TEST(Glimbrook, GetParameterAnswersTheStoredFloatNotTheLevel) {
  PluginHost host("Glimbrook");
  Instance instance(host, 1, 1);
  ASSERT_EQ(instance.Set(0, 0.0f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.0f));
  ASSERT_EQ(instance.Set(0, 0.7f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.7f));
  EXPECT_STREQ(host.ParameterDisplay(instance.id(), 0), "0.700000");
}

TEST(Glimbrook, RejectedParametersChangeNothing) {
  PluginHost host("Glimbrook");
  Instance instance(host, 1, 1);
  EXPECT_EQ(host.SetParameter(instance.id(), 1, 0.9f), ff::FF_FAIL);
  EXPECT_EQ(host.CallPointer(ff::FF_SETPARAMETER, nullptr, instance.id()), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 0), BitsFromFloat(0.1f));
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1), ff::FF_FAIL);
  TestFrame frame(1, 1);
  frame.SetPixel(0, 0, 14, 14, 14);  // below the default cut-off of 15
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{255, 255, 255}));
}

TEST(Glimbrook, EmptyOrNegativeGeometryLeavesTheFrameAlone) {
  PluginHost host("Glimbrook");
  const uint32_t negative = 0x80000000u;
  const struct {
    uint32_t width, height;
  } geometries[] = {{0, 0}, {0, 5}, {5, 0}, {negative, 2}, {2, negative}, {0xFFFFFFFFu, 1}};
  for (const auto& g : geometries) {
    Instance instance(host, g.width, g.height);
    TestFrame frame(2, 2);
    const auto before = frame.Contents();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS) << g.width << "x" << g.height;
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_TRUE(frame.GuardsIntact());
  }
}

}  // namespace
}  // namespace test
