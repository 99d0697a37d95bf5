// The evaluator runs once per input record, so it works in storage kept
// per thread (threads selecting records at once each have their own) and
// reads item bytes straight from the record area: a character value is
// copied only when a JUSTIFIED RIGHT item has to be left-aligned first.
#include "filter/evaluator.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "codec/item_codec.h"
#include "filter/comparison_check.h"
#include "filter/pattern.h"
#include "recacc/item_format.h"

namespace qel::filter {
namespace {

constexpr int kInvalid = -1;  // a prefix form that cannot be walked
constexpr std::uint8_t kWideBlank[2] = {0x81, 0x40};

using Bytes = std::span<const std::uint8_t>;

struct WorkingStorage {
  std::uint8_t key[kMaxCharacterBytes];
  std::uint8_t value[kMaxCharacterBytes];
  codec::Decimal key_number;
  codec::Decimal value_number;
};

// Blanks to compare the tail of the longer value with.
struct Blanks {
  std::uint8_t single[kMaxCharacterBytes];
  std::uint8_t wide[kMaxCharacterBytes];
};

const Blanks& BlankValues() {
  static const Blanks blanks = [] {
    Blanks b;
    std::memset(b.single, 0x20, sizeof b.single);
    for (int i = 0; i < kMaxCharacterBytes; ++i) b.wide[i] = kWideBlank[i % 2];
    return b;
  }();
  return blanks;
}

WorkingStorage& Work() {
  thread_local WorkingStorage work;
  return work;
}

bool IsNumericAttribute(int attribute) {
  return (attribute >= KRAC_ATTR_BINARY && attribute <= KRAC_ATTR_ZONED_UNSIGNED) ||
         attribute == KRAC_ATTR_BINARY_UNSIGNED;
}

class Evaluation {
 public:
  Evaluation(DTF* dtf, const SelCondEntry* conditions, const SelRunOptions* options)
      : dtf_(dtf), conditions_(conditions), work_(Work()) {
    if (options != nullptr) {
      codec_options_.big_endian = options->big_endian == 1;
      codec_options_.blank_when_zero = options->blank_when_zero == 1;
    }
    if (dtf->record_area != nullptr) {
      std::int32_t length =
          dtf->record_area_length > 0 ? dtf->record_area_length : dtf->record_length;
      record_ = Bytes(reinterpret_cast<const std::uint8_t*>(dtf->record_area),
                      static_cast<std::size_t>(std::max(length, 0)));
    }
  }

  // Evaluates the operand at p: a condition number, or an operator with its
  // two operands. Returns 0, 1, an invalid-data result or kInvalid.
  int Operand(std::string_view* p) {
    if (p->empty()) return kInvalid;
    char c = p->front();
    if (c == 'A' || c == 'O') {
      p->remove_prefix(1);
      int first = Operand(p);
      if (first != 0 && first != 1) return first;
      bool decided = (c == 'A') ? first == 0 : first == 1;
      if (decided) return Skip(p) ? first : kInvalid;
      return Operand(p);
    }
    int n = Number(p);
    if (n < 1 || n > KCND_MAX_CONDITIONS) return kInvalid;
    return Condition(conditions_[n - 1]);
  }

  int* error_item_ = nullptr;

 private:
  // Reads a condition number and the "," after it; -1 when none is there.
  static int Number(std::string_view* p) {
    int n = 0;
    std::size_t i = 0;
    for (; i < p->size() && (*p)[i] >= '0' && (*p)[i] <= '9'; ++i) {
      if (n <= KCND_MAX_CONDITIONS) n = n * 10 + ((*p)[i] - '0');
    }
    if (i == 0) return -1;
    if (i < p->size() && (*p)[i] == ',') ++i;
    p->remove_prefix(i);
    return n;
  }

  // Passes over one operand without evaluating it.
  static bool Skip(std::string_view* p) {
    if (p->empty()) return false;
    char c = p->front();
    if (c == 'A' || c == 'O') {
      p->remove_prefix(1);
      return Skip(p) && Skip(p);
    }
    return Number(p) >= 0;
  }

  int Invalid(int result, int item_number) {
    if (error_item_ != nullptr) *error_item_ = item_number - 1;
    return result;
  }

  // The layout's entry n, read in place: the layout is only read, so
  // threads selecting at once share it, and nothing is copied per record.
  const ItemDescriptor* LookUp(int n) const {
    if (dtf_->record_layout == nullptr || n < 1 || n > dtf_->record_layout->count) return nullptr;
    return &dtf_->record_layout->items[n - 1];
  }

  // The item's bytes in the record; false when they lie outside it.
  bool ItemBytes(const ItemDescriptor& d, Bytes* out) const {
    if (d.position < 0 || d.byte_length < 0 || d.byte_length > kMaxCharacterBytes) return false;
    std::size_t end =
        static_cast<std::size_t>(d.position) + static_cast<std::size_t>(d.byte_length);
    if (end > record_.size()) return false;
    *out = record_.subspan(static_cast<std::size_t>(d.position),
                           static_cast<std::size_t>(d.byte_length));
    return true;
  }

  // A character value as compared: JUSTIFIED RIGHT items of attributes 1 to
  // 4 left-aligned in buffer.
  static Bytes CharacterValue(const ItemDescriptor& d, Bytes bytes, std::uint8_t* buffer) {
    if (d.justified != 'T' || d.attribute < KRAC_ATTR_ALPHANUMERIC ||
        d.attribute > KRAC_ATTR_GROUP) {
      return bytes;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    std::span<std::uint8_t> value(buffer, bytes.size());
    codec::LeftAlignJustified(value, d.attribute == KRAC_ATTR_NATIONAL);
    return value;
  }

  bool Decode(const ItemDescriptor& d, Bytes bytes, codec::Decimal* value) const {
    return codec::DecodeNumber(recacc::ItemFormatOf(d), bytes, codec_options_, value) ==
           codec::Status::kOk;
  }

  int Condition(const SelCondEntry& cond) {
    const ItemDescriptor* key_entry = LookUp(cond.key_item);
    Bytes key_bytes;
    if (key_entry == nullptr || !ItemBytes(*key_entry, &key_bytes)) {
      return Invalid(KCND_INVALID_KEY, cond.key_item);
    }
    const ItemDescriptor& key = *key_entry;
    bool numeric = IsNumericAttribute(key.attribute);
    bool national = key.attribute == KRAC_ATTR_NATIONAL;
    Bytes key_value;
    if (numeric) {
      if (!Decode(key, key_bytes, &work_.key_number))
        return Invalid(KCND_INVALID_KEY, cond.key_item);
    } else {
      key_value = CharacterValue(key, key_bytes, work_.key);
    }

    Metacharacters meta;
    if (cond.comparisons != nullptr) {
      meta.any_string = static_cast<std::uint8_t>(cond.comparisons->any_string);
      meta.any_one = static_cast<std::uint8_t>(cond.comparisons->any_one);
    }
    bool pattern = false;
    bool result = false;
    for (const SelCompEntry* e = cond.comparisons; e != nullptr; e = e->next) {
      if (e->kind == KCND_KIND_ITEM) {
        const ItemDescriptor* entry = LookUp(e->item);
        Bytes item_bytes;
        if (entry == nullptr || !ItemBytes(*entry, &item_bytes)) {
          return Invalid(KCND_INVALID_COMPARISON, e->item);
        }
        const ItemDescriptor& item = *entry;
        if (IsNumericAttribute(item.attribute) != numeric) {
          // A pairing the check refuses: the two never compare equal.
          result = cond.op == KCND_OP_NE;
        } else if (numeric) {
          if (!Decode(item, item_bytes, &work_.value_number)) {
            return Invalid(KCND_INVALID_COMPARISON, e->item);
          }
          result = Holds(cond.op, codec::Compare(work_.key_number, work_.value_number));
        } else {
          Bytes value = CharacterValue(item, item_bytes, work_.value);
          result = Holds(cond.op, CompareCharacters(key_value, value, national));
        }
      } else {
        std::string_view text;
        if (e->constant != nullptr)
          text = std::string_view(e->constant, strnlen(e->constant, kMaxPatternBytes));
        if (numeric) {
          ConstantValue(text, key.digits, key.fraction_digits, &work_.value_number);
          result = Holds(cond.op, codec::Compare(work_.key_number, work_.value_number));
        } else {
          if (!text.empty() && text.front() == '"') text.remove_prefix(1);
          if (e->check_result == KCND_PATTERN) pattern = true;
          if (pattern && (cond.op == KCND_OP_EQ || cond.op == KCND_OP_NE)) {
            bool match = MatchPattern(key_value, text, national, meta);
            result = cond.op == KCND_OP_EQ ? match : !match;
          } else {
            Bytes value(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
            result = Holds(cond.op, CompareCharacters(key_value, value, national));
          }
        }
      }
      if (cond.op == KCND_OP_EQ ? result : !result) break;
    }
    return result ? 1 : 0;
  }

  // The shorter value padded with blanks (two-byte blanks for a national
  // key) to the longer one's length, then unsigned bytes in order.
  static int CompareCharacters(Bytes a, Bytes b, bool national) {
    std::size_t common = std::min(a.size(), b.size());
    if (int c = std::memcmp(a.data(), b.data(), common); c != 0) return c < 0 ? -1 : 1;
    Bytes rest = a.size() > b.size() ? a.subspan(common) : b.subspan(common);
    int sign = a.size() > b.size() ? 1 : -1;
    const Blanks& blanks = BlankValues();
    const std::uint8_t* pad = national ? blanks.wide : blanks.single;
    // Both values are at most kMaxCharacterBytes long, and so is the rest.
    if (int c = std::memcmp(rest.data(), pad, rest.size()); c != 0) return c < 0 ? -sign : sign;
    return 0;
  }

  static bool Holds(int op, int c) {
    switch (op) {
      case KCND_OP_EQ:
        return c == 0;
      case KCND_OP_NE:
        return c != 0;
      case KCND_OP_GT:
        return c > 0;
      case KCND_OP_GE:
        return c >= 0;
      case KCND_OP_LT:
        return c < 0;
      case KCND_OP_LE:
        return c <= 0;
      default:
        return false;
    }
  }

  DTF* dtf_;
  const SelCondEntry* conditions_;
  WorkingStorage& work_;
  codec::CodecOptions codec_options_;
  Bytes record_;
};

}  // namespace

void ConstantValue(std::string_view text, int empty_integer_digits, int empty_fraction_digits,
                   codec::Decimal* value) {
  codec::Decimal& v = *value;
  v.negative = false;
  v.integer_digits = 0;
  v.fraction_digits = 0;
  if (text.empty()) {
    v.integer_digits = std::clamp(empty_integer_digits, 0, codec::kMaxIntegerDigits);
    v.fraction_digits = std::clamp(empty_fraction_digits, 0, codec::kMaxFractionDigits);
    std::fill(v.digits.begin(), v.digits.begin() + v.DigitCount(), 0);
    return;
  }
  // Integer digits first, then the fraction digits after the point.
  std::size_t point = text.find('.');
  std::string_view integer_part = text.substr(0, point);
  std::string_view fraction_part =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  v.negative = text.front() == '-';
  int n = 0;
  for (char c : integer_part) {
    if (c >= '0' && c <= '9' && n < codec::kMaxIntegerDigits)
      v.digits[n++] = static_cast<std::uint8_t>(c - '0');
  }
  v.integer_digits = n;
  for (char c : fraction_part) {
    if (c >= '0' && c <= '9' && v.fraction_digits < codec::kMaxFractionDigits) {
      v.digits[n++] = static_cast<std::uint8_t>(c - '0');
      ++v.fraction_digits;
    }
  }
  if (v.negative && codec::IsZero(v)) v.negative = false;
}

int Select(DTF* dtf, const char* prefix, const SelCondEntry* conditions, int* error_item,
           const SelRunOptions* options) {
  if (dtf == nullptr || prefix == nullptr || conditions == nullptr) return KCND_NOT_SELECTED;
  std::string_view p(prefix, strnlen(prefix, KCND_PREFIX_SIZE - 1));
  Evaluation evaluation(dtf, conditions, options);
  evaluation.error_item_ = error_item;
  int result = KCND_NOT_SELECTED;
  while (!p.empty()) {
    result = evaluation.Operand(&p);
    if (result != 0 && result != 1) return result == kInvalid ? KCND_NOT_SELECTED : result;
  }
  return result;
}

}  // namespace qel::filter
