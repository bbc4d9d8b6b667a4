// Rendering frames through a chain of effect plug-ins: the chain itself, where the frames come
// from (a still, the test card or a video) and where they go (a still, a numbered sequence or a
// video), each output written under a temporary name and renamed when complete.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Image.h"
#include "Plugin.h"

namespace ffrun {

struct Assignment {
  std::string parameter;  // a reported name or an index
  std::string value;
};

// -p PLUGIN[:Name=value,...]
struct StepRequest {
  std::string plugin;
  std::vector<Assignment> assignments;
};
StepRequest ParseStepRequest(const std::string& text);

// --set FRAME:[STEP:]Name=value,...  (STEP: a 1-based chain position or a plug-in name)
struct ScheduledChange {
  int64_t frame = 0;
  std::string step;
  std::vector<Assignment> assignments;
};
ScheduledChange ParseScheduledChange(const std::string& text);
std::vector<Assignment> ParseAssignments(const std::string& text);

class EffectChain {
 public:
  struct Change {
    std::size_t step;
    ParameterInfo parameter;
    float value;
  };

  EffectChain(const std::vector<StepRequest>& requests, Size size, bool allowAnyValue);
  // Checks every name and value of a change before any frame is rendered.
  std::vector<Change> Resolve(const std::string& step,
                              const std::vector<Assignment>& assignments) const;
  void Apply(const std::vector<Change>& changes);
  // Runs every step on the frame in order; throws Failure naming the frame when one fails.
  void Process(Image& frame, int64_t frameNumber);
  std::string Describe() const;
  const PluginLibrary& Library(std::size_t step) const { return *steps.at(step).library; }

 private:
  struct Step {
    std::unique_ptr<PluginLibrary> library;
    std::unique_ptr<PluginInstance> instance;
  };
  std::size_t FindStep(const std::string& step) const;
  std::vector<Step> steps;
  bool allowAnyValue;
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void Write(const Image& frame, int64_t frameNumber) = 0;
  // Completes the output; an output whose sink is destroyed unfinished is removed.
  virtual void Finish() = 0;
};

// Writes one picture under a temporary name and renames it when complete.
void WriteStill(const std::string& path, const Image& image);

// A still, a numbered sequence (a name with %d or %0Nd) or anything else through ffmpeg.
std::unique_ptr<FrameSink> OpenSink(const std::string& path, Size size, double fps);

struct ApplyOptions {
  std::vector<StepRequest> steps;
  std::vector<ScheduledChange> changes;
  std::string input;  // empty for the test card
  std::string output;
  std::optional<int64_t> frames;
  std::optional<Size> size;
  std::optional<double> fps;
  std::optional<unsigned> seed;
  bool quiet = false;
  bool allowAnyValue = false;
};

void RunApply(const ApplyOptions& options);

// Set by SIGINT or SIGTERM; rendering stops at the next frame and removes what it wrote.
void InstallInterruptHandlers();
void ThrowIfInterrupted();
bool Interrupted();

}  // namespace ffrun
