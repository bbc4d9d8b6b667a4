// The built-in test card: colour bars, a grey ramp, a hue ramp, a dark region and fine detail,
// drawn at any size so that every effect shows what it does without any file.
#pragma once

#include "Image.h"

namespace ffrun {

Image DrawTestCard(Size size);

}  // namespace ffrun
