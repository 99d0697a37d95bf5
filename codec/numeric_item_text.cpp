// Numeric item bytes to field text and back without a Decimal.
//
// Item to text: the item's digits become an ASCII text held in 64-bit words
// (TextWords), eight digits a word, read straight from the item: zoned
// bytes as they are (checked eight at a time), packed nibbles spread one to
// a byte, binary values split into digits in every lane at once. The number
// text is then written into the caller's buffer through shifted windows of
// those words.
//
// Text to item: the field text is checked eight characters at a time, and
// the digits the item keeps are loaded straight from it into words, placed
// around the point (PlacedDigits). Windows of those words are the item's
// zoned digits, its packed nibbles (paired up four bytes at a time), or the
// digits of a binary value.
//
// The digits never make a round trip through a memory buffer: reading back
// bytes just stored in other sizes stalls the processor for longer than the
// whole conversion takes. The item layouts are described in item_codec.h.
#include "codec/numeric_item_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qel::codec {
namespace {

// The small helpers are forced inline: as calls, their short dependency
// chains could not overlap, and the call would cost as much as the work.

constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kNegativeZone = 0x70;

constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;
constexpr std::uint64_t kAsciiZeros = 0x30 * kEachByte;
constexpr std::uint64_t kHighNibbles = 0xF0 * kEachByte;
constexpr std::uint64_t kSixes = 0x06 * kEachByte;
constexpr std::uint64_t kLowNibbleOfEachPair = 0x000F000F000F000FULL;

// kLowBytes[m]: the m low-order bytes of a word set.
constexpr std::uint64_t kLowBytes[9] = {0,
                                        0xFFULL,
                                        0xFFFFULL,
                                        0xFFFFFFULL,
                                        0xFFFFFFFFULL,
                                        0xFFFFFFFFFFULL,
                                        0xFFFFFFFFFFFFULL,
                                        0xFFFFFFFFFFFFFFULL,
                                        ~0ULL};

// A text of up to 24 bytes in words: byte j of the text is byte j % 8 (the
// low-order byte first) of word j / 8. The fourth word lets a window start
// anywhere in the first 24 bytes.
using TextWords = std::uint64_t[4];

// Byte swaps for the loads and stores below on a big-endian machine, where
// the low-order byte of a word is not the one at the lowest address.
template <typename Word>
Word InMemoryOrder(Word x) {
  if constexpr (std::endian::native == std::endian::big) {
    Word swapped = 0;
    for (std::size_t i = 0; i < sizeof(Word); ++i) {
      swapped = static_cast<Word>(swapped << 8 | ((x >> (8 * i)) & 0xFF));
    }
    return swapped;
  }
  return x;
}

template <typename Word>
Word Load(const void* p) {
  Word x;
  std::memcpy(&x, p, sizeof x);
  return InMemoryOrder(x);
}

template <typename Word>
void Store(void* p, Word x) {
  x = InMemoryOrder(x);
  std::memcpy(p, &x, sizeof x);
}

// The m <= 8 bytes at p in the low-order bytes of a word, the rest 0. Reads
// only those bytes.
[[gnu::always_inline]] inline std::uint64_t LoadUpTo8(const std::uint8_t* p, std::size_t m) {
  if (m >= 4) {
    std::uint64_t low = Load<std::uint32_t>(p);
    std::uint64_t high = Load<std::uint32_t>(p + m - 4);
    return low | high << (8 * (m - 4));
  }
  if (m >= 2) {
    std::uint64_t low = Load<std::uint16_t>(p);
    std::uint64_t high = Load<std::uint16_t>(p + m - 2);
    return low | high << (8 * (m - 2));
  }
  return m == 1 ? p[0] : 0;
}

const std::uint8_t* Bytes(const char* p) { return reinterpret_cast<const std::uint8_t*>(p); }

// Eight bytes of a text from byte at on. REQUIRES: words[at / 8 + 1] exists.
[[gnu::always_inline]] inline std::uint64_t Window(const std::uint64_t* words, std::size_t at) {
  std::size_t index = at / 8;
  unsigned shift = 8 * (at % 8);
  // Two shifts, so that an aligned window (shift 0) takes nothing from the
  // next word instead of shifting by the full width.
  return words[index] >> shift | (words[index + 1] << 1) << (63 - shift);
}

// Writes exactly the bytes [from, from + m) of a text to destination.
// REQUIRES: m <= 24, from + m <= 24 or the words hold more.
[[gnu::always_inline]] inline void WriteRange(void* destination, const std::uint64_t* words,
                                              std::size_t from, std::size_t m) {
  auto* d = static_cast<std::uint8_t*>(destination);
  if (m >= 8) {
    Store(d, Window(words, from));
    if (m > 16) Store(d + 8, Window(words, from + 8));
    Store(d + m - 8, Window(words, from + m - 8));
  } else if (m >= 4) {
    Store(d, static_cast<std::uint32_t>(Window(words, from)));
    Store(d + m - 4, static_cast<std::uint32_t>(Window(words, from + m - 4)));
  } else if (m >= 2) {
    Store(d, static_cast<std::uint16_t>(Window(words, from)));
    Store(d + m - 2, static_cast<std::uint16_t>(Window(words, from + m - 2)));
  } else if (m == 1) {
    d[0] = static_cast<std::uint8_t>(Window(words, from));
  }
}

// True when each of the eight bytes is "0" to "9". The second test only
// counts once every high nibble is 3, and then adding 6 carries out of a
// low nibble exactly when it is above 9, never into the next byte.
[[gnu::always_inline]] inline bool AllDigits(std::uint64_t x) {
  return (((x & kHighNibbles) ^ kAsciiZeros) | (((x + kSixes) & kHighNibbles) ^ kAsciiZeros)) == 0;
}

// The value of eight digits one a byte (values 0 to 9), the first one most
// significant: pairs, then quadruples, then the whole, each step in every
// lane at once.
[[gnu::always_inline]] inline std::uint64_t ValueOfEightDigits(std::uint64_t x) {
  x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFULL;
  x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFULL;
  x = (x * 10000 + (x >> 32)) & 0xFFFFFFFFULL;
  return x;
}

// The eight decimal digits of v < 10^8, most significant first, one a byte
// (values 0 to 9): halves, quarters, then single digits, every lane at once.
// The quotients by 100 and by 10 are multiply-and-shift, exact in range.
[[gnu::always_inline]] inline std::uint64_t DigitsOfEight(std::uint32_t v) {
  std::uint64_t x = v / 10000 | static_cast<std::uint64_t>(v % 10000) << 32;
  std::uint64_t hundreds = ((x * 5243) >> 19) & 0x0000007F0000007FULL;
  x = hundreds | (x - hundreds * 100) << 16;
  std::uint64_t tens = ((x * 103) >> 10) & kLowNibbleOfEachPair;
  return tens | (x - tens * 10) << 8;
}

// The same for v < 10^4: four digits in the four low-order bytes (the rest
// "0" once ORed with kAsciiZeros, like every 0 byte).
[[gnu::always_inline]] inline std::uint64_t DigitsOfFour(std::uint32_t v) {
  std::uint64_t hundreds = (v * 5243) >> 19;
  std::uint64_t x = hundreds | (v - hundreds * 100) << 16;
  std::uint64_t tens = ((x * 103) >> 10) & kLowNibbleOfEachPair;
  return tens | (x - tens * 10) << 8;
}

// Four packed bytes as eight nibbles one a byte: the high nibble of a byte
// first, its low nibble after it.
[[gnu::always_inline]] inline std::uint64_t SpreadNibbles(std::uint32_t packed) {
  std::uint64_t x = packed;
  x = (x | x << 16) & 0x0000FFFF0000FFFFULL;
  x = (x | x << 8) & 0x00FF00FF00FF00FFULL;
  return ((x >> 4) & kLowNibbleOfEachPair) | (x & kLowNibbleOfEachPair) << 8;
}

// The reverse: eight nibbles one a byte (only the low nibbles count) as four
// packed bytes.
[[gnu::always_inline]] inline std::uint32_t PackNibbles(std::uint64_t x) {
  x = (x & kLowNibbleOfEachPair) << 4 | ((x >> 8) & kLowNibbleOfEachPair);
  x = (x | x >> 8) & 0x0000FFFF0000FFFFULL;
  x = (x | x >> 16) & 0xFFFFFFFFULL;
  return static_cast<std::uint32_t>(x);
}

int DigitCount(const ItemFormat& f) { return f.integer_digits + f.fraction_digits; }

bool BlankWhenZero(const ItemFormat& f, const CodecOptions& options) {
  return f.attribute == kUnsignedZoned && options.blank_when_zero && f.blank_when_zero;
}

// Writes the number text of the item's digits, which start at byte offset
// of digits, as FormatNumber writes it.
[[gnu::always_inline]] inline Status WriteText(const std::uint64_t* digits, std::size_t offset,
                                               bool negative, const ItemFormat& f, TextStyle style,
                                               std::span<char> out, std::size_t* length) {
  auto integer_digits = static_cast<std::size_t>(f.integer_digits);
  auto fraction_digits = static_cast<std::size_t>(f.fraction_digits);
  // Leading zeros go, eight at a time, but the units digit stays.
  std::size_t first = 0;
  if (integer_digits > 1) {
    std::size_t droppable = integer_digits - 1;
    for (; first < droppable; first += 8) {
      std::uint64_t nonzero = Window(digits, offset + first) ^ kAsciiZeros;
      if (nonzero != 0) {
        first += static_cast<std::size_t>(std::countr_zero(nonzero) / 8);
        break;
      }
    }
    first = std::min(first, droppable);
  }
  bool lone_zero = integer_digits == 0 && style == TextStyle::kDisplay;
  std::size_t integer_length = integer_digits - first;
  std::size_t n = (negative ? 1 : 0) + (lone_zero ? 1 : 0) + integer_length +
                  (fraction_digits > 0 ? fraction_digits + 1 : 0);
  if (n > out.size()) {
    *length = 0;
    return Status::kBadFormat;
  }
  char* p = out.data();
  if (negative) *p++ = '-';
  if (lone_zero) *p++ = '0';
  WriteRange(p, digits, offset + first, integer_length);
  p += integer_length;
  if (fraction_digits > 0) {
    *p++ = '.';
    WriteRange(p, digits, offset + integer_digits, fraction_digits);
  }
  *length = n;
  return Status::kOk;
}

// The low-order byte_length (2 or 4) bytes of raw in reverse order.
std::uint32_t SwapBytes(std::uint32_t raw, int byte_length) {
  std::uint32_t swapped = raw >> 24 | (raw >> 8 & 0xFF00) | (raw << 8 & 0xFF0000) | raw << 24;
  return byte_length == 2 ? swapped >> 16 : swapped;
}

Status BinaryToText(const ItemFormat& f, const std::uint8_t* b, const CodecOptions& options,
                    TextStyle style, std::span<char> out, std::size_t* length) {
  std::uint32_t raw = f.byte_length == 2 ? Load<std::uint16_t>(b) : Load<std::uint32_t>(b);
  if (options.big_endian) raw = SwapBytes(raw, f.byte_length);
  bool negative = false;
  std::uint32_t magnitude = raw;
  if (f.attribute == kSignedBinary) {
    std::int32_t number =
        f.byte_length == 2 ? static_cast<std::int16_t>(raw) : static_cast<std::int32_t>(raw);
    negative = number < 0;
    magnitude = negative ? 0U - static_cast<std::uint32_t>(number) : raw;
  }
  // The item keeps its own digit count of the value's low-order digits, the
  // rest is dropped as Align drops it. A two-byte item has at most four.
  auto digit_count = static_cast<std::size_t>(DigitCount(f));
  if (digit_count <= 4) {
    TextWords digits = {DigitsOfFour(magnitude % 10000) | kAsciiZeros, kAsciiZeros, kAsciiZeros,
                        kAsciiZeros};
    return WriteText(digits, 4 - digit_count, negative, f, style, out, length);
  }
  // Else nine (a value has at most ten).
  std::uint64_t low = DigitsOfEight(magnitude % 100000000) | kAsciiZeros;
  TextWords digits = {('0' + magnitude / 100000000 % 10) | low << 8, low >> 56 | kAsciiZeros << 8,
                      kAsciiZeros, kAsciiZeros};
  return WriteText(digits, 9 - digit_count, negative, f, style, out, length);
}

Status PackedToText(const ItemFormat& f, const std::uint8_t* b, const CodecOptions& options,
                    TextStyle style, std::span<char> out, std::size_t* length) {
  auto n = static_cast<std::size_t>(f.byte_length);
  std::uint8_t sign = b[n - 1] & 0x0F;
  if (f.attribute == kSignedPacked) {
    if (sign != 0x0C && sign != 0x0D && !(options.packed_digit_sign && sign <= 9)) {
      return Status::kInvalidData;
    }
  } else if (sign != 0x0F) {
    return Status::kInvalidData;
  }
  std::uint64_t head = LoadUpTo8(b, std::min<std::size_t>(n, 8));
  std::uint64_t tail = n > 8 ? LoadUpTo8(b + 8, n - 8) : 0;
  // The sign nibble is not a digit: cleared before the check.
  if (n <= 8) {
    head &= ~(0x0FULL << (8 * (n - 1)));
  } else {
    tail &= ~(0x0FULL << (8 * (n - 9)));
  }
  std::uint64_t first = SpreadNibbles(static_cast<std::uint32_t>(head));
  std::uint64_t second = SpreadNibbles(static_cast<std::uint32_t>(head >> 32));
  std::uint64_t third = SpreadNibbles(static_cast<std::uint32_t>(tail));
  // A nibble above 9 carries into its byte's high nibble when 6 is added.
  if (((first + kSixes) | (second + kSixes) | (third + kSixes)) & kHighNibbles) {
    return Status::kInvalidData;
  }
  // The words are made once, whole: changing them in place invites the
  // compiler to move them through memory in other sizes.
  TextWords digits = {first | kAsciiZeros, second | kAsciiZeros, third | kAsciiZeros, kAsciiZeros};
  // An even digit count leaves one padding nibble in front of the digits.
  return WriteText(digits, 2 * n - 1 - static_cast<std::size_t>(DigitCount(f)), sign == 0x0D, f,
                   style, out, length);
}

// The m >= 1 zoned digit bytes at p, at most eight, as a word; "0" past them.
[[gnu::always_inline]] inline std::uint64_t LoadDigits(const std::uint8_t* p, std::size_t m) {
  m = std::min<std::size_t>(m, 8);
  return LoadUpTo8(p, m) | (kAsciiZeros & ~kLowBytes[m]);
}

// The digit byte at shift in word with its embedded sign taken off: the
// digit is the low nibble whatever the zone (a low nibble above 9 gives a
// byte that the digit check refuses), and the zone 7 says negative.
[[gnu::always_inline]] inline std::uint64_t TakeEmbeddedSign(std::uint64_t word, unsigned shift,
                                                             bool* negative) {
  std::uint64_t c = (word >> shift) & 0xFF;
  *negative = (c & kNegativeZone) == kNegativeZone;
  return (word & ~(0xFFULL << shift)) | ((0x30 | (c & 0x0F)) << shift);
}

Status ZonedToText(const ItemFormat& f, const std::uint8_t* b, const CodecOptions& options,
                   TextStyle style, std::span<char> out, std::size_t* length) {
  auto n = static_cast<std::size_t>(DigitCount(f));
  ZonedSignPlace place = ZonedSignPlaceOf(f);
  bool negative = place.separate >= 0 && b[place.separate] == '-';
  // An embedded sign sits on the first or last digit byte, where byte and
  // digit indexes are the same; n for none.
  auto embedded = place.embedded >= 0 ? static_cast<std::size_t>(place.embedded) : n;
  auto start = static_cast<std::size_t>(place.first_digit);
  const std::uint8_t* text = b + start;
  std::uint64_t first = LoadDigits(text, n);
  std::uint64_t second = n > 8 ? LoadDigits(text + 8, n - 8) : kAsciiZeros;
  std::uint64_t third = n > 16 ? LoadDigits(text + 16, n - 16) : kAsciiZeros;
  if (embedded < n) {
    unsigned shift = 8 * (embedded % 8);
    switch (embedded / 8) {
      case 0:
        first = TakeEmbeddedSign(first, shift, &negative);
        break;
      case 1:
        second = TakeEmbeddedSign(second, shift, &negative);
        break;
      default:
        third = TakeEmbeddedSign(third, shift, &negative);
        break;
    }
  }
  if (!AllDigits(first) || !AllDigits(second) || !AllDigits(third)) {
    // A BLANK WHEN ZERO item of spaces is the one value that is not digits;
    // it is rare, so it is looked for only once the digits failed.
    if (!BlankWhenZero(f, options) ||
        !std::all_of(b, b + n, [](std::uint8_t c) { return c == kSpace; })) {
      return Status::kInvalidData;
    }
    first = second = third = kAsciiZeros;
    negative = false;
  }
  TextWords digits = {first, second, third, kAsciiZeros};
  return WriteText(digits, 0, negative, f, style, out, length);
}

// A field text split at its point: ParseNumber's grammar (an optional sign,
// digits, at most one ".").
struct FieldText {
  bool negative = false;
  const char* integer = nullptr;
  std::size_t integer_length = 0;
  const char* fraction = nullptr;
  std::size_t fraction_length = 0;
};

// 0x80 in each byte of x that is not an ASCII digit, 0 in the others. The
// bytes are made 0 to 9 for digits; a byte is another character when its
// top bit is set or when adding 0x76 to its low seven bits sets it (which
// never carries into the next byte).
[[gnu::always_inline]] inline std::uint64_t OtherThanDigits(std::uint64_t x) {
  constexpr std::uint64_t kTopBits = 0x80 * kEachByte;
  std::uint64_t t = x ^ kAsciiZeros;
  return (((t & ~kTopBits) + 0x76 * kEachByte) | t) & kTopBits;
}

// Eight characters at a time; only the few that are not digits (a sign, the
// point, or an error) are looked at one by one.
bool ReadFieldText(std::string_view text, FieldText* field) {
  const std::uint8_t* p = Bytes(text.data());
  std::size_t size = text.size();
  std::size_t begin = 0;
  std::size_t point = size;
  for (std::size_t i = 0; i < size; i += 8) {
    std::size_t m = std::min<std::size_t>(size - i, 8);
    std::uint64_t others = OtherThanDigits(LoadUpTo8(p + i, m)) & kLowBytes[m];
    for (; others != 0; others &= others - 1) {
      std::size_t at = i + static_cast<std::size_t>(std::countr_zero(others) / 8);
      char c = text[at];
      if (at == 0 && (c == '-' || c == '+')) {
        field->negative = c == '-';
        begin = 1;
      } else if (c == '.' && point == size) {
        point = at;
      } else {
        return false;
      }
    }
  }
  field->integer = text.data() + begin;
  field->integer_length = point - begin;
  field->fraction = text.data() + std::min(point + 1, size);
  field->fraction_length = size - std::min(point + 1, size);
  return true;
}

// The field text's digits placed around the point, one a byte (values 0
// to 9) in the words of a text: bytes 0 to 23 hold the integer digits that
// the item keeps, ending at byte 24; bytes 24 to 47 the fraction digits it
// keeps, from byte 24 on; every other byte is 0. So the item's digits are
// bytes 24 - integer_digits to 24 + fraction_digits, aligned without
// rounding: excess high-order integer digits and excess fraction digits
// never enter. The last two words let a window start at any byte.
struct PlacedDigits {
  std::uint64_t words[8];
};

constexpr std::uint64_t kLowNibbles = 0x0F * kEachByte;

// The m <= 8 bytes at p at the high-order end of a word.
[[gnu::always_inline]] inline std::uint64_t LoadRightAligned(const char* p, std::size_t m) {
  return m == 0 ? 0 : LoadUpTo8(Bytes(p), m) << (8 * (8 - m));
}

[[gnu::always_inline]] inline PlacedDigits PlaceDigits(const FieldText& field,
                                                       const ItemFormat& f) {
  std::size_t integers = std::min(field.integer_length, static_cast<std::size_t>(f.integer_digits));
  std::size_t fractions =
      std::min(field.fraction_length, static_cast<std::size_t>(f.fraction_digits));
  // Integer digits from their right end, eight to a word.
  const char* end = field.integer + field.integer_length;
  std::size_t units = std::min<std::size_t>(integers, 8);
  std::size_t middle = std::min<std::size_t>(integers - units, 8);
  std::size_t top = integers - units - middle;
  std::uint64_t i0 = LoadRightAligned(end - units, units);
  std::uint64_t i1 = LoadRightAligned(end - units - middle, middle);
  std::uint64_t i2 = LoadRightAligned(end - integers, top);
  // Fraction digits from the point.
  const std::uint8_t* fraction = Bytes(field.fraction);
  std::uint64_t f0 = LoadUpTo8(fraction, std::min<std::size_t>(fractions, 8));
  std::uint64_t f1 =
      fractions > 8 ? LoadUpTo8(fraction + 8, std::min<std::size_t>(fractions - 8, 8)) : 0;
  std::uint64_t f2 = fractions > 16 ? LoadUpTo8(fraction + 16, fractions - 16) : 0;
  return PlacedDigits{{i2 & kLowNibbles, i1 & kLowNibbles, i0 & kLowNibbles, f0 & kLowNibbles,
                       f1 & kLowNibbles, f2 & kLowNibbles, 0, 0}};
}

void StoreBinary(const ItemFormat& f, const PlacedDigits& placed, bool negative,
                 const CodecOptions& options, std::uint8_t* out) {
  // At most nine digits: the eight low-order ones in one word, the ninth
  // (0 when the item has fewer) on its own.
  auto last = static_cast<std::size_t>(24 + f.fraction_digits);
  std::uint64_t value = ValueOfEightDigits(Window(placed.words, last - 8)) +
                        100000000 * (Window(placed.words, last - 9) & 0xFF);
  // A signed item stores the two's complement, an unsigned one the magnitude.
  auto magnitude = static_cast<std::uint32_t>(value);
  std::uint32_t raw = f.attribute == kSignedBinary && negative ? 0U - magnitude : magnitude;
  if (options.big_endian) raw = SwapBytes(raw, f.byte_length);
  if (f.byte_length == 2) {
    Store(out, static_cast<std::uint16_t>(raw));
  } else {
    Store(out, raw);
  }
}

// ORs value into byte at of a three-word text.
[[gnu::always_inline]] inline void SetByte(std::uint64_t (&words)[3], std::size_t at,
                                           std::uint64_t value) {
  std::uint64_t shifted = value << (8 * (at % 8));
  words[0] |= at / 8 == 0 ? shifted : 0;
  words[1] |= at / 8 == 1 ? shifted : 0;
  words[2] |= at / 8 == 2 ? shifted : 0;
}

void StorePacked(const ItemFormat& f, const PlacedDigits& placed, bool negative,
                 std::uint8_t* out) {
  std::uint64_t sign = 0x0F;
  if (f.attribute == kSignedPacked) sign = negative ? 0x0D : 0x0C;
  // The nibbles in order, one a byte: a padding 0 for an even digit count,
  // the digits, the sign; packed in pairs they are the item.
  auto digit_count = static_cast<std::size_t>(DigitCount(f));
  std::size_t padding = digit_count % 2 == 0 ? 1 : 0;
  std::size_t from = 24 - static_cast<std::size_t>(f.integer_digits) - padding;
  std::uint64_t nibbles[3] = {Window(placed.words, from), Window(placed.words, from + 8),
                              Window(placed.words, from + 16)};
  SetByte(nibbles, padding + digit_count, sign);
  TextWords packed = {PackNibbles(nibbles[0]) | std::uint64_t{PackNibbles(nibbles[1])} << 32,
                      PackNibbles(nibbles[2]), 0, 0};
  WriteRange(out, packed, 0, static_cast<std::size_t>(f.byte_length));
}

void StoreZoned(const ItemFormat& f, const PlacedDigits& placed, bool negative,
                const CodecOptions& options, std::uint8_t* out) {
  auto n = static_cast<std::size_t>(f.byte_length);
  auto digit_count = static_cast<std::size_t>(DigitCount(f));
  std::size_t from = 24 - static_cast<std::size_t>(f.integer_digits);
  std::uint64_t digits[3] = {Window(placed.words, from), Window(placed.words, from + 8),
                             Window(placed.words, from + 16)};
  if (BlankWhenZero(f, options) && (digits[0] | digits[1] | digits[2]) == 0) {
    std::memset(out, kSpace, n);
    return;
  }
  digits[0] |= kAsciiZeros;
  digits[1] |= kAsciiZeros;
  digits[2] |= kAsciiZeros;
  ZonedSignPlace place = ZonedSignPlaceOf(f);
  if (place.separate >= 0) out[place.separate] = negative ? '-' : '+';
  if (place.embedded >= 0 && negative) {
    SetByte(digits, static_cast<std::size_t>(place.embedded), kNegativeZone);
  }
  auto start = static_cast<std::size_t>(place.first_digit);
  TextWords text = {digits[0], digits[1], digits[2], 0};
  WriteRange(out + start, text, 0, digit_count);
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
  FieldText field;
  if (text.size() > kMaxFieldTextLength || !ReadFieldText(text, &field)) {
    return Status::kInvalidData;
  }
  PlacedDigits placed = PlaceDigits(field, format);
  switch (format.attribute) {
    case kSignedBinary:
    case kUnsignedBinary:
      StoreBinary(format, placed, field.negative, options, out.data());
      break;
    case kSignedPacked:
    case kUnsignedPacked:
      StorePacked(format, placed, field.negative, out.data());
      break;
    default:
      StoreZoned(format, placed, field.negative, options, out.data());
      break;
  }
  return Status::kOk;
}

}  // namespace qel::codec
