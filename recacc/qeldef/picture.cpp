// PICTURE analysis and the clause text of a layout item.
#include "recacc/qeldef/picture.h"

#include <set>
#include <vector>

namespace qel::copybook {

namespace {

constexpr int64_t kMaxRepeat = 10'000'000;

struct Symbol {
  char c;         // 'C' stands for CR, 'D' for DB
  int64_t count;
};

// The picture as symbols with their repeat counts; false when malformed.
bool Symbols(std::string_view pic, std::vector<Symbol>* out) {
  for (std::size_t i = 0; i < pic.size();) {
    char c = pic[i++];
    if ((c == 'C' && i < pic.size() && pic[i] == 'R') || (c == 'D' && i < pic.size() && pic[i] == 'B')) {
      ++i;
      out->push_back({c, 1});
      continue;
    }
    if (c == '(' || c == ')') return false;
    int64_t count = 1;
    if (i < pic.size() && pic[i] == '(') {
      std::size_t close = pic.find(')', i);
      if (close == std::string_view::npos || close == i + 1) return false;
      count = 0;
      for (std::size_t k = i + 1; k < close; ++k) {
        if (pic[k] < '0' || pic[k] > '9') return false;
        count = count * 10 + (pic[k] - '0');
        if (count > kMaxRepeat) return false;
      }
      if (count == 0) return false;
      i = close + 1;
    }
    if (c == 'G') c = 'N';
    out->push_back({c, count});
  }
  return !out->empty();
}

std::string Run(char c, int64_t n) {
  if (n <= 0) return "";
  if (n == 1) return std::string(1, c);
  if (n == 2 && c == '9') return "99";
  return std::string(1, c) + "(" + std::to_string(n) + ")";
}

std::string Digits(bool sign, int64_t integer, int64_t fraction) {
  std::string s = sign ? "S" : "";
  s += Run('9', integer);
  if (fraction > 0) s += "V" + Run('9', fraction);
  return s;
}

}  // namespace

Picture AnalysePicture(std::string_view picture) {
  Picture p;
  std::vector<Symbol> symbols;
  if (!Symbols(picture, &symbols)) return p;
  std::set<char> seen;
  int64_t v_count = 0, s_count = 0, nines_before = 0, nines_after = 0, positions = 0;
  bool after_v = false;
  for (std::size_t k = 0; k < symbols.size(); ++k) {
    const Symbol& s = symbols[k];
    seen.insert(s.c);
    if (s.c == 'V') {
      v_count += s.count;
      after_v = true;
      continue;
    }
    if (s.c == 'S') {
      s_count += s.count;
      if (k != 0) return p;
      continue;
    }
    if (s.c == '9') (after_v ? nines_after : nines_before) += s.count;
    positions += (s.c == 'C' || s.c == 'D') ? 2 : s.count;
  }
  if (v_count > 1 || s_count > 1) return p;
  p.positions = positions;
  auto only = [&](std::string_view allowed) {
    for (char c : seen)
      if (allowed.find(c) == std::string_view::npos) return false;
    return true;
  };
  auto has = [&](char c) { return seen.count(c) != 0; };
  if (has('1')) {
    p.category = PictureCategory::kBit;
  } else if (has('E')) {
    p.category = PictureCategory::kFloating;
  } else if (has('P')) {
    p.category = PictureCategory::kScaled;
  } else if (only("9SV") && has('9')) {
    p.category = PictureCategory::kNumeric;
    p.sign = s_count == 1;
    p.integer_digits = nines_before;
    p.fraction_digits = nines_after;
  } else if (s_count > 0) {
    return p;
  } else if (only("A")) {
    p.category = PictureCategory::kAlphabetic;
  } else if (only("AX9") && !has('V')) {
    p.category = PictureCategory::kAlphanumeric;
  } else if (only("N")) {
    p.category = PictureCategory::kNational;
  } else if (only("NB0/") && has('N')) {
    p.category = PictureCategory::kNationalEdited;
  } else if (only("AX9B0/") && (has('A') || has('X'))) {
    p.category = PictureCategory::kAlphanumericEdited;
  } else if (only("9Z*+-$CDB0/.,V")) {
    // An edited number needs a digit position: a 9, Z or *, or a floating
    // sign or currency of two symbols or more ("PIC V" or "PIC B" holds none).
    int64_t floating = 0;
    for (const Symbol& s : symbols)
      if (s.c == '+' || s.c == '-' || s.c == '$') floating += s.count;
    if (!has('9') && !has('Z') && !has('*') && floating < 2) return p;
    p.category = PictureCategory::kNumericEdited;
  } else {
    return p;
  }
  int64_t total = positions + v_count + s_count;
  if (total <= static_cast<int64_t>(kMaxExpandedPicture)) {
    for (const Symbol& s : symbols) {
      if (s.c == 'C') p.expanded += "CR";
      else if (s.c == 'D') p.expanded += "DB";
      else p.expanded.append(static_cast<std::size_t>(s.count), s.c);
    }
  }
  return p;
}

Clause ClauseOf(const ClauseParts& s) {
  Clause c;
  auto binary = [&](bool sign) {
    return "PIC " + Digits(sign, s.digits, s.fraction) + (s.native_binary ? " COMP-5" : " COMP");
  };
  auto other = [&](const char* kind) {
    c.text = "PIC " + Run('X', s.bytes);
    c.comment = kind;
  };
  switch (s.attribute) {
    case 1: c.text = "PIC " + Run('X', s.digits); break;
    case 2: c.text = "PIC " + Run('A', s.digits); break;
    case 3: c.text = "PIC " + Run('N', s.digits); break;
    case 4: break;
    case 5: c.text = binary(true); break;
    case 22: c.text = binary(false); break;
    case 6: c.text = "PIC " + Digits(true, s.digits, s.fraction) + " COMP-3"; break;
    case 7: c.text = "PIC " + Digits(false, s.digits, s.fraction) + " COMP-3"; break;
    case 8:
      c.text = "PIC " + Digits(true, s.digits, s.fraction);
      if (s.sign == '4') c.text += " SIGN LEADING";
      if (s.sign == '2') c.text += " SIGN LEADING SEPARATE";
      if (s.sign == '3') c.text += " SIGN TRAILING SEPARATE";
      break;
    case 9: c.text = "PIC " + Digits(false, s.digits, s.fraction); break;
    case 10: c.text = "COMP-1"; break;
    case 11: c.text = "COMP-2"; break;
    case 19: c.text = "USAGE INDEX"; break;
    case 15:
    case 16:
    case 17:
      if (!s.edit.empty()) {
        c.text = "PIC " + s.edit;
      } else {
        other(s.attribute == 16 ? "numeric edited without edit string"
                                : s.attribute == 15 ? "alphanumeric edited without edit string"
                                                    : "national edited without edit string");
      }
      break;
    case 12: other("edited numeric E"); break;
    case 13: other("bit item"); break;
    case 14: other("item of form 8"); break;
    case 18: other("4-byte item T"); break;
    case 20: other("date item"); break;
    case 21: other("time item"); break;
    default: other("unknown kind"); break;
  }
  if (s.justified && !c.text.empty()) c.text += " JUSTIFIED RIGHT";
  if (s.blank_when_zero && !c.text.empty()) c.text += " BLANK WHEN ZERO";
  // Display and packed items take no slack bytes when synchronized, so the
  // clause keeps the positions; elsewhere it is only noted, since a
  // compiler would add slack that the positions already hold.
  bool no_slack = s.attribute == 1 || s.attribute == 2 || s.attribute == 3 ||
                  (s.attribute >= 6 && s.attribute <= 9) || (s.attribute >= 15 && s.attribute <= 17);
  if (s.synchronized && no_slack && !c.comment.empty()) no_slack = false;
  if (s.synchronized && no_slack) c.text += " SYNCHRONIZED";
  if (s.synchronized && !no_slack)
    c.comment += c.comment.empty() ? "SYNCHRONIZED" : ", SYNCHRONIZED";
  return c;
}

int AttributeOf(std::string_view dtat, std::string_view usag) {
  if (usag == "INDEX") return 19;
  struct Code {
    std::string_view dtat;
    int code;
  };
  static constexpr Code kCodes[] = {
      {"X", 1},  {"A", 2},  {"N", 3},   {"G", 4},  {"", 4},   {"B", 5},   {"C", 22},
      {"P", 6},  {"U", 7},  {"S", 8},   {"9", 9},  {"F", 10}, {"D", 11},  {"E", 12},
      {"1", 13}, {"8", 14}, {"XE", 15}, {"Z", 16}, {"NE", 17}, {"T", 18}, {"IX", 19},
      {"XD", 20}, {"XT", 21},
  };
  for (const Code& c : kCodes)
    if (c.dtat == dtat) return c.code;
  return 0;
}

}  // namespace qel::copybook
