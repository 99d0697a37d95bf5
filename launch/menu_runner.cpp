// Run mode of a menu. Everything that concerns another process is polled or
// sent without waiting, so that a hung or dead neighbour never blocks this one.
#include "launch/menu_runner.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "launch/launcher_texts.h"
#include "launch/process_start.h"

namespace qel::launch {

MenuRunner::MenuRunner(RunHost& host, LauncherState state)
    : host_(host), state_(std::move(state)) {
  if (state_.root_window == 0) state_.root_window = state_.own_window;
}

MenuRunner::~MenuRunner() {
  // Blocks of children that still run stay until they end: the children
  // mapped them long ago, so only the names go.
  for (auto& [object, run] : runs_) run.block.Forget();
}

void MenuRunner::Reset() {
  for (auto& [object, run] : runs_) run.block.Forget();
  runs_.clear();
  waiting_run_ = nullptr;
}

void MenuRunner::Press(const CLCNObject& object) {
  if (waiting_) {
    host_.ShowText(kTextWaiting);
    return;
  }
  if (object.Kind() == ObjectKind::kButton &&
      (static_cast<const CLCNButton&>(object).functions & CLCNButton::kEndButton)) {
    PressEnd();
    return;
  }
  ObjectRun& run = runs_[&object];
  if (run.child_process != 0) {
    if (ChildRunning(run.child_process)) {
      SendChainMessage(run.child_window ? run.child_window : run.child_process, kMsgToFront);
      return;
    }
    ForgetChild(run);
  }
  if (run.program != 0) {
    if (ChildRunning(run.program)) return;
    run.program = 0;
  }
  Start(object, run);
}

void MenuRunner::PressEnd() {
  if (RequestClose()) {
    close_approved_ = true;
    host_.CloseWindow();
  }
}

bool MenuRunner::RequestClose() {
  if (close_approved_) return true;
  if (waiting_) {
    host_.ShowText(kTextWaiting);
    return false;
  }
  if (closing_) return false;
  if (AnyChildRunning()) {
    if (host_.ConfirmCloseAll()) CloseChain();
    return false;
  }
  return true;
}

void MenuRunner::Start(const CLCNObject& object, ObjectRun& run) {
  std::string program, parameters;
  uint32_t functions = 0;
  if (object.Kind() == ObjectKind::kButton) {
    const auto& button = static_cast<const CLCNButton&>(object);
    program = button.program;
    parameters = button.parameters;
    functions = button.functions;
  } else if (object.Kind() == ObjectKind::kXIcon) {
    const auto& icon = static_cast<const CLCNXIcon&>(object);
    program = icon.program;
    parameters = icon.parameters;
    functions = icon.functions;
  } else {
    return;
  }
  const std::string launcher = state_.launcher_path;
  program = ResolveProgram(program, state_.menu_dir,
                           launcher.substr(0, launcher.find_last_of('/') + 1));
  const StartKind kind = ClassifyProgram(program);
  if (kind == StartKind::kMenu) {
    StartChildMenu(program, run);
    return;
  }
  if (kind == StartKind::kPanoplyBatch) {
    host_.ShowText(kTextPanoplyMissing, program);
    return;
  }
  StartResult result;
  struct stat st;
  if (kind == StartKind::kDocument && ::stat(program.c_str(), &st) != 0) {
    // The association of a missing document cannot be looked up.
    result = StartFailure(errno, program);
  } else {
    result = SpawnProcess(ProgramArguments(kind, program, parameters));
  }
  if (!result.ok()) {
    ShowStartFailure(result.code, result.raw_error);
    return;
  }
  // The iconise flag has no meaning for a program started here: its windows
  // are its own.
  if (functions & CLCNButton::kWaitForEnd) {
    BeginWait(run, result.pid);
  } else {
    unwaited_.push_back(result.pid);
  }
}

void MenuRunner::StartChildMenu(const std::string& path, ObjectRun& run) {
  StartBlockFields fields;
  fields.manager_value = state_.manager_value;
  fields.parent_window = static_cast<uint32_t>(state_.own_window);
  fields.menu_path = path;
  fields.mode = kModeRun;
  fields.root_window = static_cast<uint32_t>(state_.root_window);
  if (path.size() >= kStartBlockPathSize || !run.block.Create(fields)) {
    host_.ShowText(kTextTempFileFailed);
    return;
  }
  const StartResult result = SpawnProcess({state_.launcher_path, "/I", run.block.name()});
  if (!result.ok()) {
    run.block.Forget();
    ShowStartFailure(result.code, result.raw_error);
    return;
  }
  // The wait flag does not apply to a child menu: the chain-wide disable
  // would also lock the menu waited for, and nobody could ever end it.
  run.child_process = result.pid;
  run.child_window = 0;
}

bool MenuRunner::ShowStartFailure(int code, int raw_error) {
  if (code == kUnmappedError) {
    host_.ShowText(kTextUnknownStartError, std::to_string(raw_error));
  } else {
    host_.ShowText(StartErrorText(code), std::to_string(code));
  }
  return false;
}

void MenuRunner::ForgetChild(ObjectRun& run) {
  run.block.Forget();
  run.child_process = 0;
  run.child_window = 0;
}

void MenuRunner::PressPfKey(size_t index) {
  if (document_ == nullptr || index >= document_->pf_keys.size()) return;
  if (waiting_) {
    host_.ShowText(kTextWaiting);
    return;
  }
  const auto& key = static_cast<const CLCNPfKey&>(*document_->pf_keys[index]);
  if (key.fixed_function == 0) {
    if (key.button_title.empty()) return;
    for (const auto& button : document_->buttons) {
      if (static_cast<const CLCNButton&>(*button).title == key.button_title) Press(*button);
    }
    return;
  }
  switch (key.function) {
    case CLCNPfKey::kEnd:
      PressEnd();
      break;
    case CLCNPfKey::kFirstScreen:
      if (state_.root_window == state_.own_window || !SendChainMessage(state_.root_window, kMsgToFront))
        host_.RaiseWindow();
      break;
    case CLCNPfKey::kPreviousScreen:
      if (state_.parent_window != 0 && !SendChainMessage(state_.parent_window, kMsgToFront))
        state_.parent_window = 0;  // the parent has gone: forget it
      break;
    case CLCNPfKey::kCommandLine:
      StartCommandLine();
      break;
    default:
      break;
  }
}

void MenuRunner::StartCommandLine() {
  StartResult result = StartFailure(ENOENT, "");
  for (const std::string& terminal : state_.terminals) {
    result = SpawnProcess({terminal});
    if (result.ok() || result.raw_error != ENOENT) break;
  }
  if (!result.ok()) {
    ShowStartFailure(result.code, result.raw_error);
    return;
  }
  unwaited_.push_back(result.pid);
}

void MenuRunner::EnterNumber(const std::string& typed) {
  const std::string text = typed.substr(0, 20);
  if (text.empty()) return;
  if (waiting_) {
    host_.ShowText(kTextWaiting);
    return;
  }
  const std::string digits = text.substr(0, text.find(' '));
  long number = 0;
  bool valid = !digits.empty();
  for (char c : digits) {
    if (c < '0' || c > '9') {
      valid = false;
      break;
    }
    number = number * 10 + (c - '0');
    if (number > 32767) {
      valid = false;
      break;
    }
  }
  if (!valid || number < 1) {
    host_.ShowText(kTextInvalidNumber);
    return;
  }
  if (document_ != nullptr) {
    for (const auto& button : document_->buttons) {
      if (static_cast<const CLCNButton&>(*button).menu_number == number) {
        Press(*button);
        return;
      }
    }
  }
  host_.ShowText(kTextNoSuchNumber);
}

void MenuRunner::BeginWait(ObjectRun& run, pid_t pid) {
  run.program = pid;
  waiting_run_ = &run;
  SetWaiting(true, 0);
  Broadcast(kMsgDisable, 0);
}

void MenuRunner::SetWaiting(bool waiting, pid_t origin) {
  wait_origin_ = origin;
  if (waiting_ == waiting) return;
  waiting_ = waiting;
  host_.WaitingChanged(waiting);
}

std::vector<pid_t> MenuRunner::RunningChildren() {
  std::vector<pid_t> windows;
  for (auto& [object, run] : runs_) {
    if (run.child_process == 0) continue;
    if (ChildRunning(run.child_process)) {
      windows.push_back(run.child_window ? run.child_window : run.child_process);
    } else {
      ForgetChild(run);
    }
  }
  return windows;
}

bool MenuRunner::AnyChildRunning() { return !RunningChildren().empty(); }

void MenuRunner::Broadcast(uint32_t message, pid_t except) {
  if (state_.parent_window != 0 && state_.parent_window != except)
    SendChainMessage(state_.parent_window, message);
  for (pid_t child : RunningChildren())
    if (child != except) SendChainMessage(child, message);
}

void MenuRunner::CloseChain() {
  for (pid_t child : RunningChildren()) SendChainMessage(child, kMsgCloseAll);
  closing_ = true;
  CheckClose();
}

void MenuRunner::CheckClose() {
  if (!closing_ || close_approved_) return;
  if (AnyChildRunning()) return;  // the next tick looks again (2527)
  close_approved_ = true;
  host_.CloseWindow();
}

void MenuRunner::RegisterChild(pid_t window) {
  // A child's window is its process, so a registration is matched to the
  // block of that process; two children starting at once cannot swap
  // blocks. The child read its block before registering: the name can go.
  for (auto& [object, run] : runs_) {
    if (run.block.valid() && run.child_process == window) {
      run.child_window = window;
      run.block.Claim();
      return;
    }
  }
  // Otherwise the first block not yet claimed, whose child may still be
  // about to map it.
  for (auto& [object, run] : runs_) {
    if (run.block.valid() && run.block.Unclaimed()) {
      run.child_window = window;
      run.block.Claim(false);
      return;
    }
  }
}

void MenuRunner::Deliver(const ChainMessage& message) {
  const pid_t sender = static_cast<pid_t>(message.sender);
  switch (message.message) {
    case kMsgDisable:
      if (!waiting_) {
        SetWaiting(true, sender);
        Broadcast(kMsgDisable, sender);
      }
      break;
    case kMsgEnable:
      // A menu that waits for its own program stays disabled.
      if (waiting_ && waiting_run_ == nullptr) {
        SetWaiting(false, 0);
        Broadcast(kMsgEnable, sender);
      }
      break;
    case kMsgCloseAll:
      CloseChain();
      break;
    case kMsgCloseWhenFree:
      closing_ = true;
      CheckClose();
      break;
    case kMsgToFront:
      host_.RaiseWindow();
      break;
    case kMsgRegister:
      RegisterChild(static_cast<pid_t>(message.wparam));
      break;
    default:
      break;
  }
}

void MenuRunner::Tick() {
  for (auto it = unwaited_.begin(); it != unwaited_.end();)
    it = ChildRunning(*it) ? it + 1 : unwaited_.erase(it);
  if (waiting_run_ != nullptr) {
    if (!ChildRunning(waiting_run_->program)) {
      waiting_run_->program = 0;
      waiting_run_ = nullptr;
      SetWaiting(false, 0);
      Broadcast(kMsgEnable, 0);
    }
  } else if (waiting_ && wait_origin_ != 0 && !ProcessExists(wait_origin_)) {
    // The neighbour that disabled this menu died without enabling it.
    const pid_t origin = wait_origin_;
    SetWaiting(false, 0);
    Broadcast(kMsgEnable, origin);
  }
  if (state_.parent_window != 0 && !ProcessExists(state_.parent_window)) state_.parent_window = 0;
  CheckClose();
}

}  // namespace qel::launch
