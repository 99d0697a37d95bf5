// The revise window on files a COBOL program compiled here wrote: the
// indexed file with its key file and the fixed-length sequential file are
// opened through the file settings dialog, fetched by both keys and by
// record number, stepped to both ends, and records are rewritten, deleted
// and added with the form's buttons. A second COBOL program then reads both
// files and the test compares what it shows.
#include <stdlib.h>

#include <QTest>

#include "revise/qelrevise/tests/revise_gui_fixture.h"

namespace qel::revise::gui::test {
namespace {

using revise::test::At;

// The COBOL record: CODE X(5), NAME X(6), QTY 9(3), AMT S9(3)V99 COMP-3,
// NOTE X(7).
std::vector<revise::test::Item> CobolLayout() {
  return {At("01", "IT-REC", "G", "0", 0),    At("05", "IT-CODE", "X", "5", 0),
          At("05", "IT-NAME", "X", "6", 5),   At("05", "IT-QTY", "9", "3", 11),
          At("05", "IT-AMT", "P", "3.2", 14), At("05", "IT-NOTE", "X", "7", 17)};
}

class ReviseGuiCobolTest : public ReviseGuiTest {
 protected:
  void SetUp() override {
    if (std::system("command -v cobc > /dev/null 2>&1") != 0) GTEST_SKIP() << "cobc not installed";
    ReviseGuiTest::SetUp();
    ASSERT_TRUE(revise::test::CompileCobol(dir_, "write_items"));
    ASSERT_TRUE(revise::test::CompileCobol(dir_, "read_items"));
    revise::test::RunProgram(dir_, "write_items");
  }
  // Presses `button` and answers the key field's text.
  QString Press(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    return view().keyField()->text();
  }
  QString Trigger(QAction* action) {
    action->trigger();
    return view().keyField()->text();
  }
  bool Shows(const char* item, const char* value) {
    return LineText(QString::fromLatin1(item)).endsWith(QString::fromLatin1(value));
  }
  void ChooseKey(int index) {
    view().keyTypeBox()->setCurrentIndex(index);
    emit view().keyTypeBox()->activated(index);
  }
};

TEST_F(ReviseGuiCobolTest, FilesChangedInTheWindowReadBackInCobol) {
  CQelreviseView& v = view();
  dir_.Write("ITEMS.kdf", "RECSIZE 24\nKEY 0:5:CHAR\nKEY 5:6:CHAR\n");
  OpenWithDialog(dir_.path() + "/ITEMS.kdf",
                 revise::test::WriteDefinitions(dir_, "ITEMS", "VK", CobolLayout()));
  ASSERT_TRUE(frame_->document().is_open());

  Display(QStringLiteral("C0003"));
  EXPECT_TRUE(Shows("IT-NAME", "FIG   "));
  EXPECT_TRUE(Shows("IT-AMT", "0.75"));
  ChooseKey(1);
  Display(QStringLiteral("KIWI"));
  EXPECT_TRUE(Shows("IT-CODE", "C0004"));
  EXPECT_EQ(Trigger(frame_->firstRecordAction()), QStringLiteral("APPLE"));
  EXPECT_EQ(Press(v.previousButton()), QStringLiteral("APPLE"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC2692"));
  EXPECT_EQ(Trigger(frame_->lastRecordAction()), QStringLiteral("PEAR"));
  EXPECT_TRUE(Shows("IT-AMT", "-1.75"));
  EXPECT_EQ(Press(v.nextButton()), QStringLiteral("PEAR"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC2691"));
  EXPECT_EQ(Press(v.previousButton()), QStringLiteral("MANGO"));
  ChooseKey(0);
  EXPECT_EQ(Trigger(frame_->firstRecordAction()), QStringLiteral("C0001"));
  EXPECT_EQ(Trigger(frame_->lastRecordAction()), QStringLiteral("C0005"));
  EXPECT_EQ(Press(v.previousButton()), QStringLiteral("C0004"));

  Display(QStringLiteral("C0002"));
  Enter("IT-QTY", QStringLiteral("99"));
  Enter("IT-AMT", QStringLiteral("-12.5"));
  EXPECT_EQ(Press(v.registerButton()), QStringLiteral("C0002"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));
  Display(QStringLiteral("C0004"));
  boxes_->Answer(QMessageBox::Yes);
  QTest::mouseClick(v.deleteButton(), Qt::LeftButton);

  QTest::mouseClick(v.inputRadio(), Qt::LeftButton);
  QTest::keyClicks(v.keyField(), QStringLiteral("C0009"));
  Enter("IT-NAME", QStringLiteral("BANANA"));
  Enter("IT-QTY", QStringLiteral("7"));
  Enter("IT-AMT", QStringLiteral("4.1"));
  Enter("IT-NOTE", QStringLiteral("revise"));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));
  QTest::mouseClick(v.closeButton(), Qt::LeftButton);
  ASSERT_FALSE(frame_->document().is_open());

  QTest::mouseClick(v.updateRadio(), Qt::LeftButton);
  OpenWithDialog(dir_.path() + "/ITEMS.SEQ",
                 revise::test::WriteDefinitions(dir_, "SEQ", "S", CobolLayout()));
  ASSERT_TRUE(frame_->document().is_open());
  Display(QStringLiteral("1"));
  EXPECT_TRUE(Shows("IT-CODE", "C0005"));
  EXPECT_EQ(Press(v.previousButton()), QStringLiteral("1"));
  EXPECT_EQ(Trigger(frame_->lastRecordAction()), QStringLiteral("5"));
  EXPECT_EQ(Press(v.nextButton()), QStringLiteral("5"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC2691"));
  EXPECT_EQ(Press(v.previousButton()), QStringLiteral("4"));
  EXPECT_EQ(Trigger(frame_->firstRecordAction()), QStringLiteral("1"));
  EXPECT_EQ(Press(v.nextButton()), QStringLiteral("2"));
  EXPECT_TRUE(Shows("IT-NAME", "KIWI  "));
  Enter("IT-QTY", QStringLiteral("1"));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));

  QTest::mouseClick(v.inputRadio(), Qt::LeftButton);
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("6"));
  Enter("IT-CODE", QStringLiteral("C0010"));
  Enter("IT-NAME", QStringLiteral("PLUM"));
  EXPECT_EQ(Press(v.registerButton()), QStringLiteral("7"));
  frame_->close();
  ASSERT_FALSE(frame_->document().is_open());

  EXPECT_EQ(revise::test::RunProgram(dir_, "read_items"), revise::test::kRoundTripShown);
}

}  // namespace
}  // namespace qel::revise::gui::test
