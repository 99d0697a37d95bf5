// The revise document's value entry: checking and normalising what is typed
// for an item, the entry field's text and the counter beside it.
#include <algorithm>
#include <string>

#include "codec/numeric_text.h"
#include "revise/revise_document.h"
#include "revise/revise_document_internal.h"

namespace qel::revise {
namespace {

// CP932.
constexpr char kCaptionProtected[] = "ISAM\x95\xDB\x8C\xEC\x8D\x80\x96\xDA";  // ISAM保護項目

}  // namespace

// ------------------------------------------------------------ checking values

Message CQelreviseDoc::Check(ReviseItem* item, const std::string& text, bool truncate,
                             std::string* value) const {
  if (item == nullptr) return {kKvdaLogicError, {}, Focus::kEntryField};
  const ItemDescriptor* d = Descriptor(item->index);
  ItemDescriptor fetched;
  if (d == nullptr) {
    if (KRACDainfSet(item->index + 1, const_cast<DTF*>(&dtf_), &fetched) != 0) {
      return {kKvdaLogicError, {}, Focus::kEntryField};
    }
    d = &fetched;
  }
  std::size_t keep = item->type == 3                                   ? 2 * item->width + 2
                     : ClassOfType(item->type) == CheckClass::kNumeric ? 30
                                                                       : item->width + 2;
  std::string v = text.substr(0, std::min(text.size(), keep));
  std::size_t length = static_cast<std::size_t>(d->byte_length);
  auto error = [](int number) { return Message{number, {}, Focus::kEntryField}; };
  switch (ClassOfType(item->type)) {
    case CheckClass::kAlphanumeric:
      if (v.size() > length) {
        if (!truncate) return error(kKvdaTooLong);
        std::string cut = CutSjis(v, length);
        cut.resize(length, ' ');  // a split double-byte character becomes a space
        v = cut;
      }
      break;
    case CheckClass::kAlphabetic:
      for (char c : v) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ')) {
          return error(kKvdaNotAlphabetic);
        }
      }
      if (v.size() > length) {
        if (!truncate) return error(kKvdaTooLong);
        v.resize(length);
      }
      break;
    case CheckClass::kNational:
      for (std::size_t i = 0; i < v.size(); i += 2) {
        if (!IsLead(static_cast<unsigned char>(v[i])) || i + 1 >= v.size() ||
            !IsTrail(static_cast<unsigned char>(v[i + 1]))) {
          return error(kKvdaNotNational);
        }
      }
      if (v.size() > length) {
        if (!truncate) return error(kKvdaTooLong);
        v.resize(length & ~std::size_t{1});
      }
      break;
    case CheckClass::kNumeric: {
      char normalised[96];
      std::size_t n = 0;
      switch (codec::CheckNumericEntry(v, item->integer_digits, item->decimal_digits, truncate,
                                       normalised, &n)) {
        case codec::EntryCheck::kOk:
          break;
        case codec::EntryCheck::kBadCharacter:
          return error(kKvdaNotNumeric);
        case codec::EntryCheck::kMinusNotFirst:
          return error(kKvdaMinusNotFirst);
        case codec::EntryCheck::kTooManyIntegerDigits:
          return error(kKvdaIntegerDigits);
        case codec::EntryCheck::kTooManyFractionDigits:
          return error(kKvdaFractionDigits);
      }
      v.assign(normalised, n);
      break;
    }
    case CheckClass::kNone:
      break;
    case CheckClass::kLogicError:
      return error(kKvdaLogicError);
  }
  *value = v;
  return {};
}

Message CQelreviseDoc::CheckValue(int line, const std::string& text) {
  return Guarded([&] {
    if (line < 0 || line >= static_cast<int>(items_.size())) {
      return Message{kKvdaLogicError, {}, Focus::kEntryField};
    }
    ReviseItem& item = items_[line];
    std::string value;
    Message m = Check(&item, text, no_truncation_message_, &value);
    if (!m.ok()) return m;  // the entered text stays what it was
    if (item.type != 4) item.entered_text = std::move(value);
    return m;
  });
}

std::string CQelreviseDoc::EntryText(int line) const {
  if (line < 0 || line >= static_cast<int>(items_.size())) return "";
  const ReviseItem& item = items_[line];
  if (item.entered_text) return *item.entered_text;
  if (mode_ == 0 && !item.is_protected) return item.current_text;
  return "";
}

bool CQelreviseDoc::Editable(int line) const {
  if (line < 0 || line >= static_cast<int>(items_.size()) || !controls_.entry_enabled) {
    return false;
  }
  const ReviseItem& item = items_[line];
  return item.type != 4 && !item.is_protected;
}

Message CQelreviseDoc::Commit(int line, const std::string& text) {
  if (!Editable(line)) return {};
  const ReviseItem& item = items_[line];
  const std::string& before = item.entered_text ? *item.entered_text : item.current_text;
  if (text == before) return {};
  return CheckValue(line, text);
}

std::string CQelreviseDoc::EntryCounter(int line, const std::string& text) const {
  if (line < 0 || line >= static_cast<int>(items_.size())) return "";
  int type = items_[line].type;
  int bytes = static_cast<int>(text.size());
  if (type == 1 || type == 2) return Printf("%6d", bytes);
  if (type == 3) return bytes % 2 ? Printf("%5d.%-d", bytes / 2, 5) : Printf("%6d", bytes / 2);
  if (ClassOfType(type) != CheckClass::kNumeric) return "";
  if (text.empty()) return Printf("%d.%-d", 0, 0);
  std::string body = text;
  if (body[0] == '+' || body[0] == '-') body.erase(0, 1);
  std::size_t point = body.rfind('.');
  int before = static_cast<int>(point == std::string::npos ? body.size() : point);
  int after = static_cast<int>(point == std::string::npos ? 0 : body.size() - point - 1);
  return Printf("%3d.%-3d", std::min(before, 999), std::min(after, 999));
}

std::string CQelreviseDoc::CounterCaption(int line) const {
  if (line < 0 || line >= static_cast<int>(items_.size())) return "";
  if (items_[line].is_protected) return kCaptionProtected;
  return TypeCaption(items_[line].type);
}

}  // namespace qel::revise
