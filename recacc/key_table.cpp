// Building the key table against the record layout, and key values as text.
#include "recacc/key_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qel::recacc {
namespace {

// CP932 texts of the key names.
inline constexpr char kPrimaryName[] = "\x8E\xE5\x83\x4C\x81\x5B";    // 主キー
inline constexpr char kAlternateName[] = "\x95\x9B\x83\x4C\x81\x5B";  // 副キー

bool IsElementary(const ItemDescriptor& e) { return e.attribute != KRAC_ATTR_GROUP; }

bool IsCharacterItem(const ItemDescriptor& e) {
  return e.attribute == KRAC_ATTR_ALPHANUMERIC || e.attribute == KRAC_ATTR_ALPHABETIC ||
         e.attribute == KRAC_ATTR_NATIONAL;
}

// The layout places of the elementary items that exactly cover `part`, or
// the status why they do not.
uint32_t MatchPart(const RecordLayout& layout, const keypart& part, std::vector<int32_t>* places) {
  const int32_t start = part.kp_start, end = part.kp_start + part.kp_leng;
  const int type = PartType(part);
  std::vector<int32_t> covered;
  int32_t next = start;
  for (int32_t i = 0; i < layout.count && next < end; ++i) {
    const ItemDescriptor& e = layout.items[i];
    if (!IsElementary(e)) continue;
    if (covered.empty()) {
      // The first item that ends after the part's start must begin at it.
      if (e.position + e.byte_length <= start) continue;
      if (e.position != start) return kStatusKeyPosition;
    } else if (e.position != next) {
      return kStatusKeyPosition;
    }
    covered.push_back(i);
    next = e.position + e.byte_length;
  }
  if (covered.empty() || next != end) return kStatusKeyPosition;
  if (type == kPartCharacters) {
    for (int32_t i : covered) {
      if (!IsCharacterItem(layout.items[i])) return kStatusKeyAttribute;
    }
  } else {
    const ItemDescriptor& e = layout.items[covered.front()];
    if (covered.size() != 1 || e.attribute != KRAC_ATTR_BINARY || e.fraction_digits != 0) {
      return kStatusKeyAttribute;
    }
  }
  places->insert(places->end(), covered.begin(), covered.end());
  return 0;
}

int ElementaryCount(const RecordLayout& layout) {
  int n = 0;
  for (int32_t i = 0; i < layout.count; ++i) n += IsElementary(layout.items[i]) ? 1 : 0;
  return n;
}

// A decimal number with an optional sign and at most `max_digits` digits.
bool ParseKeyNumber(const char* text, int max_digits, long long* out) {
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int digits = 0;
  long long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (++digits > max_digits) return false;
    v = v * 10 + (*p - '0');
  }
  if (digits == 0 || *p != '\0') return false;
  *out = negative ? -v : v;
  return true;
}

}  // namespace

void KeyName(int n, char (&out)[32]) {
  std::memset(out, 0, sizeof out);
  if (n <= 1) {
    std::memcpy(out, kPrimaryName, sizeof kPrimaryName - 1);
    return;
  }
  std::string name = kAlternateName;
  for (char d : std::to_string(n - 1)) {
    name += '\x82';
    name += static_cast<char>(0x4F + (d - '0'));  // ０ is 0x82 0x4F
  }
  std::memcpy(out, name.data(), std::min(name.size(), sizeof out - 1));
}

int PartType(const keypart& part) {
  return part.kp_type >= ISDESC ? part.kp_type - ISDESC : part.kp_type;
}

Failure BuildKeyTable(const IsamBinding& isam, int fd, int key_count, const RecordLayout* layout,
                      bool big_endian, KeyTable* out, int* failed_key) {
  *failed_key = 0;
  out->keys.clear();
  if (layout == nullptr) return {kStatusApplication};
  const int elementary = ElementaryCount(*layout);
  std::vector<int32_t> primary;
  for (int n = 1; n <= key_count; ++n) {
    KeyEntry key{};
    KeyName(n, key.name);
    if (int r = isam.calls().isindexinfo(fd, &key.desc, n); r != 0) {
      return isam.LastKeyedFailure(r, KeyedOperation::kOpen);
    }
    const keydesc& d = key.desc;
    auto fail = [&](uint32_t status) {
      *failed_key = n;
      return Failure{status};
    };
    if (n == 1 && d.k_nparts <= 0) return fail(kStatusNoPrimaryKey);
    if (n == 1 && (d.k_flags & ISDUPS) != 0) return fail(kStatusPrimaryKeyDuplicates);
    if (d.k_nparts < 0 || d.k_nparts > NPARTS) return fail(kStatusKeyType);
    for (int p = 0; p < d.k_nparts; ++p) {
      int type = PartType(d.k_part[p]);
      if (type != kPartCharacters && type != kPartShort && type != kPartLong) {
        return fail(kStatusKeyType);
      }
      if (type != kPartCharacters && d.k_nparts > 1) return fail(kStatusIntegerInCompositeKey);
      if (type != kPartCharacters && big_endian) return fail(kStatusIntegerKeyBigEndian);
    }
    std::vector<int32_t> own;
    for (int p = 0; p < d.k_nparts; ++p) {
      if (uint32_t s = MatchPart(*layout, d.k_part[p], &own)) return fail(s);
    }
    if (n == 1) primary = own;
    // An alternate key lists the primary key's items first, then those it
    // adds; an item already listed is not listed twice.
    std::vector<int32_t> listed = primary;
    int32_t added = 0;
    if (n > 1) {
      for (int32_t place : own) {
        if (std::find(listed.begin(), listed.end(), place) == listed.end()) {
          listed.push_back(place);
          ++added;
        }
      }
    }
    int32_t count = static_cast<int32_t>(listed.size());
    key.items = {count == elementary ? -count : count, static_cast<int32_t>(primary.size()), added};
    key.items.insert(key.items.end(), listed.begin(), listed.end());
    out->keys.push_back(std::move(key));
  }
  return {0};
}

uint32_t KeyFromText(const IsamCalls& is, const keydesc& desc, const char* text, char* record) {
  if (text == nullptr) text = "";
  if (desc.k_nparts == 1 && PartType(desc.k_part[0]) != kPartCharacters) {
    const keypart& part = desc.k_part[0];
    long long v = 0;
    if (PartType(part) == kPartShort) {
      if (!ParseKeyNumber(text, 5, &v) || v < -32768 || v > 32767) return kStatusKeyText;
      is.stint(static_cast<int>(v), record + part.kp_start);
    } else {
      if (!ParseKeyNumber(text, 10, &v) || v < INT32_MIN || v > INT32_MAX) return kStatusKeyText;
      is.stlong(static_cast<long>(v), record + part.kp_start);
    }
    return 0;
  }
  size_t left = std::strlen(text);
  for (int p = 0; p < desc.k_nparts; ++p) {
    const keypart& part = desc.k_part[p];
    size_t take = std::min(left, static_cast<size_t>(part.kp_leng));
    std::string piece(text, take);
    is.stchar(piece.c_str(), record + part.kp_start, part.kp_leng);
    text += take;
    left -= take;
  }
  return 0;
}

void KeyToText(const IsamCalls& is, const keydesc& desc, const char* record, char* text) {
  if (text == nullptr) return;
  if (desc.k_nparts == 1) {
    const keypart& part = desc.k_part[0];
    switch (PartType(part)) {
      case kPartShort:
        std::snprintf(text, 16, "%d", is.ldint(record + part.kp_start));
        return;
      case kPartLong:
        std::snprintf(text, 16, "%ld", is.ldlong(record + part.kp_start));
        return;
      default:
        is.ldchar(record + part.kp_start, part.kp_leng, text);
        if (text[0] == '\0') std::strcpy(text, " ");
        return;
    }
  }
  size_t at = 0;
  for (int p = 0; p < desc.k_nparts; ++p) {
    std::memcpy(text + at, record + desc.k_part[p].kp_start,
                static_cast<size_t>(desc.k_part[p].kp_leng));
    at += static_cast<size_t>(desc.k_part[p].kp_leng);
  }
  text[at] = '\0';
}

void FreeKeyTable(DTF* dtf) {
  delete KeyTableOf(dtf);
  dtf->key_table = nullptr;
}

}  // namespace qel::recacc
