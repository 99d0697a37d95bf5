// Numeric item bytes to field text and back without a Decimal. Every value
// passes through a small buffer of ASCII digits, most significant first,
// padded with "0" on both sides so that eight-byte loads and stores may run
// past the digits: zoned digits are checked there eight at a time, packed
// nibbles are spread into it and packed from it four bytes at a time, and
// binary values are written into it two digits at a time. The item layouts
// are described in item_codec.h.
#include "codec/numeric_item_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qel::codec {
namespace {

constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kNegativeZone = 0x70;

constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;
constexpr std::uint64_t kAsciiZeros = 0x30 * kEachByte;
constexpr std::uint64_t kHighNibbles = 0xF0 * kEachByte;
constexpr std::uint64_t kSixes = 0x06 * kEachByte;
constexpr std::uint64_t kLowNibbleOfEachPair = 0x000F000F000F000FULL;

// Digit buffers hold the digits from kLead on, so that a packed item's
// padding nibble and a binary item's nine-digit window may reach before
// them; kBufferSize leaves room for an eight-byte access at any place a
// digit of up to 19 can be read from.
constexpr int kLead = 16;
constexpr int kBufferSize = 64;

// Eight and four bytes read and written in memory order: the byte at the
// lowest address is the low-order byte of the word on any machine.
std::uint64_t Load8(const void* p) {
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
  return x;
}

void Store8(void* p, std::uint64_t x) {
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
  std::memcpy(p, &x, 8);
}

std::uint32_t Load4(const void* p) {
  std::uint32_t x;
  std::memcpy(&x, p, 4);
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap32(x);
  return x;
}

void Store4(void* p, std::uint32_t x) {
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap32(x);
  std::memcpy(p, &x, 4);
}

// Copies n <= 24 bytes with a few overlapping fixed-size moves; items are
// short, and a library call would cost more than the copy.
void CopySmall(void* destination, const void* source, std::size_t n) {
  auto* d = static_cast<unsigned char*>(destination);
  const auto* s = static_cast<const unsigned char*>(source);
  if (n >= 8) {
    std::uint64_t first = 0, middle = 0, last = 0;
    std::memcpy(&first, s, 8);
    if (n > 16) std::memcpy(&middle, s + 8, 8);
    std::memcpy(&last, s + n - 8, 8);
    std::memcpy(d, &first, 8);
    if (n > 16) std::memcpy(d + 8, &middle, 8);
    std::memcpy(d + n - 8, &last, 8);
  } else if (n >= 4) {
    std::uint32_t first = 0, last = 0;
    std::memcpy(&first, s, 4);
    std::memcpy(&last, s + n - 4, 4);
    std::memcpy(d, &first, 4);
    std::memcpy(d + n - 4, &last, 4);
  } else if (n >= 2) {
    std::uint16_t first = 0, last = 0;
    std::memcpy(&first, s, 2);
    std::memcpy(&last, s + n - 2, 2);
    std::memcpy(d, &first, 2);
    std::memcpy(d + n - 2, &last, 2);
  } else if (n == 1) {
    d[0] = s[0];
  }
}

void FillWithZeros(char* buffer) {
  for (int i = 0; i < kBufferSize; i += 8) Store8(buffer + i, kAsciiZeros);
}

// True when each of the eight bytes is "0" to "9". The second test only
// counts once every high nibble is 3, and then adding 6 carries out of a
// low nibble exactly when it is above 9, never into the next byte.
bool AllDigits(std::uint64_t x) {
  return (((x & kHighNibbles) ^ kAsciiZeros) | (((x + kSixes) & kHighNibbles) ^ kAsciiZeros)) ==
         0;
}

// The value of eight ASCII digits, the first one most significant: pairs,
// then quadruples, then the whole, each step in every lane at once.
std::uint32_t ValueOfEightDigits(std::uint64_t x) {
  x -= kAsciiZeros;
  x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFULL;
  x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFULL;
  x = (x * 10000 + (x >> 32)) & 0xFFFFFFFFULL;
  return static_cast<std::uint32_t>(x);
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

int DigitCount(const ItemFormat& f) { return f.integer_digits + f.fraction_digits; }

bool BlankWhenZero(const ItemFormat& f, const CodecOptions& options) {
  return f.attribute == kUnsignedZoned && options.blank_when_zero && f.blank_when_zero;
}

// Writes the number text of digits (integer_digits + fraction_digits of
// them, readable with 24 bytes after any digit) as FormatNumber does.
Status WriteText(const char* digits, bool negative, int integer_digits, int fraction_digits,
                 TextStyle style, std::span<char> out, std::size_t* length) {
  char text[kBufferSize];
  text[0] = '-';
  std::size_t n = negative ? 1 : 0;
  if (integer_digits == 0) {
    if (style == TextStyle::kDisplay) text[n++] = '0';
  } else {
    // Leading zeros go, eight at a time, but the units digit stays.
    int first = 0;
    int last_droppable = integer_digits - 1;
    while (first < last_droppable) {
      std::uint64_t nonzero = Load8(digits + first) ^ kAsciiZeros;
      if (nonzero != 0) {
        first += std::countr_zero(nonzero) / 8;
        break;
      }
      first += 8;
    }
    first = std::min(first, last_droppable);
    std::memcpy(text + n, digits + first, 24);
    n += static_cast<std::size_t>(integer_digits - first);
  }
  if (fraction_digits > 0) {
    text[n] = '.';
    std::memcpy(text + n + 1, digits + integer_digits, 24);
    n += static_cast<std::size_t>(fraction_digits) + 1;
  }
  if (n > out.size()) {
    *length = 0;
    return Status::kBadFormat;
  }
  CopySmall(out.data(), text, n);
  *length = n;
  return Status::kOk;
}

Status BinaryToText(const ItemFormat& f, const std::uint8_t* b, const CodecOptions& options,
                    TextStyle style, std::span<char> out, std::size_t* length) {
  std::uint32_t raw;
  if (f.byte_length == 2) {
    raw = options.big_endian ? (b[0] << 8 | b[1]) : (b[1] << 8 | b[0]);
  } else {
    raw = Load4(b);
    if (options.big_endian) raw = __builtin_bswap32(raw);
  }
  bool negative = false;
  std::uint32_t magnitude = raw;
  if (f.attribute == kSignedBinary) {
    std::int32_t number =
        f.byte_length == 2 ? static_cast<std::int16_t>(raw) : static_cast<std::int32_t>(raw);
    negative = number < 0;
    magnitude = negative ? 0U - static_cast<std::uint32_t>(number) : raw;
  }
  // Only the item's low-order digits are written; the rest of the value is
  // dropped as Align drops it.
  char buffer[kBufferSize];
  int n = DigitCount(f);
  int i = n;
  while (i >= 2) {
    std::memcpy(buffer + i - 2, kDigitPairs + 2 * (magnitude % 100), 2);
    magnitude /= 100;
    i -= 2;
  }
  if (i == 1) buffer[0] = static_cast<char>('0' + magnitude % 10);
  std::memset(buffer + n, '0', 24);
  return WriteText(buffer, negative, f.integer_digits, f.fraction_digits, style, out, length);
}

Status PackedToText(const ItemFormat& f, const std::uint8_t* b, const CodecOptions& options,
                    TextStyle style, std::span<char> out, std::size_t* length) {
  int n = f.byte_length;
  std::uint8_t packed[12] = {};
  CopySmall(packed, b, static_cast<std::size_t>(n));
  std::uint8_t sign = packed[n - 1] & 0x0F;
  if (f.attribute == kSignedPacked) {
    if (sign != 0x0C && sign != 0x0D && !(options.packed_digit_sign && sign <= 9)) {
      return Status::kInvalidData;
    }
  } else if (sign != 0x0F) {
    return Status::kInvalidData;
  }
  packed[n - 1] &= 0xF0;
  // Four bytes become eight nibbles, each in a byte of its own: the high
  // nibble of a byte first in memory, its low nibble after it.
  char nibbles[kBufferSize];
  FillWithZeros(nibbles);
  for (int i = 0; i < n; i += 4) {
    std::uint64_t spread = Load4(packed + i);
    spread = (spread | spread << 16) & 0x0000FFFF0000FFFFULL;
    spread = (spread | spread << 8) & 0x00FF00FF00FF00FFULL;
    spread = ((spread >> 4) & kLowNibbleOfEachPair) | ((spread & kLowNibbleOfEachPair) << 8);
    if (((spread + kSixes) & kHighNibbles) != 0) return Status::kInvalidData;
    Store8(nibbles + 2 * i, spread | kAsciiZeros);
  }
  // An even digit count leaves one padding nibble in front of the digits.
  const char* digits = nibbles + (2 * n - 1 - DigitCount(f));
  return WriteText(digits, sign == 0x0D, f.integer_digits, f.fraction_digits, style, out,
                   length);
}

bool AllSpaces(const std::uint8_t* b, int n) {
  return std::all_of(b, b + n, [](std::uint8_t c) { return c == kSpace; });
}

Status ZonedToText(const ItemFormat& f, const std::uint8_t* b, const CodecOptions& options,
                   TextStyle style, std::span<char> out, std::size_t* length) {
  int start = 0;
  int embedded = -1;  // index of the digit carrying an embedded sign
  bool negative = false;
  int digit_count = DigitCount(f);
  if (f.attribute == kSignedZoned) {
    switch (f.sign) {
      case kSignLeadingSeparate:
        negative = b[0] == '-';
        start = 1;
        break;
      case kSignTrailingSeparate:
        negative = b[f.byte_length - 1] == '-';
        break;
      case kSignLeadingEmbedded:
        embedded = 0;
        break;
      case kSignTrailingEmbedded:
      case kSignTrailingEmbeddedToo:
        embedded = digit_count - 1;
        break;
      default:
        break;
    }
  }
  char digits[kBufferSize];
  FillWithZeros(digits);
  CopySmall(digits, b + start, static_cast<std::size_t>(digit_count));
  if (embedded >= 0) {
    auto c = static_cast<std::uint8_t>(digits[embedded]);
    negative = (c & kNegativeZone) == kNegativeZone;
    digits[embedded] = static_cast<char>('0' + (c & 0x0F));
  }
  bool valid = true;
  for (int i = 0; i < digit_count; i += 8) valid = valid && AllDigits(Load8(digits + i));
  if (!valid) {
    // A BLANK WHEN ZERO item of spaces is the one non-digit value; it is
    // rare, so it is looked for only once the digits failed.
    if (!BlankWhenZero(f, options) || !AllSpaces(b, f.byte_length)) return Status::kInvalidData;
    FillWithZeros(digits);
    negative = false;
  }
  return WriteText(digits, negative, f.integer_digits, f.fraction_digits, style, out, length);
}

// A field text read into the item's digits: integer digits kept from the
// right end, fraction digits from the point, "0" where the text has none.
struct AlignedText {
  bool negative = false;
  char buffer[kBufferSize];  // the digits from kLead on

  char* digits() { return buffer + kLead; }
};

bool ReadAligned(std::string_view text, const ItemFormat& f, AlignedText* aligned) {
  std::size_t begin = 0;
  aligned->negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    aligned->negative = text[0] == '-';
    begin = 1;
  }
  std::size_t point = std::string_view::npos;
  for (std::size_t i = begin; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (static_cast<unsigned>(c - '0') <= 9) continue;
    if (c == '.' && point == std::string_view::npos) {
      point = i;
      continue;
    }
    return false;
  }
  std::size_t integer_end = point == std::string_view::npos ? text.size() : point;
  std::size_t fraction_begin = point == std::string_view::npos ? text.size() : point + 1;
  auto integer_keep =
      std::min(integer_end - begin, static_cast<std::size_t>(f.integer_digits));
  auto fraction_keep =
      std::min(text.size() - fraction_begin, static_cast<std::size_t>(f.fraction_digits));
  FillWithZeros(aligned->buffer);
  CopySmall(aligned->digits() + f.integer_digits - integer_keep,
            text.data() + integer_end - integer_keep, integer_keep);
  CopySmall(aligned->digits() + f.integer_digits, text.data() + fraction_begin, fraction_keep);
  return true;
}

void StoreBinary(const ItemFormat& f, AlignedText& aligned, const CodecOptions& options,
                 std::uint8_t* out) {
  // At most nine digits: the eight low-order ones in one word, the ninth
  // (a "0" of the lead when the item has fewer) on its own.
  const char* end = aligned.digits() + DigitCount(f);
  std::uint32_t value = ValueOfEightDigits(Load8(end - 8)) +
                        100000000U * static_cast<std::uint32_t>(end[-9] - '0');
  // A signed item stores the two's complement, an unsigned one the magnitude.
  std::uint32_t raw = f.attribute == kSignedBinary && aligned.negative ? 0U - value : value;
  if (f.byte_length == 2) {
    auto high = static_cast<std::uint8_t>(raw >> 8);
    auto low = static_cast<std::uint8_t>(raw);
    out[0] = options.big_endian ? high : low;
    out[1] = options.big_endian ? low : high;
  } else {
    Store4(out, options.big_endian ? __builtin_bswap32(raw) : raw);
  }
}

void StorePacked(const ItemFormat& f, AlignedText& aligned, std::uint8_t* out) {
  int digit_count = DigitCount(f);
  std::uint8_t sign = 0x0F;
  if (f.attribute == kSignedPacked) sign = aligned.negative ? 0x0D : 0x0C;
  // The nibbles in order, one a byte: a padding "0" of the lead for an even
  // digit count, the digits, the sign in place of the "0" after them.
  const char* nibbles = aligned.digits() - (digit_count % 2 == 0 ? 1 : 0);
  aligned.digits()[digit_count] = static_cast<char>(sign);
  int n = f.byte_length;
  std::uint8_t packed[12];
  for (int i = 0; i < n; i += 4) {
    std::uint64_t x = Load8(nibbles + 2 * i);
    x = ((x & kLowNibbleOfEachPair) << 4) | ((x >> 8) & kLowNibbleOfEachPair);
    x = (x | x >> 8) & 0x0000FFFF0000FFFFULL;
    x = (x | x >> 16) & 0xFFFFFFFFULL;
    Store4(packed + i, static_cast<std::uint32_t>(x));
  }
  CopySmall(out, packed, static_cast<std::size_t>(n));
}

bool DigitsAreZero(const char* digits) {
  return ((Load8(digits) ^ kAsciiZeros) | (Load8(digits + 8) ^ kAsciiZeros) |
          (Load8(digits + 16) ^ kAsciiZeros)) == 0;
}

void StoreZoned(const ItemFormat& f, AlignedText& aligned, const CodecOptions& options,
                std::uint8_t* out) {
  int n = f.byte_length;
  int digit_count = DigitCount(f);
  const char* digits = aligned.digits();
  if (BlankWhenZero(f, options) && DigitsAreZero(digits)) {
    std::memset(out, kSpace, static_cast<std::size_t>(n));
    return;
  }
  if (f.attribute != kSignedZoned) {
    CopySmall(out, digits, static_cast<std::size_t>(digit_count));
    return;
  }
  bool negative = aligned.negative;
  auto separate = static_cast<std::uint8_t>(negative ? '-' : '+');
  switch (f.sign) {
    case kSignLeadingSeparate:
      out[0] = separate;
      CopySmall(out + 1, digits, static_cast<std::size_t>(digit_count));
      break;
    case kSignTrailingSeparate:
      CopySmall(out, digits, static_cast<std::size_t>(digit_count));
      out[n - 1] = separate;
      break;
    case kSignLeadingEmbedded:
      CopySmall(out, digits, static_cast<std::size_t>(digit_count));
      if (negative) out[0] |= kNegativeZone;
      break;
    case kSignTrailingEmbedded:
    case kSignTrailingEmbeddedToo:
      CopySmall(out, digits, static_cast<std::size_t>(digit_count));
      if (negative) out[n - 1] |= kNegativeZone;
      break;
    default:
      CopySmall(out, digits, static_cast<std::size_t>(digit_count));
      break;
  }
}

}  // namespace

Status NumericItemToText(const ItemFormat& format, std::span<const std::uint8_t> bytes,
                         const CodecOptions& options, TextStyle style, std::span<char> out,
                         std::size_t* length) {
  switch (format.attribute) {
    case kSignedBinary:
    case kUnsignedBinary:
      return BinaryToText(format, bytes.data(), options, style, out, length);
    case kSignedPacked:
    case kUnsignedPacked:
      return PackedToText(format, bytes.data(), options, style, out, length);
    default:
      return ZonedToText(format, bytes.data(), options, style, out, length);
  }
}

Status TextToNumericItem(const ItemFormat& format, std::string_view text,
                         const CodecOptions& options, std::span<std::uint8_t> out) {
  AlignedText aligned;
  if (text.size() > kMaxFieldTextLength || !ReadAligned(text, format, &aligned)) {
    return Status::kInvalidData;
  }
  switch (format.attribute) {
    case kSignedBinary:
    case kUnsignedBinary:
      StoreBinary(format, aligned, options, out.data());
      break;
    case kSignedPacked:
    case kUnsignedPacked:
      StorePacked(format, aligned, out.data());
      break;
    default:
      StoreZoned(format, aligned, options, out.data());
      break;
  }
  return Status::kOk;
}

}  // namespace qel::codec
