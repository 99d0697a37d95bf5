// Start-up of a window program: the application object, the Japanese font,
// the toolkit's own texts in Japanese, the message-box presenter and the
// message pump. The program's own string
// table is registered by its generated table code before main runs.
#ifndef QEL_GUI_WINDOW_PROGRAM_H_
#define QEL_GUI_WINDOW_PROGRAM_H_

#include <QFont>

namespace qel::gui {

// The font for Japanese text: IPA Gothic when installed, else the default.
QFont JapaneseFont();

// Loads the toolkit's Japanese translations (the standard dialogs' labels
// and buttons) into the application; false when none is installed, and the
// toolkit then speaks English. Whatever the user's locale: the programs are
// Japanese throughout.
bool LoadToolkitTranslations();

// Sets the application font, loads the toolkit's translations and installs
// the UI hooks; call once, after the QApplication is made and before the
// first window is shown. It does not open the standard descriptors: main
// calls platform::EnsureStandardDescriptors() first, before the QApplication.
void InitWindowProgram();

}  // namespace qel::gui

#endif  // QEL_GUI_WINDOW_PROGRAM_H_
