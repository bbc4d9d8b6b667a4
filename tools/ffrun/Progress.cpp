#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace ffrun {

Progress::Progress(bool enabled, std::string label, std::optional<int64_t> total)
    : shown(enabled && isatty(STDERR_FILENO)),
      label(std::move(label)),
      total(total),
      start(std::chrono::steady_clock::now()),
      lastDrawn(start) {}

Progress::~Progress() {
  if (shown && done > 0) {
    Draw();
    std::fputc('\n', stderr);
  }
}

void Progress::FrameDone() {
  ++done;
  const auto now = std::chrono::steady_clock::now();
  if (shown && now - lastDrawn >= std::chrono::milliseconds(100)) {
    lastDrawn = now;
    Draw();
  }
}

void Progress::Draw() {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double fps = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  char line[160];
  if (total && *total >= done && fps > 0) {
    const auto left = static_cast<long long>(static_cast<double>(*total - done) / fps + 0.5);
    std::snprintf(line, sizeof line, "%s: frame %lld/%lld, %.1f fps, %lld:%02lld left",
                  label.c_str(), static_cast<long long>(done), static_cast<long long>(*total), fps,
                  left / 60, left % 60);
  } else {
    std::snprintf(line, sizeof line, "%s: frame %lld, %.1f fps", label.c_str(),
                  static_cast<long long>(done), fps);
  }
  // Pad over the remains of a longer previous line.
  std::fprintf(stderr, "\r%-60s", line);
  std::fflush(stderr);
}

}  // namespace ffrun
