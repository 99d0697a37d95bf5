// The revise window offscreen: the frame's menus and caption, the form's
// control states through a file's life (sequential and indexed, update and
// input mode), values typed and refused, and closing the window with a file
// open.
#include "revise/qelrevise/revise_view.h"

#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include "revise/qelrevise/revise_dialogs.h"
#include "revise/qelrevise/tests/revise_gui_fixture.h"

namespace qel::revise::gui::test {
namespace {

QStringList Texts(const QList<QAction*>& actions) {
  QStringList texts;
  for (QAction* a : actions) {
    if (!a->isSeparator()) texts << a->text();
  }
  return texts;
}

using FrameTest = ReviseGuiTest;

TEST_F(FrameTest, MenusCaptionAndTheFormBeforeAFileIsOpen) {
  CMainFrame& frame = *frame_;
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("ファイル更新"));
  EXPECT_TRUE(frame.inherits("qel::gui::CMainFrame"));
  EXPECT_STREQ(frame.view()->metaObject()->className(), "qel::revise::gui::CQelreviseView");
  const QList<QAction*> menus = frame.menuBar()->actions();
  ASSERT_EQ(menus.size(), 5);
  EXPECT_EQ(
      Texts(menus[0]->menu()->actions()),
      (QStringList{"ファイルの設定(&O)...", "ファイルを閉じる(&C)", "ファイル更新の終了(&X)"}));
  EXPECT_EQ(Texts(menus[1]->menu()->actions()),
            (QStringList{"レコードの複写(&D)", "先頭データ表示(&T)", "最終データ表示(&L)"}));
  EXPECT_EQ(Texts(menus[3]->menu()->actions()), (QStringList{"特殊ｵﾌﾟｼｮﾝ(&U)..."}));
  EXPECT_EQ(Texts(menus[4]->menu()->actions()).last(), QStringLiteral("バージョン情報(&A)..."));
  EXPECT_EQ(frame.fileSettingsAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(frame.firstRecordAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
  EXPECT_EQ(frame.lastRecordAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
  EXPECT_EQ(frame.specialOptionsAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));

  // Reset: only the mode group works.
  CQelreviseView& v = view();
  EXPECT_TRUE(v.modeGroup()->isEnabled());
  EXPECT_TRUE(v.updateRadio()->isChecked());
  for (QWidget* w : std::initializer_list<QWidget*>{
           v.keyTypeBox(), v.keyListButton(), v.keyField(), v.displayButton(), v.closeButton(),
           v.deleteButton(), v.previousButton(), v.nextButton(), v.registerButton(),
           v.entryField()}) {
    EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
  }
  EXPECT_FALSE(frame.closeFileAction()->isEnabled());
  EXPECT_FALSE(frame.firstRecordAction()->isEnabled());
  EXPECT_EQ(v.registerButton()->text(), QStringLiteral("  登録(&R)"));
  EXPECT_EQ(v.previousButton()->text(), QStringLiteral(" 前ﾚｺｰﾄﾞ(&B)"));
  EXPECT_EQ(v.entryField()->maxLength(), 32767);
}

TEST_F(FrameTest, SequentialFileInUpdateModeNeverOffersDelete) {
  OpenSequential();
  CQelreviseView& v = view();
  EXPECT_EQ(v.keyLabel()->text(), QStringLiteral("レコード番号"));
  EXPECT_EQ(v.keyField()->maxLength(), 10);
  EXPECT_FALSE(v.keyTypeBox()->isEnabled());
  EXPECT_FALSE(v.displayButton()->isEnabled());
  QTest::keyClicks(v.keyField(), QStringLiteral("2"));
  EXPECT_TRUE(v.displayButton()->isEnabled());
  QTest::mouseClick(v.displayButton(), Qt::LeftButton);
  EXPECT_TRUE(LineText("NAME").endsWith(QStringLiteral("APPLE ")));
  EXPECT_TRUE(v.previousButton()->isEnabled());
  EXPECT_TRUE(v.nextButton()->isEnabled());
  EXPECT_FALSE(v.deleteButton()->isEnabled());

  QTest::mouseClick(v.nextButton(), Qt::LeftButton);
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("3"));
  QTest::mouseClick(v.nextButton(), Qt::LeftButton);  // past the end
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC2691"));
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("3"));
  frame_->firstRecordAction()->trigger();
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("1"));
  QTest::mouseClick(v.previousButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC2692"));

  // A rewrite keeps Delete off.
  Enter("QTY", QStringLiteral("5"));
  EXPECT_TRUE(v.registerButton()->isEnabled());
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));
  EXPECT_TRUE(LineText("QTY").endsWith(QStringLiteral("5")));
  EXPECT_FALSE(v.deleteButton()->isEnabled());
  EXPECT_FALSE(v.registerButton()->isEnabled());
  Display(QStringLiteral("x1"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KVDA2909"));
  EXPECT_EQ(frame_->focusWidget(), v.keyField());
}

TEST_F(FrameTest, InputModeDisablesFirstAndLastAndAppendsRecords) {
  OpenSequential();
  CQelreviseView& v = view();
  EXPECT_TRUE(frame_->firstRecordAction()->isEnabled());
  QTest::mouseClick(v.inputRadio(), Qt::LeftButton);
  EXPECT_FALSE(frame_->firstRecordAction()->isEnabled());
  EXPECT_FALSE(frame_->lastRecordAction()->isEnabled());
  EXPECT_FALSE(v.displayButton()->isEnabled());
  EXPECT_FALSE(v.previousButton()->isEnabled());
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("4"));
  EXPECT_TRUE(v.keyField()->isReadOnly());
  EXPECT_FALSE(v.registerButton()->isEnabled());
  EXPECT_FALSE(frame_->copyRecordAction()->isEnabled());

  Enter("CODE", QStringLiteral("S0004"));
  EXPECT_TRUE(v.registerButton()->isEnabled());
  EXPECT_EQ(v.counter()->text(), QStringLiteral("     5"));
  EXPECT_EQ(v.typeCaption()->text(), QStringLiteral("英数字"));
  // Down moves to the next item and keeps the value typed.
  QTest::keyClick(v.entryField(), Qt::Key_Down);
  EXPECT_EQ(v.selectedLine(), Line("NAME"));
  EXPECT_TRUE(LineText("CODE").endsWith(QStringLiteral("S0004")));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("5"));
  EXPECT_FALSE(LineText("CODE").contains(QStringLiteral("S0004")));
  // The record registered can be copied into the next one.
  EXPECT_TRUE(frame_->copyRecordAction()->isEnabled());
  frame_->copyRecordAction()->trigger();
  EXPECT_TRUE(LineText("CODE").endsWith(QStringLiteral("S0004")));
  EXPECT_TRUE(v.registerButton()->isEnabled());

  QTest::mouseClick(v.updateRadio(), Qt::LeftButton);
  EXPECT_FALSE(frame_->copyRecordAction()->isEnabled());
  EXPECT_TRUE(frame_->lastRecordAction()->isEnabled());
  frame_->lastRecordAction()->trigger();
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("4"));
  EXPECT_TRUE(LineText("CODE").endsWith(QStringLiteral("S0004")));
}

TEST_F(FrameTest, KeyChangeWhileARecordIsShownClearsTheValues) {
  OpenIndexed();
  CQelreviseView& v = view();
  EXPECT_EQ(v.keyLabel()->text(), QStringLiteral("キー"));
  EXPECT_EQ(v.keyField()->maxLength(), 512);
  ASSERT_EQ(v.keyTypeBox()->count(), 2);
  EXPECT_EQ(v.keyTypeBox()->itemText(0), QStringLiteral(" 主キー") + QString(25, QLatin1Char(' ')));
  EXPECT_TRUE(v.keyListButton()->isEnabled());
  Display(QStringLiteral("C0002"));
  EXPECT_TRUE(LineText("NAME").endsWith(QStringLiteral("APPLE ")));
  EXPECT_TRUE(v.deleteButton()->isEnabled());
  EXPECT_TRUE(v.nextButton()->isEnabled());

  v.keyTypeBox()->setCurrentIndex(1);
  emit v.keyTypeBox()->activated(1);
  EXPECT_FALSE(LineText("NAME").contains(QStringLiteral("APPLE")));
  EXPECT_FALSE(LineText("CODE").contains(QStringLiteral("C0002")));
  EXPECT_FALSE(v.previousButton()->isEnabled());
  EXPECT_FALSE(v.nextButton()->isEnabled());
  EXPECT_FALSE(v.deleteButton()->isEnabled());
  EXPECT_FALSE(v.registerButton()->isEnabled());
  EXPECT_FALSE(v.entryField()->isEnabled());

  // The alternate key fetches, and its items are protected.
  Display(QStringLiteral("FIG"));
  EXPECT_TRUE(LineText("CODE").endsWith(QStringLiteral("C0003")));
  v.itemList()->setCurrentRow(Line("NAME"));
  EXPECT_FALSE(v.entryField()->isEnabled());
  EXPECT_EQ(v.typeCaption()->text(), QStringLiteral("ISAM保護項目"));
}

TEST_F(FrameTest, ARefusedValueStaysInTheEntryFieldAndTheLineDoesNotMove) {
  OpenIndexed();
  CQelreviseView& v = view();
  Display(QStringLiteral("C0001"));
  Enter("QTY", QStringLiteral("1234"));
  EXPECT_EQ(v.counter()->text(), QStringLiteral("  4.0  "));
  const int qty = Line("QTY");
  boxes_->Answer(QMessageBox::Ok);
  v.itemList()->setCurrentRow(Line("NOTE"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KVDA2905"));
  EXPECT_EQ(v.selectedLine(), qty);
  EXPECT_EQ(v.itemList()->currentRow(), qty);
  EXPECT_EQ(v.entryField()->text(), QStringLiteral("1234"));
  EXPECT_TRUE(LineText("QTY").endsWith(QStringLiteral("11")));

  // Corrected, it is written; Delete waits for the next fetch.
  v.entryField()->clear();
  QTest::keyClicks(v.entryField(), QStringLiteral("123"));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));
  EXPECT_FALSE(v.deleteButton()->isEnabled());
  Display(QStringLiteral("C0001"));
  EXPECT_TRUE(LineText("QTY").endsWith(QStringLiteral("123")));

  // Delete asks first; No keeps the record.
  boxes_->Answer(QMessageBox::No);
  QTest::mouseClick(v.deleteButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2010"));
  EXPECT_TRUE(LineText("QTY").endsWith(QStringLiteral("123")));
  boxes_->Answer(QMessageBox::Yes);
  QTest::mouseClick(v.deleteButton(), Qt::LeftButton);
  EXPECT_FALSE(v.deleteButton()->isEnabled());
  EXPECT_FALSE(LineText("CODE").contains(QStringLiteral("C0001")));
  Display(QStringLiteral("C0001"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC3616"));
  EXPECT_FALSE(v.nextButton()->isEnabled());
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("C0001"));
}

TEST_F(FrameTest, TabFollowsTheFormsControls) {
  OpenIndexed();
  CQelreviseView& v = view();
  Display(QStringLiteral("C0002"));
  v.updateRadio()->setFocus();
  QList<QWidget*> visited;
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget();
  }
  const QList<QWidget*> expected = {v.keyTypeBox(),     v.keyListButton(), v.keyField(),
                                    v.displayButton(),  v.closeButton(),   v.deleteButton(),
                                    v.previousButton(), v.nextButton(),    v.helpButton(),
                                    v.entryField(),     v.itemList()};
  EXPECT_EQ(visited.mid(0, expected.size()), expected);
}

TEST_F(FrameTest, IndexedInputModeOffersThePrimaryKeyOnlyAndNeedsAKey) {
  OpenIndexed();
  CQelreviseView& v = view();
  QTest::mouseClick(v.inputRadio(), Qt::LeftButton);
  EXPECT_EQ(v.keyTypeBox()->count(), 1);
  EXPECT_TRUE(v.keyTypeBox()->isEnabled());
  EXPECT_FALSE(v.keyListButton()->isEnabled());
  EXPECT_FALSE(v.deleteButton()->isEnabled());
  EXPECT_FALSE(v.keyField()->isReadOnly());
  Enter("NAME", QStringLiteral("LIME"));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2019"));
  EXPECT_EQ(frame_->focusWidget(), v.keyField());
  QTest::keyClicks(v.keyField(), QStringLiteral("C0009"));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2009"));
  EXPECT_EQ(v.keyField()->text(), QString());
  // A name the alternate key already has is a duplicate; Register stays for
  // a correction and the key-type box has the focus.
  QTest::keyClicks(v.keyField(), QStringLiteral("C0010"));
  Enter("NAME", QStringLiteral("FIG"));
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KRAC2622"));
  EXPECT_TRUE(v.registerButton()->isEnabled());
  EXPECT_EQ(frame_->focusWidget(), v.keyTypeBox());
}

TEST_F(FrameTest, ACharacterWithoutACp932FormIsRefused) {
  OpenIndexed();
  CQelreviseView& v = view();
  Display(QStringLiteral("C0002"));
  v.itemList()->setCurrentRow(Line("NOTE"));
  v.entryField()->setText(QString::fromUtf8("a\xF0\x9F\x98\x80"));
  v.itemList()->setCurrentRow(Line("QTY"));
  EXPECT_EQ(Shown().last(), QStringLiteral("KVDA2902"));
  EXPECT_EQ(v.selectedLine(), Line("NOTE"));
  EXPECT_TRUE(LineText("NOTE").endsWith(QStringLiteral("note   ")));
  v.keyField()->setText(QString::fromUtf8("\xF0\x9F\x98\x80"));
  QTest::mouseClick(v.displayButton(), Qt::LeftButton);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2025"));
}

TEST_F(FrameTest, ItemSelectionMarksAGroupAndRegisterEndsIt) {
  std::string data = MakeSequential(Record("S0001", "PEAR", "011"));
  OpenWithDialog(data, Definition("SEQ", "S"), /*item_selection=*/true);
  CQelreviseView& v = view();
  ASSERT_TRUE(frame_->document().selecting());
  EXPECT_FALSE(v.modeGroup()->isEnabled());
  EXPECT_FALSE(v.registerButton()->isEnabled());
  QListWidget* list = v.itemList();
  ASSERT_EQ(list->count(), 5);
  list->setCurrentRow(Line("QTY"));
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_TRUE(list->item(Line("QTY"))->text().startsWith(QLatin1Char('v')));
  EXPECT_TRUE(v.registerButton()->isEnabled());
  QTest::mouseClick(v.registerButton(), Qt::LeftButton);
  EXPECT_FALSE(frame_->document().selecting());
  ASSERT_EQ(list->count(), 1);
  EXPECT_TRUE(v.modeGroup()->isEnabled());
  Display(QStringLiteral("1"));
  EXPECT_TRUE(list->item(0)->text().endsWith(QStringLiteral("11")));
}

TEST_F(FrameTest, CloseButtonAndWindowCloseEndTheFile) {
  OpenIndexed();
  EXPECT_EQ(frame_->windowTitle(), QStringLiteral("ファイル更新"));
  EXPECT_TRUE(frame_->closeFileAction()->isEnabled());
  QTest::mouseClick(view().closeButton(), Qt::LeftButton);
  EXPECT_FALSE(frame_->document().is_open());
  EXPECT_EQ(view().itemList()->count(), 0);
  EXPECT_FALSE(view().closeButton()->isEnabled());
  EXPECT_FALSE(frame_->closeFileAction()->isEnabled());

  OpenWithDialog(dir_.path() + "/IDX.kdf", dir_.path() + "/IDX.FLF");
  ASSERT_TRUE(frame_->document().is_open());
  frame_->close();
  EXPECT_FALSE(frame_->document().is_open());
  // The file is free again: a second document opens it exclusively.
  CQelreviseDoc other;
  FileSettings s;
  s.data_name = dir_.path() + "/IDX.kdf";
  s.definition_name = dir_.path() + "/IDX.FLF";
  EXPECT_TRUE(other.Open(s, BoxAsk()).ok());
  EXPECT_TRUE(other.is_open());
}

TEST_F(FrameTest, CopyAndPasteReachTheFieldThatLastHadTheFocus) {
  OpenIndexed();
  CQelreviseView& v = view();
  Display(QStringLiteral("C0002"));
  v.keyField()->setFocus();
  v.itemList()->setFocus();
  frame_->copyAction()->trigger();
  v.itemList()->setCurrentRow(Line("NOTE"));
  v.entryField()->setFocus();
  v.entryField()->clear();
  v.itemList()->setFocus();
  frame_->pasteAction()->trigger();
  EXPECT_EQ(v.entryField()->text(), QStringLiteral("C0002"));
  EXPECT_TRUE(v.registerButton()->isEnabled());
}

TEST_F(FrameTest, AcceleratorsWorkFromTheFieldsAndTheItemList) {
  OpenIndexed();
  CQelreviseView& v = view();
  // Ctrl+U is a line edit's own key too: the program's command wins.
  int special = 0;
  CQelreviseView::setDialogObserver([&](QDialog& dialog) {
    if (qobject_cast<CSpecialOptionsDlg*>(&dialog) != nullptr) ++special;
    QTimer::singleShot(0, &dialog, &QDialog::reject);
  });
  Display(QStringLiteral("C0002"));
  ASSERT_EQ(frame_->focusWidget(), v.entryField());
  QTest::keyClick(v.entryField(), Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(special, 1);
  frame_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
  QTest::keyClick(v.entryField(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("C0003"));
  v.keyField()->setFocus();
  QTest::keyClick(v.keyField(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(v.keyField()->text(), QStringLiteral("C0001"));
  // The first line that takes a value is selected (CODE is the key, protected);
  // Up and Down in the entry field and in the list move the selection.
  const int code = Line("NAME");
  EXPECT_EQ(v.selectedLine(), code);
  QTest::keyClick(v.entryField(), Qt::Key_Down);
  EXPECT_EQ(v.selectedLine(), code + 1);
  v.itemList()->setFocus();
  QTest::keyClick(v.itemList(), Qt::Key_Up);
  EXPECT_EQ(v.selectedLine(), code);
}

}  // namespace
}  // namespace qel::revise::gui::test
