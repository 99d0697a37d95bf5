// Dynamic loading over dlopen/dlsym.
#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string>

namespace qel::platform {
namespace {

// The directory this library was loaded from, with a trailing '/'.
std::string OwnDirectory() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&LoadLibraryByName), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::string();
  }
  std::string path = info.dli_fname;
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

LibraryHandle LoadLibraryByName(const char* name) {
  // dlopen of a null name is the main program itself, never a library.
  if (name == nullptr || *name == '\0') return nullptr;
  // A bare name is looked for beside this library first: that is what the
  // $ORIGIN run path means, and dlopen's own use of the caller's run path is
  // lost when a sanitizer intercepts the call.
  std::string own(name);
  if (own.find('/') == std::string::npos) {
    std::string beside = OwnDirectory() + own;
    if (!beside.empty() && beside[0] == '/' && ::access(beside.c_str(), F_OK) == 0) {
      if (LibraryHandle h = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
  }
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
