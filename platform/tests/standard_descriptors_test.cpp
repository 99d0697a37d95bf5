// The start-up routine opens /dev/null on closed standard descriptors, so
// that the first file a program opens can never become its standard output.
#include "platform/standard_descriptors.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::platform {
namespace {

// Runs `body` in a child with the descriptors of `closed` closed; the
// child's exit code.
template <typename Body>
int InChild(std::initializer_list<int> closed, Body body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    for (int fd : closed) ::close(fd);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

bool IsDevNull(int fd) {
  struct stat st, null_st;
  return ::fstat(fd, &st) == 0 && ::stat("/dev/null", &null_st) == 0 &&
         st.st_rdev == null_st.st_rdev && S_ISCHR(st.st_mode);
}

TEST(StandardDescriptorsTest, ClosedDescriptorsBecomeDevNullBeforeAnyFileIsOpened) {
  EXPECT_EQ(InChild({0, 1, 2},
                    [] {
                      EnsureStandardDescriptors();
                      for (int fd = 0; fd <= 2; ++fd) {
                        if (!IsDevNull(fd)) return 10 + fd;
                      }
                      // The next file opened lies above them.
                      int next = ::open("/dev/null", O_RDONLY);
                      return next > 2 ? 0 : 20;
                    }),
            0);
  EXPECT_EQ(InChild({1},
                    [] {
                      EnsureStandardDescriptors();
                      return IsDevNull(1) && !IsDevNull(2) ? 0 : 1;
                    }),
            0);
}

TEST(StandardDescriptorsTest, OpenDescriptorsAreLeftAlone) {
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  EXPECT_EQ(InChild({},
                    [&] {
                      ::dup2(pipe_fds[1], 1);
                      EnsureStandardDescriptors();
                      return ::write(1, "x", 1) == 1 ? 0 : 1;
                    }),
            0);
  char c = 0;
  EXPECT_EQ(::read(pipe_fds[0], &c, 1), 1);
  EXPECT_EQ(c, 'x');
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
}

}  // namespace
}  // namespace qel::platform
