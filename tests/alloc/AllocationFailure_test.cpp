// Allocation failure: this executable replaces the global operator new (and the test support
// the nothrow new[], which forwards to it), so the plug-ins' own allocations can be made to fail
// at a chosen call. A frame call that cannot get its memory must
// answer FF_FAIL and leave the frame, the animation state and the random sequence as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace {

// 0: allocations succeed; n > 0: the n-th allocation from now fails.
long allocationsUntilFailure = 0;

void* Allocate(std::size_t size) {
  if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) throw std::bad_alloc();
  void* memory = std::malloc(size > 0 ? size : 1);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace test {
namespace {

class AllocationFailure : public ::testing::TestWithParam<std::string> {};

struct Outcome {
  std::vector<uint8_t> frame;
  std::size_t draws;
};

// Makes an instance and processes a frame, first with the `failAt`-th allocation failing (when
// failAt is above 0), then as it comes; answers the first frame call that succeeded.
Outcome FirstGoodFrame(const PluginHost& host, long failAt, bool* failed) {
  rand_script::Reset(7);
  Instance instance(host, 61, 47);
  for (uint32_t index = 0; index < host.NumParameters(); ++index) instance.Set(index, 0.9f);
  rand_script::Reset(7);
  *failed = false;
  if (failAt > 0) {
    TestFrame frame = TestFrame::Random(61, 47, 5);
    const std::vector<uint8_t> original = frame.Contents();
    allocationsUntilFailure = failAt;
    const uint32_t result = instance.Process(frame.data());
    const bool allocationFailed = allocationsUntilFailure == 0;
    allocationsUntilFailure = 0;
    *failed = result == ff::FF_FAIL;
    if (*failed) {
      EXPECT_TRUE(allocationFailed) << "FF_FAIL without a failed allocation";
      EXPECT_EQ(frame.Contents(), original) << "a failed frame call changed the frame";
      EXPECT_EQ(rand_script::Calls(), 0u) << "a failed frame call drew random numbers";
    } else if (allocationFailed) {
      ADD_FAILURE() << "allocation " << failAt << " failed, yet the frame call succeeded";
    }
  }
  TestFrame frame = TestFrame::Random(61, 47, 5);
  EXPECT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
  return {frame.Contents(), rand_script::Calls()};
}

TEST_P(AllocationFailure, AFailedFrameCallChangesNothing) {
  PluginHost host(GetParam());
  host.Initialise();  // the template's constructor draws too: keep it out of the runs compared
  bool failed = false;
  const Outcome clean = FirstGoodFrame(host, 0, &failed);
  for (long failAt = 1; failAt <= 4; ++failAt) {
    const Outcome afterFailure = FirstGoodFrame(host, failAt, &failed);
    if (!failed) continue;
    EXPECT_EQ(afterFailure.frame, clean.frame) << "allocation " << failAt;
    EXPECT_EQ(afterFailure.draws, clean.draws) << "allocation " << failAt;
  }
}

TEST_P(AllocationFailure, InstancesThatCannotBeMadeAreRefused) {
  PluginHost host(GetParam());
  host.Initialise();
  for (long failAt = 1; failAt <= 6; ++failAt) {
    allocationsUntilFailure = failAt;
    void* instance = host.Instantiate(32, 32);
    allocationsUntilFailure = 0;
    if (instance != nullptr) {
      TestFrame frame(32, 32);
      EXPECT_EQ(host.ProcessFrame(instance, frame.data()), ff::FF_SUCCESS);
      host.DeInstantiate(instance);
    }
  }
  PluginHost fresh(GetParam(), /*freshCopy=*/true);
  allocationsUntilFailure = 1;
  EXPECT_EQ(fresh.Initialise(), ff::FF_FAIL);
  allocationsUntilFailure = 0;
  EXPECT_EQ(fresh.Initialise(), ff::FF_SUCCESS);
}

std::string PluginName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(Pack, AllocationFailure, ::testing::ValuesIn(PluginHost::AllPluginNames()),
                         PluginName);

}  // namespace
}  // namespace test
