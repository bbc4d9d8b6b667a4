#include "Render.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Failure.h"
#include "Ffmpeg.h"
#include "Progress.h"
#include "TestCard.h"

namespace ffrun {
namespace {

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

constexpr Size kTestCardSize{640, 360};
constexpr double kStillFps = 30.0;
// Frames rendered from a still into a clip when --frames is not given.
constexpr int64_t kClipFrames = 60;

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseWholeNumber(const std::string& text, int64_t& number) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  number = std::strtoll(text.c_str(), nullptr, 10);
  return true;
}

float ParseValue(const std::string& text, const std::string& parameter, bool allowAnyValue) {
  const std::string trimmed = Trim(text);
  char* end = nullptr;
  errno = 0;
  const float value = std::strtof(trimmed.c_str(), &end);
  if (trimmed.empty() || end != trimmed.c_str() + trimmed.size())
    throw Failure("value '" + text + "' of " + parameter + " is not a number");
  if (!allowAnyValue && !(value >= 0.0f && value <= 1.0f))
    throw Failure("value " + trimmed + " of " + parameter +
                  " is outside 0.0 to 1.0 (add --allow-any-value to send it anyway)");
  return value;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary name keeps the extension, since ffmpeg picks the format by it.
std::string TemporaryNameFor(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string extension = LowerExtension(file);
  return folder + "." + file + ".ffrun-" + std::to_string(getpid()) + "-partial" +
         (extension.empty() ? "" : "." + extension);
}

// An output file under its temporary name until Commit renames it; removed otherwise.
class PendingFile {
 public:
  explicit PendingFile(std::string path)
      : finalPath(std::move(path)), temporaryPath(TemporaryNameFor(finalPath)) {}
  ~PendingFile() {
    if (!committed) unlink(temporaryPath.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  const std::string& Path() const { return temporaryPath; }
  void Commit() {
    if (rename(temporaryPath.c_str(), finalPath.c_str()) != 0)
      throw Failure("cannot write " + finalPath + ": " + std::strerror(errno));
    committed = true;
  }

 private:
  std::string finalPath, temporaryPath;
  bool committed = false;
};

void CheckOutputFolder(const std::string& path) {
  const std::string folder = FolderOf(path);
  if (access(folder.c_str(), W_OK) != 0)
    throw Failure("cannot write " + path + ": folder " + folder + ": " + std::strerror(errno));
}

// Keeps the last frame: the still shows where the animation got to.
class StillSink : public FrameSink {
 public:
  explicit StillSink(std::string path) : path(std::move(path)) {}
  void Write(const Image& frame, int64_t) override { last = frame; }
  void Finish() override { WriteStill(path, last); }

 private:
  std::string path;
  Image last;
};

// A name with one %d or %0Nd conversion (and %% for a percent sign).
class SequencePattern {
 public:
  explicit SequencePattern(const std::string& pattern) {
    bool converted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      if (pattern[i] != '%') {
        parts.back() += pattern[i];
        continue;
      }
      if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
        parts.back() += '%';
        ++i;
        continue;
      }
      std::size_t j = i + 1;
      while (j < pattern.size() && j - i <= 3 && pattern[j] >= '0' && pattern[j] <= '9') ++j;
      if (converted || j >= pattern.size() || pattern[j] != 'd')
        throw Failure("output " + pattern +
                      " is not a numbered name: use one %d or %0Nd, for example out-%04d.png");
      digits = j > i + 1 ? static_cast<int>(std::strtol(pattern.c_str() + i + 1, nullptr, 10)) : 0;
      converted = true;
      parts.emplace_back();
      i = j;
    }
  }
  static bool IsPattern(const std::string& path) { return path.find('%') != std::string::npos; }
  std::string Name(int64_t number) const {
    std::string digitsText = std::to_string(number);
    if (digitsText.size() < static_cast<std::size_t>(digits))
      digitsText.insert(0, static_cast<std::size_t>(digits) - digitsText.size(), '0');
    return parts.front() + digitsText + parts.back();
  }

 private:
  std::vector<std::string> parts{std::string()};
  int digits = 0;
};

// Frames stay under temporary names until the last is written, so that a failed render
// leaves no sequence that looks complete.
class SequenceSink : public FrameSink {
 public:
  explicit SequenceSink(const std::string& path) : pattern(path) {
    if (!ImageLibraryWrites(path))
      throw Failure("a numbered sequence " + path + " must be .png, .jpg, .bmp or .tga");
  }
  void Write(const Image& frame, int64_t frameNumber) override {
    const std::string name = pattern.Name(frameNumber);
    files.push_back(std::make_unique<PendingFile>(name));
    if (!WriteStillWithImageLibrary(files.back()->Path(), frame))
      throw Failure("cannot write " + name);
  }
  void Finish() override {
    for (const std::unique_ptr<PendingFile>& file : files) file->Commit();
  }

 private:
  SequencePattern pattern;
  std::vector<std::unique_ptr<PendingFile>> files;
};

class VideoSink : public FrameSink {
 public:
  VideoSink(const std::string& path, Size size, double fps)
      : file(path), writer(file.Path(), path, size, fps) {}
  void Write(const Image& frame, int64_t) override { writer.Write(frame); }
  void Finish() override {
    writer.Finish();
    file.Commit();
  }

 private:
  PendingFile file;
  VideoWriter writer;
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual bool Next(Image& frame) = 0;
  Size size;
  double fps = kStillFps;
  std::optional<int64_t> total;
};

class StillSource : public FrameSource {
 public:
  StillSource(Image picture, int64_t count) : picture(std::move(picture)) {
    size = this->picture.size;
    total = count;
  }
  bool Next(Image& frame) override {
    if (given == *total) return false;
    ++given;
    frame = picture;
    return true;
  }

 private:
  Image picture;
  int64_t given = 0;
};

class VideoSource : public FrameSource {
 public:
  VideoSource(const std::string& path, const VideoProbe& probe, std::optional<Size> resize,
              std::optional<int64_t> frameLimit)
      : reader(path, resize.value_or(probe.size), frameLimit) {
    size = resize.value_or(probe.size);
    fps = probe.fps;
    total = probe.frameCount;
    if (frameLimit && (!total || *total > *frameLimit)) total = frameLimit;
  }
  bool Next(Image& frame) override { return reader.Read(frame); }

 private:
  VideoReader reader;
};

std::unique_ptr<FrameSource> OpenSource(const ApplyOptions& options, bool stillOutput) {
  const int64_t stillFrames = options.frames.value_or(stillOutput ? 1 : kClipFrames);
  if (options.input.empty())
    return std::make_unique<StillSource>(DrawTestCard(options.size.value_or(kTestCardSize)),
                                         stillFrames);
  if (access(options.input.c_str(), R_OK) != 0)
    throw Failure("cannot read input " + options.input + ": " + std::strerror(errno));
  Image picture;
  if (TryReadStill(options.input, picture)) {
    if (options.size) picture = Resized(picture, *options.size);
    return std::make_unique<StillSource>(std::move(picture), stillFrames);
  }
  const VideoProbe probe = ProbeVideo(options.input);
  CheckFrameSize(options.size.value_or(probe.size));
  return std::make_unique<VideoSource>(options.input, probe, options.size, options.frames);
}

}  // namespace

void WriteStill(const std::string& path, const Image& image) {
  PendingFile file(path);
  if (ImageLibraryWrites(path)) {
    if (!WriteStillWithImageLibrary(file.Path(), image)) throw Failure("cannot write " + path);
  } else {
    VideoWriter writer(file.Path(), path, image.size, kStillFps);
    writer.Write(image);
    writer.Finish();
  }
  file.Commit();
}

std::vector<Assignment> ParseAssignments(const std::string& text) {
  std::vector<Assignment> assignments;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    start = comma + 1;
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos || Trim(item.substr(0, equals)).empty())
      throw Failure("setting '" + item + "' is not Name=value");
    assignments.push_back({Trim(item.substr(0, equals)), item.substr(equals + 1)});
  }
  return assignments;
}

StepRequest ParseStepRequest(const std::string& text) {
  // A path may hold colons in its folders, so the settings start after the file name.
  const std::size_t slash = text.rfind('/');
  const std::size_t colon = text.find(':', slash == std::string::npos ? 0 : slash);
  StepRequest request{text.substr(0, colon), {}};
  if (request.plugin.empty()) throw Failure("plug-in '" + text + "' has no name");
  if (colon != std::string::npos) request.assignments = ParseAssignments(text.substr(colon + 1));
  return request;
}

ScheduledChange ParseScheduledChange(const std::string& text) {
  const std::size_t colon = text.find(':');
  ScheduledChange change;
  if (colon == std::string::npos || !ParseWholeNumber(text.substr(0, colon), change.frame))
    throw Failure("--set " + text + " is not FRAME:Name=value (for example 30:Amount=0.8)");
  std::string rest = text.substr(colon + 1);
  const std::size_t stepColon = rest.find(':');
  if (stepColon != std::string::npos && stepColon < rest.find('=')) {
    change.step = rest.substr(0, stepColon);
    rest = rest.substr(stepColon + 1);
  }
  change.assignments = ParseAssignments(rest);
  return change;
}

EffectChain::EffectChain(const std::vector<StepRequest>& requests, Size size, bool allowAnyValue)
    : allowAnyValue(allowAnyValue) {
  std::vector<std::vector<Change>> settings;
  for (const StepRequest& request : requests) {
    steps.push_back({FindPlugin(request.plugin), nullptr});
    steps.back().library->RequireVideoEffect();
    settings.push_back(Resolve(std::to_string(steps.size()), request.assignments));
  }
  for (Step& step : steps)
    step.instance = std::make_unique<PluginInstance>(*step.library, size.width, size.height);
  for (const std::vector<Change>& changes : settings) Apply(changes);
}

std::size_t EffectChain::FindStep(const std::string& step) const {
  if (step.empty()) return 0;
  int64_t position = 0;
  if (ParseWholeNumber(step, position)) {
    if (position >= 1 && static_cast<std::size_t>(position) <= steps.size())
      return static_cast<std::size_t>(position - 1);
  }
  for (std::size_t i = 0; i < steps.size(); ++i)
    if (steps[i].library->Answers(step)) return i;
  throw Failure("no step " + step + " in the chain " + Describe());
}

std::vector<EffectChain::Change> EffectChain::Resolve(
    const std::string& step, const std::vector<Assignment>& assignments) const {
  const std::size_t index = FindStep(step);
  const PluginLibrary& library = *steps[index].library;
  std::vector<Change> changes;
  for (const Assignment& assignment : assignments) {
    const std::optional<ParameterInfo> parameter = library.FindParameter(assignment.parameter);
    if (!parameter)
      throw Failure("plug-in " + library.Name() + " has no parameter " + assignment.parameter +
                    " (its parameters: " + library.ParameterNames() + ")");
    if (parameter->type == ff::FF_TYPE_TEXT)
      throw Failure("parameter " + parameter->name + " of " + library.Name() +
                    " takes text, which ffrun does not send");
    changes.push_back(
        {index, *parameter, ParseValue(assignment.value, parameter->name, allowAnyValue)});
  }
  return changes;
}

void EffectChain::Apply(const std::vector<Change>& changes) {
  for (const Change& change : changes)
    steps[change.step].instance->SetParameter(change.parameter, change.value);
}

void EffectChain::Process(Image& frame, int64_t frameNumber) {
  for (Step& step : steps)
    if (!step.instance->ProcessFrame(frame.pixels.data()))
      throw Failure("plug-in " + step.library->Name() + " answers FF_FAIL for frame " +
                    std::to_string(frameNumber));
}

std::string EffectChain::Describe() const {
  std::string chain;
  for (const Step& step : steps) chain += (chain.empty() ? "" : " > ") + step.library->Name();
  return chain;
}

std::unique_ptr<FrameSink> OpenSink(const std::string& path, Size size, double fps) {
  CheckOutputFolder(path);
  if (SequencePattern::IsPattern(path)) return std::make_unique<SequenceSink>(path);
  if (IsStillName(path)) return std::make_unique<StillSink>(path);
  return std::make_unique<VideoSink>(path, size, fps);
}

void RunApply(const ApplyOptions& options) {
  // Constructors of the effects draw random numbers too, so the seed comes before any load.
  std::srand(options.seed.value_or(static_cast<unsigned>(std::time(nullptr))));
  const bool stillOutput =
      !SequencePattern::IsPattern(options.output) && IsStillName(options.output);
  std::unique_ptr<FrameSource> source = OpenSource(options, stillOutput);
  EffectChain chain(options.steps, source->size, options.allowAnyValue);
  std::vector<std::pair<int64_t, std::vector<EffectChain::Change>>> schedule;
  for (const ScheduledChange& change : options.changes)
    schedule.emplace_back(change.frame, chain.Resolve(change.step, change.assignments));
  std::unique_ptr<FrameSink> sink =
      OpenSink(options.output, source->size, options.fps.value_or(source->fps));
  Progress progress(!options.quiet, options.steps.empty() ? "ffrun" : chain.Describe(),
                    source->total);
  Image frame;
  int64_t frameNumber = 0;
  for (; source->Next(frame); ++frameNumber) {
    ThrowIfInterrupted();
    for (const auto& [frameOfChange, changes] : schedule)
      if (frameOfChange == frameNumber) chain.Apply(changes);
    chain.Process(frame, frameNumber);
    sink->Write(frame, frameNumber);
    progress.FrameDone();
  }
  if (frameNumber == 0) throw Failure("input " + options.input + " has no frames");
  sink->Finish();
}

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A child that ends early shows up as a failed write, with its own message.
  signal(SIGPIPE, SIG_IGN);
}

void ThrowIfInterrupted() {
  if (interrupted) throw Failure("interrupted");
}

bool Interrupted() {
  return interrupted != 0;
}

}  // namespace ffrun
