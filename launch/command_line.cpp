// Reading the launcher's command line. The menu file is the first item that
// is not an option; "/I" and "/K" take the rest of their item or the next one.
#include "launch/command_line.h"

#include <sys/stat.h>

#include <cctype>

namespace qel::launch {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

size_t LastComponentStart(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

// On Linux an absolute path also begins with '/': an item is a path when a
// further '/' follows or when it names an existing file.
bool IsOption(const std::string& item) {
  if (item[0] != '/') return false;
  if (item.find('/', 1) != std::string::npos) return false;
  struct stat st;
  return ::stat(item.c_str(), &st) != 0;
}

}  // namespace

std::vector<std::string> SplitCommandItems(const std::string& line) {
  std::vector<std::string> items;
  std::string item;
  for (char c : line) {
    if (c == ' ' || c == ',' || c == '\t') {
      if (!item.empty()) items.push_back(std::move(item));
      item.clear();
    } else {
      item.push_back(c);
    }
  }
  if (!item.empty()) items.push_back(std::move(item));
  return items;
}

bool HasExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && dot >= LastComponentStart(path) && dot + 1 < path.size();
}

std::string UpperExtension(const std::string& path) {
  if (!HasExtension(path)) return {};
  return Upper(path.substr(path.rfind('.')));
}

CommandLine ParseCommandLine(const std::vector<std::string>& raw) {
  // A program started with arguments by another process may get items that
  // still hold commas; split them as one command line would be.
  std::vector<std::string> items;
  for (const std::string& arg : raw)
    for (std::string& item : SplitCommandItems(arg)) items.push_back(std::move(item));

  CommandLine cl;
  bool have_file = false;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    if (!IsOption(item)) {
      if (!have_file) {
        cl.menu_file = item;
        have_file = true;
      }
      continue;
    }
    const std::string option = Upper(item.substr(1));
    if (option == "DEBUG") {
      cl.debug = true;
    } else if (option == "P") {
      cl.print = true;
    } else if (option == "EXE") {
      cl.run = true;
    } else if (option[0] == 'I' || option[0] == 'K') {
      std::string value = item.substr(2);
      if (value.empty() && i + 1 < items.size()) value = items[++i];
      if (option[0] == 'I') {
        cl.has_block = true;
        cl.block_name = value;
      } else {
        cl.has_k = true;
        cl.k_text = value;
      }
    } else {
      cl.invalid = true;
      return cl;
    }
  }
  // A child menu takes its file and mode from the start block.
  if (cl.has_block) return cl;
  if (cl.run || cl.debug || cl.print) {
    if (cl.menu_file.empty()) {
      if (cl.print) {
        cl.end_at_once = true;
      } else if (!cl.debug) {
        cl.warn_missing_file = true;
      }
    } else if (!HasExtension(cl.menu_file)) {
      cl.menu_file += ".QLM";
    }
  }
  return cl;
}

}  // namespace qel::launch
