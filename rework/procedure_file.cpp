// Reader and writer of procedure files. The reader takes the whole file into
// memory at mode 0 and walks it line by line, so that mode 1 continues where
// mode 0 stopped; line numbers count every line, comments included.
#include "rework/procedure_file.h"

#include <cstring>
#include <new>

#include "filter/qelfilter.h"
#include "filter/sjis.h"
#include "platform/file.h"
#include "platform/ui_hooks.h"

namespace qel::rework {

namespace {

enum Keyword {
  kCom,
  kInData,
  kInDef,
  kOutData,
  kOutDef,
  kEndian,
  kBlank,
  kEd,
  kCopy,
  kMetaOne,
  kMetaAll,
  kSelOrder,
  kComEnd,
  kSel,
  kKey,
  kJudge,
  kComp,
  kSelEnd,
  kEdit,
  kInItem,
  kOutItem,
  kEditEnd,
  kKeywordCount
};

constexpr std::string_view kKeywords[kKeywordCount] = {
    "COM",  "INDATA",  "INDEF",   "OUTDATA",  "OUTDEF",  "ENDIAN",  "BLANK", "ED",
    "COPY", "METAONE", "METAALL", "SELORDER", "COM_END", "SEL",     "KEY",   "JUDGE",
    "COMP", "SEL_END", "EDIT",    "INITEM",   "OUTITEM", "EDIT_END"};

constexpr unsigned kAllCommon = (1u << kComEnd) - 1;  // COM to SELORDER

// Messages of the reader and writer.
constexpr int kNoSemicolon = 2801;
constexpr int kMissingKeyword = 2802;
constexpr int kBlockOrder = 2803;
constexpr int kBadKeyword = 2804;
constexpr int kBadValue = 2805;
constexpr int kDuplicate = 2806;
constexpr int kTooManyComps = 2807;
constexpr int kKeywordNotAllowed = 2808;
constexpr int kSelectionAfterEdit = 2809;
constexpr int kOpenFailed = 2821;
constexpr int kReadFailed = 2822;
constexpr int kWriteFailed = 2823;
constexpr int kCloseFailed = 2824;
constexpr int kNotProcedure = 2825;
constexpr int kExpressionTooLong = 2851;
constexpr int kMetaTooLong = 2852;
constexpr int kMetaControl = 2853;
constexpr int kLogicError = 2871;
constexpr int kCallOrder = 2872;
constexpr int kNoMemory = 2873;
constexpr int kWrongForm = 2874;
constexpr int kSameNameEdit = 2009;
constexpr int kTooManyUndefined = 2140;

constexpr const char* kCommonComment = "; \x8b\xa4\x92\xca\x83p\x83\x89\x83\x81\x83^ 0200";
constexpr const char* kSelectionComment = "; \x91I\x91\xf0\x83p\x83\x89\x83\x81\x83^ ";
constexpr const char* kEditComment = "; \x95\xd2\x8fW\x83p\x83\x89\x83\x81\x83^ ";

constexpr std::string_view kOperators[] = {"=", "!=", ">", ">=", "<", "<="};

using filter::IsLeadByte;

// Position of the ";" that ends the statement, or npos.
std::size_t StatementEnd(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (IsLeadByte(c) && i + 1 < line.size()) {
      ++i;
    } else if (c == '"' && i + 1 < line.size() && (line[i + 1] == ';' || line[i + 1] == '"')) {
      ++i;
    } else if (c == ';') {
      return i;
    }
  }
  return std::string_view::npos;
}

// Removes the escapes of a value. With strict, a '"' that escapes neither
// ';' nor '"' is refused (false).
bool Unescape(std::string_view value, bool strict, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (IsLeadByte(c) && i + 1 < value.size()) {
      out->append(value.substr(i, 2));
      ++i;
    } else if (c == '"' && i + 1 < value.size() && (value[i + 1] == ';' || value[i + 1] == '"')) {
      out->push_back(value[++i]);
    } else if (c == '"' && strict) {
      return false;
    } else {
      out->push_back(static_cast<char>(c));
    }
  }
  return true;
}

int FileNameMessage(int keyword) {
  switch (keyword) {
    case kInData:
      return 2010;
    case kInDef:
      return 2011;
    case kOutData:
      return 2020;
    default:
      return 2021;
  }
}

}  // namespace

std::string EscapeValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (IsLeadByte(c) && i + 1 < value.size()) {
      out.append(value.substr(i, 2));
      ++i;
      continue;
    }
    if (c == ';' || c == '"') out.push_back('"');
    out.push_back(static_cast<char>(c));
  }
  return out;
}

std::string_view CutCharacters(std::string_view text, std::size_t max) {
  std::size_t i = 0;
  while (i < text.size()) {
    const bool lead = IsLeadByte(static_cast<unsigned char>(text[i]));
    // A lead byte with nothing after it is half a character.
    if (lead && i + 1 == text.size()) break;
    std::size_t step = lead ? 2 : 1;
    if (i + step > max) break;
    i += step;
  }
  return text.substr(0, i);
}

int CKRPFDoc::Run(int mode, const std::string& path) {
  try {
    switch (mode) {
      case kModeReadCommon:
        return ReadCommon(path);
      case kModeReadBlocks:
        return ReadBlocks();
      case kModeWrite:
        return Write(path);
      default:
        return kCallOrder;
    }
  } catch (const std::bad_alloc&) {
    if (mode != kModeWrite) CloseAfterError();
    return kNoMemory;
  }
}

bool CKRPFDoc::NextLine(std::string_view* text) {
  if (cursor_ >= content_.size()) return false;
  std::size_t end = content_.find('\n', cursor_);
  std::size_t next = end == std::string::npos ? content_.size() : end + 1;
  if (end == std::string::npos) end = content_.size();
  std::string_view line(content_.data() + cursor_, end - cursor_);
  if (!line.empty() && line.back() == '\r' && end < content_.size()) line.remove_suffix(1);
  if (line.size() > kLineBufferSize - 1) line = line.substr(0, kLineBufferSize - 1);
  cursor_ = next;
  ++line_;
  *text = line;
  return true;
}

void CKRPFDoc::CloseAfterError() {
  doc_->CloseFiles();
  content_.clear();
  cursor_ = 0;
}

int CKRPFDoc::ReadCommon(const std::string& path) {
  content_.clear();
  cursor_ = 0;
  line_ = 0;
  common_done_ = false;
  block_ = Block::kNone;
  common_seen_ = 0;
  outdef_seen_ = false;
  edit_completed_ = false;
  selection_blocks_ = 0;
  {
    platform::File file =
        platform::File::Open(path.c_str(), platform::FileAccess::kRead,
                             platform::Disposition::kOpenExisting, platform::ShareMode::kAll);
    if (!file.is_open()) return kOpenFailed;
    switch (platform::ReadToEnd(file.handle(), kMaxProcedureFileSize, &content_)) {
      case platform::ReadToEndResult::kFailed:
        return kReadFailed;
      case platform::ReadToEndResult::kTooLarge:
        // No procedure comes near the limit: a huge file, a device or a
        // FIFO that never ends is no procedure file.
        return kNotProcedure;
      case platform::ReadToEndResult::kOk:
        break;
    }
  }
  std::string_view text;
  for (;;) {
    if (!NextLine(&text)) return kNotProcedure;
    if (!text.empty() && text[0] == ';') continue;
    if (text != kStartBanner) return kNotProcedure;
    break;
  }
  auto all_seen = [this] {
    unsigned seen = common_seen_;
    if (doc_->settings.form_from_file || doc_->settings.form == kFormSelection) {
      seen |= 1u << kOutDef;
    }
    return (seen & kAllCommon) == kAllCommon;
  };
  while (!common_done_) {
    // A file that ends inside the common block is judged as if the end
    // banner stood there.
    if (!NextLine(&text) || text == kEndBanner) return all_seen() ? kBlockOrder : kMissingKeyword;
    if (!text.empty() && text[0] == ';') continue;
    platform::PumpOneMessage();
    std::size_t semi = StatementEnd(text);
    if (semi == std::string_view::npos) return kNoSemicolon;
    std::string_view statement = text.substr(0, semi);
    std::size_t eq = statement.find('=');
    std::string_view keyword = statement.substr(0, eq);
    std::string_view value =
        eq == std::string_view::npos ? std::string_view() : statement.substr(eq + 1);
    int k = 0;
    while (k < kKeywordCount && kKeywords[k] != keyword) ++k;
    if (k == kKeywordCount) return kBadKeyword;
    if (k == kComEnd && block_ == Block::kCommon && !all_seen()) return kMissingKeyword;
    int result = CommonStatement(k, value);
    if (result != 0) {
      CloseAfterError();
      return result;
    }
  }
  return 0;
}

int CKRPFDoc::CommonStatement(int k, std::string_view value) {
  ProcedureSettings& s = doc_->settings;
  if (block_ == Block::kNone) {
    if (k != kCom) return kBlockOrder;
    block_ = Block::kCommon;
    common_seen_ |= 1u << kCom;
    return 0;
  }
  if (k == kCom) return kBlockOrder;
  if (k > kComEnd) return kKeywordNotAllowed;
  if (k == kComEnd) return CommonEnd();
  if (k == kOutDef && s.form == kFormSelection && !s.form_from_file) return kWrongForm;
  if (common_seen_ & (1u << k)) return kDuplicate;
  common_seen_ |= 1u << k;
  std::string text;
  switch (k) {
    case kInData:
    case kInDef:
    case kOutData:
    case kOutDef:
      Unescape(value, false, &text);
      if (text.size() > kMaxFileNameLength) return FileNameMessage(k);
      (k == kInData    ? s.in_data
       : k == kInDef   ? s.in_def
       : k == kOutData ? s.out_data
                       : s.out_def) = text;
      if (k == kOutDef) outdef_seen_ = true;
      return 0;
    case kEndian:
      if (value != "BIG" && value != "LITTLE") return kBadValue;
      s.big_endian = value == "BIG";
      return 0;
    case kBlank:
      if (value != "TRUE" && value != "FALSE") return kBadValue;
      s.blank_when_zero = value == "TRUE";
      return 0;
    case kEd:
      if (value != "APPOINT" && value != "SAMENAME") return kBadValue;
      s.method = value == "APPOINT" ? kMethodAppointed : kMethodSameName;
      return 0;
    case kCopy:
      if (value != "YES" && value != "NO") return kBadValue;
      s.copy = value == "YES";
      return 0;
    case kMetaOne:
    case kMetaAll: {
      char meta = ' ';
      if (value.size() == 1) {
        if (static_cast<unsigned char>(value[0]) < 0x20) return kMetaControl;
        meta = value[0];
      } else if (value.size() == 2 && value[0] == '"' && (value[1] == ';' || value[1] == '"')) {
        meta = value[1];
      } else if (value.size() >= 2) {
        return kMetaTooLong;
      }
      (k == kMetaOne ? s.meta_one : s.meta_all) = meta;
      return 0;
    }
    case kSelOrder:
      Unescape(value, false, &text);
      if (text.size() > kMaxExpressionLength) return kExpressionTooLong;
      s.expression = text;
      return 0;
    default:
      return kLogicError;
  }
}

int CKRPFDoc::CommonEnd() {
  ProcedureSettings& s = doc_->settings;
  if (s.form_from_file) s.form = outdef_seen_ ? kFormEdit : kFormSelection;
  uint32_t status = doc_->OpenFiles();
  if (status != 0) return static_cast<int>(status);
  if (s.meta_one == '"') return 2233;
  if (s.meta_all == '"') return 2232;
  if (s.meta_one != ' ' && s.meta_one == s.meta_all) return 2234;
  common_done_ = true;
  block_ = Block::kNone;
  return 0;
}

int CKRPFDoc::ItemReference(std::string_view value, bool output, int* reference) {
  std::string name;
  Unescape(value, false, &name);
  int n = (output ? doc_->output_names : doc_->input_names).Find(name);
  if (n > 0) {
    *reference = n;
    return 0;
  }
  *reference = doc_->AddUndefined(name);
  return *reference == 0 ? kTooManyUndefined : 0;
}

int CKRPFDoc::ReadBlocks() {
  if (!common_done_) return kCallOrder;
  std::string_view text;
  for (;;) {
    int result = 0;
    if (!NextLine(&text) || text == kEndBanner) {
      result = EndOfBlocks();
      if (result != 0) CloseAfterError();
      return result;
    }
    if (!text.empty() && text[0] == ';') continue;
    platform::PumpOneMessage();
    std::size_t semi = StatementEnd(text);
    if (semi == std::string_view::npos) {
      result = kNoSemicolon;
    } else {
      std::string_view statement = text.substr(0, semi);
      std::size_t eq = statement.find('=');
      std::string_view keyword = statement.substr(0, eq);
      std::string_view value =
          eq == std::string_view::npos ? std::string_view() : statement.substr(eq + 1);
      int k = 0;
      while (k < kKeywordCount && kKeywords[k] != keyword) ++k;
      result = k == kKeywordCount ? kBadKeyword : BlockStatement(k, value);
    }
    if (result != 0) {
      CloseAfterError();
      return result;
    }
  }
}

namespace {

// A constant value: '""' and the escaped text. 0 or kBadValue.
int ReadConstant(std::string_view value, bool marker_rule, std::string* text) {
  if (value.size() < 2 || value[1] != '"') return kBadValue;
  std::string plain;
  if (!Unescape(value.substr(2), true, &plain)) return kBadValue;
  // The constant is kept as C text: it ends at a NUL byte.
  std::string_view kept =
      CutCharacters(std::string_view(plain).substr(0, plain.find('\0')), kMaxConstantLength);
  text->clear();
  if (marker_rule && !kept.empty() && (kept[0] == '#' || kept[0] == '"')) text->push_back('"');
  text->append(kept);
  return 0;
}

}  // namespace

int CKRPFDoc::BlockStatement(int k, std::string_view value) {
  const ProcedureSettings& s = doc_->settings;
  if (k <= kComEnd) return kKeywordNotAllowed;
  if (k <= kSelEnd) {
    if (block_ != Block::kSelection) {
      if (edit_completed_) return kSelectionAfterEdit;
      if (k != kSel || block_ == Block::kEdit) return kBlockOrder;
      block_ = Block::kSelection;
      sel_key_ = sel_judge_ = false;
      sel_comps_ = 0;
      sel_entry_ = SelCondEntry{};
      sel_tail_ = nullptr;
      return 0;
    }
    switch (k) {
      case kSel:
        return kBlockOrder;
      case kKey:
        if (sel_key_) return kDuplicate;
        sel_key_ = true;
        return ItemReference(value, false, &sel_entry_.key_item);
      case kJudge: {
        if (sel_judge_) return kDuplicate;
        sel_judge_ = true;
        sel_entry_.op = 7;
        for (int i = 0; i < 6; ++i) {
          if (value == kOperators[i]) sel_entry_.op = i + 1;
        }
        return 0;
      }
      case kComp: {
        if (sel_comps_ == kMaxComparisons) return kTooManyComps;
        SelCompEntry element{};
        if (!value.empty() && value[0] == '"') {
          std::string text;
          if (int r = ReadConstant(value, true, &text); r != 0) return r;
          element.kind = 1;
          element.constant = doc_->NewConstant(text);
        } else {
          element.kind = 2;
          if (int r = ItemReference(value, false, &element.item); r != 0) return r;
        }
        SelCompEntry* stored = doc_->NewComparison();
        *stored = element;
        if (sel_tail_ == nullptr) {
          sel_entry_.comparisons = stored;
        } else {
          sel_tail_->next = stored;
        }
        sel_tail_ = stored;
        ++sel_comps_;
        return 0;
      }
      default:  // SEL_END
        if (!sel_key_ || !sel_judge_ || sel_comps_ == 0) return kMissingKeyword;
        ++selection_blocks_;
        doc_->AppendCondition(sel_entry_);
        block_ = Block::kNone;
        return 0;
    }
  }
  if (s.form == kFormSelection) return kKeywordNotAllowed;
  if (s.method == kMethodSameName) return kSameNameEdit;
  if (block_ != Block::kEdit) {
    if (k != kEdit || block_ == Block::kSelection) return kBlockOrder;
    block_ = Block::kEdit;
    edit_in_ = edit_out_ = false;
    edit_entry_ = EditEntry{};
    return 0;
  }
  switch (k) {
    case kEdit:
      return kBlockOrder;
    case kInItem:
      if (edit_in_) return kDuplicate;
      edit_in_ = true;
      if (!value.empty() && value[0] == '"') {
        std::string text;
        if (int r = ReadConstant(value, false, &text); r != 0) return r;
        edit_entry_.kind = 1;
        edit_entry_.input_item = 0;
        edit_entry_.constant = doc_->NewConstant(text);
        return 0;
      }
      edit_entry_.kind = 2;
      edit_entry_.constant = nullptr;
      return ItemReference(value, false, &edit_entry_.input_item);
    case kOutItem:
      if (edit_out_) return kDuplicate;
      edit_out_ = true;
      return ItemReference(value, true, &edit_entry_.output_item);
    default:  // EDIT_END
      if (!edit_in_ || !edit_out_) return kMissingKeyword;
      doc_->AppendEdit(edit_entry_);
      edit_completed_ = true;
      block_ = Block::kNone;
      return 0;
  }
}

int CKRPFDoc::EndOfBlocks() {
  if (block_ == Block::kSelection) {
    return sel_key_ && sel_judge_ && sel_comps_ > 0 ? kBlockOrder : kMissingKeyword;
  }
  if (block_ == Block::kEdit) return edit_in_ && edit_out_ ? kBlockOrder : kMissingKeyword;
  ProcedureSettings& s = doc_->settings;
  s.prefix[0] = '\0';
  // Faults of the expression are the procedure check's to report.
  KCNDCondChek(s.expression.c_str(), s.prefix.data(), selection_blocks_);
  content_.clear();
  cursor_ = 0;
  return 0;
}

int CKRPFDoc::Write(const std::string& path) {
  const CZovozDoc& d = *doc_;
  const ProcedureSettings& s = d.settings;
  std::string out;
  auto statement = [&out](std::string_view keyword, std::string_view value) {
    out.append(keyword);
    out.push_back('=');
    out.append(value);
    out.append(";\n");
  };
  auto bare = [&out](std::string_view keyword) {
    out.append(keyword);
    out.append(";\n");
  };
  auto meta = [](char c) { return EscapeValue(std::string_view(&c, 1)); };
  out.append(kStartBanner);
  out.push_back('\n');
  out.append(kCommonComment);
  out.push_back('\n');
  bare("COM");
  statement("INDATA", EscapeValue(s.in_data));
  statement("INDEF", EscapeValue(s.in_def));
  statement("OUTDATA", EscapeValue(s.out_data));
  if (s.form == kFormEdit) statement("OUTDEF", EscapeValue(s.out_def));
  statement("ENDIAN", s.big_endian ? "BIG" : "LITTLE");
  statement("BLANK", s.blank_when_zero ? "TRUE" : "FALSE");
  statement("ED", s.method == kMethodSameName ? "SAMENAME" : "APPOINT");
  statement("COPY", s.copy ? "YES" : "NO");
  statement("METAONE", meta(s.meta_one));
  statement("METAALL", meta(s.meta_all));
  statement("SELORDER", EscapeValue(s.expression));
  bare("COM_END");
  if (d.condition_count > 0) {
    out.append(kSelectionComment);
    out.push_back('\n');
  }
  for (int c = 0; c < d.condition_count; ++c) {
    const SelCondEntry& cond = d.conditions[c];
    if (cond.op < 1 || cond.op > 6) return kLogicError;
    bare("SEL");
    statement("KEY", EscapeValue(d.ItemName(cond.key_item, false)));
    statement("JUDGE", kOperators[cond.op - 1]);
    for (const SelCompEntry* e = cond.comparisons; e != nullptr; e = e->next) {
      if (e->kind == 2) {
        statement("COMP", EscapeValue(d.ItemName(e->item, false)));
      } else {
        std::string_view text = e->constant != nullptr ? e->constant : "";
        if (!text.empty() && text[0] == '"') text.remove_prefix(1);
        statement("COMP", "\"\"" + EscapeValue(text));
      }
    }
    bare("SEL_END");
  }
  if (d.edit_list != nullptr) {
    out.append(kEditComment);
    out.push_back('\n');
  }
  for (const EditEntry* e = d.edit_list; e != nullptr; e = e->next) {
    bare("EDIT");
    if (e->kind == 1) {
      statement("INITEM", "\"\"" + EscapeValue(e->constant != nullptr ? e->constant : ""));
    } else {
      statement("INITEM", EscapeValue(d.ItemName(e->input_item, false)));
    }
    statement("OUTITEM", EscapeValue(d.ItemName(e->output_item, true)));
    bare("EDIT_END");
  }
  out.append(kEndBanner);
  out.push_back('\n');

  platform::File file =
      platform::File::Open(path.c_str(), platform::FileAccess::kWrite,
                           platform::Disposition::kCreateAlways, platform::ShareMode::kAll);
  if (!file.is_open()) return kOpenFailed;
  if (platform::WriteFile(file.handle(), out.data(), out.size()) < 0) return kWriteFailed;
  if (!file.Close()) return kCloseFailed;
  return 0;
}

}  // namespace qel::rework
