// Hosts that do not serialise their calls: two instances of one plug-in processing frames on two
// threads at once while a third thread makes and ends instances (which restarts the shared
// animation). Nothing may crash or reach outside a frame, and every frame call must succeed.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "PluginHost.h"
#include "TestFrame.h"

namespace test {
namespace {

class Threads : public ::testing::TestWithParam<std::string> {};

TEST_P(Threads, ConcurrentInstancesOfOnePlugin) {
  PluginHost host(GetParam());
  host.Initialise();
  std::atomic<int> failures{0};
  auto play = [&](int width, int height) {
    Instance instance(host, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    for (uint32_t index = 0; index < host.NumParameters(); ++index) instance.Set(index, 0.6f);
    TestFrame frame = TestFrame::Random(width, height, static_cast<uint32_t>(width));
    for (int i = 0; i < 40; ++i) {
      if (instance.Process(frame.data()) != ff::FF_SUCCESS || !frame.GuardsIntact()) ++failures;
    }
  };
  std::thread wide(play, 160, 90);
  std::thread narrow(play, 48, 120);
  std::thread churn([&] {
    for (int i = 0; i < 20; ++i) host.DeInstantiate(host.Instantiate(64, 64));
  });
  wide.join();
  narrow.join();
  churn.join();
  EXPECT_EQ(failures.load(), 0);
}

std::string PluginName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(Pack, Threads, ::testing::ValuesIn(PluginHost::AllPluginNames()),
                         PluginName);

}  // namespace
}  // namespace test
