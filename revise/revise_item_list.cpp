// The revise document's item list: the display items built from the record
// layout, the fixed-width list lines, and item selection.
#include <cstdio>

#include "revise/revise_document.h"
#include "revise/revise_document_internal.h"

namespace qel::revise {

// ------------------------------------------------------------------ item list

ReviseItem CQelreviseDoc::MakeItem(const ItemDescriptor& d, int index) const {
  ReviseItem item;
  item.level = d.level;
  item.type = d.attribute;
  item.width = Width(d.attribute, d.digits, d.fraction_digits);
  if (ClassOfType(d.attribute) == CheckClass::kNumeric) {
    item.integer_digits = d.digits;
    item.decimal_digits = d.fraction_digits;
  }
  item.index = index;
  return item;
}

Message CQelreviseDoc::BuildItemList() {
  try {
    items_.clear();
    layout_.clear();
    int count = KRACGetEcnt(&dtf_);
    for (int n = 1; n <= count && n <= kMaxLines; ++n) {
      ItemDescriptor d;
      if (KRACDainfSet(n, &dtf_, &d) != 0) break;
      if (d.attribute == 4 && elementary_only_ && !item_selection_) continue;
      if (d.attribute != 4 && !Supported(d.attribute)) {
        error_ = true;
        items_.clear();
        layout_.clear();
        return {kKvwnUnsupportedAttribute, {}, Focus::kNone};
      }
      layout_.push_back({d, false});
      if (!item_selection_) items_.push_back(MakeItem(d, n - 1));
    }
  } catch (const std::bad_alloc&) {
    error_ = true;
    items_.clear();
    layout_.clear();
    return {kKvcoNoMemory, {}, Focus::kNone};
  }
  if (layout_.empty()) {
    error_ = true;
    return {kKvwnNoItems, {}, Focus::kNone};
  }
  error_ = false;
  return {};
}

const ItemDescriptor* CQelreviseDoc::Descriptor(int index) const {
  for (const ListEntry& e : layout_) {
    if (e.item.number == index + 1) return &e.item;
  }
  return nullptr;
}

std::string CQelreviseDoc::Heading(const ItemDescriptor& d, bool marked) const {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "   %-4d  %-31s      ", d.number, d.name);
  std::string heading = d.level == 2 ? "  " : (d.level >= 3 && d.level <= 49 ? "    " : "");
  heading += buffer;
  heading[0] = marked ? 'v' : ' ';
  heading = CutSjis(heading, kHeadingWidth);
  heading.resize(kHeadingWidth, ' ');
  return heading;
}

std::vector<std::string> CQelreviseDoc::Lines() const {
  std::vector<std::string> lines;
  auto attribute_column = [](const ItemDescriptor& d) -> std::string {
    if (IsCharacterType(d.attribute)) return Printf("%6d  ", d.digits);
    if (ClassOfType(d.attribute) != CheckClass::kNumeric) return std::string(8, ' ');
    const char* format = d.digits >= 10 || d.fraction_digits >= 10 ? "  %d.%d  " : "   %d.%d  ";
    return Printf(format, d.digits, d.fraction_digits);
  };
  if (selecting_) {
    for (const ListEntry& e : layout_) {
      lines.push_back(Heading(e.item, e.marked) + attribute_column(e.item));
    }
    return lines;
  }
  for (const ReviseItem& item : items_) {
    const ItemDescriptor* d = Descriptor(item.index);
    if (d == nullptr) continue;
    const std::string& value = item.entered_text ? *item.entered_text : item.current_text;
    lines.push_back(Heading(*d, false) + attribute_column(*d) + CutSjis(value, kMaxLineValue));
  }
  return lines;
}

// ------------------------------------------------------------ item selection

Message CQelreviseDoc::ToggleMark(int line) {
  return Guarded([&] {
    if (!selecting_ || line < 0 || line >= static_cast<int>(layout_.size())) return Message{};
    bool mark = !layout_[line].marked;
    int level = layout_[line].item.level;
    std::size_t end = line + 1;
    if (layout_[line].item.attribute == 4) {
      while (end < layout_.size() && layout_[end].item.level > level) ++end;
    }
    for (std::size_t i = line; i < end; ++i) layout_[i].marked = mark;
    items_.clear();
    for (const ListEntry& e : layout_) {
      if (e.marked) items_.push_back(MakeItem(e.item, e.item.number - 1));
    }
    controls_.register_enabled = !items_.empty();
    return Message{};
  });
}

Message CQelreviseDoc::FinishSelection(const Ask& ask) {
  return Guarded([&] {
    if (!selecting_) return Message{};
    std::vector<ReviseItem> kept;
    for (ReviseItem& item : items_) {
      if (!(elementary_only_ && item.type == 4)) kept.push_back(item);
    }
    if (kept.empty()) {
      if (ask(kKvwnAskSelectAgain) != kYes) {
        Close();
        return Message{};
      }
      for (ListEntry& e : layout_) e.marked = false;
      items_.clear();
      controls_.register_enabled = false;
      return Message{};
    }
    items_ = std::move(kept);
    selecting_ = false;
    StartKeyEntry();
    return Message{};
  });
}

}  // namespace qel::revise
