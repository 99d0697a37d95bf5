// The rework document CZovozDoc: everything one rework procedure holds while
// it is read, checked, run and written. Shared by the batch program and the
// window program; toolkit-free.
//
// Ownership: the document owns the condition table's comparison lists, the
// edit list, every constant buffer and both DTFs with their layouts; they live
// until ClearProcedure or the document's end. The files opened while a
// procedure is read stay open until CloseFiles.
#ifndef QEL_REWORK_ZOVOZ_DOCUMENT_H_
#define QEL_REWORK_ZOVOZ_DOCUMENT_H_

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "recacc/qelrecacc.h"
#include "rework/item_names.h"
#include "rework/selection_types.h"

namespace qel::rework {

inline constexpr int kMaxConditions = 10;
inline constexpr int kMaxComparisons = 10;
inline constexpr std::size_t kConstantBufferSize = 48;
inline constexpr int kMaxUndefinedNames = 250;
inline constexpr std::size_t kUndefinedNameLength = 47;
inline constexpr int kMaxSelectionFaults = 15;
inline constexpr int kMaxEditFaults = 100;
inline constexpr std::size_t kMaxExpressionLength = 100;
inline constexpr std::size_t kPrefixSize = 256;
inline constexpr std::size_t kMaxFileNameLength = 255;

// Log names of the rework programs.
inline constexpr const char* kLogRework = "RWORK";
inline constexpr const char* kLogSelection = "KRSCLOG";
inline constexpr const char* kLogEdit = "KRMVINF";

inline constexpr int kFormEdit = 0;
inline constexpr int kFormSelection = 1;
inline constexpr int kMethodAppointed = 1;
inline constexpr int kMethodSameName = 2;

// One EDIT block: a move from an input item or a constant to an output item.
struct EditEntry {
  int input_item;   // input item number; 0 for a constant; negative: undefined name
  int output_item;  // output item number; negative: undefined name
  int kind;         // 2 item source, 1 constant source
  char* constant;   // 48-byte buffer for kind 1, else null
  EditEntry* next;
};

struct SelectionFault {
  int condition;  // 1-based condition number, -1 for the expression
  int message;    // KRCK number
  bool operator==(const SelectionFault&) const = default;
};

struct EditFault {
  std::string input;   // input item name, or the constant's first 38 bytes
  std::string output;  // output item name
  int message;         // KRMV or KRWN number as the check found it
  int entry = -1;      // 0-based place of the faulty entry in the edit list
};

struct ProcedureSettings {
  int form = kFormEdit;           // kFormEdit or kFormSelection
  bool form_from_file = false;    // the batch program decides the form from OUTDEF
  int method = kMethodAppointed;  // ED
  bool copy = false;              // COPY=YES
  char meta_all = '*';            // ' ' when not set
  char meta_one = '?';
  bool big_endian = false;
  bool blank_when_zero = false;
  std::string expression;                  // SELORDER as written
  std::array<char, kPrefixSize> prefix{};  // compiled form, NUL-terminated
  std::string in_data, in_def, out_data, out_def;
};

class CZovozDoc {
 public:
  CZovozDoc();
  ~CZovozDoc();
  CZovozDoc(const CZovozDoc&) = delete;
  CZovozDoc& operator=(const CZovozDoc&) = delete;

  // Creates (empties) the three logs of the rework programs.
  static void InitLogs();

  // Forgets the procedure: settings back to their initial values (the form
  // and form_from_file are kept), tables emptied, files closed.
  void ClearProcedure();

  // --- procedure content ---
  ProcedureSettings settings;
  std::array<SelCondEntry, kMaxConditions> conditions{};
  int condition_count = 0;
  EditEntry* edit_list = nullptr;
  std::string procedure_path;
  int run_phase = 0;

  // A fresh 48-byte constant buffer holding `text` (cut to 47 bytes).
  char* NewConstant(std::string_view text);
  SelCompEntry* NewComparison();
  // Appends a condition when the table has room; false when it is full.
  bool AppendCondition(const SelCondEntry& entry);
  void AppendEdit(const EditEntry& entry);
  int EditCount() const;
  // The entry at 0-based `index` of the edit list, or null.
  EditEntry* EditAt(int index);
  // Unlinks and frees the entry at `index`; false when there is none. Its
  // constant buffer stays with the document.
  bool RemoveEdit(int index);

  // The undefined-name table: AddUndefined returns minus the name's place
  // (an equal name already there is reused), or 0 when the table is full.
  int AddUndefined(std::string_view name);
  const std::vector<std::string>& undefined_names() const { return undefined_; }
  // The name of a reference: the qualified name of a positive item number
  // in the input (output) layout, the stored text of a negative one.
  std::string ItemName(int reference, bool output) const;

  // --- files ---
  DTF input{};
  DTF output{};
  ItemNames input_names, output_names;
  // Reads both definitions and opens the input (mode 1) and output (mode 2)
  // data files. In a selection procedure the output takes the input's
  // definition. 0, or the failing DTF's status (input first); whatever was
  // opened is closed again on failure. The procedure's names were often
  // written on Windows: each is looked up without regard to letter case
  // (platform/file.h); an output found so is replaced under its own name.
  uint32_t OpenFiles();
  // Closes the data files and frees the layouts. The first close failure's
  // status (and its DTF in *failed) or 0.
  uint32_t CloseFiles(DTF** failed = nullptr);
  // Closes the data files but keeps both layouts and their names, so that
  // the procedure can still be shown, edited and checked. The first close
  // failure's status (and its DTF in *failed) or 0.
  uint32_t CloseDataFiles(DTF** failed = nullptr);
  // Opens the data files again over the layouts kept by CloseDataFiles
  // (the output is replaced). 0 or the failing DTF's status; on failure
  // nothing is left open.
  uint32_t ReopenDataFiles();
  bool layouts_ready() const { return input.record_layout != nullptr; }
  bool files_open() const { return input_open_ || output_open_; }
  bool input_open() const { return input_open_; }
  bool output_open() const { return output_open_; }

  // --- check result ---
  std::vector<SelectionFault> selection_faults;
  std::vector<EditFault> edit_faults;
  int selection_fault_count = 0;
  int edit_fault_count = 0;
  bool Runnable() const { return selection_fault_count == 0 && edit_fault_count == 0; }

  // Checks every condition and the expression (the procedure check of the
  // selection): fills the selection faults, stores each comparison's check
  // result and the metacharacters in its element, and compiles the prefix.
  void CheckSelection();

 private:
  void FreeEdits();

  // The paths the DTFs point at while the files are open: the procedure's
  // names as found on disk (input data, input definition, output data,
  // output definition).
  std::string in_data_path_, in_def_path_, out_data_path_, out_def_path_;
  std::deque<std::array<char, kConstantBufferSize>> constants_;
  std::deque<SelCompEntry> comparisons_;
  std::vector<std::string> undefined_;
  bool input_open_ = false;
  bool output_open_ = false;
};

}  // namespace qel::rework

#endif  // QEL_REWORK_ZOVOZ_DOCUMENT_H_
