// Scratch buffers are allocated with the nothrow form of new[]. The test executable replaces that
// form, so a test can make every such allocation of a plug-in fail while a guard lives and see
// how the effect answers.
#pragma once

namespace failing_allocation {

class ScratchAllocationsFail {
 public:
  ScratchAllocationsFail();
  ~ScratchAllocationsFail();
  ScratchAllocationsFail(const ScratchAllocationsFail&) = delete;
  ScratchAllocationsFail& operator=(const ScratchAllocationsFail&) = delete;
};

}  // namespace failing_allocation
