// What the processor offers beyond the baseline the libraries are compiled for. The vector paths
// are built for x86 with GCC or Clang, through function-level target attributes, and chosen at
// run time; each library asks the processor once.
#pragma once

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define GLITCH_X86_VECTORS 1
#endif

namespace ff {

#ifdef GLITCH_X86_VECTORS
inline bool HasSsse3() {
  static const bool supported = __builtin_cpu_supports("ssse3");
  return supported;
}

inline bool HasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}
#endif

}  // namespace ff
