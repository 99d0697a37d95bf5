// The qelidx tool as its users run it: key files in any letter case, files
// whose key file lists too few keys, a build over a file that another
// program holds, readers beside repeated builds, stale build files, and an
// unload that cannot write its output.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "idxfile/engine.h"
#include "idxfile/idxfile.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;  // standard output and standard error
};

Outcome run(const std::string& command) {
  Outcome r{-1, {}};
  FILE* p = popen((command + " 2>&1 </dev/null").c_str(), "r");
  if (p == nullptr) return r;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
    if (r.out.size() < (1u << 20)) r.out.append(buf, n);  // a runaway stays bounded
  int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class QelidxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/qelidxXXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  Outcome qelidx(const std::string& args) const {
    return run("cd '" + dir_ + "' && '" QELIDX_PATH "' " + args);
  }
  // `count` 8-byte records: key, a letter of three, a tag, for a file with a
  // primary key and an alternate key with duplicates.
  void write_records(const std::string& name, int count, char tag) const {
    std::string data;
    for (int i = 0; i < count; ++i) {
      char rec[32];
      std::snprintf(rec, sizeof rec, "%04d%c%c%c ", i, "ABC"[i % 3], "XY"[i % 2], tag);
      data += rec;
    }
    write(name, data);
  }
  static constexpr const char* kKeys = "RECSIZE 8\nKEY 0:4:CHAR\nKEY 4:1:CHAR DUPS\nKEY 5:1:CHAR DUPS\n";
  std::string dir_;
};

TEST_F(QelidxTest, KeyFileInAnyLetterCaseNamesTheFile) {
  write("LUX.KDF", kKeys);
  write_records("in.dat", 5, 'a');
  Outcome r = qelidx("build LUX.KDF in.dat");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::exists(path("LUX")));
  r = qelidx("info LUX.KDF");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("RECORDS 5"), std::string::npos) << r.out;
  EXPECT_EQ(qelidx("check LUX.Kdf").status, 0);  // found as isopen finds it
  r = qelidx("unload LUX.KDF out.dat");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(fs::file_size(path("out.dat")), 40u);
}

TEST_F(QelidxTest, KeyFileWithTooFewKeysIsRefusedByInfoCheckAndUnload) {
  write("F.kdf", kKeys);
  write_records("in.dat", 6, 'a');
  ASSERT_EQ(qelidx("build F.kdf in.dat").status, 0);
  write("F.kdf", "RECSIZE 8\nKEY 0:4:CHAR\nKEY 4:1:CHAR DUPS\n");
  for (const char* args : {"info F.kdf", "check F.kdf", "unload F.kdf out.dat"}) {
    Outcome r = qelidx(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.out.find("F.2 exists, but the key file lists 1 alternate key"), std::string::npos)
        << args << ": " << r.out;
  }
}

TEST_F(QelidxTest, UnloadThatCannotWriteSaysSo) {
  write("F.kdf", kKeys);
  write_records("in.dat", 600, 'a');
  ASSERT_EQ(qelidx("build F.kdf in.dat").status, 0);
  Outcome r = qelidx("unload F.kdf /dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("cannot write /dev/full: " + std::string(std::strerror(ENOSPC))),
            std::string::npos)
      << r.out;
}

TEST_F(QelidxTest, BuildRemovesFilesOfKilledBuildsOnly) {
  write("F.kdf", kKeys);
  write_records("in.dat", 3, 'a');
  // A process id that no process has: one of a child that has ended.
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  std::string dead = "F.build" + std::to_string(gone);
  std::string live = "F.build" + std::to_string(getpid());
  for (const std::string& n : {dead, dead + ".1", dead + ".kdf", live, live + ".2"}) write(n, "x");
  write("F.buildnotes", "x");
  ASSERT_EQ(qelidx("build F.kdf in.dat").status, 0);
  EXPECT_FALSE(fs::exists(path(dead)));
  EXPECT_FALSE(fs::exists(path(dead + ".1")));
  EXPECT_FALSE(fs::exists(path(dead + ".kdf")));
  EXPECT_TRUE(fs::exists(path(live)));
  EXPECT_TRUE(fs::exists(path(live + ".2")));
  EXPECT_TRUE(fs::exists(path("F.buildnotes")));
}

// On a terminal a build shows its progress on standard error; otherwise its
// output is its one result line.
TEST_F(QelidxTest, BuildShowsProgressOnlyOnATerminal) {
  write("F.kdf", "RECSIZE 8\nKEY 0:7:CHAR\nKEY 7:1:CHAR DUPS\n");
  std::string data;
  for (int i = 0; i < 400000; ++i) {
    char rec[16];
    std::snprintf(rec, sizeof rec, "%07ld%c", i * 7919L % 400000, "ABC"[i % 3]);
    data.append(rec, 8);
  }
  write("in.dat", data);
  Outcome plain = qelidx("build F.kdf in.dat");
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_EQ(plain.out, "400000 records written to F\n");
  if (system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script program";
  // The rate shown depends on how fast this machine is: a slow enough
  // build shows a line a few times a second, and the last line at the end.
  Outcome tty = run("cd '" + dir_ + "' && script -qec \"'" QELIDX_PATH
                    "' build F.kdf in.dat\" /dev/null");
  EXPECT_EQ(tty.status, 0) << tty.out;
  EXPECT_NE(tty.out.find("400000 records, 100%, "), std::string::npos) << tty.out;
  EXPECT_NE(tty.out.find(" records/s"), std::string::npos) << tty.out;
}

// A build over a file that a program holds open would throw away what that
// program writes: it is refused with 113 and the program's write stays.
TEST_F(QelidxTest, BuildIsRefusedWhileAnotherProgramHasTheFileOpen) {
  write("F.kdf", kKeys);
  write_records("in.dat", 4, 'a');
  ASSERT_EQ(qelidx("build F.kdf in.dat").status, 0);
  for (int mode : {ISINOUT | ISEXCLLOCK, ISINPUT}) {
    int fd = isopen(path("F").c_str(), mode);
    ASSERT_GE(fd, 0) << IsGetLastErrno();
    Outcome r = qelidx("build F.kdf in.dat");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("cannot build F: error 113"), std::string::npos) << r.out;
    if (mode != ISINPUT) {
      std::string rec = "9999CY+ ";
      EXPECT_EQ(iswrite(fd, rec.data()), 0);
    }
    ASSERT_EQ(isclose(fd), 0);
  }
  Outcome r = qelidx("info F.kdf");
  EXPECT_NE(r.out.find("RECORDS 5"), std::string::npos) << r.out;
  EXPECT_EQ(qelidx("build F.kdf in.dat").status, 0);  // nobody holds it now
}

// Builds that replace a file again and again beside a reader: the reader
// either finds the file locked or sees one whole file, never old and new
// indexes mixed. The builds alternate between 300 and 200 records, so a mix
// shows as an index without entries for some records or with too many.
TEST_F(QelidxTest, ReaderBesideRepeatedBuildsNeverSeesAMix) {
  write("F.kdf", kKeys);
  write_records("a.dat", 300, 'a');
  write_records("b.dat", 200, 'b');
  ASSERT_EQ(qelidx("build F.kdf a.dat").status, 0);
  pid_t builder = fork();
  if (builder == 0) {
    setpgid(0, 0);  // the builds it starts end with it
    for (int i = 0;; ++i) {
      std::string cmd = "cd '" + dir_ + "' && '" QELIDX_PATH "' build F.kdf " +
                        (i % 2 ? "a.dat" : "b.dat") + " >/dev/null 2>&1";
      if (std::system(cmd.c_str()) == -1) _exit(1);
    }
  }
  int checks = 0, locked = 0;
  std::string problem;
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < end && problem.empty()) {
    int fd = isopen(path("F").c_str(), ISINPUT);
    if (fd < 0) {
      if (IsGetLastErrno() == EFLOCKED) {
        ++locked;
        continue;
      }
      problem = "open failed: " + std::to_string(IsGetLastErrno());
      break;
    }
    dictinfo info = {};
    if (isindexinfo(fd, &info, 0) != 0) problem = "isindexinfo failed";
    int rc = qel::idxfile::check_file(fd, &problem);
    if (rc < 0) problem = "check failed: " + std::to_string(IsGetLastErrno());
    if (problem.empty() && info.di_nrecords != 300 && info.di_nrecords != 200)
      problem = std::to_string(info.di_nrecords) + " records";
    isclose(fd);
    ++checks;
  }
  kill(-builder, SIGKILL);
  kill(builder, SIGKILL);
  waitpid(builder, nullptr, 0);
  EXPECT_EQ(problem, "") << "after " << checks << " checks";
  EXPECT_GT(checks, 5);
  std::printf("%d whole files checked, %d opens found the file locked\n", checks, locked);
}

}  // namespace
