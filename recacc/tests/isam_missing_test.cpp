// Indexed opens when the ISAM library cannot be found: run with a library
// path that holds the suite's libraries but not the ISAM library.
#include <gtest/gtest.h>

#include <string>

#include "recacc/qelrecacc.h"
#include "recacc/tests/data_file_fixture.h"

namespace qel::recacc {
namespace {

TEST(IsamMissingTest, IndexedOpenIs3680AndSequentialFilesStillWork) {
  test::TempDir dir;
  test::PathStore paths;
  DTF dtf{};
  ASSERT_TRUE(test::Prepare(dir, &paths, &dtf, "VK", 20, 1, "IDX"));
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(KRACOpen(&dtf), -1);
    EXPECT_EQ(KRACGetStatus(&dtf), 3680u);
    EXPECT_STREQ(KRACGetSubCode(&dtf), "0000");
    EXPECT_EQ(dtf.last_function, 0);
    EXPECT_EQ(dtf.record_area, nullptr);
    EXPECT_EQ(dtf.keyed_state, nullptr);
  }
  KRACRinfFree(&dtf);

  dir.Write("SEQ", test::Records(2, 20));
  ASSERT_TRUE(test::Prepare(dir, &paths, &dtf, "S", 20, 1, "SEQ"));
  ASSERT_EQ(KRACOpen(&dtf), 0);
  EXPECT_EQ(KRACRead(&dtf), 0);
  EXPECT_EQ(KRACClose(&dtf), 0);
  KRACRinfFree(&dtf);
}

}  // namespace
}  // namespace qel::recacc
