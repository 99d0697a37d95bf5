// The pattern match of selection constants: an any-string and an any-one
// metacharacter over Shift-JIS characters, anchored at both ends, with the
// trailing any-one rule (a run of any-one metacharacters after the pattern's
// last ordinary character also matches fewer characters, down to none, as it
// stands for blanks that were removed from the key).
#ifndef QEL_FILTER_PATTERN_H_
#define QEL_FILTER_PATTERN_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "filter/comparison_check.h"

namespace qel::filter {

// Longest pattern in bytes that MatchPattern looks at (a constant's buffer
// less its NUL); bytes beyond are ignored.
inline constexpr std::size_t kMaxPatternBytes = 47;

// True when key matches pattern. Trailing blanks are removed from both (with
// national, two-byte blanks from the key and from the pattern as well); a key
// of nothing but blanks is taken as blanks as long as the pattern. With
// national every character is two bytes and the metacharacters are used in
// their double-byte form; otherwise a character is one byte, or two after a
// lead byte, and the metacharacters are single bytes. Allocates nothing.
bool MatchPattern(std::span<const std::uint8_t> key, std::string_view pattern, bool national,
                  Metacharacters meta);

}  // namespace qel::filter

#endif  // QEL_FILTER_PATTERN_H_
