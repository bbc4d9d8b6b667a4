// Video in and out through ffmpeg child processes that exchange raw rgb24 frames with ffrun
// over pipes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Image.h"

namespace ffrun {

// One child process with optional pipes to its stdin and from its stdout; its stderr goes to
// an anonymous file so that its last line can be shown when it fails.
class ChildProcess {
 public:
  enum class Pipe { None, ToChild, FromChild };
  ChildProcess(const std::vector<std::string>& arguments, Pipe pipe);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // False when the pipe closed early (the child ended).
  bool WriteAll(const uint8_t* data, std::size_t size);
  // The bytes read, short only at the end of the child's output.
  std::size_t ReadFull(uint8_t* data, std::size_t size);
  // Closes the pipe and waits; the child's exit status, or -1 when it did not exit normally.
  int Wait();
  // Ends a child whose work is no longer wanted.
  void Kill();
  std::string LastErrorLine() const;
  std::string AllOutput();

 private:
  void ClosePipe();
  std::string program;
  pid_t pid = -1;
  int pipeEnd = -1;
  int errorFile = -1;
};

struct VideoProbe {
  Size size;
  double fps = 0.0;
  std::optional<int64_t> frameCount;
};

// What ffprobe tells of the first video stream; throws Failure when there is none.
VideoProbe ProbeVideo(const std::string& path);

class VideoReader {
 public:
  VideoReader(const std::string& path, Size size, std::optional<int64_t> frameLimit);
  // False at the end of the clip; throws Failure when ffmpeg fails.
  bool Read(Image& frame);

 private:
  std::string path;
  Size size;
  ChildProcess ffmpeg;
};

class VideoWriter {
 public:
  // Writes to path, in the format that shownPath's extension names; messages say shownPath.
  VideoWriter(const std::string& path, const std::string& shownPath, Size size, double fps);
  void Write(const Image& frame);
  // Waits for ffmpeg to finish the file; throws Failure when it fails.
  void Finish();

 private:
  std::string path;
  ChildProcess ffmpeg;
};

std::string FpsText(double fps);

}  // namespace ffrun
