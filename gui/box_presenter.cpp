#include "gui/box_presenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <mutex>

#include "gui/qt_text.h"

namespace qel::gui {
namespace {

std::mutex observer_mutex;
BoxObserver box_observer;

BoxObserver CurrentObserver() {
  std::lock_guard lock(observer_mutex);
  return box_observer;
}

int PresentOnGuiThread(const QString& caption, const QString& text, platform::BoxButtons buttons,
                       platform::BoxIcon icon) {
  QMessageBox box(IconOf(icon), caption, text, ButtonsOf(buttons), QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  if (BoxObserver observer = CurrentObserver()) {
    QTimer::singleShot(0, &box, [&box, observer] { observer(box); });
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  const QMessageBox::StandardButton pressed =
      clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
  return ButtonCode(pressed, buttons);
}

}  // namespace

QMessageBox::StandardButtons ButtonsOf(platform::BoxButtons buttons) {
  switch (buttons) {
    case platform::BoxButtons::kRetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
    case platform::BoxButtons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case platform::BoxButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case platform::BoxButtons::kOk:
      break;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(platform::BoxIcon icon) {
  switch (icon) {
    case platform::BoxIcon::kInformation:
      return QMessageBox::Information;
    case platform::BoxIcon::kExclamation:
      return QMessageBox::Warning;
    case platform::BoxIcon::kQuestion:
      return QMessageBox::Question;
    case platform::BoxIcon::kStop:
      break;
  }
  return QMessageBox::Critical;
}

int ButtonCode(QMessageBox::StandardButton pressed, platform::BoxButtons buttons) {
  switch (pressed) {
    case QMessageBox::Ok:
      return platform::kButtonOk;
    case QMessageBox::Cancel:
      return platform::kButtonCancel;
    case QMessageBox::Retry:
      return platform::kButtonRetry;
    case QMessageBox::Yes:
      return platform::kButtonYes;
    case QMessageBox::No:
      return platform::kButtonNo;
    default:
      break;
  }
  return buttons == platform::BoxButtons::kOk ? platform::kButtonOk : platform::kButtonCancel;
}

int PresentBox(std::string_view caption, std::string_view text, platform::BoxButtons buttons,
               platform::BoxIcon icon) {
  const QString q_caption = FromCp932(caption);
  const QString q_text = FromCp932(text);
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return ButtonCode(QMessageBox::NoButton, buttons);
  if (QThread::currentThread() == app->thread()) {
    return PresentOnGuiThread(q_caption, q_text, buttons, icon);
  }
  int answer = ButtonCode(QMessageBox::NoButton, buttons);
  QMetaObject::invokeMethod(
      app, [&] { answer = PresentOnGuiThread(q_caption, q_text, buttons, icon); },
      Qt::BlockingQueuedConnection);
  return answer;
}

void SetBoxObserver(BoxObserver observer) {
  std::lock_guard lock(observer_mutex);
  box_observer = std::move(observer);
}

void PumpEvents() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) return;
  using Clock = std::chrono::steady_clock;
  static Clock::time_point last;
  const Clock::time_point now = Clock::now();
  if (now - last < std::chrono::milliseconds(15)) return;
  last = now;
  QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void InstallUiHooks() {
  platform::SetBoxPresenter(&PresentBox);
  platform::SetMessagePump(&PumpEvents);
}

void RemoveUiHooks() {
  platform::SetBoxPresenter(nullptr);
  platform::SetMessagePump(nullptr);
}

}  // namespace qel::gui
