// ZovozEditor: every rule of the interactive rework program, without a
// window. The frame, views and dialogs hand it what the user typed or picked
// (CP932 text, item numbers) and show what it answers; the editor owns the
// rework document and its edit engine, checks each step and changes the
// document only when the step passed.
//
// Answers: a step answers an Answer whose message is 0 when it passed, else
// the number of the message to show, its "%s" arguments and the field that
// the dialog moves the focus to.
#ifndef QEL_REWORK_QELREWORK_ZOVOZ_EDITOR_H_
#define QEL_REWORK_QELREWORK_ZOVOZ_EDITOR_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "rework/edit_engine.h"
#include "rework/execution.h"
#include "rework/zovoz_document.h"

namespace qel::rework {

struct Answer {
  int message = 0;
  int field = 0;
  int index = -1;  // the condition or entry concerned, where there is one
  std::array<std::string, 5> args{};
  bool ok() const { return message == 0; }
};

// Fields of the input/output file dialog.
enum FileField { kFieldInData = 1, kFieldInDef, kFieldOutData, kFieldOutDef };
// Fields of the selection condition dialog.
enum ConditionField {
  kFieldKey = 1,
  kFieldOperator,
  kFieldComparison,
  kFieldConditionList,
  kFieldExpression
};
// Fields of the metacharacter dialog and of the edit fault correction.
enum MetaField { kFieldMetaAll = 1, kFieldMetaOne };
enum CorrectField { kFieldCorrectInput = 1, kFieldCorrectConstant, kFieldCorrectOutput };

struct FileNames {
  std::string in_data, in_def, out_data, out_def;
};

// One comparison value of a condition being edited: an item (kind 2, its
// number; negative: a name the definition does not hold) or a constant
// (kind 1, its text as the selection library takes it).
struct Comparison {
  int kind = 1;
  int item = 0;
  std::string constant;
  bool operator==(const Comparison&) const = default;
};

struct ConditionDraft {
  int key = 0;  // item number; negative: an undefined name
  int op = 1;   // 1 to 6
  std::vector<Comparison> values;
  bool operator==(const ConditionDraft&) const = default;
};

class ZovozEditor {
 public:
  // `form` is kFormEdit or kFormSelection, fixed for the program's life.
  explicit ZovozEditor(int form);
  ZovozEditor(const ZovozEditor&) = delete;
  ZovozEditor& operator=(const ZovozEditor&) = delete;

  CZovozDoc& doc() { return doc_; }
  const CZovozDoc& doc() const { return doc_; }
  CKRMVDoc& engine() { return engine_; }
  int form() const { return doc_.settings.form; }
  bool edit_form() const { return form() == kFormEdit; }

  // True when the files are set: conditions and edit entries can be made.
  bool files_ready() const { return doc_.layouts_ready(); }
  // True when replacing the files or the procedure would lose something.
  bool HoldsSettings() const;
  // True when something changed since the procedure was opened or saved.
  bool modified() const { return modified_; }

  // --- files (dialog "入出力ファイルの設定") ---
  FileNames Files() const;
  // Checks the names in dialog order, strips ".kdf" from the input data
  // name, forgets the conditions and edit entries (the options stay) and
  // opens the files as a procedure's COM_END does. On a failure of the
  // record-access library the answer is its message with the file names.
  Answer SetFiles(FileNames names);

  // --- item lists ---
  int ItemCount(bool output) const;
  // Item `number` (1-based) of the input or output layout, or null.
  const ItemDescriptor* Item(bool output, int number) const;
  const std::string& ItemName(bool output, int number) const;

  // --- building edit entries in the main view ---
  // The output item picked first: KRWN2009 with the same-name method,
  // KRWN2008 when an entry already fills it.
  Answer PickOutput(int item);
  // The input item: KRWN2007 before an output item; the entry is added when
  // the move is valid (else the KRMV message).
  Answer PickInput(int item);
  // Starts a constant entry: KRWN2009, KRWN2006 before an output item;
  // *destination receives the output item number.
  Answer BeginConstant(int* destination) const;
  // The constant for the picked output item (rules of its attribute).
  Answer AddConstant(std::string_view text);
  int pending_output() const { return pending_output_; }
  void CancelPick() { pending_output_ = 0; }

  // --- selection conditions ---
  std::vector<ConditionDraft> Conditions() const;
  // The key item text: "#" and a number from 1 to the item count, followed
  // by the end or a blank and anything (KRWN2012, KRWN2013).
  Answer ParseKey(std::string_view text, int* key) const;
  // A comparison value: "#" and an item number, or a constant; empty text
  // gives KRWN2026, an undefined name ("#E") KRWN2023.
  Answer ParseComparison(std::string_view text, Comparison* value) const;
  // One condition against the input layout: KRSC2223 for several values
  // with an operator other than ＝ and ≠, the KRSC message of the selection
  // library, KRWN2023 for an undefined name.
  Answer CheckCondition(const ConditionDraft& condition) const;
  // Checks every condition and the expression and stores them with the
  // compiled prefix form. At most kMaxConditions.
  Answer StoreConditions(const std::vector<ConditionDraft>& conditions,
                         std::string_view expression);
  // The text of a comparison value as the selection library takes it.
  static std::string ComparisonText(const Comparison& value);

  // --- options ---
  // KRWN2003 when edit entries exist and the method changes, KRWN2019 when
  // an output item is picked for an entry being built.
  Answer SetEditOptions(int method, bool copy);
  // Each text empty (not set) or one single-byte character (KRWN2004);
  // KRSC2232, KRSC2233, KRSC2234; KRWN2022 for a change once conditions
  // exist.
  Answer SetMetacharacters(std::string_view any_string, std::string_view any_one);
  void SetSpecialOptions(bool big_endian, bool blank_when_zero);

  // --- edit list ---
  // Removes the entries at the given 0-based places.
  void RemoveEdits(std::vector<int> indexes);
  // Corrects entry `index` from the correction dialog's texts ("#" and a
  // number for an item). KRWN2023, KRWN2024, KRWN2025, KRWN2027, KRWN2008,
  // KRCK2130 or the KRMV message of the move.
  Answer CorrectEdit(int index, std::string_view input, std::string_view constant,
                     std::string_view output);

  // --- procedure files ---
  // The name of the open dialog: KRWN2030 when empty, KRWN2031 for 256
  // bytes or more.
  static Answer CheckProcedureName(std::string_view path);
  // KRWN2030, KRWN2031; then reads the file with the program's form. On a
  // read failure the document is emptied and the reader's message answered.
  Answer OpenProcedure(const std::string& path);
  // Reads a procedure with the form its file decides (the windowless run).
  Answer OpenProcedureForRun(const std::string& path);
  // The procedure check: the selection and the edit list; answers KRCK2141
  // when the edit faults overflow, else 0. The faults are in the document.
  Answer Check();
  int FaultCount() const { return doc_.selection_fault_count + doc_.edit_fault_count; }
  // Writes the procedure to `path` (KRWN2031 for 256 bytes or more).
  Answer Save(const std::string& path);

  // --- runs ---
  // Checks the procedure (KRWN2050/2051 on faults) and opens the data files
  // again when an earlier run closed them; then logs the system
  // information (`batch`: the windowless form's last line).
  Answer PrepareRun(bool batch);
  // After run.Run() returned `result`: the data files are closed and the
  // answer is the run's message (KRWN2052 with the counts when it
  // completed and its output was written out and closed, nothing when
  // cancelled or when that close failed); a failed close is answered in
  // *close_failure.
  Answer FinishRun(const CKREXDoc& run, int result, Answer* close_failure);
  // Closes everything (the windowless end).
  Answer CloseAll();

 private:
  Answer ReadProcedure(const std::string& path);
  // Appends a checked entry (a constant source gets a buffer holding
  // `constant`); KRWN2005 when memory runs out.
  Answer AppendEntry(EditEntry entry, std::string_view constant);
  int ParseItemText(std::string_view text, bool output, int* item) const;
  void Changed() { modified_ = true; }

  CZovozDoc doc_;
  CKRMVDoc engine_;
  int pending_output_ = 0;
  bool modified_ = false;
};

// An answer for message `number` with one argument.
Answer MessageAnswer(int number, std::string_view arg = {}, int field = 0);

}  // namespace qel::rework

#endif  // QEL_REWORK_QELREWORK_ZOVOZ_EDITOR_H_
