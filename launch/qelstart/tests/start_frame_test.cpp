// The launcher's main window in run mode with real processes: child menus
// are real qelstart processes (offscreen), programs are shell scripts. Every
// menu appends the window messages it receives to a trace file, so that the
// test sees what reached which process.
#include "launch/qelstart/start_frame.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <set>

#include "gui/box_presenter.h"
#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "launch/launcher_texts.h"
#include "launch/process_start.h"
#include "launch/qelstart/tests/menu_fixture.h"

namespace qel::launch::gui {
namespace {

using namespace qel::launch::testing;
using qel::gui::testing::BoxRecorder;
using qel::gui::testing::SaveScreenshot;

QString Text(int id) { return qel::gui::ProgramText(static_cast<unsigned>(id)); }

class StartFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::gui::testing::EnsureApplication();
    dir_ = tmp_.path().toStdString();
    trace_ = dir_ + "/trace.txt";
    qputenv("QELSTART_TRACE", QByteArray::fromStdString(trace_));
  }
  void TearDown() override {
    for (auto& frame : frames_)
      for (pid_t child : frame->runner().RunningChildren()) started_.push_back(child);
    frames_.clear();
    for (pid_t pid : Pids()) {
      if (pid == ::getpid()) continue;
      ::kill(pid, SIGKILL);
    }
    for (pid_t pid : started_) {
      ::kill(pid, SIGKILL);
      WaitUntil([pid] { return !ChildRunning(pid); }, 5000);
    }
    qunsetenv("QELSTART_TRACE");
  }

  std::string Path(const std::string& name) { return dir_ + "/" + name; }

  // A child menu file with one button and an end button.
  std::string SubMenu(const std::string& name) {
    CQelstartDoc doc;
    AddButton(doc, "子の処理", MarkerScript(dir_, name + ".sh", name + "_ran"));
    AddButton(doc, "終了", "", 0, CLCNButton::kEndButton);
    AddPfKey(doc, 0, 1, CLCNPfKey::kPreviousScreen);
    WriteMenu(doc, Path(name));
    return Path(name);
  }

  CMainFrame& Open(CQelstartDoc& doc, const std::string& name, pid_t parent = 0) {
    WriteMenu(doc, Path(name));
    LauncherState state;
    state.parent_window = parent;
    state.launcher_path = QELSTART_PATH;
    auto frame = std::make_unique<CMainFrame>(LaunchMode::kRun, state, Path(name));
    frame->show();
    frame->startUp();
    CMainFrame& ref = *frame;
    frames_.push_back(std::move(frame));
    EXPECT_TRUE(WaitUntil([&] { return ref.document().ObjectCount() > 0; }));
    return ref;
  }

  // "pid message wparam" lines of the trace.
  std::vector<std::array<long, 3>> Trace() {
    std::vector<std::array<long, 3>> lines;
    QFile file(QString::fromStdString(trace_));
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
      const QList<QByteArray> f = line.split(' ');
      if (f.size() == 3) lines.push_back({f[0].toLong(), f[1].toLong(), f[2].toLong()});
    }
    return lines;
  }
  bool Traced(long pid, long message) {
    for (const auto& line : Trace())
      if (line[0] == pid && line[1] == message) return true;
    return false;
  }
  int TraceCount(long pid, long message) {
    int count = 0;
    for (const auto& line : Trace()) count += line[0] == pid && line[1] == message;
    return count;
  }
  // The child that registered with `parent` last.
  pid_t RegisteredChild(pid_t parent) {
    pid_t child = 0;
    for (const auto& line : Trace())
      if (line[0] == parent && line[1] == kMsgRegister) child = static_cast<pid_t>(line[2]);
    return child;
  }
  std::set<pid_t> Pids() {
    std::set<pid_t> pids;
    for (const auto& line : Trace()) {
      pids.insert(static_cast<pid_t>(line[0]));
      if (line[1] == kMsgRegister) pids.insert(static_cast<pid_t>(line[2]));
    }
    return pids;
  }
  void Click(CMainFrame& frame, const CLCNObject& object) {
    QWidget* widget = frame.view()->widgetFor(&object);
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
  }
  std::vector<QString> BoxTexts(const BoxRecorder& boxes) {
    std::vector<QString> texts;
    for (const auto& box : boxes.boxes()) texts.push_back(box.text);
    return texts;
  }

  QTemporaryDir tmp_;
  std::string dir_;
  std::string trace_;
  std::vector<std::unique_ptr<CMainFrame>> frames_;
  std::vector<pid_t> started_;
};

TEST_F(StartFrameTest, OpenChildMenuComesToTheFrontAndAKilledOneIsForgotten) {
  CQelstartDoc doc;
  auto& sub = AddButton(doc, "サブメニュー", SubMenu("sub.qlm"));
  CMainFrame& frame = Open(doc, "root.qlm");
  const pid_t self = ::getpid();
  Click(frame, *frame.document().buttons[0]);
  ASSERT_TRUE(WaitUntil([&] { return RegisteredChild(self) != 0; }));
  const pid_t child = RegisteredChild(self);
  Click(frame, *frame.document().buttons[0]);
  ASSERT_TRUE(WaitUntil([&] { return Traced(child, kMsgToFront); }));
  EXPECT_EQ(frame.runner().RunningChildren(), std::vector<pid_t>{child});
  EXPECT_EQ(TraceCount(self, kMsgRegister), 1);

  ::kill(child, SIGKILL);
  ASSERT_TRUE(WaitUntil([&] { return !ProcessExists(child) || !frame.runner().AnyChildRunning(); }));
  Click(frame, *frame.document().buttons[0]);
  ASSERT_TRUE(WaitUntil([&] { return RegisteredChild(self) != child && RegisteredChild(self) != 0; }));
  EXPECT_EQ(frame.runner().RunningChildren().size(), 1u);
  (void)sub;
}

TEST_F(StartFrameTest, ClosingTheRootClosesTheWholeChain) {
  CQelstartDoc doc;
  AddButton(doc, "一", SubMenu("one.qlm"));
  AddButton(doc, "二", SubMenu("two.qlm"));
  CMainFrame& frame = Open(doc, "root.qlm");
  const pid_t self = ::getpid();
  Click(frame, *frame.document().buttons[0]);
  Click(frame, *frame.document().buttons[1]);
  ASSERT_TRUE(WaitUntil([&] { return TraceCount(self, kMsgRegister) == 2; }));
  std::vector<pid_t> children = frame.runner().RunningChildren();
  ASSERT_EQ(children.size(), 2u);

  BoxRecorder boxes;
  boxes.Answer(QMessageBox::Cancel);
  frame.close();
  EXPECT_TRUE(frame.isVisible());  // Cancel keeps everything
  boxes.Answer(QMessageBox::Ok);
  frame.close();
  ASSERT_EQ(BoxTexts(boxes), (std::vector<QString>{Text(kTextEndPressed), Text(kTextEndPressed)}));
  EXPECT_TRUE(WaitUntil([&] { return !frame.isVisible(); }));
  for (pid_t child : children) {
    EXPECT_TRUE(Traced(child, kMsgCloseAll));
    EXPECT_FALSE(ChildRunning(child));
  }
}

TEST_F(StartFrameTest, WaitFlagDisablesParentSelfAndChildrenUntilTheProgramEnds) {
  // The parent is a real root menu; the menu under test is its child.
  CQelstartDoc parent_doc;
  AddButton(parent_doc, "何もしない", "true");
  WriteMenu(parent_doc, Path("parent.qlm"));
  const StartResult parent =
      SpawnProcess({QELSTART_PATH, "/EXE", Path("parent.qlm")});
  ASSERT_TRUE(parent.ok());
  started_.push_back(parent.pid);
  ASSERT_TRUE(WaitUntil([&] { return SendChainMessage(parent.pid, 0); }));

  CQelstartDoc doc;
  AddButton(doc, "サブ", SubMenu("sub.qlm"));
  AddButton(doc, "待つ", MarkerScript(dir_, "wait.sh", "waited", 1.5), 0, CLCNButton::kWaitForEnd);
  CMainFrame& frame = Open(doc, "middle.qlm", parent.pid);
  const pid_t self = ::getpid();
  ASSERT_TRUE(WaitUntil([&] { return Traced(parent.pid, kMsgRegister); }));
  Click(frame, *frame.document().buttons[0]);
  ASSERT_TRUE(WaitUntil([&] { return RegisteredChild(self) != 0; }));
  const pid_t child = RegisteredChild(self);

  BoxRecorder boxes;
  Click(frame, *frame.document().buttons[1]);
  EXPECT_TRUE(frame.runner().waiting());
  ASSERT_TRUE(WaitUntil([&] { return Traced(parent.pid, kMsgDisable) && Traced(child, kMsgDisable); }));
  Click(frame, *frame.document().buttons[0]);
  Click(frame, *frame.document().buttons[1]);
  frame.close();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(BoxTexts(boxes), std::vector<QString>(3, Text(kTextWaiting)));
  EXPECT_FALSE(Traced(parent.pid, kMsgEnable));

  ASSERT_TRUE(WaitUntil([&] { return !frame.runner().waiting(); }));
  EXPECT_TRUE(FileExists(Path("waited")));
  ASSERT_TRUE(WaitUntil([&] { return Traced(parent.pid, kMsgEnable) && Traced(child, kMsgEnable); }));
  // The child was not started a second time while the menu waited.
  EXPECT_EQ(TraceCount(self, kMsgRegister), 1);
}

TEST_F(StartFrameTest, FunctionKeysPressTheButtonsOfTheirTitle) {
  CQelstartDoc doc;
  AddButton(doc, "日次", MarkerScript(dir_, "a.sh", "a_ran"));
  AddButton(doc, "月次", MarkerScript(dir_, "b.sh", "b_ran"));
  AddButton(doc, "日次", MarkerScript(dir_, "c.sh", "c_ran"));
  AddPfKey(doc, 0, 1, CLCNPfKey::kFirstScreen);
  AddPfKey(doc, 1, 0, 0, "日次");
  CMainFrame& frame = Open(doc, "keys.qlm");
  QTest::keyClick(&frame, Qt::Key_F2);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(Path("a_ran")) && FileExists(Path("c_ran")); }));
  QTest::qWait(200);
  EXPECT_FALSE(FileExists(Path("b_ran")));
}

TEST_F(StartFrameTest, MenuNumberInputAnswersWithItsTwoMessages) {
  CQelstartDoc doc;
  AddButton(doc, "一番", MarkerScript(dir_, "one.sh", "one_ran"), 1);
  doc.Add<CLCNInput>().position = {400, 20, 90, 30};
  CMainFrame& frame = Open(doc, "numbers.qlm");
  QLineEdit* input = frame.view()->inputArea();
  ASSERT_NE(input, nullptr);
  BoxRecorder boxes;
  for (const char* typed : {"0", "40000", "1a", "7"}) {
    input->clear();
    QTest::keyClicks(input, typed);
    QTest::keyClick(input, Qt::Key_Return);
  }
  EXPECT_EQ(BoxTexts(boxes), (std::vector<QString>{Text(kTextInvalidNumber), Text(kTextInvalidNumber),
                                                   Text(kTextInvalidNumber), Text(kTextNoSuchNumber)}));
  input->clear();
  QTest::keyClicks(input, "1");
  QTest::keyClick(input, Qt::Key_Return);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(Path("one_ran")); }));
}

TEST_F(StartFrameTest, MissingAndIncompleteMenusCloseWithTheirMessages) {
  BoxRecorder boxes;
  LauncherState state;
  state.launcher_path = QELSTART_PATH;
  CMainFrame missing(LaunchMode::kRun, state, Path("nothere.qlm"));
  missing.show();
  EXPECT_FALSE(missing.openNamedMenu());
  EXPECT_TRUE(WaitUntil([&] { return !missing.isVisible(); }));

  CQelstartDoc doc;
  AddButton(doc, "一", "true");
  WriteMenu(doc, Path("half.qlm"), false);
  CMainFrame incomplete(LaunchMode::kRun, state, Path("half.qlm"));
  incomplete.show();
  EXPECT_FALSE(incomplete.openNamedMenu());
  EXPECT_TRUE(WaitUntil([&] { return !incomplete.isVisible(); }));

  std::ofstream(Path("junk.qlm")) << "not a menu";
  CMainFrame junk(LaunchMode::kRun, state, Path("junk.qlm"));
  junk.show();
  EXPECT_FALSE(junk.openNamedMenu());
  EXPECT_EQ(BoxTexts(boxes),
            (std::vector<QString>{Text(kTextMenuMissing), Text(kTextIncomplete),
                                  QString::fromUtf8("ファイルの形式が不正です")}));
}

TEST_F(StartFrameTest, CommandLineErrorsAndTheWarning) {
  BoxRecorder boxes;
  int exitCode = 0;
  EXPECT_EQ(CreateLauncher({"/EXE", "/Z"}, QELSTART_PATH, exitCode), nullptr);
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(CreateLauncher({"/P"}, QELSTART_PATH, exitCode), nullptr);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(CreateLauncher({"/I", "QLMnone"}, QELSTART_PATH, exitCode), nullptr);
  EXPECT_EQ(exitCode, 1);
  std::unique_ptr<CMainFrame> warned = CreateLauncher({"/EXE"}, QELSTART_PATH, exitCode);
  EXPECT_NE(warned, nullptr);
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].text, Text(kTextBadParameter));
  EXPECT_EQ(boxes.boxes()[1].text, Text(kTextMapFailed));
  EXPECT_EQ(boxes.boxes()[2].text, Text(kTextBadParameter));
  EXPECT_EQ(boxes.boxes()[2].icon, QMessageBox::Warning);
}

TEST_F(StartFrameTest, RecentFilesKeepTheLastFourOpened) {
  CQelstartDoc doc;
  AddButton(doc, "一", "true");
  for (int i = 0; i < 5; ++i) WriteMenu(doc, Path("m" + std::to_string(i) + ".qlm"));
  LauncherState state;
  CMainFrame frame(LaunchMode::kRun, state, "");
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(frame.openMenu(Path("m" + std::to_string(i) + ".qlm")));
  ASSERT_TRUE(frame.openMenu(Path("m2.qlm")));
  const QStringList recent = CMainFrame::recentFiles();
  ASSERT_EQ(recent.size(), kRecentFiles);
  EXPECT_TRUE(recent[0].endsWith("m2.qlm"));
  EXPECT_TRUE(recent[1].endsWith("m4.qlm"));
  EXPECT_TRUE(recent[3].endsWith("m1.qlm"));
}

int PdfPages(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray pdf = file.readAll();
  if (!pdf.startsWith("%PDF")) return -1;
  return static_cast<int>(pdf.count("/Type /Page\n"));
}

TEST_F(StartFrameTest, PrintOptionPrintsTheListingPageByPage) {
  CQelstartDoc small;
  AddButton(small, "一", "true");
  CQelstartDoc large;
  for (int i = 0; i < 40; ++i) AddButton(large, "ボタン", "true", static_cast<uint16_t>(i + 1));
  WriteMenu(small, Path("small.qlm"));
  WriteMenu(large, Path("large.qlm"));
  int exitCode = 0;
  std::unique_ptr<CMainFrame> frame =
      CreateLauncher({"/EXE", "/P", Path("small.qlm")}, QELSTART_PATH, exitCode);
  ASSERT_NE(frame, nullptr);
  frame->show();
  frame->startUp();
  // Without a printer the listing goes into a PDF file beside the menu.
  ASSERT_TRUE(WaitUntil([&] { return PdfPages(QString::fromStdString(Path("small.pdf"))) > 0; }));
  EXPECT_EQ(PdfPages(QString::fromStdString(Path("small.pdf"))), 1);
  ASSERT_TRUE(frame->openMenu(Path("large.qlm")));
  EXPECT_EQ(frame->printMenu(), QString::fromStdString(Path("large.pdf")));
  EXPECT_GT(PdfPages(QString::fromStdString(Path("large.pdf"))), 2);
}

TEST_F(StartFrameTest, ScreenshotsOfMenusWithEveryObjectKind) {
  CQelstartDoc doc;
  BuildEveryKind(doc, dir_);
  doc.placement = {1, 0, 0, 660, 520};
  CMainFrame& root = Open(doc, "every.qlm");
  EXPECT_EQ(root.windowTitle(), QString::fromUtf8("業務メニュー"));
  SaveScreenshot(root, "qelstart_run_root");
  // As a child menu the first- and previous-screen keys show their titles.
  LauncherState state;
  state.parent_window = 1;
  CMainFrame child(LaunchMode::kRun, state, Path("every.qlm"));
  child.show();
  ASSERT_TRUE(child.openNamedMenu());
  SaveScreenshot(child, "qelstart_run_child");
  // The end dialog.
  BoxRecorder boxes;
  qel::gui::SetBoxObserver([](QMessageBox& box) {
    SaveScreenshot(box, "qelstart_end_dialog");
    box.reject();
  });
  ShowLauncherText(kTextEndPressed, {}, platform::BoxButtons::kOkCancel,
                   platform::BoxIcon::kInformation);
}

}  // namespace
}  // namespace qel::launch::gui
