// The revise document's keys: the key-type box and key list, changing the
// key in use, and building a key value from the key field.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "revise/revise_document.h"
#include "revise/revise_document_internal.h"

namespace qel::revise {
namespace {

// Key part types of the key list, CP932.
constexpr char kKeyTypeCharacter[] = "\x95\xB6     \x8E\x9A";          // 文     字
constexpr char kKeyTypeShort[] = "2\xCA\xDE\xB2\xC4\x90\xAE\x90\x94";  // 2ﾊﾞｲﾄ整数
constexpr char kKeyTypeLong[] = "4\xCA\xDE\xB2\xC4\x90\xAE\x90\x94";   // 4ﾊﾞｲﾄ整数

}  // namespace

// ----------------------------------------------------------------------- keys

void CQelreviseDoc::StartKeyEntry() {
  controls_ = {};
  key_field_.clear();
  if (indexed_) SelectKey(1);
  if (mode_ == 1) {
    controls_.register_enabled = true;
    controls_.entry_enabled = true;
  }
  ProposeRecordNumber();
}

std::vector<std::string> CQelreviseDoc::KeyNames() const {
  std::vector<std::string> names;
  if (!open_ || !indexed_) return names;
  DTF* dtf = const_cast<DTF*>(&dtf_);
  int count = mode_ == 1 ? std::min(1, KRACKeyCountGet(dtf)) : KRACKeyCountGet(dtf);
  for (int n = 1; n <= count; ++n) {
    KeyInformation info;
    if (KRACKeyInfGet(dtf, &info, n) != 0) break;
    names.emplace_back(info.name, strnlen(info.name, sizeof info.name));
  }
  return names;
}

std::vector<std::string> CQelreviseDoc::KeyListLines() const {
  std::vector<std::string> lines;
  if (!open_ || !indexed_) return lines;
  DTF* dtf = const_cast<DTF*>(&dtf_);
  int count = KRACKeyCountGet(dtf);
  for (int n = 1; n <= count; ++n) {
    KeyInformation info;
    if (KRACKeyInfGet(dtf, &info, n) != 0) break;
    std::string name = CutSjis(std::string(info.name, strnlen(info.name, sizeof info.name)), 31);
    std::string start = "----------";
    std::string length = "----------";
    std::string type = "----------";
    if (info.part_count == 1) {
      start = std::to_string(info.parts[0].start);
      length = std::to_string(info.parts[0].length);
    }
    // A key of several parts shows the type of its first part (the library
    // admits only character parts there).
    if (info.part_count >= 1) {
      switch (info.parts[0].type) {
        case 0:
          type = kKeyTypeCharacter;
          break;
        case 1:
          type = kKeyTypeShort;
          break;
        case 2:
          type = kKeyTypeLong;
          break;
        default:
          break;
      }
    }
    char line[160];
    std::snprintf(line, sizeof line, " %-31s   %11s   %11s   %9s", name.c_str(), start.c_str(),
                  length.c_str(), type.c_str());
    lines.emplace_back(line);
  }
  return lines;
}

void CQelreviseDoc::ClearValues() {
  ClearTexts(false);
  controls_.register_enabled = false;
  controls_.delete_enabled = false;
  controls_.entry_enabled = mode_ == 1 && open_ && !selecting_;
}

Message CQelreviseDoc::ChangeKey(int number) {
  return Guarded([&] { return SelectKey(number); });
}

Message CQelreviseDoc::SelectKey(int number) {
  if (!open_ || !indexed_) return {};
  if (mode_ == 1 && number != 1) return {};
  if (KRACKeyChange(&dtf_, number) != 0) return RecordStatus(KRACGetStatus(&dtf_), false);
  KeyInformation info;
  if (KRACKeyInfGet(&dtf_, &info, number) != 0) return RecordStatus(KRACGetStatus(&dtf_), false);
  current_key_ = number;
  int listed = info.item_count < 0 ? -info.item_count : info.item_count;
  for (ReviseItem& item : items_) {
    bool in_key = info.item_count < 0;
    for (int i = 0; i < listed && !in_key; ++i) in_key = info.items[i] == item.index;
    item.is_protected = in_key;
    if (in_key) {
      item.current_text.clear();
      item.entered_text.reset();
      item.previous_text.clear();
    }
  }
  return {};
}

// One piece of a key: checked as a value of its item, character values
// padded to the item length. `shown` is the text a KVWN message names.
Message CQelreviseDoc::KeyPiece(const ItemDescriptor& d, const std::string& piece,
                                const std::string& shown, std::string* out) const {
  ReviseItem scratch = MakeItem(d, d.number - 1);
  std::string value;
  Message m = Check(&scratch, piece, no_truncation_message_, &value);
  if (!m.ok()) {
    bool length = m.number == kKvdaIntegerDigits || m.number == kKvdaFractionDigits ||
                  m.number == kKvdaTooLong;
    return {length ? kKvwnKeyTooLong : kKvwnKeyInvalid, {shown}, Focus::kKeyField};
  }
  if (d.attribute == 3) {
    while (value.size() + 2 <= static_cast<std::size_t>(d.byte_length)) value += "\x81\x40";
    value.resize(d.byte_length, ' ');
  } else if (IsCharacterType(d.attribute)) {
    value.resize(d.byte_length, ' ');
  }
  *out = value;
  return {};
}

Message CQelreviseDoc::BuildKey(int number, std::string* key_text) {
  return Guarded([&] { return BuildKeyText(number, key_text); }, key_text);
}

Message CQelreviseDoc::BuildKeyText(int number, std::string* key_text) {
  KeyInformation info;
  if (KRACKeyInfGet(&dtf_, &info, number) != 0) return RecordStatus(KRACGetStatus(&dtf_), false);
  int first = number == 1 ? 0 : info.primary_item_count;
  int own = number == 1 ? info.primary_item_count : info.added_item_count;
  // The key's items come from the layout: they need not be among the shown
  // ones (elementary-only, item selection).
  std::vector<ItemDescriptor> descriptors;
  for (int i = first; i < first + own; ++i) {
    ItemDescriptor d;
    if (KRACDainfSet(info.items[i] + 1, &dtf_, &d) != 0) {
      return {kKvdaLogicError, {}, Focus::kKeyField};
    }
    descriptors.push_back(d);
  }
  if (descriptors.empty()) return {kKvdaLogicError, {}, Focus::kKeyField};
  const std::string text = *key_text;
  if (descriptors.size() == 1) {
    std::string built;
    Message m = KeyPiece(descriptors[0], text, text, &built);
    if (!m.ok()) return m;
    *key_text = built;
    return {};
  }
  for (const ItemDescriptor& d : descriptors) {
    if (!IsCharacterType(d.attribute)) return {kKvwnKeyItemType, {}, Focus::kKeyField};
  }
  std::string built;
  std::size_t at = 0;
  for (const ItemDescriptor& d : descriptors) {
    std::size_t length = static_cast<std::size_t>(d.byte_length);
    std::string piece;
    if (at < text.size()) {
      std::size_t end = std::min(text.size(), at + length);
      std::size_t i = at;
      while (i < end) i += IsLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
      if (i > end) return {kKvwnKeyTooLong, {text.substr(at, i - at)}, Focus::kKeyField};
      piece = text.substr(at, end - at);
      at = end;
    }
    std::string value;
    Message m = KeyPiece(d, piece, piece, &value);
    if (!m.ok()) return m;
    built += value;
  }
  if (at < text.size()) return {kKvwnKeyTooLong, {text}, Focus::kKeyField};
  *key_text = built;
  return {};
}

}  // namespace qel::revise
