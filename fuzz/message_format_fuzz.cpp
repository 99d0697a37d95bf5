// Fuzz target: message texts as the string tables and callers hand them in.
// The input is a template and up to five inserts separated by NUL bytes; every
// form of the message (box, log, console in both kinds of locale) is built.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "message/message_text.h"
#include "platform/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() < 6) {
    size_t cut = input.find('\0', start);
    if (cut == std::string_view::npos) {
      parts.emplace_back(input.substr(start));
      break;
    }
    parts.emplace_back(input.substr(start, cut - start));
    start = cut + 1;
  }
  const std::string& text = parts[0];
  const char* args[5] = {"", "", "", "", ""};
  for (size_t i = 1; i < parts.size(); ++i) args[i - 1] = parts[i].c_str();

  using namespace qel::message;
  StyleForSeverity(text);
  std::string body = Substitute(MessageBody(text), args);
  std::string box = SubstituteForBox(MessageBody(text), args);
  std::string log = ForLog(Substitute(text, args));
  if (log.size() > kLogTextMax) __builtin_trap();
  if (log.find('\n') != std::string::npos) __builtin_trap();
  qel::platform::FormatForDisplay(text, args, 5, true);
  qel::platform::Cp932ToUtf8(box);
  return 0;
}
