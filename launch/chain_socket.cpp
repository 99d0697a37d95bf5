// Local sockets for the chain's window messages. Each message is a short
// connection, so that a dead or hung peer costs the sender nothing but a
// failed connect.
#include "launch/chain_socket.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qel::launch {

namespace {

constexpr size_t kMessageSize = 12;

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

bool SafeDirectory(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  if (::lstat(dir.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

void Put32(unsigned char* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t Get32(const unsigned char* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// Sockets of menus whose process has gone (killed, crashed) are removed, so
// that the directory does not fill up over a session.
void RemoveStaleSockets(const std::string& dir) {
  DIR* stream = ::opendir(dir.c_str());
  if (stream == nullptr) return;
  while (dirent* entry = ::readdir(stream)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::strtol(name.c_str(), nullptr, 10);
    if (pid > 0 && pid <= 0x7FFFFFFF && !ProcessExists(static_cast<pid_t>(pid)))
      ::unlinkat(::dirfd(stream), name.c_str(), 0);
  }
  ::closedir(stream);
}

}  // namespace

std::string ChainSocketDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string dir = runtime && *runtime ? std::string(runtime) + "/qelstart"
                                        : "/tmp/qelstart-" + std::to_string(::getuid());
  return SafeDirectory(dir) ? dir : std::string();
}

std::string ChainSocketPath(pid_t window) {
  const std::string dir = ChainSocketDirectory();
  return dir.empty() ? dir : dir + "/" + std::to_string(window);
}

bool ProcessExists(pid_t pid) {
  if (pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

bool SendChainMessage(pid_t window, uint32_t message, uint32_t wparam) {
  sockaddr_un address;
  if (window <= 0 || !MakeAddress(ChainSocketPath(window), address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  bool sent = false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    unsigned char bytes[kMessageSize];
    Put32(bytes, message);
    Put32(bytes + 4, wparam);
    Put32(bytes + 8, static_cast<uint32_t>(::getpid()));
    sent = ::send(fd, bytes, sizeof bytes, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof bytes);
  }
  ::close(fd);
  return sent;
}

ChainEndpoint::~ChainEndpoint() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
}

bool ChainEndpoint::Listen(pid_t window) {
  sockaddr_un address;
  const std::string path = ChainSocketPath(window);
  if (fd_ >= 0 || !MakeAddress(path, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  // A socket left by a dead process of the same id is stale.
  ::unlink(path.c_str());
  RemoveStaleSockets(path.substr(0, path.rfind('/')));
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 64) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

std::vector<ChainMessage> ChainEndpoint::Receive() {
  std::vector<ChainMessage> messages;
  if (fd_ < 0) return messages;
  for (;;) {
    const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0) break;
    unsigned char bytes[kMessageSize];
    size_t have = 0;
    while (have < kMessageSize) {
      pollfd p{peer, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) break;
      const ssize_t got = ::read(peer, bytes + have, kMessageSize - have);
      if (got <= 0) break;
      have += static_cast<size_t>(got);
    }
    ::close(peer);
    if (have == kMessageSize)
      messages.push_back({Get32(bytes), Get32(bytes + 4), Get32(bytes + 8)});
  }
  return messages;
}

}  // namespace qel::launch
