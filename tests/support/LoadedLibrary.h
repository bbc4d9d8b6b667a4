// The operating system's loading of shared libraries, as the test host needs it: dlopen on
// Linux, LoadLibrary on Windows.
#pragma once

#include <string>

namespace test {

// Loads the library at path; throws std::runtime_error with the system's reason on failure.
void* OpenLibrary(const std::string& path);
// The address of an exported symbol, or null.
void* LibrarySymbol(void* library, const char* name);
void CloseLibrary(void* library);
// Tells apart the private library copies of test processes that run side by side.
unsigned long CurrentProcessId();

}  // namespace test
