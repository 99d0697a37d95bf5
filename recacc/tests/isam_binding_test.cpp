// The ISAM binding: the library is loaded at each indexed open and stays
// loaded while any file opened through it is open, and the failure table of
// the library's error numbers, for the numbers no real file produces here.
#include "recacc/isam_binding.h"

#include <gtest/gtest.h>

#include <string>

#include "recacc/access_failure.h"
#include "recacc/qelrecacc.h"
#include "recacc/tests/data_file_fixture.h"

namespace qel::recacc {
namespace {

constexpr int kLength = 20;

class IsamBindingTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(test::IsamBound()) << "an earlier test left the library loaded";
    ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, test::Records(3, kLength)));
    KRACInit(&a_);
    KRACInit(&b_);
  }
  void TearDown() override {
    for (DTF* d : {&a_, &b_}) {
      if (d->last_function != 0) KRACClose(d);
      KRACRinfFree(d);
    }
  }
  test::TempDir dir_;
  test::PathStore paths_;
  DTF a_, b_;
};

TEST_F(IsamBindingTest, LibraryStaysLoadedUntilTheLastFileOpenedThroughItCloses) {
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &a_, "VK", kLength, 1, "IDX"));
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &b_, "S", kLength, 1, "IDX.in"));
  ASSERT_EQ(KRACOpen(&a_), 0);
  EXPECT_EQ(IsamBinding::Live(), 1);
  // A second indexed file, on a copy of the same data under another name.
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX2", kLength, test::Records(2, kLength, 8)));
  DTF c{};
  KRACInit(&c);
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &c, "VK", kLength, 1, "IDX2"));
  ASSERT_EQ(KRACOpen(&c), 0);
  EXPECT_EQ(IsamBinding::Live(), 2);
  ASSERT_EQ(KRACClose(&a_), 0);
  EXPECT_EQ(IsamBinding::Live(), 1);
  EXPECT_EQ(KRACRead(&c), 0);
  EXPECT_EQ(std::string(c.record_area, kLength), test::Records(1, kLength, 8));
  ASSERT_EQ(KRACClose(&c), 0);
  KRACRinfFree(&c);
  EXPECT_FALSE(test::IsamBound());
  // Sequential files never load it.
  ASSERT_EQ(KRACOpen(&b_), 0);
  EXPECT_FALSE(test::IsamBound());
}

TEST_F(IsamBindingTest, FailedOpenReleasesTheLibrary) {
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &a_, "VK", kLength + 4, 1, "IDX"));
  EXPECT_EQ(KRACOpen(&a_), -1);
  EXPECT_EQ(KRACGetStatus(&a_), 2616u);
  EXPECT_FALSE(test::IsamBound());
  a_.data_path = paths_.Keep(dir_.path() + "/MISSING");
  EXPECT_EQ(KRACOpen(&a_), -1);
  EXPECT_EQ(KRACGetStatus(&a_), 3610u);
  EXPECT_FALSE(test::IsamBound());
}

TEST_F(IsamBindingTest, RefusedWriteAndEndOfFileKeepTheLibraryForTheClose) {
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &a_, "VK", kLength, 1, "IDX"));
  ASSERT_EQ(KRACOpen(&a_), 0);
  EXPECT_EQ(KRACWrite(&a_), -1);
  EXPECT_TRUE(test::IsamBound());
  while (KRACRead(&a_) == 0) {
  }
  EXPECT_EQ(KRACGetStatus(&a_), 2690u);
  EXPECT_TRUE(test::IsamBound());
  EXPECT_EQ(KRACClose(&a_), 0);
  EXPECT_FALSE(test::IsamBound());
}

TEST(IsamBindingLoadTest, LibraryWithoutTheEntryPointsIsNoBinding) {
  // The platform library is loadable but is no ISAM library.
  EXPECT_EQ(IsamBinding::Load("libqelplatform.so"), nullptr);
  EXPECT_EQ(IsamBinding::Load("libno-such-isam.so"), nullptr);
  EXPECT_NE(IsamBinding::Load(), nullptr);
}

struct IsamCase {
  int result, error, system_error;
  Operation op;
  uint32_t status;
  int sub_code;
};

class IsamFailureTest : public testing::TestWithParam<IsamCase> {};

TEST_P(IsamFailureTest, MapsToStatusAndSubCode) {
  const IsamCase& c = GetParam();
  Failure f = MapIsamFailure(c.result, c.error, c.system_error, c.op);
  EXPECT_EQ(f.status, c.status);
  EXPECT_EQ(f.sub_code, c.sub_code);
}

constexpr int kNone = Failure::kNoSubCode;
INSTANTIATE_TEST_SUITE_P(Table, IsamFailureTest,
                         testing::Values(IsamCase{-2, 0, 0, Operation::kRead, 3698, kNone},
                                         IsamCase{-1, 2, 0, Operation::kOpen, 3610, kNone},
                                         IsamCase{-1, 101, 0, Operation::kRead, 3630, kNone},
                                         IsamCase{-1, 102, 0, Operation::kOpen, 2613, kNone},
                                         IsamCase{-1, 104, 0, Operation::kOpen, 3600, kNone},
                                         IsamCase{-1, 107, 0, Operation::kRead, 3613, kNone},
                                         IsamCase{-1, 113, 0, Operation::kOpen, 3613, kNone},
                                         IsamCase{-1, 110, 0, Operation::kRead, 2690, kNone},
                                         IsamCase{-1, 112, 0, Operation::kRead, 3699, kNone},
                                         IsamCase{-1, 114, 0, Operation::kOpen, 2610, kNone},
                                         IsamCase{-1, 1010, 3, Operation::kOpen, 3610, kNone},
                                         IsamCase{-1, 1010, 5, Operation::kRead, 3612, kNone},
                                         IsamCase{-1, 1010, 112, Operation::kWrite, 3623, 1010},
                                         IsamCase{-1, 105, 0, Operation::kOpen, 3620, 105},
                                         IsamCase{-1, 105, 0, Operation::kRead, 3622, 105},
                                         IsamCase{-1, 105, 0, Operation::kClose, 3621, 105},
                                         IsamCase{-1, 105, 0, Operation::kOther, 3699, 105}));

}  // namespace
}  // namespace qel::recacc
