#include "gui/box_presenter.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "message/qelmessage.h"
#include "platform/cp932.h"

namespace qel::gui {
namespace {

using testing::BoxRecorder;
using testing::EnsureApplication;

class BoxPresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qelgui_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    setenv("TEMP", dir_.c_str(), 1);
    ASSERT_NE(KMSOFileIni("QELGUITEST"), 0);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Log() const {
    std::ifstream in(dir_ + "/QELGUITEST.LOG", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
};

struct SeverityCase {
  int number;
  QMessageBox::StandardButton press;
  QMessageBox::StandardButtons buttons;
  QMessageBox::Icon icon;
  int code;
};

class SeverityTest : public BoxPresenterTest, public ::testing::WithParamInterface<SeverityCase> {};

TEST_P(SeverityTest, BoxOfTheSeverityAnswersTheButtonCode) {
  const SeverityCase& c = GetParam();
  BoxRecorder recorder;
  recorder.Answer(c.press);
  const char* args[5] = {"12", "", "", "", ""};
  EXPECT_EQ(KMSOErrmsgout("QELGUITEST", c.number, args), c.code);
  ASSERT_EQ(recorder.boxes().size(), 1u);
  const testing::ShownBox& box = recorder.boxes()[0];
  EXPECT_EQ(box.caption, QStringLiteral("QELGUITEST"));
  EXPECT_EQ(box.buttons, c.buttons);
  EXPECT_EQ(box.icon, c.icon);
  EXPECT_FALSE(box.text.startsWith(QStringLiteral("KQGT")));
  // One log line per box, message id included.
  EXPECT_NE(Log().find("KQGT" + std::to_string(c.number)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Severities, SeverityTest,
    ::testing::Values(
        SeverityCase{9001, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Information, 1},
        SeverityCase{9002, QMessageBox::Yes,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                     QMessageBox::Question, 6},
        SeverityCase{9002, QMessageBox::No,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                     QMessageBox::Question, 7},
        SeverityCase{9002, QMessageBox::Cancel,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                     QMessageBox::Question, 2},
        SeverityCase{9003, QMessageBox::Retry, QMessageBox::Retry | QMessageBox::Cancel,
                     QMessageBox::Warning, 4},
        SeverityCase{9003, QMessageBox::Cancel, QMessageBox::Retry | QMessageBox::Cancel,
                     QMessageBox::Warning, 2},
        SeverityCase{9004, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Critical, 1}));

TEST_F(BoxPresenterTest, MultiLineTextWithArgumentsShowsInTheBox) {
  BoxRecorder recorder;
  const char* args[5] = {"1234", "", "", "", ""};
  KMSOErrmsgout("QELGUITEST", 9001, args);
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].text.trimmed(), QStringLiteral("変換が終わりました。\n件数 1234"));
}

TEST_F(BoxPresenterTest, MissingTextShowsTheRetrievalErrorBox) {
  BoxRecorder recorder;
  EXPECT_EQ(KMSOErrmsgout2("QELGUITEST", 4321), -1);
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].caption, QStringLiteral("Message Box"));
  EXPECT_EQ(recorder.boxes()[0].text, QStringLiteral("メッセージ取得エラー"));
}

TEST_F(BoxPresenterTest, EscapeAnswersCancelOrOk) {
  BoxRecorder recorder;
  recorder.CloseWithEscape();
  EXPECT_EQ(KMSOErrmsgout2("QELGUITEST", 9002), 2);
  recorder.CloseWithEscape();
  EXPECT_EQ(KMSOErrmsgout2("QELGUITEST", 9001), 1);
  EXPECT_EQ(recorder.boxes().size(), 2u);
}

TEST_F(BoxPresenterTest, BoxAskedForByAWorkerIsShownOnTheGuiThread) {
  BoxRecorder recorder;
  recorder.Answer(QMessageBox::No);
  int answer = 0;
  bool done = false;
  std::thread worker([&] {
    answer = KMSOErrmsgout2("QELGUITEST", 9002);
    done = true;
  });
  // The GUI thread keeps its event loop running while the worker waits.
  for (int i = 0; i < 500 && !recorder.boxes().size(); ++i) QTest::qWait(10);
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(answer, 7);
  EXPECT_EQ(recorder.boxes().size(), 1u);
}

TEST_F(BoxPresenterTest, BoxIsOwnedByTheActiveWindow) {
  QWidget window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  BoxRecorder recorder;
  KMSOErrmsgout2("QELGUITEST", 9004);
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_TRUE(recorder.boxes()[0].had_parent);
}

TEST(ButtonCodeTest, ClosingWithoutAButton) {
  EXPECT_EQ(ButtonCode(QMessageBox::NoButton, platform::BoxButtons::kOk), 1);
  EXPECT_EQ(ButtonCode(QMessageBox::NoButton, platform::BoxButtons::kRetryCancel), 2);
  EXPECT_EQ(ButtonCode(QMessageBox::NoButton, platform::BoxButtons::kYesNoCancel), 2);
}

TEST(PumpTest, PumpRunsQueuedEventsOnTheGuiThread) {
  EnsureApplication();
  bool ran = false;
  QMetaObject::invokeMethod(
      qApp, [&] { ran = true; }, Qt::QueuedConnection);
  for (int i = 0; i < 100 && !ran; ++i) {
    platform::PumpOneMessage();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qel::gui
