// The machine registry file reader. The file is small and read on each
// lookup: the suite reads one or two values at program start.
#include "platform/registry.h"

#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file.h"

namespace qel::platform {
namespace {

constexpr const char* kDefaultRegistryFile = "/etc/qellar2/registry.ini";
#ifndef QEL_REGISTRY_FILE
#define QEL_REGISTRY_FILE ""
#endif
constexpr const char* kConfiguredRegistryFile = QEL_REGISTRY_FILE;

// The directory of the running program, empty when the system does not say.
std::string ProgramDirectory() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path().string();
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view TrimKey(std::string_view key) {
  key = TrimBlanks(key);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && (a.empty() || ::strncasecmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace

std::optional<std::string> LookUpRegistryText(std::string_view text, std::string_view key,
                                              std::string_view name) {
  std::string_view wanted_key = TrimKey(key);
  std::string_view wanted_name = TrimBlanks(name);
  if (wanted_name.empty()) return std::nullopt;
  bool in_key = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') continue;
    if (trimmed.front() == '[') {
      // A header without its closing bracket names no key: its values are
      // unreachable rather than attached to the previous section.
      in_key = trimmed.size() >= 2 && trimmed.back() == ']' &&
               EqualIgnoringCase(TrimKey(trimmed.substr(1, trimmed.size() - 2)), wanted_key);
      continue;
    }
    if (!in_key) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (EqualIgnoringCase(TrimBlanks(line.substr(0, eq)), wanted_name)) {
      return std::string(line.substr(eq + 1));
    }
  }
  return std::nullopt;
}

std::string RegistryFileBeside(std::string_view program_dir) {
  std::filesystem::path dir(program_dir);
  while (dir.has_relative_path() && !dir.has_filename()) dir = dir.parent_path();
  std::filesystem::path prefix = dir.parent_path();
  std::filesystem::path etc =
      prefix.filename() == "usr" ? prefix.parent_path() / "etc" : prefix / "etc";
  return (etc / "qellar2" / "registry.ini").string();
}

std::string RegistryFilePath() {
  const char* path = std::getenv("QELLAR_REGISTRY");
  if (path != nullptr && *path != '\0') return path;
  if (*kConfiguredRegistryFile != '\0') return kConfiguredRegistryFile;
  // An install to any prefix finds its own settings, so that a suite
  // installed under a home directory needs no environment variable.
  const std::string program_dir = ProgramDirectory();
  if (!program_dir.empty()) {
    std::string beside = RegistryFileBeside(program_dir);
    if (::access(beside.c_str(), F_OK) == 0) return beside;
  }
  return kDefaultRegistryFile;
}

std::optional<std::string> ReadMachineRegistryValue(std::string_view key, std::string_view name) {
  const std::string path = RegistryFilePath();
  std::optional<std::string> text = ReadWholeFile(path.c_str());
  if (!text) return std::nullopt;
  return LookUpRegistryText(*text, key, name);
}

}  // namespace qel::platform
