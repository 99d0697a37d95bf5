// The converter's main window offscreen: menus, tool bar and prompts, the
// dialog each command opens, help and About, and the screenshots of every
// window into the screenshot folder.
#include "xform/qelxform/xform_frame.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <fstream>

#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "message/qelmessage.h"
#include "xform/qelxform/run_info.h"
#include "xform/tests/xform_fixture.h"

namespace qel::xform::gui {
namespace {

using qel::gui::testing::BoxRecorder;
using qel::gui::testing::SaveScreenshot;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::gui::testing::EnsureApplication();
    KMSOFileIni(kLogName);
  }
  void TearDown() override {
    CMainFrame::setDialogObserver({});
    CMainFrame::SetHelpOpener({});
    SetRunInfoObserver({});
    ::unsetenv("QELLAR_REGISTRY");
  }
  test::Workspace ws_;
};

QStringList Texts(const QList<QAction*>& actions) {
  QStringList texts;
  for (QAction* a : actions)
    if (!a->isSeparator()) texts << a->text();
  return texts;
}

TEST_F(FrameTest, MenusAndToolBarAsTheProgramNamesThem) {
  CMainFrame frame;
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("ファイル変換"));
  EXPECT_STREQ(frame.metaObject()->className(), "qel::xform::gui::CMainFrame");
  EXPECT_TRUE(frame.inherits("qel::gui::CMainFrame"));
  EXPECT_TRUE(frame.view()->inherits("qel::xform::gui::CKXFMView"));
  const QList<QAction*> menus = frame.menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(Texts(menus), (QStringList{"ﾌｧｲﾙ変換(&F)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
  EXPECT_EQ(Texts(menus[0]->menu()->actions()),
            (QStringList{"順編成ﾌｧｲﾙ->ﾃｷｽﾄﾌｧｲﾙ(&S)...", "ﾃｷｽﾄﾌｧｲﾙ->順編成ﾌｧｲﾙ(&T)...",
                         "順編成ﾌｧｲﾙ->CSVﾌｧｲﾙ(&V)...", "CSVﾌｧｲﾙ->順編成ﾌｧｲﾙ(&C)...",
                         "索引順編成ﾌｧｲﾙ->CSVﾌｧｲﾙ(&I)...", "可変長順編成ﾌｧｲﾙ->順編成ﾌｧｲﾙ(&R)...",
                         "終了(&X)"}));
  EXPECT_EQ(Texts(menus[1]->menu()->actions()),
            (QStringList{"ツールバー(&B)", "ステータスバー(&S)"}));
  EXPECT_EQ(Texts(menus[2]->menu()->actions()),
            (QStringList{"目次(&C)", "キーワードで検索(&S)...", "ヘルプの使い方(&H)",
                         "バージョン情報(&A)..."}));
  // The six conversions are the tool-bar buttons, exit is not.
  const QList<QAction*> tools = frame.ToolBar()->actions();
  ASSERT_EQ(tools.size(), kConversionCount);
  for (int i = 0; i < kConversionCount; ++i)
    EXPECT_EQ(tools[i], frame.conversionAction(static_cast<Conversion>(i)));
}

TEST_F(FrameTest, CommandsHaveTheirPromptsAndToolTips) {
  CMainFrame frame;
  const char* const expected[kConversionCount][2] = {
      {"順編成ﾌｧｲﾙからﾃｷｽﾄﾌｧｲﾙへの変換", "Sam to Text"},
      {"ﾃｷｽﾄﾌｧｲﾙから順編成ﾌｧｲﾙへの変換", "Text to Sam"},
      {"順編成ﾌｧｲﾙからCSVﾌｧｲﾙへの変換", "Sam to Csv"},
      {"CSVﾌｧｲﾙから順編成ﾌｧｲﾙへの変換", "Csv to Sam"},
      {"索引順編成ﾌｧｲﾙからCSVﾌｧｲﾙへの変換", "Isam to Csv"},
      {"可変長順編成ﾌｧｲﾙから順編成ﾌｧｲﾙへの変換", "可変長Sam to Sam"}};
  for (int i = 0; i < kConversionCount; ++i) {
    QAction* action = frame.conversionAction(static_cast<Conversion>(i));
    EXPECT_EQ(action->statusTip(), QString::fromUtf8(expected[i][0]));
    EXPECT_EQ(action->toolTip(), QString::fromUtf8(expected[i][1]));
  }
  EXPECT_EQ(frame.exitAction()->statusTip(), QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了"));
  // The View and Help menus' commands have prompts as the File menu's have.
  QList<QAction*> others = {frame.toolBarAction(), frame.statusBarAction(), frame.aboutAction()};
  others += frame.helpActions();
  for (QAction* action : others) {
    EXPECT_FALSE(action->statusTip().isEmpty()) << action->text().toStdString();
    EXPECT_NE(action->statusTip(), action->text());
  }
  EXPECT_EQ(frame.helpActions()[0]->statusTip(), QStringLiteral("ﾍﾙﾌﾟの目次を表示"));
  frame.show();
  frame.conversionAction(Conversion::kIsamToCsv)->showStatusText(&frame);
  EXPECT_EQ(frame.statusBar()->currentMessage(), QString::fromUtf8(expected[4][0]));
}

TEST_F(FrameTest, EachCommandOpensItsDialogOfItsOwnClass) {
  CMainFrame frame;
  frame.show();
  QStringList classes, titles;
  CMainFrame::setDialogObserver([&](CConversionDialog& dialog) {
    classes << QString::fromLatin1(dialog.metaObject()->className());
    titles << dialog.windowTitle();
    QTimer::singleShot(0, &dialog, [&dialog] {
      SaveScreenshot(
          dialog, QStringLiteral("dialog_") + QString::fromLatin1(dialog.metaObject()->className())
                                                  .section(QStringLiteral("::"), -1));
      QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    });
  });
  for (int i = 0; i < kConversionCount; ++i)
    frame.conversionAction(static_cast<Conversion>(i))->trigger();
  EXPECT_EQ(classes, (QStringList{"qel::xform::gui::Cstotdlg", "qel::xform::gui::Cttosdlg",
                                  "qel::xform::gui::Cstocdlg", "qel::xform::gui::Cctosdlg",
                                  "qel::xform::gui::Citocdlg", "qel::xform::gui::Cvtosdlg"}));
  EXPECT_EQ(titles,
            (QStringList{"順編成ファイル－＞テキストファイル", "テキストファイル－＞順編成ファイル",
                         "順編成ファイル－＞ＣＳＶファイル", "ＣＳＶファイル－＞順編成ファイル",
                         "索引順編成ファイル－＞ＣＳＶファイル",
                         "可変長順編成ファイル－＞順編成ファイル"}));
  EXPECT_TRUE(frame.isEnabled());
}

TEST_F(FrameTest, ViewMenuHidesAndShowsTheBars) {
  CMainFrame frame;
  frame.show();
  frame.toolBarAction()->trigger();
  EXPECT_FALSE(frame.ToolBar()->isVisible());
  frame.statusBarAction()->trigger();
  EXPECT_FALSE(frame.statusBar()->isVisible());
  frame.toolBarAction()->trigger();
  frame.statusBarAction()->trigger();
  EXPECT_TRUE(frame.ToolBar()->isVisible());
  EXPECT_TRUE(frame.statusBar()->isVisible());
}

TEST_F(FrameTest, HelpCommandsOpenTheHelpFileOfTheInstallationDirectory) {
  const std::string registry = ws_.Write("registry.ini",
                                         "[SOFTWARE\\KORVATH\\QELLAR2]\nCurrentVersion=3.0\n"
                                         "[SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName]\nPath00=" +
                                             ws_.dir() + "\n");
  ::setenv("QELLAR_REGISTRY", registry.c_str(), 1);
  CMainFrame frame;
  QStringList opened;
  CMainFrame::SetHelpOpener([&](const QString& path) {
    opened << path;
    return true;
  });
  const QString help = QString::fromStdString(ws_.Path("qelxform.html"));
  EXPECT_EQ(CMainFrame::helpFilePath(), help);
  {
    BoxRecorder recorder;
    frame.helpActions()[0]->trigger();
    ASSERT_EQ(recorder.boxes().size(), 1u);  // not installed yet
    EXPECT_TRUE(recorder.boxes()[0].text.contains(help));
  }
  ws_.Write("qelxform.html", "<html></html>");
  ws_.Write("qelxform_index.html", "<html></html>");
  ws_.Write("help_usage.html", "<html></html>");
  // Contents, keyword search and using help each open their own page.
  for (QAction* action : frame.helpActions()) action->trigger();
  EXPECT_EQ(opened, (QStringList{help, QString::fromStdString(ws_.Path("qelxform_index.html")),
                                 QString::fromStdString(ws_.Path("help_usage.html"))}));
  // The dialogs' help button opens the same file.
  CMainFrame::setDialogObserver([](CConversionDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] {
      QTest::mouseClick(dialog.helpButton(), Qt::LeftButton);
      dialog.reject();
    });
  });
  frame.conversionAction(Conversion::kSamToCsv)->trigger();
  ASSERT_EQ(opened.size(), 4);
  EXPECT_EQ(opened[3], help + QStringLiteral("#samtocsv"));
}

TEST_F(FrameTest, AboutBoxNamesTheSuiteAndItsVersion) {
  CMainFrame frame;
  frame.show();
  QString text;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    SaveScreenshot(*box, QStringLiteral("about"));
    box->accept();
  });
  frame.aboutAction()->trigger();
  EXPECT_TRUE(text.contains(QStringLiteral("Quellar")));
  EXPECT_TRUE(text.contains(QStringLiteral("3.0")));
}

// Pictures of every window of the program, for people to look at.
TEST_F(FrameTest, ScreenshotsOfEveryWindow) {
  if (qgetenv("QEL_SCREENSHOT_DIR").isEmpty()) GTEST_SKIP() << "QEL_SCREENSHOT_DIR not set";
  CMainFrame frame;
  frame.show();
  const QString main = SaveScreenshot(frame, QStringLiteral("main_window"));
  ASSERT_FALSE(main.isEmpty());
  EXPECT_GT(QFileInfo(main).size(), 1000);

  Cstocdlg dialog(frame.document(), &frame, &frame);
  dialog.lineEdit(0)->setText(QStringLiteral("/data/売上.DAT"));
  dialog.lineEdit(1)->setText(QStringLiteral("/data/URIAGE.FLF"));
  dialog.lineEdit(2)->setText(QStringLiteral("/data/売上.CSV"));
  dialog.titleBox()->setChecked(true);
  EXPECT_FALSE(SaveScreenshot(dialog, QStringLiteral("dialog_Cstocdlg_filled")).isEmpty());
  CSpecialOptionsDlg options(frame.document(), &dialog);
  EXPECT_FALSE(SaveScreenshot(options, QStringLiteral("special_options")).isEmpty());
  CRunInfoDlg info;
  info.ShowCount(123456);
  EXPECT_FALSE(SaveScreenshot(info, QStringLiteral("run_info")).isEmpty());
  std::unique_ptr<QFileDialog> browse = dialog.makeBrowseDialog(1);
  browse->setDirectory(QString::fromStdString(ws_.dir()));
  EXPECT_FALSE(SaveScreenshot(*browse, QStringLiteral("browse_definition")).isEmpty());
}

}  // namespace
}  // namespace qel::xform::gui
