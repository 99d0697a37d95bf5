// Qualified item names of a record layout, as rework procedures write them:
// the names of the item and of each group above it from level 01 down,
// joined by ".", each part followed by "[n]" when its entry is occurrence n
// of a repeated item (SALES-REC.DAYS.DAY-AMT[2]).
#ifndef QEL_REWORK_ITEM_NAMES_H_
#define QEL_REWORK_ITEM_NAMES_H_

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "recacc/qelrecacc.h"

namespace qel::rework {

// Longest name part a procedure may use.
inline constexpr std::size_t kMaxNamePart = 30;

class ItemNames {
 public:
  // Builds the names of every entry of `layout` (null: no names).
  void Build(const RecordLayout* layout);
  void Clear();

  // The item number (1-based) of the first entry with this qualified name,
  // or 0 when there is none or a part is longer than kMaxNamePart.
  int Find(std::string_view qualified) const;

  // The qualified name of item `number`; empty when out of range.
  const std::string& Name(int number) const;

  int count() const { return static_cast<int>(names_.size()); }

 private:
  std::vector<std::string> names_;
  std::unordered_map<std::string, int> index_;
};

}  // namespace qel::rework

#endif  // QEL_REWORK_ITEM_NAMES_H_
