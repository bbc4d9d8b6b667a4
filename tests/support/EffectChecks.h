// Checks that many effect tests make the same way: instances made with a scripted table fill,
// counts capped at the shared table, hostile parameter values, and frame-by-frame comparison with
// a plain reference implementation of the effect kept in the test.
#pragma once

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "PackConventions.h"
#include "PluginHost.h"
#include "ScriptedFrames.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Picks sizes, values and seeds; 32 bits wide so that its numbers pass as seeds unconverted.
using Picker = std::linear_congruential_engine<uint32_t, 48271, 0, 2147483647>;

// An instance whose construction draws exactly `fill` first and then `tableDraws` in all from
// the fallback generator; the template instance is made beforehand so it draws nothing here.
inline std::unique_ptr<Instance> InstantiateWithFill(const PluginHost& host,
                                                     const std::vector<int>& fill, int width,
                                                     int height, std::size_t tableDraws) {
  EXPECT_EQ(host.Initialise(), ff::FF_SUCCESS);
  rand_script::Reset();
  rand_script::Push(fill);
  auto instance = std::make_unique<Instance>(host, width, height);
  EXPECT_EQ(rand_script::Calls(), tableDraws);
  EXPECT_EQ(rand_script::Pending(), 0u);
  return instance;
}

// A count far above 1.0 (or infinite) processes no more than the `slotCount` slots of the shared
// table: on a fresh table, with every draw 1, exactly `drawsPerSlot` draws for each slot.
inline void ExpectCountCappedAtSlots(const PluginHost& host, uint32_t countParameter,
                                     std::size_t slotCount, std::size_t drawsPerSlot) {
  for (const float value : {1e9f, kInfinity}) {
    Instance instance(host, 9, 2);
    instance.Set(countParameter, value);
    ScriptedFrame(instance, TestFrame::Random(9, 2, 1),
                  std::vector<int>(slotCount * drawsPerSlot, 1));
  }
}

// Small and empty frames with NaN, infinities and values far outside 0.0 to 1.0: every frame
// succeeds and stays inside its memory, and the sanitizer builds see nothing undefined.
inline void ProcessWithHostileParameters(const PluginHost& host, uint32_t parameterCount,
                                         uint32_t seed) {
  const float kHostile[] = {kNaN, kInfinity, -kInfinity, 1e30f, -1e30f,
                            2.0f, -1.0f,     0.5f,       1.0f,  0.0f};
  Picker pick(seed);
  rand_script::Reset(seed);
  for (int round = 0; round < 40; ++round) {
    const int width = static_cast<int>(pick() % 7), height = static_cast<int>(pick() % 4);
    Instance instance(host, width, height);
    for (int frameIndex = 0; frameIndex < 6; ++frameIndex) {
      instance.Set(pick() % parameterCount, kHostile[pick() % std::size(kHostile)]);
      TestFrame frame = TestFrame::Random(width, height, pick());
      EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
      EXPECT_TRUE(frame.GuardsIntact());
    }
  }
}

// Where the reference comparison draws a parameter from: anywhere in low to high, or, where
// only the two ends matter, one of them.
struct ParameterRange {
  float low, high;
  bool endsOnly = false;
};

// Runs the plug-in and `Reference` side by side on two instances of the given sizes, which share
// the plug-in's tables: the same construction draws, then frames of random pictures on either
// instance, one parameter of that instance drawn anew from `ranges` before most frames. Every frame
// must come out the same, byte for byte, from the same number of draws. Reference: Construct()
// draws like a constructor; Process(frame, parameters) like a frame.
template <class Reference>
void ExpectSameAsReferenceAt(const char* pluginName, const std::vector<float>& defaults,
                             const std::vector<ParameterRange>& ranges,
                             const std::vector<std::pair<int, int>>& sizes, int frames,
                             uint32_t seed) {
  Picker pick(seed);
  PluginHost host(pluginName, true);
  ASSERT_EQ(host.Initialise(), ff::FF_SUCCESS);
  Reference reference;
  std::vector<std::unique_ptr<Instance>> instances;
  for (const auto& [width, height] : sizes) {
    const uint32_t constructionSeed = pick();
    rand_script::Reset(constructionSeed);
    instances.push_back(std::make_unique<Instance>(host, width, height));
    rand_script::Reset(constructionSeed);
    reference.Construct();
  }
  std::vector<std::vector<float>> parameters(sizes.size(), defaults);
  for (int frameIndex = 0; frameIndex < frames; ++frameIndex) {
    const std::size_t which = pick() % sizes.size();
    const std::size_t changed = pick() % (ranges.size() + 1);
    if (changed < ranges.size()) {
      const ParameterRange& range = ranges[changed];
      parameters[which][changed] =
          range.endsOnly ? (pick() % 2 ? range.high : range.low)
                         : std::uniform_real_distribution<float>(range.low, range.high)(pick);
    }
    const Instance& instance = *instances[which];
    for (uint32_t p = 0; p < parameters[which].size(); ++p) instance.Set(p, parameters[which][p]);
    const auto [width, height] = sizes[which];
    const TestFrame input = TestFrame::Random(width, height, pick());
    const uint32_t frameSeed = pick();
    TestFrame actual = input;
    rand_script::Reset(frameSeed);
    ASSERT_EQ(instance.Process(actual.data()), ff::FF_SUCCESS);
    const std::size_t draws = rand_script::Calls();
    TestFrame expected = input;
    rand_script::Reset(frameSeed);
    reference.Process(expected, parameters[which]);
    ASSERT_EQ(draws, rand_script::Calls()) << "frame " << frameIndex;
    ASSERT_EQ(actual.Contents(), expected.Contents()) << "frame " << frameIndex;
    ASSERT_TRUE(actual.GuardsIntact());
  }
}

// The comparison above for pairs of sizes from one pixel to wide, odd and empty frames, each
// pair in a freshly loaded copy of the plug-in.
template <class Reference>
void ExpectSameAsReference(const char* pluginName, const std::vector<float>& defaults,
                           const std::vector<ParameterRange>& ranges, int frames, uint32_t seed) {
  const std::vector<std::pair<int, int>> kSizePairs[] = {
      {{64, 9}, {17, 5}}, {{1, 1}, {3, 2}},    {{31, 4}, {0, 3}},
      {{40, 0}, {13, 7}}, {{300, 3}, {96, 3}},
  };
  for (const auto& sizes : kSizePairs) {
    SCOPED_TRACE(testing::Message() << sizes[0].first << "x" << sizes[0].second << " and "
                                    << sizes[1].first << "x" << sizes[1].second);
    ExpectSameAsReferenceAt<Reference>(pluginName, defaults, ranges, sizes, frames, seed++);
  }
}

}  // namespace test
