// Formatting, parsing and checking of numeric texts. Everything works on the
// caller's buffers; nothing here allocates.
#include "codec/numeric_text.h"

namespace qel::codec {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t FormatNumber(const Decimal& value, TextStyle style, std::span<char> out) {
  char buffer[kMaxNumberTextLength];
  std::size_t n = 0;
  if (value.negative) buffer[n++] = '-';
  int first = 0;
  // Leading zeros go, but the units digit stays.
  while (first < value.integer_digits - 1 && value.digits[first] == 0) ++first;
  if (value.integer_digits == 0) {
    if (style == TextStyle::kDisplay) buffer[n++] = '0';
  } else {
    for (int i = first; i < value.integer_digits; ++i) {
      buffer[n++] = static_cast<char>('0' + value.digits[i]);
    }
  }
  if (value.fraction_digits > 0) {
    buffer[n++] = '.';
    for (int i = value.integer_digits; i < value.DigitCount(); ++i) {
      buffer[n++] = static_cast<char>('0' + value.digits[i]);
    }
  }
  if (n > out.size()) return 0;
  for (std::size_t i = 0; i < n; ++i) out[i] = buffer[i];
  return n;
}

bool ParseNumber(std::string_view text, Decimal* out) {
  Decimal value;
  std::size_t i = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    value.negative = text[0] == '-';
    i = 1;
  }
  bool seen_point = false;
  int count = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '.') {
      if (seen_point) return false;
      seen_point = true;
      continue;
    }
    if (!IsDigit(c)) return false;
    if (seen_point) {
      if (value.fraction_digits == kMaxFractionDigits) return false;
      ++value.fraction_digits;
    } else {
      if (value.integer_digits == kMaxIntegerDigits) return false;
      ++value.integer_digits;
    }
    value.digits[count++] = static_cast<std::uint8_t>(c - '0');
  }
  *out = value;
  return true;
}

EntryCheck CheckNumericEntry(std::string_view text, int integer_digits, int fraction_digits,
                             bool truncate, std::span<char> normalised, std::size_t* length) {
  std::size_t point = std::string_view::npos;
  bool any_digit = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      any_digit = true;
    } else if (c == '.') {
      if (point != std::string_view::npos) return EntryCheck::kBadCharacter;
      point = i;
    } else if (c == '-') {
      if (i != 0) return EntryCheck::kMinusNotFirst;
    } else {
      return EntryCheck::kBadCharacter;
    }
  }
  if (!any_digit) return EntryCheck::kBadCharacter;

  bool negative = text[0] == '-';
  std::string_view body = negative ? text.substr(1) : text;
  std::string_view integer_part = body;
  std::string_view fraction_part;
  if (std::size_t p = body.find('.'); p != std::string_view::npos) {
    integer_part = body.substr(0, p);
    fraction_part = body.substr(p + 1);
  }
  if (integer_part.size() > static_cast<std::size_t>(integer_digits) && integer_part != "0") {
    if (!truncate) return EntryCheck::kTooManyIntegerDigits;
    integer_part = integer_part.substr(integer_part.size() - integer_digits);
  }
  if (fraction_part.size() > static_cast<std::size_t>(fraction_digits)) {
    if (!truncate) return EntryCheck::kTooManyFractionDigits;
    fraction_part = fraction_part.substr(0, fraction_digits);
  }

  std::size_t needed = 1 + integer_part.size() + 2 + static_cast<std::size_t>(fraction_digits);
  if (normalised.size() < needed) return EntryCheck::kBadCharacter;
  std::size_t n = 0;
  if (negative) normalised[n++] = '-';
  if (fraction_digits > 0 && integer_part.empty()) normalised[n++] = '0';
  for (char c : integer_part) normalised[n++] = c;
  if (fraction_digits > 0) {
    normalised[n++] = '.';
    for (char c : fraction_part) normalised[n++] = c;
    for (std::size_t k = fraction_part.size(); k < static_cast<std::size_t>(fraction_digits); ++k) {
      normalised[n++] = '0';
    }
  } else if (integer_part.empty()) {
    // Only fraction digits were typed for an item that has none ("-.5" cut
    // to nothing): the value is zero, written with its one digit.
    normalised[n++] = '0';
  }
  *length = n;
  return EntryCheck::kOk;
}

ConstantCheck CheckNumericConstant(std::string_view text, int max_digits) {
  if (text.empty()) return ConstantCheck::kEmpty;
  bool seen_point = false;
  int digits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      if (seen_point) return ConstantCheck::kMalformed;
      seen_point = true;
    } else if (c == '-') {
      if (i != 0) return digits > 0 ? ConstantCheck::kSignAfterDigits : ConstantCheck::kMalformed;
    } else {
      return ConstantCheck::kMalformed;
    }
  }
  if (digits == 0) return ConstantCheck::kMalformed;
  if (digits > max_digits) return ConstantCheck::kTooManyDigits;
  return ConstantCheck::kOk;
}

}  // namespace qel::codec
