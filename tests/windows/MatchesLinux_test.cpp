// A Windows build of the pack against the Linux build of the same sources: every plug-in's
// survey (see PluginSurvey.h) must equal the one the Linux suite wrote into the folder that
// GLITCH_SURVEY_REFERENCE names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "EveryPlugin.h"
#include "PluginSurvey.h"

namespace test {
namespace {

class MatchesLinux : public EveryPlugin {};

TEST_P(MatchesLinux, Survey) {
  const char* folder = std::getenv("GLITCH_SURVEY_REFERENCE");
  ASSERT_NE(folder, nullptr) << "GLITCH_SURVEY_REFERENCE names no folder of Linux surveys";
  const std::string path = std::string(folder) + "/" + GetParam() + ".txt";
  std::ifstream reference(path);
  ASSERT_TRUE(reference.is_open()) << "no Linux survey at " << path;
  std::vector<std::string> expected;
  for (std::string line; std::getline(reference, line);) expected.push_back(line);

  const std::vector<std::string> lines = SurveyPlugin(host, GetParam());
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1 << " of " << path;
  }
  EXPECT_EQ(lines.size(), expected.size());
}

RUN_FOR_EVERY_PLUGIN(MatchesLinux);

}  // namespace
}  // namespace test
