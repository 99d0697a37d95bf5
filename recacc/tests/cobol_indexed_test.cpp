// Indexed files written by COBOL programs compiled here, read through
// KRACRead: every record in key order to the end of the file, and a record
// the file's fixed record length cannot hold, after which the file still
// closes through the library it was opened with.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "recacc/qelrecacc.h"
#include "recacc/tests/data_file_fixture.h"

namespace qel::recacc {
namespace {

// Compiles tests/cobol/<name>.cob into `dir` and runs it there.
bool RunCobol(const test::TempDir& dir, const std::string& name) {
  const char* source = std::getenv("QEL_TEST_SOURCE_DIR");
  if (source == nullptr) return false;
  std::string cmd = "cd '" + dir.path() + "' && cobc -x -o " + name + " '" + source +
                    "/recacc/tests/cobol/" + name + ".cob' && ./" + name;
  return std::system(cmd.c_str()) == 0;
}

class CobolIndexedTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v cobc > /dev/null 2>&1") != 0) GTEST_SKIP() << "cobc not installed";
    KRACInit(&dtf_);
  }
  void TearDown() override {
    if (dtf_.last_function != 0) KRACClose(&dtf_);
    KRACRinfFree(&dtf_);
  }
  test::TempDir dir_;
  test::PathStore paths_;
  DTF dtf_{};
};

TEST_F(CobolIndexedTest, FileWrittenByCobolIsReadToTheEndInKeyOrder) {
  ASSERT_TRUE(RunCobol(dir_, "write_orders"));
  dir_.Write("ORDERS.kdf", "RECSIZE 24\nKEY 0:5:CHAR\nKEY 5:4:CHAR DUPS\n");
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "VK", 24, 1, "ORDERS"));
  ASSERT_EQ(KRACOpen(&dtf_), 0) << KRACGetStatus(&dtf_) << " " << KRACGetSubCode(&dtf_);
  int count = 0;
  while (KRACRead(&dtf_) == 0) {
    ++count;
    char want[48];
    std::snprintf(want, sizeof want, "%05dC   %05dorder     ", count, count);
    ASSERT_EQ(std::string(dtf_.record_area, 24), want);
  }
  EXPECT_EQ(KRACGetStatus(&dtf_), 2690u);
  EXPECT_EQ(count, 300);
  EXPECT_EQ(KRACClose(&dtf_), 0);
}

TEST_F(CobolIndexedTest, ShortRecordFailsTheReadAndTheFileStillCloses) {
  ASSERT_TRUE(RunCobol(dir_, "write_varying"));
  test::WriteKeyFile(dir_, "VARY", 20);
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "VK", 20, 1, "VARY"));
  ASSERT_EQ(KRACOpen(&dtf_), 0) << KRACGetStatus(&dtf_) << " " << KRACGetSubCode(&dtf_);
  ASSERT_EQ(KRACRead(&dtf_), 0);
  EXPECT_EQ(std::string(dtf_.record_area, 20), "00001full-length-rec");
  EXPECT_EQ(KRACRead(&dtf_), -1);
  // The library's "bad file" has no status of its own.
  EXPECT_EQ(KRACGetStatus(&dtf_), 3622u);
  EXPECT_STREQ(KRACGetSubCode(&dtf_), "105");
  EXPECT_EQ(dtf_.last_function, 2);
  EXPECT_TRUE(test::IsamBound());
  EXPECT_EQ(KRACClose(&dtf_), 0);
  EXPECT_EQ(KRACGetStatus(&dtf_), 0u);
  EXPECT_FALSE(test::IsamBound());
}

}  // namespace
}  // namespace qel::recacc
