// Shared by the conversion I/O fuzz targets: puts the input bytes into a
// scratch file that the readers then open like any data file.
#ifndef QEL_FUZZ_XFORMIO_FUZZ_FILE_H_
#define QEL_FUZZ_XFORMIO_FUZZ_FILE_H_

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace qel::fuzz {

inline const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* tmp = getenv("TMPDIR");
    std::string dir = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/xfiofuzzXXXXXX";
    if (mkdtemp(dir.data()) == nullptr) abort();
    return dir + "/input";
  }();
  return path;
}

inline void WriteScratch(const uint8_t* data, size_t size) {
  platform::FileHandle f =
      platform::OpenFile(ScratchPath().c_str(), platform::FileAccess::kWrite,
                         platform::Disposition::kCreateAlways, platform::ShareMode::kAll);
  if (f == platform::kInvalidFile) abort();
  if (size > 0 && platform::WriteFile(f, data, size) != static_cast<int64_t>(size)) abort();
  platform::CloseFile(f);
}

}  // namespace qel::fuzz

#endif  // QEL_FUZZ_XFORMIO_FUZZ_FILE_H_
