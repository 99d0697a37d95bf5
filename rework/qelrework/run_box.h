// The "実行中インフォメーション" box and the running of a procedure behind it.
//
// runWithInfoBox runs the run loop on a worker thread while the GUI thread
// keeps its event loop: the window repaints, message boxes asked for by the
// worker are shown on the GUI thread by the box presenter, a timer shows the
// records read and written a few times per second, and the box's cancel
// button asks the loop to stop before its next record. The main window is
// disabled for the whole run.
#ifndef QEL_REWORK_QELREWORK_RUN_BOX_H_
#define QEL_REWORK_QELREWORK_RUN_BOX_H_

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <string>

#include "rework/execution.h"
#include "rework/qelrework/zovoz_editor.h"

namespace qel::rework::gui {

class CRunInfoDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CRunInfoDlg(QWidget* parent = nullptr);
  void showCounts(long long read, long long written);
  QString countText() const { return m_counts->text(); }
  QPushButton* cancelButton() const { return m_cancel; }

 signals:
  void cancelRequested();

 protected:
  // Escape and the close box ask for the cancel like the button.
  void reject() override { emit cancelRequested(); }

 private:
  QLabel* m_counts;
  QPushButton* m_cancel;
};

inline constexpr int kCountRefreshMs = 200;

// Runs `run` with the box shown and `main_window` (may be null) disabled;
// answers the run's result. One run at a time: a second call while one
// runs answers kRunCancelled without running.
int runWithInfoBox(QWidget* main_window, CKREXDoc& run);
bool runInProgress();

// Called with the box once it is on screen (tests); empty: none.
void setRunInfoObserver(std::function<void(CRunInfoDlg&)> observer);

// The windowless run of "/f": reads the procedure with the form its file
// decides, checks it, runs it behind the box and shows the counts
// (KRWN2052); 0 after a completed run, 1 otherwise.
int runWindowless(const std::string& path);

}  // namespace qel::rework::gui

#endif  // QEL_REWORK_QELREWORK_RUN_BOX_H_
