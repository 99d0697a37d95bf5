// The box presenter and the message pump, with the console default used by
// the batch programs and the tests.
#include "platform/ui_hooks.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cp932.h"

namespace qel::platform {
namespace {

std::atomic<BoxPresenter> presenter{nullptr};
std::atomic<MessagePump> pump{nullptr};
std::atomic<ConsoleLineHook> console_line_hook{nullptr};

bool InSet(int code, BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
      return code == kButtonOk;
    case BoxButtons::kRetryCancel:
      return code == kButtonRetry || code == kButtonCancel;
    case BoxButtons::kYesNoCancel:
      return code == kButtonYes || code == kButtonNo || code == kButtonCancel;
    case BoxButtons::kOkCancel:
      return code == kButtonOk || code == kButtonCancel;
  }
  return false;
}

int FirstButton(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
      return kButtonOk;
    case BoxButtons::kRetryCancel:
      return kButtonRetry;
    case BoxButtons::kYesNoCancel:
      return kButtonYes;
    case BoxButtons::kOkCancel:
      return kButtonOk;
  }
  return kButtonOk;
}

int ConsoleBox(std::string_view caption, std::string_view text, BoxButtons buttons) {
  BeforeConsoleLine();
  std::string line = "[" + ForConsole(caption) + "] " + ForConsole(text) + "\n";
  // One write, so that boxes of concurrent threads do not interleave.
  size_t off = 0;
  while (off < line.size()) {
    ssize_t n = ::write(STDERR_FILENO, line.data() + off, line.size() - off);
    if (n <= 0) break;
    off += static_cast<size_t>(n);
  }
  if (const char* answer = std::getenv("QELLAR_BOX_ANSWER")) {
    char* end = nullptr;
    long code = std::strtol(answer, &end, 10);
    if (end != answer && *end == '\0' && InSet(static_cast<int>(code), buttons)) {
      return static_cast<int>(code);
    }
  }
  return FirstButton(buttons);
}

}  // namespace

void SetBoxPresenter(BoxPresenter p) { presenter.store(p); }

int ShowBox(std::string_view caption, std::string_view text, BoxButtons buttons, BoxIcon icon) {
  if (BoxPresenter p = presenter.load()) return p(caption, text, buttons, icon);
  return ConsoleBox(caption, text, buttons);
}

void SetMessagePump(MessagePump p) { pump.store(p); }

void PumpOneMessage() {
  if (MessagePump p = pump.load(std::memory_order_relaxed)) p();
}

void SetConsoleLineHook(ConsoleLineHook hook) { console_line_hook.store(hook); }

void BeforeConsoleLine() {
  if (ConsoleLineHook hook = console_line_hook.load()) hook();
}

}  // namespace qel::platform
