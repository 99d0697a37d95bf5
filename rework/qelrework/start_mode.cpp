// The start modes. A shell hands the arguments as separate words; the
// system's command line is one text, so the words are joined again first.
#include "rework/qelrework/start_mode.h"

namespace qel::rework {

namespace {

// "-選択" as CP932 bytes and as UTF-8 (a user's terminal on this system).
constexpr char kSelectionCp932[] = "-\x91\x49\x91\xf0";
constexpr char kSelectionUtf8[] = "-\xe9\x81\xb8\xe6\x8a\x9e";

}  // namespace

StartMode ParseStartMode(const std::string& args) {
  StartMode mode;
  if (args.starts_with("/f")) {
    mode.kind = StartMode::kRunFile;
    std::string path = args.substr(2);
    // "/f path" as two words is the same request as "/fpath".
    std::size_t start = path.find_first_not_of(' ');
    mode.path = start == std::string::npos ? std::string() : path.substr(start);
    return mode;
  }
  if (args == kSelectionCp932 || args == kSelectionUtf8) mode.kind = StartMode::kSelectionForm;
  return mode;
}

StartMode ParseStartMode(int argc, char** argv) {
  std::string args;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) args += ' ';
    args += argv[i];
  }
  return ParseStartMode(args);
}

}  // namespace qel::rework
