#include "FailingAllocation.h"

#include <dlfcn.h>

#include <cstddef>
#include <new>

namespace {

bool failing = false;

using NothrowArrayNew = void* (*)(std::size_t, const std::nothrow_t&) noexcept;

NothrowArrayNew NextNothrowArrayNew() {
  static const auto next =
      reinterpret_cast<NothrowArrayNew>(dlsym(RTLD_NEXT, "_ZnamRKSt9nothrow_t"));
  return next;
}

}  // namespace

namespace test {

FailingAllocations::FailingAllocations() {
  failing = true;
}
FailingAllocations::~FailingAllocations() {
  failing = false;
}

}  // namespace test

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  if (failing) return nullptr;
  return NextNothrowArrayNew()(size, tag);
}
