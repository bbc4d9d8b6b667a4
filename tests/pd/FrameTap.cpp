// A pass-through effect for the host tests: it appends every frame it receives to the file named
// by the environment variable FRAME_TAP_VARIABLE and leaves the frame unchanged. Placed before an
// effect it records what the effect is given; placed after it, what the effect made. The tap
// before the effect also seeds rand() for the effect's frame (FRAME_TAP_SEEDS), so the effect's
// draws can be replayed by a test host from the seed written beside the frame.
#include <cstdio>
#include <cstdlib>

#include "EffectBase.h"
#include "PluginDescriptor.h"

namespace ff {

class FrameTapEffect : public EffectBase {
 protected:
  FFResult Render(const Frame& frame) override {
    const unsigned seed = kFirstSeed + framesSeen++;
    if (FRAME_TAP_SEEDS) std::srand(seed);
    const char* path = std::getenv(FRAME_TAP_VARIABLE);
    if (path == nullptr) return FF_FAIL;
    std::FILE* file = std::fopen(path, "ab");
    if (file == nullptr) return FF_FAIL;
    // One text line, then the frame's bytes: "frame <width> <height> <seed>\n".
    std::fprintf(file, "frame %d %d %u\n", frame.width, frame.height, seed);
    const bool written = std::fwrite(frame.pixels, 1, frame.Bytes(), file) == frame.Bytes();
    return std::fclose(file) == 0 && written ? FF_SUCCESS : FF_FAIL;
  }

 private:
  static constexpr unsigned kFirstSeed = 1000;
  unsigned framesSeen = 0;
};

const EffectRegistration<FrameTapEffect> registration(FRAME_TAP_ID, FRAME_TAP_NAME,
                                                      "records frames for the host tests");

}  // namespace ff
