// Keyed access to one data file through the DTF: KRACOpen2, KRACGet,
// KRACPut, KRACDelete, KRACClose2 and the key calls. Indexed files go
// through the ISAM binding with their keys checked against the layout;
// fixed-length sequential files are relative files addressed by record
// number through positioned block access.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "recacc/access_failure.h"
#include "recacc/dtf_access.h"
#include "recacc/file_state.h"
#include "recacc/isam_binding.h"
#include "recacc/key_table.h"
#include "recacc/qelrecacc.h"
#include "xformio/qelxformio.h"

namespace qel::recacc {
namespace {

// Opens for update: shared with automatic record locks, or exclusive.
inline constexpr int kIsamSharedMode = ISINOUT | ISAUTOLOCK;
inline constexpr int kIsamExclusiveMode = ISINOUT | ISEXCLLOCK;
static_assert(kIsamSharedMode == 514 && kIsamExclusiveMode == 2050);

// Relative files: read and write an existing file, or create it.
inline constexpr int kFlagsUpdate = 2;
inline constexpr int kFlagsCreateUpdate = ISUSAM_O_CREAT | 2;
inline constexpr int kPermission = 438;
inline constexpr int64_t kLargestFile = 2147483647;

enum GetKind { kByKey = 0, kByNumber = 1, kNext = 2, kPrevious = 3, kFirst = 4, kLast = 5 };
enum PutKind { kReplace = 0, kAdd = 1 };

void CopyName(char* buffer, const char* name) {
  if (buffer != nullptr) std::strcpy(buffer, name);
}

// The common checks of KRACGet, KRACPut and KRACDelete: the prologue, a
// file opened by KRACOpen2, and the access mode.
FileState* BeginKeyed(DTF* dtf, int32_t function) {
  if (!Begin(dtf, function, false)) return nullptr;
  FileState* state = StateOf(dtf);
  if (state == nullptr || !state->keyed || dtf->access_mode != kModeUpdate) {
    SetStatus(dtf, kStatusAccessMode);
    return nullptr;
  }
  return state;
}

// ---- Indexed files ----

int OpenIndexed(DTF* dtf, const OpenRequest* request, std::unique_ptr<FileState> state) {
  state->isam = IsamBinding::Load();
  if (!state->isam) {
    SetStatus(dtf, kStatusIsamNotLoaded);
    return -1;
  }
  const IsamBinding& isam = *state->isam;
  const IsamCalls& is = isam.calls();
  int fd = is.isopen(dtf->data_path, request->share ? kIsamSharedMode : kIsamExclusiveMode);
  if (fd < 0) {
    SetFailure(dtf, isam.LastKeyedFailure(fd, KeyedOperation::kOpen));
    return -1;
  }
  auto fail = [&](const Failure& f) {
    SetFailure(dtf, f);
    is.isclose(fd);
    return -1;
  };
  // From here the file is open: memory shortage closes it again.
  try {
    dictinfo info{};
    if (int r = is.isindexinfo(fd, &info, 0); r != 0) {
      return fail(isam.LastKeyedFailure(r, KeyedOperation::kOpen));
    }
    if (info.di_recsize != dtf->record_length) return fail({kStatusRecordSize});
    std::unique_ptr<KeyTable> table(new (std::nothrow) KeyTable);
    if (!table) return fail({kStatusOutOfMemory});
    int failed_key = 0;
    Failure built = BuildKeyTable(isam, fd, info.di_nkeys, dtf->record_layout, request->big_endian,
                                  table.get(), &failed_key);
    if (built.status != 0) {
      if (failed_key > 0) {
        char name[32];
        KeyName(failed_key, name);
        CopyName(request->key_name, name);
      }
      return fail(built);
    }
    state->keyed = true;
    state->current_key = 1;
    state->key = table->keys.front().desc;
    state->no_current = true;
    dtf->file_number = fd;
    dtf->block_size = dtf->record_length;
    dtf->key_table = table.release();
    dtf->keyed_state = state.release();
    return info.di_nrecords > 0 ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return fail({kStatusOutOfMemory});
  }
}

// Whether the indexed file holds records now.
bool HoldsRecords(DTF* dtf, const IsamCalls& is) {
  dictinfo info{};
  return is.isindexinfo(dtf->file_number, &info, 0) == 0 && info.di_nrecords > 0;
}

int GetIndexed(DTF* dtf, FileState* state, GetRequest* request) {
  const IsamBinding& isam = *state->isam;
  const IsamCalls& is = isam.calls();
  int fd = dtf->file_number;
  char* area = dtf->record_area;
  int mode = 0;
  switch (request->kind) {
    case kByKey:
      if (uint32_t s = KeyFromText(is, state->key, request->text, area)) {
        SetStatus(dtf, s);
        return -1;
      }
      mode = ISEQUAL;
      break;
    case kNext:
    case kPrevious:
      if (state->no_current) {
        SetStatus(dtf, HoldsRecords(dtf, is) ? kStatusNoSuchKey : kStatusEndOfFile);
        return -1;
      }
      mode = request->kind == kNext ? ISNEXT : ISPREV;
      break;
    case kFirst:
    case kLast:
      mode = request->kind == kFirst ? ISFIRST : ISLAST;
      if (state->reposition) {
        if (int r = is.isstart(fd, &state->key, 0, area, mode); r != 0) {
          SetFailure(dtf, isam.LastKeyedFailure(r, KeyedOperation::kGet));
          return -1;
        }
        state->reposition = false;
      }
      break;
    default:
      SetStatus(dtf, kStatusAccessMode);
      return -1;
  }
  if (int r = is.isread(fd, area, mode); r != 0) {
    Failure f = isam.LastKeyedFailure(r, KeyedOperation::kGet);
    if (f.status == kStatusEndOfFile && (mode == ISNEXT || mode == ISPREV) &&
        HoldsRecords(dtf, is)) {
      // Running off an end reads the end record again; it stays current.
      bool next = mode == ISNEXT;
      if (is.isread(fd, area, next ? ISLAST : ISFIRST) == 0) {
        KeyToText(is, state->key, area, request->text);
        SetStatus(dtf, next ? kStatusLastRecord : kStatusFirstRecord);
        return -1;
      }
      state->no_current = true;
    }
    if (f.status == kStatusNoSuchKey) state->no_current = true;
    SetFailure(dtf, f);
    return -1;
  }
  KeyToText(is, state->key, area, request->text);
  state->no_current = false;
  return 0;
}

// After a duplicate key: the first key without duplicates under which the
// record's value exists already, from key `from` on; 0 when none.
int CollidingKey(DTF* dtf, FileState* state, int from) {
  const IsamCalls& is = state->isam->calls();
  const KeyTable* table = KeyTableOf(dtf);
  std::string probe(dtf->record_area, static_cast<size_t>(dtf->record_length));
  int found = 0;
  for (int n = from; n <= static_cast<int>(table->keys.size()) && found == 0; ++n) {
    keydesc desc = table->keys[static_cast<size_t>(n - 1)].desc;
    if ((desc.k_flags & ISDUPS) != 0) continue;
    std::string copy = probe;
    if (is.isstart(dtf->file_number, &desc, 0, copy.data(), ISEQUAL) == 0) found = n;
  }
  // Back on the current key; first and last start it again.
  std::string copy = probe;
  is.isstart(dtf->file_number, &state->key, 0, copy.data(), ISFIRST);
  state->reposition = true;
  return found;
}

int PutIndexed(DTF* dtf, FileState* state, PutRequest* request) {
  const IsamBinding& isam = *state->isam;
  const IsamCalls& is = isam.calls();
  char* area = dtf->record_area;
  int r = 0;
  KeyedOperation op;
  if (request->kind == kReplace) {
    op = KeyedOperation::kReplace;
    r = is.isrewrite(dtf->file_number, area);
  } else if (request->kind == kAdd) {
    op = KeyedOperation::kAdd;
    if (uint32_t s = KeyFromText(is, state->key, request->text, area)) {
      SetStatus(dtf, s);
      return -1;
    }
    r = is.iswrcurr(dtf->file_number, area);
    if (r == 0) state->reposition = true;
  } else {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  if (r != 0) {
    Failure f = isam.LastKeyedFailure(r, op);
    if (f.status == kStatusDuplicateKey || f.status == kStatusDuplicateOnReplace) {
      int key = CollidingKey(dtf, state, op == KeyedOperation::kAdd ? 1 : 2);
      if (key > 0) {
        char name[32];
        KeyName(key, name);
        CopyName(request->key_info, name);
      }
    }
    SetFailure(dtf, f);
    return -1;
  }
  KeyToText(is, state->key, area, request->text);
  state->no_current = false;
  return 0;
}

// ---- Relative (sequential) files ----

int OpenRelative(DTF* dtf, std::unique_ptr<FileState> state) {
  if (dtf->record_length < 1 || dtf->record_length > 65535) {
    SetStatus(dtf, kStatusBufferLength);
    return -1;
  }
  auto length = static_cast<uint16_t>(dtf->record_length);
  IsuSamCtl* ctl = nullptr;
  if (IsuSamTAlloc(&ctl, length) != 0) {
    SetStatus(dtf, kStatusOutOfMemory);
    return -1;
  }
  QelFileHandle handle = -1;
  if (IsuSamOpen(dtf->data_path, kFlagsUpdate, kPermission, 0, &handle) != 0) {
    Failure f = LastSequentialFailure(ctl, Operation::kOpen);
    if (f.status != kStatusNotFound ||
        IsuSamOpen(dtf->data_path, kFlagsCreateUpdate, kPermission, 0, &handle) != 0) {
      SetFailure(dtf,
                 f.status != kStatusNotFound ? f : LastSequentialFailure(ctl, Operation::kOpen));
      IsuSamTFree(ctl);
      return -1;
    }
  }
  auto fail = [&](const Failure& f) {
    SetFailure(dtf, f);
    IsuSamClose(handle);
    IsuSamTFree(ctl);
    return -1;
  };
  if (!CheckExclusive(dtf, ctl, handle)) {
    IsuSamClose(handle);
    IsuSamTFree(ctl);
    return -1;
  }
  IsuSamSetF(ctl, handle, dtf->record_area, length, length);
  if (IsuSamFix(ctl) != 0) return fail(LastSequentialFailure(ctl, Operation::kOpen));
  int32_t size = IsuSamSizeGet(ctl);
  if (size < 0) return fail({kStatusFileTooLarge});
  if (size % dtf->record_length != 0) return fail({kStatusRecordSize});
  state->keyed = true;
  state->file_size = size;
  state->record_count = size / dtf->record_length;
  state->current_record = 0;
  state->no_current = true;
  dtf->sequential_control = ctl;
  dtf->file_number = handle;
  dtf->block_size = dtf->record_length;
  int holds = state->record_count > 0 ? 1 : 0;
  dtf->keyed_state = state.release();
  return holds;
}

void PutNumber(char* text, int32_t n) {
  if (text != nullptr) std::snprintf(text, 12, "%d", static_cast<int>(n));
}

// A record number: 1 to 10 digits, at least 1.
bool ParseRecordNumber(const char* text, int64_t* out) {
  if (text == nullptr) return false;
  size_t n = std::strlen(text);
  if (n < 1 || n > 10) return false;
  int64_t v = 0;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (v < 1) return false;
  *out = v;
  return true;
}

int ReadRecord(DTF* dtf, FileState* state, int32_t number) {
  IsuSamCtl* ctl = Sequential(dtf);
  int32_t offset = (number - 1) * dtf->record_length;
  int32_t r = IsuSamRead(ctl, offset, 0);
  if (r < 0) {
    SetFailure(dtf, LastSequentialFailure(ctl, Operation::kRead));
    return -1;
  }
  if (r == 1 && offset != 1) {
    // The file ended before the record: it is shorter than at the open.
    SetStatus(dtf, kStatusNoSuchNumber);
    return -1;
  }
  state->current_record = number;
  state->no_current = false;
  return 0;
}

int GetRelative(DTF* dtf, FileState* state, GetRequest* request) {
  if (state->record_count == 0) {
    SetStatus(dtf, kStatusEndOfFile);
    return -1;
  }
  int32_t number = 0;
  switch (request->kind) {
    case kByNumber: {
      int64_t n = 0;
      if (!ParseRecordNumber(request->text, &n)) {
        SetStatus(dtf, kStatusRecordNumber);
        return -1;
      }
      if (n > state->record_count) {
        SetStatus(dtf, kStatusNoSuchNumber);
        return -1;
      }
      number = static_cast<int32_t>(n);
      break;
    }
    case kNext:
    case kPrevious: {
      if (state->no_current) {
        SetStatus(dtf, kStatusNoSuchNumber);
        return -1;
      }
      bool next = request->kind == kNext;
      if (state->current_record == (next ? state->record_count : 1)) {
        PutNumber(request->text, state->current_record);
        SetStatus(dtf, next ? kStatusLastRecord : kStatusFirstRecord);
        return -1;
      }
      number = state->current_record + (next ? 1 : -1);
      break;
    }
    case kFirst:
      number = 1;
      break;
    case kLast:
      number = state->record_count;
      break;
    default:
      SetStatus(dtf, kStatusAccessMode);
      return -1;
  }
  if (ReadRecord(dtf, state, number) != 0) return -1;
  PutNumber(request->text, number);
  return 0;
}

int PutRelative(DTF* dtf, FileState* state, PutRequest* request) {
  IsuSamCtl* ctl = Sequential(dtf);
  int32_t number = 0;
  if (request->kind == kReplace) {
    if (state->no_current) {
      SetStatus(dtf, kStatusNoSuchNumber);
      return -1;
    }
    number = state->current_record;
  } else if (request->kind == kAdd) {
    if (state->file_size + dtf->record_length > kLargestFile) {
      SetStatus(dtf, kStatusCannotAppend);
      return -1;
    }
    number = state->record_count + 1;
  } else {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  if (IsuSamWrite(ctl, (number - 1) * dtf->record_length, 0) < 0) {
    SetFailure(dtf, LastSequentialFailure(ctl, Operation::kWrite));
    return -1;
  }
  if (request->kind == kAdd) {
    state->record_count = number;
    state->file_size += dtf->record_length;
  }
  state->current_record = number;
  state->no_current = false;
  PutNumber(request->text, number);
  return 0;
}

// ---- The calls ----

int Open2(DTF* dtf, OpenRequest* request) {
  if (!Begin(dtf, kFunctionOpen, true)) return -1;
  if (request == nullptr || dtf->access_mode != kModeUpdate) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  std::string_view format = Code(dtf->record_format);
  if (format != "F" && format != "FB") {
    SetStatus(dtf, kStatusRecordFormat);
    return -1;
  }
  std::string_view organisation = Code(dtf->organisation);
  bool indexed = organisation == "VK";
  if (!indexed && organisation != "S" && organisation != "R") {
    SetStatus(dtf, kStatusOrganisation);
    return -1;
  }
  std::unique_ptr<FileState> state(new (std::nothrow) FileState);
  size_t area = static_cast<size_t>(std::max<int32_t>(dtf->record_length, 1));
  dtf->record_area = static_cast<char*>(std::calloc(1, area));
  if (!state || dtf->record_area == nullptr) {
    FreeRecordArea(dtf);
    SetStatus(dtf, kStatusOutOfMemory);
    return -1;
  }
  dtf->record_area_length = dtf->record_length;
  int r = -1;
  try {
    r = indexed ? OpenIndexed(dtf, request, std::move(state)) : OpenRelative(dtf, std::move(state));
  } catch (const std::bad_alloc&) {
    SetStatus(dtf, kStatusOutOfMemory);
  }
  if (r < 0) {
    FreeRecordArea(dtf);
    return -1;
  }
  dtf->current_record_length = dtf->record_length;
  dtf->max_record_length = dtf->record_length;
  dtf->last_function = kFunctionOpen;
  return r;
}

int Get(DTF* dtf, GetRequest* request) {
  FileState* state = BeginKeyed(dtf, kFunctionRead);
  if (state == nullptr) return -1;
  if (request == nullptr) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  int r = state->isam ? GetIndexed(dtf, state, request) : GetRelative(dtf, state, request);
  state->last_get = request->kind;
  if (r == 0) dtf->last_function = kFunctionRead;
  return r;
}

int Put(DTF* dtf, PutRequest* request) {
  FileState* state = BeginKeyed(dtf, kFunctionWrite);
  if (state == nullptr) return -1;
  if (request == nullptr) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  int r = state->isam ? PutIndexed(dtf, state, request) : PutRelative(dtf, state, request);
  state->last_put = request->kind;
  if (r == 0) dtf->last_function = kFunctionWrite;
  return r;
}

int Delete(DTF* dtf) {
  FileState* state = BeginKeyed(dtf, kFunctionDelete);
  if (state == nullptr) return -1;
  if (!state->isam) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  const IsamBinding& isam = *state->isam;
  if (int r = isam.calls().isdelete(dtf->file_number, dtf->record_area); r != 0) {
    SetFailure(dtf, isam.LastKeyedFailure(r, KeyedOperation::kDelete));
    return -1;
  }
  dtf->last_function = kFunctionDelete;
  return 0;
}

int Close2(DTF* dtf) {
  if (!Begin(dtf, kFunctionClose, false)) return -1;
  return CloseOpenFile(dtf);
}

// The keyed-open file's state and its key table; 2611 without them.
FileState* KeyedIndexed(DTF* dtf) {
  FileState* state = StateOf(dtf);
  if (dtf->last_function == kFunctionNone || state == nullptr || !state->keyed || !state->isam ||
      KeyTableOf(dtf) == nullptr) {
    return nullptr;
  }
  return state;
}

const KeyEntry* KeyAt(DTF* dtf, int32_t n) {
  if (KeyedIndexed(dtf) == nullptr) return nullptr;
  const KeyTable* table = KeyTableOf(dtf);
  if (n < 1 || n > static_cast<int32_t>(table->keys.size())) return nullptr;
  return &table->keys[static_cast<size_t>(n - 1)];
}

int KeyInfGet(DTF* dtf, KeyInformation* info, int32_t n) {
  const KeyEntry* key = KeyAt(dtf, n);
  if (key == nullptr || info == nullptr) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->name, key->name, sizeof info->name);
  info->flags = key->desc.k_flags;
  info->part_count = key->desc.k_nparts;
  for (int p = 0; p < key->desc.k_nparts && p < NPARTS; ++p) {
    info->parts[p] = {key->desc.k_part[p].kp_start, key->desc.k_part[p].kp_leng,
                      PartType(key->desc.k_part[p])};
  }
  info->item_count = key->items[0];
  info->primary_item_count = key->items[1];
  info->added_item_count = key->items[2];
  info->items = key->items.data() + 3;
  return 0;
}

int KeyChange(DTF* dtf, int32_t n) {
  const KeyEntry* key = KeyAt(dtf, n);
  if (key == nullptr) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  FileState* state = StateOf(dtf);
  keydesc desc = key->desc;
  const IsamBinding& isam = *state->isam;
  if (int r = isam.calls().isstart(dtf->file_number, &desc, 0, dtf->record_area, ISFIRST); r != 0) {
    SetFailure(dtf, isam.LastKeyedFailure(r, KeyedOperation::kGet));
    return -1;
  }
  state->current_key = n;
  state->key = desc;
  state->reposition = false;
  return 0;
}

int KeyCountGet(DTF* dtf) {
  FileState* state = StateOf(dtf);
  if (dtf->last_function == kFunctionNone || state == nullptr || !state->keyed) {
    SetStatus(dtf, kStatusAccessMode);
    return -1;
  }
  if (state->isam) return static_cast<int>(KeyTableOf(dtf)->keys.size());
  int32_t size = IsuSamSizeGet(Sequential(dtf));
  if (size < 0) {
    SetStatus(dtf, kStatusFileTooLarge);
    return -1;
  }
  return size / dtf->record_length;
}

template <typename F>
int Guarded(DTF* dtf, F&& call) {
  if (dtf == nullptr) return -1;
  try {
    return call();
  } catch (const std::bad_alloc&) {
    SetStatus(dtf, kStatusOutOfMemory);
  } catch (...) {
    SetStatus(dtf, kStatusApplication);
  }
  return -1;
}

}  // namespace
}  // namespace qel::recacc

using namespace qel::recacc;

extern "C" {

int KRACOpen2(DTF* dtf, OpenRequest* request) {
  return Guarded(dtf, [&] { return Open2(dtf, request); });
}
int KRACGet(DTF* dtf, GetRequest* request) {
  return Guarded(dtf, [&] { return Get(dtf, request); });
}
int KRACPut(DTF* dtf, PutRequest* request) {
  return Guarded(dtf, [&] { return Put(dtf, request); });
}
int KRACDelete(DTF* dtf) {
  return Guarded(dtf, [&] { return Delete(dtf); });
}
int KRACClose2(DTF* dtf) {
  return Guarded(dtf, [&] { return Close2(dtf); });
}
int KRACKeyInfGet(DTF* dtf, KeyInformation* info, int32_t n) {
  return Guarded(dtf, [&] { return KeyInfGet(dtf, info, n); });
}
int KRACKeyChange(DTF* dtf, int32_t n) {
  return Guarded(dtf, [&] { return KeyChange(dtf, n); });
}
int KRACKeyCountGet(DTF* dtf) {
  return Guarded(dtf, [&] { return KeyCountGet(dtf); });
}

}  // extern "C"
