// Start-up of a window program: the application object, the Japanese font,
// the message-box presenter and the message pump. The program's own string
// table is registered by its generated table code before main runs.
#ifndef QEL_GUI_WINDOW_PROGRAM_H_
#define QEL_GUI_WINDOW_PROGRAM_H_

#include <QFont>

namespace qel::gui {

// The font for Japanese text: IPA Gothic when installed, else the default.
QFont JapaneseFont();

// Sets the application font and installs the UI hooks; call once, after the
// QApplication is made and before the first window is shown. It does not
// open the standard descriptors: main calls
// platform::EnsureStandardDescriptors() first, before the QApplication.
void InitWindowProgram();

}  // namespace qel::gui

#endif  // QEL_GUI_WINDOW_PROGRAM_H_
