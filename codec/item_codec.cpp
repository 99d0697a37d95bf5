// Decoding and encoding of record item values. The functions work on the
// caller's spans and on a Decimal on the stack; a sign or zone is read from
// the bytes and never patched into the caller's record.
#include "codec/item_codec.h"

#include <algorithm>

#include "codec/numeric_item_text.h"

namespace qel::codec {
namespace {

constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kFullWidthSpace[2] = {0x81, 0x40};
constexpr std::uint8_t kNegativeZone = 0x70;

int DigitCount(const ItemFormat& f) { return f.integer_digits + f.fraction_digits; }

bool ShapeOk(const ItemFormat& f, int max_digits) {
  return f.integer_digits >= 0 && f.fraction_digits >= 0 && DigitCount(f) >= 1 &&
         DigitCount(f) <= max_digits;
}

bool SeparateSign(const ItemFormat& f) {
  return f.attribute == kSignedZoned &&
         (f.sign == kSignLeadingSeparate || f.sign == kSignTrailingSeparate);
}

// Checks the format and the span size; the byte length used is the one the
// digits call for, so a descriptor whose byte length disagrees is refused.
bool Usable(const ItemFormat& f, std::size_t available) {
  int needed = NumericByteLength(f);
  return needed > 0 && f.byte_length == needed && available >= static_cast<std::size_t>(needed);
}

Decimal ZeroOfShape(const ItemFormat& f) {
  Decimal v;
  v.integer_digits = f.integer_digits;
  v.fraction_digits = f.fraction_digits;
  return v;
}

Status DecodeBinary(const ItemFormat& f, std::span<const std::uint8_t> b, bool big_endian,
                    Decimal* value) {
  int n = f.byte_length;
  std::uint32_t raw = 0;
  for (int i = 0; i < n; ++i) {
    std::uint8_t byte = big_endian ? b[i] : b[n - 1 - i];
    raw = (raw << 8) | byte;
  }
  std::int64_t number;
  if (f.attribute == kSignedBinary) {
    number = n == 2 ? static_cast<std::int16_t>(raw) : static_cast<std::int32_t>(raw);
  } else {
    // Unsigned items are read over all their bits, so a 4-byte value with the
    // top bit set stays the large positive number it is.
    number = raw;
  }
  *value = Align(FromInteger(number, f.fraction_digits), f.integer_digits, f.fraction_digits);
  return Status::kOk;
}

Status DecodePacked(const ItemFormat& f, std::span<const std::uint8_t> b, bool digit_sign,
                    Decimal* value) {
  int n = f.byte_length;
  for (int i = 0; i < n; ++i) {
    if ((b[i] >> 4) > 9) return Status::kInvalidData;
    if (i < n - 1 && (b[i] & 0x0F) > 9) return Status::kInvalidData;
  }
  std::uint8_t sign = b[n - 1] & 0x0F;
  if (f.attribute == kSignedPacked) {
    if (sign != 0x0C && sign != 0x0D && !(digit_sign && sign <= 9)) return Status::kInvalidData;
  } else if (sign != 0x0F) {
    return Status::kInvalidData;
  }
  Decimal v = ZeroOfShape(f);
  v.negative = sign == 0x0D;
  int digits = DigitCount(f);
  // Nibble k counts from the first high nibble; the last is the sign, and an
  // even digit count leaves one padding nibble in front.
  int first = 2 * n - 1 - digits;
  for (int d = 0; d < digits; ++d) {
    int k = first + d;
    std::uint8_t byte = b[k / 2];
    v.digits[d] = (k % 2 == 0) ? byte >> 4 : byte & 0x0F;
  }
  *value = v;
  return Status::kOk;
}

Status DecodeZoned(const ItemFormat& f, std::span<const std::uint8_t> b,
                   const CodecOptions& options, Decimal* value) {
  int n = f.byte_length;
  Decimal v = ZeroOfShape(f);
  if (f.attribute == kUnsignedZoned && options.blank_when_zero && f.blank_when_zero &&
      std::all_of(b.begin(), b.begin() + n, [](std::uint8_t c) { return c == kSpace; })) {
    *value = v;
    return Status::kOk;
  }
  ZonedSignPlace place = ZonedSignPlaceOf(f);
  if (place.separate >= 0) v.negative = b[place.separate] == '-';
  int start = place.first_digit;
  int embedded = place.embedded;
  int digits = DigitCount(f);
  for (int d = 0; d < digits; ++d) {
    int i = start + d;
    std::uint8_t c = b[i];
    if (i == embedded) {
      if ((c & kNegativeZone) == kNegativeZone) v.negative = true;
      c = static_cast<std::uint8_t>('0' + (c & 0x0F));
    }
    if (c < '0' || c > '9') return Status::kInvalidData;
    v.digits[d] = static_cast<std::uint8_t>(c - '0');
  }
  *value = v;
  return Status::kOk;
}

void EncodeBinary(const ItemFormat& f, const Decimal& aligned, bool big_endian,
                  std::span<std::uint8_t> out) {
  std::int64_t number = ToScaledInteger(aligned);
  if (f.attribute == kUnsignedBinary && number < 0) number = -number;
  auto raw = static_cast<std::uint32_t>(number);
  int n = f.byte_length;
  for (int i = 0; i < n; ++i) {
    auto byte = static_cast<std::uint8_t>(raw >> (8 * i));
    out[big_endian ? n - 1 - i : i] = byte;
  }
}

void EncodePacked(const ItemFormat& f, const Decimal& aligned, std::span<std::uint8_t> out) {
  int n = f.byte_length;
  std::fill(out.begin(), out.begin() + n, 0);
  int digits = DigitCount(f);
  int first = 2 * n - 1 - digits;
  for (int d = 0; d < digits; ++d) {
    int k = first + d;
    if (k % 2 == 0) {
      out[k / 2] |= static_cast<std::uint8_t>(aligned.digits[d] << 4);
    } else {
      out[k / 2] |= aligned.digits[d];
    }
  }
  std::uint8_t sign = 0x0F;
  if (f.attribute == kSignedPacked) sign = aligned.negative ? 0x0D : 0x0C;
  out[n - 1] |= sign;
}

void EncodeZoned(const ItemFormat& f, const Decimal& aligned, const CodecOptions& options,
                 std::span<std::uint8_t> out) {
  int n = f.byte_length;
  int digits = DigitCount(f);
  if (f.attribute == kUnsignedZoned && options.blank_when_zero && f.blank_when_zero &&
      IsZero(aligned)) {
    std::fill(out.begin(), out.begin() + n, kSpace);
    return;
  }
  bool negative = f.attribute == kSignedZoned && aligned.negative;
  ZonedSignPlace place = ZonedSignPlaceOf(f);
  for (int d = 0; d < digits; ++d) {
    out[place.first_digit + d] = static_cast<std::uint8_t>('0' + aligned.digits[d]);
  }
  if (place.separate >= 0) out[place.separate] = negative ? '-' : '+';
  if (place.embedded >= 0 && negative) out[place.embedded] |= kNegativeZone;
}

}  // namespace

ItemClass ClassOf(int attribute) {
  switch (attribute) {
    case kAlphanumeric:
    case kAlphabetic:
    case kAlphanumericEdited:
    case kNumericEdited:
      return ItemClass::kCharacter;
    case kNational:
    case kNationalEdited:
      return ItemClass::kNational;
    case kGroup:
      return ItemClass::kGroup;
    case kSignedBinary:
    case kUnsignedBinary:
    case kSignedPacked:
    case kUnsignedPacked:
    case kSignedZoned:
    case kUnsignedZoned:
      return ItemClass::kNumeric;
    default:
      return ItemClass::kOther;
  }
}

int NumericByteLength(const ItemFormat& f) {
  switch (f.attribute) {
    case kSignedBinary:
    case kUnsignedBinary:
      if (!ShapeOk(f, 9)) return -1;
      return DigitCount(f) <= 4 ? 2 : 4;
    case kSignedPacked:
    case kUnsignedPacked:
      if (!ShapeOk(f, 19)) return -1;
      return DigitCount(f) / 2 + 1;
    case kSignedZoned:
    case kUnsignedZoned:
      if (!ShapeOk(f, 19)) return -1;
      return DigitCount(f) + (SeparateSign(f) ? 1 : 0);
    default:
      return -1;
  }
}

Status DecodeNumber(const ItemFormat& format, std::span<const std::uint8_t> bytes,
                    const CodecOptions& options, Decimal* value) {
  if (!Usable(format, bytes.size())) return Status::kBadFormat;
  switch (format.attribute) {
    case kSignedBinary:
    case kUnsignedBinary:
      return DecodeBinary(format, bytes, options.big_endian, value);
    case kSignedPacked:
    case kUnsignedPacked:
      return DecodePacked(format, bytes, options.packed_digit_sign, value);
    default:
      return DecodeZoned(format, bytes, options, value);
  }
}

Status EncodeNumber(const ItemFormat& format, const Decimal& value, const CodecOptions& options,
                    std::span<std::uint8_t> out) {
  if (!Usable(format, out.size())) return Status::kBadFormat;
  Decimal aligned = Align(value, format.integer_digits, format.fraction_digits);
  switch (format.attribute) {
    case kSignedBinary:
    case kUnsignedBinary:
      EncodeBinary(format, aligned, options.big_endian, out);
      break;
    case kSignedPacked:
    case kUnsignedPacked:
      EncodePacked(format, aligned, out);
      break;
    default:
      EncodeZoned(format, aligned, options, out);
      break;
  }
  return Status::kOk;
}

Status ItemToText(const ItemFormat& format, std::span<const std::uint8_t> bytes,
                  const CodecOptions& options, TextStyle style, std::span<char> out,
                  std::size_t* length) {
  switch (ClassOf(format.attribute)) {
    case ItemClass::kCharacter:
    case ItemClass::kNational: {
      if (format.byte_length < 0) return Status::kBadFormat;
      auto n = static_cast<std::size_t>(format.byte_length);
      if (bytes.size() < n || out.size() < n) return Status::kBadFormat;
      std::copy(bytes.begin(), bytes.begin() + n, out.begin());
      *length = n;
      return Status::kOk;
    }
    case ItemClass::kNumeric:
      if (!Usable(format, bytes.size())) return Status::kBadFormat;
      return NumericItemToText(format, bytes, options, style, out, length);
    default:
      return Status::kNotConvertible;
  }
}

Status TextToItem(const ItemFormat& format, std::string_view text, const CodecOptions& options,
                  std::span<std::uint8_t> out) {
  auto source = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
  switch (ClassOf(format.attribute)) {
    case ItemClass::kCharacter:
    case ItemClass::kNational: {
      if (format.byte_length < 0 || out.size() < static_cast<std::size_t>(format.byte_length)) {
        return Status::kBadFormat;
      }
      auto destination = out.first(static_cast<std::size_t>(format.byte_length));
      if (ClassOf(format.attribute) == ItemClass::kCharacter) {
        PlaceCharacters(source, format.justified, destination);
      } else {
        PlaceNational(source, format.justified, destination);
      }
      return Status::kOk;
    }
    case ItemClass::kNumeric: {
      if (!Usable(format, out.size())) return Status::kBadFormat;
      return TextToNumericItem(format, text, options, out);
    }
    default:
      return Status::kNotConvertible;
  }
}

void PlaceCharacters(std::span<const std::uint8_t> source, bool justified,
                     std::span<std::uint8_t> destination) {
  std::fill(destination.begin(), destination.end(), kSpace);
  std::size_t n = std::min(source.size(), destination.size());
  if (justified) {
    std::copy(source.end() - n, source.end(), destination.end() - n);
  } else {
    std::copy(source.begin(), source.begin() + n, destination.begin());
  }
}

void PlaceNational(std::span<const std::uint8_t> source, bool justified,
                   std::span<std::uint8_t> destination) {
  for (std::size_t i = 0; i < destination.size(); ++i) destination[i] = kFullWidthSpace[i % 2];
  std::size_t n = std::min(source.size(), destination.size());
  if (justified) {
    std::size_t at = destination.size() - n;
    std::copy(source.end() - n, source.end(), destination.begin() + at);
    if (n % 2 == 1 && at > 0) destination[at - 1] = kSpace;
  } else {
    std::copy(source.begin(), source.begin() + n, destination.begin());
    if (n % 2 == 1 && n < destination.size()) destination[n] = kSpace;
  }
}

void LeftAlignJustified(std::span<std::uint8_t> value, bool national) {
  std::size_t step = national ? 2 : 1;
  std::size_t skip = 0;
  while (skip + step <= value.size()) {
    bool blank = national
                     ? value[skip] == kFullWidthSpace[0] && value[skip + 1] == kFullWidthSpace[1]
                     : value[skip] == kSpace;
    if (!blank) break;
    skip += step;
  }
  if (skip == 0 || skip == value.size()) return;  // nothing to move, or all spaces
  std::copy(value.begin() + skip, value.end(), value.begin());
  for (std::size_t i = value.size() - skip; i < value.size(); ++i) {
    value[i] = national ? kFullWidthSpace[(i - (value.size() - skip)) % 2] : kSpace;
  }
}

}  // namespace qel::codec
