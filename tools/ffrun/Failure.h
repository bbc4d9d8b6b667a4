// The one kind of error ffrun reports to its user: a complete, one-line message.
#pragma once

#include <stdexcept>
#include <string>

namespace ffrun {

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace ffrun
