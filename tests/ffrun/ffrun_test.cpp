// ffrun run as a user runs it: each case starts the real program in a fresh folder, on files
// the test makes, and checks its exit code, its output and the files it leaves.
#include <fcntl.h>
#include <signal.h>
#include <stb_image.h>
#include <stb_image_write.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "BitmapFont.h"
#include "TestCard.h"
#include "gtest/gtest.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode;
  std::string out, err;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  const uint8_t* At(int x, int y) const { return pixels.data() + (y * width + x) * 3; }
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

Picture Load(const std::string& path) {
  Picture picture;
  int channels = 0;
  uint8_t* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
  if (data == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return picture;
  }
  picture.pixels.assign(data, data + picture.width * picture.height * 3);
  stbi_image_free(data);
  return picture;
}

int CountLines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

class Ffrun : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ffrun-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Path(const std::string& name) const { return folder + "/" + name; }

  // Runs ffrun in the test's folder. FREEFRAME_PATH points at the fixture plug-ins unless the
  // extra environment says otherwise.
  RunResult Run(const std::vector<std::string>& arguments,
                std::vector<std::string> environment = {"FREEFRAME_PATH=" FFRUN_FIXTURE_DIR}) {
    return RunProgram(FFRUN_PROGRAM, arguments, std::move(environment));
  }

  RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       std::vector<std::string> environment) {
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string variable = *entry;
      const std::string name = variable.substr(0, variable.find('='));
      bool replaced = false;
      for (const std::string& given : environment)
        replaced = replaced || given.substr(0, given.find('=')) == name;
      if (!replaced) environment.push_back(variable);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const pid_t child = fork();
    if (child == 0) {
      dup2(fileno(out), 1);
      dup2(fileno(err), 2);
      const int nothing = open("/dev/null", O_RDONLY);
      dup2(nothing, 0);
      if (chdir(folder.c_str()) != 0) _exit(126);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    return result;
  }

  // The folder's files, apart from the inputs a test made.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
  }

  void WritePicture(const std::string& name, int width, int height, uint8_t seed) {
    std::vector<uint8_t> pixels(width * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + seed);
    ASSERT_TRUE(stbi_write_png(Path(name).c_str(), width, height, 3, pixels.data(), width * 3));
  }

  std::string folder;

  static std::string Slurp(FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, got);
    std::fclose(file);
    return text;
  }
};

TEST_F(Ffrun, HelpForEveryCommandShowsAnExample) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--help"},
                                                    {"list", "--help"},
                                                    {"info", "--help"},
                                                    {"apply", "--help"},
                                                    {"demo", "--help"}}) {
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 0) << arguments[0];
    EXPECT_NE(result.out.find("Example"), std::string::npos) << result.out;
  }
}

TEST_F(Ffrun, UsageErrorsGetOneLineAndExitCodeTwo) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{},
        {"play"},
        {"apply", "-p", "Stamp"},
        {"info"},
        {"apply", "-p", "Stamp", "-o", "x.png", "--frames", "0"}}) {
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_EQ(CountLines(result.err), 1) << result.err;
    EXPECT_EQ(result.err.rfind("ffrun: ", 0), 0u) << result.err;
  }
  EXPECT_TRUE(Files().empty());
}

// script(1) runs ffrun on a pseudo-terminal and copies what it shows there to its stdout.
TEST_F(Ffrun, ProgressLineIsShownOnATerminalUnlessQuiet) {
  const std::string render = FFRUN_PROGRAM " apply -p Stamp --size 8x8 --frames 3 -o out.mp4";
  const std::vector<std::string> environment = {"FREEFRAME_PATH=" FFRUN_FIXTURE_DIR};
  RunResult result = RunProgram("/usr/bin/script", {"-qec", render, "/dev/null"}, environment);
  ASSERT_EQ(result.exitCode, 0) << result.out;
  EXPECT_NE(result.out.find("\rStamp: frame 3/3, "), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(" left"), std::string::npos) << result.out;

  result = RunProgram("/usr/bin/script", {"-qec", render + " --quiet", "/dev/null"}, environment);
  ASSERT_EQ(result.exitCode, 0) << result.out;
  EXPECT_EQ(result.out, "");
}

TEST_F(Ffrun, ListShowsEachPluginOnOneLineAndSkipsTheRestWithANote) {
  const RunResult result = Run({"list"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Stamp            fStp  test fixture effect  Amount=0.5 Level=0.25  "
                            "[FakeStamp.so]\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("Swap             fSwp"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("FailFrame"), std::string::npos);
  EXPECT_NE(result.out.find("FailInstantiate"), std::string::npos);
  EXPECT_EQ(CountLines(result.out), 4) << result.out;
  EXPECT_NE(result.err.find("FailInitialise (" FFRUN_FIXTURE_DIR "/FakeFailInitialise.so) fails "
                            "initialise"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("NoEntryPoint.so is not a FreeFrame plug-in: it has no plugMain"),
            std::string::npos)
      << result.err;
}

TEST_F(Ffrun, ListSearchesTheFoldersGivenInsteadOfTheVariable) {
  fs::create_directory(Path("empty"));
  std::ofstream(Path("empty/Broken.so")) << "not a shared library";
  RunResult result = Run({"list", "empty"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Broken.so is not a FreeFrame plug-in (cannot load it"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("ffrun: no FreeFrame plug-ins found in empty\n"), std::string::npos);

  result = Run({"list", "nowhere"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "ffrun: cannot open folder nowhere\n");

  result = Run({"list", FFRUN_PACK_DIR}, {"FREEFRAME_PATH=" + Path("empty")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Glimbrook        aaaa  genarate simple mask  Value=0.1  "
                            "[Glimbrook.so]\n"),
            std::string::npos)
      << result.out;
}

TEST_F(Ffrun, InfoFindsAPluginByPathFileNameOrReportedName) {
  for (const std::string& plugin :
       {std::string("Stamp"), std::string("FakeStamp"), std::string("FakeStamp.so"),
        std::string(FFRUN_FIXTURE_DIR "/FakeStamp.so")}) {
    const RunResult result = Run({"info", plugin});
    EXPECT_EQ(result.exitCode, 0) << plugin << ": " << result.err;
    EXPECT_NE(result.out.find("Name:          Stamp\nUnique ID:     fStp\nAPI version:   1.0\n"
                              "Plugin type:   0 (effect)\nVersion:       1.0\n"
                              "Description:   test fixture effect\nAbout:         fixture\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("  1   Level            type 10 (standard)  default 0.25  "
                              "display \"0.25\""),
              std::string::npos)
        << result.out;
  }
}

TEST_F(Ffrun, InfoOfAPackPluginShowsItsIdentityCapabilitiesAndDisplay) {
  const RunResult result = Run({"info", "Glimbrook"}, {"FREEFRAME_PATH="});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("File:          " FFRUN_PACK_DIR "/Glimbrook.so\n"), std::string::npos);
  EXPECT_NE(result.out.find("Unique ID:     aaaa\n"), std::string::npos);
  EXPECT_NE(result.out.find("Description:   genarate simple mask\nAbout:         Q.V\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("Capabilities:  16-bit 0, 24-bit 1, 32-bit 0, processFrameCopy 0, "
                            "input frames 1 to 1, copy or in place 0\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("  0   Value            type 10 (standard)  default 0.1  display "
                            "\"0.100000\"\n"),
            std::string::npos)
      << result.out;
}

TEST_F(Ffrun, TestCardHasBarsRampsADarkRegionAndFineDetail) {
  const RunResult result = Run({"apply", "-o", "card.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const Picture card = Load(Path("card.png"));
  ASSERT_EQ(card.width, 640);
  ASSERT_EQ(card.height, 360);
  const ffrun::Image drawn = ffrun::DrawTestCard({640, 360});
  EXPECT_TRUE(std::equal(card.pixels.begin(), card.pixels.end(), drawn.pixels.begin()));
  EXPECT_EQ(card.At(0, 0)[0], 235);      // white bar
  EXPECT_EQ(card.At(639, 0)[2], 16);     // black bar
  EXPECT_EQ(card.At(80, 10)[2], 16);     // yellow bar: no blue
  EXPECT_EQ(card.At(0, 200)[0], 0);      // grey ramp, dark end
  EXPECT_EQ(card.At(639, 200)[0], 255);  // grey ramp, light end
  EXPECT_EQ(card.At(0, 260)[0], 255);    // hue ramp starts red
  for (int x = 0; x < 320; x += 7)       // dark region
    for (int y = 290; y < 360; y += 5) EXPECT_LT(card.At(x, y)[0], 48) << x << "," << y;
  EXPECT_NE(card.At(320, 300)[0], card.At(321, 300)[0]);  // one-pixel checks
  EXPECT_NE(card.At(320, 300)[0], card.At(320, 301)[0]);
}

TEST_F(Ffrun, ApplyWritesAStillOfTheGivenSizeFromAPicture) {
  WritePicture("in.png", 24, 10, 3);
  const Picture input = Load(Path("in.png"));
  RunResult result =
      Run({"apply", "-p", "Stamp:Amount=1,Level=0.2", "-i", "in.png", "-o", "out.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");  // no progress line off a terminal
  Picture output = Load(Path("out.png"));
  ASSERT_EQ(output.width, 24);
  ASSERT_EQ(output.height, 10);
  EXPECT_EQ(output.At(5, 5)[0], 255);
  EXPECT_EQ(output.At(5, 5)[1], input.At(5, 5)[1]);
  EXPECT_EQ(output.At(5, 5)[2], 51);  // trunc(0.2 x 255)

  result = Run({"apply", "-p", "Stamp", "-i", "in.png", "--size", "12x30", "-o", "small.bmp"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  output = Load(Path("small.bmp"));
  EXPECT_EQ(output.width, 12);
  EXPECT_EQ(output.height, 30);
  EXPECT_EQ(output.At(3, 3)[0], 127);  // the default Amount, 0.5
  EXPECT_EQ(Files(), (std::set<std::string>{"in.png", "out.png", "small.bmp"}));
}

TEST_F(Ffrun, AChainRunsInTheOrderGiven) {
  WritePicture("in.png", 8, 8, 40);
  const Picture input = Load(Path("in.png"));
  ASSERT_EQ(Run({"apply", "-p", "Stamp:Amount=1", "-p", "Swap", "-i", "in.png", "-o",
                 "stamp-then-swap.png"})
                .exitCode,
            0);
  ASSERT_EQ(Run({"apply", "-p", "Swap", "-p", "Stamp:Amount=1", "-i", "in.png", "-o",
                 "swap-then-stamp.png"})
                .exitCode,
            0);
  const Picture stampThenSwap = Load(Path("stamp-then-swap.png"));
  const Picture swapThenStamp = Load(Path("swap-then-stamp.png"));
  for (int y = 1; y < 8; ++y) {
    EXPECT_EQ(stampThenSwap.At(3, y)[0], input.At(3, y)[1]);
    EXPECT_EQ(stampThenSwap.At(3, y)[1], 255);
    EXPECT_EQ(swapThenStamp.At(3, y)[0], 255);
    EXPECT_EQ(swapThenStamp.At(3, y)[1], input.At(3, y)[0]);
  }
}

TEST_F(Ffrun, SetChangesParametersFromTheGivenFrameOn) {
  const RunResult result =
      Run({"apply", "-p", "Swap", "-p", "Stamp", "--size", "16x8", "--frames", "4", "-o",
           "frame-%02d.png", "--set", "1:Stamp:Amount=0.2", "--set", "3:2:Amount=1,Level=0"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Files(), (std::set<std::string>{"frame-00.png", "frame-01.png", "frame-02.png",
                                            "frame-03.png"}));
  const int expectedAmount[] = {127, 51, 51, 255};
  const int expectedLevel[] = {63, 63, 63, 0};
  for (int frame = 0; frame < 4; ++frame) {
    const Picture picture = Load(Path("frame-0" + std::to_string(frame) + ".png"));
    EXPECT_EQ(picture.At(4, 4)[0], expectedAmount[frame]) << frame;
    EXPECT_EQ(picture.At(4, 4)[2], expectedLevel[frame]) << frame;
  }
}

TEST_F(Ffrun, ASeedRepeatsARenderExactly) {
  const std::vector<std::string> render = {"apply", "-p",       "Stamp", "--size",
                                           "64x4",  "--frames", "3",     "-o"};
  auto run = [&](const std::string& output, const std::string& seed) {
    std::vector<std::string> arguments = render;
    arguments.insert(arguments.end(), {output, "--seed", seed});
    ASSERT_EQ(Run(arguments).exitCode, 0);
  };
  run("first.png", "7");
  run("again.png", "7");
  run("other.png", "8");
  EXPECT_EQ(ReadFile(Path("first.png")), ReadFile(Path("again.png")));
  EXPECT_NE(Load(Path("first.png")).pixels, Load(Path("other.png")).pixels);
}

TEST_F(Ffrun, AVideoGoesThroughFfmpegAndBack) {
  RunResult result = Run({"apply", "-p", "Stamp:Amount=0.8", "--size", "64x48", "--frames", "6",
                          "--fps", "12", "-o", "clip.mp4"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run({"apply", "-p", "Swap", "-i", "clip.mp4", "-o", "back-%d.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Files(), (std::set<std::string>{"clip.mp4", "back-0.png", "back-1.png", "back-2.png",
                                            "back-3.png", "back-4.png", "back-5.png"}));
  const Picture frame = Load(Path("back-5.png"));
  ASSERT_EQ(frame.width, 64);
  ASSERT_EQ(frame.height, 48);
  // Stamp wrote 204 into byte 0; Swap moved it into byte 1. The codec is lossy.
  long sum = 0;
  for (int y = 8; y < 48; ++y)
    for (int x = 0; x < 64; ++x) sum += frame.At(x, y)[1];
  EXPECT_NEAR(static_cast<double>(sum) / (40 * 64), 204.0, 10.0);

  result = Run({"apply", "-p", "Swap", "-i", "clip.mp4", "--frames", "2", "--size", "32x16", "-o",
                "short.gif"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  int width = 0, height = 0, channels = 0;
  EXPECT_TRUE(stbi_info(Path("short.gif").c_str(), &width, &height, &channels));
  EXPECT_EQ(width, 32);
  EXPECT_EQ(height, 16);

  // Every frame of an animated GIF is read, not just its first.
  result = Run({"apply", "-i", "short.gif", "-o", "gif-%d.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(Path("gif-1.png")));
  EXPECT_FALSE(fs::exists(Path("gif-2.png")));
}

TEST_F(Ffrun, AnInterruptedRenderLeavesNoOutput) {
  FILE* errors = std::tmpfile();
  const pid_t child = fork();
  if (child == 0) {
    const int nothing = open("/dev/null", O_RDWR);
    for (int stream : {0, 1}) dup2(nothing, stream);
    dup2(fileno(errors), 2);
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("FREEFRAME_PATH", FFRUN_FIXTURE_DIR, 1);
    execl(FFRUN_PROGRAM, FFRUN_PROGRAM, "apply", "-p", "Stamp", "--size", "64x64", "--frames",
          "100000000", "-o", "endless.mp4", static_cast<char*>(nullptr));
    _exit(127);
  }
  // The temporary file shows that rendering has begun, with the handlers in place.
  while (Files().empty()) usleep(10000);
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(Slurp(errors), "ffrun: interrupted; the output was not written\n");
  EXPECT_TRUE(Files().empty());
}

struct BadInput {
  const char* what;
  std::vector<std::string> arguments;
  std::string message;
};

// Every failure: exit code 1, one line on stderr, and no output file, finished or partial.
TEST_F(Ffrun, BadInputGetsOneClearLineAndLeavesNoOutput) {
  WritePicture("in.png", 8, 8, 1);
  std::ofstream(Path("garbage.png")) << "this is no picture and no video";
  std::ofstream(Path("garbage.mp4")) << "this is no video either";
  std::ofstream(Path("Bogus.so")) << "this is no shared library";
  const std::vector<BadInput> cases = {
      {"missing input",
       {"-p", "Stamp", "-i", "nothere.png", "-o", "out.png"},
       "ffrun: cannot read input nothere.png: No such file or directory\n"},
      {"text as input",
       {"-p", "Stamp", "-i", "garbage.png", "-o", "out.png"},
       "ffrun: garbage.png has no video stream or picture that ffrun reads\n"},
      {"undecodable video",
       {"-p", "Stamp", "-i", "garbage.mp4", "-o", "out.png"},
       "ffrun: ffmpeg cannot read garbage.mp4: "},
      {"not a shared library",
       {"-p", "./Bogus.so", "-o", "out.png"},
       "ffrun: ./Bogus.so is not a FreeFrame plug-in (cannot load it: "},
      {"no plugMain",
       {"-p", FFRUN_FIXTURE_DIR "/NoEntryPoint.so", "-o", "out.png"},
       "ffrun: " FFRUN_FIXTURE_DIR "/NoEntryPoint.so is not a FreeFrame plug-in: it has no "
       "plugMain\n"},
      {"plug-in missing",
       {"-p", "Nope", "-o", "out.png"},
       "ffrun: no plug-in named Nope in " FFRUN_FIXTURE_DIR " (give a path, or set "
       "FREEFRAME_PATH)\n"},
      {"initialise fails",
       {"-p", "FailInitialise", "-o", "out.png"},
       "ffrun: plug-in FailInitialise (" FFRUN_FIXTURE_DIR "/FakeFailInitialise.so) fails "
       "initialise\n"},
      {"instantiate fails",
       {"-p", "Stamp", "-p", "FailInstantiate", "-o", "out.png"},
       "ffrun: plug-in FailInstantiate fails instantiate for 640x360 frames\n"},
      {"unknown parameter",
       {"-p", "Stamp:Amont=0.3", "-o", "out.png"},
       "ffrun: plug-in Stamp has no parameter Amont (its parameters: Amount, Level)\n"},
      {"unknown parameter in --set",
       {"-p", "Stamp", "--set", "2:Size=0.3", "-o", "out.png"},
       "ffrun: plug-in Stamp has no parameter Size (its parameters: Amount, Level)\n"},
      {"unknown chain step",
       {"-p", "Stamp", "--set", "2:3:Amount=0.3", "-o", "out.png"},
       "ffrun: no step 3 in the chain Stamp\n"},
      {"value above 1",
       {"-p", "Stamp:Level=1.5", "-o", "out.png"},
       "ffrun: value 1.5 of Level is outside 0.0 to 1.0 (add --allow-any-value to send it "
       "anyway)\n"},
      {"negative value",
       {"-p", "Stamp", "--set", "0:1=-0.1", "-o", "out.png"},
       "ffrun: value -0.1 of Level is outside 0.0 to 1.0 (add --allow-any-value to send it "
       "anyway)\n"},
      {"NaN",
       {"-p", "Stamp:Amount=nan", "-o", "out.png"},
       "ffrun: value nan of Amount is outside 0.0 to 1.0 (add --allow-any-value to send it "
       "anyway)\n"},
      {"not a number",
       {"-p", "Stamp:Amount=lots", "-o", "out.png"},
       "ffrun: value 'lots' of Amount is not a number\n"},
      {"not Name=value",
       {"-p", "Stamp:Amount", "-o", "out.png"},
       "ffrun: setting 'Amount' is not Name=value\n"},
      {"bad --set",
       {"-p", "Stamp", "--set", "soon:Amount=1", "-o", "out.png"},
       "ffrun: --set soon:Amount=1 is not FRAME:Name=value (for example 30:Amount=0.8)\n"},
      {"frame fails",
       {"-p", "FailFrame", "--frames", "5", "-o", "out.mp4"},
       "ffrun: plug-in FailFrame answers FF_FAIL for frame 2\n"},
      {"frame fails in a sequence",
       {"-p", "FailFrame", "--frames", "5", "-o", "f-%d.png"},
       "ffrun: plug-in FailFrame answers FF_FAIL for frame 2\n"},
      {"empty size",
       {"-p", "Stamp", "--size", "0x10", "-o", "out.png"},
       "ffrun: frame size 0x10 is empty\n"},
      {"huge size",
       {"-p", "Stamp", "--size", "20000x20000", "-o", "out.png"},
       "ffrun: frame size 20000x20000 is too large (at most 16384 pixels a side)\n"},
      {"size not WxH",
       {"-p", "Stamp", "--size", "big", "-o", "out.png"},
       "ffrun: size big is not WIDTHxHEIGHT (for example 640x360)\n"},
      {"bad sequence pattern",
       {"-p", "Stamp", "-o", "out-%s.png"},
       "ffrun: output out-%s.png is not a numbered name: use one %d or %0Nd, for example "
       "out-%04d.png\n"},
      {"output folder missing",
       {"-p", "Stamp", "-o", "no/such/out.png"},
       "ffrun: cannot write no/such/out.png: folder no/such: No such file or directory\n"},
      {"ffmpeg refuses the output",
       {"-p", "Stamp", "--frames", "2", "-o", "out.nosuchformat"},
       "ffrun: ffmpeg cannot write out.nosuchformat: "},
  };
  const std::set<std::string> inputs = Files();
  for (const BadInput& bad : cases) {
    std::vector<std::string> arguments = {"apply"};
    arguments.insert(arguments.end(), bad.arguments.begin(), bad.arguments.end());
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 1) << bad.what;
    EXPECT_EQ(CountLines(result.err), 1) << bad.what << ": " << result.err;
    EXPECT_EQ(result.err.substr(0, bad.message.size()), bad.message) << bad.what;
    EXPECT_EQ(Files(), inputs) << bad.what;
  }
}

TEST_F(Ffrun, OutOfRangeValuesPassWhenAllowed) {
  const RunResult result = Run({"apply", "-p", "Stamp:Amount=2,Level=-1", "--allow-any-value",
                                "--size", "4x4", "-o", "out.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const Picture picture = Load(Path("out.png"));
  EXPECT_EQ(picture.At(1, 1)[0], 255);  // the fixture saturates what it is sent
  EXPECT_EQ(picture.At(1, 1)[2], 0);
}

TEST_F(Ffrun, MissingFfmpegIsNamed) {
  fs::create_directory(Path("bin"));
  const RunResult result = Run({"apply", "-p", "Stamp", "--frames", "2", "-o", "out.mp4"},
                               {"FREEFRAME_PATH=" FFRUN_FIXTURE_DIR, "PATH=" + Path("bin")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "ffrun: ffmpeg is not installed (install the Debian package ffmpeg)\n");
  EXPECT_EQ(Files(), std::set<std::string>{"bin"});
}

TEST_F(Ffrun, DemoWritesAClipPerPluginFoundAndTheContactSheet) {
  const char* pack[] = {"Glimbrook", "Vontekel", "Kestrowel", "Dwero", "Halmire",
                        "Lumbrask",  "Ostrin",   "Morvidan",  "Zinva", "Tessaloy",
                        "Quillmar",  "Nubrato",  "Sarrowind"};
  const RunResult result =
      Run({"demo", "-o", "shots", "--size", "48x24", "--frames", "2"}, {"FREEFRAME_PATH="});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  int rendered = 0;
  for (const char* plugin : pack) {
    const bool clip = fs::exists(Path("shots/") + plugin + ".gif");
    const bool skipped =
        result.err.find(std::string("ffrun: demo skips ") + plugin + ": ") != std::string::npos;
    EXPECT_NE(clip, skipped) << plugin;
    rendered += clip;
  }
  EXPECT_TRUE(fs::exists(Path("shots/Glimbrook.gif")));
  // Every showcase setting names parameters the plug-in really has.
  EXPECT_EQ(result.err.find("demo leaves out"), std::string::npos) << result.err;
  EXPECT_NE(result.out.find("wrote " + std::to_string(rendered) +
                            " clip(s) and the contact sheet shots/gallery.png"),
            std::string::npos)
      << result.out;
  const Picture sheet = Load(Path("shots/gallery.png"));
  // Three settings of Glimbrook side by side, each tile 48 wide with 12 pixels between.
  EXPECT_EQ(sheet.width, 12 + 3 * (48 + 12));
  EXPECT_EQ(sheet.height % rendered, 12 % rendered);
  // The first row's name is drawn in white under its label line.
  bool nameDrawn = false;
  for (int y = 12 + 24 + 13; y < 12 + 24 + 13 + 24; ++y)
    for (int x = 12; x < 12 + ffrun::TextWidth("Glimbrook", 2); ++x)
      nameDrawn = nameDrawn || sheet.At(x, y)[0] == 255;
  EXPECT_TRUE(nameDrawn);
}

TEST_F(Ffrun, DemoWithoutAnyPackPluginFails) {
  fs::create_directory(Path("empty"));
  const RunResult result = Run({"demo", "-o", "shots"}, {"FREEFRAME_PATH=" + Path("empty")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("ffrun: demo found none of the pack's plug-ins (build them first)\n"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(Path("shots/gallery.png")));
}

// Every glyph differs from every other, so no character of a name is drawn as another.
TEST(BitmapFont, EveryCharacterHasItsOwnShape) {
  const std::string characters = ffrun::FontCharacters();
  const uint8_t white[3] = {255, 255, 255};
  std::vector<std::vector<uint8_t>> shapes;
  for (char character : characters) {
    ffrun::Image cell({ffrun::kGlyphWidth, ffrun::kGlyphHeight});
    ffrun::DrawText(cell, 0, 0, std::string(1, character), 1, white);
    shapes.push_back(cell.pixels);
  }
  for (std::size_t i = 0; i < shapes.size(); ++i)
    for (std::size_t j = i + 1; j < shapes.size(); ++j)
      EXPECT_NE(shapes[i], shapes[j]) << characters[i] << " and " << characters[j];
}

// Text partly outside an image shows exactly the part of it that falls inside.
TEST(BitmapFont, TextIsClippedAtTheImageEdges) {
  const uint8_t white[3] = {255, 255, 255};
  ffrun::Image clipped({10, 6});
  ffrun::Image whole({40, 30});
  ffrun::DrawText(clipped, -7, -3, "Wq", 3, white);
  ffrun::DrawText(whole, 13, 9, "Wq", 3, white);
  int lit = 0;
  for (uint32_t y = 0; y < 6; ++y)
    for (uint32_t x = 0; x < 10; ++x) {
      EXPECT_EQ(clipped.PixelAt(x, y)[0], whole.PixelAt(x + 20, y + 12)[0]) << x << "," << y;
      lit += clipped.PixelAt(x, y)[0] == 255;
    }
  EXPECT_GT(lit, 0);
  EXPECT_EQ(ffrun::TextWidth("Wq", 3), (2 * 6 - 1) * 3);
}

}  // namespace
