// KCNDCompChek's rules. The checks run in the order the faults are reported:
// the key first, then the comparison text by its kind, so a procedure shows
// the same message for the same fault whichever program checks it.
#include "filter/comparison_check.h"

#include <cstring>

#include "filter/qelfilter.h"
#include "filter/sjis.h"

namespace qel::filter {
namespace {

constexpr int kMaxBinaryDigits = 9;
constexpr int kMaxDecimalDigits = 18;

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Flag(char c) { return c == 'T'; }

bool IsEdited(int attribute) {
  return attribute == KRAC_ATTR_ALPHANUMERIC_EDITED || attribute == KRAC_ATTR_NUMERIC_EDITED ||
         attribute == KRAC_ATTR_NATIONAL_EDITED;
}

bool IsBinary(int attribute) {
  return attribute == KRAC_ATTR_BINARY || attribute == KRAC_ATTR_BINARY_UNSIGNED;
}

std::uint8_t Byte(std::string_view text, std::size_t i) {
  return static_cast<std::uint8_t>(text[i]);
}

// A set metacharacter is one that is not a blank.
bool IsAnyString(std::uint8_t c, Metacharacters meta) {
  return meta.any_string != kUnsetMetacharacter && c == meta.any_string;
}
bool IsAnyOne(std::uint8_t c, Metacharacters meta) {
  return meta.any_one != kUnsetMetacharacter && c == meta.any_one;
}

bool HasLeadByte(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(Byte(text, i))) return true;
  }
  return false;
}

int CheckDate(std::string_view t, Metacharacters meta) {
  if (t.empty() || IsLeadByte(Byte(t, 0)) || t.size() > 8 || HasLeadByte(t)) return kBadDate;
  bool pattern = false;
  bool any_string_seen = false;
  bool group_any_string = false;
  int slashes = 0;
  int positions = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    std::uint8_t c = Byte(t, i);
    if (c == '/') {
      ++slashes;
      if (slashes > 2) return kBadDate;
      bool group_ok = positions == 2 || (group_any_string && positions >= 1 && positions <= 2);
      if (!group_ok) return kBadDate;
      positions = 0;
      group_any_string = false;
      continue;
    }
    if (IsAnyString(c, meta)) {
      any_string_seen = group_any_string = pattern = true;
    } else if (IsAnyOne(c, meta)) {
      pattern = true;
    } else if (!IsDigit(c)) {
      return kBadDate;
    }
    ++positions;
  }
  if (positions < 1) return kBadDate;
  bool end_ok = any_string_seen ? positions <= 2 : (positions == 2 && slashes == 2);
  if (!end_ok) return kBadDate;
  return pattern ? kPattern : kPlain;
}

int CheckTime(std::string_view t, Metacharacters meta) {
  if (t.empty() || IsLeadByte(Byte(t, 0)) || t.size() > 6 || HasLeadByte(t)) return kBadTime;
  bool pattern = false;
  bool any_string_seen = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    std::uint8_t c = Byte(t, i);
    if (IsDigit(c)) continue;
    if (IsAnyString(c, meta)) {
      any_string_seen = pattern = true;
    } else if (IsAnyOne(c, meta)) {
      pattern = true;
    } else {
      return kBadTime;
    }
  }
  if (!any_string_seen && t.size() != 6) return kBadTime;
  return pattern ? kPattern : kPlain;
}

std::string_view SkipMarker(std::string_view t) {
  return !t.empty() && t[0] == '"' ? t.substr(1) : t;
}

int CheckNational(std::string_view t, Metacharacters meta) {
  if (t.size() > kMaxConstantBytes) return kNationalTooLong;
  t = SkipMarker(t);
  std::uint16_t any_string =
      meta.any_string != kUnsetMetacharacter ? DoubleByteForm(meta.any_string) : 0;
  std::uint16_t any_one = meta.any_one != kUnsetMetacharacter ? DoubleByteForm(meta.any_one) : 0;
  bool pattern = false;
  for (std::size_t i = 0; i < t.size(); i += 2) {
    if (!IsLeadByte(Byte(t, i)) || i + 1 >= t.size()) return kNotNational;
    auto c = static_cast<std::uint16_t>(Byte(t, i) << 8 | Byte(t, i + 1));
    if (c != 0 && (c == any_string || c == any_one)) pattern = true;
  }
  return pattern ? kPattern : kPlain;
}

int CheckAlphanumeric(std::string_view t, bool alphabetic, Metacharacters meta) {
  if (t.size() > kMaxConstantBytes) return kCharacterTooLong;
  t = SkipMarker(t);
  bool pattern = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    std::uint8_t c = Byte(t, i);
    if (IsLeadByte(c)) {
      if (alphabetic) return kNotAlphabetic;
      ++i;  // the trail byte belongs to the same character
      continue;
    }
    if (IsAnyString(c, meta) || IsAnyOne(c, meta)) {
      pattern = true;
    } else if (alphabetic && !IsLetter(c) && c != ' ') {
      return kNotAlphabetic;
    }
  }
  return pattern ? kPattern : kPlain;
}

// Whether a comparison item may stand against the key, as a result.
int CheckCompatibility(const ItemDescriptor& key, const ItemDescriptor& item, bool blank_option) {
  SelectionClass key_class = ClassifyItem(key);
  SelectionClass item_class = ClassifyItem(item);
  if (key_class == SelectionClass::kNumeric || item_class == SelectionClass::kNumeric) {
    if (key_class != item_class) return kAttributeMismatch;
    if (blank_option && Flag(key.blank_when_zero)) return kKeyUnusable;
    if (blank_option && Flag(item.blank_when_zero)) return kItemUnusable;
    return kPlain;
  }
  int a = item.attribute;
  switch (key.attribute) {
    case KRAC_ATTR_ALPHANUMERIC:
      return (a == KRAC_ATTR_ALPHANUMERIC || a == KRAC_ATTR_ALPHABETIC || a == KRAC_ATTR_GROUP ||
              a == KRAC_ATTR_DATE || a == KRAC_ATTR_TIME)
                 ? kPlain
                 : kAttributeMismatch;
    case KRAC_ATTR_ALPHABETIC:
    case KRAC_ATTR_GROUP:
      return (a == KRAC_ATTR_ALPHANUMERIC || a == KRAC_ATTR_ALPHABETIC || a == KRAC_ATTR_GROUP)
                 ? kPlain
                 : kAttributeMismatch;
    case KRAC_ATTR_NATIONAL:
    case KRAC_ATTR_DATE:
    case KRAC_ATTR_TIME:
      return a == key.attribute ? kPlain : kAttributeMismatch;
    case KRAC_ATTR_ALPHANUMERIC_EDITED:
    case KRAC_ATTR_NUMERIC_EDITED:
    case KRAC_ATTR_NATIONAL_EDITED:
      if (a != key.attribute) return kAttributeMismatch;
      if (item.byte_length != key.byte_length) return kLengthMismatch;
      if (std::strncmp(item.edit_string, key.edit_string, sizeof key.edit_string) != 0) {
        return kEditMismatch;
      }
      if (blank_option && Flag(item.blank_when_zero) != Flag(key.blank_when_zero)) {
        return kEditMismatch;
      }
      return kPlain;
    default:
      return kAttributeMismatch;
  }
}

// Looks an item up without touching the DTF's status when it is not there.
bool LookUp(std::int64_t n, DTF* dtf, ItemDescriptor* out) {
  if (n < 1 || n > KRACGetEcnt(dtf)) return false;
  return KRACDainfSet(static_cast<int>(n), dtf, out) == 0;
}

}  // namespace

SelectionClass ClassifyItem(const ItemDescriptor& item) {
  int digits = item.digits + item.fraction_digits;
  switch (item.attribute) {
    case KRAC_ATTR_BINARY:
    case KRAC_ATTR_BINARY_UNSIGNED:
      return digits <= kMaxBinaryDigits ? SelectionClass::kNumeric
                                        : SelectionClass::kNumericTooLong;
    case KRAC_ATTR_PACKED:
    case KRAC_ATTR_PACKED_UNSIGNED:
    case KRAC_ATTR_ZONED:
    case KRAC_ATTR_ZONED_UNSIGNED:
      return digits <= kMaxDecimalDigits ? SelectionClass::kNumeric
                                         : SelectionClass::kNumericTooLong;
    case KRAC_ATTR_ALPHANUMERIC:
    case KRAC_ATTR_ALPHABETIC:
    case KRAC_ATTR_NATIONAL:
    case KRAC_ATTR_GROUP:
    case KRAC_ATTR_ALPHANUMERIC_EDITED:
    case KRAC_ATTR_NUMERIC_EDITED:
    case KRAC_ATTR_NATIONAL_EDITED:
    case KRAC_ATTR_DATE:
    case KRAC_ATTR_TIME:
      return item.byte_length <= kMaxCharacterBytes ? SelectionClass::kCharacter
                                                    : SelectionClass::kUnusable;
    default:
      return SelectionClass::kUnusable;
  }
}

TextKind ClassifyText(std::string_view text) {
  if (text.empty()) return TextKind::kCharacter;
  std::uint8_t c = Byte(text, 0);
  if (IsLeadByte(c)) return TextKind::kCharacter;
  if (c == '#') return TextKind::kItemReference;
  if (c == '-' || c == '.' || IsDigit(c)) return TextKind::kNumericLooking;
  return TextKind::kCharacter;
}

std::int64_t ParseItemReference(std::string_view text) {
  if (text.size() < 2 || text[0] != '#' || text[1] < '1' || text[1] > '9') return -1;
  std::int64_t number = 0;
  std::size_t i = 1;
  for (; i < text.size() && IsDigit(Byte(text, i)); ++i) {
    if (i <= 10) number = number * 10 + (text[i] - '0');
  }
  if (i < text.size() && text[i] != ' ' && text[i] != ':') return -1;
  return number;
}

int CheckNumberConstant(std::string_view text, int key_attribute) {
  if (text.empty()) return kPlain;
  int digits = 0;
  bool point = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint8_t c = Byte(text, i);
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '-') {
      if (i != 0) return kMisplacedSign;
    } else if (c == '.') {
      if (point) return kSecondPoint;
      point = true;
    } else {
      return kNotNumeric;
    }
  }
  if (digits == 0) return kNotNumeric;
  if (IsBinary(key_attribute)) return digits > kMaxBinaryDigits ? kBinaryTooLong : kPlain;
  return digits > kMaxDecimalDigits ? kDecimalTooLong : kPlain;
}

int CheckCharacterConstant(std::string_view text, int key_attribute, Metacharacters meta) {
  switch (key_attribute) {
    case KRAC_ATTR_NATIONAL:
      return CheckNational(text, meta);
    case KRAC_ATTR_DATE:
      return CheckDate(text, meta);
    case KRAC_ATTR_TIME:
      return CheckTime(text, meta);
    default:
      return CheckAlphanumeric(text, key_attribute == KRAC_ATTR_ALPHABETIC, meta);
  }
}

int CheckComparison(int key_item, int op, std::string_view text, DTF* dtf, Metacharacters meta,
                    bool blank_option) {
  ItemDescriptor key;
  if (dtf == nullptr || !LookUp(key_item, dtf, &key)) return kKeyUnusable;
  SelectionClass key_class = ClassifyItem(key);
  if (key_class == SelectionClass::kNumeric) {
    if (blank_option && Flag(key.blank_when_zero)) return kKeyUnusable;
  } else if (key_class != SelectionClass::kCharacter) {
    return kKeyUnusable;
  }

  TextKind kind = ClassifyText(text);
  if (kind == TextKind::kItemReference) {
    ItemDescriptor item;
    std::int64_t number = ParseItemReference(text);
    if (number < 1 || !LookUp(number, dtf, &item)) return kBadItemReference;
    SelectionClass item_class = ClassifyItem(item);
    if (item_class != SelectionClass::kNumeric && item_class != SelectionClass::kCharacter) {
      return kItemUnusable;
    }
    return CheckCompatibility(key, item, blank_option);
  }

  if (IsEdited(key.attribute)) return kNoConstant;
  if (key_class == SelectionClass::kNumeric) {
    // The empty text stands for zero.
    if (kind == TextKind::kCharacter) return text.empty() ? kPlain : kNotNumeric;
    return CheckNumberConstant(text, key.attribute);
  }
  int result = CheckCharacterConstant(text, key.attribute, meta);
  if (result == kPattern && op != KCND_OP_EQ && op != KCND_OP_NE) return kPatternOperator;
  return result;
}

}  // namespace qel::filter
