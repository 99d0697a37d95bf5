// Qualified names are built once per layout with one pass that keeps the
// open groups on a stack, so even an unrolled layout of many entries costs
// one walk; look-ups are then a hash probe.
#include "rework/item_names.h"

#include <cstring>
#include <utility>

namespace qel::rework {

namespace {

std::string Part(const ItemDescriptor& item) {
  std::string part(item.name, strnlen(item.name, sizeof item.name));
  if (item.occurrence > 0) part += "[" + std::to_string(item.occurrence) + "]";
  return part;
}

}  // namespace

void ItemNames::Clear() {
  names_.clear();
  index_.clear();
}

void ItemNames::Build(const RecordLayout* layout) {
  Clear();
  if (layout == nullptr) return;
  names_.reserve(layout->count);
  std::vector<std::pair<int, std::size_t>> open;  // level, length of the name up to it
  std::string current;
  for (int32_t i = 0; i < layout->count; ++i) {
    const ItemDescriptor& item = layout->items[i];
    while (!open.empty() && open.back().first >= item.level) open.pop_back();
    current.resize(open.empty() ? 0 : open.back().second);
    if (!open.empty()) current += '.';
    current += Part(item);
    open.emplace_back(item.level, current.size());
    names_.push_back(current);
    index_.emplace(current, i + 1);
  }
}

int ItemNames::Find(std::string_view qualified) const {
  std::size_t start = 0;
  while (start <= qualified.size()) {
    std::size_t dot = qualified.find('.', start);
    std::size_t end = dot == std::string_view::npos ? qualified.size() : dot;
    std::string_view part = qualified.substr(start, end - start);
    std::size_t bracket = part.find('[');
    if ((bracket == std::string_view::npos ? part.size() : bracket) > kMaxNamePart) return 0;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  auto it = index_.find(std::string(qualified));
  return it == index_.end() ? 0 : it->second;
}

const std::string& ItemNames::Name(int number) const {
  static const std::string kEmpty;
  if (number < 1 || number > count()) return kEmpty;
  return names_[number - 1];
}

}  // namespace qel::rework
