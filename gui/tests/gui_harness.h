// Test harness for the window programs: an offscreen QApplication shared by
// every test of the process, and a recorder of the boxes shown that answers
// each with a chosen button.
#ifndef QEL_GUI_TESTS_GUI_HARNESS_H_
#define QEL_GUI_TESTS_GUI_HARNESS_H_

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <deque>
#include <vector>

namespace qel::gui::testing {

// The application (made on first use, offscreen unless the environment
// names a platform), with the window program's start-up done.
void EnsureApplication();

struct ShownBox {
  QString caption;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::Icon icon;
  bool had_parent;
};

// While alive, records every box and presses the next queued answer (the
// box's default button when none is queued).
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  void Answer(QMessageBox::StandardButton button) { answers_.push_back(button); }
  void CloseWithEscape() { answers_.push_back(QMessageBox::NoButton); }
  const std::vector<ShownBox>& boxes() const { return boxes_; }

 private:
  std::deque<QMessageBox::StandardButton> answers_;
  std::vector<ShownBox> boxes_;
};

// Writes a picture of `widget` into the screenshot folder named by
// QEL_SCREENSHOT_DIR (nothing when unset); returns the file written.
QString SaveScreenshot(QWidget& widget, const QString& name);

}  // namespace qel::gui::testing

#endif  // QEL_GUI_TESTS_GUI_HARNESS_H_
