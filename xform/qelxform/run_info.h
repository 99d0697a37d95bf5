// The "実行中インフォメーション" box and the running of a driver behind it.
//
// RunWithInfoBox runs the work on a worker thread while the GUI thread keeps
// its event loop: the window repaints, the driver's message boxes are shown
// on the GUI thread by the box presenter (the worker waits for the answer),
// and a timer shows the number of records converted so far a few times per
// second. The main window is disabled for the whole run.
#ifndef QEL_XFORM_QELXFORM_RUN_INFO_H_
#define QEL_XFORM_QELXFORM_RUN_INFO_H_

#include <QDialog>
#include <QLabel>
#include <cstdint>
#include <functional>

#include "xform/conversion_drivers.h"

namespace qel::xform::gui {

class CRunInfoDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CRunInfoDlg(QWidget* parent = nullptr);

  void ShowCount(std::uint64_t records);
  QString CountText() const { return m_count->text(); }

 protected:
  // The box cannot be closed by the user while the driver runs.
  void reject() override {}

 private:
  QLabel* m_count;
};

// How often the count is refreshed.
inline constexpr int kCountRefreshMs = 200;

// Runs `work` (a driver with the context given) on a worker thread with the
// box shown and `main_window` (may be null) disabled; answers work's result.
// One run at a time: a second call while one runs answers kDriverFailed
// without running anything.
int RunWithInfoBox(QWidget* main_window, const std::function<int(const DriverContext&)>& work);

// True while RunWithInfoBox runs.
bool ConversionRunning();

// Called with the box once it is on screen (tests); empty: none.
void SetRunInfoObserver(std::function<void(CRunInfoDlg&)> observer);

}  // namespace qel::xform::gui

#endif  // QEL_XFORM_QELXFORM_RUN_INFO_H_
