// The binding of the outside ISAM library: loaded by name at each indexed
// open, its entry points fetched by name, released when the last file opened
// through the binding is closed.
#ifndef QEL_RECACC_ISAM_BINDING_H_
#define QEL_RECACC_ISAM_BINDING_H_

#include <memory>

#include "idxfile/idxfile.h"
#include "platform/dynamic_library.h"
#include "recacc/access_failure.h"

namespace qel::recacc {

// The ISAM library's file name. A bare name: it is looked for beside the
// suite's platform library first (the build tree's bin/, the installed lib/),
// then by the usual dynamic-loader search.
inline constexpr char kIsamLibraryName[] = "libidxfile.so";

// The entry points the suite calls. The library's record-number and
// machine-code calls are never called and not fetched.
struct IsamCalls {
  int (*IsGetLastErrno)();
  int (*IsGetLastSyserr)();
  int (*isopen)(const char* name, int mode);
  int (*isclose)(int fd);
  int (*isindexinfo)(int fd, void* buffer, int number);
  int (*isread)(int fd, char* record, int mode);
  int (*isstart)(int fd, keydesc* key, int length, char* record, int mode);
  int (*isrewrite)(int fd, char* record);
  int (*iswrcurr)(int fd, char* record);
  int (*isdelete)(int fd, char* record);
  void (*ldchar)(const char* from, int length, char* to);
  void (*stchar)(const char* from, char* to, int length);
  int (*ldint)(const char* from);
  void (*stint)(int value, char* to);
  long (*ldlong)(const char* from);
  void (*stlong)(long value, char* to);
};

// One load of the ISAM library. The dynamic loader counts loads, so the
// library stays mapped while any binding is alive: a file keeps its binding
// from its open until its close, whatever fails in between.
class IsamBinding {
 public:
  // Loads the library and fetches every entry point; nullptr when the
  // library cannot be loaded or lacks one of them.
  static std::unique_ptr<IsamBinding> Load(const char* name = kIsamLibraryName);
  ~IsamBinding();
  IsamBinding(const IsamBinding&) = delete;
  IsamBinding& operator=(const IsamBinding&) = delete;

  const IsamCalls& calls() const { return calls_; }

  // The number of bindings alive in the process: the loads of the library
  // not yet released.
  static int Live();

  // The status and sub-code number for a call that returned `result` (-1 or
  // -2), from the library's last error number and system error.
  Failure LastFailure(int result, Operation op) const;
  Failure LastKeyedFailure(int result, KeyedOperation op) const;

 private:
  IsamBinding(platform::LibraryHandle handle, const IsamCalls& calls);
  // The library's last error number and, behind 1010, its system error in
  // Windows numbering.
  void LastError(int* error, int* system_error) const;
  platform::LibraryHandle handle_;
  IsamCalls calls_;
};

}  // namespace qel::recacc

#endif  // QEL_RECACC_ISAM_BINDING_H_
