// Message texts: substitution, box styles, log forms and time stamps.
#include "message/message_text.h"

#include <cstdio>

#include "platform/cp932.h"

namespace qel::message {
namespace {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

const char* const kNoArgs[kInsertCount] = {"", "", "", "", ""};

}  // namespace

BoxStyle StyleForSeverity(std::string_view text) {
  char severity = text.size() > kSeverityOffset ? text[kSeverityOffset] : '\0';
  switch (severity) {
    case '!':
      return {platform::BoxButtons::kRetryCancel, platform::BoxIcon::kExclamation};
    case '?':
      return {platform::BoxButtons::kYesNoCancel, platform::BoxIcon::kQuestion};
    case 'I':
      return {platform::BoxButtons::kOk, platform::BoxIcon::kInformation};
    default:
      return {platform::BoxButtons::kOk, platform::BoxIcon::kStop};
  }
}

std::string_view MessageBody(std::string_view text) {
  return text.size() > kMessageIdLength ? text.substr(kMessageIdLength) : std::string_view();
}

std::string Substitute(std::string_view text, const char* const* args) {
  return platform::FormatForDisplay(text, args != nullptr ? args : kNoArgs, kInsertCount, false);
}

std::string SubstituteForBox(std::string_view text, const char* const* args) {
  if (args == nullptr) args = kNoArgs;
  std::string converted[kInsertCount];
  const char* inserts[kInsertCount];
  for (int i = 0; i < kInsertCount; ++i) {
    inserts[i] = args[i] != nullptr ? args[i] : "";
    if (platform::IsNonAsciiUtf8(inserts[i])) {
      if (auto cp932 = platform::Utf8ToCp932(inserts[i])) {
        converted[i] = std::move(*cp932);
        inserts[i] = converted[i].c_str();
      }
    }
  }
  return platform::FormatForDisplay(text, inserts, kInsertCount, false);
}

std::string_view CutCp932(std::string_view text, std::size_t max) {
  if (text.size() <= max) return text;
  std::size_t i = 0;
  while (i < max) {
    std::size_t width = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + width > max) break;
    i += width;
  }
  return text.substr(0, i);
}

std::string ForLog(std::string_view text, std::size_t max) {
  std::string out(CutCp932(text, max));
  // Line breaks are single bytes that never occur inside a double-byte
  // character, so replacing them byte by byte is safe.
  for (char& c : out) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

std::string FormatTimeStamp(const std::tm& time) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d", time.tm_year + 1900,
                time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
  return buffer;
}

std::string CurrentTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return FormatTimeStamp(local);
}

}  // namespace qel::message
