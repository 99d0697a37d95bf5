// Windows-numbered system error codes and the per-thread last error.
#include "platform/system_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace qel::platform {
namespace {

thread_local int last_system_error = 0;

// ENOENT means "path not found" on Windows when a directory on the way is
// missing, and "file not found" when only the last component is.
bool ParentDirectoryExists(const char* path) {
  std::string p(path);
  auto slash = p.find_last_of('/');
  if (slash == std::string::npos) return true;
  std::string parent = slash == 0 ? std::string("/") : p.substr(0, slash);
  struct stat st;
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int SystemErrorFromErrno(int errno_value, const char* path) {
  switch (errno_value) {
    case ENOENT:
      return (path != nullptr && !ParentDirectoryExists(path)) ? kErrorPathNotFound
                                                               : kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ELOOP:
      return kErrorAccessDenied;
    case EWOULDBLOCK:
      return kErrorSharingViolation;
    case EEXIST:
      return kErrorFileExists;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ENAMETOOLONG:
      return kErrorNameTooLong;
    case EIO:
      return kErrorIoDevice;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EINVAL:
      return kErrorInvalidParameter;
    case EPIPE:
      return kErrorBrokenPipe;
    case EFBIG:
      return kErrorFileTooLarge;
    default:
      return errno_value;
  }
}

int LastSystemError() { return last_system_error; }

void SetLastSystemError(int code) { last_system_error = code; }

}  // namespace qel::platform
