// The rework document. Constant buffers and comparison elements live in
// deques so that the raw pointers the selection library and the edit engine
// follow stay valid while more are added.
#include "rework/zovoz_document.h"

#include <cstdio>
#include <cstring>

#include "filter/qelfilter.h"
#include "message/qelmessage.h"
#include "platform/file.h"
#include "rework/procedure_file.h"

namespace qel::rework {

CZovozDoc::CZovozDoc() {
  KRACInit(&input);
  KRACInit(&output);
}

CZovozDoc::~CZovozDoc() {
  CloseFiles();
  FreeEdits();
}

void CZovozDoc::InitLogs() {
  KMSOFileIni(kLogRework);
  KMSOFileIni(kLogSelection);
  KMSOFileIni(kLogEdit);
}

void CZovozDoc::FreeEdits() {
  while (edit_list != nullptr) {
    EditEntry* next = edit_list->next;
    delete edit_list;
    edit_list = next;
  }
}

void CZovozDoc::ClearProcedure() {
  CloseFiles();
  FreeEdits();
  ProcedureSettings fresh;
  fresh.form = settings.form;
  fresh.form_from_file = settings.form_from_file;
  settings = fresh;
  conditions = {};
  condition_count = 0;
  constants_.clear();
  comparisons_.clear();
  undefined_.clear();
  selection_faults.clear();
  edit_faults.clear();
  selection_fault_count = 0;
  edit_fault_count = 0;
}

char* CZovozDoc::NewConstant(std::string_view text) {
  auto& buffer = constants_.emplace_back();
  std::size_t n = std::min(text.size(), kConstantBufferSize - 1);
  std::memcpy(buffer.data(), text.data(), n);
  buffer[n] = '\0';
  return buffer.data();
}

SelCompEntry* CZovozDoc::NewComparison() {
  SelCompEntry& entry = comparisons_.emplace_back();
  entry = SelCompEntry{};
  return &entry;
}

bool CZovozDoc::AppendCondition(const SelCondEntry& entry) {
  if (condition_count >= kMaxConditions) return false;
  conditions[condition_count++] = entry;
  return true;
}

void CZovozDoc::AppendEdit(const EditEntry& entry) {
  EditEntry* copy = new EditEntry(entry);
  copy->next = nullptr;
  EditEntry** tail = &edit_list;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = copy;
}

int CZovozDoc::EditCount() const {
  int n = 0;
  for (const EditEntry* e = edit_list; e != nullptr; e = e->next) ++n;
  return n;
}

EditEntry* CZovozDoc::EditAt(int index) {
  EditEntry* e = edit_list;
  for (int i = 0; e != nullptr && i < index; ++i) e = e->next;
  return index < 0 ? nullptr : e;
}

bool CZovozDoc::RemoveEdit(int index) {
  if (index < 0) return false;
  EditEntry** link = &edit_list;
  for (int i = 0; *link != nullptr && i < index; ++i) link = &(*link)->next;
  if (*link == nullptr) return false;
  EditEntry* gone = *link;
  *link = gone->next;
  delete gone;
  return true;
}

int CZovozDoc::AddUndefined(std::string_view name) {
  // Cut between characters: half a double-byte character at the end of a
  // name would swallow the ";" after it when the procedure is written.
  std::string kept(CutCharacters(name, kUndefinedNameLength));
  for (std::size_t i = 0; i < undefined_.size(); ++i) {
    if (undefined_[i] == kept) return -static_cast<int>(i + 1);
  }
  if (undefined_.size() >= static_cast<std::size_t>(kMaxUndefinedNames)) return 0;
  undefined_.push_back(std::move(kept));
  return -static_cast<int>(undefined_.size());
}

std::string CZovozDoc::ItemName(int reference, bool output_side) const {
  if (reference < 0) {
    std::size_t i = static_cast<std::size_t>(-static_cast<int64_t>(reference)) - 1;
    return i < undefined_.size() ? undefined_[i] : std::string();
  }
  return (output_side ? output_names : input_names).Name(reference);
}

uint32_t CZovozDoc::OpenFiles() {
  CloseFiles();
  KRACInit(&input);
  KRACInit(&output);
  in_def_path_ = platform::InputPathIgnoringCase(settings.in_def);
  input.definition_path = in_def_path_.c_str();
  input.access_mode = 1;
  const std::string& out_def = settings.form == kFormSelection ? settings.in_def : settings.out_def;
  out_def_path_ = platform::InputPathIgnoringCase(out_def);
  output.definition_path = out_def_path_.c_str();
  output.access_mode = 2;
  if (KRACSproc(&input) != 0) return KRACGetStatus(&input);
  if (KRACSproc(&output) != 0) {
    KRACRinfFree(&input);
    return KRACGetStatus(&output);
  }
  in_data_path_ = platform::InputPathIgnoringCase(settings.in_data);
  out_data_path_ = platform::OutputPathIgnoringCase(settings.out_data);
  input.data_path = in_data_path_.c_str();
  output.data_path = out_data_path_.c_str();
  if (KRACOpen(&input) != 0) {
    uint32_t status = KRACGetStatus(&input);
    KRACRinfFree(&input);
    KRACRinfFree(&output);
    return status;
  }
  input_open_ = true;
  if (KRACOpen(&output) != 0) {
    uint32_t status = KRACGetStatus(&output);
    KRACClose(&input);
    input_open_ = false;
    KRACRinfFree(&input);
    KRACRinfFree(&output);
    return status;
  }
  output_open_ = true;
  input_names.Build(input.record_layout);
  output_names.Build(output.record_layout);
  return 0;
}

uint32_t CZovozDoc::CloseFiles(DTF** failed) {
  uint32_t first = 0;
  for (auto [dtf, open] : {std::pair{&input, &input_open_}, std::pair{&output, &output_open_}}) {
    KRACRinfFree(dtf);
    if (*open) {
      *open = false;
      if (KRACClose(dtf) != 0 && first == 0) {
        first = KRACGetStatus(dtf);
        if (failed != nullptr) *failed = dtf;
      }
    }
  }
  input_names.Clear();
  output_names.Clear();
  return first;
}

uint32_t CZovozDoc::CloseDataFiles(DTF** failed) {
  uint32_t first = 0;
  for (auto [dtf, open] : {std::pair{&input, &input_open_}, std::pair{&output, &output_open_}}) {
    if (!*open) continue;
    *open = false;
    if (KRACClose(dtf) != 0 && first == 0) {
      first = KRACGetStatus(dtf);
      if (failed != nullptr) *failed = dtf;
    }
  }
  return first;
}

uint32_t CZovozDoc::ReopenDataFiles() {
  CloseDataFiles();
  if (KRACOpen(&input) != 0) return KRACGetStatus(&input);
  input_open_ = true;
  if (KRACOpen(&output) != 0) {
    uint32_t status = KRACGetStatus(&output);
    KRACClose(&input);
    input_open_ = false;
    return status;
  }
  output_open_ = true;
  return 0;
}

void CZovozDoc::CheckSelection() {
  selection_faults.clear();
  selection_fault_count = 0;
  auto record = [this](int condition, int message) {
    ++selection_fault_count;
    if (selection_faults.size() < static_cast<std::size_t>(kMaxSelectionFaults)) {
      selection_faults.push_back({condition, KCNDCheckMessage(message)});
    }
  };
  for (int c = 0; c < condition_count; ++c) {
    SelCondEntry& cond = conditions[c];
    if (cond.op < 1 || cond.op > 6) {
      record(c + 1, 2144);
      continue;
    }
    if (cond.key_item <= 0) {
      record(c + 1, 2111);
      continue;
    }
    bool first = true;
    for (SelCompEntry* e = cond.comparisons; e != nullptr; e = e->next) {
      if (!first && cond.op != 1 && cond.op != 2) {
        record(c + 1, 2117);
        break;
      }
      first = false;
      char text[kConstantBufferSize + 16];
      if (e->kind == 2) {
        std::snprintf(text, sizeof text, "#%d ", e->item);
      } else {
        std::snprintf(text, sizeof text, "%s", e->constant != nullptr ? e->constant : "");
      }
      int result = KCNDCompChek(
          cond.key_item, cond.op, text, &input, static_cast<unsigned char>(settings.meta_all),
          static_cast<unsigned char>(settings.meta_one), settings.blank_when_zero ? 1 : 0);
      e->check_result = result;
      e->any_string = settings.meta_all;
      e->any_one = settings.meta_one;
      if (result != 0 && result != 1) {
        record(c + 1, result);
        break;
      }
    }
  }
  // A procedure without conditions and without an expression selects every
  // record; only one with conditions needs an expression.
  if (condition_count == 0 && settings.expression.empty()) {
    settings.prefix[0] = '\0';
    return;
  }
  int result = KCNDCondChek(settings.expression.c_str(), settings.prefix.data(), condition_count);
  if (result != 0) record(-1, result);
}

}  // namespace qel::rework
