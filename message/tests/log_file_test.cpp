// The log files: the 100-line ring, plain and binary appends, the TEMP rule
// and the refusal of planted symbolic links.
#include "message/log_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "message/tests/log_fixture.h"
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

}  // namespace
}  // namespace qel::message
