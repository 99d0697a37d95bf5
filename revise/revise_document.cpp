// The revise document: its state through a file's life (mode, open, close),
// the memory-shortage snapshot, and the system information in the log.
// Values go between record bytes and texts through the item codec only.
#include "revise/revise_document.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>

#include "message/qelmessage.h"
#include "revise/revise_document_internal.h"

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
    "2\x90i";  // 符号無2進

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
