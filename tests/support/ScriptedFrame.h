// One frame call whose rand() draws are exactly the given values, no more and no fewer.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

inline void ProcessScripted(const Instance& instance, TestFrame& frame,
                            const std::vector<int>& draws) {
  rand_script::Reset();
  rand_script::Push(draws);
  ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), draws.size());
  EXPECT_EQ(rand_script::Pending(), 0u);
  EXPECT_TRUE(frame.GuardsIntact());
}

}  // namespace test
