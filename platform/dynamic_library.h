// Loading a library by name and its entry points by name (dlopen/dlsym).
#ifndef QEL_PLATFORM_DYNAMIC_LIBRARY_H_
#define QEL_PLATFORM_DYNAMIC_LIBRARY_H_

#include "platform/export.h"

namespace qel::platform {

using LibraryHandle = void*;

// Loads `name` ("libidxfile.so"): a bare name is searched through the run
// path of the calling library ($ORIGIN) and the usual search path. nullptr
// when it cannot be loaded.
QEL_PLATFORM_EXPORT LibraryHandle LoadLibraryByName(const char* name);

// The entry point `symbol`, or nullptr.
QEL_PLATFORM_EXPORT void* FindEntryPoint(LibraryHandle library, const char* symbol);

QEL_PLATFORM_EXPORT void ReleaseLibrary(LibraryHandle library);

}  // namespace qel::platform

#endif  // QEL_PLATFORM_DYNAMIC_LIBRARY_H_
