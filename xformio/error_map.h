// Mapping of failures to the negative message numbers the callers show, and
// of the system error code into the message's text insert.
#ifndef QEL_XFORMIO_ERROR_MAP_H_
#define QEL_XFORMIO_ERROR_MAP_H_

namespace qel::xformio {

enum class FileKind { kCsv, kText };

// `status`: a sequential status or the failed call's result; `system_error`:
// the Windows-numbered code; `operation`: 1 open, 2 read, 3 write, 0 close.
// Clears the 10-byte `text` and, for the general messages, writes the
// decimal system error into it. Returns -(message number).
int MapSequentialError(int status, int system_error, int operation, char* text);
int MapLineFileError(FileKind kind, int system_error, int operation, char* text);

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_ERROR_MAP_H_
