// The revise document: one data file shown a record at a time, item by item,
// with the operations that fetch, check, build keys, add, rewrite and delete
// records through the keyed calls of qelrecacc. Toolkit-free: every operation
// answers what the window has to show (a message number with its inserts and
// the control that gets the focus) and leaves the state of the controls in
// Controls(), so that a window only translates between widgets and this
// class. Questions (Yes/No/Cancel boxes) are put to an Ask callback the
// caller passes in.
//
// Conventions:
// 1. Texts are CP932 bytes, as everywhere inside the suite.
// 2. A result of Message::number 0 means success; any other number is a
//    message of the program's string table ("qelrevise"): KRAC statuses of
//    the DTF, KVWN, KVDA and KVCO numbers.
// 3. Order: Open, then (after item selection when it is on) Fetch, CheckValue,
//    Register, Delete, ChangeKey any number of times, Close. Open on an open
//    document closes the previous file first (the window asks KVWN2011).
// 4. Items are addressed by their line in Lines() (from 0).
// 5. Memory shortage in an operation answers KVCO3000 and leaves the items,
//    the list and the controls as they were before it. When the library had
//    already moved to another record, the record shown can no longer be
//    written (record_shown() is false) until the next fetch.
#ifndef QEL_REVISE_REVISE_DOCUMENT_H_
#define QEL_REVISE_REVISE_DOCUMENT_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recacc/qelrecacc.h"

namespace qel::revise {

// Message numbers of the program's own texts.
inline constexpr int kKvwnNamesEqual = 2001;
inline constexpr int kKvwnFillerHex = 2004;
inline constexpr int kKvwnBadExtension = 2002;
inline constexpr int kKvwnNameTooLong = 2005;
inline constexpr int kKvwnNoName = 2006;
inline constexpr int kKvwnRegistered = 2009;
inline constexpr int kKvwnAskDelete = 2010;
inline constexpr int kKvwnAskClose = 2011;
inline constexpr int kKvwnNoShareForSam = 2013;
inline constexpr int kKvwnTitleTooLong = 2017;
inline constexpr int kKvwnUnsupportedAttribute = 2018;
inline constexpr int kKvwnNoKey = 2019;
inline constexpr int kKvwnAskInputMode = 2020;
inline constexpr int kKvwnAskSelectAgain = 2021;
inline constexpr int kKvwnNoItems = 2022;
inline constexpr int kKvwnKeyItemType = 2023;
inline constexpr int kKvwnKeyTooLong = 2024;
inline constexpr int kKvwnKeyInvalid = 2025;
inline constexpr int kKvdaNotAlphabetic = 2901;
inline constexpr int kKvdaNotNational = 2902;
inline constexpr int kKvdaNotNumeric = 2903;
inline constexpr int kKvdaMinusNotFirst = 2904;
inline constexpr int kKvdaIntegerDigits = 2905;
inline constexpr int kKvdaFractionDigits = 2906;
inline constexpr int kKvdaTooLong = 2907;
inline constexpr int kKvdaInvalidData = 2908;
inline constexpr int kKvdaRecordNumber = 2909;
inline constexpr int kKvdaLogicError = 2910;
inline constexpr int kKvcoNoMemory = 3000;
inline constexpr int kKracShareSequential = 2631;

// Log (and message box caption) of the program.
inline constexpr char kLogName[] = "qelrevise";

// Fixed limits of the form.
inline constexpr int kMaxLines = 900;
inline constexpr int kMaxLineValue = 400;
inline constexpr int kMaxKeyText = 511;
inline constexpr int kMaxEntry = 32767;
inline constexpr int kWorkAreaSize = 65535;
inline constexpr int kMaxTitle = 60;
inline constexpr int kMaxName = 255;
inline constexpr int kHeadingWidth = 46;
inline constexpr int kValueColumn = 54;

// Answers of the Ask callback (the message library's button codes).
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
inline constexpr int kCancel = 2;

// Puts question `number` (a "?" message) to the user; returns kYes, kNo or
// kCancel.
using Ask = std::function<int(int number)>;

// The control that gets the focus after a message.
enum class Focus {
  kNone,
  kUnchanged,
  kDataFile,
  kDefinitionFile,
  kTitle,
  kOkButton,
  kKeyType,
  kKeyField,
  kEntryField,
};

struct Message {
  int number = 0;
  std::vector<std::string> args;  // inserts for the "%s" of the text, in order
  Focus focus = Focus::kNone;
  bool ok() const { return number == 0; }
};

// What the file-settings dialog collects.
struct FileSettings {
  std::string data_name;
  std::string definition_name;
  std::string title;
  bool share = false;
  bool item_selection = false;
  bool elementary_only = false;
};

// One item shown in the list.
struct ReviseItem {
  int level = 0;                            // 1 = record level
  int type = 0;                             // attribute code
  int width = 0;                            // display width (see Width())
  int integer_digits = 0;                   // numeric types
  int decimal_digits = 0;                   // numeric types
  std::string current_text;                 // value read from the file
  std::optional<std::string> entered_text;  // typed, checked, not yet written
  std::string previous_text;                // value registered last in input mode
  bool is_protected = false;                // part of the key in use
  int index = 0;                            // 0-based place in the record layout
};

// The state of the window's controls after the last operation.
struct Controls {
  bool register_enabled = false;
  bool delete_enabled = false;
  bool entry_enabled = false;
  bool key_read_only = false;  // the record number of a new record in a relative file
};

// The caption of an item type ("英数字" ...), empty for a group item and for
// codes without one.
std::string TypeCaption(int type);

// The display width of an item of `type` with `digits` (characters, or
// integer digits) and `decimal_digits`.
int Width(int type, int digits, int decimal_digits);

// Reads the FILLER value field: empty means 0x20, else exactly two
// hexadecimal digits. 0, or KVWN2004 (`*value` unchanged).
int ParseFillerText(const std::string& text, int* value);
// The field's text for `value`: empty for 0x20, else two hexadecimal digits.
std::string FillerText(int value);

// Cuts `text` to at most `limit` bytes without splitting a Shift-JIS
// double-byte character.
std::string CutSjis(const std::string& text, std::size_t limit);

class CQelreviseDoc {
 public:
  // Initialises the DTF and the log of the program.
  CQelreviseDoc();
  ~CQelreviseDoc();
  CQelreviseDoc(const CQelreviseDoc&) = delete;
  CQelreviseDoc& operator=(const CQelreviseDoc&) = delete;

  // Options that hold from one file to the next.
  void SetFillerValue(int value) { filler_value_ = value & 0xff; }
  void SetBigEndian(bool on) { big_endian_ = on; }
  void SetNoTruncationMessage(bool on) { no_truncation_message_ = on; }
  int filler_value() const { return filler_value_; }
  bool big_endian() const { return big_endian_; }
  bool no_truncation_message() const { return no_truncation_message_; }

  // Switches between input mode (1) and update mode (0): clears every
  // current and entered text (update mode also forgets the previous record);
  // a relative file in input mode proposes the next record number in the
  // key field.
  void SetMode(int mode);

  // Checks the settings and opens the file (algorithm of the settings
  // dialog's OK), builds the item list, starts item selection or key entry
  // and writes the system information to the log. On failure nothing stays
  // open.
  Message Open(const FileSettings& settings, const Ask& ask);
  // Closes the file and forgets names, title and items. KRAC status of the
  // close, or 0.
  Message Close();

  // Item selection: marks or unmarks list line `line` (a group with its
  // subordinate items); Finish ends it (KVWN2021 asked when elementary-only
  // leaves nothing; No or Cancel closes the file).
  Message ToggleMark(int line);
  Message FinishSelection(const Ask& ask);

  // Makes key `number` (1-based) current and protects its items.
  Message ChangeKey(int number);
  // Names of the keys the key-type box offers (only the primary key in
  // input mode); empty for a relative file.
  std::vector<std::string> KeyNames() const;

  // The key list: one line " %-31s   %11s   %11s   %9s" per key of an open
  // indexed file (name, start offset and length of its single part, both
  // "----------" for a key of several parts, and the part's type).
  std::vector<std::string> KeyListLines() const;

  // Clears every current and entered text (the record shown is forgotten,
  // nothing can be rewritten until the next fetch); the previous record is
  // kept.
  void ClearValues();

  // Fetches a record: kinds 0 by key, 1 by record number, 2 next,
  // 3 previous, 4 first, 5 last. `key_text` is the key field; on success it
  // holds the key or record number of the record fetched.
  Message Fetch(int kind, std::string* key_text);

  // What the entry field shows for line `line`, and whether it can be typed
  // into.
  std::string EntryText(int line) const;
  bool Editable(int line) const;
  // Commits the entry field's text for line `line` when it differs from the
  // item's entered (or current) text: CheckValue.
  Message Commit(int line, const std::string& text);
  // Checks `text` as a value of the item at `line` and keeps it (normalised)
  // as its entered text; on failure the entered text stays as it was.
  Message CheckValue(int line, const std::string& text);

  // Builds key `number` from the typed `key_text` (replaced by the built
  // key on success).
  Message BuildKey(int number, std::string* key_text);

  // Adds (input mode) or rewrites (update mode) the record.
  Message Register(std::string* key_text);
  // Deletes the record last fetched, after KVWN2010 answered Yes.
  Message Delete(const Ask& ask);

  // Puts the previous record's texts back as entered texts (input mode).
  Message CopyPrevious();

  // The counter beside the entry field and the type caption (or
  // "ISAM保護項目") for line `line` while `text` is typed.
  std::string EntryCounter(int line, const std::string& text) const;
  std::string CounterCaption(int line) const;

  // Writes the system-information block to the log.
  void WriteSystemInformation();

  // The fixed-width list lines.
  std::vector<std::string> Lines() const;

  const std::vector<ReviseItem>& items() const { return items_; }
  const Controls& controls() const { return controls_; }
  const std::string& data_name() const { return data_name_; }
  const std::string& definition_name() const { return definition_name_; }
  const std::string& title() const { return title_; }
  int mode() const { return mode_; }
  bool is_open() const { return open_; }
  bool indexed() const { return indexed_; }
  bool selecting() const { return selecting_; }
  bool record_shown() const { return record_shown_; }
  bool has_previous() const { return previous_record_; }
  int current_key() const { return current_key_; }
  const std::string& key_field() const { return key_field_; }
  DTF* dtf() { return &dtf_; }

 private:
  struct ListEntry {
    ItemDescriptor item;
    bool marked = false;
  };

  // What an operation may change, kept to be put back after memory shortage.
  struct Snapshot {
    std::vector<ReviseItem> items;
    std::vector<ListEntry> layout;
    Controls controls;
    std::string key_field;
    std::string fetched_record;
    bool record_shown;
    bool previous_record;
    bool selecting;
    int current_key;
  };
  Snapshot Save() const;
  void Restore(Snapshot&& before) noexcept;
  // Runs `op`; on memory shortage puts the state (and `*key_text`) back and
  // answers KVCO3000.
  template <typename Op>
  Message Guarded(Op op, std::string* key_text = nullptr);

  Message OpenChecked(const FileSettings& settings, const Ask& ask);
  Message FetchRecord(int kind, std::string* key_text);
  Message RegisterRecord(std::string* key_text);
  Message BuildKeyText(int number, std::string* key_text);
  Message SelectKey(int number);
  Message OpenFile(const FileSettings& settings, const Ask& ask);
  Message OpenFailure();
  void CloseQuietly();
  Message BuildItemList();
  ReviseItem MakeItem(const ItemDescriptor& d, int index) const;
  const ItemDescriptor* Descriptor(int index) const;
  Message Check(ReviseItem* item, const std::string& text, bool truncate, std::string* value) const;
  Message KeyPiece(const ItemDescriptor& d, const std::string& piece, const std::string& shown,
                   std::string* out) const;
  Message RecordStatus(int number, bool for_delete);
  bool FillWorkArea(bool input);
  void StartKeyEntry();
  void ClearTexts(bool forget_previous);
  void ProposeRecordNumber();
  std::string Heading(const ItemDescriptor& d, bool marked) const;

  std::string data_name_;
  std::string definition_name_;
  std::string title_;
  int mode_ = 0;
  int filler_value_ = 0x20;
  bool error_ = false;
  bool share_ = false;
  bool item_selection_ = false;
  bool big_endian_ = false;
  bool no_truncation_message_ = false;
  DTF dtf_;
  OpenRequest open_request_{};
  char key_name_[128] = {};
  char key_info_[128] = {};
  std::vector<ReviseItem> items_;
  std::vector<ListEntry> layout_;  // every item the list may show, in layout order
  bool indexed_ = false;
  bool elementary_only_ = false;
  bool selecting_ = false;
  bool open_ = false;
  bool record_shown_ = false;
  bool previous_record_ = false;
  bool library_moved_ = false;  // a fetch got its record from the library
  int current_key_ = 1;
  std::string key_field_;
  std::string fetched_record_;
  std::vector<std::uint8_t> work_area_;
  Controls controls_;
};

}  // namespace qel::revise

#endif  // QEL_REVISE_REVISE_DOCUMENT_H_
