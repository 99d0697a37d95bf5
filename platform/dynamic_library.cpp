// Dynamic loading by name. A bare name is searched through this library's
// run path ($ORIGIN: the suite's libraries live in one directory), then the
// usual search path.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace qel::platform {

LibraryHandle LoadLibraryByName(const char* name) { return ::dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* FindEntryPoint(LibraryHandle library, const char* symbol) {
  if (library == nullptr) return nullptr;
  return ::dlsym(library, symbol);
}

void ReleaseLibrary(LibraryHandle library) {
  if (library != nullptr) ::dlclose(library);
}

}  // namespace qel::platform
