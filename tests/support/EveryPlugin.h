// A test suite run once for every built plug-in, each case named after its plug-in:
//   class Suite : public EveryPlugin {};  TEST_P(Suite, ...) {...}  RUN_FOR_EVERY_PLUGIN(Suite);
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "PluginHost.h"

namespace test {

class EveryPlugin : public ::testing::TestWithParam<std::string> {
 protected:
  PluginHost host{GetParam()};
};

inline std::string PluginCaseName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

}  // namespace test

#define RUN_FOR_EVERY_PLUGIN(suite)                                                                \
  INSTANTIATE_TEST_SUITE_P(Pack, suite, ::testing::ValuesIn(::test::PluginHost::AllPluginNames()), \
                           ::test::PluginCaseName)
