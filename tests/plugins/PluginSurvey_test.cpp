// The survey that builds for other platforms are compared with (see PluginSurvey.h): its frames
// draw no random number, and each plug-in's survey is written to the reference folder, where
// the Windows suite reads it.
#include "PluginSurvey.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "EveryPlugin.h"
#include "ScriptedRand.h"

namespace test {
namespace {

class Survey : public EveryPlugin {};

TEST_P(Survey, FramesDrawNoRandomNumber) {
  std::size_t frames = 0;
  const std::vector<std::string> lines =
      SurveyDrawFreeFrames(host, GetParam(), [&frames](const Instance& instance, TestFrame& frame) {
        rand_script::Reset();
        const uint32_t result = instance.Process(frame.data());
        EXPECT_EQ(rand_script::Calls(), 0u) << "frame " << frames;
        ++frames;
        return result;
      });
  EXPECT_EQ(lines.size(), frames);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("guards broken"), std::string::npos) << line;
  }
}

TEST_P(Survey, IsWrittenForOtherPlatforms) {
  const std::vector<std::string> lines = SurveyPlugin(host, GetParam());
  std::filesystem::create_directories(SURVEY_REFERENCE_DIR);
  const std::string path = std::string(SURVEY_REFERENCE_DIR) + "/" + GetParam() + ".txt";
  {
    std::ofstream file(path, std::ios::trunc);
    for (const std::string& line : lines) file << line << '\n';
    ASSERT_TRUE(file.good()) << path;
  }
  std::ifstream written(path);
  std::string line;
  std::size_t count = 0;
  while (std::getline(written, line)) ASSERT_EQ(line, lines.at(count++));
  EXPECT_EQ(count, lines.size());
}

RUN_FOR_EVERY_PLUGIN(Survey);

}  // namespace
}  // namespace test
