// The copybook reader: source lines to one stream of characters, the stream
// to words, literals and periods, the words to data description entries.
#include "recacc/qeldef/copybook_reader.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/cp932.h"

namespace qel::copybook {

namespace {

constexpr std::size_t kIndicatorColumn = 6;  // 0-based: column 7
constexpr std::size_t kTextStart = 7;        // column 8
constexpr std::size_t kTextEnd = 72;         // past column 72
constexpr std::size_t kTabWidth = 8;

// One character of the joined source and the line it came from. A '\n'
// separates lines that do not continue each other.
struct SourceChar {
  char c;
  int line;
};

struct Token {
  enum Kind { kWord, kLiteral, kPeriod } kind;
  std::string text;  // words in upper case
  int line;
};

class Joiner {
 public:
  Joiner(const ReadOptions& options, std::vector<Diagnostic>* diagnostics)
      : options_(options), diagnostics_(diagnostics) {}

  std::vector<SourceChar> Join(std::string_view text) {
    int line = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view raw = text.substr(pos, end - pos);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      Line(raw, ++line);
      pos = end + 1;
    }
    return std::move(out_);
  }

 private:
  void Line(std::string_view raw, int line) {
    char indicator = ' ';
    std::string area;
    if (options_.free_format) {
      area = raw;
      if (area.size() >= 2 && (area[0] == 'D' || area[0] == 'd') && area[1] == ' ') return;
    } else {
      std::string expanded = ExpandTabs(raw);
      if (expanded.size() > kIndicatorColumn) indicator = expanded[kIndicatorColumn];
      if (expanded.size() > kTextStart)
        area = expanded.substr(kTextStart, std::min(expanded.size(), kTextEnd) - kTextStart);
    }
    if (indicator == '*' || indicator == '/' || indicator == 'D' || indicator == 'd') return;
    if (indicator != ' ' && indicator != '-') {
      diagnostics_->push_back({line, std::string(1, indicator), kReasonIndicator, ""});
      return;
    }
    if (options_.utf8) {
      auto converted = platform::Utf8ToCp932(area);
      if (!converted) {
        diagnostics_->push_back({line, "", kReasonEncoding, ""});
        return;
      }
      area = *converted;
    }
    std::size_t i = 0;
    if (indicator == '-') {
      while (i < area.size() && area[i] == ' ') ++i;
      if (quote_ != 0) {
        if (i < area.size() && area[i] == quote_) ++i;
      } else {
        while (!out_.empty() && out_.back().c == ' ') out_.pop_back();
        if (!out_.empty() && out_.back().c == '\n') out_.pop_back();
      }
    } else {
      quote_ = 0;  // a literal left open on the line above ends there
      out_.push_back({'\n', line});
    }
    for (; i < area.size(); ++i) {
      char c = area[i];
      unsigned char u = static_cast<unsigned char>(c);
      if (quote_ == 0 && c == '*' && i + 1 < area.size() && area[i + 1] == '>') break;
      if (quote_ == 0 && (c == '"' || c == '\'')) {
        quote_ = c;
      } else if (quote_ != 0 && c == quote_) {
        // A doubled quote inside a literal stands for one quote.
        if (i + 1 < area.size() && area[i + 1] == quote_) {
          out_.push_back({c, line});
          ++i;
        } else {
          quote_ = 0;
        }
      } else if (IsCp932LeadByte(u) && i + 1 < area.size()) {
        out_.push_back({c, line});
        c = area[++i];
      } else if (c == '\t') {
        c = ' ';
      }
      out_.push_back({c, line});
    }
  }

  static std::string ExpandTabs(std::string_view raw) {
    std::string out;
    for (char c : raw) {
      if (c == '\t') {
        do out.push_back(' ');
        while (out.size() % kTabWidth != 0);
      } else {
        out.push_back(c);
      }
    }
    return out;
  }

  const ReadOptions& options_;
  std::vector<Diagnostic>* diagnostics_;
  std::vector<SourceChar> out_;
  char quote_ = 0;
};

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\t'; }

std::vector<Token> Tokenize(const std::vector<SourceChar>& src) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < src.size()) {
    char c = src[i].c;
    if (IsSpace(c)) {
      ++i;
      continue;
    }
    int line = src[i].line;
    if (c == '"' || c == '\'') {
      Token t{Token::kLiteral, "", line};
      for (++i; i < src.size() && src[i].c != '\n'; ++i) {
        if (src[i].c == c) {
          if (i + 1 < src.size() && src[i + 1].c == c) {
            t.text.push_back(c);
            ++i;
            continue;
          }
          ++i;
          break;
        }
        t.text.push_back(src[i].c);
      }
      tokens.push_back(std::move(t));
      continue;
    }
    std::string word;
    while (i < src.size() && !IsSpace(src[i].c) && src[i].c != '"' && src[i].c != '\'') {
      unsigned char u = static_cast<unsigned char>(src[i].c);
      word.push_back(src[i].c);
      if (IsCp932LeadByte(u) && i + 1 < src.size() && !IsSpace(src[i + 1].c)) word.push_back(src[++i].c);
      ++i;
    }
    // A separator period, comma or semicolon ends the word only before a
    // blank or the line end; inside a picture it belongs to the word.
    bool at_break = i >= src.size() || IsSpace(src[i].c);
    bool period = false;
    while (at_break && !word.empty() &&
           (word.back() == '.' || word.back() == ',' || word.back() == ';')) {
      if (word.back() == '.') period = true;
      word.pop_back();
      if (period) break;
    }
    if (!word.empty()) tokens.push_back({Token::kWord, UpperCase(word), line});
    if (period) tokens.push_back({Token::kPeriod, ".", line});
  }
  return tokens;
}

std::optional<long> Number(std::string_view text) {
  long value = 0;
  if (text.empty() || text.size() > 9) return std::nullopt;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

struct UsageWord {
  std::string_view word;
  Usage usage;
};
constexpr UsageWord kUsages[] = {
    {"DISPLAY", Usage::kDisplay},       {"NATIONAL", Usage::kNational},
    {"DISPLAY-1", Usage::kDisplay1},    {"COMP", Usage::kBinary},
    {"COMPUTATIONAL", Usage::kBinary},  {"COMP-4", Usage::kBinary},
    {"COMPUTATIONAL-4", Usage::kBinary}, {"BINARY", Usage::kBinary},
    {"COMP-3", Usage::kPacked},         {"COMPUTATIONAL-3", Usage::kPacked},
    {"PACKED-DECIMAL", Usage::kPacked}, {"COMP-5", Usage::kNative},
    {"COMPUTATIONAL-5", Usage::kNative}, {"COMP-1", Usage::kFloat},
    {"COMPUTATIONAL-1", Usage::kFloat}, {"FLOAT-SHORT", Usage::kFloat},
    {"COMP-2", Usage::kDouble},         {"COMPUTATIONAL-2", Usage::kDouble},
    {"FLOAT-LONG", Usage::kDouble},     {"INDEX", Usage::kIndex},
};

bool IsPointerUsage(std::string_view w) {
  return w == "POINTER" || w == "PROGRAM-POINTER" || w == "FUNCTION-POINTER";
}

// Usage words of the language that no definition kind holds.
bool IsOtherUsage(std::string_view w) {
  return w == "BIT" || w.starts_with("BINARY-") || w.starts_with("COMP-") ||
         w.starts_with("COMPUTATIONAL-") || w.starts_with("FLOAT-") || w == "OBJECT";
}

// Words that begin a clause: they end a VALUE clause's literals and a list of
// key or index names.
bool IsClauseWord(std::string_view w) {
  static constexpr std::string_view kWords[] = {
      "REDEFINES", "PIC",     "PICTURE",   "USAGE",   "OCCURS",       "SIGN",
      "LEADING",   "TRAILING", "JUSTIFIED", "JUST",   "BLANK",        "SYNC",
      "SYNCHRONIZED", "VALUE", "VALUES",   "GLOBAL",  "EXTERNAL",     "ASCENDING",
      "DESCENDING", "INDEXED", "RENAMES",  "BASED",   "DEPENDING",
  };
  for (auto k : kWords)
    if (w == k) return true;
  for (const auto& u : kUsages)
    if (w == u.word) return true;
  return IsPointerUsage(w) || IsOtherUsage(w);
}

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, ReadResult* result)
      : tokens_(tokens), result_(result) {}

  void Run() {
    while (pos_ < tokens_.size()) Statement();
  }

 private:
  const Token* Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
  }
  bool PeekWord(std::string_view w) const {
    const Token* t = Peek();
    return t != nullptr && t->kind == Token::kWord && t->text == w;
  }
  bool AcceptWord(std::string_view w) {
    if (!PeekWord(w)) return false;
    ++pos_;
    return true;
  }
  void SkipToPeriod() {
    while (pos_ < tokens_.size() && tokens_[pos_].kind != Token::kPeriod) ++pos_;
    if (pos_ < tokens_.size()) ++pos_;
  }
  void Fault(int line, std::string item, int reason, std::string insert = "") {
    result_->diagnostics.push_back({line, std::move(item), reason, std::move(insert)});
  }

  void Statement() {
    const Token& first = tokens_[pos_];
    if (first.kind == Token::kPeriod) {
      ++pos_;
      return;
    }
    if (first.kind == Token::kWord) {
      if (first.text == "COPY" || first.text == "REPLACE") {
        Fault(first.line, first.text, kReasonCopy);
        return SkipToPeriod();
      }
      if (first.text.starts_with("==")) {
        Fault(first.line, first.text, kReasonPseudoText);
        return SkipToPeriod();
      }
      if (first.text.starts_with(">>")) {
        Fault(first.line, first.text, kReasonDirective);
        // A directive runs to its line end and has no period.
        while (pos_ < tokens_.size() && tokens_[pos_].line == first.line) ++pos_;
        return;
      }
    }
    auto level = first.kind == Token::kWord && first.text.size() <= 2 ? Number(first.text)
                                                                        : std::nullopt;
    if (!level || *level < 1 || (*level > 49 && *level != 66 && *level != 77 && *level != 88)) {
      Fault(first.line, first.text, level ? kReasonBadLevel : kReasonUnknownWord, first.text);
      return SkipToPeriod();
    }
    ++pos_;
    Entry entry;
    entry.line = first.line;
    entry.level = static_cast<int>(*level);
    const Token* name = Peek();
    std::string shown = "FILLER";
    if (name != nullptr && name->kind == Token::kWord && !IsClauseWord(name->text)) {
      if (name->text != "FILLER") entry.name = name->text;
      shown = name->text;
      ++pos_;
    }
    if (entry.level == 88) return SkipToPeriod();
    if (entry.level == 66) {
      result_->diagnostics.push_back({entry.line, shown, kWarnLevel66, ""});
      return SkipToPeriod();
    }
    if (entry.level == 77) {
      Fault(entry.line, shown, kReasonLevel77);
      return SkipToPeriod();
    }
    if (Clauses(&entry, shown)) {
      if (pos_ < tokens_.size()) ++pos_;  // the period
    } else {
      entry.faulty = true;
      SkipToPeriod();
    }
    result_->entries.push_back(std::move(entry));
  }

  // Reads the clauses up to the entry's period. False after a fault (already
  // reported), with the position somewhere inside the entry.
  bool Clauses(Entry* e, const std::string& shown) {
    while (const Token* t = Peek()) {
      if (t->kind == Token::kPeriod) return true;
      int line = t->line;
      if (t->kind == Token::kLiteral) {
        Fault(line, shown, kReasonUnknownWord, "\"" + t->text + "\"");
        return false;
      }
      std::string w = t->text;
      ++pos_;
      if (w == "IS" || w == "GLOBAL" || w == "EXTERNAL") continue;
      if (w == "REDEFINES") {
        const Token* object = Peek();
        if (object == nullptr || object->kind != Token::kWord) {
          Fault(line, shown, kReasonRedefinesObject);
          return false;
        }
        e->redefines = object->text;
        ++pos_;
      } else if (w == "PIC" || w == "PICTURE") {
        AcceptWord("IS");
        const Token* pic = Peek();
        if (pic == nullptr || pic->kind != Token::kWord) {
          Fault(line, shown, kReasonBadPicture);
          return false;
        }
        e->picture = pic->text;
        ++pos_;
      } else if (w == "USAGE") {
        AcceptWord("IS");
        const Token* u = Peek();
        if (u == nullptr || u->kind != Token::kWord) {
          Fault(line, shown, kReasonUsage, "USAGE");
          return false;
        }
        ++pos_;
        if (!UsageWordClause(u->text, e, line, shown)) return false;
      } else if (w == "SIGN" || w == "LEADING" || w == "TRAILING") {
        if (w == "SIGN") {
          AcceptWord("IS");
          w = Peek() != nullptr ? Peek()->text : "";
          if (w != "LEADING" && w != "TRAILING") {
            Fault(line, shown, kReasonUnknownWord, "SIGN");
            return false;
          }
          ++pos_;
        }
        bool separate = AcceptWord("SEPARATE");
        if (separate) AcceptWord("CHARACTER");
        e->sign = w == "LEADING" ? (separate ? SignClause::kLeadingSeparate : SignClause::kLeading)
                                 : (separate ? SignClause::kTrailingSeparate : SignClause::kTrailing);
      } else if (w == "OCCURS") {
        if (!Occurs(e, line, shown)) return false;
      } else if (w == "JUSTIFIED" || w == "JUST") {
        AcceptWord("RIGHT");
        e->justified = true;
      } else if (w == "BLANK") {
        AcceptWord("WHEN");
        if (!AcceptWord("ZERO") && !AcceptWord("ZEROS") && !AcceptWord("ZEROES")) {
          Fault(line, shown, kReasonUnknownWord, "BLANK");
          return false;
        }
        e->blank_when_zero = true;
      } else if (w == "SYNC" || w == "SYNCHRONIZED") {
        if (!AcceptWord("LEFT")) AcceptWord("RIGHT");
        e->synchronized = true;
      } else if (w == "VALUE" || w == "VALUES") {
        // Literals, figurative constants, THRU ranges: nothing of them is kept.
        while (const Token* v = Peek()) {
          if (v->kind == Token::kPeriod || (v->kind == Token::kWord && IsClauseWord(v->text)))
            break;
          ++pos_;
        }
      } else if (!UsageWordClause(w, e, line, shown)) {
        return false;
      }
    }
    return true;  // the text ends without a period after the last entry
  }

  bool UsageWordClause(const std::string& w, Entry* e, int line, const std::string& shown) {
    for (const auto& u : kUsages) {
      if (w == u.word) {
        e->usage = u.usage;
        return true;
      }
    }
    if (IsPointerUsage(w)) {
      Fault(line, shown, kReasonPointer, w);
    } else if (w == "BIT") {
      Fault(line, shown, kReasonBit, w);
    } else if (IsOtherUsage(w)) {
      Fault(line, shown, kReasonUsage, w);
    } else if (w == "COPY" || w == "REPLACE") {
      Fault(line, w, kReasonCopy);
    } else {
      Fault(line, shown, kReasonUnknownWord, w);
    }
    return false;
  }

  bool Occurs(Entry* e, int line, const std::string& shown) {
    const Token* n = Peek();
    auto count = n != nullptr && n->kind == Token::kWord ? Number(n->text) : std::nullopt;
    // Only the lower bound of a variable table may be 0.
    if (!count || (*count < 1 && !(Peek(1) != nullptr && Peek(1)->text == "TO"))) {
      Fault(line, shown, kReasonBadOccurs, n != nullptr ? n->text : "");
      return false;
    }
    ++pos_;
    if (AcceptWord("TO")) {
      const Token* m = Peek();
      auto max = m != nullptr && m->kind == Token::kWord ? Number(m->text) : std::nullopt;
      if (!max || *max < 1 || *max < *count) {
        Fault(line, shown, kReasonBadOccurs, m != nullptr ? m->text : "");
        return false;
      }
      ++pos_;
      count = max;
    }
    AcceptWord("TIMES");
    if (AcceptWord("DEPENDING")) {
      AcceptWord("ON");
      if (Peek() != nullptr && Peek()->kind == Token::kWord) ++pos_;
      e->depending = true;
    }
    e->occurs = *count;
    // Keys and index names describe searches, not storage.
    while (PeekWord("ASCENDING") || PeekWord("DESCENDING") || PeekWord("INDEXED")) {
      ++pos_;
      AcceptWord("KEY");
      AcceptWord("BY");
      AcceptWord("IS");
      while (const Token* k = Peek()) {
        if (k->kind != Token::kWord || IsClauseWord(k->text)) break;
        ++pos_;
      }
    }
    return true;
  }

  const std::vector<Token>& tokens_;
  std::size_t pos_ = 0;
  ReadResult* result_;
};

}  // namespace

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned char u = static_cast<unsigned char>(out[i]);
    if (IsCp932LeadByte(u)) {
      ++i;
    } else if (u >= 'a' && u <= 'z') {
      out[i] = static_cast<char>(u - 'a' + 'A');
    }
  }
  return out;
}

ReadResult ReadCopybook(std::string_view text, const ReadOptions& options) {
  ReadResult result;
  Joiner joiner(options, &result.diagnostics);
  std::vector<SourceChar> chars = joiner.Join(text);
  std::vector<Token> tokens = Tokenize(chars);
  Parser(tokens, &result).Run();
  std::stable_sort(result.diagnostics.begin(), result.diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return result;
}

}  // namespace qel::copybook
