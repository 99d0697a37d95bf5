// The one open wrapper of the sequential, CSV and text files: the C runtime
// flags the callers pass, turned into the platform's dispositions, always
// without sharing.
#ifndef QEL_XFORMIO_FILE_OPEN_H_
#define QEL_XFORMIO_FILE_OPEN_H_

#include "platform/file.h"

namespace qel::xformio {

// Windows-numbered codes this library sets itself.
inline constexpr int kErrorInvalidHandle = 6;
inline constexpr int kErrorNotEnoughMemory = 8;
inline constexpr int kErrorInvalidParameter = 87;

// flags: 0x0001 write only (else read and write), 0x0100 create, 0x0200
// truncate. Create alone fails with 80 when the file exists; create with
// truncate truncates or creates. Returns the handle or kInvalidFile with the
// system error set.
platform::FileHandle OpenWithFlags(const char* name, int flags);

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_FILE_OPEN_H_
