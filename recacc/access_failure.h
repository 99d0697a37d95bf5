// Failure mappings of data-file access: what a failed sequential or ISAM call
// becomes as DTF status and sub-code. Pure functions over the numbers the
// failed call left behind, so that every caller maps them the same way.
#ifndef QEL_RECACC_ACCESS_FAILURE_H_
#define QEL_RECACC_ACCESS_FAILURE_H_

#include <cstdint>

namespace qel::recacc {

// Statuses of data-file access (KRAC message numbers).
inline constexpr uint32_t kStatusEndOfFile = 2690;
inline constexpr uint32_t kStatusFileName = 2610;
inline constexpr uint32_t kStatusAccessMode = 2611;
inline constexpr uint32_t kStatusBufferLength = 2612;
inline constexpr uint32_t kStatusOrganisation = 2613;
inline constexpr uint32_t kStatusRecordFormat = 2614;
inline constexpr uint32_t kStatusRecordSize = 2616;
inline constexpr uint32_t kStatusBadRecordLength = 2617;
inline constexpr uint32_t kStatusOutOfMemory = 3600;
inline constexpr uint32_t kStatusNotFound = 3610;
inline constexpr uint32_t kStatusAccessDenied = 3612;
inline constexpr uint32_t kStatusInUse = 3613;
inline constexpr uint32_t kStatusOpenError = 3620;
inline constexpr uint32_t kStatusCloseError = 3621;
inline constexpr uint32_t kStatusReadError = 3622;
inline constexpr uint32_t kStatusWriteError = 3623;
inline constexpr uint32_t kStatusCallOrder = 3630;
inline constexpr uint32_t kStatusIsamNotLoaded = 3680;
inline constexpr uint32_t kStatusThreadBusy = 3698;
inline constexpr uint32_t kStatusApplication = 3699;

// The call whose failure is mapped; it picks the status of an unlisted error.
enum class Operation { kOpen, kRead, kWrite, kClose, kOther };
// The same for the keyed calls; a duplicate key depends on add or replace.
enum class KeyedOperation { kOpen, kGet, kAdd, kReplace, kDelete, kClose };

inline constexpr uint32_t kStatusFileTooLarge = 2618;
inline constexpr uint32_t kStatusCannotAppend = 2619;
inline constexpr uint32_t kStatusDuplicateKey = 2622;
inline constexpr uint32_t kStatusRecordNumber = 2625;
inline constexpr uint32_t kStatusDuplicateOnReplace = 2626;
inline constexpr uint32_t kStatusLastRecord = 2691;
inline constexpr uint32_t kStatusFirstRecord = 2692;
inline constexpr uint32_t kStatusRecordLocked = 3614;
inline constexpr uint32_t kStatusNoSuchNumber = 3615;
inline constexpr uint32_t kStatusNoSuchKey = 3616;
inline constexpr uint32_t kStatusDeleteError = 3624;

// A status and the number for the sub-code (kNoSubCode: the sub-code stays
// empty).
struct Failure {
  static constexpr int kNoSubCode = -1;
  uint32_t status;
  int sub_code = kNoSubCode;
};

// A sequential call that returned -1: `sequential_status` is IsuSamRefStat's
// answer, `system_error` the Windows-numbered system error behind it.
Failure MapSequentialFailure(int sequential_status, int system_error, Operation op);

// An ISAM call that returned `result` (-1 or -2). `error` is the library's
// error number and `system_error` the system error behind error 1010, in
// Windows numbering.
Failure MapIsamFailure(int result, int error, int system_error, Operation op);

// The keyed calls' table of the same numbers.
Failure MapKeyedIsamFailure(int result, int error, int system_error, KeyedOperation op);

}  // namespace qel::recacc

#endif  // QEL_RECACC_ACCESS_FAILURE_H_
