// The information box of a run. The run loop counts records in atomics and
// never touches a widget, so the box polls the counts instead of being told
// about every record.
#include "rework/qelrework/run_box.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

#include "gui/qt_text.h"
#include "rework/qelrework/rework_dialogs.h"
#include "rework/qelrework/rework_texts.h"

namespace qel::rework::gui {

namespace {

using qel::gui::ProgramText;

std::atomic<bool> running{false};
std::function<void(CRunInfoDlg&)> run_info_observer;

}  // namespace

CRunInfoDlg::CRunInfoDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("runInfo"));
  setWindowTitle(ProgramText(kTextRunInfoTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* text = new QLabel(ProgramText(kTextRunInfoText), this);
  text->setAlignment(Qt::AlignCenter);
  QFont big = text->font();
  big.setPointSize(big.pointSize() + 4);
  text->setFont(big);
  m_counts = new QLabel(this);
  m_counts->setObjectName(QStringLiteral("counts"));
  m_counts->setAlignment(Qt::AlignCenter);
  m_cancel = new QPushButton(ProgramText(kTextCancel), this);
  m_cancel->setDefault(true);
  connect(m_cancel, &QPushButton::clicked, this, &CRunInfoDlg::cancelRequested);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(m_cancel);
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(m_counts);
  layout->addLayout(row);
  setMinimumWidth(320);
  // Room for counts of ten digits from the start, so that the box never
  // cuts them off as they grow while it is shown.
  showCounts(9999999999LL, 9999999999LL);
  m_counts->setMinimumWidth(m_counts->sizeHint().width());
  showCounts(0, 0);
}

void CRunInfoDlg::showCounts(long long read, long long written) {
  QString text = ProgramText(kTextRunInfoCounts);
  text.replace(text.indexOf(QStringLiteral("%s")), 2, QString::number(read));
  text.replace(text.indexOf(QStringLiteral("%s")), 2, QString::number(written));
  m_counts->setText(text);
}

bool runInProgress() { return running.load(); }

void setRunInfoObserver(std::function<void(CRunInfoDlg&)> observer) {
  run_info_observer = std::move(observer);
}

int runWithInfoBox(QWidget* main_window, CKREXDoc& run) {
  if (running.exchange(true)) return kRunCancelled;
  CRunInfoDlg box;
  box.setWindowModality(Qt::ApplicationModal);
  QObject::connect(&box, &CRunInfoDlg::cancelRequested, &box, [&run, &box] {
    run.RequestCancel();
    box.cancelButton()->setEnabled(false);
  });
  if (main_window != nullptr) main_window->setEnabled(false);
  box.show();
  if (run_info_observer) run_info_observer(box);

  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &box, [&box, &run] {
    box.showCounts(run.records_read(), run.records_written());
  });
  timer.start(kCountRefreshMs);

  QEventLoop loop;
  int result = kRunCancelled;
  // The quit is queued, so it also ends the loop when the run is over
  // before the loop starts.
  std::thread worker([&] {
    result = run.Run();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();

  timer.stop();
  box.showCounts(run.records_read(), run.records_written());
  box.hide();
  if (main_window != nullptr) main_window->setEnabled(true);
  running.store(false);
  return result;
}

int runWindowless(const std::string& path) {
  ZovozEditor editor(kFormEdit);
  Answer a = editor.OpenProcedureForRun(path);
  if (!a.ok()) {
    showAnswer(a);
    return 1;
  }
  a = editor.PrepareRun(true);
  if (!a.ok()) {
    showAnswer(a);
    editor.CloseAll();
    return 1;
  }
  editor.doc().procedure_path = path;
  CKREXDoc run(&editor.doc(), &editor.engine());
  const int result = runWithInfoBox(nullptr, run);
  Answer close_failure;
  showAnswer(editor.FinishRun(run, result, &close_failure));
  showAnswer(close_failure);
  const Answer closed = editor.CloseAll();
  showAnswer(closed);
  return result == 0 && close_failure.ok() && closed.ok() ? 0 : 1;
}

}  // namespace qel::rework::gui
