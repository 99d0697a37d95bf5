// The key file NAME.kdf: the description of an indexed file beside its
// Berkeley DB files. Text lines:
//
//   RECSIZE <bytes>
//   KEY <start>:<length>:<type>[,<start>:<length>:<type>...] [DUPS]
//   # comment
//
// one KEY line per key, primary key first; start counts from 0; type is
// CHAR, INT (2 bytes) or LONG (4 bytes), with a trailing "-" for a
// descending part (CHAR-). Words are upper case; blank lines are skipped.
// A primary key marked DUPS comes from programs that allow duplicate primary
// keys: such a file opens and describes its keys, its records are refused
// (EBADFILE), and isbuild never makes one.
#ifndef QEL_IDXFILE_KEY_FILE_H_
#define QEL_IDXFILE_KEY_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::idxfile {

struct KeyPart {
  int start = 0;
  int length = 0;
  int type = 0;  // CHARTYPE, INTTYPE, LONGTYPE, plus ISDESC
};

struct KeySpec {
  std::vector<KeyPart> parts;
  bool dups = false;
  int length() const;
};

struct FileSpec {
  int record_size = 0;
  std::vector<KeySpec> keys;  // primary first
};

constexpr int kMaxRecordSize = 32767;
constexpr int kMaxKeys = 64;

// Parses a key file's text; on failure returns nullopt and a message with
// the line number in `error`.
std::optional<FileSpec> parse_key_file(std::string_view text, std::string* error);
// Checks a key against the record size: parts within the record, lengths of
// the integer types, at most 8 parts, at most 255 bytes.
bool key_fits(const KeySpec& key, int record_size, std::string* error);
std::string format_key_file(const FileSpec& spec);
std::string format_key(const KeySpec& key);

}  // namespace qel::idxfile

#endif  // QEL_IDXFILE_KEY_FILE_H_
