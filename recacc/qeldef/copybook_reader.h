// The copybook reader: turns the text of a COBOL copybook into its data
// description entries, with every clause the definition files can express
// recorded and every other one reported as a fault with its line.
//
// Source forms:
//   - fixed (the default): columns 1-6 are ignored, column 7 holds the
//     indicator ("*" or "/" comment line, "D" debugging line, read as a
//     comment, "-" continuation), the text lies in columns 8-72 and anything
//     past column 72 is ignored; a tab advances to the next multiple of 8;
//   - free: the whole line is text.
// In both, "*>" outside a literal starts a comment that runs to the line end,
// and a "." ends an entry only when a blank or the line end follows it.
// A continuation line either continues an open literal (after its leading
// blanks and one quote) or joins its first word to the last word above.
// Lines are split and columns counted on the bytes as written; with UTF-8
// input each line's text is then converted to CP932.
#ifndef QEL_RECACC_QELDEF_COPYBOOK_READER_H_
#define QEL_RECACC_QELDEF_COPYBOOK_READER_H_

#include <string>
#include <string_view>
#include <vector>

namespace qel::copybook {

// Numbers of the reasons a line is refused or warned about, in the string
// table of qeldef (the texts live there).
enum Reason : int {
  kReasonCopy = 101,
  kReasonPseudoText = 102,
  kReasonLevel77 = 103,
  kReasonPointer = 104,
  kReasonScaling = 105,
  kReasonFloatingPicture = 106,
  kReasonBit = 107,
  kReasonDependingOn = 108,
  kReasonWideBinary = 109,
  kReasonDecimalTooLong = 110,
  kReasonUsage = 111,
  kReasonSmallComp5 = 112,
  kReasonSyncBinary = 113,
  kReasonNameTooLong = 114,
  kReasonTooManyItems = 115,
  kReasonRecordTooLong = 116,
  kReasonTooManyOccursLevels = 117,
  kReasonUnknownWord = 118,
  kReasonBadPicture = 119,
  kReasonLevelMismatch = 120,
  kReasonGroupPicture = 121,
  kReasonNoPicture = 122,
  kReasonUsagePicture = 123,
  kReasonRedefinesObject = 124,
  kReasonRedefinesLonger = 125,
  kReasonEditTooLong = 126,
  kReasonItemTooLong = 127,
  kReasonNoSuchRecord = 128,
  kReasonNoRecord = 129,
  kReasonGroupClause = 130,
  kReasonEncoding = 131,
  kReasonIndicator = 132,
  kReasonBinaryTooLong = 133,
  kReasonSignClause = 134,
  kReasonOccursLevel1 = 136,
  kReasonDirective = 138,
  kReasonBadLevel = 139,
  kReasonBadOccurs = 140,
  kReasonNameBytes = 141,
  // Warnings: the import goes on.
  kWarnOtherRecord = 201,
  kWarnLevel66 = 202,
  kWarnDependingMax = 203,
  kWarnWideBinary = 204,
  kWarnMixedBinary = 205,
  kWarnBlankWhenZeroFraction = 206,
  kWarnRecordRedefines = 207,
  kWarnNationalEdited = 208,
};

inline bool IsWarning(int reason) { return reason >= 200; }

// One refused or doubtful place of the copybook: printed as
// "COPYBOOK:LINE: ITEM: reason", the reason's text taking `insert`.
struct Diagnostic {
  int line = 0;
  std::string item;    // the entry's name, or the word at fault (CP932)
  int reason = 0;
  std::string insert;  // fills the reason's %s, when it has one
};

struct ReadOptions {
  bool free_format = false;
  bool utf8 = false;  // the input is UTF-8, not CP932
};

enum class Usage {
  kNone,      // stated nowhere: DISPLAY, or inherited from the group
  kDisplay,
  kNational,  // NATIONAL
  kDisplay1,  // DISPLAY-1
  kBinary,    // COMP, COMP-4, COMPUTATIONAL, BINARY
  kPacked,    // COMP-3, PACKED-DECIMAL
  kNative,    // COMP-5
  kFloat,     // COMP-1
  kDouble,    // COMP-2
  kIndex,
};

enum class SignClause { kNone, kLeading, kTrailing, kLeadingSeparate, kTrailingSeparate };

// One data description entry as written (level 88 entries are parsed past and
// not kept; level 66 entries are dropped with a warning).
struct Entry {
  int line = 0;
  int level = 0;
  std::string name;  // upper case; empty for FILLER or a nameless entry
  std::string redefines;  // upper case; empty when none
  std::string picture;    // upper case as written (repeat counts unexpanded)
  Usage usage = Usage::kNone;
  SignClause sign = SignClause::kNone;
  long occurs = 0;  // 0: no OCCURS clause
  bool depending = false;
  bool justified = false;
  bool blank_when_zero = false;
  bool synchronized = false;
  bool faulty = false;  // a fault was reported in it; it only keeps the tree's shape
};

struct ReadResult {
  std::vector<Entry> entries;
  std::vector<Diagnostic> diagnostics;  // faults and warnings, in line order
};

// Reads every entry of `text`. Never fails as a whole: what cannot be read
// is a diagnostic; an entry of level 1-49 with a fault is kept, marked
// faulty, so that the entries around it keep their places.
ReadResult ReadCopybook(std::string_view text, const ReadOptions& options);

// True for the first byte of a CP932 double-byte character.
inline bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// `text` with the ASCII letters in upper case; the second byte of a CP932
// double-byte character is never changed.
std::string UpperCase(std::string_view text);

}  // namespace qel::copybook

#endif  // QEL_RECACC_QELDEF_COPYBOOK_READER_H_
