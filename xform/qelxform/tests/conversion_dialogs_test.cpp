// The six conversion dialogs driven offscreen: the run-button checks with
// their messages and focus, the separator, the special options, browsing,
// and real conversions behind the information box.
#include "xform/qelxform/conversion_dialogs.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "message/qelmessage.h"
#include "xform/qelxform/run_info.h"
#include "xform/tests/xform_fixture.h"

namespace qel::xform::gui {
namespace {

using qel::gui::ProgramText;
using qel::gui::testing::BoxRecorder;
using qel::gui::testing::ShownBox;
using test::DefItem;

// The box text of a message: its string without the 11-character id.
QString BoxText(int message) { return ProgramText(static_cast<unsigned>(message)).mid(11); }

// CODE X(4), NAME N(2), QTY S9(4) COMP-3: 4 + 4 + 3 = 11 bytes.
std::vector<DefItem> Items() {
  return {{"01", "REC", "G", "0", "0"},
          {"03", "CODE", "X", "4", "0"},
          {"03", "NAME", "N", "2", "4"},
          {"03", "QTY", "P", "4", "8"}};
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::gui::testing::EnsureApplication();
    KMSOFileIni(kLogName);
  }
  void TearDown() override { SetRunInfoObserver({}); }

  // Presses the run button and answers every box with its default button.
  std::vector<ShownBox> Run(CConversionDialog& dialog) {
    BoxRecorder recorder;
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    return recorder.boxes();
  }
  void Type(CConversionDialog& dialog, int field, const std::string& text) {
    dialog.lineEdit(field)->setText(QString::fromStdString(text));
  }
  std::string SampleData() {
    return "A001" + test::Sjis("東京") + std::string("\x00\x12\x3C", 3) + "B002" +
           test::Sjis("大阪") + std::string("\x00\x04\x5D", 3);
  }

  test::Workspace ws_;  // also the log directory
  CKXFMDoc doc_;
};

struct EmptyCase {
  Conversion conversion;
  int message;
};

TEST_F(DialogTest, EveryFieldEmptyShowsOnlyTheFirstFieldsMessage) {
  const EmptyCase cases[] = {{Conversion::kSamToTxt, 2712},  {Conversion::kTxtToSam, 2709},
                             {Conversion::kSamToCsv, 2712},  {Conversion::kCsvToSam, 2710},
                             {Conversion::kIsamToCsv, 2711}, {Conversion::kVsamToSam, 2729}};
  for (const EmptyCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.conversion));
    std::unique_ptr<CConversionDialog> dialog = MakeConversionDialog(c.conversion, doc_, nullptr);
    dialog->show();
    const std::vector<ShownBox> boxes = Run(*dialog);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, BoxText(c.message));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("qelxform"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
    EXPECT_EQ(dialog->focusWidget(), dialog->fieldWidget(0));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0);
  }
  EXPECT_NE(ws_.Log().find("KXFM2729-I 可変長順編成ファイル名は省略できません。"),
            std::string::npos);
}

TEST_F(DialogTest, DefinitionNamedWithMixedCaseExtensionIsRefusedAlthoughItExists) {
  Cstocdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, ws_.Write("IN.DAT", SampleData()));
  ws_.Definition("DEF", Items());
  Type(dialog, 1, ws_.Write("DEF.Flf", ws_.Read("DEF.FLF")));
  Type(dialog, 2, ws_.Path("OUT.CSV"));
  const std::vector<ShownBox> boxes = Run(dialog);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, BoxText(2724));
  EXPECT_EQ(dialog.focusWidget(), dialog.fieldWidget(1));
  EXPECT_FALSE(ws_.Exists("OUT.CSV"));
}

TEST_F(DialogTest, IndexedFileWithoutExtensionPassesTheExtensionCheck) {
  Citocdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, "DATA");
  std::vector<ShownBox> boxes = Run(dialog);
  ASSERT_EQ(boxes.size(), 1u);
  // The next check, the definition's emptiness, is the one that fails.
  EXPECT_EQ(boxes[0].text, BoxText(2708));
  EXPECT_EQ(dialog.focusWidget(), dialog.fieldWidget(1));

  Type(dialog, 0, "DATA.DAT");
  boxes = Run(dialog);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, BoxText(2725));
  EXPECT_EQ(dialog.focusWidget(), dialog.fieldWidget(0));
}

TEST_F(DialogTest, RecordLengthOutOfRangeIsRefusedAndPlusEightyConverts) {
  std::string line(80, 'x');
  ws_.Write("IN.DAT", std::string(80, 'a') + std::string(80, 'b'));
  for (const char* bad : {"65536", "0", "8x"}) {
    SCOPED_TRACE(bad);
    Cstotdlg dialog(doc_, nullptr);
    dialog.show();
    Type(dialog, 0, ws_.Path("IN.DAT"));
    Type(dialog, 1, ws_.Path("OUT.TXT"));
    Type(dialog, 2, bad);
    const std::vector<ShownBox> boxes = Run(dialog);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, BoxText(2719));
    EXPECT_EQ(dialog.focusWidget(), dialog.fieldWidget(2));
  }
  Cstotdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, ws_.Path("IN.DAT"));
  Type(dialog, 1, ws_.Path("OUT.TXT"));
  Type(dialog, 2, "+80");
  const std::vector<ShownBox> boxes = Run(dialog);
  EXPECT_EQ(dialog.lastResult(), 0);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(ws_.Read("OUT.TXT"), std::string(80, 'a') + "\r\n" + std::string(80, 'b') + "\r\n");
  EXPECT_EQ(doc_.Table().Reclen, 0);
  // The driver's count message, shown as a box from the worker thread.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, BoxText(2704).replace(QStringLiteral("%s"), QStringLiteral("2")));
}

TEST_F(DialogTest, EmptySeparatorIsRefusedWithFocusOnTheComboBox) {
  ws_.Definition("DEF", Items());
  Cctosdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, ws_.Path("IN.CSV"));
  Type(dialog, 1, ws_.Path("DEF.FLF"));
  Type(dialog, 2, ws_.Path("OUT.DAT"));
  EXPECT_EQ(dialog.separatorBox()->currentText(), QStringLiteral(","));
  dialog.separatorBox()->setEditText(QString());
  const std::vector<ShownBox> boxes = Run(dialog);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, BoxText(2714));
  QWidget* focus = dialog.focusWidget();
  EXPECT_TRUE(focus == dialog.separatorBox() || dialog.separatorBox()->isAncestorOf(focus));
}

TEST_F(DialogTest, SeparatorComboBoxListsThreeChoicesAndTakesNineCharacters) {
  Cstocdlg dialog(doc_, nullptr);
  QComboBox* box = dialog.separatorBox();
  ASSERT_EQ(box->count(), 3);
  EXPECT_EQ(box->itemText(1), QStringLiteral("{TAB}"));
  EXPECT_EQ(box->itemText(2), QStringLiteral("{SPACE}"));
  EXPECT_TRUE(box->isEditable());
  dialog.show();
  box->lineEdit()->clear();
  QTest::keyClicks(box->lineEdit(), QStringLiteral("0123456789"));
  EXPECT_EQ(box->currentText(), QStringLiteral("012345678"));
}

// Runs qelxformbatch with `args`; its exit code.
int RunBatch(const std::string& args) {
  const std::string command = std::string(QELXFORMBATCH_PATH) + " " + args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(DialogTest, TabChosenInTheListConvertsLikeTheConsoleConverter) {
  const std::string def = ws_.Definition("DEF", Items());
  const std::string in = ws_.Write("IN.DAT", SampleData());
  Cstocdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, in);
  Type(dialog, 1, def);
  Type(dialog, 2, ws_.Path("GUI.CSV"));
  dialog.titleBox()->setChecked(true);
  dialog.separatorBox()->setCurrentIndex(1);
  Run(dialog);
  ASSERT_EQ(dialog.lastResult(), 0);
  const std::string gui = ws_.Read("GUI.CSV");
  EXPECT_EQ(gui, "\"CODE\"\t\"NAME\"\t\"QTY\"\r\n\"A001\"\t\"" + test::Sjis("東京") +
                     "\"\t123\r\n\"B002\"\t\"" + test::Sjis("大阪") + "\"\t-45\r\n");
  ASSERT_EQ(
      RunBatch("/f sc /i " + in + " /d " + def + " /o " + ws_.Path("BATCH.CSV") + " /n y /s {TAB}"),
      0);
  EXPECT_EQ(ws_.Read("BATCH.CSV"), gui);
}

TEST_F(DialogTest, TypedSeparatorUsesItsFirstCharacterBothWays) {
  const std::string def = ws_.Definition("DEF", Items());
  const std::string data = SampleData();
  ws_.Write("IN.DAT", data);
  {
    Cstocdlg dialog(doc_, nullptr);
    dialog.show();
    Type(dialog, 0, ws_.Path("IN.DAT"));
    Type(dialog, 1, def);
    Type(dialog, 2, ws_.Path("OUT.CSV"));
    dialog.separatorBox()->lineEdit()->clear();
    QTest::keyClicks(dialog.separatorBox()->lineEdit(), QStringLiteral(";x"));
    Run(dialog);
    ASSERT_EQ(dialog.lastResult(), 0);
  }
  EXPECT_EQ(ws_.Read("OUT.CSV").substr(0, 12), "\"A001\";\"" + test::Sjis("東京"));
  Cctosdlg back(doc_, nullptr);
  back.show();
  Type(back, 0, ws_.Path("OUT.CSV"));
  Type(back, 1, def);
  Type(back, 2, ws_.Path("BACK.DAT"));
  back.separatorBox()->setEditText(QStringLiteral(";x"));
  Run(back);
  ASSERT_EQ(back.lastResult(), 0);
  EXPECT_EQ(ws_.Read("BACK.DAT"), data);
}

// Sets the special options through their dialog, opened from `dialog`.
// `shown` gets the big-endian box's state as the dialog showed it, and
// `shown_utf8` (when given) the UTF-8 box's.
void ChooseSpecialOptions(CConversionDialog& dialog, bool big_endian, bool blank_when_zero,
                          bool& shown_big_endian, bool utf8_csv = false,
                          bool* shown_utf8 = nullptr) {
  QTimer::singleShot(0, [&, utf8_csv, shown_utf8] {
    auto* options = qobject_cast<CSpecialOptionsDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->windowTitle(), QStringLiteral("特殊オプションの設定"));
    shown_big_endian = options->bigEndianBox()->isChecked();
    if (shown_utf8 != nullptr) *shown_utf8 = options->utf8CsvBox()->isChecked();
    options->bigEndianBox()->setChecked(big_endian);
    options->blankWhenZeroBox()->setChecked(blank_when_zero);
    options->utf8CsvBox()->setChecked(utf8_csv);
    QTest::mouseClick(options->okButton(), Qt::LeftButton);
  });
  QTest::mouseClick(dialog.specialButton(), Qt::LeftButton);
}

TEST_F(DialogTest, SpecialOptionsAreNotCarriedToTheNextCsvDialog) {
  bool shown = true;
  {
    Cstocdlg first(doc_, nullptr);
    first.show();
    ChooseSpecialOptions(first, true, true, shown);
    EXPECT_FALSE(shown);
    EXPECT_EQ(doc_.BinaryCode(), 1);
    EXPECT_EQ(doc_.BwzType(), 1);
    // Shown again within the same dialog, the choice stays.
    ChooseSpecialOptions(first, true, true, shown);
    EXPECT_TRUE(shown);
  }
  Cctosdlg next(doc_, nullptr);
  next.show();
  EXPECT_EQ(doc_.BinaryCode(), 0);
  EXPECT_EQ(doc_.BwzType(), 0);
  ChooseSpecialOptions(next, false, false, shown);
  EXPECT_FALSE(shown);
  // The record-length dialogs have no special options.
  Cstotdlg text(doc_, nullptr);
  EXPECT_EQ(text.specialButton(), nullptr);
  EXPECT_EQ(text.separatorBox(), nullptr);
}

TEST_F(DialogTest, BigEndianChosenInTheDialogReachesTheDriver) {
  const std::string def =
      ws_.Definition("BIN", {{"01", "REC", "G", "0", "0"}, {"03", "N", "B", "4", "0"}});
  ws_.Write("IN.DAT", std::string("\x01\x02", 2));
  Cstocdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, ws_.Path("IN.DAT"));
  Type(dialog, 1, def);
  Type(dialog, 2, ws_.Path("OUT.CSV"));
  bool shown = false;
  ChooseSpecialOptions(dialog, true, false, shown);
  Run(dialog);
  ASSERT_EQ(dialog.lastResult(), 0);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "258\r\n");
}

TEST_F(DialogTest, Utf8CsvIsTheLastSpecialOptionOffByDefault) {
  Cstocdlg dialog(doc_, nullptr);
  CSpecialOptionsDlg options(doc_, &dialog);
  options.show();
  EXPECT_EQ(options.utf8CsvBox()->text(), QStringLiteral("ＣＳＶファイルをUTF-8で読み書きする"));
  EXPECT_FALSE(options.utf8CsvBox()->isChecked());
  // It follows the system's two check boxes, in the layout and in the tab
  // order.
  EXPECT_EQ(options.bigEndianBox()->nextInFocusChain(), options.blankWhenZeroBox());
  EXPECT_EQ(options.blankWhenZeroBox()->nextInFocusChain(), options.utf8CsvBox());
  EXPECT_GT(options.utf8CsvBox()->y(), options.blankWhenZeroBox()->y());
}

TEST_F(DialogTest, Utf8CsvChosenInTheDialogConvertsLikeTheConsoleConverterAndIsReset) {
  const std::string def = ws_.Definition("DEF", Items());
  const std::string in = ws_.Write("IN.DAT", SampleData());
  bool shown = false, shown_utf8 = true;
  {
    Cstocdlg dialog(doc_, nullptr);
    dialog.show();
    Type(dialog, 0, in);
    Type(dialog, 1, def);
    Type(dialog, 2, ws_.Path("GUI.CSV"));
    ChooseSpecialOptions(dialog, false, false, shown, true, &shown_utf8);
    EXPECT_FALSE(shown_utf8);
    Run(dialog);
    ASSERT_EQ(dialog.lastResult(), 0);
  }
  const std::string gui = ws_.Read("GUI.CSV");
  EXPECT_EQ(gui, "\"A001\",\"東京\",123\r\n\"B002\",\"大阪\",-45\r\n");
  ASSERT_EQ(RunBatch("/f sc /i " + in + " /d " + def + " /o " + ws_.Path("BATCH.CSV") + " /c u"),
            0);
  EXPECT_EQ(ws_.Read("BATCH.CSV"), gui);
  // The next CSV dialog starts with CP932 again.
  Cctosdlg next(doc_, nullptr);
  next.show();
  EXPECT_EQ(doc_.CsvCode(), 0);
  ChooseSpecialOptions(next, false, false, shown, false, &shown_utf8);
  EXPECT_FALSE(shown_utf8);
}

TEST_F(DialogTest, SeparatorThatCanStandInsideAFieldIsRefusedWithFocusOnTheComboBox) {
  ws_.Definition("DEF", Items());
  ws_.Write("IN.DAT", SampleData());
  Cstocdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, ws_.Path("IN.DAT"));
  Type(dialog, 1, ws_.Path("DEF.FLF"));
  Type(dialog, 2, ws_.Path("OUT.CSV"));
  dialog.separatorBox()->lineEdit()->clear();
  QTest::keyClicks(dialog.separatorBox()->lineEdit(), QStringLiteral("."));
  const std::vector<ShownBox> boxes = Run(dialog);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, BoxText(2733));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(ws_.Exists("OUT.CSV"));
  QWidget* focus = dialog.focusWidget();
  EXPECT_TRUE(focus == dialog.separatorBox() || dialog.separatorBox()->isAncestorOf(focus));
}

TEST_F(DialogTest, BrowseDialogsHaveTheTitleAndFiltersOfTheirField) {
  Citocdlg isam(doc_, nullptr);
  std::unique_ptr<QFileDialog> browse = isam.makeBrowseDialog(0);
  EXPECT_EQ(browse->windowTitle(), QStringLiteral("入力索引順編成ファイル名の設定"));
  ASSERT_EQ(browse->nameFilters().size(), 2);
  EXPECT_TRUE(browse->nameFilters()[0].startsWith(QStringLiteral("ISAMファイル(*.KDF) ")));
  EXPECT_TRUE(browse->nameFilters()[1].startsWith(QStringLiteral("すべてのファイル(*.*) ")));
  EXPECT_EQ(browse->fileMode(), QFileDialog::ExistingFile);
  browse = isam.makeBrowseDialog(1);
  EXPECT_EQ(browse->windowTitle(), QStringLiteral("入力定義ファイル名の設定"));
  EXPECT_TRUE(browse->nameFilters()[0].startsWith(QStringLiteral("定義ファイル(*.FLF) ")));
  browse = isam.makeBrowseDialog(2);
  EXPECT_EQ(browse->windowTitle(), QStringLiteral("出力ＣＳＶファイル名の設定"));
  EXPECT_EQ(browse->nameFilters().size(), 1);
  EXPECT_EQ(browse->fileMode(), QFileDialog::AnyFile);
  EXPECT_EQ(isam.browseButton(3), nullptr);  // the separator

  const std::pair<Conversion, std::vector<const char*>> titles[] = {
      {Conversion::kSamToTxt, {"入力順編成ファイル名の設定", "出力テキストファイル名の設定"}},
      {Conversion::kTxtToSam, {"入力テキストファイル名の設定", "出力順編成ファイル名の設定"}},
      {Conversion::kCsvToSam,
       {"入力ＣＳＶファイル名の設定", "入力定義ファイル名の設定", "出力順編成ファイル名の設定"}},
      {Conversion::kVsamToSam, {"入力可変長順編成ファイル名の設定", "出力順編成ファイル名の設定"}}};
  for (const auto& [conversion, names] : titles) {
    std::unique_ptr<CConversionDialog> dialog = MakeConversionDialog(conversion, doc_, nullptr);
    for (std::size_t i = 0; i < names.size(); ++i)
      EXPECT_EQ(dialog->makeBrowseDialog(static_cast<int>(i))->windowTitle(),
                QString::fromUtf8(names[i]));
  }
}

TEST_F(DialogTest, BrowseButtonPutsTheChosenPathIntoItsField) {
  const std::string in = ws_.Write("IN.DAT", "x");
  Cstotdlg dialog(doc_, nullptr);
  dialog.show();
  QTimer::singleShot(0, [&] {
    auto* browse = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(browse, nullptr);
    browse->selectFile(QString::fromStdString(in));
    QMetaObject::invokeMethod(browse, "accept");
  });
  QTest::mouseClick(dialog.browseButton(0), Qt::LeftButton);
  EXPECT_EQ(dialog.lineEdit(0)->text(), QString::fromStdString(in));
}

TEST_F(DialogTest, DriverFailureIsShownAndTheDialogCloses) {
  Cvtosdlg dialog(doc_, nullptr);
  dialog.show();
  Type(dialog, 0, ws_.Write("FIXED.DAT", std::string(200, 'a')));
  Type(dialog, 1, ws_.Path("OUT.DAT"));
  Type(dialog, 2, "80");
  const std::vector<ShownBox> boxes = Run(dialog);
  EXPECT_EQ(dialog.lastResult(), kDriverFailed);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(boxes.size(), 1u);
  QString expected = BoxText(2730);
  expected.replace(QStringLiteral("%s"), QString::fromStdString(ws_.Path("FIXED.DAT")));
  EXPECT_EQ(boxes[0].text, expected);
}

TEST_F(DialogTest, RunDisablesTheMainWindowAndShowsTheInformationBox) {
  QWidget main_window;
  main_window.show();
  bool disabled_during_run = false;
  QString caption;
  SetRunInfoObserver([&](CRunInfoDlg& box) {
    disabled_during_run = !main_window.isEnabled();
    caption = box.windowTitle();
  });
  ws_.Write("IN.DAT", std::string(30, 'z'));
  Cstotdlg dialog(doc_, &main_window);
  dialog.show();
  Type(dialog, 0, ws_.Path("IN.DAT"));
  Type(dialog, 1, ws_.Path("OUT.TXT"));
  Type(dialog, 2, "10");
  Run(dialog);
  EXPECT_EQ(dialog.lastResult(), 0);
  EXPECT_TRUE(disabled_during_run);
  EXPECT_EQ(caption, QStringLiteral("実行中インフォメーション"));
  EXPECT_TRUE(main_window.isEnabled());
  EXPECT_FALSE(ConversionRunning());
}

TEST_F(DialogTest, RecordCountMovesWhileTheDriverRuns) {
  CRunInfoDlg* shown = nullptr;
  SetRunInfoObserver([&](CRunInfoDlg& box) { shown = &box; });
  std::atomic<bool> seen{false};
  QString seen_text;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (shown != nullptr && shown->CountText().contains(QStringLiteral("1234"))) {
      seen_text = shown->CountText();
      seen = true;
    }
  });
  watch.start(20);
  const auto started = std::chrono::steady_clock::now();
  const int result = RunWithInfoBox(nullptr, [&](const DriverContext& context) {
    EXPECT_EQ(context.output, MessageOutput::kBox);
    context.records->store(1234);
    // The worker goes on only once the GUI thread has shown the count.
    while (!seen && std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 7;
  });
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(seen);
  EXPECT_EQ(seen_text, QStringLiteral("変換レコード  1234件"));
  // A second run cannot start inside the first.
  EXPECT_FALSE(ConversionRunning());
}

}  // namespace
}  // namespace qel::xform::gui
