// The file wrapper: dispositions, share mode "none" within and across
// processes, and Windows error codes from real failures.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/system_error.h"
#include "platform/tests/temp_dir.h"

namespace qel::platform {
namespace {

using FileTest = testing::TempDirTest;

TEST_F(FileTest, DispositionsCreateTruncateOrRefuse) {
  std::string p = Path("f");
  EXPECT_EQ(OpenFile(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kAll),
            kInvalidFile);
  EXPECT_EQ(LastSystemError(), kErrorFileNotFound);
  EXPECT_EQ(
      OpenFile(p.c_str(), FileAccess::kWrite, Disposition::kTruncateExisting, ShareMode::kAll),
      kInvalidFile);
  {
    File f = File::Open(p.c_str(), FileAccess::kWrite, Disposition::kCreateNew, ShareMode::kNone);
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(WriteFile(f.handle(), "abc", 3), 3);
  }
  EXPECT_FALSE(File::Open(p.c_str(), FileAccess::kWrite, Disposition::kCreateNew, ShareMode::kNone)
                   .is_open());
  EXPECT_EQ(LastSystemError(), kErrorFileExists);
  {
    File f =
        File::Open(p.c_str(), FileAccess::kReadWrite, Disposition::kOpenAlways, ShareMode::kNone);
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(FileSize(f.handle()), 3);
    EXPECT_EQ(SeekFile(f.handle(), 0, 2), 3);
  }
  {
    File f =
        File::Open(p.c_str(), FileAccess::kWrite, Disposition::kCreateAlways, ShareMode::kNone);
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(FileSize(f.handle()), 0);
  }
}

TEST_F(FileTest, SecondOpenInTheSameProcessIsASharingViolation) {
  std::string p = Path("held");
  Write(p, "contents");
  File first =
      File::Open(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kNone);
  ASSERT_TRUE(first.is_open());
  File second =
      File::Open(p.c_str(), FileAccess::kWrite, Disposition::kCreateAlways, ShareMode::kNone);
  EXPECT_FALSE(second.is_open());
  EXPECT_EQ(LastSystemError(), kErrorSharingViolation);
  // The refused open must not have truncated the held file.
  EXPECT_EQ(Read(p), "contents");
  first.Close();
  EXPECT_TRUE(File::Open(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kNone)
                  .is_open());
}

TEST_F(FileTest, OpenHeldByAnotherProcessIsASharingViolation) {
  std::string p = Path("shared");
  Write(p, "x");
  int to_parent[2];
  int to_child[2];
  ASSERT_EQ(::pipe(to_parent), 0);
  ASSERT_EQ(::pipe(to_child), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileHandle h =
        OpenFile(p.c_str(), FileAccess::kReadWrite, Disposition::kOpenExisting, ShareMode::kNone);
    char c = h == kInvalidFile ? 'n' : 'y';
    (void)!::write(to_parent[1], &c, 1);
    (void)!::read(to_child[0], &c, 1);  // hold the file until the parent has tried
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(to_parent[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  FileHandle h =
      OpenFile(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kNone);
  int code = LastSystemError();
  (void)!::write(to_child[1], "q", 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  for (int fd : {to_parent[0], to_parent[1], to_child[0], to_child[1]}) ::close(fd);
  EXPECT_EQ(h, kInvalidFile);
  EXPECT_EQ(code, kErrorSharingViolation);
  // Once the other process has ended, the file is free again.
  File again =
      File::Open(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kNone);
  EXPECT_TRUE(again.is_open());
}

TEST_F(FileTest, DenyWriteLetsReadersShareButNotWriters) {
  std::string p = Path("dw");
  Write(p, "x");
  File reader =
      File::Open(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kDenyWrite);
  ASSERT_TRUE(reader.is_open());
  EXPECT_TRUE(
      File::Open(p.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kDenyWrite)
          .is_open());
  EXPECT_FALSE(
      File::Open(p.c_str(), FileAccess::kWrite, Disposition::kOpenExisting, ShareMode::kDenyWrite)
          .is_open());
  EXPECT_EQ(LastSystemError(), kErrorSharingViolation);
}

struct FailureCase {
  const char* name;
  // Prepares the directory and returns the path to open for writing.
  std::string (*prepare)(const std::string& dir);
  Disposition disposition;
  bool no_follow;
  int expected;
};

class FileFailureTest : public FileTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FileFailureTest, FailureCarriesTheWindowsCode) {
  std::string path = GetParam().prepare(dir_);
  SetLastSystemError(0);
  EXPECT_EQ(OpenFile(path.c_str(), FileAccess::kWrite, GetParam().disposition, ShareMode::kAll,
                     GetParam().no_follow),
            kInvalidFile);
  EXPECT_EQ(LastSystemError(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FileFailureTest,
    ::testing::Values(
        FailureCase{"missing_file", [](const std::string& d) { return d + "/none"; },
                    Disposition::kOpenExisting, false, kErrorFileNotFound},
        FailureCase{"missing_directory", [](const std::string& d) { return d + "/no/file"; },
                    Disposition::kCreateAlways, false, kErrorPathNotFound},
        FailureCase{"file_as_directory",
                    [](const std::string& d) {
                      std::ofstream(d + "/plain") << "x";
                      return d + "/plain/file";
                    },
                    Disposition::kCreateAlways, false, kErrorPathNotFound},
        FailureCase{"directory", [](const std::string& d) { return d; }, Disposition::kOpenExisting,
                    false, kErrorAccessDenied},
        FailureCase{"exists",
                    [](const std::string& d) {
                      std::ofstream(d + "/e") << "x";
                      return d + "/e";
                    },
                    Disposition::kCreateNew, false, kErrorFileExists},
        FailureCase{"symbolic_link_refused",
                    [](const std::string& d) {
                      std::ofstream(d + "/target") << "x";
                      EXPECT_EQ(::symlink((d + "/target").c_str(), (d + "/link").c_str()), 0);
                      return d + "/link";
                    },
                    Disposition::kOpenExisting, true, kErrorAccessDenied},
        FailureCase{"name_too_long",
                    [](const std::string& d) { return d + "/" + std::string(300, 'n'); },
                    Disposition::kCreateAlways, false, kErrorNameTooLong}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileErrorTest, FullDiskIsCode112) {
  File f = File::Open("/dev/full", FileAccess::kWrite, Disposition::kOpenExisting, ShareMode::kAll);
  if (!f.is_open()) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(WriteFile(f.handle(), "data", 4), -1);
  EXPECT_EQ(LastSystemError(), kErrorDiskFull);
}

TEST(FileErrorTest, TooManyOpenFilesIsCode4) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{8, 8};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    for (int i = 0; i < 16; ++i) {
      if (OpenFile("/dev/null", FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kAll) ==
          kInvalidFile) {
        ::_exit(LastSystemError());
      }
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kErrorTooManyOpenFiles);
}

TEST(FileErrorTest, UnlistedErrnoPassesThrough) {
  EXPECT_EQ(SystemErrorFromErrno(ENOTTY), ENOTTY);
  EXPECT_EQ(SystemErrorFromErrno(EROFS), kErrorAccessDenied);
  EXPECT_EQ(SystemErrorFromErrno(EWOULDBLOCK), kErrorSharingViolation);
}

// EIO is 5 and EPIPE 32: passed through they would read as "access denied"
// and "in use", and a failing disk would be reported as missing rights.
TEST(FileErrorTest, ErrnoNumberedLikeAnotherCodeGetsItsOwn) {
  EXPECT_EQ(SystemErrorFromErrno(EIO), kErrorIoDevice);
  EXPECT_EQ(SystemErrorFromErrno(EPIPE), kErrorBrokenPipe);
  EXPECT_EQ(SystemErrorFromErrno(EBADF), kErrorInvalidHandle);
  EXPECT_EQ(SystemErrorFromErrno(ENOMEM), kErrorNotEnoughMemory);
  EXPECT_EQ(SystemErrorFromErrno(EINVAL), kErrorInvalidParameter);
  EXPECT_EQ(SystemErrorFromErrno(EFBIG), kErrorFileTooLarge);
}

TEST_F(FileTest, ReadToEndStopsAtItsLimit) {
  std::string data(100000, 'x');
  Write(Path("f"), data);
  std::string got;
  File f = File::Open(Path("f").c_str(), FileAccess::kRead, Disposition::kOpenExisting,
                      ShareMode::kAll);
  EXPECT_EQ(ReadToEnd(f.handle(), data.size(), &got), ReadToEndResult::kOk);
  EXPECT_EQ(got, data);
  ASSERT_EQ(SeekFile(f.handle(), 0, 0), 0);
  EXPECT_EQ(ReadToEnd(f.handle(), data.size() - 1, &got), ReadToEndResult::kTooLarge);
  EXPECT_TRUE(got.empty());
  // A device that never ends is refused once the limit is passed.
  File zero = File::Open("/dev/zero", FileAccess::kRead, Disposition::kOpenExisting,
                         ShareMode::kAll);
  ASSERT_TRUE(zero.is_open());
  EXPECT_EQ(ReadToEnd(zero.handle(), 1 << 20, &got), ReadToEndResult::kTooLarge);
  EXPECT_LT(got.capacity(), std::size_t{1} << 20);
}

TEST_F(FileTest, OwnRegularFileRefusesLinksFifosAndDevices) {
  Write(Path("victim"), "keep");
  ASSERT_EQ(::symlink(Path("victim").c_str(), Path("sym").c_str()), 0);
  ASSERT_EQ(::link(Path("victim").c_str(), Path("hard").c_str()), 0);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  for (const char* name : {"sym", "hard", "fifo"}) {
    for (FileAccess access : {FileAccess::kRead, FileAccess::kWrite}) {
      EXPECT_EQ(OpenOwnRegularFile(Path(name).c_str(), access, Disposition::kCreateAlways,
                                   ShareMode::kAll),
                kInvalidFile)
          << name;
      EXPECT_EQ(LastSystemError(), kErrorAccessDenied) << name;
    }
  }
  EXPECT_EQ(OpenOwnRegularFile("/dev/null", FileAccess::kWrite, Disposition::kOpenExisting,
                               ShareMode::kAll),
            kInvalidFile);
  EXPECT_EQ(Read(Path("victim")), "keep");
  File own = File::OpenOwnRegular(Path("new").c_str(), FileAccess::kWrite,
                                  Disposition::kCreateAlways, ShareMode::kDenyWrite);
  ASSERT_TRUE(own.is_open());
  EXPECT_EQ(WriteFile(own.handle(), "abc", 3), 3);
}

TEST_F(FileTest, NamesFromWindowsFilesResolveIgnoringCase) {
  EXPECT_EQ(ForeignBaseName("C:\\DATA\\ITEM.DEF"), "ITEM.DEF");
  EXPECT_EQ(ForeignBaseName("sub/dir\\x.def"), "x.def");
  EXPECT_EQ(ForeignBaseName("plain"), "plain");
  Write(Path("Item.Def"), "x");
  EXPECT_EQ(ResolveIgnoringCase(Path("ITEM.DEF")), Path("Item.Def"));
  EXPECT_EQ(ResolveIgnoringCase(Path("Item.Def")), Path("Item.Def"));
  EXPECT_EQ(ResolveIgnoringCase(Path("other.def")), std::nullopt);
  Write(Path("ITEM.def"), "y");
  EXPECT_EQ(ResolveIgnoringCase(Path("item.DEF")), std::nullopt);  // two candidates
}

TEST_F(FileTest, DirectoriesOfWindowsNamesResolveIgnoringCase) {
  ASSERT_EQ(::mkdir(Path("Data").c_str(), 0755), 0);
  Write(Path("Data/IN1.FLF"), "x");
  EXPECT_EQ(ResolveIgnoringCase(Path("DATA/in1.flf")), Path("Data/IN1.FLF"));
  EXPECT_EQ(ResolveIgnoringCase(Path("data//In1.Flf")), Path("Data//IN1.FLF"));
  EXPECT_EQ(InputPathIgnoringCase(Path("data/none")), Path("data/none"));
  ASSERT_EQ(::mkdir(Path("DATA").c_str(), 0755), 0);
  EXPECT_EQ(ResolveIgnoringCase(Path("data/in1.flf")), std::nullopt);  // two directories
}

TEST_F(FileTest, OutputNamesReplaceAFileFoundByCaseOrAreCreatedAsWritten) {
  ASSERT_EQ(::mkdir(Path("Out").c_str(), 0755), 0);
  EXPECT_EQ(OutputPathIgnoringCase(Path("OUT/new.dat")), Path("Out/new.dat"));
  Write(Path("Out/OLD.DAT"), "x");
  EXPECT_EQ(OutputPathIgnoringCase(Path("out/old.dat")), Path("Out/OLD.DAT"));
  Write(Path("Out/Old.Dat"), "y");
  EXPECT_EQ(OutputPathIgnoringCase(Path("out/old.dat")), Path("out/old.dat"));
  EXPECT_EQ(OutputPathIgnoringCase(Path("Out/Old.Dat")), Path("Out/Old.Dat"));  // exact first
}

TEST_F(FileTest, ReadWholeFileReturnsEveryByte) {
  std::string data(200000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  Write(Path("big"), data);
  EXPECT_EQ(ReadWholeFile(Path("big").c_str()), data);
  EXPECT_EQ(ReadWholeFile(Path("absent").c_str()), std::nullopt);
  EXPECT_EQ(LastSystemError(), kErrorFileNotFound);
}

}  // namespace
}  // namespace qel::platform
