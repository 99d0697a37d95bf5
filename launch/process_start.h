// Starting what a button or icon names, and polling what was started.
//
// The program file's extension (upper-cased) decides how it starts:
//   none, ".DMK", ".QLM"      a child menu (a file without extension that is
//                             an executable regular file is a program)
//   ".DME"                    a batch definition of the Panoply product
//   ".COM" ".EXE" ".PIF"      the program itself, with the parameters
//   ".BAT" ".CMD" ".SH"       a batch file, run by the shell
//   anything else             a document, opened by its associated program
//                             through xdg-open
// Processes are never waited on: their state is polled with a zero time-out.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qel::launch {

enum class StartKind { kMenu, kPanoplyBatch, kProgram, kBatch, kDocument };

StartKind ClassifyProgram(const std::string& program);

// The file a menu's program name stands for. A name that exists as given
// (relative to the current directory) is kept; a relative name is then
// looked for in `menu_dir` (the open menu's directory), a name without '/'
// beside the launcher (`launcher_dir`, where the suite's programs are) and in
// PATH; a name written on Windows in another letter case is found too.
// Unchanged when nothing matches, so that the start reports it missing.
std::string ResolveProgram(const std::string& program, const std::string& menu_dir,
                           const std::string& launcher_dir);

// The argument vector for a program or batch file and its parameters; the
// parameters are split at spaces (there is no quoting, as on the command line).
std::vector<std::string> ProgramArguments(StartKind kind, const std::string& program,
                                          const std::string& parameters);

// The outcome of a start: the process id, or the system's error code of the
// start-failure table (2 not found, 3 path not found, 4 too many files,
// 5 access, 8 memory), or, for any other failure, `code` kUnmappedError and
// the errno value in `raw_error`.
inline constexpr int kUnmappedError = -1;
struct StartResult {
  pid_t pid = -1;
  int code = 0;
  int raw_error = 0;
  bool ok() const { return pid > 0; }
};

// Maps an errno value of a failed start onto the table's codes; `path` tells
// a missing file (2) from a missing directory (3).
StartResult StartFailure(int errno_value, const std::string& path);

// Starts `argv` (argv[0] searched in PATH when it holds no '/') in the current
// directory, inheriting the environment. The new process runs in a session of
// its own, so that a terminal's signals meant for the launcher do not reach it.
StartResult SpawnProcess(const std::vector<std::string>& argv);

// True while `pid` (a child of this process) runs; reaps it once it has ended.
bool ChildRunning(pid_t pid);

}  // namespace qel::launch
