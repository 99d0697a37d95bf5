// The sequential and ISAM failure tables of data-file access.
#include "recacc/access_failure.h"

#include "platform/system_error.h"

namespace qel::recacc {
namespace {

namespace pf = qel::platform;

uint32_t ByOperation(Operation op) {
  switch (op) {
    case Operation::kOpen:
      return kStatusOpenError;
    case Operation::kRead:
      return kStatusReadError;
    case Operation::kWrite:
      return kStatusWriteError;
    case Operation::kClose:
      return kStatusCloseError;
    case Operation::kOther:
      break;
  }
  return kStatusApplication;
}

bool NotFound(int system_error) {
  return system_error == pf::kErrorFileNotFound || system_error == pf::kErrorPathNotFound;
}

// ISAM error numbers the mapping looks at.
inline constexpr int kIsamNoFile = 2;
inline constexpr int kIsamDuplicate = 100;
inline constexpr int kIsamNoRecord = 111;
inline constexpr int kIsamNotOpen = 101;
inline constexpr int kIsamBadArgument = 102;
inline constexpr int kIsamTooManyFiles = 104;
inline constexpr int kIsamRecordLocked = 107;
inline constexpr int kIsamEndOfFile = 110;
inline constexpr int kIsamNoCurrent = 112;
inline constexpr int kIsamFileLocked = 113;
inline constexpr int kIsamBadName = 114;
inline constexpr int kIsamSystemError = 1010;

}  // namespace

Failure MapSequentialFailure(int sequential_status, int system_error, Operation op) {
  // Status 0 is a failure of the open itself, status 1 a failed transfer.
  bool system = sequential_status == 0 || sequential_status == 1;
  if (system && NotFound(system_error)) return {kStatusNotFound};
  if (sequential_status == 0) {
    if (system_error == pf::kErrorAccessDenied) return {kStatusAccessDenied};
    if (system_error == pf::kErrorSharingViolation || system_error == pf::kErrorLockViolation) {
      return {kStatusInUse};
    }
  }
  switch (sequential_status) {
    case 2:
      return {kStatusBadRecordLength};
    case 3:
      return {kStatusOrganisation};
    case 99:
      return {kStatusBufferLength};
    default:
      break;
  }
  return {ByOperation(op), system ? system_error : sequential_status};
}

Failure MapIsamFailure(int result, int error, int system_error, Operation op) {
  if (result == -2) return {kStatusThreadBusy};
  switch (error) {
    case kIsamNoFile:
      return {kStatusNotFound};
    case kIsamNotOpen:
      return {kStatusCallOrder};
    case kIsamBadArgument:
      return {kStatusOrganisation};
    case kIsamTooManyFiles:
      return {kStatusOutOfMemory};
    case kIsamRecordLocked:
    case kIsamFileLocked:
      return {kStatusInUse};
    case kIsamEndOfFile:
      return {kStatusEndOfFile};
    case kIsamNoCurrent:
      return {kStatusApplication};
    case kIsamBadName:
      return {kStatusFileName};
    case kIsamSystemError:
      if (system_error == pf::kErrorPathNotFound) return {kStatusNotFound};
      if (system_error == pf::kErrorAccessDenied) return {kStatusAccessDenied};
      break;
    default:
      break;
  }
  return {ByOperation(op), error};
}

Failure MapKeyedIsamFailure(int result, int error, int system_error, KeyedOperation op) {
  if (result == -2) return {kStatusThreadBusy};
  switch (error) {
    case kIsamDuplicate:
      if (op == KeyedOperation::kAdd) return {kStatusDuplicateKey};
      if (op == KeyedOperation::kReplace) return {kStatusDuplicateOnReplace};
      break;
    case kIsamRecordLocked:
      return {kStatusRecordLocked};
    case kIsamNoRecord:
      return {kStatusNoSuchKey};
    case kIsamFileLocked:
      return {kStatusInUse};
    case kIsamNoFile:
    case kIsamNotOpen:
    case kIsamBadArgument:
    case kIsamTooManyFiles:
    case kIsamEndOfFile:
    case kIsamNoCurrent:
    case kIsamBadName:
    case kIsamSystemError: {
      Failure f = MapIsamFailure(result, error, system_error, Operation::kOther);
      if (f.sub_code == Failure::kNoSubCode) return f;
      break;
    }
    default:
      break;
  }
  switch (op) {
    case KeyedOperation::kOpen:
      return {kStatusOpenError, error};
    case KeyedOperation::kGet:
      return {kStatusReadError, error};
    case KeyedOperation::kAdd:
    case KeyedOperation::kReplace:
      return {kStatusWriteError, error};
    case KeyedOperation::kDelete:
      return {kStatusDeleteError, error};
    case KeyedOperation::kClose:
      break;
  }
  return {kStatusCloseError, error};
}

}  // namespace qel::recacc
