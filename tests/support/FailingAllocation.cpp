#include "FailingAllocation.h"

#include <cstddef>
#include <new>

namespace {

bool failing = false;

}  // namespace

namespace failing_allocation {

ScratchAllocationsFail::ScratchAllocationsFail() { failing = true; }
ScratchAllocationsFail::~ScratchAllocationsFail() { failing = false; }

}  // namespace failing_allocation

// Forwards to the ordinary new[] so that the matching delete[] (a sanitizer's included) releases
// what it hands out.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (failing) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
