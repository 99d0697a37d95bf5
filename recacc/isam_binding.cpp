// Loading the ISAM library and fetching its entry points by name.
#include "recacc/isam_binding.h"

#include <atomic>

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
            Fetch(library, "isindexinfo", &c.isindexinfo) &&
            Fetch(library, "isread", &c.isread) && Fetch(library, "isstart", &c.isstart) &&
            Fetch(library, "isrewrite", &c.isrewrite) &&
            Fetch(library, "iswrcurr", &c.iswrcurr) && Fetch(library, "isdelete", &c.isdelete) &&
            Fetch(library, "ldchar", &c.ldchar) && Fetch(library, "stchar", &c.stchar) &&
            Fetch(library, "ldint", &c.ldint) && Fetch(library, "stint", &c.stint) &&
            Fetch(library, "ldlong", &c.ldlong) && Fetch(library, "stlong", &c.stlong);
  if (!ok) {
    pf::ReleaseLibrary(library);
    return nullptr;
  }
  return std::unique_ptr<IsamBinding>(new IsamBinding(library, c));
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

Failure IsamBinding::LastFailure(int result, Operation op) const {
  if (result == -2) return MapIsamFailure(result, 0, 0, op);
  // The library reports operating-system errors as errno values; the
  // mapping speaks the Windows numbering of the rest of the suite.
  int error = calls_.IsGetLastErrno();
  int system_error = error == 1010 ? pf::SystemErrorFromErrno(calls_.IsGetLastSyserr()) : 0;
  return MapIsamFailure(result, error, system_error, op);
}

}  // namespace qel::recacc
