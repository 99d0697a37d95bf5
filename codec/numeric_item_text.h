// The direct path between numeric item bytes and their field text, used by
// ItemToText and TextToItem for every numeric item. It works on the digits
// as ASCII text, eight at a time in a 64-bit word where it can, and never
// builds a Decimal. Its results (status, text and item bytes, on invalid
// input too) are exactly those of the general path, DecodeNumber +
// FormatNumber and ParseNumber + EncodeNumber, which stays for the callers
// that need the value itself.
#ifndef QEL_CODEC_NUMERIC_ITEM_TEXT_H_
#define QEL_CODEC_NUMERIC_ITEM_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/item_codec.h"

namespace qel::codec {

// Where a zoned item keeps its sign, as byte indexes: the first digit (1
// after a leading separate sign, else 0), the separate sign byte and the
// digit carrying an embedded sign, each -1 when there is none. An unsigned
// item, or a signed one whose SIGN digit is not 1 to 5, keeps no sign.
struct ZonedSignPlace {
  int first_digit = 0;
  int separate = -1;
  int embedded = -1;
};

// Inline: every zoned item asks, in the converters' inner loop.
// REQUIRES: format.byte_length == NumericByteLength(format) > 0.
inline ZonedSignPlace ZonedSignPlaceOf(const ItemFormat& format) {
  ZonedSignPlace place;
  if (format.attribute != kSignedZoned) return place;
  switch (format.sign) {
    case kSignLeadingSeparate:
      place.separate = 0;
      place.first_digit = 1;
      break;
    case kSignTrailingSeparate:
      place.separate = format.byte_length - 1;
      break;
    case kSignLeadingEmbedded:
      place.embedded = 0;
      break;
    case kSignTrailingEmbedded:
    case kSignTrailingEmbeddedToo:
      place.embedded = format.byte_length - 1;
      break;
    default:
      break;
  }
  return place;
}

// As ItemToText for a numeric item: the item's number text in style.
// kInvalidData for a bad nibble, zone or digit byte (out and *length then
// untouched); kBadFormat with *length 0 when out cannot hold the text (out
// untouched). Writes exactly *length bytes of out.
// REQUIRES: ClassOf(format.attribute) == ItemClass::kNumeric,
//           format.byte_length == NumericByteLength(format) > 0,
//           bytes.size() >= format.byte_length.
Status NumericItemToText(const ItemFormat& format, std::span<const std::uint8_t> bytes,
                         const CodecOptions& options, TextStyle style, std::span<char> out,
                         std::size_t* length);

// As TextToItem for a numeric item: the field text aligned without rounding
// and stored, writing exactly byte_length bytes. kInvalidData (out
// untouched) for a text longer than kMaxFieldTextLength or one ParseNumber
// refuses.
// REQUIRES: the format as for NumericItemToText, out.size() >= byte_length.
Status TextToNumericItem(const ItemFormat& format, std::string_view text,
                         const CodecOptions& options, std::span<std::uint8_t> out);

}  // namespace qel::codec

#endif  // QEL_CODEC_NUMERIC_ITEM_TEXT_H_
