// Running a program in a child process and collecting what it did.
#include "tests/faults/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qel::faults {

std::string ProgramPath(const std::string& name) {
  // The tests are built beside the programs; the programs run in folders of
  // their own, so the path must not be relative.
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return self.parent_path().string() + "/" + name;
}

::testing::AssertionResult SameBytes(const std::string& got, const std::string& expected) {
  if (got == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << got.size() << " bytes where " << expected.size()
                                       << " were expected, first difference at byte " << at;
}

RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options) {
  RunResult result;
  int out[2], in[2] = {-1, -1};
  if (::pipe2(out, O_CLOEXEC) != 0) return result;
  if (options.stdin_pipe && ::pipe2(in, O_CLOEXEC) != 0) return result;
  pid_t pid = ::fork();
  if (pid == 0) {
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(127);
    int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    ::dup2(options.stdin_pipe ? in[0] : null_fd, 0);
    ::dup2(out[1], 1);
    ::dup2(out[1], 2);
    for (int fd : options.closed) ::close(fd);
    for (const auto& [name, value] : options.env) ::setenv(name.c_str(), value.c_str(), 1);
    if (options.address_limit != 0) {
      rlimit limit{options.address_limit, options.address_limit};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(out[1]);
  if (options.stdin_pipe) {
    ::close(in[0]);
    // The data is small; a program that stops reading early gets EPIPE,
    // which the test ignores.
    ::signal(SIGPIPE, SIG_IGN);
    std::size_t done = 0;
    while (done < options.stdin_data.size()) {
      ssize_t n =
          ::write(in[1], options.stdin_data.data() + done, options.stdin_data.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(in[1]);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  char buffer[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      result.timed_out = true;
      ::kill(pid, SIGKILL);
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) continue;
    ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.peak_rss_kib = usage.ru_maxrss;
  if (WIFEXITED(status) && !result.timed_out) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/qelfaultXXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Read-only files and folders a test made are made writable again first.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(
        it->path(), std::filesystem::perms::owner_all,
        std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::string ScratchDir::Write(const std::string& name, const std::string& bytes) const {
  std::string p = Path(name);
  std::ofstream(p, std::ios::binary) << bytes;
  return p;
}

std::string ScratchDir::Read(const std::string& name) const { return ReadFileBytes(Path(name)); }

RunOptions InDirectory(const ScratchDir& dir, int seconds) {
  RunOptions o;
  o.env = {{"TEMP", dir.path()}, {"LC_ALL", "C.UTF-8"}};
  o.cwd = dir.path();
  o.timeout_seconds = seconds;
  return o;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qel::faults
