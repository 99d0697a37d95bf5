// Pieces every data-file call shares: statuses, the prologue, the blocks of
// an open file and the close.
#include "recacc/dtf_access.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "recacc/key_table.h"

namespace qel::recacc {

void SetStatus(DTF* dtf, uint32_t status, int sub_code) {
  dtf->status = status;
  if (sub_code == Failure::kNoSubCode) {
    dtf->sub_code[0] = '\0';
  } else {
    std::snprintf(dtf->sub_code, sizeof dtf->sub_code, "%d", sub_code);
  }
}

void SetFailure(DTF* dtf, const Failure& f) { SetStatus(dtf, f.status, f.sub_code); }

std::string_view Code(const char (&field)[4]) {
  return std::string_view(field, strnlen(field, sizeof field));
}

// The common prologue: current function, cleared status and sub-code, and
// the call order (an open only on a closed DTF, anything else only on an
// open one).
bool Begin(DTF* dtf, int32_t function, bool is_open) {
  dtf->current_function = function;
  SetStatus(dtf, 0);
  bool allowed =
      is_open ? dtf->last_function == kFunctionNone : dtf->last_function != kFunctionNone;
  if (!allowed) SetStatus(dtf, kStatusCallOrder);
  return allowed;
}

// The binding of an indexed file, kept in the file's private block from the
// open to the close.
IsamBinding* Isam(DTF* dtf) {
  FileState* state = StateOf(dtf);
  return state != nullptr ? state->isam.get() : nullptr;
}
IsuSamCtl* Sequential(DTF* dtf) { return static_cast<IsuSamCtl*>(dtf->sequential_control); }

void FreeRecordArea(DTF* dtf) {
  std::free(dtf->record_area);
  dtf->record_area = nullptr;
  dtf->record_area_length = 0;
}

void FreeState(DTF* dtf) {
  delete StateOf(dtf);
  dtf->keyed_state = nullptr;
}

void FreeSequential(DTF* dtf) {
  IsuSamTFree(Sequential(dtf));
  dtf->sequential_control = nullptr;
}

Failure LastSequentialFailure(IsuSamCtl* ctl, Operation op) {
  return MapSequentialFailure(IsuSamRefStat(ctl), QelXfioLastError(), op);
}

// KVIsuExclCBL: 0 passes, -1 is the file in use, -2 a failed system call.
bool CheckExclusive(DTF* dtf, IsuSamCtl* ctl, QelFileHandle handle) {
  int r = KVIsuExclCBL(handle);
  if (r == 0) return true;
  if (r == -1) {
    SetStatus(dtf, kStatusInUse);
  } else if (r == -2) {
    SetFailure(dtf, LastSequentialFailure(ctl, Operation::kOpen));
  } else {
    SetStatus(dtf, kStatusApplication);
  }
  return false;
}

int CloseOpenFile(DTF* dtf) {
  bool failed = false;
  if (IsamBinding* isam = Isam(dtf)) {
    int r = isam->calls().isclose(dtf->file_number);
    if (r == -2) {
      // Another thread holds the library: the file is still open, and the
      // close may be repeated.
      SetFailure(dtf, isam->LastFailure(r, Operation::kClose));
      return -1;
    }
    if (r != 0) {
      SetFailure(dtf, isam->LastFailure(r, Operation::kClose));
      failed = true;
    }
    FreeState(dtf);
  } else {
    IsuSamCtl* ctl = Sequential(dtf);
    // Buffered records are written out first; a failure to do so is the
    // failure of a write, and the file is closed all the same.
    if (dtf->access_mode == kModeOutput && IsuSamFlush(ctl) != 0) {
      SetFailure(dtf, LastSequentialFailure(ctl, Operation::kWrite));
      failed = true;
    }
    if (IsuSamClose(dtf->file_number) != 0 && !failed) {
      SetFailure(dtf, MapSequentialFailure(ISUSAM_ST_IO, QelXfioLastError(), Operation::kClose));
      failed = true;
    }
    FreeSequential(dtf);
    FreeState(dtf);
  }
  FreeKeyTable(dtf);
  FreeRecordArea(dtf);
  dtf->file_number = 0;
  // The file is closed even when its close reported a failure: a DTF must
  // never claim an open file whose resources are gone.
  dtf->last_function = kFunctionClose;
  return failed ? -1 : 0;
}

}  // namespace qel::recacc
