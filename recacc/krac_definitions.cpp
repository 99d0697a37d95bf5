// The definition calls of the C interface: KRACInit, KRACSproc and the layout
// queries. This is the one place where reader reasons and builder results
// become DTF statuses and sub-codes.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/file.h"
#include "recacc/definition_reader.h"
#include "recacc/qelrecacc.h"
#include "recacc/record_layout.h"

namespace qel::recacc {
namespace {

namespace pf = qel::platform;

enum class Which { kFileDefinition, kRecordDefinition };

void SetStatus(DTF* dtf, uint32_t status, const char* sub_code = "") {
  dtf->status = status;
  std::snprintf(dtf->sub_code, sizeof dtf->sub_code, "%s", sub_code);
}

void SetReason(DTF* dtf, uint32_t status, int reason) {
  char text[8];
  std::snprintf(text, sizeof text, "%d", reason);
  SetStatus(dtf, status, text);
}

// The status of a failed open.
void OpenFailure(DTF* dtf, Which which, int reason) {
  switch (reason) {
    case kReasonNotFound:
      SetStatus(dtf, which == Which::kFileDefinition ? 3510 : 3511);
      break;
    case kReasonAccessDenied: SetStatus(dtf, 3512); break;
    case kReasonInUse: SetStatus(dtf, 3513); break;
    default: SetReason(dtf, 3520, reason); break;
  }
}

uint32_t ReadFailure(NextResult r, Which which) {
  switch (r) {
    case NextResult::kOutOfMemory: return kStatusNoMemory;
    case NextResult::kInternal: return 3699;
    default: return which == Which::kFileDefinition ? 2510 : kStatusBadRecordDefinition;
  }
}

struct FileDefinition {
  std::string organisation, record_format, snm0;
};

bool ReadFileDefinition(DTF* dtf, FileDefinition* out) {
  int reason = 0;
  auto reader = DefinitionReader::Open(dtf->definition_path, Grammar::kFileDefinition, &reason);
  if (!reader) {
    OpenFailure(dtf, Which::kFileDefinition, reason);
    return false;
  }
  std::string buffer(kFileItemRecordSize, '\0');
  RecordKind kind;
  bool have_item = false;
  for (;;) {
    NextResult r = reader->Next(buffer, &kind);
    if (r == NextResult::kEnd) break;
    if (r != NextResult::kRecord) {
      SetStatus(dtf, ReadFailure(r, Which::kFileDefinition));
      return false;
    }
    if (kind == RecordKind::kItem) {
      out->organisation = StringField(buffer, field::kFior);
      out->record_format = StringField(buffer, field::kRfor);
      out->snm0 = StringField(buffer, field::Snm(0));
      have_item = true;
    }
  }
  if (int close = reader->Close()) {
    SetReason(dtf, 3521, close);
    return false;
  }
  if (!have_item) {
    SetStatus(dtf, 2510);
    return false;
  }
  return true;
}

// Directory of the file definition plus the file name of `snm0`.
std::string RecordDefinitionPath(const char* definition_path, std::string_view snm0) {
  std::string dir(definition_path);
  auto slash = dir.find_last_of('/');
  dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
  return dir + std::string(pf::ForeignBaseName(snm0));
}

bool ReadRecordDefinition(DTF* dtf, const std::string& path) {
  auto resolved = pf::ResolveIgnoringCase(path);
  if (!resolved) {
    SetStatus(dtf, 3511);
    return false;
  }
  int reason = 0;
  auto reader = DefinitionReader::Open(resolved->c_str(), Grammar::kRecordDefinition, &reason);
  if (!reader) {
    OpenFailure(dtf, Which::kRecordDefinition, reason);
    return false;
  }
  char buffer[kItemRecordSize];
  RecordKind kind;
  auto next = [&](RecordKind want) -> bool {
    NextResult r = reader->Next(buffer, &kind);
    if (r == NextResult::kRecord && kind == want) return true;
    // A record of another kind where this one belongs (the trailer where an
    // item should be) means the definition ends early.
    SetStatus(dtf, r == NextResult::kRecord ? kStatusBadRecordDefinition
                                            : ReadFailure(r, Which::kRecordDefinition));
    return false;
  };
  if (!next(RecordKind::kHeader) || !next(RecordKind::kBody)) return false;
  std::string_view rnum = IntegerField(buffer, field::kRnum);
  long count = std::strtol(std::string(rnum).c_str(), nullptr, 10);
  if (count <= 0) {
    SetStatus(dtf, kStatusBadRecordDefinition);
    return false;
  }
  LayoutBuilder builder;
  for (long i = 0; i < count; ++i) {
    if (!next(RecordKind::kItem)) return false;
    if (uint32_t s = builder.Add(buffer)) {
      SetStatus(dtf, s);
      return false;
    }
  }
  if (int close = reader->Close()) {
    SetReason(dtf, 3521, close);
    return false;
  }
  RecordLayout* layout = nullptr;
  int32_t length = 0;
  if (uint32_t s = builder.Finish(dtf->organisation, &layout, &length)) {
    SetStatus(dtf, s);
    return false;
  }
  dtf->record_layout = layout;
  dtf->record_length = length;
  return true;
}

void CopyCode(char (&dst)[4], const std::string& src) {
  std::memset(dst, 0, sizeof dst);
  std::memcpy(dst, src.data(), std::min(src.size(), sizeof dst - 1));
}

int Sproc(DTF* dtf) {
  KRACRinfFree(dtf);
  SetStatus(dtf, 0);
  if (dtf->definition_path == nullptr || *dtf->definition_path == '\0') {
    SetReason(dtf, 3520, kReasonNoName);
    return -1;
  }
  FileDefinition def;
  if (!ReadFileDefinition(dtf, &def)) return -1;
  CopyCode(dtf->organisation, def.organisation);
  CopyCode(dtf->record_format, def.record_format);
  if (def.snm0.empty()) {
    SetStatus(dtf, 2513);
    return -1;
  }
  if (!ReadRecordDefinition(dtf, RecordDefinitionPath(dtf->definition_path, def.snm0))) {
    return -1;
  }
  return 0;
}

}  // namespace
}  // namespace qel::recacc

using namespace qel::recacc;

extern "C" {

int KRACInit(DTF* dtf) {
  if (dtf == nullptr) return -1;
  std::memset(dtf, 0, sizeof *dtf);
  std::memcpy(dtf->eye_catcher, "%%DTF", 5);
  std::memcpy(dtf->organisation, "S", 1);
  std::memcpy(dtf->record_format, "FB", 2);
  return 0;
}

int KRACSproc(DTF* dtf) {
  if (dtf == nullptr) return -1;
  try {
    return Sproc(dtf);
  } catch (const std::bad_alloc&) {
    KRACRinfFree(dtf);
    SetStatus(dtf, kStatusNoMemory);
  } catch (...) {
    KRACRinfFree(dtf);
    SetStatus(dtf, 3699);
  }
  return -1;
}

int KRACFmChk(DTF* dtf) {
  if (dtf == nullptr) return -1;
  std::string_view o(dtf->organisation, strnlen(dtf->organisation, sizeof dtf->organisation));
  if (o == "S") return 0;
  if (o == "VK") return 1;
  if (o == "R") return 2;
  SetStatus(dtf, 2613);
  return -1;
}

int KRACRmChk(DTF* dtf) {
  if (dtf == nullptr) return -1;
  std::string_view f(dtf->record_format, strnlen(dtf->record_format, sizeof dtf->record_format));
  if (f == "F" || f == "FB") return 0;
  if (f == "V" || f == "VB") return 1;
  if (f == "S") return 2;
  if (f == "U") return 3;
  SetStatus(dtf, 2614);
  return -1;
}

int KRACGetEcnt(DTF* dtf) {
  if (dtf == nullptr || dtf->record_layout == nullptr) return 0;
  return dtf->record_layout->count;
}

int KRACDainfSet(int n, DTF* dtf, ItemDescriptor* out) {
  if (dtf == nullptr) return -1;
  if (out == nullptr || dtf->record_layout == nullptr || n < 1 || n > dtf->record_layout->count) {
    SetStatus(dtf, 3699);
    return -1;
  }
  *out = dtf->record_layout->items[n - 1];
  return 0;
}

int KRACSameDaChk(DTF* a, int n, DTF* b) {
  if (a == nullptr) return -1;
  if (a->record_layout == nullptr || n < 1 || n > a->record_layout->count) {
    SetStatus(a, 3699);
    return -1;
  }
  if (b == nullptr || b->record_layout == nullptr) return 0;
  try {
    const RecordLayout& la = *a->record_layout;
    const RecordLayout& lb = *b->record_layout;
    const ItemDescriptor& want = la.items[n - 1];
    std::vector<int32_t> path = OccurrencePath(la, n - 1);
    for (int32_t i = 0; i < lb.count; ++i) {
      const ItemDescriptor& e = lb.items[i];
      if (std::strncmp(e.name, want.name, sizeof e.name) != 0) continue;
      if (e.occurrence != want.occurrence) continue;
      if (OccurrencePath(lb, i) == path) return i + 1;
    }
  } catch (...) {
    SetStatus(a, 3699);
    return -1;
  }
  return 0;
}

void KRACRinfFree(DTF* dtf) {
  if (dtf == nullptr || dtf->record_layout == nullptr) return;
  FreeLayout(dtf->record_layout);
  dtf->record_layout = nullptr;
}

uint32_t KRACGetStatus(DTF* dtf) { return dtf == nullptr ? 0 : dtf->status; }

const char* KRACGetSubCode(DTF* dtf) {
  if (dtf == nullptr) return "";
  if (dtf->sub_code[0] == '\0') std::memcpy(dtf->sub_code, "0000", 5);
  return dtf->sub_code;
}

int KRACSetRLength(DTF* dtf, int32_t length) {
  if (dtf == nullptr) return -1;
  dtf->record_length = length;
  return 0;
}

}  // extern "C"
