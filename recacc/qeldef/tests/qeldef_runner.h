// Test support for qeldef: a scratch directory, running qeldef and other
// programs, the layout qeldef prints, and GnuCOBOL's own offsets and lengths
// of the same entries.
#ifndef QEL_RECACC_QELDEF_TESTS_QELDEF_RUNNER_H_
#define QEL_RECACC_QELDEF_TESTS_QELDEF_RUNNER_H_

#include <string>
#include <vector>

namespace qel::copybook::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` to `name` in the directory; returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  bool Exists(const std::string& name) const;
  // Names of the files in the directory, sorted.
  std::vector<std::string> Files() const;

 private:
  std::string path_;
};

struct RunResult {
  std::string out;  // standard output
  std::string err;  // standard error
  int exit_code = -1;
};

// Runs `command` through the shell in `dir` with a UTF-8 console.
RunResult RunIn(const std::string& dir, const std::string& command);
// Single-quoted for the shell.
std::string Quote(const std::string& text);
// qeldef with `args` (already quoted where needed).
RunResult Qeldef(const std::string& dir, const std::string& args);
std::string ReadAll(const std::string& path);

// One line of qeldef's layout listing.
struct LayoutEntry {
  int number = 0, level = 0;
  std::string name;
  int attribute = 0, bytes = 0, digits = 0, fraction = 0, occurrence = 0, position = 0;
};
// The entries of a listing (the three heading lines are passed over).
std::vector<LayoutEntry> ParseLayout(const std::string& listing);

// GnuCOBOL's "offset length" of every entry of `layout`: a program that
// copies `copybook` (under an 01 named `wrapper` when it is not empty),
// compiled with -fbinary-size=2-4-8 (and -free when `free_format`), displays
// each entry's offset from the record's address and its byte length,
// qualified and subscripted by its occurrence numbers. Empty on a compile
// or run failure, with the reason in *log.
std::vector<std::pair<int, int>> CobolPositions(const ScratchDir& dir, const std::string& copybook,
                                                const std::vector<LayoutEntry>& layout,
                                                const std::string& wrapper, bool free_format,
                                                std::string* log);

}  // namespace qel::copybook::test

#endif  // QEL_RECACC_QELDEF_TESTS_QELDEF_RUNNER_H_
