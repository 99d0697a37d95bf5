// The revise program's dialogs offscreen: the file settings dialog with its
// checks, browse dialogs and the close question; the special options with
// the FILLER value rules; the key list and its choice; help; and the
// screenshots of every window and dialog.
#include "revise/qelrevise/revise_dialogs.h"

#include <stdlib.h>

#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include "revise/qelrevise/tests/revise_gui_fixture.h"

namespace qel::revise::gui::test {
namespace {

using qel::gui::testing::SaveScreenshot;
using DialogTest = ReviseGuiTest;

// Runs `body` on the first dialog of class T the form opens, then closes it.
template <typename T, typename Body>
void OnDialog(Body body) {
  CQelreviseView::setDialogObserver([body](QDialog& dialog) {
    if (T* d = qobject_cast<T*>(&dialog)) {
      QTimer::singleShot(0, d, [d, body] {
        body(*d);
        if (d->isVisible()) d->reject();
      });
    }
  });
}

TEST_F(DialogTest, FileSettingsChecksStayInTheDialogWithTheFocusOnTheField) {
  QStringList title;
  bool focus_on_data = false;
  bool focus_on_definition = false;
  OnDialog<CFileSettingsDlg>([&](CFileSettingsDlg& d) {
    title << d.windowTitle() << d.okButton()->text() << d.cancelButton()->text()
          << d.helpButton()->text() << d.shareBox()->text() << d.selectionBox()->text()
          << d.elementaryBox()->text();
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    focus_on_data = d.focusWidget() == d.dataField();
    QTest::keyClicks(d.dataField(), QStringLiteral("a.dat"));
    QTest::keyClicks(d.definitionField(), QStringLiteral("a.txt"));
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    focus_on_definition = d.focusWidget() == d.definitionField();
    EXPECT_TRUE(d.isVisible());
  });
  frame_->fileSettingsAction()->trigger();
  EXPECT_EQ(title, (QStringList{"ファイルの設定", "OK", "ｷｬﾝｾﾙ", "ﾍﾙﾌﾟ(&H)", "ファイル共有をする",
                                "入力項目選択をする", "基本項目のみ表示する"}));
  EXPECT_EQ(Shown(), (QStringList{"KVWN2006", "KVWN2002"}));
  EXPECT_TRUE(focus_on_data);
  EXPECT_TRUE(focus_on_definition);
  EXPECT_FALSE(frame_->document().is_open());
}

TEST_F(DialogTest, TheTitleGoesIntoTheCaptionAndAnOpenFileIsClosedOnlyAfterYes) {
  std::string data = MakeIndexed(Record("C0001", "PEAR", "011"));
  std::string definition = Definition("IDX", "VK");
  OnDialog<CFileSettingsDlg>([&](CFileSettingsDlg& d) {
    QTest::keyClicks(d.dataField(), QString::fromStdString(data));
    QTest::keyClicks(d.definitionField(), QString::fromStdString(definition));
    d.titleField()->setText(QStringLiteral("在庫マスタ"));
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
  });
  frame_->fileSettingsAction()->trigger();
  ASSERT_TRUE(frame_->document().is_open());
  EXPECT_EQ(frame_->windowTitle(), QStringLiteral("ファイル更新 - 在庫マスタ"));

  int dialogs = 0;
  OnDialog<CFileSettingsDlg>([&](CFileSettingsDlg& d) {
    ++dialogs;
    // The dialog shows the names used last.
    EXPECT_EQ(d.dataField()->text().toStdString(), data);
  });
  boxes_->Answer(QMessageBox::No);
  frame_->fileSettingsAction()->trigger();
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2011"));
  EXPECT_EQ(dialogs, 0);
  EXPECT_TRUE(frame_->document().is_open());
  boxes_->Answer(QMessageBox::Yes);
  frame_->fileSettingsAction()->trigger();
  EXPECT_EQ(dialogs, 1);
  EXPECT_FALSE(frame_->document().is_open());
  EXPECT_EQ(frame_->windowTitle(), QStringLiteral("ファイル更新"));
  EXPECT_FALSE(view().closeButton()->isEnabled());
}

TEST_F(DialogTest, AnEmptyFileInUpdateModeOpensInInputModeAfterYes) {
  const std::string data = MakeSequential("");
  const std::string definition = Definition("SEQ", "S");
  boxes_->Answer(QMessageBox::No);
  OpenWithDialog(data, definition);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2020"));
  EXPECT_FALSE(frame_->document().is_open());
  EXPECT_TRUE(view().updateRadio()->isChecked());
  boxes_->Answer(QMessageBox::Yes);
  OpenWithDialog(data, definition);
  ASSERT_TRUE(frame_->document().is_open());
  EXPECT_TRUE(view().inputRadio()->isChecked());
  EXPECT_EQ(view().keyField()->text(), QStringLiteral("1"));
  EXPECT_FALSE(frame_->firstRecordAction()->isEnabled());
}

TEST_F(DialogTest, AnUnsupportedItemClosesTheFileAfterTheDialog) {
  const std::string data = MakeSequential(Record("S0001", "PEAR", "011"));
  std::vector<revise::test::Item> layout = Layout();
  layout[4].dtat = "Z";  // numeric edited: the form cannot show it
  layout[4].edcs = "ZZZZZZ9";
  layout[4].suaf = "T";
  const std::string definition = revise::test::WriteDefinitions(dir_, "BAD", "S", layout);
  OpenWithDialog(data, definition);
  EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2018"));
  EXPECT_FALSE(frame_->document().is_open());
  EXPECT_EQ(view().itemList()->count(), 0);
  EXPECT_FALSE(view().closeButton()->isEnabled());
}

TEST_F(DialogTest, ATitleOverSixtyBytesIsCutOnlyAfterNo) {
  const std::string data = MakeSequential(Record("S0001", "PEAR", "011"));
  const std::string definition = Definition("SEQ", "S");
  const QString title = QString(29, QChar(0x3042)) + QStringLiteral("abc");  // 58 + 3 bytes
  bool back_in_title = false;
  OnDialog<CFileSettingsDlg>([&](CFileSettingsDlg& d) {
    d.dataField()->setText(QString::fromStdString(data));
    d.definitionField()->setText(QString::fromStdString(definition));
    d.titleField()->setText(title);
    boxes_->Answer(QMessageBox::Yes);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    back_in_title = d.isVisible() && d.focusWidget() == d.titleField();
    boxes_->Answer(QMessageBox::No);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
  });
  frame_->fileSettingsAction()->trigger();
  EXPECT_EQ(Shown(), (QStringList{"KVWN2017", "KVWN2017"}));
  EXPECT_TRUE(back_in_title);
  ASSERT_TRUE(frame_->document().is_open());
  EXPECT_EQ(frame_->windowTitle(),
            QStringLiteral("ファイル更新 - ") + QString(29, QChar(0x3042)) + QStringLiteral("ab"));
}

TEST_F(DialogTest, BrowseDialogsHaveTheirTitlesFiltersAndNames) {
  QStringList seen;
  CFileSettingsDlg::setBrowserObserver([&](QFileDialog& browser) {
    seen << browser.windowTitle() << browser.nameFilters().join(QLatin1Char('|'))
         << browser.defaultSuffix();
    QTimer::singleShot(0, &browser, &QDialog::reject);
  });
  OnDialog<CFileSettingsDlg>([](CFileSettingsDlg& d) {
    QTest::mouseClick(d.dataBrowseButton(), Qt::LeftButton);
    QTest::mouseClick(d.definitionBrowseButton(), Qt::LeftButton);
  });
  frame_->fileSettingsAction()->trigger();
  EXPECT_EQ(seen,
            (QStringList{"データファイル名の設定",
                         "すべてのファイル (*.*) (*)|ｷｰﾌｧｲﾙ (*.KDF) (*.kdf *.KDF)", "",
                         "定義ファイル名の設定",
                         "定義ﾌｧｲﾙ (*.flf) (*.flf *.FLF)|すべてのファイル (*.*) (*)", "flf"}));
}

TEST_F(DialogTest, FillerValueIsTwoHexadecimalDigitsAndLockedWhileAFileIsOpen) {
  CQelreviseDoc& doc = frame_->document();
  const auto set_filler = [&](const QString& text) {
    OnDialog<CSpecialOptionsDlg>([text](CSpecialOptionsDlg& d) {
      d.fillerField()->clear();
      QTest::keyClicks(d.fillerField(), text);
      d.noTruncationBox()->setChecked(true);
      QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    frame_->specialOptionsAction()->trigger();
  };
  for (const char* bad : {"2", "ZZ", "-1", " 1", "123"}) {
    set_filler(QString::fromLatin1(bad));
    EXPECT_EQ(Shown().last(), QStringLiteral("KVWN2004")) << bad;
    EXPECT_EQ(doc.filler_value(), 0x20) << bad;
    EXPECT_FALSE(doc.no_truncation_message()) << bad;
  }
  set_filler(QStringLiteral("0a"));
  EXPECT_EQ(doc.filler_value(), 0x0A);
  EXPECT_TRUE(doc.no_truncation_message());
  QString shown;
  OnDialog<CSpecialOptionsDlg>([&](CSpecialOptionsDlg& d) { shown = d.fillerField()->text(); });
  frame_->specialOptionsAction()->trigger();
  EXPECT_EQ(shown, QStringLiteral("0A"));
  set_filler(QString());
  EXPECT_EQ(doc.filler_value(), 0x20);

  OpenSequential();
  bool enabled = true;
  OnDialog<CSpecialOptionsDlg>([&](CSpecialOptionsDlg& d) {
    enabled = d.fillerField()->isEnabled() || d.bigEndianBox()->isEnabled() ||
              d.fillerLabel()->isEnabled();
    EXPECT_EQ(d.fillerField()->text(), QString());  // 0x20 shows as nothing
    d.noTruncationBox()->setChecked(false);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
  });
  frame_->specialOptionsAction()->trigger();
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(doc.no_truncation_message());
}

TEST_F(DialogTest, KeyListShowsEveryKeyAndADoubleClickChoosesIt) {
  OpenIndexed();
  QStringList lines;
  QString headings;
  OnDialog<CKeyListDlg>([&](CKeyListDlg& d) {
    for (int i = 0; i < d.list()->count(); ++i) lines << d.list()->item(i)->text();
    headings = d.headings()->text();
    d.list()->setCurrentRow(1);
    QTest::keyClick(d.list(), Qt::Key_Return);
  });
  QTest::mouseClick(view().keyListButton(), Qt::LeftButton);
  // Name, start, length and type of each key's single part.
  const QString pad25(25, QLatin1Char(' '));
  const QString pad23(23, QLatin1Char(' '));
  EXPECT_EQ(lines,
            (QStringList{QStringLiteral(" 主キー") + pad25 + QStringLiteral("   ") +
                             QString(10, ' ') + "0   " + QString(10, ' ') + "5   文     字",
                         QStringLiteral(" 副キー１") + pad23 + QStringLiteral("   ") +
                             QString(10, ' ') + "5   " + QString(10, ' ') + "6   文     字"}));
  EXPECT_TRUE(headings.startsWith(QStringLiteral(" キー種別")));
  EXPECT_TRUE(headings.endsWith(QStringLiteral("属性")));
  EXPECT_EQ(view().keyTypeBox()->currentIndex(), 1);
  EXPECT_EQ(frame_->document().current_key(), 2);
  Display(QStringLiteral("PEAR"));
  EXPECT_TRUE(LineText("CODE").endsWith(QStringLiteral("C0001")));
}

TEST_F(DialogTest, HelpNamesTheMissingHelpFile) {
  ::setenv("QELLAR_REGISTRY", (dir_.path() + "/none.ini").c_str(), 1);
  QTest::mouseClick(view().helpButton(), Qt::LeftButton);
  ::unsetenv("QELLAR_REGISTRY");
  ASSERT_EQ(boxes_->boxes().size(), 1u);
  EXPECT_TRUE(boxes_->boxes()[0].text.contains(QStringLiteral("qelrevise.html")));
  QString opened;
  CMainFrame::SetHelpOpener([&](const QString& path) {
    opened = path;
    return true;
  });
  const std::string help = dir_.Write("qelrevise.html", "<html></html>");
  dir_.Write("registry.ini", "[SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName]\nPath00=" + dir_.path() +
                                 "\n[SOFTWARE\\KORVATH\\QELLAR2]\nCurrentVersion=3.0\n");
  ::setenv("QELLAR_REGISTRY", (dir_.path() + "/registry.ini").c_str(), 1);
  frame_->helpActions()[0]->trigger();
  ::unsetenv("QELLAR_REGISTRY");
  EXPECT_EQ(opened.toStdString(), help);
}

// Pictures of the main window with each kind of file and of every dialog.
TEST_F(DialogTest, ScreenshotsOfEveryWindow) {
  frame_->resize(820, 600);
  SaveScreenshot(*frame_, QStringLiteral("main_no_file"));
  OnDialog<CSpecialOptionsDlg>([](CSpecialOptionsDlg& d) {
    SaveScreenshot(d, QStringLiteral("dialog_special_options_no_file"));
  });
  frame_->specialOptionsAction()->trigger();
  OpenIndexed();
  Display(QStringLiteral("C0002"));
  view().itemList()->setCurrentRow(Line("NAME"));
  EXPECT_FALSE(SaveScreenshot(*frame_, QStringLiteral("main_indexed")).isNull());
  OnDialog<CKeyListDlg>(
      [](CKeyListDlg& d) { SaveScreenshot(d, QStringLiteral("dialog_key_list")); });
  QTest::mouseClick(view().keyListButton(), Qt::LeftButton);
  QTest::mouseClick(view().closeButton(), Qt::LeftButton);

  OpenSequential();
  Display(QStringLiteral("1"));
  SaveScreenshot(*frame_, QStringLiteral("main_sequential"));
  OnDialog<CSpecialOptionsDlg>(
      [](CSpecialOptionsDlg& d) { SaveScreenshot(d, QStringLiteral("dialog_special_options")); });
  frame_->specialOptionsAction()->trigger();
  boxes_->Answer(QMessageBox::Yes);
  OnDialog<CFileSettingsDlg>(
      [](CFileSettingsDlg& d) { SaveScreenshot(d, QStringLiteral("dialog_file_settings")); });
  frame_->fileSettingsAction()->trigger();
}

}  // namespace
}  // namespace qel::revise::gui::test
