// The simple mask effect, and through it the framework as a host sees it.
#include <gtest/gtest.h>

#include "PackConventions.h"
#include "PluginHost.h"

namespace test {
namespace {

TEST(Glimbrook, Identity) {
  PluginHost host("Glimbrook");
  ExpectPackIdentity(host, "aaaa", "Glimbrook", "genarate simple mask");
}

}  // namespace
}  // namespace test
