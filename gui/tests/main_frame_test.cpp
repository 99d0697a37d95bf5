#include "gui/main_frame.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFile>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <filesystem>
#include <string>

#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"

namespace qel::gui {
namespace {

using testing::BoxRecorder;

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qelgui_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = QString::fromStdString(pattern);
  }
  void TearDown() override {
    CMainFrame::SetHelpOpener({});
    std::filesystem::remove_all(dir_.toStdString());
  }
  QString dir_;
};

TEST(SplitCommandTextTest, PromptAndToolTip) {
  EXPECT_EQ(SplitCommandText(QStringLiteral("a\nb")).prompt, QStringLiteral("a"));
  EXPECT_EQ(SplitCommandText(QStringLiteral("a\nb")).tool_tip, QStringLiteral("b"));
  EXPECT_EQ(SplitCommandText(QStringLiteral("only")).tool_tip, QStringLiteral("only"));
  EXPECT_TRUE(SplitCommandText(QString()).prompt.isEmpty());
}

TEST_F(MainFrameTest, CommandTextsComeFromTheStringTable) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  QMenu* file = frame.AddMenu(QStringLiteral("ファイル(&F)"));
  QAction* run = frame.AddCommand(file, 100, QStringLiteral("変換(&C)"), {},
                                  frame.style()->standardIcon(QStyle::SP_MediaPlay));
  QAction* quit = frame.AddCommand(file, 101, QStringLiteral("終了(&X)"));
  EXPECT_EQ(run->statusTip(), QStringLiteral("ファイルを変換します"));
  EXPECT_EQ(run->toolTip(), QStringLiteral("変換"));
  EXPECT_EQ(quit->toolTip(), QStringLiteral("終了します"));
  EXPECT_TRUE(frame.ToolBar()->actions().contains(run));
  EXPECT_FALSE(frame.ToolBar()->actions().contains(quit));
  EXPECT_EQ(file->actions().size(), 2);
}

TEST_F(MainFrameTest, StatusBarShowsThePromptThenTheIdleText) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  QAction* run =
      frame.AddCommand(frame.AddMenu(QStringLiteral("ファイル")), 100, QStringLiteral("変換"));
  frame.show();
  EXPECT_EQ(frame.statusBar()->currentMessage(), GuiText(kTextReady));
  run->showStatusText(&frame);
  EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("ファイルを変換します"));
  frame.statusBar()->clearMessage();
  EXPECT_EQ(frame.statusBar()->currentMessage(), GuiText(kTextReady));
  EXPECT_FALSE(GuiText(kTextReady).isEmpty());
}

TEST_F(MainFrameTest, MissingHelpFileShowsABoxNamingIt) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  bool opener_called = false;
  CMainFrame::SetHelpOpener([&](const QString&) { return opener_called = true; });
  BoxRecorder recorder;
  const QString path = dir_ + QStringLiteral("/QELXFORM.HLP");
  EXPECT_FALSE(frame.OpenHelp(path));
  EXPECT_FALSE(opener_called);
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].caption, QStringLiteral("QELGUITEST"));
  // The Windows help file stands for the HTML page of the same name.
  EXPECT_TRUE(recorder.boxes()[0].text.contains(dir_ + QStringLiteral("/qelxform.html")));
  EXPECT_EQ(recorder.boxes()[0].icon, QMessageBox::Warning);
}

TEST_F(MainFrameTest, ExistingHelpFileIsOpenedOrTheFailureShown) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  const QString path = dir_ + QStringLiteral("/help.html");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<html></html>");
  file.close();
  QString opened;
  CMainFrame::SetHelpOpener([&](const QString& p) {
    opened = p;
    return true;
  });
  BoxRecorder recorder;
  EXPECT_TRUE(frame.OpenHelp(path));
  EXPECT_EQ(opened, path);
  EXPECT_TRUE(recorder.boxes().empty());
  CMainFrame::SetHelpOpener([](const QString&) { return false; });
  EXPECT_FALSE(frame.OpenHelp(path));
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].text, GuiText(kTextHelpNotOpened).replace("%s", path));
}

TEST_F(MainFrameTest, ScreenshotWithJapaneseMenus) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  QMenu* file = frame.AddMenu(QStringLiteral("ファイル(&F)"));
  frame.AddCommand(file, 100, QStringLiteral("変換(&C)"), {},
                   frame.style()->standardIcon(QStyle::SP_MediaPlay));
  frame.AddMenu(QStringLiteral("ヘルプ(&H)"));
  frame.resize(480, 320);
  const QString written = testing::SaveScreenshot(frame, QStringLiteral("gui_main_frame"));
  if (!qEnvironmentVariableIsEmpty("QEL_SCREENSHOT_DIR")) {
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(QFile::exists(written));
  }
}

}  // namespace
}  // namespace qel::gui
