// The message boxes and the message pump of a window program.
//
// InstallUiHooks() hands the platform layer a presenter that shows every box
// the libraries ask for (KMSOErrmsgout, the log-file error boxes) as a modal
// QMessageBox owned by the active window, and a pump that lets the event
// loop run while a long conversion calls PumpOneMessage() once per record.
//
// Threads: a box asked for from a worker thread is shown on the GUI thread
// (the worker waits for the answer); the pump does nothing off the GUI
// thread, where the event loop already runs by itself.
#ifndef QEL_GUI_BOX_PRESENTER_H_
#define QEL_GUI_BOX_PRESENTER_H_

#include <QMessageBox>
#include <functional>
#include <string_view>

#include "platform/ui_hooks.h"

namespace qel::gui {

void InstallUiHooks();
void RemoveUiHooks();

// The box for a set of buttons and an icon, ready to exec().
QMessageBox::StandardButtons ButtonsOf(platform::BoxButtons buttons);
QMessageBox::Icon IconOf(platform::BoxIcon icon);

// The code the platform layer answers with for the button pressed; a box
// closed without a button (Escape, the close box) answers Cancel where the
// set has one and OK otherwise.
int ButtonCode(QMessageBox::StandardButton pressed, platform::BoxButtons buttons);

// The presenter itself (CP932 caption and text).
int PresentBox(std::string_view caption, std::string_view text, platform::BoxButtons buttons,
               platform::BoxIcon icon);

// Called with every box once it is on screen, before the user can answer
// (tests record it and press a button). Empty: none.
using BoxObserver = std::function<void(QMessageBox& box)>;
void SetBoxObserver(BoxObserver observer);

// The pump: lets queued events run, at most every few milliseconds so that
// calling it per record stays cheap; nothing off the GUI thread.
void PumpEvents();

}  // namespace qel::gui

#endif  // QEL_GUI_BOX_PRESENTER_H_
