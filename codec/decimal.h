// Decimal values of record items: a sign, integer digits and fraction digits,
// held as plain digit values so that comparisons and moves between items of
// different attributes never go through floating point.
#ifndef QEL_CODEC_DECIMAL_H_
#define QEL_CODEC_DECIMAL_H_

#include <array>
#include <cstdint>

namespace qel::codec {

// Capacity of one value. Items hold fewer than 20 digits; texts and constants
// may be longer, so the value type leaves room for both sides of the point.
inline constexpr int kMaxIntegerDigits = 40;
inline constexpr int kMaxFractionDigits = 40;

// A fixed-size decimal value. digits[0 .. integer_digits) are the integer
// digits, most significant first, followed by fraction_digits fraction
// digits; every entry is 0 to 9. The shape (integer_digits, fraction_digits)
// is part of the value: a decoded item has exactly its item's shape.
// negative is kept even when every digit is 0 (negative zero), because a
// decoded packed or zoned item may carry it and callers must tell it apart.
struct Decimal {
  bool negative = false;
  int integer_digits = 0;
  int fraction_digits = 0;
  std::array<std::uint8_t, kMaxIntegerDigits + kMaxFractionDigits> digits{};

  int DigitCount() const { return integer_digits + fraction_digits; }
};

// True when every digit is 0 (whatever the sign).
bool IsZero(const Decimal& value);

// The value re-shaped to integer_digits / fraction_digits without rounding:
// integer digits are kept from the right end of the integer part (excess
// high-order digits dropped), fraction digits from the point rightwards
// (excess low-order digits dropped), missing digits are 0. The sign is kept.
// REQUIRES: 0 <= integer_digits <= kMaxIntegerDigits,
//           0 <= fraction_digits <= kMaxFractionDigits.
Decimal Align(const Decimal& value, int integer_digits, int fraction_digits);

// Three-way comparison of two values of any shapes: -1, 0 or 1. Digits are
// aligned at the point first. Values of different sign compare by sign alone,
// so a negative zero is less than (and unequal to) a positive zero; two
// negative values compare by reversed magnitude.
int Compare(const Decimal& a, const Decimal& b);

// Decimal from a binary integer, with scale fraction_digits: 1234 with scale 2
// is 12.34. The result has as many integer digits as the integer needs beyond
// the scale (at least 0). REQUIRES: 0 <= fraction_digits <= kMaxFractionDigits.
Decimal FromInteger(std::int64_t value, int fraction_digits);

// The digits of value read as one integer (the point ignored), with its sign.
// REQUIRES: value.DigitCount() <= 18.
std::int64_t ToScaledInteger(const Decimal& value);

}  // namespace qel::codec

#endif  // QEL_CODEC_DECIMAL_H_
