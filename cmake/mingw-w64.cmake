# Windows builds made on Linux with Debian's mingw-w64 cross compilers, included by the
# toolchain file of each architecture after it has set GLITCH_MINGW_TARGET. The posix-thread
# flavour of the compilers is preferred because the framework guards plugMain with std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

foreach(tool IN ITEMS gcc g++)
  find_program(mingw_${tool} NAMES ${GLITCH_MINGW_TARGET}-${tool}-posix ${GLITCH_MINGW_TARGET}-${tool}
               NO_CACHE REQUIRED)
endforeach()
set(CMAKE_C_COMPILER ${mingw_gcc})
set(CMAKE_CXX_COMPILER ${mingw_g++})
set(CMAKE_RC_COMPILER ${GLITCH_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GLITCH_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC cannot align the stack to 32 bytes on 64-bit Windows, yet it may keep 32-byte AVX values
# there with aligned moves; the assembler makes every aligned vector move an unaligned one.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
