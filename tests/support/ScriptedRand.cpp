#include "ScriptedRand.h"

#include <deque>

namespace {

std::deque<int> queued;
std::size_t calls = 0;
uint32_t fallbackState = 1;

}  // namespace

namespace rand_script {

void Reset(uint32_t seed) {
  queued.clear();
  calls = 0;
  fallbackState = seed;
}

void Push(std::initializer_list<int> values) { queued.insert(queued.end(), values); }
void Push(const std::vector<int>& values) { queued.insert(queued.end(), values.begin(), values.end()); }
std::size_t Calls() { return calls; }
std::size_t Pending() { return queued.size(); }

}  // namespace rand_script

extern "C" int rand(void) noexcept {
  ++calls;
  if (!queued.empty()) {
    const int value = queued.front();
    queued.pop_front();
    return value;
  }
  fallbackState = fallbackState * 1103515245u + 12345u;
  return static_cast<int>((fallbackState / 65536u) % 32768u);
}
