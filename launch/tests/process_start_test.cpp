// Starting programs: the kinds by extension, the argument vector, failures
// mapped onto the start-failure table, polling without waiting.
#include "launch/process_start.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

namespace qel::launch {
namespace {

TEST(ProcessStartTest, ExtensionDecidesTheKind) {
  EXPECT_EQ(ClassifyProgram("sub.qlm"), StartKind::kMenu);
  EXPECT_EQ(ClassifyProgram("OLD.DMK"), StartKind::kMenu);
  EXPECT_EQ(ClassifyProgram("no_such_file_without_extension"), StartKind::kMenu);
  EXPECT_EQ(ClassifyProgram("/bin/sh"), StartKind::kProgram);  // executable, no extension
  EXPECT_EQ(ClassifyProgram("job.dme"), StartKind::kPanoplyBatch);
  EXPECT_EQ(ClassifyProgram("tool.exe"), StartKind::kProgram);
  EXPECT_EQ(ClassifyProgram("run.sh"), StartKind::kBatch);
  EXPECT_EQ(ClassifyProgram("RUN.BAT"), StartKind::kBatch);
  EXPECT_EQ(ClassifyProgram("report.pdf"), StartKind::kDocument);
}

TEST(ProcessStartTest, ArgumentsSplitAtSpacesAndBatchRunsInTheShell) {
  EXPECT_EQ(ProgramArguments(StartKind::kProgram, "p.exe", " a  b "),
            (std::vector<std::string>{"p.exe", "a", "b"}));
  EXPECT_EQ(ProgramArguments(StartKind::kBatch, "x.sh", "1"),
            (std::vector<std::string>{"/bin/sh", "x.sh", "1"}));
  EXPECT_EQ(ProgramArguments(StartKind::kDocument, "a.txt", "ignored"),
            (std::vector<std::string>{"xdg-open", "a.txt"}));
}

TEST(ProcessStartTest, FailuresMapOntoTheTable) {
  EXPECT_EQ(SpawnProcess({"/tmp/no_such_program_here.exe"}).code, 2);
  EXPECT_EQ(SpawnProcess({"/no_such_dir_q/prog.exe"}).code, 3);
  char dir[] = "/tmp/qelstart_testXXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string plain = std::string(dir) + "/plain.exe";
  std::ofstream(plain) << "not a program\n";
  ::chmod(plain.c_str(), 0644);
  EXPECT_EQ(SpawnProcess({plain}).code, 5);
  ::unlink(plain.c_str());
  ::rmdir(dir);
  EXPECT_EQ(StartFailure(EMFILE, "").code, 4);
  EXPECT_EQ(StartFailure(ENOMEM, "").code, 8);
  const StartResult other = StartFailure(ENOEXEC, "");
  EXPECT_EQ(other.code, kUnmappedError);
  EXPECT_EQ(other.raw_error, ENOEXEC);
}

TEST(ProcessStartTest, RunningIsPolledAndTheEndedChildReaped) {
  const StartResult started = SpawnProcess({"sleep", "0.3"});
  ASSERT_TRUE(started.ok());
  EXPECT_TRUE(ChildRunning(started.pid));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ChildRunning(started.pid) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(ChildRunning(started.pid));
  EXPECT_NE(::kill(started.pid, 0), 0);  // reaped: no zombie left
}

}  // namespace
}  // namespace qel::launch
