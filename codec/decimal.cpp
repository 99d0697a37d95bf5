// Decimal value arithmetic needed by the item codec: alignment without
// rounding, comparison, and conversion from and to binary integers.
#include "codec/decimal.h"

#include <algorithm>

namespace qel::codec {
namespace {

// Digit at a place relative to the point: place 0 is the units digit,
// 1 the tens, -1 the tenths. Places outside the value are 0.
int DigitAt(const Decimal& v, int place) {
  int index = v.integer_digits - 1 - place;
  if (index < 0 || index >= v.DigitCount()) return 0;
  return v.digits[index];
}

}  // namespace

bool IsZero(const Decimal& value) {
  for (int i = 0; i < value.DigitCount(); ++i) {
    if (value.digits[i] != 0) return false;
  }
  return true;
}

Decimal Align(const Decimal& value, int integer_digits, int fraction_digits) {
  Decimal out;
  out.negative = value.negative;
  out.integer_digits = std::clamp(integer_digits, 0, kMaxIntegerDigits);
  out.fraction_digits = std::clamp(fraction_digits, 0, kMaxFractionDigits);
  for (int i = 0; i < out.DigitCount(); ++i) {
    out.digits[i] = static_cast<std::uint8_t>(DigitAt(value, out.integer_digits - 1 - i));
  }
  return out;
}

int Compare(const Decimal& a, const Decimal& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  int top = std::max(a.integer_digits, b.integer_digits) - 1;
  int bottom = -std::max(a.fraction_digits, b.fraction_digits);
  int magnitude = 0;
  for (int place = top; place >= bottom; --place) {
    int da = DigitAt(a, place);
    int db = DigitAt(b, place);
    if (da != db) {
      magnitude = da < db ? -1 : 1;
      break;
    }
  }
  return a.negative ? -magnitude : magnitude;
}

Decimal FromInteger(std::int64_t value, int fraction_digits) {
  // Work on the magnitude as unsigned so that the most negative value is safe.
  std::uint64_t magnitude =
      value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  std::uint8_t reversed[20];
  int count = 0;
  do {
    reversed[count++] = static_cast<std::uint8_t>(magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);

  Decimal out;
  out.negative = value < 0;
  out.fraction_digits = std::clamp(fraction_digits, 0, kMaxFractionDigits);
  out.integer_digits = std::max(count - out.fraction_digits, 0);
  // Place digits from the right end; the fraction may need leading zeros.
  for (int i = 0; i < out.DigitCount(); ++i) {
    int from_right = out.DigitCount() - 1 - i;
    out.digits[i] = from_right < count ? reversed[from_right] : 0;
  }
  return out;
}

std::int64_t ToScaledInteger(const Decimal& value) {
  std::int64_t result = 0;
  int count = std::min(value.DigitCount(), 18);
  for (int i = value.DigitCount() - count; i < value.DigitCount(); ++i) {
    result = result * 10 + value.digits[i];
  }
  return value.negative ? -result : result;
}

}  // namespace qel::codec
