// rand_script on Windows, where the plug-ins call the C library DLL's rand() and no definition
// in the test executable can take its place. The executable shares that DLL, and with it the
// generator's state, so draws can still be counted: Reset seeds the generator, and Calls finds
// how far the generator has moved from that seed. Queued values cannot be handed out.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ScriptedRand.h"

namespace {

uint32_t seed = 1;

// The C library DLL's generator, step by step.
uint32_t Next(uint32_t state) {
  return state * 214013u + 2531011u;
}
int Output(uint32_t state) {
  return static_cast<int>((state >> 16) & 0x7FFF);
}

// How far Calls looks for the generator's position: well beyond what any test draws.
constexpr std::size_t kFarthestDraw = std::size_t{1} << 24;

}  // namespace

namespace rand_script {

void Reset(uint32_t newSeed) {
  seed = newSeed;
  std::srand(newSeed);
}

void Push(std::initializer_list<int>) {
  ADD_FAILURE() << "scripted draws need the Linux suite";
}
void Push(const std::vector<int>&) {
  ADD_FAILURE() << "scripted draws need the Linux suite";
}

// Two outputs in a row pin the position: a false match is one chance in 2^30 per step.
std::size_t Calls() {
  const int first = std::rand();
  const int second = std::rand();
  uint32_t state = seed;
  for (std::size_t draws = 0; draws < kFarthestDraw; ++draws) {
    const uint32_t firstState = Next(state);
    if (Output(firstState) == first && Output(Next(firstState)) == second) {
      std::srand(seed);
      for (std::size_t i = 0; i < draws; ++i) std::rand();
      return draws;
    }
    state = firstState;
  }
  ADD_FAILURE() << "the generator moved more than " << kFarthestDraw << " draws from its seed";
  return kFarthestDraw;
}

std::size_t Pending() {
  return 0;
}

}  // namespace rand_script
