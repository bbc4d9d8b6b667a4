#include "ParameterScaling.h"

#include <cmath>

namespace ff {

int32_t ScaleParameter(float value, double factor) {
  const double product = static_cast<double>(value) * factor;
  if (std::isnan(product)) return 0;
  if (product >= 2147483647.0) return INT32_MAX;
  if (product <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(product);
}

}  // namespace ff
