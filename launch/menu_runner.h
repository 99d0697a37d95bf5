// Run mode of a menu, without a window: pressing buttons, icons and PF keys,
// the menu-number input, the wait for a program, the chain of menus kept over
// processes, and closing. A window (the host) shows what the runner asks for
// and calls Tick() every 500 ms and Deliver() for every window message.
//
// The chain: every menu knows its parent window and the root window (process
// ids), and for each button or icon that started a child menu the child's
// process and, once registered (2042), its window. A menu that waits for a
// program sends 2524 to its parent and its running children, which forward
// it the same way, so the whole chain is disabled; 2525 enables it again. A
// menu disabled by a neighbour that has died since enables itself, so a dead
// menu never leaves the chain disabled. Processes are only polled.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "launch/chain_socket.h"
#include "launch/menu_document.h"
#include "launch/start_block.h"

namespace qel::launch {

// What the runner asks of its window.
class RunHost {
 public:
  virtual ~RunHost() = default;
  // A box with launcher text `text_id`; `insert` fills its "%s" or "%u".
  virtual void ShowText(int text_id, const std::string& insert = {}) = 0;
  // The end dialog (OK and Cancel); true for OK.
  virtual bool ConfirmCloseAll() = 0;
  // Closes the window for good (the runner has agreed to it).
  virtual void CloseWindow() = 0;
  virtual void RaiseWindow() = 0;
  virtual void WaitingChanged(bool waiting) = 0;
};

// The application state of one launcher process.
struct LauncherState {
  uint32_t manager_value = 0;
  pid_t parent_window = 0;  // none for the root
  pid_t own_window = 0;
  pid_t root_window = 0;    // the root itself: its own window
  // The program started for child menus and the command-line terminals.
  std::string launcher_path;
  // The open menu's directory: relative program names are found there too.
  std::string menu_dir;
  std::vector<std::string> terminals = {"x-terminal-emulator", "xterm"};
};

class MenuRunner {
 public:
  MenuRunner(RunHost& host, LauncherState state);
  ~MenuRunner();
  MenuRunner(const MenuRunner&) = delete;
  MenuRunner& operator=(const MenuRunner&) = delete;

  // Forgets every started object (call before the document is replaced;
  // REQUIRES: not waiting and no child menu running).
  void Reset();
  // The document to run; null when none is open. Not owned.
  void SetDocument(const CQelstartDoc* document) { document_ = document; }
  void SetMenuDirectory(std::string dir) { state_.menu_dir = std::move(dir); }
  const LauncherState& state() const { return state_; }

  // A button or icon of the document was pressed.
  void Press(const CLCNObject& object);
  // F1..F12: `index` 0..11 names the PF-key object in list order.
  void PressPfKey(size_t index);
  // Enter in the input area with what was typed (CP932).
  void EnterNumber(const std::string& text);

  // The user asks to close (window close, end button, PF end). True when the
  // window may close now; otherwise the runner has shown what it had to and
  // closes the window itself later if the chain closes.
  bool RequestClose();
  // True once the runner has called CloseWindow().
  bool close_approved() const { return close_approved_; }

  // A window message of the chain.
  void Deliver(const ChainMessage& message);
  // The 500 ms poll: the waited program, dead neighbours, a pending close.
  void Tick();

  bool waiting() const { return waiting_; }
  // True while a child menu started from this one runs.
  bool AnyChildRunning();
  // Child menus started from this menu that still run (their windows).
  std::vector<pid_t> RunningChildren();

 private:
  struct ObjectRun {
    StartBlock block;
    pid_t child_process = 0;
    pid_t child_window = 0;
    pid_t program = 0;  // a program this menu waits for
  };

  void PressEnd();
  void Start(const CLCNObject& object, ObjectRun& run);
  void StartChildMenu(const std::string& path, ObjectRun& run);
  void StartCommandLine();
  bool ShowStartFailure(int code, int raw_error);
  void ForgetChild(ObjectRun& run);
  void BeginWait(ObjectRun& run, pid_t pid);
  void SetWaiting(bool waiting, pid_t origin);
  void Broadcast(uint32_t message, pid_t except);
  void CloseChain();
  void CheckClose();
  void RegisterChild(pid_t window);

  RunHost& host_;
  LauncherState state_;
  const CQelstartDoc* document_ = nullptr;
  std::map<const CLCNObject*, ObjectRun> runs_;
  std::vector<pid_t> unwaited_;  // started programs, reaped when they end
  bool waiting_ = false;
  pid_t wait_origin_ = 0;        // the neighbour whose 2524 disabled this menu
  ObjectRun* waiting_run_ = nullptr;
  bool closing_ = false;
  bool close_approved_ = false;
};

}  // namespace qel::launch
