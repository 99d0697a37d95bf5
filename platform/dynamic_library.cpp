// Dynamic loading over dlopen/dlsym.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace qel::platform {

LibraryHandle LoadLibraryByName(const char* name) {
  // dlopen of a null name is the main program itself, never a library.
  if (name == nullptr || *name == '\0') return nullptr;
  // dlopen searches the run path of the object that calls it; this layer is
  // built with $ORIGIN, so a bare name finds the suite's libraries beside it.
  return ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* FindEntryPoint(LibraryHandle library, const char* symbol) {
  if (library == nullptr || symbol == nullptr) return nullptr;
  return ::dlsym(library, symbol);
}

void ReleaseLibrary(LibraryHandle library) {
  if (library != nullptr) ::dlclose(library);
}

}  // namespace qel::platform
