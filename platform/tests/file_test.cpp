// The file wrapper: dispositions, share mode "none" within and across
// processes, and the Windows codes that real failures produce.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system_error.h"

namespace qel::platform {
namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = std::filesystem::temp_directory_path() / "qelfileXXXXXX";
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  int OpenError(const std::string& path, Disposition d, FileAccess a = FileAccess::kRead,
                bool no_follow = false) {
    SetLastSystemError(0);
    FileHandle h = OpenFile(path.c_str(), a, d, ShareMode::kNone, no_follow);
    if (h != kInvalidFile) {
      CloseFile(h);
      return 0;
    }
    return LastSystemError();
  }

  std::string dir_;
};

TEST_F(FileTest, DispositionsCreateTruncateAndRefuse) {
  EXPECT_EQ(OpenError(Path("a"), Disposition::kOpenExisting), kErrorFileNotFound);
  EXPECT_EQ(OpenError(Path("a"), Disposition::kCreateNew, FileAccess::kWrite), 0);
  EXPECT_EQ(OpenError(Path("a"), Disposition::kCreateNew, FileAccess::kWrite), kErrorFileExists);

  Write("b", "content");
  File f = File::Open(Path("b").c_str(), FileAccess::kReadWrite, Disposition::kCreateAlways,
                      ShareMode::kNone);
  ASSERT_TRUE(f.is_open());
  EXPECT_EQ(FileSize(f.handle()), 0);
  EXPECT_EQ(WriteFile(f.handle(), "xyz", 3), 3);
  EXPECT_EQ(SeekFile(f.handle(), 0, 0), 0);
  char buf[8] = {};
  EXPECT_EQ(ReadFile(f.handle(), buf, sizeof buf), 3);
  EXPECT_EQ(std::string(buf, 3), "xyz");
  EXPECT_EQ(ReadFile(f.handle(), buf, sizeof buf), 0);
}

TEST_F(FileTest, RealFailuresMapToWindowsCodes) {
  EXPECT_EQ(OpenError(Path("missing/x"), Disposition::kOpenExisting), kErrorPathNotFound);
  Write("plain", "x");
  EXPECT_EQ(OpenError(Path("plain/x"), Disposition::kOpenExisting), kErrorPathNotFound);
  std::filesystem::create_directory(Path("dir"));
  EXPECT_EQ(OpenError(Path("dir"), Disposition::kOpenExisting), kErrorAccessDenied);
  EXPECT_EQ(OpenError(Path(std::string(300, 'n')), Disposition::kOpenExisting),
            kErrorNameTooLong);
  std::filesystem::create_symlink(Path("plain"), Path("link"));
  EXPECT_EQ(OpenError(Path("link"), Disposition::kOpenExisting, FileAccess::kRead, true),
            kErrorAccessDenied);
  EXPECT_EQ(OpenError(Path("link"), Disposition::kOpenExisting), 0);
  if (::geteuid() != 0) {
    ::chmod(Path("plain").c_str(), 0);
    EXPECT_EQ(OpenError(Path("plain"), Disposition::kOpenExisting), kErrorAccessDenied);
  }
}

TEST_F(FileTest, FullDiskIsReportedAsDiskFull) {
  FileHandle h = OpenFile("/dev/full", FileAccess::kWrite, Disposition::kOpenExisting,
                          ShareMode::kAll);
  if (h == kInvalidFile) GTEST_SKIP() << "no /dev/full";
  char data[16] = {};
  EXPECT_EQ(WriteFile(h, data, sizeof data), -1);
  EXPECT_EQ(LastSystemError(), kErrorDiskFull);
  CloseFile(h);
}

TEST_F(FileTest, TooManyOpenFiles) {
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    rlimit lim{8, 8};
    ::setrlimit(RLIMIT_NOFILE, &lim);
    Write("many", "x");
    for (int i = 0; i < 16; ++i) {
      if (OpenFile(Path("many").c_str(), FileAccess::kRead, Disposition::kOpenExisting,
                   ShareMode::kAll) == kInvalidFile) {
        ::_exit(LastSystemError() == kErrorTooManyOpenFiles ? 0 : 1);
      }
    }
    ::_exit(2);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FileTest, SecondOpenerInSameProcessGetsSharingViolation) {
  Write("s", "data");
  File first = File::Open(Path("s").c_str(), FileAccess::kRead, Disposition::kOpenExisting,
                          ShareMode::kNone);
  ASSERT_TRUE(first.is_open());
  EXPECT_EQ(OpenError(Path("s"), Disposition::kOpenExisting), kErrorSharingViolation);
  // A refused truncating open must not have emptied the held file.
  EXPECT_EQ(OpenError(Path("s"), Disposition::kCreateAlways, FileAccess::kWrite),
            kErrorSharingViolation);
  EXPECT_EQ(FileSize(first.handle()), 4);
  first.Close();
  EXPECT_EQ(OpenError(Path("s"), Disposition::kOpenExisting), 0);
}

TEST_F(FileTest, SecondOpenerInAnotherProcessGetsSharingViolation) {
  Write("p", "data");
  int ready[2];
  int done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    FileHandle h = OpenFile(Path("p").c_str(), FileAccess::kRead, Disposition::kOpenExisting,
                            ShareMode::kNone);
    char c = h == kInvalidFile ? 'n' : 'y';
    (void)!::write(ready[1], &c, 1);
    (void)!::read(done[0], &c, 1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  EXPECT_EQ(OpenError(Path("p"), Disposition::kOpenExisting), kErrorSharingViolation);
  (void)!::write(done[1], "x", 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(OpenError(Path("p"), Disposition::kOpenExisting), 0);
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

TEST_F(FileTest, ForeignNamesAndCaseInsensitiveLookup) {
  EXPECT_EQ(ForeignBaseName("C:\\DATA\\REC.DEF"), "REC.DEF");
  EXPECT_EQ(ForeignBaseName("dir/sub\\x.def"), "x.def");
  EXPECT_EQ(ForeignBaseName("plain"), "plain");

  Write("Rec.Def", "x");
  EXPECT_EQ(ResolveIgnoringCase(Path("REC.DEF")), Path("Rec.Def"));
  EXPECT_EQ(ResolveIgnoringCase(Path("Rec.Def")), Path("Rec.Def"));
  EXPECT_FALSE(ResolveIgnoringCase(Path("other.def")));
  Write("REC.def", "y");
  EXPECT_FALSE(ResolveIgnoringCase(Path("rec.DEF"))) << "two candidates are ambiguous";
}

}  // namespace
}  // namespace qel::platform
