// Running one frame of a plug-in under the scripted rand(), and the frames every effect refuses.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "FailingAllocation.h"
#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

// Processes one frame on exactly these draws: all of them are made, and no more.
inline void ProcessScripted(const Instance& instance, TestFrame& frame,
                            const std::vector<int>& draws) {
  rand_script::Reset();
  rand_script::Push(draws);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), draws.size());
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_TRUE(frame.GuardsIntact());
}

// Processes one frame on unscripted draws and answers how many were made.
inline std::size_t DrawsOfFrame(const Instance& instance, TestFrame& frame) {
  rand_script::Reset(7);
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_TRUE(frame.GuardsIntact());
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

}  // namespace test
