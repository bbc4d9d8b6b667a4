// Lets a test make the plug-ins' scratch allocations fail. Effects obtain their scratch buffers
// with the nothrow form of new[]; the test executable exports its own replacement of that form,
// so the plug-ins' calls land here. Unless a failure is due it forwards to the ordinary new[], so
// that the matching delete[] (a sanitizer's included) releases what it hands out.
#pragma once

#include <cstddef>

namespace failing_allocation {

// After `succeeding` more nothrow array allocations of the process, the next `count` answer null.
void FailNext(std::size_t count = 1, std::size_t succeeding = 0);
// Failures queued by FailNext that no allocation has taken yet.
std::size_t Pending();

// Every nothrow array allocation fails while a guard lives.
class ScratchAllocationsFail {
 public:
  ScratchAllocationsFail();
  ~ScratchAllocationsFail();
  ScratchAllocationsFail(const ScratchAllocationsFail&) = delete;
  ScratchAllocationsFail& operator=(const ScratchAllocationsFail&) = delete;
};

}  // namespace failing_allocation
