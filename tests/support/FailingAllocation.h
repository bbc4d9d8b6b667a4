// Makes the plug-ins' scratch allocations fail on demand. Effects allocate their per-frame
// buffers with nothrow array new; the test executable exports its own definition of that
// operator, which hands out nothing while a FailingAllocations object lives and otherwise passes
// the request on to the next definition in the process.
#pragma once

namespace test {

class FailingAllocations {
 public:
  FailingAllocations();
  ~FailingAllocations();
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace test
