// Loading the ISAM library and fetching its entry points by name.
#include "recacc/isam_binding.h"

#include <atomic>
#include <new>

#include "platform/system_error.h"

namespace qel::recacc {
namespace {

namespace pf = qel::platform;

std::atomic<int> g_live{0};

template <typename F>
bool Fetch(pf::LibraryHandle library, const char* name, F** out) {
  // dlsym hands out an object pointer; the conversion to a function pointer
  // is what POSIX guarantees for it.
  *out = reinterpret_cast<F*>(pf::FindEntryPoint(library, name));
  return *out != nullptr;
}

}  // namespace

std::unique_ptr<IsamBinding> IsamBinding::Load(const char* name) {
  pf::LibraryHandle library = pf::LoadLibraryByName(name);
  if (library == nullptr) return nullptr;
  IsamCalls c{};
  bool ok = Fetch(library, "IsGetLastErrno", &c.IsGetLastErrno) &&
            Fetch(library, "IsGetLastSyserr", &c.IsGetLastSyserr) &&
            Fetch(library, "isopen", &c.isopen) && Fetch(library, "isclose", &c.isclose) &&
            Fetch(library, "isindexinfo", &c.isindexinfo) && Fetch(library, "isread", &c.isread) &&
            Fetch(library, "isstart", &c.isstart) && Fetch(library, "isrewrite", &c.isrewrite) &&
            Fetch(library, "iswrcurr", &c.iswrcurr) && Fetch(library, "isdelete", &c.isdelete) &&
            Fetch(library, "ldchar", &c.ldchar) && Fetch(library, "stchar", &c.stchar) &&
            Fetch(library, "ldint", &c.ldint) && Fetch(library, "stint", &c.stint) &&
            Fetch(library, "ldlong", &c.ldlong) && Fetch(library, "stlong", &c.stlong);
  if (!ok) {
    pf::ReleaseLibrary(library);
    return nullptr;
  }
  auto* binding = new (std::nothrow) IsamBinding(library, c);
  if (binding == nullptr) pf::ReleaseLibrary(library);
  return std::unique_ptr<IsamBinding>(binding);
}

IsamBinding::IsamBinding(pf::LibraryHandle handle, const IsamCalls& calls)
    : handle_(handle), calls_(calls) {
  ++g_live;
}

IsamBinding::~IsamBinding() {
  pf::ReleaseLibrary(handle_);
  --g_live;
}

int IsamBinding::Live() { return g_live.load(); }

void IsamBinding::LastError(int* error, int* system_error) const {
  // The library reports operating-system errors as errno values; the
  // mappings speak the Windows numbering of the rest of the suite.
  *error = calls_.IsGetLastErrno();
  *system_error = *error == 1010 ? pf::SystemErrorFromErrno(calls_.IsGetLastSyserr()) : 0;
}

Failure IsamBinding::LastFailure(int result, Operation op) const {
  int error = 0, system_error = 0;
  if (result != -2) LastError(&error, &system_error);
  return MapIsamFailure(result, error, system_error, op);
}

Failure IsamBinding::LastKeyedFailure(int result, KeyedOperation op) const {
  int error = 0, system_error = 0;
  if (result != -2) LastError(&error, &system_error);
  return MapKeyedIsamFailure(result, error, system_error, op);
}

}  // namespace qel::recacc
