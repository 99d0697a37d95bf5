// System error codes in message inserts: the code and its meaning.
#include "message/system_error_text.h"

#include "platform/string_table.h"

namespace qel::message {
namespace {

constexpr const char* kOwnModule = "QELMESSAGE.DLL";
// Longer texts are no system error code (the sub-code field holds 8 bytes).
constexpr std::size_t kMaxDigits = 9;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string SystemErrorMeaning(int code) {
  if (code <= 0) return {};
  auto text = platform::LoadModuleString(kOwnModule, kMeaningBase + static_cast<unsigned>(code));
  return text ? std::string(*text) : std::string();
}

std::string SystemErrorInsert(std::string_view code_text) {
  std::string_view digits = Trim(code_text);
  if (digits.empty() || digits.size() > kMaxDigits) return std::string(code_text);
  int code = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::string(code_text);
    code = code * 10 + (c - '0');
  }
  std::string meaning = SystemErrorMeaning(code);
  if (meaning.empty()) return std::string(code_text);
  return std::to_string(code) + " " + meaning;
}

}  // namespace qel::message
