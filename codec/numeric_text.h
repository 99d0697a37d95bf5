// Text forms of numeric item values: the field text written to and read from
// CSV files, the display text of the revise program, and the checks of
// numbers typed by a user or written as constants in a procedure.
#ifndef QEL_CODEC_NUMERIC_TEXT_H_
#define QEL_CODEC_NUMERIC_TEXT_H_

#include <cstddef>
#include <span>
#include <string_view>

#include "codec/decimal.h"

namespace qel::codec {

// Longest numeric field text the converters accept (sign, digits and point
// together); longer texts are invalid data.
inline constexpr std::size_t kMaxFieldTextLength = 30;

// Room for any formatted value: sign, every digit and the point.
inline constexpr std::size_t kMaxNumberTextLength = kMaxIntegerDigits + kMaxFractionDigits + 2;

enum class TextStyle {
  // Field text: integer digits without leading zeros, none at all when the
  // value has no integer digits (V99 holding 0.05 is ".05").
  kField,
  // Display text: like kField, but at least one integer digit "0" (V99
  // holding 0.05 is "0.05").
  kDisplay,
};

// Writes value as: an optional "-" (a negative zero keeps it: "-0"), the
// integer digits without leading zeros (at least one while the value has
// integer digits, or always with kDisplay), and when the value has fraction
// digits "." and exactly that many. No "+" is written.
// Returns the length written, or 0 when out is too small (never for
// out.size() >= kMaxNumberTextLength).
std::size_t FormatNumber(const Decimal& value, TextStyle style, std::span<char> out);

// Reads a field text: an optional leading "-" or "+", digits with at most one
// ".", nothing else (a space is invalid). An empty text, or a sign alone, is
// zero; "-" makes the value negative even when it is zero. The result has as
// many integer and fraction digits as the text.
// Returns false for any other text and for more than kMaxIntegerDigits /
// kMaxFractionDigits digits.
bool ParseNumber(std::string_view text, Decimal* out);

// Result of checking a number typed into an item (revise program).
enum class EntryCheck {
  kOk,
  kBadCharacter,   // a character other than digits, "." and "-", a second ".", or no digit
  kMinusNotFirst,  // "-" after the first position
  kTooManyIntegerDigits,
  kTooManyFractionDigits,
};

// Checks text as a value of an item with integer_digits / fraction_digits:
// digits, at most one ".", "-" only first, at least one digit; at most
// integer_digits integer digits (a lone "0" integer part always passes) and
// at most fraction_digits fraction digits. With truncate, excess high-order
// integer digits and excess fraction digits are dropped instead of refused.
// On kOk writes the normalised text to normalised and its length to *length:
// without fraction digits a trailing "." is removed; with fraction digits a
// "0" goes before a leading "." (after a "-"), a missing "." is added and the
// fraction is padded with "0" to exactly fraction_digits.
// REQUIRES: normalised.size() >= text.size() + fraction_digits + 3.
EntryCheck CheckNumericEntry(std::string_view text, int integer_digits, int fraction_digits,
                             bool truncate, std::span<char> normalised, std::size_t* length);

// Result of checking a numeric constant of an edit procedure.
enum class ConstantCheck {
  kOk,
  kEmpty,            // nothing written
  kMalformed,        // another character, a second ".", no digit, or a "-" before any digit
  kSignAfterDigits,  // a "-" after digits
  kTooManyDigits,    // more than max_digits digits (sign and point not counted)
};

ConstantCheck CheckNumericConstant(std::string_view text, int max_digits);

}  // namespace qel::codec

#endif  // QEL_CODEC_NUMERIC_TEXT_H_
