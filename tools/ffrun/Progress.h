// The progress line of multi-frame work: frames done (and the total when known), frames per
// second and the time left, redrawn in place on a terminal a few times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace ffrun {

class Progress {
 public:
  // Shown only when enabled and stderr is a terminal.
  Progress(bool enabled, std::string label, std::optional<int64_t> total);
  ~Progress();
  void FrameDone();

 private:
  void Draw();
  bool shown;
  std::string label;
  std::optional<int64_t> total;
  int64_t done = 0;
  std::chrono::steady_clock::time_point start, lastDrawn;
};

}  // namespace ffrun
