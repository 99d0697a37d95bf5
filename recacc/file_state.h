// The library's private block of an open data file, kept in the DTF's
// keyed-state field from the open to the close: the ISAM binding of an
// indexed file, and the position of keyed access.
#ifndef QEL_RECACC_FILE_STATE_H_
#define QEL_RECACC_FILE_STATE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "recacc/isam_binding.h"
#include "recacc/qelrecacc.h"

namespace qel::recacc {

// Codes of the DTF's last and current function.
inline constexpr int32_t kFunctionNone = 0;
inline constexpr int32_t kFunctionOpen = 1;
inline constexpr int32_t kFunctionRead = 2;
inline constexpr int32_t kFunctionWrite = 3;
inline constexpr int32_t kFunctionDelete = 4;
inline constexpr int32_t kFunctionClose = 0;  // a close leaves "none or closed"

inline constexpr int32_t kModeInput = 1;
inline constexpr int32_t kModeOutput = 2;
inline constexpr int32_t kModeUpdate = 3;

struct FileState {
  // Set for an indexed file: the file's own load of the ISAM library.
  std::unique_ptr<IsamBinding> isam;
  // Opened by KRACOpen2.
  bool keyed = false;
  int32_t last_get = -1;
  int32_t last_put = -1;
  int32_t current_key = 1;  // 1-based
  keydesc key{};            // description of the current key
  // Relative (sequential) files.
  int64_t file_size = 0;
  int32_t record_count = 0;
  int32_t current_record = 0;  // 1-based, 0 when none
  bool no_current = true;
  bool reposition = false;  // first/last must start the current key again
};

inline FileState* StateOf(DTF* dtf) { return static_cast<FileState*>(dtf->keyed_state); }

}  // namespace qel::recacc

#endif  // QEL_RECACC_FILE_STATE_H_
