#include "gui/window_program.h"

#include <QApplication>
#include <QFontDatabase>

#include "gui/box_presenter.h"

namespace qel::gui {

QFont JapaneseFont() {
  const QStringList families = QFontDatabase::families();
  for (const char* name : {"IPAGothic", "IPAPGothic", "IPAゴシック"}) {
    if (families.contains(QString::fromUtf8(name))) {
      QFont font(QString::fromUtf8(name));
      font.setPointSize(10);
      return font;
    }
  }
  return QApplication::font();
}

void InitWindowProgram() {
  QApplication::setFont(JapaneseFont());
  InstallUiHooks();
}

}  // namespace qel::gui
