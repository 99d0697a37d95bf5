// The information box of a running conversion. The drivers count records in
// an atomic counter and never touch a widget, so the box polls the counter
// instead of being told about every record.
#include "xform/qelxform/run_info.h"

#include <QEventLoop>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

#include "gui/qt_text.h"
#include "xform/qelxform/xform_texts.h"

namespace qel::xform::gui {
namespace {

std::atomic<bool> running{false};
std::function<void(CRunInfoDlg&)> run_info_observer;

}  // namespace

CRunInfoDlg::CRunInfoDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("runInfo"));
  setWindowTitle(qel::gui::ProgramText(kTextRunInfoCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(qel::gui::ProgramText(kTextRunInfoText), this);
  text->setAlignment(Qt::AlignCenter);
  m_count = new QLabel(this);
  m_count->setObjectName(QStringLiteral("count"));
  m_count->setAlignment(Qt::AlignCenter);
  layout->addWidget(text);
  layout->addWidget(m_count);
  setMinimumWidth(260);
  // Room for a count of ten digits from the start, so that the box never
  // cuts it off as it grows while it is shown.
  ShowCount(9999999999ULL);
  m_count->setMinimumWidth(m_count->sizeHint().width());
  ShowCount(0);
}

void CRunInfoDlg::ShowCount(std::uint64_t records) {
  QString text = qel::gui::ProgramText(kTextRunInfoCount);
  text.replace(QStringLiteral("%s"), QString::number(records));
  m_count->setText(text);
}

bool ConversionRunning() { return running.load(); }

void SetRunInfoObserver(std::function<void(CRunInfoDlg&)> observer) {
  run_info_observer = std::move(observer);
}

int RunWithInfoBox(QWidget* main_window, const std::function<int(const DriverContext&)>& work) {
  if (running.exchange(true)) return kDriverFailed;
  std::atomic<std::uint64_t> records{0};
  const DriverContext context{MessageOutput::kBox, &records, nullptr};

  // A window of its own, so that disabling the main window leaves it alone.
  CRunInfoDlg box;
  box.setWindowModality(Qt::ApplicationModal);
  if (main_window != nullptr) main_window->setEnabled(false);
  box.show();
  if (run_info_observer) run_info_observer(box);

  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &box,
                   [&box, &records] { box.ShowCount(records.load()); });
  timer.start(kCountRefreshMs);

  QEventLoop loop;
  int result = kDriverFailed;
  // The quit is queued, so it also ends the loop when the driver is done
  // before the loop starts.
  std::thread worker([&] {
    result = work(context);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();

  timer.stop();
  box.ShowCount(records.load());
  box.hide();
  if (main_window != nullptr) main_window->setEnabled(true);
  running.store(false);
  return result;
}

}  // namespace qel::xform::gui
