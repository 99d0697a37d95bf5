// The revise document's operations over the keyed calls of qelrecacc. Values
// go between record bytes and texts through the item codec only.
#include "revise/revise_document.h"

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

namespace qel::revise {
namespace {

// Type captions and the system-information lines, CP932.
constexpr char kCaptionAlphanumeric[] = "\x89p\x90\x94\x8E\x9A";        // 英数字
constexpr char kCaptionAlphabetic[] = "\x89p\x8E\x9A";                  // 英字
constexpr char kCaptionNational[] = "\x93\xFA\x96{\x8C\xEA  ";          // 日本語
constexpr char kCaptionSignedBinary[] = "\x95\x84\x8D\x86\x95t2\x90i";  // 符号付2進
constexpr char kCaptionSignedPacked[] =
    "\x95\x84\x8D\x86\x95t\x93\xE0\x95\x94"
    "10\x90i";
constexpr char kCaptionUnsignedPacked[] =
    "\x95\x84\x8D\x86\x96\xB3\x93\xE0\x95\x94"
    "10\x90i";
constexpr char kCaptionSignedZoned[] =
    "\x95\x84\x8D\x86\x95t\x8AO\x95\x94"
    "10\x90i";
constexpr char kCaptionUnsignedZoned[] =
    "\x95\x84\x8D\x86\x96\xB3\x8AO\x95\x94"
    "10\x90i";
constexpr char kCaptionUnsignedBinary[] =
    "\x95\x84\x8D\x86\x96\xB3"
    "2\x90i";                                                                 // 符号無2進
constexpr char kKeyTypeCharacter[] = "\x95\xB6     \x8E\x9A";                     // 文     字
constexpr char kKeyTypeShort[] = "2\xCA\xDE\xB2\xC4\x90\xAE\x90\x94";               // 2ﾊﾞｲﾄ整数
constexpr char kKeyTypeLong[] = "4\xCA\xDE\xB2\xC4\x90\xAE\x90\x94";                // 4ﾊﾞｲﾄ整数
constexpr char kCaptionProtected[] = "ISAM\x95\xDB\x8C\xEC\x8D\x80\x96\xDA";  // ISAM保護項目

constexpr char kInfoHeader[] =
    "%s \x83V\x83X\x83"
    "e\x83\x80\x8F\xEE\x95\xF1-------------------------------\n";
constexpr char kInfoData[] =
    "\x93\xFC\x97\xCD\x83t\x83@\x83"
    "C\x83\x8B\x96\xBC    =%s\n";
constexpr char kInfoNoData[] =
    "\x93\xFC\x97\xCD\x83t\x83@\x83"
    "C\x83\x8B\x96\xBC    =\x82\xC8\x82\xB5\n";
constexpr char kInfoDefinition[] =
    "\x93\xFC\x97\xCD\x92\xE8\x8B`\x83t\x83@\x83"
    "C\x83\x8B\x96\xBC=%s\n";
constexpr char kInfoNoDefinition[] =
    "\x93\xFC\x97\xCD\x92\xE8\x8B`\x83t\x83@\x83"
    "C\x83\x8B\x96\xBC=\x82\xC8\x82\xB5\n";
constexpr char kInfoDtf[] =
    "\x8DX\x90V\x83t\x83@\x83"
    "C\x83\x8B\x82"
    "c\x82s\x82"
    "e\x83"
    "A\x83h\x83\x8C\x83X=%x\n";
constexpr char kInfoItems[] =
    "\x8DX\x90V\x8D\x80\x96\xDA\x83"
    "e\x81[\x83u\x83\x8B\x83"
    "A\x83h\x83\x8C\x83X=%x\n";
constexpr char kInfoCount[] = "\x8DX\x90V\x8D\x80\x96\xDA\x90\x94=%d\n";
constexpr char kInfoInput[] = "\x8B@\x94\x5C\x83\x82\x81[\x83h=\x93\xFC\x97\xCD\n";
constexpr char kInfoUpdate[] = "\x8B@\x94\x5C\x83\x82\x81[\x83h=\x8DX\x90V\n";
constexpr char kInfoShared[] =
    "\x83t\x83@\x83"
    "C\x83\x8B\x91\xAE\x90\xAB=\x8B\xA4\x97L\n";
constexpr char kInfoExclusive[] =
    "\x83t\x83@\x83"
    "C\x83\x8B\x91\xAE\x90\xAB=\x94r\x91\xBC\n";
constexpr char kInfoSelect[] =
    "\x93\xFC\x97\xCD\x8D\x80\x96\xDA\x91I\x91\xF0\x82\xB7\x82\xE9\x81"
    "B\n";
constexpr char kInfoNoSelect[] =
    "\x93\xFC\x97\xCD\x8D\x80\x96\xDA\x91I\x91\xF0\x82\xB5\x82\xC8\x82\xA2\x81"
    "B\n";
constexpr char kInfoBigOn[] = "big endian\x95\xD2\x8FW=\x97L\x8C\xF8\n";
constexpr char kInfoBigOff[] = "big endian\x95\xD2\x8FW=\x96\xB3\x8C\xF8\n";
constexpr char kInfoCut[] =
    "\x83\x81\x83"
    "b\x83Z\x81[\x83W\x82\xCC\x90\xD8\x82\xE8\x8E\xCC\x82\xC4\x82\xF0\x82\xB7\x82\xE9\x81"
    "B\n";
constexpr char kInfoNoCut[] =
    "\x83\x81\x83"
    "b\x83Z\x81[\x83W\x90\xD8\x82\xE8\x8E\xCC\x82\xC4\x82\xF0\x82\xB5\x82\xC8\x82\xA2\x81"
    "B\n";
constexpr char kInfoIsam[] =
    "\x82h\x82r\x82`\x82l\x83t\x83@\x83"
    "C\x83\x8B\x81"
    "B\n";
constexpr char kInfoSam[] =
    "\x82r\x82`\x82l\x83t\x83@\x83"
    "C\x83\x8B\x81"
    "B\n";

// Room of the get and put request texts: the longest key text and its NUL,
// with the library's minimum of 256 bytes.
constexpr std::size_t kRequestText = 1024;

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

enum class CheckClass { kAlphanumeric, kAlphabetic, kNational, kNumeric, kNone, kLogicError };

// The 24-entry table of check classes by type code.
CheckClass ClassOfType(int type) {
  static constexpr CheckClass kTable[24] = {
      CheckClass::kLogicError, CheckClass::kAlphanumeric, CheckClass::kAlphabetic,
      CheckClass::kNational,   CheckClass::kNone,         CheckClass::kNumeric,
      CheckClass::kNumeric,    CheckClass::kNumeric,      CheckClass::kNumeric,
      CheckClass::kNumeric,    CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kNumeric,      CheckClass::kNone};
  if (type < 0 || type >= 24) return CheckClass::kLogicError;
  return kTable[type];
}

bool Supported(int type) { return (type >= 1 && type <= 9) || type == 22; }
bool IsCharacterType(int type) { return type >= 1 && type <= 3; }

std::string Printf(const char* format, int a, int b = 0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

}  // namespace

std::string TypeCaption(int type) {
  switch (type) {
    case 1:
      return kCaptionAlphanumeric;
    case 2:
      return kCaptionAlphabetic;
    case 3:
      return kCaptionNational;
    case 5:
      return kCaptionSignedBinary;
    case 6:
      return kCaptionSignedPacked;
    case 7:
      return kCaptionUnsignedPacked;
    case 8:
      return kCaptionSignedZoned;
    case 9:
      return kCaptionUnsignedZoned;
    case 22:
      return kCaptionUnsignedBinary;
    default:
      return "";
  }
}

int Width(int type, int digits, int decimal_digits) {
  switch (type) {
    case 1:
    case 2:
    case 3:
      return digits;
    case 5:
    case 6:
    case 8:
      return digits + decimal_digits + 2;
    case 7:
    case 9:
    case 22:
      return digits + decimal_digits + 1;
    default:
      return 0;
  }
}

std::string CutSjis(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t i = 0;
  while (i < limit) i += IsLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
  return text.substr(0, i > limit ? limit - 1 : limit);
}

int ParseFillerText(const std::string& text, int* value) {
  if (text.empty()) {
    *value = 0x20;
    return 0;
  }
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  // Both characters must be digits: a sign or a blank is no hexadecimal
  // value, and one digit alone is not the two the message asks for.
  if (text.size() != 2 || digit(text[0]) < 0 || digit(text[1]) < 0) return kKvwnFillerHex;
  *value = digit(text[0]) * 16 + digit(text[1]);
  return 0;
}

std::string FillerText(int value) {
  if ((value & 0xff) == 0x20) return "";
  return Printf("%02X", value & 0xff);
}

CQelreviseDoc::CQelreviseDoc() : work_area_(kWorkAreaSize + 32) {
  KRACInit(&dtf_);
  KMSOFileIni(kLogName);
}

CQelreviseDoc::~CQelreviseDoc() { CloseQuietly(); }

void CQelreviseDoc::ClearTexts(bool forget_previous) {
  for (ReviseItem& item : items_) {
    item.current_text.clear();
    item.entered_text.reset();
    if (forget_previous) item.previous_text.clear();
  }
  if (forget_previous) previous_record_ = false;
  record_shown_ = false;
}

void CQelreviseDoc::ProposeRecordNumber() {
  controls_.key_read_only = false;
  if (!open_ || indexed_ || mode_ != 1) return;
  int count = KRACKeyCountGet(&dtf_);
  key_field_ = count < 0 ? std::string() : std::to_string(static_cast<long long>(count) + 1);
  controls_.key_read_only = true;
}

void CQelreviseDoc::SetMode(int mode) {
  mode_ = mode == 1 ? 1 : 0;
  ClearTexts(mode_ == 0);
  controls_.delete_enabled = false;
  controls_.register_enabled = open_ && !selecting_ && mode_ == 1;
  controls_.entry_enabled = controls_.register_enabled;
  key_field_.clear();
  if (open_ && indexed_ && mode_ == 1 && current_key_ != 1) ChangeKey(1);
  ProposeRecordNumber();
}

// ------------------------------------------------------------ memory shortage

CQelreviseDoc::Snapshot CQelreviseDoc::Save() const {
  return {items_,        layout_,          controls_,  key_field_,  fetched_record_,
          record_shown_, previous_record_, selecting_, current_key_};
}

void CQelreviseDoc::Restore(Snapshot&& before) noexcept {
  items_ = std::move(before.items);
  layout_ = std::move(before.layout);
  controls_ = before.controls;
  key_field_ = std::move(before.key_field);
  fetched_record_ = std::move(before.fetched_record);
  record_shown_ = before.record_shown;
  previous_record_ = before.previous_record;
  selecting_ = before.selecting;
  current_key_ = before.current_key;
}

template <typename Op>
Message CQelreviseDoc::Guarded(Op op, std::string* key_text) {
  try {
    Snapshot before = Save();
    std::string key_before = key_text != nullptr ? *key_text : std::string();
    library_moved_ = false;
    try {
      return op();
    } catch (const std::bad_alloc&) {
      Restore(std::move(before));
      if (key_text != nullptr) key_text->swap(key_before);
      if (library_moved_) {
        // The library's current record is no longer the one shown.
        record_shown_ = false;
        if (mode_ == 0) controls_ = {};
      }
      throw;
    }
  } catch (const std::bad_alloc&) {
    return {kKvcoNoMemory, {}, Focus::kNone};
  }
}

// ---------------------------------------------------------------- open, close

Message CQelreviseDoc::Open(const FileSettings& settings, const Ask& ask) {
  try {
    return OpenChecked(settings, ask);
  } catch (const std::bad_alloc&) {
    CloseQuietly();
    items_.clear();
    layout_.clear();
    selecting_ = false;
    controls_ = {};
    return {kKvcoNoMemory, {}, Focus::kNone};
  }
}

Message CQelreviseDoc::OpenChecked(const FileSettings& settings, const Ask& ask) {
  auto line = [](const std::string& s) { return s.substr(0, s.find('\n')); };
  std::string data = line(settings.data_name);
  std::string definition = line(settings.definition_name);
  if (data.empty()) return {kKvwnNoName, {}, Focus::kDataFile};
  if (data.size() > kMaxName) return {kKvwnNameTooLong, {}, Focus::kDataFile};
  if (definition.empty()) return {kKvwnNoName, {}, Focus::kDefinitionFile};
  if (definition.size() > kMaxName) return {kKvwnNameTooLong, {}, Focus::kDefinitionFile};

  auto ends_with = [](const std::string& s, const char* ext) {
    if (s.size() < 4) return false;
    for (int i = 0; i < 4; ++i) {
      char c = s[s.size() - 4 + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != ext[i]) return false;
    }
    return true;
  };
  bool counts_indexed = ends_with(data, ".kdf");
  if (counts_indexed) data.resize(data.size() - 4);
  if (!ends_with(definition, ".flf")) {
    return {kKvwnBadExtension, {definition}, Focus::kDefinitionFile};
  }
  if (line(settings.data_name) == definition) return {kKvwnNamesEqual, {}, Focus::kDataFile};
  if (settings.share && !counts_indexed) return {kKvwnNoShareForSam, {}, Focus::kDataFile};

  std::string title = settings.title;
  if (title.size() > kMaxTitle) {
    int answer = ask(kKvwnTitleTooLong);
    if (answer != kNo) return {0, {}, Focus::kTitle};
    title = CutSjis(title, kMaxTitle);
  }

  if (open_) CloseQuietly();
  FileSettings adjusted = settings;
  adjusted.data_name = data;
  adjusted.definition_name = definition;
  adjusted.title = title;
  Message m = OpenFile(adjusted, ask);
  if (!m.ok() || !open_) return m;

  m = BuildItemList();
  if (!m.ok()) {
    CloseQuietly();
    return m;
  }
  if (item_selection_) {
    selecting_ = true;
    controls_ = {};
  } else {
    StartKeyEntry();
  }
  WriteSystemInformation();
  return {};
}

Message CQelreviseDoc::OpenFile(const FileSettings& settings, const Ask& ask) {
  data_name_ = settings.data_name;
  definition_name_ = settings.definition_name;
  title_ = settings.title;
  KRACInit(&dtf_);
  dtf_.definition_path = definition_name_.c_str();
  dtf_.access_mode = 3;
  if (KRACSproc(&dtf_) != 0) return OpenFailure();
  dtf_.data_path = data_name_.c_str();
  int organisation = KRACFmChk(&dtf_);
  if (organisation < 0) return OpenFailure();
  indexed_ = organisation == 1;
  if (indexed_) {
    std::size_t slash = data_name_.find_last_of('/');
    std::size_t dot = data_name_.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
      data_name_.resize(dot);
    }
    dtf_.data_path = data_name_.c_str();
  } else if (settings.share) {
    // Only a file that turns out to be sequential gets here with the share
    // box checked (its name ended in .kdf).
    KRACRinfFree(&dtf_);
    KRACInit(&dtf_);
    return {kKracShareSequential, {}, Focus::kDataFile};
  }
  std::memset(key_name_, 0, sizeof key_name_);
  open_request_ = {settings.share ? 1 : 0, key_name_, big_endian_ ? 1 : 0};
  int result = KRACOpen2(&dtf_, &open_request_);
  if (result < 0) return OpenFailure();
  open_ = true;
  if (result == 0 && mode_ == 0) {
    if (ask(kKvwnAskInputMode) != kYes) {
      CloseQuietly();
      return {0, {}, Focus::kUnchanged};
    }
    mode_ = 1;
  }
  share_ = settings.share;
  item_selection_ = settings.item_selection;
  elementary_only_ = settings.elementary_only;
  current_key_ = 1;
  return {};
}

// The open's failure, with the inserts of its status; the file is closed.
Message CQelreviseDoc::OpenFailure() {
  Message m;
  m.number = static_cast<int>(KRACGetStatus(&dtf_));
  int n = m.number;
  if ((n >= 2510 && n <= 2518) || (n >= 3510 && n <= 3513) || n == 3521) {
    m.args = {definition_name_};
    m.focus = Focus::kDefinitionFile;
  } else if (n == 2616) {
    m.args = {data_name_, definition_name_};
    m.focus = Focus::kDataFile;
  } else if (n == 2623 || (n >= 2627 && n <= 2630)) {
    m.args = {std::string(key_name_, strnlen(key_name_, sizeof key_name_))};
    m.focus = Focus::kDataFile;
  } else if ((n >= 2610 && n <= 2614) || n == 2618 || n == 2620 || n == 2621 || n == 2690 ||
             n == 3610 || n == 3612 || n == 3613 || n == 3623 || n == 3630 || n == 3698) {
    m.args = {data_name_};
    m.focus = Focus::kDataFile;
  } else if (n == 3520) {
    m.args = {definition_name_, KRACGetSubCode(&dtf_)};
    m.focus = Focus::kDefinitionFile;
  } else if (n == 3620) {
    m.args = {data_name_, KRACGetSubCode(&dtf_)};
    m.focus = Focus::kDataFile;
  } else {
    m.focus = Focus::kOkButton;
  }
  KRACRinfFree(&dtf_);
  KRACInit(&dtf_);
  open_ = false;
  return m;
}

void CQelreviseDoc::CloseQuietly() {
  if (open_ || dtf_.record_layout != nullptr) {
    KRACRinfFree(&dtf_);
    if (open_) KRACClose2(&dtf_);
  }
  KRACInit(&dtf_);
  open_ = false;
  selecting_ = false;
  record_shown_ = false;
  previous_record_ = false;
  items_.clear();
  layout_.clear();
  fetched_record_.clear();
  key_field_.clear();
  controls_ = {};
}

Message CQelreviseDoc::Close() {
  Message m;
  if (open_) {
    KRACRinfFree(&dtf_);
    if (KRACClose2(&dtf_) != 0) {
      m.number = static_cast<int>(KRACGetStatus(&dtf_));
      try {
        m.args = {data_name_};
        if (m.number == 3521 || m.number == 3621) m.args.push_back(KRACGetSubCode(&dtf_));
      } catch (const std::bad_alloc&) {
        m.args.clear();  // the number alone still tells what failed
      }
    }
    open_ = false;
  }
  CloseQuietly();
  data_name_.clear();
  definition_name_.clear();
  title_.clear();
  return m;
}

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

// -------------------------------------------------------- system information

void CQelreviseDoc::WriteSystemInformation() {
  char time[32] = {};
  KMSOGetTime(time);
  char line[1024];
  std::snprintf(line, sizeof line, kInfoHeader, time);
  KMSOFileOut(kLogName, line);
  auto name_line = [&](const char* with, const char* without, const std::string& name) {
    if (name.empty()) {
      KMSOFileOut(kLogName, without);
    } else {
      std::snprintf(line, sizeof line, with, name.c_str());
      KMSOFileOut(kLogName, line);
    }
  };
  name_line(kInfoData, kInfoNoData, data_name_);
  name_line(kInfoDefinition, kInfoNoDefinition, definition_name_);
  std::snprintf(line, sizeof line, kInfoDtf,
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&dtf_)));
  KMSOFileOut(kLogName, line);
  std::snprintf(line, sizeof line, kInfoItems,
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(items_.data())));
  KMSOFileOut(kLogName, line);
  std::snprintf(line, sizeof line, kInfoCount, static_cast<int>(items_.size()));
  KMSOFileOut(kLogName, line);
  KMSOFileOut(kLogName, mode_ == 1 ? kInfoInput : kInfoUpdate);
  KMSOFileOut(kLogName, share_ ? kInfoShared : kInfoExclusive);
  KMSOFileOut(kLogName, item_selection_ ? kInfoSelect : kInfoNoSelect);
  KMSOFileOut(kLogName, big_endian_ ? kInfoBigOn : kInfoBigOff);
  KMSOFileOut(kLogName, no_truncation_message_ ? kInfoCut : kInfoNoCut);
  KMSOFileOut(kLogName, indexed_ ? kInfoIsam : kInfoSam);
  KMSOFileRound(kLogName, (std::string(63, '-') + "\n").c_str());
}

}  // namespace qel::revise
