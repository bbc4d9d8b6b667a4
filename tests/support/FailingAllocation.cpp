#include "FailingAllocation.h"

#include <dlfcn.h>

#include <cstdlib>
#include <new>

namespace {

std::size_t successesBeforeFailing = 0;
std::size_t pendingFailures = 0;

using NothrowArrayNew = void* (*)(std::size_t, const std::nothrow_t&);

NothrowArrayNew NextNothrowArrayNew() {
  static const NothrowArrayNew next =
      reinterpret_cast<NothrowArrayNew>(dlsym(RTLD_NEXT, "_ZnamRKSt9nothrow_t"));
  if (next == nullptr) std::abort();
  return next;
}

}  // namespace

namespace failing_allocation {

void FailNext(std::size_t count, std::size_t succeeding) {
  pendingFailures = count;
  successesBeforeFailing = succeeding;
}

std::size_t Pending() {
  return pendingFailures;
}

}  // namespace failing_allocation

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  if (successesBeforeFailing > 0) {
    --successesBeforeFailing;
  } else if (pendingFailures > 0) {
    --pendingFailures;
    return nullptr;
  }
  return NextNothrowArrayNew()(size, tag);
}
