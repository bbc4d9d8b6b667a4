#include "Ffmpeg.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "Failure.h"

extern char** environ;

namespace ffrun {
namespace {

// A frame of 1080p is 6 MB; a larger pipe lets ffmpeg and ffrun work while the other does.
constexpr int kPipeBytes = 1 << 20;

int AnonymousErrorFile() {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/ffrun-stderr-XXXXXX";
  const int file = mkstemp(pattern.data());
  if (file < 0)
    throw Failure("cannot make a temporary file in " + pattern + ": " + std::strerror(errno));
  unlink(pattern.c_str());
  return file;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

}  // namespace

std::string FpsText(double fps) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", fps);
  return text;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, Pipe pipe)
    : program(arguments.front()) {
  errorFile = AnonymousErrorFile();
  int ends[2] = {-1, -1};
  if (pipe != Pipe::None && pipe2(ends, O_CLOEXEC) != 0)
    throw Failure(std::string("cannot make a pipe: ") + std::strerror(errno));
  if (pipe != Pipe::None) fcntl(ends[0], F_SETPIPE_SZ, kPipeBytes);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (pipe == Pipe::ToChild) posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
  if (pipe == Pipe::FromChild) posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
  if (pipe != Pipe::ToChild)
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errorFile, 2);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (pipe != Pipe::None) {
    close(pipe == Pipe::ToChild ? ends[0] : ends[1]);
    pipeEnd = pipe == Pipe::ToChild ? ends[1] : ends[0];
  }
  if (error != 0) {
    pid = -1;
    ClosePipe();
    close(errorFile);
    errorFile = -1;
    if (error == ENOENT)
      throw Failure(program + " is not installed (install the Debian package ffmpeg)");
    throw Failure("cannot start " + program + ": " + std::strerror(error));
  }
}

ChildProcess::~ChildProcess() {
  if (pid > 0) {
    Kill();
    Wait();
  }
  ClosePipe();
  if (errorFile >= 0) close(errorFile);
}

void ChildProcess::ClosePipe() {
  if (pipeEnd >= 0) close(pipeEnd);
  pipeEnd = -1;
}

bool ChildProcess::WriteAll(const uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(pipeEnd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

std::size_t ChildProcess::ReadFull(uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = read(pipeEnd, data + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

int ChildProcess::Wait() {
  ClosePipe();
  if (pid <= 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::Kill() {
  if (pid > 0) kill(pid, SIGKILL);
}

std::string ChildProcess::AllOutput() {
  std::string text;
  char buffer[4096];
  while (true) {
    const std::size_t got = ReadFull(reinterpret_cast<uint8_t*>(buffer), sizeof buffer);
    text.append(buffer, got);
    if (got < sizeof buffer) return text;
  }
}

std::string ChildProcess::LastErrorLine() const {
  const off_t size = lseek(errorFile, 0, SEEK_END);
  if (size <= 0) return "no message";
  const off_t tail = size > 4096 ? size - 4096 : 0;
  std::string text(static_cast<std::size_t>(size - tail), '\0');
  const ssize_t got = pread(errorFile, text.data(), text.size(), tail);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  text = Trimmed(text);
  const std::size_t lineStart = text.rfind('\n');
  return lineStart == std::string::npos ? text : text.substr(lineStart + 1);
}

VideoProbe ProbeVideo(const std::string& path) {
  ChildProcess ffprobe({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                        "stream=width,height,avg_frame_rate,r_frame_rate,nb_frames", "-of",
                        "default=noprint_wrappers=1", "--", path},
                       ChildProcess::Pipe::FromChild);
  const std::string output = ffprobe.AllOutput();
  if (ffprobe.Wait() != 0)
    throw Failure("ffmpeg cannot read " + path + ": " + ffprobe.LastErrorLine());
  VideoProbe probe;
  double width = 0, height = 0;
  std::size_t start = 0;
  while (start < output.size()) {
    const std::size_t end = std::min(output.find('\n', start), output.size());
    const std::string line = output.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    const double number = std::strtod(value.c_str(), nullptr);
    if (key == "width") width = number;
    if (key == "height") height = number;
    if (key == "nb_frames" && number >= 1 && number < 1e12)
      probe.frameCount = static_cast<int64_t>(number);
    if ((key == "avg_frame_rate" || (key == "r_frame_rate" && probe.fps <= 0)) &&
        value.find('/') != std::string::npos) {
      const double denominator = std::strtod(value.c_str() + value.find('/') + 1, nullptr);
      if (number > 0 && denominator > 0) probe.fps = number / denominator;
    }
  }
  if (!(width >= 1 && height >= 1 && width < 1e6 && height < 1e6))
    throw Failure(path + " has no video stream or picture that ffrun reads");
  probe.size = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
  if (!(probe.fps > 0 && probe.fps < 1000)) probe.fps = 25.0;
  return probe;
}

namespace {

std::vector<std::string> DecoderArguments(const std::string& path, Size size,
                                          std::optional<int64_t> frameLimit) {
  // Scaling to the probed size as well keeps every frame at the size ffrun expects, whatever
  // the file's rotation or aspect tags say.
  std::vector<std::string> arguments = {
      "ffmpeg", "-v", "error", "-nostdin", "-i", path, "-map", "0:v:0", "-vf",
      "scale=" + std::to_string(size.width) + ":" + std::to_string(size.height), "-f", "rawvideo",
      "-pix_fmt", "rgb24",
      // Each frame of the file once, not repeated or dropped to fit a constant rate.
      "-fps_mode", "passthrough"};
  if (frameLimit) arguments.insert(arguments.end(), {"-frames:v", std::to_string(*frameLimit)});
  arguments.push_back("-");
  return arguments;
}

}  // namespace

VideoReader::VideoReader(const std::string& path, Size size, std::optional<int64_t> frameLimit)
    : path(path),
      size(size),
      ffmpeg(DecoderArguments(path, size, frameLimit), ChildProcess::Pipe::FromChild) {}

bool VideoReader::Read(Image& frame) {
  frame.size = size;
  frame.pixels.resize(std::size_t{size.width} * size.height * 3);
  const std::size_t got = ffmpeg.ReadFull(frame.pixels.data(), frame.pixels.size());
  if (got == frame.pixels.size()) return true;
  if (ffmpeg.Wait() != 0 || got != 0)
    throw Failure("ffmpeg cannot decode " + path + ": " + ffmpeg.LastErrorLine());
  return false;
}

namespace {

std::vector<std::string> EncoderArguments(const std::string& path, const std::string& shownPath,
                                          Size size, double fps) {
  std::vector<std::string> arguments = {"ffmpeg",   "-v",         "error", "-y", "-f",
                                        "rawvideo", "-pix_fmt",   "rgb24", "-s", SizeText(size),
                                        "-r",       FpsText(fps), "-i",    "-"};
  const std::string extension = LowerExtension(shownPath);
  if (extension == "gif") {
    // A palette made from the clip itself keeps the colour bars and gradients recognisable.
    arguments.insert(arguments.end(),
                     {"-vf", "split[a][b];[a]palettegen=stats_mode=diff[p];[b][p]paletteuse"});
  } else if (extension == "mp4" || extension == "m4v" || extension == "mov" || extension == "mkv") {
    // 4:2:0 is what players expect of these files, and it needs even sides.
    if (size.width % 2 != 0 || size.height % 2 != 0)
      arguments.insert(arguments.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
    arguments.insert(arguments.end(), {"-pix_fmt", "yuv420p"});
  }
  arguments.push_back(path);
  return arguments;
}

}  // namespace

VideoWriter::VideoWriter(const std::string& path, const std::string& shownPath, Size size,
                         double fps)
    : path(shownPath),
      ffmpeg(EncoderArguments(path, shownPath, size, fps), ChildProcess::Pipe::ToChild) {}

void VideoWriter::Write(const Image& frame) {
  if (!ffmpeg.WriteAll(frame.pixels.data(), frame.pixels.size())) {
    ffmpeg.Wait();
    throw Failure("ffmpeg cannot write " + path + ": " + ffmpeg.LastErrorLine());
  }
}

void VideoWriter::Finish() {
  if (ffmpeg.Wait() != 0)
    throw Failure("ffmpeg cannot write " + path + ": " + ffmpeg.LastErrorLine());
}

}  // namespace ffrun
