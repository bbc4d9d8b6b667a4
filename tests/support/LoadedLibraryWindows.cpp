#include <windows.h>

#include <stdexcept>

#include "LoadedLibrary.h"

namespace test {

void* OpenLibrary(const std::string& path) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) {
    throw std::runtime_error("LoadLibrary failed for " + path + ": error " +
                             std::to_string(GetLastError()));
  }
  return reinterpret_cast<void*>(library);
}

void* LibrarySymbol(void* library, const char* name) {
  // Through a data pointer, which the caller turns into the function type it knows.
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

unsigned long CurrentProcessId() {
  return GetCurrentProcessId();
}

}  // namespace test
