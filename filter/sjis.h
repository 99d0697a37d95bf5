// Shift-JIS characters as the selection checks and the pattern match see
// them: lead bytes, and the double-byte form of a single-byte character (the
// form a metacharacter takes in a national constant).
#ifndef QEL_FILTER_SJIS_H_
#define QEL_FILTER_SJIS_H_

#include <cstdint>

namespace qel::filter {

// First byte of a double-byte character: 0x81 to 0x9F and 0xE0 to 0xFC.
inline bool IsLeadByte(std::uint8_t c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The double-byte character of the single-byte character c (printable ASCII
// and half-width katakana), high byte first; 0 when c has none (control
// characters, lead bytes, 0x7F, 0x80, 0xA0, 0xFD to 0xFF).
std::uint16_t DoubleByteForm(std::uint8_t c);

}  // namespace qel::filter

#endif  // QEL_FILTER_SJIS_H_
