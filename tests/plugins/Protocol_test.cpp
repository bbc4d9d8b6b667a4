// What every plug-in of the pack answers alike: the FreeFrame 1.0 protocol as a host sees it,
// and frames of every awkward geometry and parameter value a host can send.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {
namespace {

class EveryPlugin : public ::testing::TestWithParam<std::string> {
 protected:
  PluginHost host{GetParam()};
};

TEST_P(EveryPlugin, IdentityRecords) {
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
  EXPECT_EQ(info->PluginType, ff::FF_EFFECT);
  for (uint8_t byte : info->PluginUniqueID) EXPECT_NE(byte, 0);
  const ff::PluginExtendedInfoStruct* extended = host.ExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
  EXPECT_STREQ(extended->About, "Q.V");
  ASSERT_NE(extended->Description, nullptr);
  EXPECT_EQ(extended->FreeFrameExtendedDataSize, 0u);
  EXPECT_EQ(extended->FreeFrameExtendedDataBlock, nullptr);
  EXPECT_EQ(host.Info(), info) << "the records live as long as the library";
}

TEST_P(EveryPlugin, Capabilities) {
  const struct {
    uint32_t code, answer;
  } capabilities[] = {{0, 0}, {1, 1}, {2, 0}, {3, 0}, {10, 1}, {11, 1}, {15, 0}};
  for (const auto& c : capabilities) EXPECT_EQ(host.Caps(c.code), c.answer) << "capability " << c.code;
  for (uint32_t code : {4u, 5u, 9u, 12u, 14u, 16u, 100u, 0xFFFFFFFFu}) {
    EXPECT_EQ(host.Caps(code), 0u) << "capability " << code;
  }
}

TEST_P(EveryPlugin, ParametersAndTheirDefaultsReachNewInstances) {
  const uint32_t count = host.NumParameters();
  ASSERT_GE(count, 1u);
  ASSERT_LE(count, 5u);
  Instance instance(host, 8, 8);
  for (uint32_t index = 0; index < count; ++index) {
    EXPECT_EQ(host.ParameterType(index), ff::FF_TYPE_STANDARD);
    EXPECT_FALSE(host.ParameterName(index).empty());
    const float defaultValue = FloatFromBits(host.ParameterDefaultBits(index));
    EXPECT_GE(defaultValue, 0.0f);
    EXPECT_LE(defaultValue, 1.0f);
    EXPECT_EQ(host.GetParameterBits(instance.id(), index), host.ParameterDefaultBits(index))
        << "instantiate pushes every default";
    char expected[32];
    std::snprintf(expected, sizeof expected, "%f", static_cast<double>(defaultValue));
    EXPECT_STREQ(host.ParameterDisplay(instance.id(), index), expected);
  }
  EXPECT_EQ(host.ParameterNameField(count), nullptr);
  EXPECT_EQ(host.ParameterDefaultBits(count), ff::FF_FAIL);
  EXPECT_EQ(host.ParameterType(count), ff::FF_FAIL);
  EXPECT_EQ(host.ParameterDisplay(instance.id(), 1000), nullptr);
  EXPECT_EQ(host.GetParameterBits(instance.id(), 1000), ff::FF_FAIL);
  EXPECT_EQ(host.SetParameter(instance.id(), 1000, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(host.CallPointer(ff::FF_SETPARAMETER, nullptr, instance.id()), ff::FF_FAIL);
}

TEST_P(EveryPlugin, NullInstanceAndUnknownCodesFail) {
  for (uint32_t code : {3u, 7u, 8u, 9u, 12u, 14u, 16u}) {
    EXPECT_EQ(host.CallNumber(code, 0, nullptr), ff::FF_FAIL) << "code " << code;
  }
  Instance instance(host, 4, 4);
  for (uint32_t code : {17u, 18u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    EXPECT_EQ(host.CallNumber(code, 0, instance.id()), ff::FF_FAIL) << "code " << code;
  }
  ff::ProcessFrameCopyStruct copy{0, nullptr, nullptr};
  EXPECT_EQ(host.CallPointer(ff::FF_PROCESSFRAMECOPY, &copy, instance.id()), ff::FF_FAIL);
  EXPECT_EQ(host.InputStatus(instance.id(), 0), 1u);
  EXPECT_EQ(host.InputStatus(instance.id(), 1), ff::FF_FAIL);
  EXPECT_EQ(host.InputStatus(instance.id(), 0xFFFFFFFFu), ff::FF_FAIL);
}

TEST_P(EveryPlugin, OtherFrameFormatsAndNullFramesFailUntouched) {
  for (uint32_t depth : {ff::FF_DEPTH_16, ff::FF_DEPTH_32, 3u}) {
    Instance instance(host, 16, 16, depth);
    TestFrame frame = TestFrame::Random(16, 16, depth);
    const auto before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL);
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_EQ(rand_script::Calls(), 0u);
  }
  Instance instance(host, 16, 16);
  EXPECT_EQ(instance.Process(nullptr), ff::FF_FAIL);
}

TEST_P(EveryPlugin, InstantiateWithoutGeometryGivesAnEmptyFrame) {
  void* id = host.InstantiateWith(nullptr);
  ASSERT_NE(id, nullptr);
  TestFrame frame(1, 1);
  EXPECT_EQ(host.ProcessFrame(id, frame.data()), ff::FF_SUCCESS);
  EXPECT_TRUE(frame.GuardsIntact());
  EXPECT_EQ(host.DeInstantiate(id), ff::FF_SUCCESS);
}

TEST_P(EveryPlugin, TwoInstancesAreIndependent) {
  void* first = host.Instantiate(8, 8);
  void* second = host.Instantiate(8, 8);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  ASSERT_EQ(host.SetParameter(first, 0, 0.75f), ff::FF_SUCCESS);
  EXPECT_EQ(host.GetParameterBits(second, 0), host.ParameterDefaultBits(0));
  EXPECT_EQ(host.DeInstantiate(first), ff::FF_SUCCESS);
  TestFrame frame = TestFrame::Random(8, 8, 1);
  EXPECT_EQ(host.ProcessFrame(second, frame.data()), ff::FF_SUCCESS);
  EXPECT_EQ(host.DeInstantiate(second), ff::FF_SUCCESS);
}

TEST_P(EveryPlugin, TheTemplateInstanceIsMadeOnceUntilDeInitialise) {
  // A private copy of the library, so the template instance does not exist yet; constructors
  // that draw random numbers show when they run.
  PluginHost fresh(GetParam(), /*freshCopy=*/true);
  const uint32_t parameters = host.NumParameters();
  rand_script::Reset();
  EXPECT_EQ(fresh.NumParameters(), parameters);
  const std::size_t constructorDraws = rand_script::Calls();
  EXPECT_EQ(fresh.Initialise(), ff::FF_SUCCESS);
  EXPECT_EQ(fresh.Initialise(), ff::FF_SUCCESS);
  EXPECT_EQ(rand_script::Calls(), constructorDraws) << "initialise made a second template";
  EXPECT_EQ(fresh.DeInitialise(), ff::FF_SUCCESS);
  EXPECT_EQ(fresh.DeInitialise(), ff::FF_SUCCESS);
  EXPECT_EQ(fresh.Caps(1), 1u);
  EXPECT_EQ(rand_script::Calls(), 2 * constructorDraws) << "a query after deInitialise makes a new template";
  EXPECT_EQ(fresh.DeInitialise(), ff::FF_SUCCESS);
}

// Geometries and parameter values no host should send, but some will: nothing may crash, and
// nothing outside the frame may be touched.
TEST_P(EveryPlugin, SurvivesAwkwardGeometryAndParameterValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {std::nanf(""), inf, -inf, -1.0f, 2.0f, 1e30f, -1e30f, 0.0f,
                          1.0f,          0.5f, 1e-40f};
  const struct {
    int width, height;
  } sizes[] = {{0, 0}, {1, 1}, {1, 40}, {40, 1}, {3, 7}, {25, 25}, {26, 26}, {27, 31}, {130, 97}};
  const uint32_t count = host.NumParameters();
  rand_script::Reset(11);
  for (const auto& size : sizes) {
    Instance instance(host, static_cast<uint32_t>(size.width), static_cast<uint32_t>(size.height));
    for (float value : values) {
      for (uint32_t index = 0; index < count + 2; ++index) host.SetParameter(instance.id(), index, value);
      TestFrame frame = TestFrame::Random(size.width, size.height, 3);
      for (int repeat = 0; repeat < 2; ++repeat) {
        const uint32_t result = instance.Process(frame.data());
        EXPECT_TRUE(result == ff::FF_SUCCESS || result == ff::FF_FAIL);
        ASSERT_TRUE(frame.GuardsIntact())
            << size.width << "x" << size.height << " with every parameter at " << value;
      }
    }
  }
}

// Under the address sanitizer's leak check, whatever a cycle fails to release shows at exit.
TEST_P(EveryPlugin, LifecycleCyclesReleaseEverything) {
  for (int cycle = 0; cycle < 10; ++cycle) {
    ASSERT_EQ(host.Initialise(), ff::FF_SUCCESS);
    void* instance = host.Instantiate(33, 29);
    ASSERT_NE(instance, nullptr);
    host.SetParameter(instance, 0, 0.5f);
    TestFrame frame = TestFrame::Random(33, 29, static_cast<uint32_t>(cycle));
    EXPECT_EQ(host.ProcessFrame(instance, frame.data()), ff::FF_SUCCESS);
    EXPECT_NE(host.ParameterDisplay(instance, 0), nullptr);
    EXPECT_EQ(host.DeInstantiate(instance), ff::FF_SUCCESS);
    EXPECT_EQ(host.DeInitialise(), ff::FF_SUCCESS);
  }
  PluginHost unloaded(GetParam(), /*freshCopy=*/true);
  unloaded.Initialise();  // left for the unload to release
}

// A geometry whose frame does not fit in 31 bits of bytes is refused before the frame is read.
TEST_P(EveryPlugin, FramesTooLargeToAddressAreRefused) {
  const struct {
    uint32_t width, height;
  } geometries[] = {{65536, 65536}, {0x7FFFFFFFu, 1}, {1, 0x7FFFFFFFu}, {40000, 20000}};
  for (const auto& g : geometries) {
    Instance instance(host, g.width, g.height);
    TestFrame frame(4, 4);
    const auto before = frame.Contents();
    rand_script::Reset();
    EXPECT_EQ(instance.Process(frame.data()), ff::FF_FAIL) << g.width << "x" << g.height;
    EXPECT_EQ(frame.Contents(), before);
    EXPECT_EQ(rand_script::Calls(), 0u);
  }
}

std::string PluginName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(Pack, EveryPlugin, ::testing::ValuesIn(PluginHost::AllPluginNames()),
                         PluginName);

}  // namespace
}  // namespace test
