// The exported functions: boxes and their answers, console lines, the
// message-load and log-open error reports, time stamps and the installation
// directory. The program's table is tests/test_strings.tsv, the conversion
// program's tests/xformbatch_strings.tsv; the rework program's table is
// registered by the fixture so that a test can take it away.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "message/log_file.h"
#include "message/qelmessage.h"
#include "message/tests/log_fixture.h"
#include "platform/cp932.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace qel::message {
namespace {

using platform::BoxButtons;
using platform::BoxIcon;

struct Box {
  std::string caption;
  std::string text;
  BoxButtons buttons;
  BoxIcon icon;
};

std::vector<Box> boxes;
int answer = 0;

int Record(std::string_view caption, std::string_view text, BoxButtons buttons, BoxIcon icon) {
  boxes.push_back({std::string(caption), std::string(text), buttons, icon});
  return answer;
}

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

// A log line as the locale writes it: UTF-8 under a UTF-8 locale, else the
// CP932 bytes (file names as given in both).
std::string LogForm(const std::string& line) {
  return qel::message::EncodeLogText(line, qel::message::LogIsUtf8());
}

// The length of a log text in characters: bytes of CP932, UTF-8 characters.
std::size_t LogCharacters(const std::string& text) {
  if (!qel::message::LogIsUtf8()) return text.size();
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

const platform::StringTableEntry kReworkTexts[] = {
    {300, "QRWB0300-E rework %s", 20},
};

class ErrmsgoutTest : public testing::LogDirectoryTest {
 protected:
  void SetUp() override {
    LogDirectoryTest::SetUp();
    boxes.clear();
    answer = KMSO_IDOK;
    platform::SetBoxPresenter(Record);
    platform::RegisterStringTable("QELREWORKBATCH.EXE", kReworkTexts, 1, false);
  }
  void TearDown() override {
    platform::SetBoxPresenter(nullptr);
    platform::UnregisterStringTable("QELREWORKBATCH.EXE");
    LogDirectoryTest::TearDown();
  }

  // The one line of log `name`, without its time stamp.
  std::string LoggedText(const std::string& name) {
    auto lines = Lines(Read(Path(name + ".LOG")));
    EXPECT_EQ(lines.size(), 1u);
    if (lines.empty()) return "";
    EXPECT_TRUE(
        std::regex_match(lines[0].substr(0, 20), std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d )")))
        << lines[0];
    return lines[0].substr(20);
  }

  const char* args_[5] = {"ITEM.DAT", "ディスク満杯", "", "", ""};
};

TEST_F(ErrmsgoutTest, MultiLineMessageHasBreaksInTheBoxAndBlanksInTheLog) {
  ASSERT_TRUE(KMSOFileIni("QELTEST"));
  const char* args[5] = {"ITEM.DAT", "\x83\x66\x83\x42\x83\x58\x83\x4E", "", "", ""};
  EXPECT_EQ(KMSOErrmsgout("QELTEST", 101, args), KMSO_IDOK);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "QELTEST");
  EXPECT_EQ(boxes[0].text, Cp932("ITEM.DAT ファイルがありません。\n理由：ディスク"));
  EXPECT_EQ(boxes[0].buttons, BoxButtons::kOk);
  EXPECT_EQ(boxes[0].icon, BoxIcon::kStop);
  EXPECT_EQ(LoggedText("QELTEST"),
            LogForm(Cp932("QTST0101-S ITEM.DAT ファイルがありません。 理由：ディスク")));
}

class QuestionAnswerTest : public ErrmsgoutTest, public ::testing::WithParamInterface<int> {};

TEST_P(QuestionAnswerTest, QuestionReturnsTheButtonPressed) {
  ASSERT_TRUE(KMSOFileIni("QELTEST"));
  answer = GetParam();
  EXPECT_EQ(KMSOErrmsgout("QELTEST", 102, args_), GetParam());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, BoxButtons::kYesNoCancel);
  EXPECT_EQ(boxes[0].icon, BoxIcon::kQuestion);
}

INSTANTIATE_TEST_SUITE_P(Buttons, QuestionAnswerTest,
                         ::testing::Values(KMSO_IDYES, KMSO_IDNO, KMSO_IDCANCEL));

TEST_F(ErrmsgoutTest, QuestionAnsweredThroughTheConsoleDefault) {
  ASSERT_TRUE(KMSOFileIni("QELTEST"));
  platform::SetBoxPresenter(nullptr);
  ::setenv("QELLAR_BOX_ANSWER", "7", 1);
  ::testing::internal::CaptureStderr();
  int pressed = KMSOErrmsgout("QELTEST", 102, args_);
  std::string shown = ::testing::internal::GetCapturedStderr();
  ::unsetenv("QELLAR_BOX_ANSWER");
  EXPECT_EQ(pressed, KMSO_IDNO);
  EXPECT_NE(shown.find("[QELTEST] ITEM.DAT "), std::string::npos) << shown;
}

TEST_F(ErrmsgoutTest, MissingMessageReportsTheLoadErrorAndReturnsMinusOne) {
  ASSERT_TRUE(KMSOFileIni("QELTEST"));
  EXPECT_EQ(KMSOErrmsgout2("QELTEST", 4242), -1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Message Box");
  EXPECT_EQ(boxes[0].text, Cp932("メッセージ取得エラー"));
  EXPECT_EQ(boxes[0].icon, BoxIcon::kInformation);
  EXPECT_EQ(LoggedText("QELTEST"), LogForm(Cp932("メッセージ取得エラー(4242)")));
}

TEST_F(ErrmsgoutTest, BoxIsShownEvenWhenTheLogWasNeverCreated) {
  EXPECT_EQ(KMSOErrmsgout2("NOLOG", 100), KMSO_IDOK);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "KMSO");
  EXPECT_EQ(boxes[0].text, Cp932("ログファイルオープンエラー"));
  EXPECT_EQ(boxes[0].icon, BoxIcon::kExclamation);
  EXPECT_EQ(boxes[1].text, Cp932("処理を終了しました。"));
  EXPECT_EQ(boxes[1].icon, BoxIcon::kInformation);
  EXPECT_FALSE(Exists(Path("NOLOG.LOG")));
}

TEST_F(ErrmsgoutTest, LogCallsOnANeverCreatedLogShowTheOpenErrorOnceAndWriteNothing) {
  KMSOFileRound("NOLOG", "line\n");
  KMSOFileOut("NOLOG", "text");
  KMSOBinaryOut("NOLOG", "bin", 3);
  ASSERT_EQ(boxes.size(), 1u);
  for (const Box& b : boxes) {
    EXPECT_EQ(b.caption, "KMSO");
    EXPECT_EQ(b.text, Cp932("ログファイルオープンエラー"));
    EXPECT_EQ(b.buttons, BoxButtons::kOk);
    EXPECT_EQ(b.icon, BoxIcon::kExclamation);
  }
  EXPECT_FALSE(Exists(Path("NOLOG.LOG")));
}

// A log that is no regular file of the user's (a FIFO planted in a shared
// TEMP) must neither stop the program nor flood it with boxes: one box per
// log and run, and the run's messages still reach the console.
TEST_F(ErrmsgoutTest, UnopenableLogIsReportedOncePerRunWithoutBlocking) {
  ASSERT_EQ(::mkfifo(Path("FIFO.LOG").c_str(), 0600), 0);
  EXPECT_EQ(KMSOFileIni("FIFO"), 0);
  for (int i = 0; i < 20; ++i) {
    KMSOFileRound("FIFO", "line\n");
    KMSOFileOut("FIFO", "text");
    KMSOBinaryOut("FIFO", "bin", 3);
  }
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(KMSOErrmsgoutbt("FIFO", 300, args_, 0), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "QRWB0300-E rework ITEM.DAT\n");
  EXPECT_EQ(boxes.size(), 1u);
  // Another log is reported on its own; the next run of this one again.
  KMSOFileRound("OTHER", "line\n");
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(KMSOFileIni("FIFO"), 0);
  KMSOFileRound("FIFO", "line\n");
  KMSOFileRound("FIFO", "line\n");
  EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(ErrmsgoutTest, FileCallsAppendToACreatedLog) {
  ASSERT_NE(KMSOFileIni("RAW"), 0);
  KMSOFileOut("RAW", "abc\n");
  KMSOBinaryOut("RAW", "\0z", 2);
  KMSOFileRound("RAW", "round\n");
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Read(Path("RAW.LOG")), std::string("abc\n\0zround\n", 12));
}

TEST_F(ErrmsgoutTest, FileIniFailsWhereNoFileCanBeCreated) {
  ::setenv("TEMP", Path("missing/dir").c_str(), 1);
  EXPECT_EQ(KMSOFileIni("QELTEST"), 0);
}

TEST_F(ErrmsgoutTest, ConsoleMessageGoesToStandardOutputAndTheLog) {
  ASSERT_TRUE(KMSOFileIni("QELXFORMBATCH"));
  const char* args[5] = {"売上.DAT", "12", "", "", ""};
  ::testing::internal::CaptureStdout();
  int result = KMSOErrmsgoutbt("QELXFORMBATCH", 200, args, 1);
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(boxes.empty());
  // The insert is a UTF-8 file name; it is shown unchanged in either locale.
  if (platform::ConsoleIsUtf8()) {
    EXPECT_EQ(out, "QXFB0200-E 売上.DAT の変換に失敗しました。\n行 12\n");
  } else {
    EXPECT_EQ(out, Cp932("QXFB0200-E ") + "売上.DAT" + Cp932(" の変換に失敗しました。\n行 12\n"));
  }
  EXPECT_EQ(LoggedText("QELXFORMBATCH"),
            LogForm(Cp932("QXFB0200-E ") + "売上.DAT" + Cp932(" の変換に失敗しました。 行 12")));
}

// The locale runs of this test (CMake) say which console they set up.
TEST(ConsoleLocaleTest, ConsoleKindFollowsTheLocaleOfTheEnvironment) {
  const char* expected = std::getenv("QEL_EXPECT_CONSOLE_UTF8");
  if (expected == nullptr) GTEST_SKIP() << "run without a chosen locale";
  EXPECT_EQ(platform::ConsoleIsUtf8(), std::string(expected) == "1");
}

TEST_F(ErrmsgoutTest, ConsoleShowsTheSystemsTextsReadably) {
  ASSERT_TRUE(KMSOFileIni("QELXFORMBATCH"));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(KMSOErrmsgoutbt2("QELXFORMBATCH", 201, 1), 0);
  std::string out = ::testing::internal::GetCapturedStdout();
  std::string expected =
      platform::ConsoleIsUtf8() ? "QXFB0201-I ｶﾅ～－“〇\n" : Cp932("QXFB0201-I ｶﾅ～－“〇\n");
  EXPECT_EQ(out, expected);
}

TEST_F(ErrmsgoutTest, ZeroSelectsTheReworkProgramsTexts) {
  ASSERT_TRUE(KMSOFileIni("QELREWORKBATCH"));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(KMSOErrmsgoutbt("QELREWORKBATCH", 300, args_, 0), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "QRWB0300-E rework ITEM.DAT\n");
  // 200 is one of the conversion program's texts only.
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(KMSOErrmsgoutbt2("QELREWORKBATCH", 200, 0), -1);
  ::testing::internal::GetCapturedStdout();
  auto lines = Lines(Read(Path("QELREWORKBATCH.LOG")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(20), LogForm(Cp932("メッセージ取得エラー(200)")));
}

TEST_F(ErrmsgoutTest, ConsoleMessageWithoutStandardOutputFails) {
  ASSERT_TRUE(KMSOFileIni("QELXFORMBATCH"));
  std::fflush(stdout);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(STDOUT_FILENO);
    ::_exit(KMSOErrmsgoutbt2("QELXFORMBATCH", 201, 1) == -1 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Read(Path("QELXFORMBATCH.LOG")), "");
}

TEST_F(ErrmsgoutTest, ConsoleProgramNotLoadedIsLoggedAs9999) {
  ASSERT_TRUE(KMSOFileIni("QELREWORKBATCH"));
  platform::UnregisterStringTable("QELREWORKBATCH.EXE");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(KMSOErrmsgoutbt2("QELREWORKBATCH", 300, 0), -1);
  std::string out = ::testing::internal::GetCapturedStdout();
  std::string expected =
      platform::ConsoleIsUtf8() ? "メッセージ取得エラー\n" : Cp932("メッセージ取得エラー\n");
  EXPECT_EQ(out, expected);
  EXPECT_EQ(LoggedText("QELREWORKBATCH"), LogForm(Cp932("メッセージ取得エラー(9999)")));
}

TEST_F(ErrmsgoutTest, PercentTextsAndSixPlaceholdersStaySafe) {
  ASSERT_TRUE(KMSOFileIni("QELTEST"));
  KMSOErrmsgout("QELTEST", 105, args_);
  KMSOErrmsgout("QELTEST", 106, nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "100% ITEM.DAT");
  EXPECT_EQ(boxes[1].text, "");
}

TEST_F(ErrmsgoutTest, LongLogTextIsCutTo1023Bytes) {
  ASSERT_TRUE(KMSOFileIni("QELTEST"));
  std::string big(1500, 'x');
  const char* args[5] = {big.c_str(), "", "", "", ""};
  KMSOErrmsgout("QELTEST", 104, args);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.size(), Cp932("半角ｶﾀｶﾅ～－“〇 ").size() + 1500);
  EXPECT_EQ(LogCharacters(LoggedText("QELTEST")), 1023u);
}

TEST_F(ErrmsgoutTest, GetTimeWritesNineteenCharacters) {
  char buffer[KMSO_TIME_SIZE + 4];
  std::memset(buffer, '#', sizeof buffer);
  KMSOGetTime(buffer);
  EXPECT_TRUE(std::regex_match(buffer, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"))) << buffer;
  EXPECT_EQ(buffer[KMSO_TIME_SIZE], '#');
}

TEST_F(ErrmsgoutTest, InstallationDirectoryComesFromTheVersionedKey) {
  std::string registry = Path("registry.ini");
  ::setenv("QELLAR_REGISTRY", registry.c_str(), 1);
  char buffer[KMSO_INSTDIR_SIZE];
  Write(registry,
        "[SOFTWARE\\KORVATH\\QELLAR2]\r\nCurrentVersion=3.0\r\n"
        "[SOFTWARE\\KORVATH\\QELLAR2\\2.0\\PathName]\nPath00=/opt/old\n"
        "[SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName]\nPath00=/opt/qellar\n");
  KMSOGetInstDir(buffer);
  EXPECT_STREQ(buffer, "/opt/qellar");

  Write(registry, "[SOFTWARE\\KORVATH\\QELLAR2]\nCurrentVersion=4.0\n");
  KMSOGetInstDir(buffer);
  EXPECT_STREQ(buffer, "");

  Write(registry, "[SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName]\nPath00=/opt/qellar\n");
  KMSOGetInstDir(buffer);
  EXPECT_STREQ(buffer, "");

  Write(registry,
        "[SOFTWARE\\KORVATH\\QELLAR2]\nCurrentVersion=3.0\n"
        "[SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName]\nPath00=/" +
            std::string(KMSO_INSTDIR_SIZE, 'p') + "\n");
  KMSOGetInstDir(buffer);
  EXPECT_STREQ(buffer, "");

  ::setenv("QELLAR_REGISTRY", Path("absent.ini").c_str(), 1);
  std::strcpy(buffer, "stale");
  KMSOGetInstDir(buffer);
  EXPECT_STREQ(buffer, "");
  ::unsetenv("QELLAR_REGISTRY");
}

}  // namespace
}  // namespace qel::message
