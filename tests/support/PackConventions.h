// What every plug-in of the pack does the same way: it reports API 1.0, version 1.0, an effect
// with the about text "Q.V" and no extended data, 24-bit frames only, no processFrameCopy, one
// input and standard float parameters, and it refuses frames it cannot process.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

inline void ExpectPackIdentity(const PluginHost& host, const char* uniqueId, const char* name,
                               const char* description) {
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, uniqueId, 4), 0);
  char expectedName[16] = {};
  std::memcpy(expectedName, name, std::min(std::strlen(name), sizeof expectedName));
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_EQ(info->PluginType, 0u);
  const ff::PluginExtendedInfoStruct* extended = host.ExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_STREQ(extended->Description, description);
  EXPECT_STREQ(extended->About, "Q.V");
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
  EXPECT_EQ(extended->FreeFrameExtendedDataSize, 0u);
  EXPECT_EQ(extended->FreeFrameExtendedDataBlock, nullptr);
}

inline void ExpectPackCapabilities(const PluginHost& host) {
  const uint32_t capabilities[] = {ff::FF_CAP_16BITVIDEO,         ff::FF_CAP_24BITVIDEO,
                                   ff::FF_CAP_32BITVIDEO,         ff::FF_CAP_PROCESSFRAMECOPY,
                                   ff::FF_CAP_MINIMUMINPUTFRAMES, ff::FF_CAP_MAXIMUMINPUTFRAMES,
                                   ff::FF_CAP_COPYORINPLACE};
  const uint32_t answers[] = {0, 1, 0, 0, 1, 1, 0};
  for (std::size_t i = 0; i < std::size(capabilities); ++i) {
    EXPECT_EQ(host.Caps(capabilities[i]), answers[i]) << "capability " << capabilities[i];
  }
}

// The parameters, indices 0 upward, all standard floats with the same default; nothing beyond.
inline void ExpectStandardParameters(const PluginHost& host, const std::vector<std::string>& names,
                                     float defaultValue) {
  ASSERT_EQ(host.NumParameters(), names.size());
  for (uint32_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(host.ParameterName(i), names[i]);
    EXPECT_EQ(host.ParameterDefaultBits(i), BitsFromFloat(defaultValue)) << names[i];
    EXPECT_EQ(host.ParameterType(i), ff::FF_TYPE_STANDARD) << names[i];
  }
  const auto beyond = static_cast<uint32_t>(names.size());
  EXPECT_EQ(host.ParameterNameField(beyond), nullptr);
  EXPECT_EQ(host.ParameterDefaultBits(beyond), ff::FF_FAIL);
  EXPECT_EQ(host.ParameterType(beyond), ff::FF_FAIL);
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

}  // namespace test
