// The simple mask effect, and through it the framework as a host sees it.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginHost.h"
#include "TestFrame.h"

namespace test {
namespace {

TEST(Glimbrook, Identity) {
  PluginHost host("Glimbrook");
  const ff::PluginInfoStruct* info = host.Info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->APIMajorVersion, 1u);
  EXPECT_EQ(info->APIMinorVersion, 0u);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "aaaa", 4), 0);
  const uint8_t expectedName[16] = {'G', 'l', 'i', 'm', 'b', 'r', 'o', 'o', 'k'};
  EXPECT_EQ(std::memcmp(info->PluginName, expectedName, 16), 0);
  EXPECT_EQ(info->PluginType, 0u);
  const ff::PluginExtendedInfoStruct* extended = host.ExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_STREQ(extended->Description, "genarate simple mask");
  EXPECT_STREQ(extended->About, "Q.V");
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
  EXPECT_EQ(extended->FreeFrameExtendedDataSize, 0u);
  EXPECT_EQ(extended->FreeFrameExtendedDataBlock, nullptr);
}

}  // namespace
}  // namespace test
