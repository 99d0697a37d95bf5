// The one open wrapper of the sequential, CSV and text files: the C runtime
// flags the callers pass, turned into the platform's dispositions, always
// without sharing. An input file is opened for reading only: the exclusive
// lock works on a read-only descriptor as well, and only a read-only open
// lets a FIFO or pipe see its writer's end, and lets a file the user may
// not write, or one on a read-only mount, be read at all.
#ifndef QEL_XFORMIO_FILE_OPEN_H_
#define QEL_XFORMIO_FILE_OPEN_H_

#include "platform/file.h"
#include "platform/system_error.h"

namespace qel::xformio {

// Windows-numbered codes this library sets itself.
using platform::kErrorInvalidHandle;
using platform::kErrorInvalidParameter;
using platform::kErrorNotEnoughMemory;

// flags: 0x0001 write only, 0x0002 read and write, neither of them read
// only (a create is always opened for writing), 0x0100 create, 0x0200
// truncate. Create alone fails with 80 when the file exists; create with
// truncate truncates or creates. Returns the handle or kInvalidFile with the
// system error set.
platform::FileHandle OpenWithFlags(const char* name, int flags);

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_FILE_OPEN_H_
