// The launcher's command line: items separated by spaces or commas (no
// quoting), options in any letter case, the first other item the menu file.
// An item beginning with "/" is a path, not an option, when it holds a
// further "/" or names an existing file.
#pragma once

#include <string>
#include <vector>

namespace qel::launch {

// The launcher's modes.
enum class LaunchMode { kDesignEmpty = 0, kDesignFile = 1, kRun = 2 };

struct CommandLine {
  bool debug = false;   // "/DEBUG": no warning for a missing menu file
  bool print = false;   // "/P": open the menu file and print it
  bool run = false;     // "/EXE": run mode
  bool has_block = false;
  std::string block_name;  // "/I" followed by the start block's name
  bool has_k = false;
  std::string k_text;      // "/K" text, attached or the next item
  std::string menu_file;   // ".QLM" appended when it had no extension
  // The start must stop with the invalid-parameter message.
  bool invalid = false;
  // The invalid-parameter message is shown as a warning and the start goes on.
  bool warn_missing_file = false;
  // "/P" without a menu file: the program ends at once, silently.
  bool end_at_once = false;
};

// Splits `line` into items at spaces and commas; empty items are dropped.
std::vector<std::string> SplitCommandItems(const std::string& line);

// Reads the items (without the program name). Items are CP932 bytes or file
// names as the system gives them; only ASCII letters are compared ignoring
// case.
CommandLine ParseCommandLine(const std::vector<std::string>& items);

// True when the last path component of `path` has an extension.
bool HasExtension(const std::string& path);

// The extension of the last path component, upper-cased ASCII, with its dot;
// empty when there is none.
std::string UpperExtension(const std::string& path);

}  // namespace qel::launch
