// Every plug-in of the pack run in a real host, Pure Data with Gem, headless under Xvfb. Gem
// loads the plug-in through pix_freeframe between two frame taps: the first records the frame Gem
// hands the effect and seeds rand() for it, the second records what the effect made of it. The
// test then replays the recorded frames with the same seeds in its own host and expects the same
// bytes, so any difference in how Gem drives the plug-in (geometry, call order, frame layout)
// shows up as a mismatch.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace {

namespace fs = std::filesystem;
using test::PluginHost;

constexpr int kPictureWidth = 96;
constexpr int kPictureHeight = 72;
// Gem renders this many frames before the patch quits; the first may come before the picture.
constexpr int kRenderedFrames = 6;
constexpr int kLeastProcessedFrames = 3;

struct TapFrame {
  int width = 0;
  int height = 0;
  unsigned seed = 0;
  std::vector<uint8_t> pixels;
};

std::vector<TapFrame> ReadTap(const fs::path& path) {
  std::vector<TapFrame> frames;
  std::ifstream file(path, std::ios::binary);
  std::string word;
  while (file >> word) {
    TapFrame frame;
    if (word != "frame" || !(file >> frame.width >> frame.height >> frame.seed) ||
        file.get() != '\n') {
      ADD_FAILURE() << "malformed frame record in " << path;
      break;
    }
    frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
    if (!file.read(reinterpret_cast<char*>(frame.pixels.data()),
                   static_cast<std::streamsize>(frame.pixels.size()))) {
      ADD_FAILURE() << "truncated frame in " << path;
      break;
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

// Gradients in every channel, dark and bright areas and a scatter of speckles, so that masks,
// thresholds and every byte order have something to act on.
void WritePicture(const fs::path& path) {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << kPictureWidth << ' ' << kPictureHeight << "\n255\n";
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const bool speckle = (x * 7 + y * 13) % 29 == 0;
      file.put(static_cast<char>(speckle ? 250 : x * 255 / (kPictureWidth - 1)));
      file.put(static_cast<char>(speckle ? 5 : y * 255 / (kPictureHeight - 1)));
      file.put(static_cast<char>((x * y) % 256));
    }
  }
}

// The render chain reopens the picture every frame (Gem only hands a changed picture down the
// chain), and a second chain counts the frames and quits Pd after the last.
void WritePatch(const fs::path& path, const fs::path& picture, const std::string& plugin) {
  const std::string tapDir = FRAME_TAP_DIR;
  std::ofstream file(path);
  file << "#N canvas 0 0 600 300 10;\n"
       << "#X obj 10 10 gemhead;\n"
       << "#X obj 10 40 pix_image;\n"
       << "#X obj 10 70 pix_freeframe " << tapDir << "/FrameTapIn;\n"
       << "#X obj 10 100 pix_freeframe " << PluginHost::PluginPath(plugin) << ";\n"
       << "#X obj 10 130 pix_freeframe " << tapDir << "/FrameTapOut;\n"
       << "#X obj 200 10 r window;\n"
       << "#X obj 200 40 gemwin;\n"
       << "#X obj 300 10 r picture;\n"
       << "#X obj 300 40 loadbang;\n"
       << "#X msg 300 70 \\; picture thread 0 \\; window create \\; window 1 \\; picture open "
       << picture.string() << ";\n"
       << "#X obj 400 10 gemhead;\n"
       << "#X obj 400 40 t b;\n"
       << "#X obj 400 70 f;\n"
       << "#X obj 450 70 + 1;\n"
       << "#X obj 400 100 sel " << kRenderedFrames << ";\n"
       << "#X msg 400 130 \\; window 0 \\; window destroy \\; pd quit;\n"
       << "#X msg 500 130 \\; picture open " << picture.string() << ";\n"
       << "#X connect 0 0 1 0;\n#X connect 1 0 2 0;\n#X connect 2 0 3 0;\n#X connect 3 0 4 0;\n"
       << "#X connect 5 0 6 0;\n#X connect 7 0 1 0;\n#X connect 8 0 9 0;\n"
       << "#X connect 10 0 11 0;\n#X connect 11 0 12 0;\n#X connect 12 0 13 0;\n"
       << "#X connect 13 0 12 1;\n#X connect 12 0 14 0;\n#X connect 14 0 15 0;\n"
       << "#X connect 14 1 16 0;\n";
}

std::string ReadText(const fs::path& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class PdHost : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    workDir =
        fs::temp_directory_path() / ("pd-host-" + GetParam() + "-" + std::to_string(getpid()));
    fs::remove_all(workDir);
    fs::create_directories(workDir);
  }
  // A failed run keeps its patch, picture, taps and console for a look.
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(workDir);
  }

  // Runs the patch; the answer is Pd's exit status, its console is in console.log.
  int RunPd(int displayNumber) {
    const fs::path picture = workDir / "picture.ppm";
    WritePicture(picture);
    WritePatch(workDir / "patch.pd", picture, GetParam());
    std::ostringstream command;
    command << "cd '" << workDir.string() << "' && FRAME_TAP_In=in.tap FRAME_TAP_Out=out.tap"
            << " timeout 60 xvfb-run -a -n " << displayNumber
            << " pd -nogui -nosound -nomidi -nrt -stderr -lib Gem -open patch.pd"
            << " > console.log 2>&1";
    const int status = std::system(command.str().c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path workDir;
};

TEST_P(PdHost, GemRunsThePluginAsOurHostDoes) {
  const std::string plugin = GetParam();
  const PluginHost host(plugin);
  // Parallel runs each search for a free X display from a number of their own.
  const std::vector<std::string> names = PluginHost::AllPluginNames();
  const int displayNumber =
      100 + 10 * static_cast<int>(std::find(names.begin(), names.end(), plugin) - names.begin());

  SCOPED_TRACE("Pd ran in " + workDir.string());
  const int status = RunPd(displayNumber);
  const std::string console = ReadText(workDir / "console.log");
  ASSERT_EQ(status, 0) << "Pd with Gem did not run to the end (are the packages of "
                          "scripts/pd-packages.txt installed?). Console:\n"
                       << console;

  // Gem reports each plug-in it loads by its API version and its parameter names; the effect's
  // report lies between those of the two taps, which have no parameters.
  std::string expected = "FF-API: 1.0\nFF-API: 1.0\n";
  for (uint32_t i = 0; i < host.NumParameters(); ++i)
    expected += "param#" + std::to_string(i) + ": " + host.ParameterName(i) + "\n";
  expected += "FF-API: 1.0\n";
  EXPECT_NE(console.find(expected), std::string::npos) << "expected Gem to report\n"
                                                       << expected << "in its console:\n"
                                                       << console;

  const std::vector<TapFrame> given = ReadTap(workDir / "in.tap");
  const std::vector<TapFrame> made = ReadTap(workDir / "out.tap");
  ASSERT_GE(given.size(), std::size_t{kLeastProcessedFrames}) << console;
  ASSERT_EQ(made.size(), given.size());

  // Gem makes its instance when the first frame reaches the effect, just after the tap before it
  // seeded rand(), so the constructor's draws come from the first frame's seed.
  std::srand(given[0].seed);
  const test::Instance instance(host, kPictureWidth, kPictureHeight);
  bool effectChangedAFrame = false;
  for (std::size_t i = 0; i < given.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    ASSERT_EQ(given[i].width, kPictureWidth);
    ASSERT_EQ(given[i].height, kPictureHeight);
    ASSERT_EQ(made[i].width, kPictureWidth);
    ASSERT_EQ(made[i].height, kPictureHeight);
    std::vector<uint8_t> frame = given[i].pixels;
    if (i > 0) std::srand(given[i].seed);
    ASSERT_EQ(instance.Process(frame.data()), ff::FF_SUCCESS);
    EXPECT_TRUE(frame == made[i].pixels) << "Gem's frame differs from our host's";
    effectChangedAFrame = effectChangedAFrame || made[i].pixels != given[i].pixels;
  }
  // Frames that came through unchanged would prove nothing about the effect.
  EXPECT_TRUE(effectChangedAFrame) << "the effect left every frame as it was";
}

INSTANTIATE_TEST_SUITE_P(Pack, PdHost, testing::ValuesIn(PluginHost::AllPluginNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
