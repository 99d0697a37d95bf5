// Test helpers of the revise window: an indexed file built with the
// indexed-file tool and a fixed-length sequential file of the same records,
// the main window offscreen, and the file settings dialog filled in and
// confirmed the way a user does it.
#ifndef QEL_REVISE_QELREVISE_TESTS_REVISE_GUI_FIXTURE_H_
#define QEL_REVISE_QELREVISE_TESTS_REVISE_GUI_FIXTURE_H_

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "gui/tests/gui_harness.h"
#include "revise/qelrevise/revise_frame.h"
#include "revise/tests/revise_fixture.h"

namespace qel::revise::gui::test {

// Records of CODE X(5), NAME X(6), QTY 9(3), NOTE X(7): 21 bytes.
inline constexpr int kRecordLength = 21;
std::string Record(const std::string& code, const std::string& name, const std::string& qty,
                   const std::string& note = "note");
std::vector<revise::test::Item> Layout();

class ReviseGuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Indexed file IDX (primary key CODE, alternate key NAME) with `records`;
  // returns the name typed into the data file field (IDX.kdf).
  std::string MakeIndexed(const std::string& records);
  // Sequential file SEQ.DAT with `records`; returns its name.
  std::string MakeSequential(const std::string& records);
  std::string Definition(const std::string& name, const std::string& fior);

  // Runs the file settings command and confirms the dialog with the names
  // typed in (and the item selection box when asked).
  void OpenWithDialog(const std::string& data, const std::string& definition,
                      bool item_selection = false);
  // Opens the indexed or the sequential file of three records.
  void OpenIndexed();
  void OpenSequential();

  // Types `text` into the key field (replacing it) and presses Display.
  void Display(const QString& text);
  // The list line of item `name` as shown.
  int Line(const QString& name) const;
  QString LineText(const QString& name) const;
  // Selects item `name` in the list, types `text` into the entry field.
  void Enter(const QString& name, const QString& text);
  // The message numbers of the boxes shown so far ("KVWN2009" ...).
  QStringList Shown() const;

  CQelreviseView& view() { return *frame_->view(); }

  revise::test::TempDir dir_;
  std::unique_ptr<qel::gui::testing::BoxRecorder> boxes_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace qel::revise::gui::test

#endif  // QEL_REVISE_QELREVISE_TESTS_REVISE_GUI_FIXTURE_H_
