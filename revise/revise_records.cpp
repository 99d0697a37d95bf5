// The revise document's record work: fetching, registering (adding and
// rewriting), copying the previous record and deleting, with the statuses
// the keyed calls answer. Values go between record bytes and texts through
// the item codec only.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>

#include "codec/item_codec.h"
#include "codec/numeric_text.h"
#include "message/qelmessage.h"
#include "recacc/item_format.h"
#include "revise/revise_document.h"
#include "revise/revise_document_internal.h"

namespace qel::revise {

// ------------------------------------------------------------- record status

// A status of the fetch, register or delete, with its inserts and focus.
Message CQelreviseDoc::RecordStatus(int number, bool for_delete) {
  Message m{number, {}, Focus::kEntryField};
  switch (number) {
    case 2619:
      m.args = {data_name_};
      m.focus = Focus::kNone;
      break;
    case 2622:
      m.args = {std::string(key_info_, strnlen(key_info_, sizeof key_info_))};
      m.focus = Focus::kKeyType;
      break;
    case 2624:
    case 2625:
    case 2691:
    case 2692:
    case 3615:
    case 3616:
      m.focus = Focus::kKeyField;
      break;
    case 3614:
      m.focus = Focus::kUnchanged;
      break;
    case 3624:
      m.args = {data_name_, KRACGetSubCode(&dtf_)};
      m.focus = Focus::kNone;
      break;
    default:
      break;
  }
  if (for_delete && number != 3624 && number != 2619) m.focus = Focus::kNone;
  return m;
}

// ------------------------------------------------------------------- fetching

Message CQelreviseDoc::Fetch(int kind, std::string* key_text) {
  return Guarded([&] { return FetchRecord(kind, key_text); }, key_text);
}

Message CQelreviseDoc::FetchRecord(int kind, std::string* key_text) {
  if (!open_ || selecting_ || mode_ != 0) return {0, {}, Focus::kUnchanged};
  std::string text = CutSjis(*key_text, kMaxKeyText);
  if ((kind == 0 || kind == 1 || kind == 2 || kind == 3) && text.empty()) {
    return {0, {}, Focus::kUnchanged};
  }
  if (kind == 0) {
    if (!indexed_) return {kKvdaLogicError, {}, Focus::kKeyField};
    Message m = BuildKeyText(current_key_, &text);
    if (!m.ok()) return m;
  }
  if (kind == 1) {
    for (char c : text) {
      if (c < '0' || c > '9') return {kKvdaRecordNumber, {}, Focus::kKeyField};
    }
  }
  std::fill(work_area_.begin(), work_area_.end(), 0);
  char buffer[kRequestText] = {};
  std::memcpy(buffer, text.data(), std::min(text.size(), kRequestText - 1));
  GetRequest request{kind, buffer};
  if (KRACGet(&dtf_, &request) != 0) {
    int status = static_cast<int>(KRACGetStatus(&dtf_));
    if (status == 3615 || status == 3616) {
      ClearTexts(false);
      controls_.register_enabled = false;
      controls_.delete_enabled = false;
      controls_.entry_enabled = false;
    }
    return RecordStatus(status, false);
  }
  library_moved_ = true;
  std::size_t length = static_cast<std::size_t>(dtf_.record_length);
  std::memcpy(work_area_.data(), dtf_.record_area, length);

  // Every value is decoded first and the list changed only when all are
  // valid, so that a bad record leaves the list as it was.
  std::vector<std::string> texts(items_.size());
  codec::CodecOptions options;
  options.big_endian = big_endian_;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    ReviseItem& item = items_[i];
    if (item.type == 4) continue;
    const ItemDescriptor* d = Descriptor(item.index);
    if (d == nullptr || d->position < 0 || d->position + d->byte_length > dtf_.record_length) {
      return {kKvdaInvalidData, {}, Focus::kEntryField};
    }
    std::span<const std::uint8_t> bytes(work_area_.data() + d->position, d->byte_length);
    std::string value;
    if (IsCharacterType(item.type)) {
      value.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    } else {
      char out[codec::kMaxNumberTextLength + 8];
      std::size_t n = 0;
      if (codec::ItemToText(recacc::ItemFormatOf(*d), bytes, options, codec::TextStyle::kDisplay,
                            out, &n) != codec::Status::kOk) {
        record_shown_ = false;
        controls_ = {};
        return {kKvdaInvalidData, {}, Focus::kEntryField};
      }
      value.assign(out, n);
    }
    std::string checked;
    ReviseItem probe = item;
    if (!Check(&probe, value, false, &checked).ok()) {
      // The record in the library is no longer the one shown: nothing may be
      // written until the next good fetch.
      record_shown_ = false;
      controls_ = {};
      return {kKvdaInvalidData, {}, Focus::kEntryField};
    }
    texts[i] = value;
  }
  for (std::size_t i = 0; i < items_.size(); ++i) {
    items_[i].entered_text.reset();
    items_[i].current_text = texts[i];
  }
  fetched_record_.assign(reinterpret_cast<const char*>(work_area_.data()), length);
  *key_text = std::string(buffer, strnlen(buffer, sizeof buffer));
  if (indexed_) {
    KeyInformation info;
    if (KRACKeyInfGet(&dtf_, &info, current_key_) == 0 && info.part_count > 1) {
      // A key of several parts comes back as its raw bytes.
      std::size_t bytes = 0;
      for (int p = 0; p < info.part_count; ++p) bytes += info.parts[p].length;
      *key_text = std::string(buffer, std::min(bytes, sizeof buffer - 1));
    }
  }
  key_field_ = *key_text;
  record_shown_ = true;
  controls_.register_enabled = true;
  controls_.delete_enabled = indexed_;
  controls_.entry_enabled = true;
  return {};
}

// ---------------------------------------------------------------- registering

bool CQelreviseDoc::FillWorkArea(bool input) {
  std::size_t length = static_cast<std::size_t>(dtf_.record_length);
  if (input) {
    std::fill(work_area_.begin(), work_area_.begin() + kWorkAreaSize,
              static_cast<std::uint8_t>(filler_value_));
  } else {
    if (fetched_record_.size() != length) return false;
    std::memcpy(work_area_.data(), fetched_record_.data(), length);
  }
  for (const ReviseItem& item : items_) {
    ItemDescriptor d;
    if (KRACDainfSet(item.index + 1, &dtf_, &d) != 0 || d.attribute != item.type) return false;
  }
  codec::CodecOptions options;
  options.big_endian = big_endian_;
  int count = KRACGetEcnt(&dtf_);
  for (int n = 1; n <= count; ++n) {
    ItemDescriptor d;
    if (KRACDainfSet(n, &dtf_, &d) != 0) return false;
    if (d.attribute == 4) continue;
    if (d.position < 0 || d.position + d.byte_length > dtf_.record_length) return false;
    const ReviseItem* shown = nullptr;
    for (const ReviseItem& item : items_) {
      if (item.index == n - 1) shown = &item;
    }
    bool entered = shown != nullptr && shown->entered_text.has_value();
    if (!input && !entered) continue;
    std::span<std::uint8_t> out(work_area_.data() + d.position, d.byte_length);
    std::string text = entered ? *shown->entered_text : std::string();
    std::span<const std::uint8_t> source(reinterpret_cast<const std::uint8_t*>(text.data()),
                                         text.size());
    switch (codec::ClassOf(d.attribute)) {
      case codec::ItemClass::kCharacter:
        codec::PlaceCharacters(source, false, out);
        break;
      case codec::ItemClass::kNational:
        codec::PlaceNational(source, false, out);
        break;
      case codec::ItemClass::kNumeric:
        if (codec::TextToItem(recacc::ItemFormatOf(d), entered ? text : "0", options, out) !=
            codec::Status::kOk) {
          return false;
        }
        break;
      default:
        // An item of a kind the list does not show keeps the fill.
        break;
    }
  }
  return true;
}

Message CQelreviseDoc::Register(std::string* key_text) {
  return Guarded([&] { return RegisterRecord(key_text); }, key_text);
}

Message CQelreviseDoc::RegisterRecord(std::string* key_text) {
  if (!open_ || selecting_) return {kKvdaLogicError, {}, Focus::kEntryField};
  bool input = mode_ == 1;
  if (!input && !record_shown_) return {kKvdaLogicError, {}, Focus::kEntryField};
  std::string text = *key_text;
  if (input && indexed_) {
    if (text.empty()) return {kKvwnNoKey, {}, Focus::kKeyField};
    Message m = BuildKeyText(1, &text);
    if (!m.ok()) return m;
  }
  if (!FillWorkArea(input)) return {kKvdaInvalidData, {}, Focus::kEntryField};
  std::memcpy(dtf_.record_area, work_area_.data(), dtf_.record_length);
  char buffer[kRequestText] = {};
  std::memcpy(buffer, text.data(), std::min(text.size(), kRequestText - 1));
  std::memset(key_info_, 0, sizeof key_info_);
  PutRequest request{input ? 1 : 0, buffer, key_info_};
  if (KRACPut(&dtf_, &request) != 0) {
    int status = static_cast<int>(KRACGetStatus(&dtf_));
    controls_.register_enabled = status == 2622 || status == 2624 || status == 2626;
    return RecordStatus(status, false);
  }
  library_moved_ = true;
  bool moved = false;
  for (ReviseItem& item : items_) {
    if (item.entered_text) {
      item.previous_text = *item.entered_text;
      moved = true;
    } else {
      item.previous_text.clear();
    }
  }
  if (input) {
    if (moved) previous_record_ = true;
    ClearTexts(false);
    if (indexed_) {
      key_field_.clear();
    } else {
      key_field_ = std::to_string(std::atoll(buffer) + 1);
    }
  } else {
    // The rewritten record is now the one shown.
    fetched_record_.assign(dtf_.record_area, dtf_.record_length);
    for (ReviseItem& item : items_) {
      if (item.entered_text) item.current_text = *item.entered_text;
      item.entered_text.reset();
    }
    key_field_ = std::string(buffer, strnlen(buffer, sizeof buffer));
    controls_.delete_enabled = false;
  }
  *key_text = key_field_;
  return {kKvwnRegistered, {}, Focus::kNone};
}

Message CQelreviseDoc::CopyPrevious() {
  return Guarded([&] {
    if (mode_ != 1 || !previous_record_) return Message{};
    for (ReviseItem& item : items_) {
      if (!item.is_protected && item.type != 4 && !item.previous_text.empty()) {
        item.entered_text = item.previous_text;
      }
    }
    return Message{};
  });
}

Message CQelreviseDoc::Delete(const Ask& ask) {
  if (!open_ || !indexed_ || !record_shown_) return {};
  if (ask(kKvwnAskDelete) != kYes) return {};
  if (KRACDelete(&dtf_) != 0) {
    try {
      return RecordStatus(KRACGetStatus(&dtf_), true);
    } catch (const std::bad_alloc&) {
      return {kKvcoNoMemory, {}, Focus::kNone};
    }
  }
  for (ReviseItem& item : items_) {
    item.current_text.clear();
    item.entered_text.reset();
  }
  record_shown_ = false;
  controls_.entry_enabled = false;
  controls_.delete_enabled = false;
  controls_.register_enabled = false;
  return {};
}

}  // namespace qel::revise
