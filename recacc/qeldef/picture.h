// PICTURE strings both ways: what a copybook's picture describes (category,
// digits, character positions, the edit string with repeat counts expanded),
// and the COBOL clause of an item of the record layout or of a record
// definition ("PIC S9(5)V99 COMP-3"), for the layout listing and for export.
#ifndef QEL_RECACC_QELDEF_PICTURE_H_
#define QEL_RECACC_QELDEF_PICTURE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace qel::copybook {

enum class PictureCategory {
  kInvalid,
  kAlphabetic,          // A
  kAlphanumeric,        // X, or A/X/9 mixed
  kNational,            // N (G taken as N)
  kNumeric,             // 9, S, V
  kNumericEdited,       // 9 Z * + - $ CR DB . , B 0 / V
  kAlphanumericEdited,  // A X 9 with B 0 /
  kNationalEdited,      // N with B 0 /
  kScaled,              // holds P
  kFloating,            // external floating point (holds E)
  kBit,                 // PIC 1
};

// Limit of the expanded edit string kept in `Picture::expanded`.
inline constexpr std::size_t kMaxExpandedPicture = 64;

struct Picture {
  PictureCategory category = PictureCategory::kInvalid;
  bool sign = false;             // numeric with a leading S
  int64_t integer_digits = 0;    // numeric: 9s before V
  int64_t fraction_digits = 0;   // numeric: 9s after V
  int64_t positions = 0;         // character positions (V and S not counted)
  std::string expanded;          // repeat counts written out; empty when longer than the limit
};

// Analyses an upper-case picture string. Repeat counts over 10 million make
// the picture kInvalid (no record holds such an item).
Picture AnalysePicture(std::string_view picture);

// What the clause of one item is made of: the layout's attribute code and
// the lengths as the record layout holds them.
struct ClauseParts {
  int attribute = 0;     // AttributeCode
  int64_t bytes = 0;     // byte length of one occurrence
  int64_t digits = 0;    // characters, or integer digits of a number
  int64_t fraction = 0;  // fraction digits
  std::string edit;      // edit string of an edited item, may be empty
  char sign = '0';       // sign form digit
  bool blank_when_zero = false;
  bool justified = false;
  bool synchronized = false;
  bool native_binary = false;  // write binary as COMP-5 instead of COMP
};

struct Clause {
  std::string text;     // "PIC S9(5)V99 COMP-3"; empty for a group
  std::string comment;  // what the clause cannot say (a kind without a clause, SYNC)
};

Clause ClauseOf(const ClauseParts& parts);

// The attribute code of a record definition's DTAT (and USAG); 0 when unknown.
int AttributeOf(std::string_view dtat, std::string_view usag);

}  // namespace qel::copybook

#endif  // QEL_RECACC_QELDEF_PICTURE_H_
