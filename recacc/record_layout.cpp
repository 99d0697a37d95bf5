// The layout builder: attribute codes and byte lengths, group closing, OCCURS
// unrolling, REDEFINES skipping, the record length and level renumbering.
#include "recacc/record_layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

#include "recacc/definition_reader.h"

namespace qel::recacc {
namespace {

// The leading decimal number of `s` (blanks and one sign allowed), as the
// definition editor writes numbers into string fields; 0 when there is none.
int64_t NumberOf(std::string_view s, std::size_t* used = nullptr) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && v < 1000000000000LL) {
    v = v * 10 + (s[i++] - '0');
  }
  if (used != nullptr) *used = i;
  return negative ? -v : v;
}

struct Digits {
  int64_t integer = 0;
  int64_t fraction = 0;
};

Digits DigitsOf(std::string_view dale, bool comma_too) {
  Digits d;
  std::size_t used = 0;
  d.integer = NumberOf(dale, &used);
  if (used < dale.size() && (dale[used] == '.' || (comma_too && dale[used] == ','))) {
    std::string_view rest = dale.substr(used + 1);
    if (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') d.fraction = NumberOf(rest);
  }
  return d;
}

bool IsSet(std::string_view flag) {
  return (!flag.empty() && flag[0] == 'T') || flag.substr(0, 2) == "\x81\x5A";
}

char FirstOf(std::string_view s) { return s.empty() ? '\0' : s[0]; }

void CopyText(char (&dst)[32], std::string_view src) {
  std::size_t n = std::min(src.size(), sizeof dst - 1);
  std::memcpy(dst, src.data(), n);
  std::memset(dst + n, 0, sizeof dst - n);
}

// Code, byte length, digits and fraction of an item; 0 or the status.
uint32_t Attribute(std::string_view dtat, std::string_view usag, std::string_view dale,
                   int32_t bit_position, ItemDescriptor* e) {
  if (dtat == "@") return kStatusCopy;
  int code = 0;
  if (usag == "INDEX") {
    code = KRAC_ATTR_INDEX;
  } else if (dtat.find_first_not_of(' ') == std::string_view::npos) {
    code = KRAC_ATTR_GROUP;
  } else {
    static const std::map<std::string_view, int> kCodes = {
        {"X", 1},  {"A", 2},   {"N", 3},  {"G", 4},   {"B", 5},   {"P", 6},   {"U", 7},
        {"S", 8},  {"9", 9},   {"F", 10}, {"D", 11},  {"E", 12},  {"1", 13},  {"8", 14},
        {"XE", 15}, {"Z", 16}, {"NE", 17}, {"T", 18}, {"IX", 19}, {"XD", 20}, {"XT", 21},
        {"C", 22}};
    auto it = kCodes.find(dtat);
    if (it == kCodes.end()) return kStatusBadRecordDefinition;
    code = it->second;
  }
  e->attribute = code;
  int64_t d = NumberOf(dale);
  int64_t bytes = 0, digits = d, fraction = 0;
  auto within = [](int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; };
  bool ok = true;
  switch (code) {
    case KRAC_ATTR_ALPHANUMERIC:
    case KRAC_ATTR_ALPHABETIC:
    case KRAC_ATTR_ALPHANUMERIC_EDITED:
      ok = within(d, 1, 32760);
      bytes = d;
      break;
    case KRAC_ATTR_NATIONAL:
    case KRAC_ATTR_NATIONAL_EDITED:
      ok = within(d, 1, 16383);
      bytes = 2 * d;
      break;
    case KRAC_ATTR_GROUP:
      bytes = 0;  // computed when the group closes
      break;
    case KRAC_ATTR_BINARY:
    case KRAC_ATTR_BINARY_UNSIGNED:
    case KRAC_ATTR_PACKED:
    case KRAC_ATTR_PACKED_UNSIGNED:
    case KRAC_ATTR_ZONED:
    case KRAC_ATTR_ZONED_UNSIGNED: {
      Digits n = DigitsOf(dale, true);
      int64_t count = n.integer + n.fraction;
      digits = n.integer;
      fraction = n.fraction;
      if (code == KRAC_ATTR_BINARY || code == KRAC_ATTR_BINARY_UNSIGNED) {
        ok = within(count, 1, 9);
        bytes = count <= 4 ? 2 : 4;
      } else if (code == KRAC_ATTR_PACKED || code == KRAC_ATTR_PACKED_UNSIGNED) {
        ok = within(count, 1, 19);
        bytes = count / 2 + 1;
      } else {
        ok = within(count, 1, 19);
        bytes = count;
      }
      break;
    }
    case KRAC_ATTR_EDITED_E:
    case KRAC_ATTR_NUMERIC_EDITED: {
      Digits n = DigitsOf(dale, false);
      int64_t count = n.integer + n.fraction;
      digits = n.integer;
      fraction = n.fraction;
      ok = code == KRAC_ATTR_EDITED_E ? within(count, 2, 22) : within(count, 1, 19);
      bytes = count;
      break;
    }
    case KRAC_ATTR_BIT:
      ok = within(d, 1, 2034);
      bytes = (d + 7) / 8;
      if ((bit_position + d + 7) / 8 > bytes) ++bytes;
      break;
    case KRAC_ATTR_FORM_8:
      ok = within(d, 1, 2034);
      bytes = d;
      break;
    case KRAC_ATTR_FOUR_BYTE:
    case KRAC_ATTR_FOUR_BYTE_T:
    case KRAC_ATTR_INDEX:
      bytes = digits = 4;
      break;
    case KRAC_ATTR_EIGHT_BYTE:
      bytes = digits = 8;
      break;
    case KRAC_ATTR_DATE:
    case KRAC_ATTR_TIME:
      bytes = std::max<int64_t>(d, 0);
      break;
  }
  if (!ok) return kStatusTooLong;
  // Unlimited kinds still have to fit a record.
  if (bytes > kMaxRecordLength) return kStatusRecordLength;
  e->byte_length = static_cast<int32_t>(bytes);
  e->digits = static_cast<int32_t>(std::clamp<int64_t>(digits, INT32_MIN, INT32_MAX));
  e->fraction_digits = static_cast<int32_t>(fraction);
  return 0;
}

uint32_t CheckEditString(int code, std::string_view edit) {
  int64_t n = static_cast<int64_t>(edit.size());
  int64_t without_v = n - (edit.find('V') != std::string_view::npos ? 1 : 0);
  switch (code) {
    case KRAC_ATTR_EDITED_E: return without_v >= 2 && without_v <= 22 ? 0 : kStatusTooLong;
    case KRAC_ATTR_NUMERIC_EDITED: return without_v >= 1 && without_v <= 19 ? 0 : kStatusTooLong;
    case KRAC_ATTR_ALPHANUMERIC_EDITED: return n >= 1 && n <= 32760 ? 0 : kStatusTooLong;
    case KRAC_ATTR_NATIONAL_EDITED: return n >= 2 && n <= 32766 ? 0 : kStatusTooLong;
    default: return 0;
  }
}

}  // namespace

uint32_t LayoutBuilder::Add(std::span<const char> item) {
  if (spent_) return kStatusBadRecordDefinition;
  spent_ = true;  // until this item is through
  if (item.size() < kItemRecordSize) return kStatusBadRecordDefinition;

  int64_t level = NumberOf(StringField(item, field::kLnum));
  if (level == 66 || level == 88) {
    spent_ = false;
    return 0;  // no storage of its own
  }
  if (level < 1 || level > 49) return kStatusBadRecordDefinition;
  if (level == 1 && !first_item_) return kStatusSecondLevel1;

  ItemDescriptor e{};
  e.level = static_cast<int32_t>(level);
  CopyText(e.name, StringField(item, field::kDtnm));
  int64_t bit_position = NumberOf(StringField(item, field::kBirl));
  if (uint32_t s = Attribute(StringField(item, field::kDtat), StringField(item, field::kUsag),
                             StringField(item, field::kDale),
                             static_cast<int32_t>(std::clamp<int64_t>(bit_position, 0, 99)), &e)) {
    return s;
  }
  bool is_group = e.attribute == KRAC_ATTR_GROUP;
  if (is_group && level == 49) return kStatusBadRecordDefinition;
  int64_t anum = NumberOf(StringField(item, field::kAnum));
  e.occurrence = static_cast<int32_t>(anum);
  std::string_view burl = StringField(item, field::kBurl);
  if (burl.empty()) return kStatusNoPosition;
  int64_t position = NumberOf(burl);
  if (position < 0 || position > kMaxRecordLength) return kStatusRecordLength;
  e.position = static_cast<int32_t>(position);
  e.bit_position = e.attribute == KRAC_ATTR_BIT ? static_cast<int32_t>(bit_position) : 0;

  int lvl = static_cast<int>(level);
  if (IsSet(StringField(item, field::kSuaf))) {
    e.edit_flag = 'T';
    std::string_view edit = StringField(item, field::kEdcs);
    if (uint32_t s = CheckEditString(e.attribute, edit)) return s;
    CopyText(e.edit_string, edit);
    if (redefining_ && lvl <= redefine_level_) redefining_ = false;
    if (!StringField(item, field::kRenm).empty()) {
      redefining_ = true;
      redefine_level_ = lvl;
    }
  } else {
    e.edit_flag = 'F';
  }

  char sign = FirstOf(StringField(item, field::kSign));
  if (sign == '2' || sign == '3') ++e.byte_length;
  e.blank_when_zero = FirstOf(StringField(item, field::kBlwz));
  e.justified = FirstOf(StringField(item, field::kJust));
  e.sign = sign;
  e.synchronized = FirstOf(StringField(item, field::kSync));

  bool skipped = std::string_view(e.name) == "FILLER" || redefining_;
  if (first_item_) first_level_ = lvl;
  first_item_ = false;
  last_item_end_ = int64_t{e.position} + e.byte_length;

  int64_t end = int64_t{e.position} + int64_t{e.byte_length} * std::max<int64_t>(anum, 1);
  uint32_t s = Process(lvl, is_group, skipped, anum, end);
  if (s != 0) return s;
  if (!skipped) {
    if (anum > 1) e.occurrence = 1;
    e.number = static_cast<int32_t>(entries_.size() + 1);
    if (entries_.size() >= kMaxLayoutEntries) return kStatusNoMemory;
    entries_.push_back(e);
  }
  if (is_group && lvl <= 48) {
    LevelState& ls = levels_[lvl];
    ls.open = true;
    ls.group = skipped ? -1 : static_cast<int64_t>(entries_.size()) - 1;
    ls.position = e.position;
    ls.largest_end = e.position;
    ls.multiplier = anum > 1 ? anum : 1;
  }
  spent_ = false;
  return 0;
}

int LayoutBuilder::ParentLevel(int level) const {
  for (int l = std::min(level - 1, 48); l >= 1; --l) {
    if (levels_[l].open) return l;
  }
  return 0;
}

void LayoutBuilder::CloseGroups(int level) {
  for (int l = 48; l >= level; --l) {
    LevelState& ls = levels_[l];
    if (!ls.open) continue;
    int64_t length = std::max<int64_t>(ls.largest_end - ls.position, 0);
    if (ls.group >= 0) {
      entries_[static_cast<std::size_t>(ls.group)].byte_length =
          static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
    }
    int64_t end = ls.position + length * ls.multiplier;
    ls = LevelState{};
    if (int parent = ParentLevel(l)) {
      levels_[parent].largest_end = std::max(levels_[parent].largest_end, end);
    }
  }
}

uint32_t LayoutBuilder::Process(int level, bool is_group, bool skipped, int64_t anum,
                                int64_t end) {
  // Step: close the groups this item ends; an elementary item's extent
  // raises its parent's end.
  CloseGroups(level);
  if (!is_group && level != 1) {
    if (int parent = ParentLevel(level)) {
      levels_[parent].largest_end = std::max(levels_[parent].largest_end, end);
    }
  }
  // Step: OCCURS levels enter the table in ascending order.
  if (!skipped && anum > 0) {
    auto it = std::find_if(occurs_.begin(), occurs_.end(),
                           [&](const OccursBlock& b) { return b.level >= level; });
    if (it == occurs_.end() || it->level != level) {
      if (occurs_.size() >= kMaxOccursLevels) return kStatusTooManyOccurs;
      occurs_.insert(it, OccursBlock{level, -1, 0});
    }
  }
  if (uint32_t s = Unroll(level)) return s;
  if (!skipped && anum > 1) {
    for (OccursBlock& b : occurs_) {
      if (b.level == level) {
        b.first = static_cast<int64_t>(entries_.size());
        b.remaining = anum - 1;
      }
    }
  }
  return 0;
}

// Unrolls the open blocks at `level` and deeper, innermost first: a block is
// closed by an item at its own level or an outer one, never by a deeper one.
uint32_t LayoutBuilder::Unroll(int level) {
  for (auto it = occurs_.rbegin(); it != occurs_.rend(); ++it) {
    OccursBlock& b = *it;
    if (b.level < level || b.first < 0) continue;
    std::size_t first = static_cast<std::size_t>(b.first);
    std::size_t per = entries_.size() - first;
    int64_t remaining = b.remaining;
    b.first = -1;
    b.remaining = 0;
    if (per == 0 || remaining <= 0) continue;
    if (static_cast<uint64_t>(remaining) >
        (kMaxLayoutEntries - entries_.size()) / per) {
      return kStatusNoMemory;
    }
    int64_t step = entries_[first].byte_length;
    entries_.reserve(entries_.size() + per * static_cast<std::size_t>(remaining));
    std::size_t previous = first;
    for (int64_t k = 0; k < remaining; ++k) {
      std::size_t start = entries_.size();
      for (std::size_t i = 0; i < per; ++i) {
        ItemDescriptor copy = entries_[previous + i];
        int64_t pos = int64_t{copy.position} + step;
        if (pos > INT32_MAX) return kStatusRecordLength;
        copy.position = static_cast<int32_t>(pos);
        copy.number = static_cast<int32_t>(entries_.size() + 1);
        if (i == 0) ++copy.occurrence;
        entries_.push_back(copy);
      }
      previous = start;
    }
  }
  return 0;
}

uint32_t LayoutBuilder::Finish(std::string_view organisation, RecordLayout** layout,
                               int32_t* record_length) {
  *layout = nullptr;
  if (spent_) return kStatusBadRecordDefinition;
  spent_ = true;
  // The pseudo item of level 1 closes every group and table.
  CloseGroups(1);
  if (uint32_t s = Unroll(1)) return s;
  if (entries_.empty()) return kStatusBadRecordDefinition;

  auto end_of = [](const ItemDescriptor& e) { return int64_t{e.position} + e.byte_length; };
  int64_t length = std::max({end_of(entries_.front()), end_of(entries_.back()), last_item_end_});
  int64_t limit = organisation == "VK" ? kMaxIndexedRecordLength : kMaxRecordLength;
  if (length < 1 || length > limit) return kStatusRecordLength;

  // Levels 2 and up become their ordinal place: 2, 3, ... under a level 1
  // first item, 1, 2, ... otherwise.
  bool used[50] = {};
  for (const ItemDescriptor& e : entries_) used[e.level] = true;
  int map[50] = {};
  int next = first_level_ == 1 ? 2 : 1;
  map[1] = 1;
  for (int l = 2; l <= 49; ++l) {
    if (used[l]) map[l] = next++;
  }
  for (ItemDescriptor& e : entries_) e.level = map[e.level];

  void* block = std::malloc(offsetof(RecordLayout, items) + entries_.size() * sizeof(ItemDescriptor));
  if (block == nullptr) return kStatusNoMemory;
  RecordLayout* out = static_cast<RecordLayout*>(block);
  out->count = static_cast<int32_t>(entries_.size());
  std::memcpy(out->items, entries_.data(), entries_.size() * sizeof(ItemDescriptor));
  *layout = out;
  *record_length = static_cast<int32_t>(length);
  return 0;
}

std::vector<int32_t> OccurrencePath(const RecordLayout& layout, int32_t index) {
  int32_t last[50] = {};
  for (int32_t i = 0; i <= index && i < layout.count; ++i) {
    int32_t l = layout.items[i].level;
    if (l >= 1 && l <= 49) last[l] = layout.items[i].occurrence;
  }
  std::vector<int32_t> path;
  int32_t own = layout.items[index].level;
  for (int32_t l = 1; l <= own && l <= 49 && path.size() < 7; ++l) {
    if (last[l] != 0) path.push_back(last[l]);
  }
  return path;
}

void FreeLayout(RecordLayout* layout) { std::free(layout); }

}  // namespace qel::recacc
