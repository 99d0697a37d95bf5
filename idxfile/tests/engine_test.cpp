#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "idxfile/engine.h"
#include "idxfile/idxfile.h"

namespace {

namespace fs = std::filesystem;

class IdxFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/idxfileXXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    name_ = dir_ + "/f";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Record: key 0..3, unique alternate 4..6, duplicate alternate 7..8, data 9..13.
  int make() {
    keydesc k = {};
    k.k_nparts = 1;
    k.k_part[0] = {0, 4, CHARTYPE};
    int fd = isbuild(name_.c_str(), 14, &k, ISINOUT | ISEXCLLOCK);
    if (fd < 0) return fd;
    keydesc a = alt_unique(), b = alt_dups();
    EXPECT_EQ(isaddindex(fd, &a), 0);
    EXPECT_EQ(isaddindex(fd, &b), 0);
    return fd;
  }
  static keydesc alt_unique() {
    keydesc k = {};
    k.k_nparts = 1;
    k.k_part[0] = {4, 3, CHARTYPE};
    return k;
  }
  static keydesc alt_dups() {
    keydesc k = {};
    k.k_flags = ISDUPS;
    k.k_nparts = 1;
    k.k_part[0] = {7, 2, CHARTYPE};
    return k;
  }
  static int put(int fd, const char* rec) {
    std::string r(rec);
    return iswrite(fd, r.data());
  }
  std::string dir_, name_;
};

std::string read_str(int fd, int mode, const char* key = "") {
  char rec[15] = {};
  std::memset(rec, ' ', 14);
  std::memcpy(rec, key, std::strlen(key));
  if (isread(fd, rec, mode) != 0) return "E" + std::to_string(IsGetLastErrno());
  return std::string(rec, 14);
}

TEST_F(IdxFileTest, ReadsInEveryKeyOrderAndDuplicatesInWriteOrder) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0002B01AAdata1"), 0);
  ASSERT_EQ(put(fd, "0001A01AAdata2"), 0);
  ASSERT_EQ(put(fd, "0003C01BBdata3"), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0001A01AAdata2");
  EXPECT_EQ(read_str(fd, ISNEXT), "0002B01AAdata1");
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  EXPECT_EQ(read_str(fd, ISNEXT), "E110");
  EXPECT_EQ(read_str(fd, ISPREV), "0002B01AAdata1");
  keydesc b = alt_dups();
  char rec[15] = "       AA     ";
  ASSERT_EQ(isstart(fd, &b, 0, rec, ISEQUAL), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0002B01AAdata1");
  EXPECT_EQ(read_str(fd, ISNEXT), "0001A01AAdata2");
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  keydesc a = alt_unique();
  char part[15] = "    C         ";
  ASSERT_EQ(isstart(fd, &a, 1, part, ISGTEQ), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  ASSERT_EQ(isstart(fd, &a, 1, part, ISGREAT), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOREC);
  dictinfo di;
  ASSERT_EQ(isindexinfo(fd, &di, 0), 0);
  EXPECT_EQ(di.di_nkeys, 3);
  EXPECT_EQ(di.di_recsize, 14);
  EXPECT_EQ(di.di_nrecords, 3);
  keydesc kd;
  ASSERT_EQ(isindexinfo(fd, &kd, 3), 0);
  EXPECT_EQ(kd.k_flags, ISDUPS);
  EXPECT_EQ(kd.k_part[0].kp_start, 7);
  EXPECT_EQ(isclose(fd), 0);
}

TEST_F(IdxFileTest, DuplicatesAndMissingRecordsAreRefused) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  EXPECT_EQ(put(fd, "0001Z99AAdata2"), -1);
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  EXPECT_EQ(put(fd, "0002A01AAdata2"), -1);  // unique alternate
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0009"), "E111");
  std::string r = "0009A01AAxxxxx";
  EXPECT_EQ(isdelete(fd, r.data()), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOREC);
  std::string problem;
  EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
  EXPECT_EQ(isclose(fd), 0);
}

TEST_F(IdxFileTest, RewriteMovesAlternateEntriesAndDeleteRemovesThem) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(put(fd, "0002B01AAdata2"), 0);
  ASSERT_EQ(put(fd, "0003C01BBdata3"), 0);
  std::string r = "0001D01BBnew01";
  ASSERT_EQ(isrewrite(fd, r.data()), 0);
  std::string clash = "0002C01AAdata2";
  EXPECT_EQ(isrewrite(fd, clash.data()), -1);
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  keydesc b = alt_dups();
  char key[15] = "       BB     ";
  ASSERT_EQ(isstart(fd, &b, 0, key, ISEQUAL), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  EXPECT_EQ(read_str(fd, ISNEXT), "0001D01BBnew01");  // moved in last
  std::string d = "0003";
  d.resize(14, ' ');
  ASSERT_EQ(isdelete(fd, d.data()), 0);
  std::string problem;
  EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
  ASSERT_EQ(isclose(fd), 0);
  fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0001D01BBnew01");
  EXPECT_EQ(read_str(fd, ISNEXT), "0002B01AAdata2");
  EXPECT_EQ(read_str(fd, ISNEXT), "E110");
  isclose(fd);
}

TEST_F(IdxFileTest, MissingOrWrongKeyFileIsRefused) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(isclose(fd), 0);
  std::string kdf = name_ + ".kdf";
  std::ofstream(kdf) << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR DUPS\nKEY 7:2:CHAR DUPS\n";
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  std::ofstream(kdf) << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\nKEY 7:2:CHAR DUPS\nKEY 9:1:CHAR\n";
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  fs::remove(kdf);
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  EXPECT_EQ(isopen((dir_ + "/none").c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOENT);
}

// Runs `body` in a child process and returns its exit code.
template <typename F>
int in_child(F body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST_F(IdxFileTest, ExclusiveOpenLocksOutAnotherProcess) {
  int fd = make();
  ASSERT_GE(fd, 0);
  int child = in_child([&] {
    int f2 = isopen(name_.c_str(), ISINPUT);
    return f2 < 0 ? IsGetLastErrno() - 100 : 0;
  });
  EXPECT_EQ(child, EFLOCKED - 100);
  ASSERT_EQ(isclose(fd), 0);
  EXPECT_EQ(in_child([&] { return isopen(name_.c_str(), ISINPUT) >= 0 ? 0 : 1; }), 0);
}

TEST_F(IdxFileTest, RecordHeldByAnotherProcessReadsAsLocked) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(put(fd, "0002B01AAdata2"), 0);
  ASSERT_EQ(isclose(fd), 0);
  fd = isopen(name_.c_str(), ISINOUT | ISAUTOLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0001"), "0001A01AAdata1");
  int child = in_child([&] {
    int f2 = isopen(name_.c_str(), ISINOUT | ISAUTOLOCK);
    if (f2 < 0) return 1;
    if (read_str(f2, ISEQUAL, "0002") != "0002B01AAdata2") return 2;
    if (read_str(f2, ISEQUAL, "0001") != "E107") return 3;
    std::string r = "0001A01AAother";
    if (isrewrite(f2, r.data()) != -1 || IsGetLastErrno() != ELOCKED) return 4;
    return 0;
  });
  EXPECT_EQ(child, 0);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0002"), "0002B01AAdata2");  // releases 0001
  EXPECT_EQ(in_child([&] {
              int f2 = isopen(name_.c_str(), ISINOUT | ISAUTOLOCK);
              return read_str(f2, ISEQUAL, "0001") == "0001A01AAdata1" ? 0 : 1;
            }),
            0);
  isclose(fd);
}

TEST_F(IdxFileTest, WriteSurvivesKillRightAfterTheCall) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(isclose(fd), 0);
  int pipefd[2];
  ASSERT_EQ(pipe(pipefd), 0);
  pid_t pid = fork();
  if (pid == 0) {
    int f2 = isopen(name_.c_str(), ISINOUT);
    char ok = (f2 >= 0 && put(f2, "0007G01AAkill1") == 0) ? 'y' : 'n';
    if (write(pipefd[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(pipefd[0], &ok, 1), 1);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(pipefd[0]);
  close(pipefd[1]);
  ASSERT_EQ(ok, 'y');
  fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0007"), "0007G01AAkill1");
  isclose(fd);
}

TEST(IdxFieldTest, IntegersAreLittleEndianAndCharactersPadded) {
  char buf[8];
  stint(-2, buf);
  EXPECT_EQ(static_cast<unsigned char>(buf[0]), 0xfe);
  EXPECT_EQ(ldint(buf), -2);
  stlong(0x01020304, buf);
  EXPECT_EQ(buf[0], 4);
  EXPECT_EQ(ldlong(buf), 0x01020304);
  stchar("ab", buf, 5);
  EXPECT_EQ(std::string(buf, 5), "ab   ");
  char out[8];
  ldchar(buf, 5, out);
  EXPECT_STREQ(out, "ab");
}

}  // namespace
