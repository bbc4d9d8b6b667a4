#pragma once

#include <cstdint>

namespace ff {

// A random step of -n to -1 or 1 to n from exactly one rand() call; a draw of 0 becomes +1,
// so +1 is about twice as likely as any other step. n below 0 counts as 0.
int32_t RandomStep(int32_t n);

}  // namespace ff
