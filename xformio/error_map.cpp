// Failure to message number mappings of the sequential, CSV and text files.
#include "xformio/error_map.h"

#include <cstdio>
#include <cstring>

#include "platform/system_error.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {
namespace {

inline constexpr int kTextSize = 10;

bool NotFound(int code) {
  return code == platform::kErrorFileNotFound || code == platform::kErrorPathNotFound;
}
bool InUse(int code) {
  return code == platform::kErrorSharingViolation || code == platform::kErrorLockViolation;
}

void PutCode(char* text, int code) {
  if (text != nullptr) std::snprintf(text, kTextSize, "%d", code);
}

}  // namespace

int MapSequentialError(int status, int system_error, int operation, char* text) {
  if (text != nullptr) std::memset(text, 0, kTextSize);
  if (status == ISUSAM_ST_RECLEN) return -2617;
  if (status == ISUSAM_ST_KIND) return -2613;
  if (NotFound(system_error)) return -3610;
  if (InUse(system_error)) return -3613;
  if (status == ISUSAM_ST_IO && system_error == platform::kErrorAccessDenied) return -3612;
  PutCode(text, system_error);
  switch (operation) {
    case 1: return -3620;
    case 2: return -3622;
    case 3: return -3623;
    default: return -3621;
  }
}

int MapLineFileError(FileKind kind, int system_error, int operation, char* text) {
  if (text != nullptr) std::memset(text, 0, kTextSize);
  bool csv = kind == FileKind::kCsv;
  if (NotFound(system_error)) return csv ? -2728 : -2727;
  if (system_error == platform::kErrorAccessDenied) return -3712;
  if (InUse(system_error)) return csv ? -3713 : -3714;
  PutCode(text, system_error);
  switch (operation) {
    case 1: return csv ? -3720 : -3724;
    case 2: return -3722;
    case 3: return -3723;
    default: return csv ? -3721 : -3725;
  }
}

}  // namespace qel::xformio

extern "C" {

int KVsamerr(int status, char* text, int operation) {
  return qel::xformio::MapSequentialError(status, qel::platform::LastSystemError(), operation,
                                          text);
}

int KVcsverr(char* text, int operation) {
  return qel::xformio::MapLineFileError(qel::xformio::FileKind::kCsv,
                                        qel::platform::LastSystemError(), operation, text);
}

int KVtexterr(char* text, int operation) {
  return qel::xformio::MapLineFileError(qel::xformio::FileKind::kText,
                                        qel::platform::LastSystemError(), operation, text);
}

}  // extern "C"
