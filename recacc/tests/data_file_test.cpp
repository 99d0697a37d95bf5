// KRACOpen, KRACRead, KRACWrite and KRACClose on sequential and indexed
// files: call order, access modes, formats and organisations, reads to the
// end, output replacing a file, and every failure status produced by a real
// failure of the file system or of another process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "recacc/qelrecacc.h"
#include "recacc/tests/data_file_fixture.h"

namespace qel::recacc {
namespace {

using test::Records;

constexpr int kLength = 20;

class DataFileTest : public testing::Test {
 protected:
  void SetUp() override { KRACInit(&dtf_); }
  void TearDown() override {
    if (dtf_.last_function != 0) KRACClose(&dtf_);
    KRACRinfFree(&dtf_);
  }
  // dtf_ for the data file `name` of organisation `fior` in `mode`.
  void Define(const std::string& fior, int mode, const std::string& name = "DATA",
              const std::string& rfor = "FB", int length = kLength) {
    ASSERT_TRUE(test::Prepare(dir_, &paths_, &dtf_, fior, length, mode, name, rfor));
  }
  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }
  void ExpectStatus(uint32_t status, const char* sub_code = "0000") {
    EXPECT_EQ(KRACGetStatus(&dtf_), status);
    EXPECT_STREQ(KRACGetSubCode(&dtf_), sub_code);
  }
  // A failed open leaves the DTF closed with nothing allocated.
  void ExpectFailedOpen(uint32_t status, const char* sub_code = "0000") {
    EXPECT_EQ(KRACOpen(&dtf_), -1);
    ExpectStatus(status, sub_code);
    EXPECT_EQ(dtf_.last_function, 0);
    EXPECT_EQ(dtf_.current_function, 1);
    EXPECT_EQ(dtf_.record_area, nullptr);
    EXPECT_EQ(dtf_.sequential_control, nullptr);
    EXPECT_EQ(dtf_.keyed_state, nullptr);
  }
  // Reads every record into one string; the read that ends it must be 2690.
  std::string ReadToEnd() {
    std::string all;
    while (KRACRead(&dtf_) == 0) all.append(dtf_.record_area, kLength);
    EXPECT_EQ(KRACGetStatus(&dtf_), 2690u);
    return all;
  }

  test::TempDir dir_;
  test::PathStore paths_;
  DTF dtf_{};
};

// ---- Sequential files ----

TEST_F(DataFileTest, SequentialOutputThenInputRoundTripsEveryRecord) {
  Define("S", 2);
  ASSERT_EQ(KRACOpen(&dtf_), 0) << KRACGetStatus(&dtf_);
  EXPECT_EQ(dtf_.last_function, 1);
  EXPECT_EQ(dtf_.block_size, 8192);
  EXPECT_EQ(dtf_.record_area_length, kLength);
  EXPECT_EQ(dtf_.current_record_length, kLength);
  EXPECT_EQ(dtf_.max_record_length, kLength);
  EXPECT_EQ(std::string(dtf_.record_area, kLength), std::string(kLength, '\0'));
  // Enough records to fill several blocks.
  std::string records = Records(1000, kLength);
  for (int i = 0; i < 1000; ++i) {
    std::memcpy(dtf_.record_area, records.data() + i * kLength, kLength);
    ASSERT_EQ(KRACWrite(&dtf_), 0);
  }
  EXPECT_EQ(dtf_.last_function, 3);
  ASSERT_EQ(KRACClose(&dtf_), 0);
  EXPECT_EQ(dtf_.last_function, 0);
  EXPECT_EQ(dtf_.record_area, nullptr);
  EXPECT_EQ(dtf_.sequential_control, nullptr);
  EXPECT_EQ(test::ReadAll(Path("DATA")), records);

  dtf_.access_mode = 1;
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  EXPECT_EQ(ReadToEnd(), records);
  EXPECT_EQ(KRACClose(&dtf_), 0);
  ExpectStatus(0);
}

TEST_F(DataFileTest, ReadsAfterTheEndReturnAtOnceWithoutReadingTheFile) {
  dir_.Write("DATA", Records(2, kLength));
  Define("S", 1);
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  EXPECT_EQ(ReadToEnd().size(), 2u * kLength);
  // A record appended now would be read by a read that reached the file.
  {
    FILE* f = std::fopen(Path("DATA").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs(Records(1, kLength, 3).c_str(), f);
    std::fclose(f);
  }
  dtf_.current_function = 0;
  EXPECT_EQ(KRACRead(&dtf_), -1);
  EXPECT_EQ(KRACRead(&dtf_), -1);
  ExpectStatus(2690);
  EXPECT_EQ(dtf_.current_function, 0);
  EXPECT_EQ(KRACClose(&dtf_), 0);
}

TEST_F(DataFileTest, CallOrderIsCheckedBeforeAnythingElse) {
  Define("S", 1);
  dir_.Write("DATA", Records(1, kLength));
  EXPECT_EQ(KRACRead(&dtf_), -1);
  ExpectStatus(3630);
  EXPECT_EQ(KRACWrite(&dtf_), -1);
  ExpectStatus(3630);
  EXPECT_EQ(KRACClose(&dtf_), -1);
  ExpectStatus(3630);
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  ExpectStatus(0);
  EXPECT_EQ(KRACOpen(&dtf_), -1);
  ExpectStatus(3630);
  // The refused second open left the first one intact.
  EXPECT_EQ(dtf_.last_function, 1);
  EXPECT_EQ(KRACRead(&dtf_), 0);
  EXPECT_EQ(KRACClose(&dtf_), 0);
  EXPECT_EQ(KRACClose(&dtf_), -1);
  ExpectStatus(3630);
}

TEST_F(DataFileTest, AccessModesRefuseTheWrongDirection) {
  dir_.Write("DATA", Records(1, kLength));
  Define("S", 1);
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  EXPECT_EQ(KRACWrite(&dtf_), -1);
  ExpectStatus(2611);
  EXPECT_EQ(dtf_.last_function, 1);
  EXPECT_EQ(dtf_.current_function, 3);
  EXPECT_EQ(KRACRead(&dtf_), 0);
  ASSERT_EQ(KRACClose(&dtf_), 0);
  EXPECT_EQ(test::ReadAll(Path("DATA")), Records(1, kLength));

  dtf_.access_mode = 2;
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  EXPECT_EQ(KRACRead(&dtf_), -1);
  ExpectStatus(2611);
  ASSERT_EQ(KRACClose(&dtf_), 0);

  // Update belongs to keyed access, and other numbers are no mode at all.
  for (int mode : {3, 0, 4}) {
    dtf_.access_mode = mode;
    ExpectFailedOpen(2611);
  }
}

TEST_F(DataFileTest, OnlyFixedLengthFormatsAndKnownOrganisationsOpen) {
  dir_.Write("DATA", Records(1, kLength));
  Define("S", 1, "DATA", "V");
  ExpectFailedOpen(2614);
  for (const char* format : {"VB", "S", "U", ""}) {
    std::memset(dtf_.record_format, 0, sizeof dtf_.record_format);
    std::strcpy(dtf_.record_format, format);
    ExpectFailedOpen(2614);
  }
  std::strcpy(dtf_.record_format, "F");
  std::strcpy(dtf_.organisation, "R");
  ExpectFailedOpen(2613);
  std::strcpy(dtf_.organisation, "S");
  ASSERT_EQ(KRACOpen(&dtf_), 0);
}

TEST_F(DataFileTest, RecordLengthsTheSequentialLibraryCannotCarryAre2612) {
  dir_.Write("DATA", Records(1, kLength));
  Define("S", 1);
  for (int length : {0, -1, 65536}) {
    KRACSetRLength(&dtf_, length);
    ExpectFailedOpen(2612);
  }
}

TEST_F(DataFileTest, OutputReplacesAnExistingFile) {
  dir_.Write("DATA", Records(50, kLength));
  Define("S", 2);
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  std::memcpy(dtf_.record_area, Records(1, kLength, 77).data(), kLength);
  ASSERT_EQ(KRACWrite(&dtf_), 0);
  ASSERT_EQ(KRACClose(&dtf_), 0);
  EXPECT_EQ(test::ReadAll(Path("DATA")), Records(1, kLength, 77));
}

TEST_F(DataFileTest, OutputToAFileHeldByAnotherProcessIs3613AndKeepsItsContents) {
  std::string before = Records(5, kLength);
  dir_.Write("DATA", before);
  Define("S", 1);
  test::HeldByChild held(dtf_);
  ASSERT_TRUE(held.holding());
  dtf_.access_mode = 2;
  ExpectFailedOpen(3613);
  dtf_.access_mode = 1;
  ExpectFailedOpen(3613);
  EXPECT_EQ(test::ReadAll(Path("DATA")), before);
}

TEST_F(DataFileTest, MissingFileOrDirectoryIs3610AndTheOpenCanBeRetried) {
  Define("S", 1);
  ExpectFailedOpen(3610);
  dtf_.data_path = paths_.Keep(Path("NO-SUCH-DIR/DATA"));
  ExpectFailedOpen(3610);
  dtf_.data_path = nullptr;
  ExpectFailedOpen(3610);
  dir_.Write("DATA", Records(1, kLength));
  dtf_.data_path = paths_.Keep(Path("DATA"));
  EXPECT_EQ(KRACOpen(&dtf_), 0);
}

TEST_F(DataFileTest, DirectoryAsDataFileIs3612) {
  ASSERT_EQ(::mkdir(Path("DATA").c_str(), 0700), 0);
  Define("S", 1);
  ExpectFailedOpen(3612);
  dtf_.access_mode = 2;
  ExpectFailedOpen(3612);
}

TEST_F(DataFileTest, FileWithoutPermissionIs3612) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not refuse an open";
  dir_.Write("DATA", Records(1, kLength));
  ASSERT_EQ(::chmod(Path("DATA").c_str(), 0), 0);
  Define("S", 1);
  ExpectFailedOpen(3612);
}

TEST_F(DataFileTest, TruncatedLastRecordIs2617AndTheFileStillCloses) {
  dir_.Write("DATA", Records(3, kLength).substr(0, 3 * kLength - 7));
  Define("S", 1);
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  EXPECT_EQ(KRACRead(&dtf_), 0);
  EXPECT_EQ(KRACRead(&dtf_), 0);
  EXPECT_EQ(KRACRead(&dtf_), -1);
  ExpectStatus(2617);
  EXPECT_EQ(dtf_.last_function, 2);
  EXPECT_EQ(KRACClose(&dtf_), 0);
}

// ---- Indexed files ----

TEST_F(DataFileTest, IndexedFileIsReadToTheEndInKeyOrder) {
  ASSERT_TRUE(
      test::BuildIndexed(dir_, "IDX", kLength, Records(2, kLength, 5) + Records(3, kLength, 1)));
  Define("VK", 1, "IDX");
  ASSERT_EQ(KRACOpen(&dtf_), 0) << KRACGetStatus(&dtf_) << " " << KRACGetSubCode(&dtf_);
  EXPECT_GE(dtf_.file_number, 0);
  EXPECT_EQ(dtf_.sequential_control, nullptr);
  EXPECT_EQ(ReadToEnd(), Records(3, kLength, 1) + Records(2, kLength, 5));
  EXPECT_EQ(KRACRead(&dtf_), -1);
  ExpectStatus(2690);
  EXPECT_EQ(KRACClose(&dtf_), 0);
  EXPECT_EQ(dtf_.keyed_state, nullptr);
}

TEST_F(DataFileTest, IndexedRecordSizeUnlikeTheDefinitionIs2616) {
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength + 1, Records(1, kLength + 1)));
  Define("VK", 1, "IDX");
  ExpectFailedOpen(2616);
  // The failed open closed its file number: nothing holds the file.
  Define("VK", 1, "IDX", "FB", kLength + 1);
  EXPECT_EQ(KRACOpen(&dtf_), 0);
}

TEST_F(DataFileTest, IndexedOpenIsInputOnly) {
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, Records(1, kLength)));
  Define("VK", 2, "IDX");
  ExpectFailedOpen(2611);
  dtf_.access_mode = 3;
  ExpectFailedOpen(2611);
}

TEST_F(DataFileTest, IndexedWriteIsRefusedAndTheCloseStillWorks) {
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, Records(2, kLength)));
  Define("VK", 1, "IDX");
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  EXPECT_EQ(KRACRead(&dtf_), 0);
  EXPECT_EQ(KRACWrite(&dtf_), -1);
  ExpectStatus(2611);
  // The file is still open through the library: reading goes on.
  EXPECT_EQ(KRACRead(&dtf_), 0);
  EXPECT_EQ(KRACClose(&dtf_), 0);
  ExpectStatus(0);
}

TEST_F(DataFileTest, MissingIndexedFileIs3610) {
  Define("VK", 1, "IDX");
  ExpectFailedOpen(3610);
  dtf_.data_path = paths_.Keep(Path("NO-SUCH-DIR/IDX"));
  ExpectFailedOpen(3610);
}

TEST_F(DataFileTest, IndexedFileNameThatIsNoNameIs2610) {
  Define("VK", 1, "IDX");
  dtf_.data_path = nullptr;
  ExpectFailedOpen(2610);
  dtf_.data_path = paths_.Keep(dir_.path() + "/");
  ExpectFailedOpen(2610);
}

TEST_F(DataFileTest, IndexedFileHeldByAnotherProcessIs3613) {
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, Records(1, kLength)));
  Define("VK", 1, "IDX");
  {
    test::HeldByChild held(dtf_);
    ASSERT_TRUE(held.holding());
    ExpectFailedOpen(3613);
  }
  EXPECT_EQ(KRACOpen(&dtf_), 0);
}

TEST_F(DataFileTest, IndexedFileWithoutPermissionIs3612) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not refuse an open";
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, Records(1, kLength)));
  ASSERT_EQ(::chmod(Path("IDX.kdf").c_str(), 0), 0);
  Define("VK", 1, "IDX");
  ExpectFailedOpen(3612);
}

TEST_F(DataFileTest, PlainFileAsIndexedFileIs3620WithTheLibrarysError) {
  // A file without its key file is no indexed file: the library answers
  // "bad file" (105), which has no status of its own.
  dir_.Write("IDX", Records(3, kLength));
  Define("VK", 1, "IDX");
  ExpectFailedOpen(3620, "105");
}

}  // namespace
}  // namespace qel::recacc
