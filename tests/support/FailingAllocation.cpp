#include "FailingAllocation.h"

#include <cstdint>
#include <new>

namespace {

std::size_t successesBeforeFailing = 0;
std::size_t pendingFailures = 0;

}  // namespace

namespace failing_allocation {

void FailNext(std::size_t count, std::size_t succeeding) {
  pendingFailures = count;
  successesBeforeFailing = succeeding;
}

std::size_t Pending() { return pendingFailures; }

ScratchAllocationsFail::ScratchAllocationsFail() { FailNext(SIZE_MAX); }
ScratchAllocationsFail::~ScratchAllocationsFail() { FailNext(0); }

}  // namespace failing_allocation

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (successesBeforeFailing > 0) {
    --successesBeforeFailing;
  } else if (pendingFailures > 0) {
    --pendingFailures;
    return nullptr;
  }
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
