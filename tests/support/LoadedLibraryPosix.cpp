#include <dlfcn.h>
#include <unistd.h>

#include <stdexcept>

#include "LoadedLibrary.h"

namespace test {

void* OpenLibrary(const std::string& path) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
  return library;
}

void* LibrarySymbol(void* library, const char* name) {
  return dlsym(library, name);
}

void CloseLibrary(void* library) {
  dlclose(library);
}

unsigned long CurrentProcessId() {
  return static_cast<unsigned long>(getpid());
}

}  // namespace test
