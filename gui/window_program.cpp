#include "gui/window_program.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

bool LoadToolkitTranslations() {
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  // qtbase holds the texts of the widgets and standard dialogs the programs
  // use.
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), dir) &&
      QCoreApplication::installTranslator(translator)) {
    return true;
  }
  delete translator;
  return false;
}

void InitWindowProgram() {
  QApplication::setFont(JapaneseFont());
  LoadToolkitTranslations();
  InstallUiHooks();
}

}  // namespace qel::gui
