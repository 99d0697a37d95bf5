// The help window: each window program's help pages are found and shown
// inside the program, the Help menu's three commands lead to the contents,
// the index and the page on using help, every link of the help leads
// somewhere, and the toolkit's standard dialogs speak Japanese.
#include "gui/help_window.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "gui/main_frame.h"
#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "gui/window_program.h"

namespace qel::gui {
namespace {

using testing::BoxRecorder;

const QString kHelpDir = QStringLiteral(QEL_HELP_SOURCE_DIR);
const QStringList kPrograms = {QStringLiteral("qelxform"), QStringLiteral("qelrework"),
                               QStringLiteral("qelrevise"), QStringLiteral("qelstart")};

QString Shown(const CHelpWindow& window) {
  return QFileInfo(window.browser()->source().toLocalFile()).fileName();
}

class HelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::EnsureApplication(); }
  void TearDown() override { CMainFrame::SetHelpOpener({}); }
};

TEST(HelpPagePathTest, TopicsLieBesideTheContentsPage) {
  const QString contents = QStringLiteral("/opt/q/share/qellar2/qelxform.html");
  EXPECT_EQ(HelpPagePath(contents, HelpTopic::kContents), contents);
  EXPECT_EQ(HelpPagePath(contents, HelpTopic::kIndex),
            QStringLiteral("/opt/q/share/qellar2/qelxform_index.html"));
  EXPECT_EQ(HelpPagePath(contents, HelpTopic::kUsing),
            QStringLiteral("/opt/q/share/qellar2/help_usage.html"));
}

TEST(HelpPagePathTest, AWindowsHelpFileStandsForItsHtmlPage) {
  EXPECT_EQ(HelpPagePath(QStringLiteral("/usr/share/qellar2\\QELREVISE.HLP"), HelpTopic::kContents),
            QStringLiteral("/usr/share/qellar2/qelrevise.html"));
  EXPECT_EQ(HelpPagePath(QStringLiteral("/d/QelStart.hlp"), HelpTopic::kIndex),
            QStringLiteral("/d/qelstart_index.html"));
  EXPECT_EQ(HelpPagePath(QStringLiteral("qelxform.html"), HelpTopic::kUsing),
            QStringLiteral("help_usage.html"));
}

TEST_F(HelpWindowTest, EachProgramsHelpOpensAtItsContents) {
  for (const QString& program : kPrograms) {
    SCOPED_TRACE(program.toStdString());
    CMainFrame frame(program);
    BoxRecorder recorder;
    ASSERT_TRUE(frame.OpenHelp(kHelpDir + QLatin1Char('/') + program + QStringLiteral(".html")));
    EXPECT_TRUE(recorder.boxes().empty());
    CHelpWindow* window = frame.HelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Shown(*window), program + QStringLiteral(".html"));
    // The page is the program's help, in Japanese, with its table of contents.
    const QString text = window->browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("目次"))) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("(") + program + QStringLiteral(")")) ||
                text.contains(QStringLiteral("（") + program + QStringLiteral("）")));
    EXPECT_TRUE(window->windowTitle().contains(program));
    // The window's own buttons lead to the same help's index and back.
    QTest::mouseClick(window->indexButton(), Qt::LeftButton);
    EXPECT_EQ(Shown(*window), program + QStringLiteral("_index.html"));
    QTest::mouseClick(window->usingButton(), Qt::LeftButton);
    EXPECT_EQ(Shown(*window), QStringLiteral("help_usage.html"));
    QTest::mouseClick(window->contentsButton(), Qt::LeftButton);
    EXPECT_EQ(Shown(*window), program + QStringLiteral(".html"));
    QTest::keyClick(window->browser(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
  }
}

TEST_F(HelpWindowTest, ADialogsHelpOpensTheContentsAtItsSection) {
  EXPECT_EQ(HelpPagePath(QStringLiteral("/d/qelrevise.html#settings"), HelpTopic::kContents),
            QStringLiteral("/d/qelrevise.html#settings"));
  EXPECT_EQ(HelpPagePath(QStringLiteral("/d/qelrevise.html#settings"), HelpTopic::kIndex),
            QStringLiteral("/d/qelrevise_index.html"));
  CMainFrame frame(QStringLiteral("qelrevise"));
  ASSERT_TRUE(frame.OpenHelp(kHelpDir + QStringLiteral("/qelrevise.html#special")));
  EXPECT_EQ(frame.HelpWindow()->browser()->source().fragment(), QStringLiteral("special"));
  // The window's contents button then leads to the top of the contents.
  QTest::mouseClick(frame.HelpWindow()->contentsButton(), Qt::LeftButton);
  EXPECT_TRUE(frame.HelpWindow()->browser()->source().fragment().isEmpty());
  frame.HelpWindow()->close();
}

TEST_F(HelpWindowTest, HelpOpenedFromAModalDialogBelongsToTheDialog) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  const QString contents = kHelpDir + QStringLiteral("/qelxform.html");
  QDialog dialog(&frame);
  QWidget* owner = reinterpret_cast<QWidget*>(1);
  QTimer::singleShot(0, &dialog, [&] {
    frame.OpenHelp(contents);
    owner = frame.HelpWindow()->parentWidget();
    EXPECT_TRUE(frame.HelpWindow()->isWindow());
    EXPECT_TRUE(frame.HelpWindow()->isVisible());
    dialog.reject();
  });
  dialog.exec();
  EXPECT_EQ(owner, &dialog);
  // From the frame itself, a window of its own again.
  ASSERT_TRUE(frame.OpenHelp(contents));
  EXPECT_EQ(frame.HelpWindow()->parentWidget(), nullptr);
  frame.HelpWindow()->close();
}

TEST_F(HelpWindowTest, TheHelpMenusThreeCommandsOpenContentsIndexAndUsingHelp) {
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  frame.AddMenu(QStringLiteral("ファイル(&F)"))->addAction(QStringLiteral("終了(&X)"));
  QMenu* help = frame.AddMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  const QString contents = kHelpDir + QStringLiteral("/qelxform.html");
  // One slot for all three, as a frame that does not name the topic has.
  QList<QAction*> commands;
  for (const char* label : {"目次(&C)", "キーワードで検索(&S)...", "ヘルプの使い方(&H)"}) {
    QAction* action = help->addAction(QString::fromUtf8(label));
    QObject::connect(action, &QAction::triggered, &frame,
                     [&frame, contents] { frame.OpenHelp(contents); });
    commands << action;
  }
  help->addSeparator();
  help->addAction(QStringLiteral("バージョン情報(&A)..."));
  QStringList opened;
  CMainFrame::SetHelpOpener([&](const QString& page) {
    opened << QFileInfo(page).fileName();
    return true;
  });
  for (QAction* action : commands) action->trigger();
  EXPECT_EQ(opened, (QStringList{"qelxform.html", "qelxform_index.html", "help_usage.html"}));
  // Called directly (a dialog's help button), the contents.
  frame.OpenHelp(contents);
  EXPECT_EQ(opened.last(), QStringLiteral("qelxform.html"));
  frame.OpenHelp(contents, HelpTopic::kIndex);
  EXPECT_EQ(opened.last(), QStringLiteral("qelxform_index.html"));
}

TEST_F(HelpWindowTest, AMissingIndexPageIsNamedInTheBox) {
  const QString dir = QDir::tempPath() + QStringLiteral("/qelhelp_") +
                      QString::number(QCoreApplication::applicationPid());
  QDir().mkpath(dir);
  QFile page(dir + QStringLiteral("/qelxform.html"));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write("<html><body>only contents</body></html>");
  page.close();
  CMainFrame frame(QStringLiteral("QELGUITEST"));
  BoxRecorder recorder;
  EXPECT_FALSE(frame.OpenHelp(page.fileName(), HelpTopic::kIndex));
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_TRUE(recorder.boxes()[0].text.contains(dir + QStringLiteral("/qelxform_index.html")));
  EXPECT_EQ(frame.HelpWindow(), nullptr);
  QDir(dir).removeRecursively();
}

// Every link of the help leads to a page that exists and, with "#name", to
// an anchor of that page.
TEST(HelpPagesTest, EveryLinkLeadsToAnExistingPageAndAnchor) {
  const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
  const QStringList pages = QDir(kHelpDir).entryList({QStringLiteral("*.html")}, QDir::Files);
  ASSERT_GE(pages.size(), 9);
  auto read = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  int links = 0;
  for (const QString& name : pages) {
    const QString text = read(kHelpDir + QLatin1Char('/') + name);
    for (auto it = link.globalMatch(text); it.hasNext();) {
      const QString target = it.next().captured(1);
      const QString file = target.section(QLatin1Char('#'), 0, 0);
      const QString fragment = target.section(QLatin1Char('#'), 1);
      const QString target_text =
          read(kHelpDir + QLatin1Char('/') + (file.isEmpty() ? name : file));
      ASSERT_FALSE(target_text.isEmpty()) << name.toStdString() << ": " << target.toStdString();
      if (!fragment.isEmpty()) {
        EXPECT_TRUE(target_text.contains(QStringLiteral("name=\"") + fragment + QLatin1Char('"')))
            << name.toStdString() << ": " << target.toStdString();
      }
      ++links;
    }
  }
  EXPECT_GT(links, 100);
}

TEST_F(HelpWindowTest, BrowseDialogSpeaksJapanese) {
  EXPECT_TRUE(LoadToolkitTranslations());
  QFileDialog dialog(nullptr, QStringLiteral("入力順編成ファイル名の設定"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.show();
  QStringList labels;
  for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  const QString all = labels.join(QLatin1Char('|'));
  EXPECT_TRUE(all.contains(QStringLiteral("ファイル名"))) << all.toStdString();
  EXPECT_FALSE(all.contains(QStringLiteral("File name"))) << all.toStdString();
  testing::SaveScreenshot(dialog, QStringLiteral("gui_browse_dialog"));
  dialog.close();
}

TEST_F(HelpWindowTest, Screenshot) {
  CMainFrame frame(QStringLiteral("ファイル変換"));
  ASSERT_TRUE(frame.OpenHelp(kHelpDir + QStringLiteral("/qelxform.html")));
  testing::SaveScreenshot(*frame.HelpWindow(), QStringLiteral("gui_help_window"));
  frame.OpenHelp(kHelpDir + QStringLiteral("/qelxform.html"), HelpTopic::kIndex);
  testing::SaveScreenshot(*frame.HelpWindow(), QStringLiteral("gui_help_index"));
  frame.HelpWindow()->close();
}

}  // namespace
}  // namespace qel::gui
