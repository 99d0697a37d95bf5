// The system error codes the suite reports, numbered as on Windows, and the
// per-thread "last system error" every library leaves behind after a failed
// operating-system call.
#ifndef QEL_PLATFORM_SYSTEM_ERROR_H_
#define QEL_PLATFORM_SYSTEM_ERROR_H_

#include "platform/export.h"

namespace qel::platform {

// Codes the message mappings of the suite look at. Any errno without an entry
// here passes through unchanged.
inline constexpr int kErrorFileNotFound = 2;
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorTooManyOpenFiles = 4;
inline constexpr int kErrorAccessDenied = 5;  // also a directory, a read-only file system
inline constexpr int kErrorInvalidHandle = 6;
inline constexpr int kErrorNotEnoughMemory = 8;
inline constexpr int kErrorSharingViolation = 32;
inline constexpr int kErrorLockViolation = 33;
inline constexpr int kErrorFileExists = 80;
inline constexpr int kErrorInvalidParameter = 87;
inline constexpr int kErrorBrokenPipe = 109;
inline constexpr int kErrorDiskFull = 112;
inline constexpr int kErrorNameTooLong = 206;
inline constexpr int kErrorFileTooLarge = 223;
inline constexpr int kErrorIoDevice = 1117;  // the device reported an I/O error

// Maps an errno value to the code above. `path`, when given, lets ENOENT be
// told apart: 3 when a directory on the way is missing, 2 otherwise. An
// errno whose number would read as another Windows code (EIO is 5, "access
// denied"; EPIPE is 32, "sharing violation") always gets a code of its own.
QEL_PLATFORM_EXPORT int SystemErrorFromErrno(int errno_value, const char* path = nullptr);

// The code of the last failed operating-system call made through this layer
// on the calling thread ("the system error in errno"). One per process and
// thread, shared by every library of the suite.
QEL_PLATFORM_EXPORT int LastSystemError();
QEL_PLATFORM_EXPORT void SetLastSystemError(int code);

}  // namespace qel::platform

#endif  // QEL_PLATFORM_SYSTEM_ERROR_H_
