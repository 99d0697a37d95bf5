// The console programs against hostile surroundings: closed standard
// descriptors, FIFOs and pipes as input, read-only inputs, endless devices as
// definition and procedure, and logs that are not the user's regular files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "tests/faults/program_run.h"
#include "tests/faults/workload.h"

namespace qel::faults {
namespace {

constexpr int kRecords = 3250;
// Far below what an unbounded reader of /dev/zero reaches, far above what the
// programs need. An address-space limit makes an unbounded reader fail fast
// instead of taking the machine's memory; AddressSanitizer's shadow memory
// cannot live under one, and its programs need more.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakLimitKib = 256 * 1024;
constexpr unsigned long long kAddressLimit = 0;
#else
constexpr long kPeakLimitKib = 96 * 1024;
constexpr unsigned long long kAddressLimit = 1ull << 30;
#endif

class HostileInputTest : public ::testing::Test {
 protected:
  HostileInputTest() : work_(dir_, kRecords) {}

  RunOptions Options() const { return InDirectory(dir_, 20); }
  RunResult Xform(const std::vector<std::string>& args, const RunOptions& o) const {
    std::vector<std::string> argv{ProgramPath("qelxformbatch")};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, o);
  }
  RunResult ToCsv(const std::string& input, const RunOptions& o) const {
    return Xform({"/f", "sc", "/i", input, "/d", work_.seq_flf, "/o", dir_.Path("OUT.CSV")}, o);
  }
  // The CSV of the workload, from a run in plain surroundings.
  std::string ReferenceCsv() const {
    RunResult r = Xform(
        {"/f", "sc", "/i", work_.sam, "/d", work_.seq_flf, "/o", dir_.Path("REF.CSV")}, Options());
    EXPECT_EQ(r.exit_code, 0) << r.output;
    return dir_.Read("REF.CSV");
  }

  ScratchDir dir_;
  Workload work_;
};

TEST_F(HostileInputTest, ClosedStandardDescriptorsNeverReceiveMessages) {
  const std::string input = FixedFile(kRecords);
  for (std::vector<int> closed : {std::vector<int>{1}, {0, 1, 2}, {2}, {0}}) {
    RunOptions o = Options();
    o.closed = closed;
    RunResult r = ToCsv(work_.sam, o);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_TRUE(SameBytes(dir_.Read("IN.DAT"), input)) << "closed " << closed.size();
    EXPECT_TRUE(SameBytes(dir_.Read("OUT.CSV"), ReferenceCsv()));
    // The log is written all the same.
    EXPECT_NE(dir_.Read("qelxform.LOG").find("KXFM2704-I"), std::string::npos);
  }
  std::string procedure = dir_.Write("P.rwp", work_.Procedure(dir_.Path("OUT.DAT")));
  RunOptions o = Options();
  o.closed = {1};
  RunResult r = RunProgram({ProgramPath("qelreworkbatch"), procedure}, o);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("IN.DAT"), input));
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.DAT"), input));
  EXPECT_EQ(ReadFileBytes(procedure), work_.Procedure(dir_.Path("OUT.DAT")));
}

TEST_F(HostileInputTest, FifoAndPipeInputsReachTheirEnd) {
  std::string expected = ReferenceCsv();
  std::string fifo = dir_.Path("ff");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    int fd = ::open(fifo.c_str(), O_WRONLY);
    if (fd < 0) return;
    std::string data = FixedFile(kRecords);
    for (std::size_t done = 0; done < data.size();) {
      ssize_t n = ::write(fd, data.data() + done, data.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
  });
  RunResult r = ToCsv(fifo, Options());
  writer.join();
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.CSV"), expected));

  RunOptions piped = Options();
  piped.stdin_pipe = true;
  piped.stdin_data = FixedFile(kRecords);
  r = ToCsv("/dev/stdin", piped);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.CSV"), expected));

  // The text and variable-length readers open their input the same way.
  piped.stdin_data = TextFile(kRecords);
  r = Xform({"/f", "ts", "/i", "/dev/stdin", "/o", dir_.Path("OUT.DAT"), "/l", "20"}, piped);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.DAT"), FixedFile(kRecords)));
  piped.stdin_data = VariableFile(kRecords);
  r = Xform({"/f", "vs", "/i", "/dev/stdin", "/o", dir_.Path("OUT.DAT"), "/l", "20"}, piped);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.DAT"), FixedFile(kRecords)));
}

TEST_F(HostileInputTest, InputTheUserMayNotWriteConverts) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  std::string expected = ReferenceCsv();
  ASSERT_EQ(::chmod(work_.sam.c_str(), 0444), 0);
  RunResult r = ToCsv(work_.sam, Options());
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.CSV"), expected));
  dir_.Write("IN.CSV", expected);
  ASSERT_EQ(::chmod(dir_.Path("IN.CSV").c_str(), 0444), 0);
  r = Xform(
      {"/f", "cs", "/i", dir_.Path("IN.CSV"), "/d", work_.seq_flf, "/o", dir_.Path("BACK.DAT")},
      Options());
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("BACK.DAT"), FixedFile(kRecords)));
}

// A read-only mount, made in a mount namespace of the test's own (where the
// system allows one), refuses every open for writing, also root's.
TEST_F(HostileInputTest, InputOnAReadOnlyMountConverts) {
  const std::string unshare = "/usr/bin/unshare";
  RunOptions o = Options();
  if (RunProgram({unshare, "-rm", "true"}, o).exit_code != 0) {
    GTEST_SKIP() << "no mount namespace for the test";
  }
  std::string expected = ReferenceCsv();
  dir_.Write("IN.CSV", expected);
  std::string ro = dir_.Path("ro");
  ASSERT_EQ(::mkdir(ro.c_str(), 0700), 0);
  auto convert = [&](const std::string& kind, const std::string& input, const std::string& output,
                     const std::string& extra) {
    std::string script = "mount -t tmpfs none '" + ro + "' && cp '" + input + "' '" + ro +
                         "/IN' && mount -o remount,ro '" + ro + "' && exec '" +
                         ProgramPath("qelxformbatch") + "' /f " + kind + " /i '" + ro +
                         "/IN' /o '" + output + "' " + extra;
    return RunProgram({unshare, "-rm", "sh", "-c", script}, o);
  };
  RunResult r = convert("sc", work_.sam, dir_.Path("OUT.CSV"), "/d '" + work_.seq_flf + "'");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.CSV"), expected));
  r = convert("cs", dir_.Path("IN.CSV"), dir_.Path("BACK.DAT"), "/d '" + work_.seq_flf + "'");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("BACK.DAT"), FixedFile(kRecords)));
  r = Xform({"/f", "st", "/i", work_.sam, "/o", dir_.Path("REF.TXT"), "/l", "20"}, Options());
  ASSERT_EQ(r.exit_code, 0) << r.output;
  r = convert("st", work_.sam, dir_.Path("OUT.TXT"), "/l 20");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.TXT"), dir_.Read("REF.TXT")));
}

TEST_F(HostileInputTest, EndlessProcedureIsRefusedWithinBoundedMemory) {
  RunOptions o = Options();
  o.address_limit = kAddressLimit;
  RunResult r = RunProgram({ProgramPath("qelreworkbatch"), "/dev/zero"}, o);
  EXPECT_EQ(r.exit_code, 1) << r.output;
  EXPECT_EQ(r.output.rfind("KRPF2825-S (/dev/zero)", 0), 0u) << r.output;
  EXPECT_LT(r.peak_rss_kib, kPeakLimitKib);

  // A large file of NUL bytes is refused by its size, before it is read.
  std::string big = dir_.Path("BIG.rwp");
  int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 300ll << 20), 0);
  ::close(fd);
  r = RunProgram({ProgramPath("qelreworkbatch"), big}, o);
  EXPECT_EQ(r.exit_code, 1) << r.output;
  EXPECT_EQ(r.output.rfind("KRPF2825-S (" + big + ")", 0), 0u) << r.output;
  EXPECT_LT(r.peak_rss_kib, kPeakLimitKib);
}

TEST_F(HostileInputTest, EndlessDefinitionIsRefusedWithinBoundedMemory) {
  std::string zero = dir_.Path("zero.FLF");
  ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
  RunOptions o = Options();
  o.address_limit = kAddressLimit;
  RunResult r = Xform({"/f", "sc", "/i", work_.sam, "/d", zero, "/o", dir_.Path("OUT.CSV")}, o);
  EXPECT_EQ(r.exit_code, 1) << r.output;
  EXPECT_EQ(r.output.rfind("KRAC2510-S " + zero, 0), 0u) << r.output;
  EXPECT_LT(r.peak_rss_kib, kPeakLimitKib);
  // The record definition named by a file definition, likewise.
  ASSERT_EQ(::symlink("/dev/zero", dir_.Path("ZERO.RDF").c_str()), 0);
  std::string flf = dir_.Write("Z.FLF",
                               "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; "
                               "RFOR FB ; SNM0 ZERO.RDF ; ENDITMR ;\nTRAR FMVR 0100 ; "
                               "ERFG 0 ; ENDTRAR ;\n");
  r = Xform({"/f", "sc", "/i", work_.sam, "/d", flf, "/o", dir_.Path("OUT.CSV")}, o);
  EXPECT_EQ(r.exit_code, 1) << r.output;
  EXPECT_NE(r.output.find("KRAC2511-S"), std::string::npos) << r.output;
  EXPECT_LT(r.peak_rss_kib, kPeakLimitKib);
}

// The log box of a console program goes to standard error.
std::size_t LogErrors(const std::string& output) {
  std::size_t n = 0;
  for (std::size_t at = 0;
       (at = output.find("ログファイルオープンエラー", at)) != std::string::npos; ++at) {
    ++n;
  }
  return n;
}

TEST_F(HostileInputTest, FifoAsLogIsReportedOnceAndTheWorkRuns) {
  std::string expected = ReferenceCsv();
  ASSERT_EQ(::unlink(dir_.Path("qelxform.LOG").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir_.Path("qelxform.LOG").c_str(), 0600), 0);
  RunResult r = ToCsv(work_.sam, Options());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_EQ(LogErrors(r.output), 1u) << r.output;
  EXPECT_NE(r.output.find("KXFM2704-I"), std::string::npos) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.CSV"), expected));

  // The rework program's three logs, each once.
  for (const char* log : {"RWORK.LOG", "KRSCLOG.LOG", "KRMVINF.LOG"}) {
    ::unlink(dir_.Path(log).c_str());
    ASSERT_EQ(::mkfifo(dir_.Path(log).c_str(), 0600), 0);
  }
  std::string procedure = dir_.Write("P.rwp", work_.Procedure(dir_.Path("OUT.DAT")));
  r = RunProgram({ProgramPath("qelreworkbatch"), procedure}, Options());
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_LE(LogErrors(r.output), 3u) << r.output;
  EXPECT_GE(LogErrors(r.output), 1u) << r.output;
  EXPECT_TRUE(SameBytes(dir_.Read("OUT.DAT"), FixedFile(kRecords)));
}

TEST_F(HostileInputTest, LinkedLogIsNotWrittenThrough) {
  std::string victim = dir_.Write("victim", "keep me\n");
  ::unlink(dir_.Path("qelxform.LOG").c_str());
  ASSERT_EQ(::symlink(victim.c_str(), dir_.Path("qelxform.LOG").c_str()), 0);
  RunResult r = ToCsv(work_.sam, Options());
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_EQ(LogErrors(r.output), 1u) << r.output;
  EXPECT_EQ(dir_.Read("victim"), "keep me\n");
  // A second name of the same file is a link as well.
  ::unlink(dir_.Path("qelxform.LOG").c_str());
  ASSERT_EQ(::link(victim.c_str(), dir_.Path("qelxform.LOG").c_str()), 0);
  r = ToCsv(work_.sam, Options());
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_EQ(LogErrors(r.output), 1u) << r.output;
  EXPECT_EQ(dir_.Read("victim"), "keep me\n");
}

}  // namespace
}  // namespace qel::faults
