// The layout builder: turns the item records of a record definition into the
// RecordLayout, one ItemDescriptor per addressable item, with group lengths
// computed, OCCURS tables unrolled (up to seven levels, nested tables inside
// every occurrence of the outer one) and FILLER and redefining items left out.
//
// Choices of this builder:
//   - items of level 66 (RENAMES) and 88 (condition names) carry no storage
//     and are passed over entirely; level 77 cannot stand in a record (2511);
//   - a group at level 49 cannot have subordinates (2511);
//   - skipped groups (FILLER, redefining) still close with their full extent,
//     OCCURS count included, so the enclosing group's length is right;
//   - a group closes with a length of at least 0;
//   - a layout is refused with 3500 when unrolling would make it longer than
//     kMaxLayoutEntries.
#ifndef QEL_RECACC_RECORD_LAYOUT_H_
#define QEL_RECACC_RECORD_LAYOUT_H_

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "recacc/qelrecacc.h"

namespace qel::recacc {

inline constexpr int kMaxOccursLevels = 7;
inline constexpr std::size_t kMaxLayoutEntries = std::size_t{1} << 20;
inline constexpr int32_t kMaxRecordLength = 65535;
inline constexpr int32_t kMaxIndexedRecordLength = 65503;

// Statuses of the builder.
inline constexpr uint32_t kStatusBadRecordDefinition = 2511;
inline constexpr uint32_t kStatusNoPosition = 2512;
inline constexpr uint32_t kStatusCopy = 2514;
inline constexpr uint32_t kStatusTooLong = 2515;
inline constexpr uint32_t kStatusTooManyOccurs = 2516;
inline constexpr uint32_t kStatusRecordLength = 2517;
inline constexpr uint32_t kStatusSecondLevel1 = 2518;
inline constexpr uint32_t kStatusNoMemory = 3500;

class LayoutBuilder {
 public:
  // Takes one item record (148 bytes, as the definition reader delivers it).
  // 0, or the status of the failure; after a failure the builder is spent.
  uint32_t Add(std::span<const char> item);

  // Closes every group and table, checks the record length against the limit
  // of `organisation` and hands out the layout (free it with FreeLayout).
  // 0, or the status; on failure *layout is null.
  uint32_t Finish(std::string_view organisation, RecordLayout** layout, int32_t* record_length);

 private:
  struct LevelState {
    int64_t group = -1;  // index of the open group's entry, -1 for a skipped group
    bool open = false;
    int64_t position = 0;
    int64_t largest_end = 0;
    int64_t multiplier = 1;
  };
  struct OccursBlock {
    int level = 0;
    int64_t first = -1;  // index of the first entry of the open block
    int64_t remaining = 0;
  };

  uint32_t Process(int level, bool is_group, bool skipped, int64_t anum, int64_t end);
  void CloseGroups(int level);
  int ParentLevel(int level) const;
  uint32_t Unroll(int level);

  std::vector<ItemDescriptor> entries_;
  std::array<LevelState, 49> levels_{};  // [1..48]
  std::vector<OccursBlock> occurs_;       // ascending levels
  bool redefining_ = false;
  int redefine_level_ = 0;
  bool first_item_ = true;
  int first_level_ = 0;
  int64_t last_item_end_ = 0;
  bool spent_ = false;
};

void FreeLayout(RecordLayout* layout);

// The occurrence path of entry `index` (0-based) of `layout`.
std::vector<int32_t> OccurrencePath(const RecordLayout& layout, int32_t index);

}  // namespace qel::recacc

#endif  // QEL_RECACC_RECORD_LAYOUT_H_
