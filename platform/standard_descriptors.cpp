// Opening /dev/null on closed standard descriptors at program start.
#include "platform/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace qel::platform {

bool OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free descriptor, which is `fd` itself since
    // every lower one is open by now.
    int opened = ::open("/dev/null", O_RDWR);
    if (opened < 0) return false;
    if (opened != fd) {
      // Only possible when another thread raced us; never leave the gap.
      int moved = ::dup2(opened, fd);
      ::close(opened);
      if (moved != fd) return false;
    }
  }
  return true;
}

void EnsureStandardDescriptors() {
  if (!OpenClosedStandardDescriptors()) ::_exit(1);
}

}  // namespace qel::platform
