// Check of one comparison of a selection condition: the key item, the
// comparison text (an item reference or a constant) and their compatibility,
// as KRSC message numbers.
#ifndef QEL_FILTER_COMPARISON_CHECK_H_
#define QEL_FILTER_COMPARISON_CHECK_H_

#include <cstdint>
#include <string_view>

#include "recacc/qelrecacc.h"

namespace qel::filter {

// Faults of a comparison, as KRSC message numbers.
inline constexpr int kKeyUnusable = 2201;
inline constexpr int kItemUnusable = 2202;
inline constexpr int kAttributeMismatch = 2203;
inline constexpr int kLengthMismatch = 2204;
inline constexpr int kEditMismatch = 2205;
inline constexpr int kBadItemReference = 2206;
inline constexpr int kNoConstant = 2207;
inline constexpr int kNotAlphabetic = 2208;
inline constexpr int kNotNational = 2209;
inline constexpr int kNotNumeric = 2211;
inline constexpr int kMisplacedSign = 2212;
inline constexpr int kSecondPoint = 2213;
inline constexpr int kBadDate = 2214;
inline constexpr int kBadTime = 2215;
inline constexpr int kCharacterTooLong = 2216;
inline constexpr int kNationalTooLong = 2217;
inline constexpr int kDecimalTooLong = 2218;
inline constexpr int kBinaryTooLong = 2219;
inline constexpr int kPatternOperator = 2222;

// Results besides the faults.
inline constexpr int kPlain = 0;
inline constexpr int kPattern = 1;

// Longest character item usable in a selection, in bytes.
inline constexpr int kMaxCharacterBytes = 4096;
// Longest character or national constant, in bytes (a leading marker counted).
inline constexpr std::size_t kMaxConstantBytes = 32;

inline constexpr std::uint8_t kUnsetMetacharacter = ' ';

// The procedure's two metacharacters; a blank is one that is not set.
struct Metacharacters {
  std::uint8_t any_string = kUnsetMetacharacter;
  std::uint8_t any_one = kUnsetMetacharacter;
};

// How selection sees an item's attribute and digits.
enum class SelectionClass {
  kNumeric,         // binary up to 9 digits, packed and zoned up to 18
  kNumericTooLong,  // a numeric attribute over its digit limit
  kCharacter,       // 1 to 4, 15 to 17, 20, 21 up to kMaxCharacterBytes
  kUnusable,        // anything else
};

SelectionClass ClassifyItem(const ItemDescriptor& item);

// The kinds of comparison text, by its first byte.
enum class TextKind { kItemReference, kNumericLooking, kCharacter };

TextKind ClassifyText(std::string_view text);

// Item number of a reference text ("#", a digit 1 to 9, further digits, then
// the end, a blank or ":"), from its first ten digits; -1 when the text is not
// a reference of that form.
std::int64_t ParseItemReference(std::string_view text);

// The numeric constant check against a numeric key of attribute key_attribute:
// kPlain or a fault.
int CheckNumberConstant(std::string_view text, int key_attribute);

// The character constant check of the key's attribute (1 to 4, 20, 21):
// kPlain, kPattern (a set metacharacter met) or a fault. The operator is not
// looked at.
int CheckCharacterConstant(std::string_view text, int key_attribute, Metacharacters meta);

// The whole check of one comparison, KCNDCompChek's contract.
int CheckComparison(int key_item, int op, std::string_view text, DTF* dtf, Metacharacters meta,
                    bool blank_option);

}  // namespace qel::filter

#endif  // QEL_FILTER_COMPARISON_CHECK_H_
