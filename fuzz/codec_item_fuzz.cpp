// Item codec on arbitrary bytes: the first bytes pick a format and options,
// the rest is an item's bytes and a field text. Decoding never reads past the
// item, a value that decodes survives the trip through its field text, and
// the numeric conversions give what the general decimal path gives.
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "codec/item_codec.h"

using namespace qel::codec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static const int kAttributes[] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 22};
  ItemFormat f;
  f.attribute = kAttributes[data[0] % 10];
  f.integer_digits = data[1] % 21;
  f.fraction_digits = (data[1] / 21) % 6;
  f.sign = data[2] % 7;
  f.blank_when_zero = data[2] & 0x80;
  f.justified = data[2] & 0x40;
  CodecOptions o;
  o.big_endian = data[3] & 1;
  o.blank_when_zero = data[3] & 2;
  o.packed_digit_sign = data[3] & 4;
  data += 4;
  size -= 4;
  int numeric_length = NumericByteLength(f);
  f.byte_length = numeric_length > 0 ? numeric_length : (size > 0 ? data[0] % 40 : 0);
  // The item sits exactly at the end of a heap copy, so any overread is seen.
  std::size_t n = std::min<std::size_t>(size, static_cast<std::size_t>(f.byte_length));
  std::vector<std::uint8_t> item(data, data + n);

  char text[kMaxNumberTextLength];
  std::size_t length = 0;
  Status s = ItemToText(f, item, o, TextStyle::kField, text, &length);
  if (s == Status::kOk && ClassOf(f.attribute) == ItemClass::kNumeric) {
    Decimal first;
    if (DecodeNumber(f, item, o, &first) != Status::kOk) abort();
    std::vector<std::uint8_t> again(item.size());
    if (TextToItem(f, std::string_view(text, length), o, again) != Status::kOk) abort();
    Decimal second;
    if (DecodeNumber(f, again, o, &second) != Status::kOk) abort();
    // A binary value beyond the item's digits may cut down to a negative
    // zero, which a binary item cannot store: only its digits come back.
    bool binary = f.attribute == kSignedBinary || f.attribute == kUnsignedBinary;
    if (binary && IsZero(first)) first.negative = false;
    if (Compare(first, second) != 0 || first.negative != second.negative) abort();
  }

  if (ClassOf(f.attribute) == ItemClass::kNumeric && numeric_length > 0 &&
      item.size() == static_cast<std::size_t>(numeric_length)) {
    // Bytes to text as the general path: decode, then format.
    Decimal value;
    Status general = DecodeNumber(f, item, o, &value);
    if ((general == Status::kOk) != (s == Status::kOk)) abort();
    if (general == Status::kOk) {
      char expected[kMaxNumberTextLength];
      std::size_t n = FormatNumber(value, TextStyle::kField, expected);
      if (n != length || std::memcmp(expected, text, n) != 0) abort();
    }
  }

  // The same bytes as a field text into the item.
  std::vector<std::uint8_t> out(f.byte_length > 0 ? static_cast<std::size_t>(f.byte_length) : 0);
  std::string_view field(reinterpret_cast<const char*>(data), size);
  Status stored = TextToItem(f, field, o, out);
  if (ClassOf(f.attribute) == ItemClass::kNumeric && numeric_length > 0) {
    // Text to bytes as the general path: parse, then encode.
    Decimal value;
    std::vector<std::uint8_t> expected(out.size());
    bool parsed = field.size() <= kMaxFieldTextLength && ParseNumber(field, &value);
    if (parsed != (stored == Status::kOk)) abort();
    if (parsed) {
      if (EncodeNumber(f, value, o, expected) != Status::kOk) abort();
      if (expected != out) abort();
    }
  }
  char normalised[128];
  std::size_t normalised_length = 0;
  if (size <= 64) {
    CheckNumericEntry(std::string_view(reinterpret_cast<const char*>(data), size), f.integer_digits,
                      f.fraction_digits, o.big_endian, normalised, &normalised_length);
  }
  std::vector<std::uint8_t> justified(data, data + size);
  LeftAlignJustified(justified, f.justified);
  return 0;
}
