// The file wrapper: Windows dispositions and share mode "none" over POSIX
// descriptors and flock.
#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system_error.h"

namespace qel::platform {
namespace {

int Fail(int errno_value, const char* path = nullptr) {
  SetLastSystemError(SystemErrorFromErrno(errno_value, path));
  return -1;
}

int OpenFlags(FileAccess access, Disposition disposition) {
  int flags = O_CLOEXEC;
  switch (access) {
    case FileAccess::kRead:
      flags |= O_RDONLY;
      break;
    case FileAccess::kWrite:
      flags |= O_WRONLY;
      break;
    case FileAccess::kReadWrite:
      flags |= O_RDWR;
      break;
  }
  switch (disposition) {
    case Disposition::kOpenExisting:
      break;
    case Disposition::kCreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case Disposition::kCreateAlways:
      flags |= O_CREAT | O_TRUNC;
      break;
    case Disposition::kOpenAlways:
      flags |= O_CREAT;
      break;
    case Disposition::kTruncateExisting:
      flags |= O_TRUNC;
      break;
  }
  return flags;
}

// The one open of this layer. `own_regular` adds the checks of
// OpenOwnRegularFile.
FileHandle Open(const char* path, FileAccess access, Disposition disposition, ShareMode share,
                bool no_follow, bool own_regular) {
  int flags = OpenFlags(access, disposition);
  if (no_follow || own_regular) flags |= O_NOFOLLOW;
  if (own_regular) flags |= O_NONBLOCK;
  // Truncation must wait until the lock is ours, or a file another opener
  // holds would lose its contents before we learn of the sharing violation.
  bool truncate = (flags & O_TRUNC) != 0;
  flags &= ~O_TRUNC;
  int fd = ::open(path, flags, 0666);
  if (fd < 0) return Fail(errno == ENXIO && own_regular ? EACCES : errno, path);

  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return Fail(e);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Fail(EISDIR);
  }
  if (own_regular) {
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink > 1) {
      ::close(fd);
      return Fail(EACCES);
    }
    // Reads and writes of a regular file never block anyway; clearing the
    // flag keeps them the plain calls every other file gets.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }

  int lock = 0;
  if (share == ShareMode::kNone) {
    lock = LOCK_EX;
  } else if (share == ShareMode::kDenyWrite) {
    lock = access == FileAccess::kRead ? LOCK_SH : LOCK_EX;
  }
  if (lock != 0) {
    int r;
    do {
      r = ::flock(fd, lock | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
      int e = errno;
      ::close(fd);
      return Fail(e == EWOULDBLOCK ? EWOULDBLOCK : e);
    }
  }
  // An empty file is left alone: truncating it changes nothing, and on
  // ext4 a truncated file is flushed to disk at its close.
  if (truncate && S_ISREG(st.st_mode) && (::fstat(fd, &st) != 0 || st.st_size != 0) &&
      ::ftruncate(fd, 0) != 0) {
    int e = errno;
    ::close(fd);
    return Fail(e);
  }
  return fd;
}

}  // namespace

FileHandle OpenFile(const char* path, FileAccess access, Disposition disposition, ShareMode share,
                    bool no_follow) {
  return Open(path, access, disposition, share, no_follow, false);
}

FileHandle OpenOwnRegularFile(const char* path, FileAccess access, Disposition disposition,
                              ShareMode share) {
  return Open(path, access, disposition, share, true, true);
}

int64_t ReadFile(FileHandle file, void* buffer, size_t size) {
  for (;;) {
    ssize_t n = ::read(file, buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) return Fail(errno);
  }
}

int64_t WriteFile(FileHandle file, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  size_t left = size;
  while (left > 0) {
    ssize_t n = ::write(file, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    if (n == 0) return Fail(ENOSPC);
    p += n;
    left -= static_cast<size_t>(n);
  }
  return static_cast<int64_t>(size);
}

int64_t SeekFile(FileHandle file, int64_t offset, int origin) {
  int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(file, static_cast<off_t>(offset), whence);
  if (r < 0) return Fail(errno);
  return r;
}

int64_t FileSize(FileHandle file) {
  struct stat st;
  if (::fstat(file, &st) != 0) return Fail(errno);
  return st.st_size;
}

bool SyncFile(FileHandle file) {
  if (::fdatasync(file) != 0) {
    Fail(errno);
    return false;
  }
  return true;
}

bool CloseFile(FileHandle file) {
  // POSIX leaves the descriptor closed even when close reports EINTR.
  if (::close(file) != 0 && errno != EINTR) {
    Fail(errno);
    return false;
  }
  return true;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.Release();
  }
  return *this;
}

File::~File() { Close(); }

bool File::Close() {
  if (handle_ == kInvalidFile) return true;
  return CloseFile(Release());
}

ReadToEndResult ReadToEnd(FileHandle file, std::size_t limit, std::string* data) {
  data->clear();
  struct stat st;
  if (::fstat(file, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<uint64_t>(st.st_size) > static_cast<uint64_t>(limit)) {
    return ReadToEndResult::kTooLarge;
  }
  char buffer[65536];
  for (;;) {
    int64_t n = ReadFile(file, buffer, sizeof buffer);
    if (n < 0) return ReadToEndResult::kFailed;
    if (n == 0) return ReadToEndResult::kOk;
    if (static_cast<std::size_t>(n) > limit - data->size()) {
      data->clear();
      data->shrink_to_fit();
      return ReadToEndResult::kTooLarge;
    }
    data->append(buffer, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> ReadWholeFile(const char* path) {
  File f = File::Open(path, FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kAll);
  if (!f.is_open()) return std::nullopt;
  std::string data;
  char buffer[65536];
  for (;;) {
    int64_t n = ReadFile(f.handle(), buffer, sizeof buffer);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

std::string_view ForeignBaseName(std::string_view name) {
  auto cut = name.find_last_of("/\\");
  return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

namespace {

enum class Lookup { kFound, kMissing, kAmbiguous };

// The entry of directory `dir` ("" for the current one) named `name`: the
// exact name when it is there, else the one name that matches when ASCII
// letter case is ignored (Shift-JIS and UTF-8 bytes compare exactly).
Lookup FindEntry(const std::string& dir, const std::string& name, std::string* found) {
  struct stat st;
  std::string exact = dir + name;
  if (name == "." || name == ".." || ::lstat(exact.c_str(), &st) == 0) {
    *found = name;
    return Lookup::kFound;
  }
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return Lookup::kMissing;
  int matches = 0;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      *found = e->d_name;
      ++matches;
    }
  }
  ::closedir(d);
  return matches == 0 ? Lookup::kMissing : matches == 1 ? Lookup::kFound : Lookup::kAmbiguous;
}

// Resolves `path` component by component with FindEntry. *resolved holds the
// components found so far, then the rest as written.
Lookup ResolveComponents(const std::string& path, std::string* resolved) {
  resolved->clear();
  size_t pos = 0;
  if (!path.empty() && path[0] == '/') {
    *resolved = "/";
    pos = 1;
  }
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    bool last = slash == std::string::npos;
    std::string part = path.substr(pos, last ? std::string::npos : slash - pos);
    if (part.empty()) {  // a doubled or trailing '/'
      if (!last) *resolved += '/';
      pos = last ? path.size() + 1 : slash + 1;
      continue;
    }
    std::string found;
    Lookup l = FindEntry(*resolved, part, &found);
    if (l != Lookup::kFound) {
      *resolved += path.substr(pos);
      return l;
    }
    *resolved += found;
    if (last) break;
    *resolved += '/';
    pos = slash + 1;
  }
  return Lookup::kFound;
}

}  // namespace

std::optional<std::string> ResolveIgnoringCase(const std::string& path) {
  std::string resolved;
  if (ResolveComponents(path, &resolved) != Lookup::kFound) return std::nullopt;
  return resolved;
}

std::string InputPathIgnoringCase(const std::string& path) {
  return ResolveIgnoringCase(path).value_or(path);
}

std::string OutputPathIgnoringCase(const std::string& path) {
  std::string resolved;
  switch (ResolveComponents(path, &resolved)) {
    case Lookup::kFound:
    case Lookup::kMissing:
      return resolved;
    case Lookup::kAmbiguous:
      break;
  }
  return path;
}

}  // namespace qel::platform
