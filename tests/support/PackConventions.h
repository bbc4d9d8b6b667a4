// What every plug-in of the pack does the same way: it reports API 1.0, version 1.0, an effect
// with the about text "Q.V" and no extended data, 24-bit frames only, no processFrameCopy, one
// input, and standard float parameters at indices 0 upward and nothing beyond them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace test {

inline void ExpectPackIdentity(const PluginHost& host, const char* uniqueId,
                               const std::string& pluginName, const char* description) {
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, uniqueId, 4), 0);
  uint8_t expectedName[16] = {};  // zero-padded to its 16 bytes
  std::memcpy(expectedName, pluginName.data(), std::min<std::size_t>(pluginName.size(), 16));
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

struct ParameterExpectation {
  std::string name;
  float defaultValue;
};

// The registered parameters in index order, each a standard float with its name and default, and
// no parameter beyond them.
inline void ExpectStandardParameters(const PluginHost& host,
                                     const std::vector<ParameterExpectation>& expected) {
  ASSERT_EQ(host.NumParameters(), expected.size());
  for (uint32_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(host.ParameterName(i), expected[i].name);
    EXPECT_EQ(host.ParameterDefaultBits(i), BitsFromFloat(expected[i].defaultValue))
        << expected[i].name;
    EXPECT_EQ(host.ParameterType(i), ff::FF_TYPE_STANDARD) << expected[i].name;
  }
  const auto beyond = static_cast<uint32_t>(expected.size());
  EXPECT_EQ(host.ParameterNameField(beyond), nullptr);
  EXPECT_EQ(host.ParameterDefaultBits(beyond), ff::FF_FAIL);
  EXPECT_EQ(host.ParameterType(beyond), ff::FF_FAIL);
}

// The same, for parameters that all share one default.
inline void ExpectStandardParameters(const PluginHost& host, const std::vector<std::string>& names,
                                     float defaultValue) {
  std::vector<ParameterExpectation> expected;
  for (const std::string& name : names) expected.push_back({name, defaultValue});
  ExpectStandardParameters(host, expected);
}

// Identity, capabilities and parameter list at once, and a new instance that holds every default
// and refuses the index beyond the last parameter.
inline void ExpectEffectDescription(const PluginHost& host, const char* uniqueId,
                                    const char* pluginName, const char* description,
                                    const std::vector<ParameterExpectation>& parameters) {
  ExpectPackIdentity(host, uniqueId, pluginName, description);
  ExpectPackCapabilities(host);
  ExpectStandardParameters(host, parameters);
  Instance instance(host, 8, 2);
  const auto count = static_cast<uint32_t>(parameters.size());
  for (uint32_t i = 0; i < count; ++i) {
    EXPECT_EQ(host.GetParameterBits(instance.id(), i), BitsFromFloat(parameters[i].defaultValue));
  }
  EXPECT_EQ(instance.Set(count, 0.5f), ff::FF_FAIL);
  EXPECT_EQ(host.GetParameterBits(instance.id(), count), ff::FF_FAIL);
}

}  // namespace test
