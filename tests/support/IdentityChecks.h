// The identity every plug-in of this pack hands out: API and plug-in version 1.0, an effect, the
// about text "Q.V" and no extended data, with its own unique ID, name and description.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "PluginHost.h"

namespace test {

inline void ExpectPackIdentity(const PluginHost& host, const char* uniqueId,
                               const std::string& pluginName, const char* description) {
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, uniqueId, 4), 0);
  uint8_t expectedName[16] = {};  // zero-padded to its 16 bytes
  std::memcpy(expectedName, pluginName.data(), std::min<std::size_t>(pluginName.size(), 16));
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
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

// The registered parameters in index order, each a standard float with its name and default.
inline void ExpectStandardParameters(const PluginHost& host,
                                     const std::vector<std::pair<std::string, float>>& expected) {
  ASSERT_EQ(host.NumParameters(), expected.size());
  for (uint32_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(host.ParameterName(index), expected[index].first);
    EXPECT_EQ(host.ParameterDefaultBits(index), BitsFromFloat(expected[index].second));
    EXPECT_EQ(host.ParameterType(index), ff::FF_TYPE_STANDARD);
  }
}

}  // namespace test
