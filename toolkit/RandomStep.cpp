#include "RandomStep.h"

#include <cstdlib>

namespace ff {

int32_t RandomStep(int32_t n) {
  const int64_t reach = n < 0 ? 0 : n;
  const int64_t step = std::rand() % (2 * reach + 1) - reach;
  return step == 0 ? 1 : static_cast<int32_t>(step);
}

}  // namespace ff
