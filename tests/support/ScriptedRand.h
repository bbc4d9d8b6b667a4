// The test executable's own rand(): plug-ins call the C library's rand(), and because the test
// executable exports this definition, their calls land here. Tests queue exact values; when the
// queue is empty a fixed linear congruential generator answers, so runs repeat exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace rand_script {

// Empties the queue, zeroes the call count and seeds the fallback generator.
void Reset(uint32_t seed = 1);
void Push(std::initializer_list<int> values);
void Push(const std::vector<int>& values);
// rand() calls since the last Reset.
std::size_t Calls();
// Queued values not drawn yet.
std::size_t Pending();

}  // namespace rand_script
