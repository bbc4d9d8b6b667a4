// ffrun demo: the test card through every plug-in of the pack with its defaults and a few
// showcase settings, one animated clip per plug-in and a contact sheet of them all.
#pragma once

#include <cstdint>
#include <string>

#include "Image.h"

namespace ffrun {

struct DemoOptions {
  std::string folder = "ffrun-demo";
  Size size{320, 180};
  int64_t framesPerSetting = 24;
  unsigned seed = 1;
  bool quiet = false;
};

void RunDemo(const DemoOptions& options);

}  // namespace ffrun
