// The rules of the interactive rework program. Every step checks first and
// changes the document only when the check passed, so a refused step leaves
// the procedure as it was.
#include "rework/qelrework/zovoz_editor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "filter/qelfilter.h"
#include "rework/batch_report.h"
#include "rework/procedure_file.h"
#include "xformio/run_end.h"

namespace qel::rework {

namespace {

constexpr std::size_t kMaxNameBytes = 255;  // a file name of 256 bytes or more is too long
constexpr int kIndexedOutput = 2611;        // output open refused for an indexed file

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char a = tail[i], b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool IsDefinitionName(std::string_view name) {
  return name.ends_with(".flf") || name.ends_with(".FLF");
}

Answer FromReport(const Report& r) {
  Answer a;
  a.message = r.message;
  a.args = r.args;
  return a;
}

// "#" and a decimal number, then the end, a blank or anything after a blank.
// The number, or -1 when the text is not of that form.
long ItemNumberOf(std::string_view text) {
  if (text.empty() || text[0] != '#') return -1;
  std::size_t i = 1;
  long n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (n < 100000000) n = n * 10 + (text[i] - '0');
    ++i;
  }
  if (i == 1) return -1;
  if (i < text.size() && text[i] != ' ') return -1;
  return n;
}

bool IsUndefinedReference(std::string_view text) { return text.starts_with("#E"); }

}  // namespace

Answer MessageAnswer(int number, std::string_view arg, int field) {
  Answer a;
  a.message = number;
  a.field = field;
  a.args[0] = std::string(arg);
  return a;
}

ZovozEditor::ZovozEditor(int form) : engine_(&doc_) {
  doc_.settings.form = form;
  doc_.settings.form_from_file = false;
}

bool ZovozEditor::HoldsSettings() const {
  return files_ready() || doc_.condition_count > 0 || doc_.edit_list != nullptr;
}

// --- files ---

FileNames ZovozEditor::Files() const {
  const ProcedureSettings& s = doc_.settings;
  return {s.in_data, s.in_def, s.out_data, edit_form() ? s.out_def : std::string()};
}

Answer ZovozEditor::SetFiles(FileNames names) {
  struct Rule {
    const std::string* name;
    int empty, too_long, field;
    bool definition;
  };
  std::vector<Rule> rules = {{&names.in_data, 2014, 2010, kFieldInData, false},
                             {&names.in_def, 2015, 2011, kFieldInDef, true},
                             {&names.out_data, 2016, 2020, kFieldOutData, false}};
  if (edit_form()) rules.push_back({&names.out_def, 2017, 2021, kFieldOutDef, true});
  for (const Rule& r : rules) {
    if (r.name->empty()) return MessageAnswer(r.empty, {}, r.field);
    if (r.name->size() > kMaxNameBytes) return MessageAnswer(r.too_long, {}, r.field);
    if (r.definition && !IsDefinitionName(*r.name)) return MessageAnswer(2002, *r.name, r.field);
  }
  // The key file of an indexed file names the file itself.
  if (EndsWithNoCase(names.in_data, ".kdf")) names.in_data.resize(names.in_data.size() - 4);
  if (names.out_data == names.in_data) return MessageAnswer(2001, {}, kFieldOutData);
  if (!edit_form()) names.out_def.clear();

  // The new files replace the old ones; what was built on the old layouts
  // goes with them, the options stay.
  ProcedureSettings kept = doc_.settings;
  doc_.ClearProcedure();
  ProcedureSettings& s = doc_.settings;
  s.method = kept.method;
  s.copy = kept.copy;
  s.meta_all = kept.meta_all;
  s.meta_one = kept.meta_one;
  s.big_endian = kept.big_endian;
  s.blank_when_zero = kept.blank_when_zero;
  s.in_data = names.in_data;
  s.in_def = names.in_def;
  s.out_data = names.out_data;
  s.out_def = names.out_def;
  pending_output_ = 0;
  Changed();
  uint32_t status = doc_.OpenFiles();
  if (status == 0) return {};
  const bool input_failed = KRACGetStatus(&doc_.input) != 0;
  Answer a = FromReport(AccessFailure(input_failed ? doc_.input : doc_.output, status));
  a.field = input_failed ? kFieldInData : kFieldOutData;
  if (status >= 2510 && status < 2600) a.field = input_failed ? kFieldInDef : kFieldOutDef;
  if (!input_failed && status == kIndexedOutput) a = MessageAnswer(2018, {}, kFieldOutDef);
  if (!input_failed && !edit_form() && a.field == kFieldOutDef) a.field = kFieldInDef;
  doc_.CloseFiles();
  return a;
}

// --- item lists ---

int ZovozEditor::ItemCount(bool output) const {
  const DTF& dtf = output ? doc_.output : doc_.input;
  return dtf.record_layout != nullptr ? dtf.record_layout->count : 0;
}

const ItemDescriptor* ZovozEditor::Item(bool output, int number) const {
  const DTF& dtf = output ? doc_.output : doc_.input;
  if (dtf.record_layout == nullptr || number < 1 || number > dtf.record_layout->count) {
    return nullptr;
  }
  return &dtf.record_layout->items[number - 1];
}

const std::string& ZovozEditor::ItemName(bool output, int number) const {
  return (output ? doc_.output_names : doc_.input_names).Name(number);
}

// --- building edit entries ---

Answer ZovozEditor::PickOutput(int item) {
  if (doc_.settings.method == kMethodSameName) return MessageAnswer(2009);
  if (Item(true, item) == nullptr) return MessageAnswer(2006);
  for (const EditEntry* e = doc_.edit_list; e != nullptr; e = e->next) {
    if (e->output_item == item) return MessageAnswer(2008);
  }
  pending_output_ = item;
  return {};
}

Answer ZovozEditor::PickInput(int item) {
  if (doc_.settings.method == kMethodSameName) return MessageAnswer(2009);
  if (pending_output_ == 0) return MessageAnswer(2007);
  if (Item(false, item) == nullptr) return MessageAnswer(2006);
  EditEntry entry{item, pending_output_, 2, nullptr, nullptr};
  int message = engine_.CheckEntry(entry, doc_.edit_list);
  if (message != 0) return MessageAnswer(message);
  return AppendEntry(entry, {});
}

Answer ZovozEditor::AppendEntry(EditEntry entry, std::string_view constant) {
  try {
    if (entry.kind == 1) entry.constant = doc_.NewConstant(constant);
    doc_.AppendEdit(entry);
  } catch (const std::bad_alloc&) {
    return MessageAnswer(2005);
  }
  pending_output_ = 0;
  Changed();
  return {};
}

Answer ZovozEditor::BeginConstant(int* destination) const {
  if (doc_.settings.method == kMethodSameName) return MessageAnswer(2009);
  if (pending_output_ == 0) return MessageAnswer(2006);
  *destination = pending_output_;
  return {};
}

Answer ZovozEditor::AddConstant(std::string_view text) {
  if (pending_output_ == 0) return MessageAnswer(2006);
  const ItemDescriptor* out = Item(true, pending_output_);
  int message = CheckConstant(text, out->attribute);
  if (message != 0) return MessageAnswer(message);
  return AppendEntry({0, pending_output_, 1, nullptr, nullptr}, text);
}

// --- selection conditions ---

std::vector<ConditionDraft> ZovozEditor::Conditions() const {
  std::vector<ConditionDraft> list;
  for (int c = 0; c < doc_.condition_count; ++c) {
    const SelCondEntry& entry = doc_.conditions[c];
    ConditionDraft d;
    d.key = entry.key_item;
    d.op = entry.op;
    for (const SelCompEntry* e = entry.comparisons; e != nullptr; e = e->next) {
      Comparison v;
      v.kind = e->kind;
      v.item = e->kind == 2 ? e->item : 0;
      if (e->kind != 2 && e->constant != nullptr) v.constant = e->constant;
      d.values.push_back(std::move(v));
    }
    list.push_back(std::move(d));
  }
  return list;
}

Answer ZovozEditor::ParseKey(std::string_view text, int* key) const {
  if (text.empty() || text[0] != '#') return MessageAnswer(2012, {}, kFieldKey);
  long n = ItemNumberOf(text);
  if (n < 1 || n > ItemCount(false)) return MessageAnswer(2013, {}, kFieldKey);
  *key = static_cast<int>(n);
  return {};
}

Answer ZovozEditor::ParseComparison(std::string_view text, Comparison* value) const {
  if (text.empty()) return MessageAnswer(2026, {}, kFieldComparison);
  if (IsUndefinedReference(text)) return MessageAnswer(2023, {}, kFieldConditionList);
  Comparison v;
  if (text[0] == '#') {
    // A malformed reference stays an item the library refuses (KRSC2206).
    long n = ItemNumberOf(text);
    v.kind = 2;
    v.item = n > 0 && n <= ItemCount(false) ? static_cast<int>(n) : 0;
  } else {
    v.kind = 1;
    v.constant = std::string(CutCharacters(text, kConstantBufferSize - 1));
  }
  *value = std::move(v);
  return {};
}

std::string ZovozEditor::ComparisonText(const Comparison& value) {
  if (value.kind == 2) return "#" + std::to_string(value.item) + " ";
  return value.constant;
}

Answer ZovozEditor::CheckCondition(const ConditionDraft& c) const {
  if (c.key < 0) return MessageAnswer(2023, {}, kFieldConditionList);
  if (c.values.empty()) return MessageAnswer(2026, {}, kFieldComparison);
  if (c.values.size() > 1 && c.op != 1 && c.op != 2) return MessageAnswer(2223, {}, kFieldOperator);
  for (const Comparison& v : c.values) {
    if (v.kind == 2 && v.item < 0) return MessageAnswer(2023, {}, kFieldConditionList);
    std::string text = ComparisonText(v);
    int result = KCNDCompChek(c.key, c.op, text.c_str(), const_cast<DTF*>(&doc_.input),
                              static_cast<unsigned char>(doc_.settings.meta_all),
                              static_cast<unsigned char>(doc_.settings.meta_one),
                              doc_.settings.blank_when_zero ? 1 : 0);
    if (result == 0 || result == 1) continue;
    int field = result == 2201 ? kFieldKey : result == 2223 ? kFieldOperator : kFieldComparison;
    return MessageAnswer(result, {}, field);
  }
  return {};
}

Answer ZovozEditor::StoreConditions(const std::vector<ConditionDraft>& conditions,
                                    std::string_view expression) {
  if (conditions.size() > static_cast<std::size_t>(kMaxConditions)) {
    return MessageAnswer(2226, {}, kFieldConditionList);
  }
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    Answer a = CheckCondition(conditions[i]);
    if (!a.ok()) {
      a.index = static_cast<int>(i);
      return a;
    }
  }
  if (expression.size() > kMaxExpressionLength) return MessageAnswer(2851, {}, kFieldExpression);
  std::array<char, kPrefixSize> prefix{};
  std::string expr(expression);
  if (!conditions.empty() || !expr.empty()) {
    int result = KCNDCondChek(expr.c_str(), prefix.data(), static_cast<int>(conditions.size()));
    if (result != 0) return MessageAnswer(result, {}, kFieldExpression);
  }
  doc_.conditions = {};
  doc_.condition_count = 0;
  for (const ConditionDraft& d : conditions) {
    SelCondEntry entry{};
    entry.key_item = d.key;
    entry.op = d.op;
    SelCompEntry** tail = &entry.comparisons;
    for (const Comparison& v : d.values) {
      SelCompEntry* e = doc_.NewComparison();
      e->kind = v.kind;
      e->item = v.kind == 2 ? v.item : 0;
      e->constant = v.kind == 2 ? nullptr : doc_.NewConstant(v.constant);
      std::string text = ComparisonText(v);
      e->check_result = KCNDCompChek(d.key, d.op, text.c_str(), &doc_.input,
                                     static_cast<unsigned char>(doc_.settings.meta_all),
                                     static_cast<unsigned char>(doc_.settings.meta_one),
                                     doc_.settings.blank_when_zero ? 1 : 0);
      e->any_string = doc_.settings.meta_all;
      e->any_one = doc_.settings.meta_one;
      *tail = e;
      tail = &e->next;
    }
    doc_.AppendCondition(entry);
  }
  doc_.settings.expression = expr;
  doc_.settings.prefix = prefix;
  Changed();
  return {};
}

// --- options ---

Answer ZovozEditor::SetEditOptions(int method, bool copy) {
  if (method != doc_.settings.method) {
    if (doc_.edit_list != nullptr) return MessageAnswer(2003);
    if (pending_output_ != 0) return MessageAnswer(2019);
  }
  if (method != doc_.settings.method || copy != doc_.settings.copy) Changed();
  doc_.settings.method = method;
  doc_.settings.copy = copy;
  return {};
}

Answer ZovozEditor::SetMetacharacters(std::string_view any_string, std::string_view any_one) {
  char chars[2];
  std::string_view texts[2] = {any_string, any_one};
  for (int i = 0; i < 2; ++i) {
    std::string_view t = texts[i];
    if (t.size() > 1 || (t.size() == 1 && static_cast<unsigned char>(t[0]) < 0x20) ||
        (t.size() == 1 && static_cast<unsigned char>(t[0]) >= 0x80)) {
      return MessageAnswer(2004, {}, i == 0 ? kFieldMetaAll : kFieldMetaOne);
    }
    chars[i] = t.empty() ? ' ' : t[0];
  }
  if (chars[0] == '"') return MessageAnswer(2232, {}, kFieldMetaAll);
  if (chars[1] == '"') return MessageAnswer(2233, {}, kFieldMetaOne);
  if (chars[0] != ' ' && chars[0] == chars[1]) return MessageAnswer(2234, {}, kFieldMetaOne);
  const bool changed = chars[0] != doc_.settings.meta_all || chars[1] != doc_.settings.meta_one;
  if (changed && doc_.condition_count > 0) {
    return MessageAnswer(2022, {}, chars[0] != doc_.settings.meta_all ? kFieldMetaAll
                                                                        : kFieldMetaOne);
  }
  if (changed) Changed();
  doc_.settings.meta_all = chars[0];
  doc_.settings.meta_one = chars[1];
  return {};
}

void ZovozEditor::SetSpecialOptions(bool big_endian, bool blank_when_zero) {
  if (big_endian != doc_.settings.big_endian || blank_when_zero != doc_.settings.blank_when_zero) {
    Changed();
  }
  doc_.settings.big_endian = big_endian;
  doc_.settings.blank_when_zero = blank_when_zero;
}

// --- edit list ---

void ZovozEditor::RemoveEdits(std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end(), std::greater<>());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  for (int i : indexes) {
    if (doc_.RemoveEdit(i)) Changed();
  }
}

int ZovozEditor::ParseItemText(std::string_view text, bool output, int* item) const {
  if (IsUndefinedReference(text)) return 2023;
  long n = ItemNumberOf(text);
  if (n < 1 || n > ItemCount(output)) return 2130;
  *item = static_cast<int>(n);
  return 0;
}

Answer ZovozEditor::CorrectEdit(int index, std::string_view input, std::string_view constant,
                                std::string_view output) {
  EditEntry* target = doc_.EditAt(index);
  if (target == nullptr) return MessageAnswer(2027);
  if (!input.empty() && !constant.empty()) return MessageAnswer(2027, {}, kFieldCorrectConstant);
  if (input.empty() && constant.empty()) return MessageAnswer(2024, {}, kFieldCorrectInput);
  if (output.empty()) return MessageAnswer(2025, {}, kFieldCorrectOutput);
  EditEntry candidate{0, 0, 1, nullptr, nullptr};
  if (!input.empty()) {
    int message = ParseItemText(input, false, &candidate.input_item);
    if (message != 0) return MessageAnswer(message, {}, kFieldCorrectInput);
    candidate.kind = 2;
  }
  int message = ParseItemText(output, true, &candidate.output_item);
  if (message != 0) return MessageAnswer(message, {}, kFieldCorrectOutput);
  for (const EditEntry* e = doc_.edit_list; e != nullptr; e = e->next) {
    if (e != target && e->output_item == candidate.output_item) {
      return MessageAnswer(2008, {}, kFieldCorrectOutput);
    }
  }
  std::string constant_text(constant);
  if (candidate.kind == 1) candidate.constant = constant_text.data();
  message = engine_.CheckEntry(candidate, nullptr);
  if (message != 0) {
    return MessageAnswer(message, {},
                         candidate.kind == 1 ? kFieldCorrectConstant : kFieldCorrectInput);
  }
  target->kind = candidate.kind;
  target->input_item = candidate.input_item;
  target->output_item = candidate.output_item;
  target->constant = candidate.kind == 1 ? doc_.NewConstant(constant) : nullptr;
  Changed();
  return {};
}

// --- procedure files ---

Answer ZovozEditor::ReadProcedure(const std::string& path) {
  doc_.ClearProcedure();
  pending_output_ = 0;
  modified_ = false;
  CKRPFDoc reader(&doc_);
  int result = reader.Run(kModeReadCommon, path);
  if (result == 0) result = reader.Run(kModeReadBlocks, path);
  if (result == 0) {
    doc_.procedure_path = path;
    return {};
  }
  Answer a;
  if (result == 2140 || result == 2141) {
    // The window shows the overflow itself; the console reports the
    // procedure's fault instead.
    a = MessageAnswer(result);
  } else {
    a = FromReport(ReadFailure(doc_, result, reader.line(), path));
  }
  doc_.ClearProcedure();
  return a;
}

Answer ZovozEditor::CheckProcedureName(std::string_view path) {
  if (path.empty()) return MessageAnswer(2030, {}, 1);
  if (path.size() > kMaxNameBytes) return MessageAnswer(2031, {}, 1);
  return {};
}

Answer ZovozEditor::OpenProcedure(const std::string& path) {
  if (Answer a = CheckProcedureName(path); !a.ok()) return a;
  doc_.settings.form_from_file = false;
  return ReadProcedure(path);
}

Answer ZovozEditor::OpenProcedureForRun(const std::string& path) {
  if (path.size() > kMaxNameBytes) return MessageAnswer(2031);
  doc_.settings.form_from_file = true;
  return ReadProcedure(path);
}

Answer ZovozEditor::Check() {
  doc_.CheckSelection();
  doc_.edit_faults.clear();
  doc_.edit_fault_count = 0;
  if (edit_form() && doc_.settings.method == kMethodAppointed) {
    int result = engine_.CheckEdits();
    if (result != 0) return MessageAnswer(result);
  }
  return {};
}

Answer ZovozEditor::Save(const std::string& path) {
  if (path.empty()) return MessageAnswer(2030);
  if (path.size() > kMaxNameBytes) return MessageAnswer(2031);
  CKRPFDoc writer(&doc_);
  int result = writer.Run(kModeWrite, path);
  if (result != 0) return MessageAnswer(result, result == 2871 ? std::string_view() : path);
  doc_.procedure_path = path;
  modified_ = false;
  return {};
}

// --- runs ---

Answer ZovozEditor::PrepareRun(bool batch) {
  Answer checked = Check();
  if (!checked.ok() || FaultCount() > 0) {
    return MessageAnswer(form() == kFormSelection ? 2050 : 2051);
  }
  if (!doc_.files_open()) {
    uint32_t status = doc_.ReopenDataFiles();
    if (status != 0) {
      const bool input_failed = KRACGetStatus(&doc_.input) != 0;
      return FromReport(AccessFailure(input_failed ? doc_.input : doc_.output, status));
    }
  }
  doc_.run_phase = 2;
  WriteSystemInformation(doc_, batch);
  return {};
}

Answer ZovozEditor::FinishRun(const CKREXDoc& run, int result, Answer* close_failure) {
  Answer a = FromReport(RunResult(doc_, run, result));
  DTF* failed = nullptr;
  uint32_t status = doc_.CloseDataFiles(&failed);
  doc_.run_phase = 0;
  *close_failure = {};
  if (status != 0 && failed != nullptr) *close_failure = FromReport(CloseFailure(*failed, status));
  // The counts never claim records that did not reach the file: after a
  // completed run whose close (which writes out the last records) failed,
  // only the failure is shown.
  if (result == 0 && !xformio::MayShowCount(xformio::RunLoop::kDone, true, status == 0)) a = {};
  return a;
}

Answer ZovozEditor::CloseAll() {
  DTF* failed = nullptr;
  uint32_t status = doc_.CloseFiles(&failed);
  if (status != 0 && failed != nullptr) return FromReport(CloseFailure(*failed, status));
  return {};
}

}  // namespace qel::rework
