// posix_spawn reports a failed exec through its result (glibc), so a missing
// or non-executable program is known before the caller goes on.
#include "launch/process_start.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "launch/command_line.h"
#include "platform/file.h"
#include "platform/system_error.h"

extern char** environ;

namespace qel::launch {

StartKind ClassifyProgram(const std::string& program) {
  const std::string ext = UpperExtension(program);
  if (ext.empty()) {
    struct stat st;
    if (::stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(program.c_str(), X_OK) == 0)
      return StartKind::kProgram;
    return StartKind::kMenu;
  }
  if (ext == ".DMK" || ext == ".QLM") return StartKind::kMenu;
  if (ext == ".DME") return StartKind::kPanoplyBatch;
  if (ext == ".COM" || ext == ".EXE" || ext == ".PIF") return StartKind::kProgram;
  if (ext == ".BAT" || ext == ".CMD" || ext == ".SH") return StartKind::kBatch;
  return StartKind::kDocument;
}

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return {};
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

std::string ResolveProgram(const std::string& program, const std::string& menu_dir,
                           const std::string& launcher_dir) {
  if (program.empty() || Exists(program)) return program;
  std::vector<std::string> candidates;
  if (program[0] != '/') {
    candidates.push_back(Join(menu_dir, program));
    if (program.find('/') == std::string::npos) {
      candidates.push_back(Join(launcher_dir, program));
      const char* path = std::getenv("PATH");
      std::string dirs = path ? path : "";
      size_t start = 0;
      while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        if (end > start) {
          const std::string candidate = Join(dirs.substr(start, end - start), program);
          if (IsExecutableFile(candidate)) candidates.push_back(candidate);
        }
        start = end + 1;
      }
    }
  }
  for (const std::string& candidate : candidates)
    if (Exists(candidate)) return candidate;
  if (std::optional<std::string> found = platform::ResolveIgnoringCase(program)) return *found;
  for (const std::string& candidate : candidates) {
    if (candidate.empty()) continue;
    if (std::optional<std::string> found = platform::ResolveIgnoringCase(candidate)) return *found;
  }
  return program;
}

std::vector<std::string> ProgramArguments(StartKind kind, const std::string& program,
                                          const std::string& parameters) {
  std::vector<std::string> argv;
  if (kind == StartKind::kBatch) argv.push_back("/bin/sh");
  if (kind == StartKind::kDocument) argv.push_back("xdg-open");
  argv.push_back(program);
  if (kind == StartKind::kDocument) return argv;
  std::string item;
  for (char c : parameters + ' ') {
    if (c == ' ') {
      if (!item.empty()) argv.push_back(item);
      item.clear();
    } else {
      item.push_back(c);
    }
  }
  return argv;
}

StartResult StartFailure(int errno_value, const std::string& path) {
  StartResult result;
  result.raw_error = errno_value;
  switch (errno_value) {
    case ENOENT:
    case ENOTDIR:
      result.code = platform::SystemErrorFromErrno(errno_value, path.c_str()) ==
                            platform::kErrorPathNotFound
                        ? platform::kErrorPathNotFound
                        : platform::kErrorFileNotFound;
      break;
    case EACCES:
    case EPERM:
    case EISDIR:
      result.code = platform::kErrorAccessDenied;
      break;
    case EMFILE:
    case ENFILE:
      result.code = platform::kErrorTooManyOpenFiles;
      break;
    case ENOMEM:
    case EAGAIN:
      result.code = 8;
      break;
    default:
      result.code = kUnmappedError;
      break;
  }
  return result;
}

StartResult SpawnProcess(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return StartFailure(ENOENT, "");
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = -1;
  const bool search = argv[0].find('/') == std::string::npos;
  const int rc = search ? ::posix_spawnp(&pid, args[0], nullptr, &attr, args.data(), environ)
                        : ::posix_spawn(&pid, args[0], nullptr, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return StartFailure(rc, argv[0]);
  StartResult result;
  result.pid = pid;
  return result;
}

bool ChildRunning(pid_t pid) {
  if (pid <= 0) return false;
  int status = 0;
  const pid_t rc = ::waitpid(pid, &status, WNOHANG);
  if (rc == 0) return true;
  // rc == pid: it ended and is reaped now; -1: not our child (or gone).
  return false;
}

}  // namespace qel::launch
