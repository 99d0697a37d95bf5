// The log files: the 100-line ring, plain and binary appends, the TEMP rule
// and the refusal of planted symbolic links.
#include "message/log_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "message/message_text.h"
#include "message/tests/log_fixture.h"
#include "platform/cp932.h"
#include "platform/file.h"

namespace qel::message {
namespace {

using LogFileTest = testing::LogDirectoryTest;

TEST_F(LogFileTest, RingOf101LinesKeepsLines2To101InOrder) {
  ASSERT_TRUE(InitLog("RING"));
  for (int i = 1; i <= 101; ++i) {
    ASSERT_TRUE(AppendRound("RING", "line " + std::to_string(i) + "\n"));
  }
  auto lines = Lines(Read(Path("RING.LOG")));
  ASSERT_EQ(lines.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(lines[i], "line " + std::to_string(i + 2));
}

TEST_F(LogFileTest, RingBelowCapacityKeepsEveryLine) {
  ASSERT_TRUE(InitLog("FEW"));
  for (int i = 1; i <= 3; ++i) AppendRound("FEW", std::to_string(i) + "\n");
  EXPECT_EQ(Read(Path("FEW.LOG")), "1\n2\n3\n");
}

TEST_F(LogFileTest, RingWrappingSeveralTimesStaysOldestFirst) {
  ASSERT_TRUE(InitLog("WRAP"));
  for (int i = 1; i <= 350; ++i) AppendRound("WRAP", std::to_string(i) + "\n");
  auto lines = Lines(Read(Path("WRAP.LOG")));
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.front(), "251");
  EXPECT_EQ(lines.back(), "350");
}

TEST_F(LogFileTest, LineLongerThanOnePieceSurvivesTheRewrite) {
  ASSERT_TRUE(InitLog("LONG"));
  std::string long_line(3000, 'x');
  long_line += "\n";
  AppendRound("LONG", long_line);
  AppendRound("LONG", "next\n");
  EXPECT_EQ(Read(Path("LONG.LOG")), long_line + "next\n");
}

TEST_F(LogFileTest, LargeLogOfPlainAppendsIsCutToTheLastLines) {
  ASSERT_TRUE(InitLog("BIG"));
  std::string text;
  for (int i = 1; i <= 50000; ++i) text += "plain " + std::to_string(i) + "\n";
  ASSERT_TRUE(AppendToLog("BIG", text));
  ASSERT_TRUE(AppendRound("BIG", "round\n"));
  auto lines = Lines(Read(Path("BIG.LOG")));
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines[0], "plain 49902");
  EXPECT_EQ(lines[98], "plain 50000");
  EXPECT_EQ(lines[99], "round");
}

TEST_F(LogFileTest, RoundOnANeverCreatedLogFailsAndCreatesNothing) {
  EXPECT_FALSE(AppendRound("NONE", "x\n"));
  EXPECT_FALSE(AppendToLog("NONE", "x"));
  EXPECT_FALSE(AppendBinaryToLog("NONE", "x"));
  EXPECT_FALSE(Exists(Path("NONE.LOG")));
}

TEST_F(LogFileTest, RoundWhileAnotherWriterHoldsTheLogFailsAndKeepsIt) {
  ASSERT_TRUE(InitLog("HELD"));
  ASSERT_TRUE(AppendRound("HELD", "kept\n"));
  platform::File writer =
      platform::File::Open(Path("HELD.LOG").c_str(), platform::FileAccess::kWrite,
                           platform::Disposition::kOpenExisting, platform::ShareMode::kDenyWrite);
  ASSERT_TRUE(writer.is_open());
  EXPECT_FALSE(AppendRound("HELD", "lost\n"));
  EXPECT_FALSE(AppendToLog("HELD", "lost"));
  writer.Close();
  EXPECT_EQ(Read(Path("HELD.LOG")), "kept\n");
}

TEST_F(LogFileTest, InitEmptiesAnExistingLog) {
  Write(Path("OLD.LOG"), "old contents\n");
  ASSERT_TRUE(InitLog("OLD"));
  EXPECT_EQ(Read(Path("OLD.LOG")), "");
}

TEST_F(LogFileTest, AppendsAddTextAndBinaryBytesAtTheEnd) {
  ASSERT_TRUE(InitLog("APP"));
  ASSERT_TRUE(AppendToLog("APP", "text"));
  std::string binary("\0\x01\xFF", 3);
  std::string big(200000, 'b');
  ASSERT_TRUE(AppendBinaryToLog("APP", binary));
  ASSERT_TRUE(AppendBinaryToLog("APP", big));
  EXPECT_EQ(Read(Path("APP.LOG")), "text" + binary + big);
}

TEST_F(LogFileTest, WithTempUnsetTheLogIsInTheCurrentDirectory) {
  ::unsetenv("TEMP");
  char old_cwd[4096];
  ASSERT_NE(::getcwd(old_cwd, sizeof old_cwd), nullptr);
  ASSERT_EQ(::chdir(dir_.c_str()), 0);
  EXPECT_EQ(LogPath("PROG"), "PROG.LOG");
  bool created = InitLog("PROG") && AppendRound("PROG", "here\n");
  ASSERT_EQ(::chdir(old_cwd), 0);
  EXPECT_TRUE(created);
  EXPECT_EQ(Read(Path("PROG.LOG")), "here\n");
}

TEST_F(LogFileTest, LogPathIsInTheTempDirectory) {
  EXPECT_EQ(LogPath("QELXFORM"), dir_ + "/QELXFORM.LOG");
}

// A link planted in the shared log directory must not make a log call write
// through it to the file it names.
TEST_F(LogFileTest, PlantedSymbolicLinkIsALogThatCannotBeOpened) {
  Write(Path("victim"), "precious\n");
  ASSERT_EQ(::symlink(Path("victim").c_str(), Path("EVIL.LOG").c_str()), 0);
  EXPECT_FALSE(InitLog("EVIL"));
  EXPECT_FALSE(AppendRound("EVIL", "overwrite\n"));
  EXPECT_FALSE(AppendToLog("EVIL", "overwrite"));
  EXPECT_FALSE(AppendBinaryToLog("EVIL", "overwrite"));
  EXPECT_EQ(Read(Path("victim")), "precious\n");
}

// ------------------------------------------------------- the lines' encoding

// "表示" in CP932: the trail byte of 表 is '\'.
constexpr const char* kCp932Hyouji = "\x95\x5C\x8E\xA6";
// "データ.DAT" in UTF-8, a file name as Linux gives it.
constexpr const char* kUtf8Name = "/tmp/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.DAT";

std::string Cp932(const char* utf8) { return *platform::Utf8ToCp932(utf8); }

TEST(LogTextTest, WithoutUtf8EveryByteStaysAsItIs) {
  const std::string line = Cp932("入力 = ") + kUtf8Name + "\n";
  EXPECT_EQ(EncodeLogText(line, false), line);
  EXPECT_EQ(
      LogMessageText(Cp932("KXFM2727-S %s テキストファイルが\n見つかりません。"), nullptr, false),
      Cp932("KXFM2727-S  テキストファイルが 見つかりません。"));
}

TEST(LogTextTest, Utf8LineKeepsAFileNameAndConvertsTheCp932Text) {
  const std::string line = Cp932("入力ファイル名 = ") + kUtf8Name + " " + kCp932Hyouji + "\n";
  const std::string expected = std::string("入力ファイル名 = ") + kUtf8Name + " " + "表示" + "\n";
  EXPECT_EQ(EncodeLogText(line, true), expected);
  // Already UTF-8 (a line made by LogMessageText): unchanged.
  EXPECT_EQ(EncodeLogText(expected, true), expected);
  EXPECT_EQ(EncodeLogText("plain ASCII\n", true), "plain ASCII\n");
}

TEST(LogTextTest, Utf8MessageConvertsTheTemplateAndCp932InsertsOnly) {
  const std::string text = Cp932("KXFM2720-E %s ＣＳＶファイルの形式に誤りがあります。(%s)\n次");
  const std::string item = Cp932("氏名");
  const char* args[5] = {kUtf8Name, item.c_str(), "", "", ""};
  EXPECT_EQ(
      LogMessageText(text, args, true),
      std::string("KXFM2720-E ") + kUtf8Name + " ＣＳＶファイルの形式に誤りがあります。(氏名) 次");
}

TEST(LogTextTest, Utf8MessageIsCutAtTheCharacterLimitBetweenCharacters) {
  std::string text = "KXFM2704-I ";
  for (std::size_t i = 0; i < kLogTextMax; ++i) text += Cp932("変");
  const std::string out = LogMessageText(text, nullptr, true);
  EXPECT_TRUE(platform::IsNonAsciiUtf8(out));
  EXPECT_EQ(out.size(), 11 + (kLogTextMax - 11) * 3);
}

TEST(LogTextTest, LineBreaksBecomeBlanksInBothForms) {
  const std::string text =
      Cp932("KRAC3510-I %s ファイル定義ファイルが見つかりません。\n正しいパス");
  const char* args[5] = {"A.FLF", "", "", "", ""};
  EXPECT_EQ(LogMessageText(text, args, true).find('\n'), std::string::npos);
  EXPECT_EQ(LogMessageText(text, args, false).find('\n'), std::string::npos);
}

// Under a UTF-8 locale (the test is run once more with LC_ALL=C.UTF-8).
TEST_F(LogFileTest, Utf8LogHoldsUtf8LinesAndKeepsItsBoundOfLines) {
  if (!LogIsUtf8()) GTEST_SKIP() << "the locale's codeset is not UTF-8";
  ASSERT_TRUE(InitLog("UTF8"));
  // Each line is 500 CP932 characters, 1500 bytes as UTF-8: more than a
  // CP932 piece, one slot still.
  std::string kanji;
  for (int i = 0; i < 500; ++i) kanji += Cp932("漢");
  for (int i = 1; i <= 101; ++i) {
    ASSERT_TRUE(AppendRound("UTF8", std::to_string(i) + " " + kanji + " " + kUtf8Name + "\n"));
  }
  const std::string log = Read(Path("UTF8.LOG"));
  EXPECT_TRUE(platform::IsNonAsciiUtf8(log));
  auto lines = Lines(log);
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.front().substr(0, 2), "2 ");
  EXPECT_NE(lines.back().find(kUtf8Name), std::string::npos);
  // A line longer than a piece keeps whole characters in each slot: after
  // its first piece has dropped out, the log starts with a whole character.
  std::string longer = "a";
  for (std::size_t i = 0; i < kRoundPieceUtf8 + 1; ++i) longer += Cp932("字");
  ASSERT_TRUE(AppendRound("UTF8", longer + "\n"));
  for (int i = 0; i < 97; ++i) ASSERT_TRUE(AppendRound("UTF8", "x\n"));
  const std::string rounded = Read(Path("UTF8.LOG"));
  EXPECT_TRUE(platform::IsNonAsciiUtf8(rounded));
  EXPECT_EQ(rounded.substr(0, 3), "字");
  EXPECT_EQ(Lines(rounded).size(), 98u);  // three pieces of one line, 97 short lines
  ASSERT_TRUE(AppendToLog("UTF8", Cp932("終了 ") + kUtf8Name + "\n"));
  EXPECT_EQ(Lines(Read(Path("UTF8.LOG"))).back(), std::string("終了 ") + kUtf8Name);
}

}  // namespace
}  // namespace qel::message
