// Running one frame of a plug-in under the scripted rand(), and the frames every effect refuses.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "FailingAllocation.h"
#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

// Processes a fresh copy of `input` on exactly these draws (all of them are made, and no more)
// and answers it.
inline TestFrame ScriptedFrame(const Instance& instance, const TestFrame& input,
                               const std::vector<int>& draws) {
  TestFrame frame = input;
  rand_script::Reset();
  rand_script::Push(draws);
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), draws.size());
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_TRUE(frame.GuardsIntact());
  return frame;
}

// The same on `frame` itself.
inline void ProcessScripted(const Instance& instance, TestFrame& frame,
                            const std::vector<int>& draws) {
  frame = ScriptedFrame(instance, frame, draws);
}

// Processes one frame on unscripted draws and answers how many were made.
inline std::size_t DrawsOfFrame(const Instance& instance, TestFrame& frame) {
  rand_script::Reset(7);
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_TRUE(frame.GuardsIntact());
  return rand_script::Calls();
}

// Processes one random frame and answers the rand() calls it made, and whether it changed.
inline std::size_t DrawsOfOneFrame(const Instance& instance, int width, int height,
                                   bool* changed = nullptr) {
  rand_script::Reset();
  const TestFrame input = TestFrame::Random(width, height, 77);
  TestFrame frame = input;
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_TRUE(frame.GuardsIntact());
  if (changed != nullptr) *changed = frame.Contents() != input.Contents();
  return rand_script::Calls();
}

// A frame whose scratch buffer cannot be allocated, a frame for an instance of another bit depth
// and a null frame all answer FF_FAIL without a draw and without touching the frame.
inline void ExpectFramesRefused(const Instance& instance, const Instance& otherDepth,
                                TestFrame& frame) {
  const std::vector<uint8_t> before = frame.Contents();
  rand_script::Reset();
  {
    failing_allocation::ScratchAllocationsFail failing;
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
  }
  EXPECT_EQ(otherDepth.Process(frame.data()), ff::FF_FAIL);
  EXPECT_EQ(instance.Process(nullptr), ff::FF_FAIL);
  EXPECT_EQ(rand_script::Calls(), 0u);
  EXPECT_EQ(frame.Contents(), before);
}

// 16- and 32-bit frames and a null frame answer FF_FAIL with no draw and the frame untouched.
inline void ExpectFramesRefused(const PluginHost& host) {
  for (uint32_t depth : {ff::FF_DEPTH_16, ff::FF_DEPTH_32}) {
    Instance instance(host, 4, 3, depth);
    TestFrame frame = TestFrame::Random(4, 3, depth);
    const std::vector<uint8_t> before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL) << "bit depth " << depth;
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_EQ(rand_script::Calls(), 0u);
  }
  Instance instance(host, 4, 3);
  rand_script::Reset();
  EXPECT_EQ(instance.Process(nullptr), ff::FF_FAIL);
  EXPECT_EQ(rand_script::Calls(), 0u);
}

// Frames an effect must refuse: `instance` without scratch memory, and instances made for 16-
// and 32-bit frames. Each answers FF_FAIL without a draw and leaves the frame as it was.
inline void ExpectRefusedUntouched(const Instance& instance, const Instance& sixteenBit,
                                   const Instance& thirtyTwoBit, const TestFrame& input) {
  TestFrame refused = input;
  rand_script::Reset();
  {
    failing_allocation::ScratchAllocationsFail failing;
    EXPECT_EQ(instance.Process(refused.data()), ff::FF_FAIL);
  }
  EXPECT_EQ(sixteenBit.Process(refused.data()), ff::FF_FAIL);
  EXPECT_EQ(thirtyTwoBit.Process(refused.data()), ff::FF_FAIL);
  EXPECT_EQ(rand_script::Calls(), 0u);
  EXPECT_EQ(refused.Contents(), input.Contents());
  EXPECT_TRUE(refused.GuardsIntact());
}

}  // namespace test
