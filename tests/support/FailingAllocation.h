// Lets a test make scratch allocations fail. Effects obtain their scratch buffers with
// new (std::nothrow) T[n]; the test executable exports its own replacement of that operator, so
// the plug-ins' calls land here too. Unless a failure is pending it forwards to the next
// definition (the C++ runtime's, or a sanitizer's), so allocation and release stay paired.
#pragma once

#include <cstddef>

namespace failing_allocation {

// After `succeeding` more nothrow array allocations of the process, the next `count` answer null.
void FailNext(std::size_t count = 1, std::size_t succeeding = 0);
// Failures queued by FailNext that no allocation has taken yet.
std::size_t Pending();

}  // namespace failing_allocation
