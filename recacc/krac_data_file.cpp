// Record-by-record access to a data file through the DTF: KRACOpen,
// KRACRead, KRACWrite and KRACClose. Sequential files go through the
// sequential I/O library, indexed files through the ISAM binding. This is
// where their failures become DTF statuses and sub-codes.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "platform/system_error.h"
#include "recacc/access_failure.h"
#include "recacc/dtf_access.h"
#include "recacc/file_state.h"
#include "recacc/isam_binding.h"
#include "recacc/qelrecacc.h"
#include "xformio/qelxformio.h"

namespace qel::recacc {
namespace {

// Sequential open flags and permission (C runtime values).
inline constexpr int kFlagsExisting = 0;
inline constexpr int kFlagsExistingWrite = ISUSAM_O_WRONLY;
inline constexpr int kFlagsCreateNew = ISUSAM_O_CREAT | ISUSAM_O_WRONLY;
inline constexpr int kFlagsReplace = ISUSAM_O_TRUNC | ISUSAM_O_CREAT | ISUSAM_O_WRONLY;
inline constexpr int kPermission = 438;  // 0666
inline constexpr int kOpenExists = -2;   // IsuSamOpen: create-new met an existing file

inline constexpr int32_t kMinimumBlockSize = 8192;
// The sequential library's record and block lengths are 16-bit.
inline constexpr int32_t kMaximumSequentialRecord = 65535;

// Input open of an indexed file: read only, exclusive.
inline constexpr int kIsamInputMode = ISINPUT | ISEXCLLOCK;
static_assert(kIsamInputMode == 2048);

// Opens the sequential file into `handle`. Output replaces an existing file
// after checking that nobody else holds it.
bool OpenSequentialFile(DTF* dtf, IsuSamCtl* ctl, QelFileHandle* handle) {
  if (dtf->access_mode == kModeInput) {
    if (IsuSamOpen(dtf->data_path, kFlagsExisting, kPermission, 0, handle) != 0) {
      SetFailure(dtf, LastSequentialFailure(ctl, Operation::kOpen));
      return false;
    }
  } else {
    int r = IsuSamOpen(dtf->data_path, kFlagsCreateNew, kPermission, 0, handle);
    if (r == kOpenExists) {
      if (IsuSamOpen(dtf->data_path, kFlagsExistingWrite, kPermission, 0, handle) != 0) {
        SetFailure(dtf, LastSequentialFailure(ctl, Operation::kOpen));
        return false;
      }
      bool exclusive = CheckExclusive(dtf, ctl, *handle);
      IsuSamClose(*handle);
      *handle = -1;
      if (!exclusive) return false;
      r = IsuSamOpen(dtf->data_path, kFlagsReplace, kPermission, 0, handle);
    }
    if (r != 0) {
      SetFailure(dtf, LastSequentialFailure(ctl, Operation::kOpen));
      return false;
    }
  }
  if (!CheckExclusive(dtf, ctl, *handle)) {
    IsuSamClose(*handle);
    *handle = -1;
    return false;
  }
  return true;
}

bool OpenSequential(DTF* dtf) {
  if (dtf->record_length < 1 || dtf->record_length > kMaximumSequentialRecord) {
    SetStatus(dtf, kStatusBufferLength);
    return false;
  }
  auto length = static_cast<uint16_t>(dtf->record_length);
  dtf->block_size = std::max(kMinimumBlockSize, dtf->record_length);
  IsuSamCtl* ctl = nullptr;
  if (IsuSamTAlloc(&ctl, static_cast<uint16_t>(dtf->block_size)) != 0) {
    SetStatus(dtf, kStatusOutOfMemory);
    return false;
  }
  QelFileHandle handle = -1;
  if (!OpenSequentialFile(dtf, ctl, &handle)) {
    IsuSamTFree(ctl);
    return false;
  }
  IsuSamSetF(ctl, handle, dtf->record_area, length, length);
  dtf->sequential_control = ctl;
  dtf->file_number = handle;
  return true;
}

bool OpenIndexed(DTF* dtf) {
  std::unique_ptr<FileState> state(new (std::nothrow) FileState);
  if (!state) {
    SetStatus(dtf, kStatusOutOfMemory);
    return false;
  }
  state->isam = IsamBinding::Load();
  if (!state->isam) {
    SetStatus(dtf, kStatusIsamNotLoaded);
    return false;
  }
  const IsamBinding* isam = state->isam.get();
  const IsamCalls& is = isam->calls();
  int fd = is.isopen(dtf->data_path, kIsamInputMode);
  if (fd < 0) {
    SetFailure(dtf, isam->LastFailure(fd, Operation::kOpen));
    return false;
  }
  dictinfo info{};
  if (int r = is.isindexinfo(fd, &info, 0); r != 0) {
    SetFailure(dtf, isam->LastFailure(r, Operation::kOpen));
    is.isclose(fd);
    return false;
  }
  if (info.di_recsize != dtf->record_length) {
    SetStatus(dtf, kStatusRecordSize);
    is.isclose(fd);
    return false;
  }
  dtf->block_size = dtf->record_length;
  dtf->file_number = fd;
  dtf->keyed_state = state.release();
  return true;
}

int Open(DTF* dtf) {
  if (!Begin(dtf, kFunctionOpen, true)) return -1;
  std::string_view format = Code(dtf->record_format);
  if (format != "F" && format != "FB") {
    SetStatus(dtf, kStatusRecordFormat);
    return -1;
  }
  std::string_view organisation = Code(dtf->organisation);
  bool indexed = organisation == "VK";
  if (!indexed && organisation != "S") {
    SetStatus(dtf, kStatusOrganisation);
    return -1;
  }
  // Indexed output and update (keyed access has its own open) are refused
  // before anything is allocated or loaded.
  bool mode_ok = indexed ? dtf->access_mode == kModeInput
                         : dtf->access_mode == kModeInput || dtf->access_mode == kModeOutput;
  if (!mode_ok) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  size_t area = static_cast<size_t>(std::max<int32_t>(dtf->record_length, 1));
  dtf->record_area = static_cast<char*>(std::calloc(1, area));
  if (dtf->record_area == nullptr) {
    SetStatus(dtf, kStatusOutOfMemory);
    return -1;
  }
  dtf->record_area_length = dtf->record_length;
  if (!(indexed ? OpenIndexed(dtf) : OpenSequential(dtf))) {
    FreeRecordArea(dtf);
    return -1;
  }
  dtf->current_record_length = dtf->record_length;
  dtf->max_record_length = dtf->record_length;
  dtf->last_function = kFunctionOpen;
  return 0;
}

int Read(DTF* dtf) {
  // After the end of the file every further read answers at once.
  if (dtf->status == kStatusEndOfFile) return -1;
  if (!Begin(dtf, kFunctionRead, false)) return -1;
  if (dtf->access_mode == kModeOutput) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  if (IsamBinding* isam = Isam(dtf)) {
    // A failed read leaves the file open and bound: the caller still closes
    // it through the same library.
    int r = isam->calls().isread(dtf->file_number, dtf->record_area, ISNEXT);
    if (r != 0) {
      SetFailure(dtf, isam->LastFailure(r, Operation::kRead));
      return -1;
    }
  } else {
    IsuSamCtl* ctl = Sequential(dtf);
    uint16_t length = 0;
    int r = IsuSamGet(ctl, &length);
    if (r == 1) {
      SetStatus(dtf, kStatusEndOfFile);
      return -1;
    }
    if (r == -1) {
      SetFailure(dtf, LastSequentialFailure(ctl, Operation::kRead));
      return -1;
    }
    if (r != 0) {
      SetStatus(dtf, kStatusReadError, errno);
      return -1;
    }
  }
  dtf->last_function = kFunctionRead;
  return 0;
}

int Write(DTF* dtf) {
  if (!Begin(dtf, kFunctionWrite, false)) return -1;
  if (dtf->access_mode == kModeInput || Isam(dtf) != nullptr) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  IsuSamCtl* ctl = Sequential(dtf);
  int r = IsuSamPut(ctl, static_cast<uint16_t>(dtf->record_length));
  if (r == -1) {
    SetFailure(dtf, LastSequentialFailure(ctl, Operation::kWrite));
    return -1;
  }
  if (r != 0) {
    SetStatus(dtf, kStatusWriteError, errno);
    return -1;
  }
  dtf->last_function = kFunctionWrite;
  return 0;
}

int Close(DTF* dtf) {
  if (!Begin(dtf, kFunctionClose, false)) return -1;
  return CloseOpenFile(dtf);
}

}  // namespace
}  // namespace qel::recacc

using namespace qel::recacc;

extern "C" {

int KRACOpen(DTF* dtf) { return dtf == nullptr ? -1 : Open(dtf); }
int KRACRead(DTF* dtf) { return dtf == nullptr ? -1 : Read(dtf); }
int KRACWrite(DTF* dtf) { return dtf == nullptr ? -1 : Write(dtf); }
int KRACClose(DTF* dtf) { return dtf == nullptr ? -1 : Close(dtf); }

}  // extern "C"
