// Window messages between the menus of a chain. A menu's window handle is its
// process id; each menu listens on a local socket named after it in a
// directory of its own user ("$XDG_RUNTIME_DIR/qelstart", else
// "/tmp/qelstart-<uid>", mode 0700, refused when another user owns it).
//
// A message is one connection carrying 12 bytes, little-endian:
//   0 4 message number   4 4 word parameter   8 4 sender's process id
// Sending never blocks: a peer that is gone (no socket, nobody listening) is
// reported at once, so that the caller can forget it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qel::launch {

// The messages of the chain.
inline constexpr uint32_t kMsgDisable = 2524;    // a menu of the chain waits
inline constexpr uint32_t kMsgEnable = 2525;     // the wait is over
inline constexpr uint32_t kMsgCloseAll = 2526;   // close with every menu started from it
inline constexpr uint32_t kMsgCloseWhenFree = 2527;  // close once no started menu runs
inline constexpr uint32_t kMsgToFront = 2528;    // bring the window to the front
inline constexpr uint32_t kMsgRegister = 2042;   // child to parent: the child's window
inline constexpr uint32_t kMsgOpenMenu = 2239;   // to itself: open the named menu

struct ChainMessage {
  uint32_t message = 0;
  uint32_t wparam = 0;
  uint32_t sender = 0;
};

// The per-user socket directory, created when missing; empty when it cannot
// be made safe.
std::string ChainSocketDirectory();
std::string ChainSocketPath(pid_t window);

// Sends one message to the menu `window`. False when the menu is not there.
bool SendChainMessage(pid_t window, uint32_t message, uint32_t wparam = 0);

// True while a process `pid` exists (zero time-out, nothing reaped).
bool ProcessExists(pid_t pid);

// The listening end of one menu. Move-less; closes and removes its socket in
// the destructor.
class ChainEndpoint {
 public:
  ChainEndpoint() = default;
  ~ChainEndpoint();
  ChainEndpoint(const ChainEndpoint&) = delete;
  ChainEndpoint& operator=(const ChainEndpoint&) = delete;

  // Listens as the menu `window` (the process id in a program). False on failure.
  bool Listen(pid_t window);
  int fd() const { return fd_; }
  // Every message that has arrived; never waits longer than a few
  // milliseconds for a connected sender's bytes.
  std::vector<ChainMessage> Receive();

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace qel::launch
