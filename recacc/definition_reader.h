// The reader of file definition files (.FLF) and record definition files: a
// tolerant keyword/value parser that hands out one record at a time as a
// fixed-width buffer.
//
// Lexical form (both files, Shift-JIS text; a CR right before LF belongs to
// the line end):
//   - blank, tab and LF separate tokens; "/*" ... "*/" is a comment anywhere
//     between tokens and also ends a bare word; an open comment ends the input;
//   - ";" is a token of its own;
//   - a bare word is a run of printable ASCII other than ";" and of
//     double-byte characters (lead 0x81-0x9F or 0xE0-0xEF plus any byte); a
//     half-width katakana byte (0xA1-0xDF) may only begin a word;
//   - outside quoted strings "[", "\", DEL, control bytes other than tab and
//     LF, and 0x80, 0xA0, 0xF0-0xFF are invalid: a syntax error;
//   - a quoted string "..." knows the escapes \" \' \\ \f \n \t \xHH (lower
//     case hex); any other backslash pair stays as written; LF, FF or end of
//     file inside it is a syntax error;
//   - a word of decimal digits with at most one leading sign is an integer;
//     a word that equals a keyword of the grammar is that keyword.
//
// Grammar: a record is its start keyword, its fields in a fixed order, each
// "KEYWORD value ;", and its end keyword with ";". A record definition file is
// HEDR, BODR, any number of ITMR and TRAR; a file definition file is HEDR, one
// ITMR and TRAR.
//
// Records as delivered (every width includes one byte for the NUL):
//
//   Header (HEDR) and trailer (TRAR), 104 bytes
//     OFFSET  WIDTH  FIELD  MEANING
//          0      9  FMVR   format version
//          9     21  PPNM   writing product
//         30     21  PPTP   writing product, type
//         51     21  PPVR   writing product, version
//         72     21  CONM   writing component
//         93      9  COVR   writing component, version
//        102      2  ERFG   error flag of the writer (integer)
//
//   Body (BODR), 5 bytes
//          0      5  RNUM   number of item records (integer, at most 4 digits)
//
//   Item of a record definition (ITMR), 148 bytes
//          0      3  LNUM   level number
//          3     31  DTNM   data name
//         34      3  DTAT   data attribute
//         37     10  DALE   length, or integer digits "." fraction digits
//         47     10  ANUM   OCCURS count
//         57      3  SUAF   flag "T..." or a full-width circle
//         60     31  EDCS   edit string
//         91     31  RENM   name of the redefined item
//        122      6  USAG   usage
//        128     10  BURL   byte position in the record
//        138      2  BIRL   bit position of a bit item
//        140      2  BLWZ   BLANK WHEN ZERO flag
//        142      2  JUST   JUSTIFIED flag
//        144      2  SIGN   sign form
//        146      2  SYNC   SYNCHRONIZED flag
//
//   Item of a file definition (ITMR), 2606 bytes
//          0      3  FIOR   organisation
//          3      3  RFOR   record format
//   6+260n    260  SNMn   record definition file name, n = 0..9
//
// A string field is blanks with the value at its start and a NUL right after
// it; a value longer than width - 1 is cut, never inside a double-byte
// character. An integer field is blanks with the value right-aligned before a
// final NUL; a longer integer is an overflow error. An omitted field holds the
// empty value.
#ifndef QEL_RECACC_DEFINITION_READER_H_
#define QEL_RECACC_DEFINITION_READER_H_

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qel::recacc {

// True for a byte the reader takes, with the byte after it, as one
// double-byte character (inside quoted strings as well).
inline bool IsDefinitionLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF);
}

enum class Grammar { kRecordDefinition, kFileDefinition };

// Kinds of record, in the order a file holds them.
enum class RecordKind { kHeader, kBody, kItem, kTrailer };

inline constexpr std::size_t kHeaderRecordSize = 104;
inline constexpr std::size_t kBodyRecordSize = 5;
inline constexpr std::size_t kItemRecordSize = 148;
inline constexpr std::size_t kFileItemRecordSize = 2606;

// Offsets and widths of the fields the library reads.
struct FieldRef {
  std::size_t offset;
  std::size_t width;
};
namespace field {
inline constexpr FieldRef kRnum{0, 5};
inline constexpr FieldRef kLnum{0, 3};
inline constexpr FieldRef kDtnm{3, 31};
inline constexpr FieldRef kDtat{34, 3};
inline constexpr FieldRef kDale{37, 10};
inline constexpr FieldRef kAnum{47, 10};
inline constexpr FieldRef kSuaf{57, 3};
inline constexpr FieldRef kEdcs{60, 31};
inline constexpr FieldRef kRenm{91, 31};
inline constexpr FieldRef kUsag{122, 6};
inline constexpr FieldRef kBurl{128, 10};
inline constexpr FieldRef kBirl{138, 2};
inline constexpr FieldRef kBlwz{140, 2};
inline constexpr FieldRef kJust{142, 2};
inline constexpr FieldRef kSign{144, 2};
inline constexpr FieldRef kSync{146, 2};
inline constexpr FieldRef kFior{0, 3};
inline constexpr FieldRef kRfor{3, 3};
inline constexpr FieldRef Snm(int n) { return {6 + 260 * static_cast<std::size_t>(n), 260}; }
}  // namespace field

// The text of a string field: its bytes up to the NUL.
std::string_view StringField(std::span<const char> record, FieldRef f);
// The text of an integer field without its blanks.
std::string_view IntegerField(std::span<const char> record, FieldRef f);

// Reasons of a failed open or close.
inline constexpr int kReasonEmptyFile = -1;
inline constexpr int kReasonNoName = -5;
inline constexpr int kReasonNotFound = -6;
inline constexpr int kReasonAccessDenied = -7;
inline constexpr int kReasonDeviceNotReady = -9;
inline constexpr int kReasonOpenFailed = -10;
inline constexpr int kReasonCloseFailed = -11;
inline constexpr int kReasonInUse = -12;
inline constexpr int kReasonNoResources = -17;
inline constexpr int kReasonNoSpace = -18;

enum class NextResult { kRecord, kEnd, kSyntaxError, kOutOfMemory, kInternal };

// The largest definition file the reader takes, far above any real one (a
// record definition of 9999 items is below 2 MiB). A larger file, or a
// device or FIFO that never ends, is a syntax error as soon as this much has
// been read.
inline constexpr std::size_t kMaxDefinitionFileSize = std::size_t{16} << 20;

class DefinitionReader {
 public:
  // Opens `path` for reading while denying other writers and parses it whole
  // (at most kMaxDefinitionFileSize bytes; a larger file yields no record and
  // a syntax error).
  // Returns the reader, or null with the reason in *reason. `strict` turns
  // both recoveries off: the first unexpected token is a syntax error, and
  // when the environment variable ACSTRB is set it is written to stderr.
  static std::unique_ptr<DefinitionReader> Open(const char* path, Grammar grammar, int* reason,
                                                bool strict = false);

  // Parses `data` as the contents of a definition file (no file involved).
  static std::unique_ptr<DefinitionReader> FromBytes(std::string_view data, Grammar grammar,
                                                     bool strict = false);

  ~DefinitionReader();
  DefinitionReader(const DefinitionReader&) = delete;
  DefinitionReader& operator=(const DefinitionReader&) = delete;

  // Stores the next record into `buffer`, which must hold the grammar's
  // largest record (148 or 2606 bytes; else kInternal), and its kind into
  // *kind. Records come in file order; a syntax error is reported when the
  // record it lies in is asked for.
  NextResult Next(std::span<char> buffer, RecordKind* kind);

  // Closes the file: 0, or kReasonCloseFailed.
  int Close();

  struct Parsed {
    struct Record {
      RecordKind kind;
      std::string bytes;
    };
    std::vector<Record> records;
    NextResult end = NextResult::kEnd;  // what follows the last record
  };

 private:
  DefinitionReader(Grammar grammar, Parsed parsed, int file);

  Grammar grammar_;
  Parsed parsed_;
  std::size_t next_ = 0;
  int file_;
};

// The parser itself: every record of `data` up to the end or the first error.
DefinitionReader::Parsed ParseDefinition(std::string_view data, Grammar grammar, bool strict);

}  // namespace qel::recacc

#endif  // QEL_RECACC_DEFINITION_READER_H_
