// Encodings of record item values. Every part of the suite that reads or
// stores the value of a record item (the converters, the selection library,
// the record edit engine and the revise program) goes through these
// functions, so that an item means the same everywhere.
//
// Numeric record forms (n = integer digits + fraction digits):
//
//   attribute  form                         bytes           sign
//   5  B       binary, two's complement     2 (n<=4), 4     top bit of the high-order byte
//   22 C       binary, unsigned             2 (n<=4), 4     none
//   6  P       packed, two digits a byte    n/2 + 1         last low nibble: C +, D -
//   7  U       packed, unsigned             n/2 + 1         last low nibble F
//   8  S       zoned, one digit a byte      n (+1 separate) by the SIGN digit, below
//   9  9       zoned, unsigned              n               none
//
// Binary items are stored low-order byte first unless the big-endian option
// is set. Packed items with an even n start with one padding nibble.
// SIGN digit of a zoned signed item: 2 a separate "+"/"-" byte before the
// digits, 3 after them; 4 the first digit byte carries the sign, 1 and 5 the
// last one: a negative digit byte has the bits 0x70 set ("5" 0x35 becomes
// 0x75) and its digit is the low nibble; any other SIGN digit: no sign
// stored. BLANK WHEN ZERO (with the option on) lets an unsigned zoned item of
// value zero be all spaces.
#ifndef QEL_CODEC_ITEM_CODEC_H_
#define QEL_CODEC_ITEM_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/decimal.h"
#include "codec/numeric_text.h"

namespace qel::codec {

// Attribute codes of record items.
inline constexpr int kAlphanumeric = 1;
inline constexpr int kAlphabetic = 2;
inline constexpr int kNational = 3;
inline constexpr int kGroup = 4;
inline constexpr int kSignedBinary = 5;
inline constexpr int kSignedPacked = 6;
inline constexpr int kUnsignedPacked = 7;
inline constexpr int kSignedZoned = 8;
inline constexpr int kUnsignedZoned = 9;
inline constexpr int kAlphanumericEdited = 15;
inline constexpr int kNumericEdited = 16;
inline constexpr int kNationalEdited = 17;
inline constexpr int kUnsignedBinary = 22;

// SIGN digits of zoned signed items.
inline constexpr int kSignTrailingEmbedded = 1;
inline constexpr int kSignLeadingSeparate = 2;
inline constexpr int kSignTrailingSeparate = 3;
inline constexpr int kSignLeadingEmbedded = 4;
inline constexpr int kSignTrailingEmbeddedToo = 5;

enum class ItemClass {
  kCharacter,  // 1, 2, 15, 16: single-byte characters, copied
  kNational,   // 3, 17: double-byte characters, copied
  kGroup,      // 4: no value of its own
  kNumeric,    // 5 to 9, 22
  kOther,      // everything else: not convertible
};

ItemClass ClassOf(int attribute);

// What the codec needs to know about one item (from its item descriptor).
struct ItemFormat {
  int attribute = 0;
  int byte_length = 0;      // bytes in the record
  int integer_digits = 0;   // numeric items; characters of a national item
  int fraction_digits = 0;  // numeric items
  int sign = 0;             // SIGN digit, zoned signed items only
  bool blank_when_zero = false;
  bool justified = false;  // JUSTIFIED RIGHT
};

struct CodecOptions {
  bool big_endian = false;       // binary items high-order byte first
  bool blank_when_zero = false;  // honour BLANK WHEN ZERO of unsigned zoned items
  // The converters also take a signed packed item whose sign nibble is a
  // digit 0 to 9 as positive; everywhere else only C and D are signs.
  bool packed_digit_sign = false;
};

enum class Status {
  kOk,
  kInvalidData,     // the bytes or the text do not hold a valid value
  kNotConvertible,  // the attribute has no value encoding
  kBadFormat,       // the format contradicts itself (digits, byte length, buffer size)
};

// Bytes a numeric item of this format occupies, from its attribute and
// digits; -1 when the attribute is not numeric or the digits are out of range
// (binary: 1 to 9 digits; packed and zoned: 1 to 19).
int NumericByteLength(const ItemFormat& format);

// Decodes a numeric item. The value has exactly the item's shape
// (integer_digits, fraction_digits); a binary value with more integer digits
// than the item keeps only the low-order ones. A negative zero in packed or
// zoned data stays negative.
// kBadFormat when the format is not numeric, is inconsistent, or bytes is
// shorter than NumericByteLength; kInvalidData for a bad nibble, zone or
// digit byte (binary data is never invalid).
Status DecodeNumber(const ItemFormat& format, std::span<const std::uint8_t> bytes,
                    const CodecOptions& options, Decimal* value);

// Encodes value into a numeric item: aligned to the item's digits without
// rounding, the sign stored as the attribute and SIGN digit say (unsigned
// kinds store the magnitude). Writes exactly NumericByteLength bytes.
// kBadFormat as for DecodeNumber (out too short included).
Status EncodeNumber(const ItemFormat& format, const Decimal& value, const CodecOptions& options,
                    std::span<std::uint8_t> out);

// Item bytes to their text: character and national items give their bytes
// unchanged (byte_length of them), numeric items their number text in style,
// exactly as DecodeNumber followed by FormatNumber gives it (the status
// included) but without building a Decimal.
// out must hold byte_length bytes for character items and the whole text
// for numeric ones (at most digits + 2 characters; kMaxNumberTextLength
// always suffices), else kBadFormat. Group and other
// attributes give kNotConvertible.
Status ItemToText(const ItemFormat& format, std::span<const std::uint8_t> bytes,
                  const CodecOptions& options, TextStyle style, std::span<char> out,
                  std::size_t* length);

// Text to item bytes, writing exactly byte_length bytes into out.
// Character items: spaces, then the text from the left cut at the item
// length, or with JUSTIFIED its rightmost part placed at the right end.
// National items: the same over full-width spaces (0x81 0x40); an odd-length
// text gets one single-byte space after it (before it when JUSTIFIED) so that
// the full-width spaces stay aligned.
// Numeric items: ParseNumber rules, at most kMaxFieldTextLength characters
// (longer texts and bad characters are kInvalidData, out untouched); empty
// is zero. The bytes are those EncodeNumber stores for the parsed value.
Status TextToItem(const ItemFormat& format, std::string_view text, const CodecOptions& options,
                  std::span<std::uint8_t> out);

// Places source bytes into destination over a fill of single-byte spaces:
// from the left cut on the right, or with justified from the right cut on the
// left.
void PlaceCharacters(std::span<const std::uint8_t> source, bool justified,
                     std::span<std::uint8_t> destination);

// As PlaceCharacters over full-width spaces, with the odd-length rule of
// national items described at TextToItem.
void PlaceNational(std::span<const std::uint8_t> source, bool justified,
                   std::span<std::uint8_t> destination);

// Left-aligns the value of a JUSTIFIED RIGHT item for comparison: leading
// spaces (with national, leading full-width spaces in two-byte steps) are
// removed, the rest moved to the front and the tail filled with the same
// spaces. An all-space value stays as it is.
void LeftAlignJustified(std::span<std::uint8_t> value, bool national);

}  // namespace qel::codec

#endif  // QEL_CODEC_ITEM_CODEC_H_
