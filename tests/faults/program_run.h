// Test helpers of the fault and hostile-input tests: running the suite's
// programs as separate processes with chosen descriptors, environment,
// memory limit and time limit, and reading their output and peak memory.
#ifndef QEL_TESTS_FAULTS_PROGRAM_RUN_H_
#define QEL_TESTS_FAULTS_PROGRAM_RUN_H_

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace qel::faults {

struct RunOptions {
  // Extra environment (added to, or replacing, the test's own).
  std::map<std::string, std::string> env;
  // Standard descriptors the program starts with closed (0, 1, 2).
  std::vector<int> closed;
  // Bytes written to the program's standard input through a pipe; unset:
  // standard input is /dev/null.
  bool stdin_pipe = false;
  std::string stdin_data;
  std::string cwd;
  // Address-space limit in bytes (0: none), so that a reader without a
  // bound fails fast instead of taking the machine's memory.
  unsigned long long address_limit = 0;
  int timeout_seconds = 30;
};

struct RunResult {
  int exit_code = -1;  // -1 when killed by a signal or timed out
  int signal = 0;      // the signal that ended it
  bool timed_out = false;
  std::string output;     // standard output and error together
  long peak_rss_kib = 0;  // the process's peak resident size
};

// The path of a program built into the test build's bin folder.
std::string ProgramPath(const std::string& name);

RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options = {});

// A fresh directory, removed with its contents at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

// Options of a program run in `dir`, which is also its TEMP, under a UTF-8
// locale, given `seconds` to finish.
RunOptions InDirectory(const ScratchDir& dir, int seconds);

std::string ReadFileBytes(const std::string& path);

// Byte-for-byte equality, reported by sizes and the first difference rather
// than by printing whole files.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& expected);

}  // namespace qel::faults

#endif  // QEL_TESTS_FAULTS_PROGRAM_RUN_H_
