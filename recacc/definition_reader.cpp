// The definition reader: lexer, the table-driven parser with its two
// recoveries and the skipped-block rule, and the file handling around them.
#include "recacc/definition_reader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

#include "platform/environment.h"
#include "platform/file.h"
#include "platform/system_error.h"

namespace qel::recacc {
namespace {

namespace pf = qel::platform;

// ---------------------------------------------------------------- grammar

struct FieldSpec {
  const char* keyword;
  std::size_t offset;
  std::size_t width;
  bool integer;
};

struct RecordSpec {
  RecordKind kind;
  const char* start;
  const char* end;
  std::span<const FieldSpec> fields;
  std::size_t size;
};

constexpr FieldSpec kHeaderFields[] = {
    {"FMVR", 0, 9, false},   {"PPNM", 9, 21, false},  {"PPTP", 30, 21, false},
    {"PPVR", 51, 21, false}, {"CONM", 72, 21, false}, {"COVR", 93, 9, false},
    {"ERFG", 102, 2, true},
};
constexpr FieldSpec kBodyFields[] = {{"RNUM", 0, 5, true}};
constexpr FieldSpec kItemFields[] = {
    {"LNUM", 0, 3, false},    {"DTNM", 3, 31, false},   {"DTAT", 34, 3, false},
    {"DALE", 37, 10, false},  {"ANUM", 47, 10, false},  {"SUAF", 57, 3, false},
    {"EDCS", 60, 31, false},  {"RENM", 91, 31, false},  {"USAG", 122, 6, false},
    {"BURL", 128, 10, false}, {"BIRL", 138, 2, false},  {"BLWZ", 140, 2, false},
    {"JUST", 142, 2, false},  {"SIGN", 144, 2, false},  {"SYNC", 146, 2, false},
};
constexpr FieldSpec kFileItemFields[] = {
    {"FIOR", 0, 3, false},       {"RFOR", 3, 3, false},       {"SNM0", 6, 260, false},
    {"SNM1", 266, 260, false},   {"SNM2", 526, 260, false},   {"SNM3", 786, 260, false},
    {"SNM4", 1046, 260, false},  {"SNM5", 1306, 260, false},  {"SNM6", 1566, 260, false},
    {"SNM7", 1826, 260, false},  {"SNM8", 2086, 260, false},  {"SNM9", 2346, 260, false},
};

constexpr RecordSpec kHeader{RecordKind::kHeader, "HEDR", "ENDHEDR", kHeaderFields,
                             kHeaderRecordSize};
constexpr RecordSpec kTrailer{RecordKind::kTrailer, "TRAR", "ENDTRAR", kHeaderFields,
                              kHeaderRecordSize};
constexpr RecordSpec kBody{RecordKind::kBody, "BODR", "ENDBODR", kBodyFields, kBodyRecordSize};
constexpr RecordSpec kItem{RecordKind::kItem, "ITMR", "ENDITMR", kItemFields, kItemRecordSize};
constexpr RecordSpec kFileItem{RecordKind::kItem, "ITMR", "ENDITMR", kFileItemFields,
                               kFileItemRecordSize};

struct GrammarSpec {
  std::array<const RecordSpec*, 4> records;  // header, body (or null), item, trailer
  bool many_items;
};

const GrammarSpec& SpecOf(Grammar g) {
  static const GrammarSpec record{{&kHeader, &kBody, &kItem, &kTrailer}, true};
  static const GrammarSpec file{{&kHeader, nullptr, &kFileItem, &kTrailer}, false};
  return g == Grammar::kRecordDefinition ? record : file;
}

bool IsKeyword(const GrammarSpec& g, std::string_view word) {
  for (const RecordSpec* r : g.records) {
    if (r == nullptr) continue;
    if (word == r->start || word == r->end) return true;
    for (const FieldSpec& f : r->fields) {
      if (word == f.keyword) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- lexer

bool IsLead(unsigned char c) { return IsDefinitionLeadByte(c); }
bool IsKatakana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }
bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsHex(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
int HexValue(unsigned char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

enum class TokenKind { kWord, kString, kSemicolon, kEnd, kInvalid };

struct Token {
  TokenKind kind;
  std::string text;  // value of a word or string; the offending bytes of kInvalid
};

class Lexer {
 public:
  explicit Lexer(std::string_view data) : data_(data) {}

  Token NextToken() {
    for (;;) {
      while (pos_ < data_.size() && IsSpace(At(pos_))) ++pos_;
      if (StartsComment(pos_)) {
        std::size_t close = data_.find("*/", pos_ + 2);
        pos_ = close == std::string_view::npos ? data_.size() : close + 2;
        continue;
      }
      break;
    }
    if (pos_ >= data_.size()) return {TokenKind::kEnd, {}};
    unsigned char c = At(pos_);
    if (c == ';') {
      ++pos_;
      return {TokenKind::kSemicolon, ";"};
    }
    if (c == '"') return QuotedString();
    if (IsInvalid(c)) return Invalid(pos_, 1);
    return BareWord();
  }

 private:
  unsigned char At(std::size_t i) const { return static_cast<unsigned char>(data_[i]); }
  bool StartsComment(std::size_t i) const {
    return i + 1 < data_.size() && data_[i] == '/' && data_[i + 1] == '*';
  }
  static bool IsInvalid(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F || c == '[' || c == '\\' ||
           c == 0x80 || c == 0xA0 || c >= 0xF0;
  }
  Token Invalid(std::size_t at, std::size_t n) {
    Token t{TokenKind::kInvalid, std::string(data_.substr(at, n))};
    pos_ = data_.size();
    return t;
  }

  Token BareWord() {
    std::size_t start = pos_;
    if (IsKatakana(At(pos_))) ++pos_;
    while (pos_ < data_.size()) {
      unsigned char c = At(pos_);
      if (IsSpace(c) || c == ';' || StartsComment(pos_)) break;
      if (IsLead(c)) {
        if (pos_ + 1 >= data_.size()) return Invalid(pos_, 1);
        pos_ += 2;
        continue;
      }
      if (c >= 0x21 && c <= 0x7E && !IsInvalid(c)) {
        ++pos_;
        continue;
      }
      return Invalid(pos_, 1);  // katakana inside a word, or an invalid byte
    }
    return {TokenKind::kWord, std::string(data_.substr(start, pos_ - start))};
  }

  Token QuotedString() {
    std::size_t start = pos_++;
    std::string value;
    while (pos_ < data_.size()) {
      unsigned char c = At(pos_);
      if (c == '"') {
        ++pos_;
        return {TokenKind::kString, std::move(value)};
      }
      if (c == '\n' || c == '\f') break;
      if (IsLead(c)) {
        if (pos_ + 1 >= data_.size()) break;
        value.append(data_.substr(pos_, 2));
        pos_ += 2;
        continue;
      }
      if (c == '\\' && pos_ + 1 < data_.size()) {
        unsigned char n = At(pos_ + 1);
        char plain = 0;
        switch (n) {
          case '"': plain = '"'; break;
          case '\'': plain = '\''; break;
          case '\\': plain = '\\'; break;
          case 'f': plain = '\f'; break;
          case 'n': plain = '\n'; break;
          case 't': plain = '\t'; break;
          default: break;
        }
        if (plain != 0) {
          value.push_back(plain);
          pos_ += 2;
          continue;
        }
        if (n == 'x' && pos_ + 3 < data_.size() && IsHex(At(pos_ + 2)) && IsHex(At(pos_ + 3))) {
          value.push_back(static_cast<char>(HexValue(At(pos_ + 2)) * 16 + HexValue(At(pos_ + 3))));
          pos_ += 4;
          continue;
        }
        // Any other pair stays as written: the backslash here, the byte after
        // it on the next round (so a lead byte still takes its trail byte).
      }
      value.push_back(static_cast<char>(c));
      ++pos_;
    }
    return Invalid(start, pos_ - start);  // unterminated
  }

  std::string_view data_;
  std::size_t pos_ = 0;
};

bool IsIntegerText(std::string_view s) {
  std::size_t i = 0;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) i = 1;
  if (i >= s.size()) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

bool BeginsWithLetter(const Token& t) {
  if (t.kind != TokenKind::kWord || t.text.empty()) return false;
  char c = t.text[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Keeps `value` to `limit` bytes without cutting a double-byte character.
std::size_t CutLength(std::string_view value, std::size_t limit) {
  std::size_t i = 0;
  while (i < value.size()) {
    std::size_t step = IsLead(static_cast<unsigned char>(value[i])) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return i < value.size() ? i : value.size();
}

// ---------------------------------------------------------------- parser

enum class Accept { kTaken, kDiscarded, kSyntaxError };

class Parser {
 public:
  Parser(Grammar grammar, bool strict) : spec_(SpecOf(grammar)), strict_(strict) {}

  DefinitionReader::Parsed Run(std::string_view data) {
    Lexer lexer(data);
    for (;;) {
      Token t = lexer.NextToken();
      if (t.kind == TokenKind::kInvalid) return Fail(t);
      if (t.kind == TokenKind::kEnd) {
        if (!AtCleanEnd()) return Fail(t);
        return std::move(out_);
      }
      if (!skip_.empty()) {
        Skip(t);
        continue;
      }
      if (remembered_ && BeginsWithLetter(t)) {
        // A discarded word followed by another word opens a block that is
        // skipped up to "END" + the discarded word.
        skip_.push_back(std::move(*remembered_));
        remembered_.reset();
        continue;
      }
      remembered_.reset();
      Accept a = Feed(t);
      if (a == Accept::kSyntaxError) return Fail(t);
      if (a == Accept::kDiscarded && BeginsWithLetter(t)) {
        remembered_ = t.text.substr(0, kRememberedBytes);
      }
    }
  }

 private:
  static constexpr std::size_t kRememberedBytes = 28;
  static constexpr std::size_t kMaxSkipDepth = 31;

  enum class State { kBetween, kField, kValue, kSemicolon, kEndSemicolon };

  void Skip(const Token& t) {
    if (t.kind == TokenKind::kWord && t.text.size() == 3 + skip_.back().size() &&
        t.text.compare(0, 3, "END") == 0 && t.text.compare(3, std::string::npos, skip_.back()) == 0) {
      skip_.pop_back();
      remembered_.reset();
      return;
    }
    if (remembered_ && BeginsWithLetter(t) && skip_.size() < kMaxSkipDepth) {
      skip_.push_back(std::move(*remembered_));
      remembered_.reset();
      return;
    }
    remembered_.reset();
    if (BeginsWithLetter(t)) remembered_ = t.text.substr(0, kRememberedBytes);
  }

  DefinitionReader::Parsed Fail(const Token& t) {
    if (strict_ && Traced()) std::fprintf(stderr, "Error token is \"%s\".\n", t.text.c_str());
    out_.end = NextResult::kSyntaxError;
    return std::move(out_);
  }

  static bool Traced() {
    return pf::ExpandEnvironment("%ACSTRB%") != "%ACSTRB%";
  }

  // The records that may start now.
  bool MayStart(const RecordSpec* r) const {
    switch (next_) {
      case 0: return r == spec_.records[0];
      case 1: return r == (spec_.records[1] != nullptr ? spec_.records[1] : spec_.records[2]);
      case 2:
        if (spec_.records[1] == nullptr) return r == spec_.records[3];
        return r == spec_.records[2] || r == spec_.records[3];
      default: return false;
    }
  }
  bool AtCleanEnd() const { return state_ == State::kBetween && next_ == 3; }

  void StartRecord(const RecordSpec* r) {
    record_ = r;
    buffer_.assign(r->size, ' ');
    for (const FieldSpec& f : r->fields) {
      buffer_[f.integer ? f.offset + f.width - 1 : f.offset] = '\0';
    }
    field_ = 0;
    state_ = State::kField;
  }

  void FinishRecord() {
    out_.records.push_back({record_->kind, std::move(buffer_)});
    buffer_.clear();
    if (record_ == spec_.records[3]) {
      next_ = 3;
    } else if (record_ == spec_.records[2]) {
      next_ = 2;
    } else {
      next_ = record_ == spec_.records[0] ? 1 : 2;
    }
    record_ = nullptr;
    state_ = State::kBetween;
  }

  // The place of `word` among the current record's fields, or -1.
  int FieldIndex(std::string_view word) const {
    for (std::size_t i = 0; i < record_->fields.size(); ++i) {
      if (word == record_->fields[i].keyword) return static_cast<int>(i);
    }
    return -1;
  }

  // A field keyword or the end keyword, with `from` the first field not yet
  // complete. Fields skipped over keep their empty value.
  Accept KeywordInRecord(const Token& t, std::size_t from) {
    if (t.text == record_->end) {
      if (strict_ && from != record_->fields.size()) return Accept::kSyntaxError;
      state_ = State::kEndSemicolon;
      return Accept::kTaken;
    }
    int j = FieldIndex(t.text);
    if (j < 0 || static_cast<std::size_t>(j) < from) return Reject();
    if (strict_ && static_cast<std::size_t>(j) != from) return Accept::kSyntaxError;
    field_ = static_cast<std::size_t>(j);
    state_ = State::kValue;
    return Accept::kTaken;
  }

  Accept Reject() const { return strict_ ? Accept::kSyntaxError : Accept::kDiscarded; }

  Accept StoreValue(const Token& t) {
    const FieldSpec& f = record_->fields[field_];
    char* dst = buffer_.data() + f.offset;
    if (f.integer) {
      if (t.kind != TokenKind::kWord || !IsIntegerText(t.text)) return Accept::kSyntaxError;
      if (t.text.size() > f.width - 1) return Accept::kSyntaxError;  // overflow
      std::memcpy(dst + (f.width - 1 - t.text.size()), t.text.data(), t.text.size());
    } else {
      std::size_t n = CutLength(t.text, f.width - 1);
      std::memcpy(dst, t.text.data(), n);
      dst[n] = '\0';
    }
    state_ = State::kSemicolon;
    return Accept::kTaken;
  }

  Accept Feed(const Token& t) {
    bool keyword = t.kind == TokenKind::kWord && IsKeyword(spec_, t.text);
    switch (state_) {
      case State::kBetween:
        if (keyword) {
          for (const RecordSpec* r : spec_.records) {
            if (r != nullptr && t.text == r->start && MayStart(r)) {
              StartRecord(r);
              return Accept::kTaken;
            }
          }
        }
        return Reject();
      case State::kField:
        if (keyword) return KeywordInRecord(t, field_);
        return Reject();
      case State::kValue:
        if (keyword) {
          if (strict_) return Accept::kSyntaxError;
          return KeywordInRecord(t, field_ + 1);
        }
        if (t.kind == TokenKind::kSemicolon) return Reject();
        return StoreValue(t);
      case State::kSemicolon:
        if (t.kind == TokenKind::kSemicolon) {
          ++field_;
          state_ = State::kField;
          return Accept::kTaken;
        }
        if (keyword && !strict_) return KeywordInRecord(t, field_ + 1);
        return Reject();
      case State::kEndSemicolon:
        if (t.kind == TokenKind::kSemicolon) {
          FinishRecord();
          return Accept::kTaken;
        }
        return Reject();
    }
    return Reject();
  }

  const GrammarSpec& spec_;
  bool strict_;
  State state_ = State::kBetween;
  int next_ = 0;  // 0 header, 1 body, 2 items or trailer, 3 after the trailer
  const RecordSpec* record_ = nullptr;
  std::size_t field_ = 0;
  std::string buffer_;
  std::optional<std::string> remembered_;
  std::vector<std::string> skip_;
  DefinitionReader::Parsed out_;
};

int ReasonFromSystemError(int code) {
  switch (code) {
    case pf::kErrorFileNotFound:
    case pf::kErrorPathNotFound:
    case pf::kErrorNameTooLong:
      return kReasonNotFound;
    case pf::kErrorAccessDenied:
      return kReasonAccessDenied;
    case pf::kErrorSharingViolation:
    case pf::kErrorLockViolation:
      return kReasonInUse;
    case pf::kErrorTooManyOpenFiles:
    case pf::kErrorNotEnoughMemory:
      return kReasonNoResources;
    case pf::kErrorDiskFull:
      return kReasonNoSpace;
    case 19:   // ENODEV
    case 123:  // ENOMEDIUM
      return kReasonDeviceNotReady;
    default:
      return kReasonOpenFailed;
  }
}

}  // namespace

std::string_view StringField(std::span<const char> record, FieldRef f) {
  if (f.offset + f.width > record.size()) return {};
  const char* p = record.data() + f.offset;
  std::size_t n = 0;
  while (n < f.width && p[n] != '\0') ++n;
  return {p, n};
}

std::string_view IntegerField(std::span<const char> record, FieldRef f) {
  std::string_view s = StringField(record, f);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

DefinitionReader::Parsed ParseDefinition(std::string_view data, Grammar grammar, bool strict) {
  // Text mode: CR LF is a line end.
  std::string text;
  text.reserve(data.size());
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') continue;
    text.push_back(data[i]);
  }
  return Parser(grammar, strict).Run(text);
}

DefinitionReader::DefinitionReader(Grammar grammar, Parsed parsed, int file)
    : grammar_(grammar), parsed_(std::move(parsed)), file_(file) {}

DefinitionReader::~DefinitionReader() { Close(); }

std::unique_ptr<DefinitionReader> DefinitionReader::Open(const char* path, Grammar grammar,
                                                         int* reason, bool strict) {
  *reason = 0;
  if (path == nullptr || *path == '\0') {
    *reason = kReasonNoName;
    return nullptr;
  }
  pf::File file = pf::File::Open(path, pf::FileAccess::kRead, pf::Disposition::kOpenExisting,
                                 pf::ShareMode::kDenyWrite);
  if (!file.is_open()) {
    *reason = ReasonFromSystemError(pf::LastSystemError());
    return nullptr;
  }
  std::string data;
  try {
    switch (pf::ReadToEnd(file.handle(), kMaxDefinitionFileSize, &data)) {
      case pf::ReadToEndResult::kFailed:
        *reason = kReasonOpenFailed;
        return nullptr;
      case pf::ReadToEndResult::kTooLarge: {
        // Far beyond any definition: refused as the syntax error it is,
        // before more of it is held.
        Parsed refused;
        refused.end = NextResult::kSyntaxError;
        return std::unique_ptr<DefinitionReader>(
            new DefinitionReader(grammar, std::move(refused), file.Release()));
      }
      case pf::ReadToEndResult::kOk:
        break;
    }
    if (data.empty()) {
      *reason = kReasonEmptyFile;
      return nullptr;
    }
    Parsed parsed = ParseDefinition(data, grammar, strict);
    return std::unique_ptr<DefinitionReader>(
        new DefinitionReader(grammar, std::move(parsed), file.Release()));
  } catch (const std::bad_alloc&) {
    *reason = kReasonNoResources;
    return nullptr;
  }
}

std::unique_ptr<DefinitionReader> DefinitionReader::FromBytes(std::string_view data,
                                                              Grammar grammar, bool strict) {
  return std::unique_ptr<DefinitionReader>(
      new DefinitionReader(grammar, ParseDefinition(data, grammar, strict), pf::kInvalidFile));
}

NextResult DefinitionReader::Next(std::span<char> buffer, RecordKind* kind) {
  std::size_t need =
      grammar_ == Grammar::kRecordDefinition ? kItemRecordSize : kFileItemRecordSize;
  if (buffer.size() < need) return NextResult::kInternal;
  if (next_ >= parsed_.records.size()) return parsed_.end;
  const Parsed::Record& r = parsed_.records[next_++];
  std::memcpy(buffer.data(), r.bytes.data(), r.bytes.size());
  *kind = r.kind;
  return NextResult::kRecord;
}

int DefinitionReader::Close() {
  if (file_ == pf::kInvalidFile) return 0;
  bool ok = pf::CloseFile(file_);
  file_ = pf::kInvalidFile;
  return ok ? 0 : kReasonCloseFailed;
}

}  // namespace qel::recacc
