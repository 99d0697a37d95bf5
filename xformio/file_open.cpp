// Flag translation for every open of this library.
#include "xformio/file_open.h"

#include "platform/system_error.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {

platform::FileHandle OpenWithFlags(const char* name, int flags) {
  if (name == nullptr || *name == '\0') {
    platform::SetLastSystemError(platform::kErrorFileNotFound);
    return platform::kInvalidFile;
  }
  // The lock, not the access mode, keeps a writer of the same file out
  // while we read it.
  platform::FileAccess access = platform::FileAccess::kRead;
  if (flags & ISUSAM_O_WRONLY) {
    access = platform::FileAccess::kWrite;
  } else if ((flags & ISUSAM_O_RDWR) || (flags & ISUSAM_O_CREAT)) {
    access = platform::FileAccess::kReadWrite;
  }
  platform::Disposition disposition = platform::Disposition::kOpenExisting;
  if (flags & ISUSAM_O_CREAT) {
    disposition = (flags & ISUSAM_O_TRUNC) ? platform::Disposition::kCreateAlways
                                           : platform::Disposition::kCreateNew;
  }
  return platform::OpenFile(name, access, disposition, platform::ShareMode::kNone);
}

}  // namespace qel::xformio

extern "C" int QelXfioLastError(void) { return qel::platform::LastSystemError(); }
