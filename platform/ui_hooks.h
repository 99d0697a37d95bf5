// The two hooks a window program installs at start: the message-box presenter
// and "dispatch one pending window message". Console programs and tests
// install none.
#ifndef QEL_PLATFORM_UI_HOOKS_H_
#define QEL_PLATFORM_UI_HOOKS_H_

#include <string_view>

#include "platform/export.h"

namespace qel::platform {

enum class BoxButtons { kOk, kRetryCancel, kYesNoCancel, kOkCancel };
enum class BoxIcon { kInformation, kExclamation, kQuestion, kStop };

// Button codes, as Windows numbers them.
inline constexpr int kButtonOk = 1;
inline constexpr int kButtonCancel = 2;
inline constexpr int kButtonRetry = 4;
inline constexpr int kButtonYes = 6;
inline constexpr int kButtonNo = 7;

// Shows a modal box; caption and text are CP932. Returns the button code.
using BoxPresenter = int (*)(std::string_view caption, std::string_view text, BoxButtons buttons,
                             BoxIcon icon);

QEL_PLATFORM_EXPORT void SetBoxPresenter(BoxPresenter presenter);

// Shows a box through the installed presenter. Without one, writes
// "[caption] text" to standard error (display rule of cp932.h) and answers
// with the first button of the set, or with the code named by
// QELLAR_BOX_ANSWER ("1", "2", "4", "6", "7") when it is one of the set's.
QEL_PLATFORM_EXPORT int ShowBox(std::string_view caption, std::string_view text, BoxButtons buttons,
                                BoxIcon icon);

using MessagePump = void (*)();

QEL_PLATFORM_EXPORT void SetMessagePump(MessagePump pump);

// Dispatches one pending window message when a pump is installed; nothing
// otherwise. Cheap enough to call once per record.
QEL_PLATFORM_EXPORT void PumpOneMessage();

// Called before a message line goes to the console (standard output, or
// standard error for a box without a presenter), so that a progress line
// drawn on the terminal is cleared first. Console programs showing progress
// install it; nothing is called otherwise.
using ConsoleLineHook = void (*)();

QEL_PLATFORM_EXPORT void SetConsoleLineHook(ConsoleLineHook hook);
QEL_PLATFORM_EXPORT void BeforeConsoleLine();

}  // namespace qel::platform

#endif  // QEL_PLATFORM_UI_HOOKS_H_
