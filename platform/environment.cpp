// "%name%" expansion as Windows does it, and the TEMP rule for log files.
#include "platform/environment.h"

#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace qel::platform {
namespace {

// Windows names are case-insensitive: "%temp%" finds TEMP. An exact match
// wins over one that differs in case.
const char* FindVariable(std::string_view name) {
  if (name.empty()) return nullptr;
  std::string exact(name);
  if (const char* v = std::getenv(exact.c_str())) return v;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq == nullptr) continue;
    size_t len = static_cast<size_t>(eq - *e);
    if (len == name.size() && ::strncasecmp(*e, name.data(), len) == 0) return eq + 1;
  }
  return nullptr;
}

}  // namespace

std::string ExpandEnvironment(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      out += text[i++];
      continue;
    }
    size_t close = text.find('%', i + 1);
    if (close == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    std::string_view name = text.substr(i + 1, close - i - 1);
    if (const char* value = FindVariable(name)) {
      out += value;
      i = close + 1;
    } else {
      // Unexpanded: keep the first '%' and look for a name starting at the
      // second one, as ExpandEnvironmentStrings does.
      out.append(text.substr(i, close - i));
      i = close;
    }
  }
  return out;
}

std::string LogDirectory() {
  std::string dir = ExpandEnvironment("%temp%");
  if (!dir.empty() && dir[0] == '%') return std::string();
  if (dir.empty()) return std::string();
  if (dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace qel::platform
