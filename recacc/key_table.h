// The key table of an indexed file opened for keyed access: each key as the
// ISAM library describes it, its name, and the layout items its parts cover;
// and key values as text into and out of a record.
#ifndef QEL_RECACC_KEY_TABLE_H_
#define QEL_RECACC_KEY_TABLE_H_

#include <cstdint>
#include <vector>

#include "recacc/access_failure.h"
#include "recacc/isam_binding.h"
#include "recacc/qelrecacc.h"

namespace qel::recacc {

inline constexpr uint32_t kStatusNoPrimaryKey = 2620;
inline constexpr uint32_t kStatusPrimaryKeyDuplicates = 2621;
inline constexpr uint32_t kStatusKeyType = 2623;
inline constexpr uint32_t kStatusKeyText = 2624;
inline constexpr uint32_t kStatusIntegerInCompositeKey = 2627;
inline constexpr uint32_t kStatusKeyPosition = 2628;
inline constexpr uint32_t kStatusKeyAttribute = 2629;
inline constexpr uint32_t kStatusIntegerKeyBigEndian = 2630;

// Key part types after the descending flag is taken off.
inline constexpr int kPartCharacters = 0;
inline constexpr int kPartShort = 1;
inline constexpr int kPartLong = 2;

struct KeyEntry {
  char name[32];  // CP932, NUL-terminated
  keydesc desc;   // as the library gave it
  // [0] items listed (negative: all elementary items), [1] primary key
  // items, [2] items this key adds, then the places in the layout.
  std::vector<int32_t> items;
};

struct KeyTable {
  std::vector<KeyEntry> keys;
};

// The key table's name of key n (1-based): "主キー", or "副キー" followed by
// n - 1 in full-width digits.
void KeyName(int n, char (&out)[32]);

// A key part's type without the descending flag.
int PartType(const keypart& part);

// Builds the table for the `key_count` keys of file `fd`. On failure the
// status (an ISAM failure as mapped for an open, or a key error) and, for a
// key error, the key number in *failed_key (0 otherwise).
Failure BuildKeyTable(const IsamBinding& isam, int fd, int key_count, const RecordLayout* layout,
                      bool big_endian, KeyTable* out, int* failed_key);

// Puts the key value `text` into `record` for key `desc`: character parts
// take their length of the text in turn (a shorter text is padded with
// blanks), a key of one integer part takes a decimal number. 0 or 2624.
uint32_t KeyFromText(const IsamCalls& is, const keydesc& desc, const char* text, char* record);

// The key value of `record` as text: a one-part character key without its
// trailing blanks (one blank when nothing is left), a one-part integer key
// in decimal, a key of several parts as its bytes followed by a NUL.
void KeyToText(const IsamCalls& is, const keydesc& desc, const char* record, char* text);

void FreeKeyTable(DTF* dtf);
inline KeyTable* KeyTableOf(DTF* dtf) { return static_cast<KeyTable*>(dtf->key_table); }

}  // namespace qel::recacc

#endif  // QEL_RECACC_KEY_TABLE_H_
