#include "gui/tests/gui_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <cstdlib>

#include "gui/box_presenter.h"
#include "gui/window_program.h"

namespace qel::gui::testing {

void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "gui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  InitWindowProgram();
}

BoxRecorder::BoxRecorder() {
  SetBoxObserver([this](QMessageBox& box) {
    boxes_.push_back({box.windowTitle(), box.text(), box.standardButtons(), box.icon(),
                      box.parent() != nullptr});
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    } else if (box.defaultButton() != nullptr) {
      answer = box.standardButton(box.defaultButton());
    }
    if (answer == QMessageBox::NoButton) {
      QTest::keyClick(&box, Qt::Key_Escape);
      if (box.isVisible()) box.reject();
      return;
    }
    QAbstractButton* button = box.button(answer);
    if (button == nullptr) {
      box.reject();  // the test asked for a button the box does not have
      return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
  });
}

BoxRecorder::~BoxRecorder() { SetBoxObserver({}); }

QString SaveScreenshot(QWidget& widget, const QString& name) {
  const QByteArray dir = qgetenv("QEL_SCREENSHOT_DIR");
  if (dir.isEmpty()) return {};
  QDir().mkpath(QString::fromLocal8Bit(dir));
  const QString path = QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + ".png";
  if (!widget.isVisible()) widget.show();
  QApplication::processEvents();
  return widget.grab().save(path) ? path : QString();
}

}  // namespace qel::gui::testing
