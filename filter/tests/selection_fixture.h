// A record layout and record built in memory for the selection tests: items
// laid out one after the other, a DTF that points at both, and functions that
// put item values into the record.
#ifndef QEL_FILTER_TESTS_SELECTION_FIXTURE_H_
#define QEL_FILTER_TESTS_SELECTION_FIXTURE_H_

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "filter/qelfilter.h"

namespace qel::filter::testing {

struct ItemSpec {
  int attribute = KRAC_ATTR_ALPHANUMERIC;
  int byte_length = 1;
  int digits = 0;
  int fraction_digits = 0;
  char sign = '0';
  char blank_when_zero = 'F';
  char justified = 'F';
  const char* edit_string = "";
};

class SelectionFile {
 public:
  SelectionFile() { KRACInit(&dtf_); }
  ~SelectionFile() { std::free(layout_); }
  SelectionFile(const SelectionFile&) = delete;
  SelectionFile& operator=(const SelectionFile&) = delete;

  // Appends an item; returns its item number.
  int Add(const ItemSpec& spec) {
    ItemDescriptor d{};
    d.number = static_cast<int32_t>(items_.size()) + 1;
    d.level = 2;
    std::snprintf(d.name, sizeof d.name, "ITEM-%d", d.number);
    d.attribute = spec.attribute;
    d.byte_length = spec.byte_length;
    d.digits = spec.digits;
    d.fraction_digits = spec.fraction_digits;
    d.occurrence = 1;
    d.position = position_;
    d.edit_flag = spec.edit_string[0] != '\0' ? 'T' : 'F';
    std::snprintf(d.edit_string, sizeof d.edit_string, "%s", spec.edit_string);
    d.blank_when_zero = spec.blank_when_zero;
    d.justified = spec.justified;
    d.sign = spec.sign;
    d.synchronized = 'F';
    position_ += spec.byte_length;
    items_.push_back(d);
    Attach();
    return d.number;
  }
  int Alphanumeric(int length) { return Add({KRAC_ATTR_ALPHANUMERIC, length}); }
  int National(int length) { return Add({KRAC_ATTR_NATIONAL, length}); }
  int Packed(int digits, int fraction = 0, bool is_signed = true) {
    return Add({is_signed ? KRAC_ATTR_PACKED : KRAC_ATTR_PACKED_UNSIGNED,
                (digits + fraction) / 2 + 1, digits, fraction});
  }
  int Zoned(int digits, int fraction = 0) {
    return Add({KRAC_ATTR_ZONED_UNSIGNED, digits + fraction, digits, fraction});
  }

  // Writes bytes at the item's position.
  void Put(int item, std::string_view bytes) {
    const ItemDescriptor& d = items_[item - 1];
    std::memcpy(record_.data() + d.position, bytes.data(), bytes.size());
  }

  DTF* dtf() { return &dtf_; }
  int record_length() const { return position_; }

 private:
  void Attach() {
    std::free(layout_);
    layout_ = static_cast<RecordLayout*>(
        std::calloc(1, sizeof(RecordLayout) + items_.size() * sizeof(ItemDescriptor)));
    layout_->count = static_cast<int32_t>(items_.size());
    std::memcpy(layout_->items, items_.data(), items_.size() * sizeof(ItemDescriptor));
    record_.resize(static_cast<std::size_t>(position_), ' ');
    dtf_.record_layout = layout_;
    dtf_.record_length = position_;
    dtf_.record_area_length = position_;
    dtf_.record_area = record_.data();
  }

  DTF dtf_{};
  std::vector<ItemDescriptor> items_;
  RecordLayout* layout_ = nullptr;
  std::vector<char> record_;
  int position_ = 0;
};

// Condition tables with their comparison lists, as a procedure reader fills
// them.
class ConditionTable {
 public:
  // Adds condition (key, op) with constant and item values; "#n" is item n.
  void Add(int key, int op, std::vector<std::string> values, char any_string = '*',
           char any_one = '?', DTF* check_against = nullptr) {
    SelCondEntry& cond = conditions_[count_++];
    cond.key_item = key;
    cond.op = op;
    SelCompEntry** link = &cond.comparisons;
    for (const std::string& v : values) {
      SelCompEntry& e = elements_.emplace_back();
      char* buffer = buffers_.emplace_back().data();
      if (v.size() > 1 && v[0] == '#') {
        e.kind = KCND_KIND_ITEM;
        e.item = std::atoi(v.c_str() + 1);
      } else {
        e.kind = KCND_KIND_CONSTANT;
        std::snprintf(buffer, KCND_CONSTANT_SIZE, "%s", v.c_str());
        e.constant = buffer;
      }
      e.any_string = any_string;
      e.any_one = any_one;
      e.check_result = 0;
      if (check_against != nullptr) {
        e.check_result =
            KCNDCompChek(key, op, v.c_str(), check_against, static_cast<unsigned char>(any_string),
                         static_cast<unsigned char>(any_one), 0);
      }
      *link = &e;
      link = &e.next;
    }
  }
  SelCondEntry* data() { return conditions_; }

 private:
  SelCondEntry conditions_[KCND_MAX_CONDITIONS]{};
  int count_ = 0;
  std::deque<SelCompEntry> elements_;
  std::deque<std::array<char, KCND_CONSTANT_SIZE>> buffers_;
};

}  // namespace qel::filter::testing

#endif  // QEL_FILTER_TESTS_SELECTION_FIXTURE_H_
