#include "idxfile/os_calls.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace qel::idxfile::os {

int read_file(const std::string& path, std::string* text) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  text->clear();
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      return e;
    }
    if (n == 0) break;
    text->append(buf, static_cast<size_t>(n));
    if (text->size() > (1u << 20)) {  // no key file is this large
      ::close(fd);
      return EFBIG;
    }
  }
  ::close(fd);
  return 0;
}

int write_file(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      return e;
    }
    done += static_cast<size_t>(n);
  }
  int rc = ::fsync(fd) == 0 ? 0 : errno;
  if (::close(fd) != 0 && rc == 0) rc = errno;
  return rc;
}

int remove_file(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return 0;
  return errno;
}

int rename_file(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int list_dir(const std::string& dir, std::vector<std::string>* names) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return errno;
  names->clear();
  while (dirent* e = ::readdir(d)) names->emplace_back(e->d_name);
  ::closedir(d);
  return 0;
}

bool same_file(int fd, const std::string& path) {
  struct stat a, b;
  return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

bool process_alive(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int open_for_lock(const std::string& path, int* error) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) *error = errno;
  return fd;
}

void close_fd(int fd) {
  if (fd >= 0) ::close(fd);
}

int try_file_lock(int fd, bool exclusive) {
  for (;;) {
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

namespace {
int set_record_lock(int fd, std::uint64_t slot, short type) {
  struct flock fl = {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(slot);
  fl.l_len = 1;
  fl.l_pid = 0;
  for (;;) {
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return 0;
    if (errno == EINTR) continue;
    return errno == EACCES ? EAGAIN : errno;
  }
}
}  // namespace

int try_record_lock(int fd, std::uint64_t slot) { return set_record_lock(fd, slot, F_WRLCK); }

void record_unlock(int fd, std::uint64_t slot) { set_record_lock(fd, slot, F_UNLCK); }

}  // namespace qel::idxfile::os
