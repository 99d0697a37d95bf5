// Condition expressions: the prefix forms and every fault in the order met.
#include <gtest/gtest.h>

#include <string>

#include "filter/qelfilter.h"

namespace {

struct Case {
  const char* expression;
  int count;
  int result;
  const char* prefix;
};

class ExpressionTest : public ::testing::TestWithParam<Case> {};

TEST_P(ExpressionTest, CompilesOrRefuses) {
  const Case& c = GetParam();
  char prefix[KCND_PREFIX_SIZE] = "untouched";
  EXPECT_EQ(KCNDCondChek(c.expression, prefix, c.count), c.result) << c.expression;
  if (c.result == 0) {
    EXPECT_STREQ(prefix, c.prefix) << c.expression;
  }
}

INSTANTIATE_TEST_SUITE_P(
    PrefixForms, ExpressionTest,
    ::testing::Values(Case{"1", 1, 0, "1"}, Case{"1A2", 2, 0, "A1,2"},
                      Case{"1A2A3", 3, 0, "AA1,2,3"}, Case{"1A2O3", 3, 0, "OA1,2,3"},
                      Case{"1O2A3", 3, 0, "O1A2,3"}, Case{"(1O2)A3", 3, 0, "AO1,2,3"},
                      Case{"1O2A3O4", 4, 0, "OO1A2,3,4"}, Case{"1a2o3", 3, 0, "OA1,2,3"},
                      Case{"", 1, 0, "1"}, Case{"1O(2)", 2, 0, "O1,2"},
                      Case{"(1O2)A(3O4)", 4, 0, "AO1,2O3,4"},
                      Case{"10A1A2A3A4A5A6A7A8A9", 12, 0, "AAAAAAAAA10,1,2,3,4,5,6,7,8,9"},
                      Case{"((((((((((1))))))))))", 1, 0, "1"}));

INSTANTIATE_TEST_SUITE_P(Faults, ExpressionTest,
                         ::testing::Values(Case{"", 2, 2230, ""}, Case{"", 0, 2230, ""},
                                           Case{"A1", 1, 2224, ""}, Case{"1 A 2", 2, 2231, ""},
                                           Case{"1A", 2, 2229, ""}, Case{"()", 1, 2225, ""},
                                           Case{"(1", 1, 2227, ""}, Case{"1)", 1, 2231, ""},
                                           Case{"(((((((((((1)))))))))))", 1, 2228, ""},
                                           Case{"0", 1, 2226, ""}, Case{"01", 1, 2226, ""},
                                           Case{"3", 2, 2226, ""}, Case{"1", 2, 2237, ""},
                                           Case{"1A99999999999999", 2, 2226, ""},
                                           Case{"1AB", 2, 2225, ""}, Case{"1A2)", 2, 2231, ""},
                                           Case{"(1A2", 2, 2227, ""}, Case{"1", -3, 2226, ""}));

TEST(ExpressionTest, PrefixThatWouldOverflowIsRefused) {
  std::string text = "1";
  for (int i = 0; i < 200; ++i) text += "A1";
  char prefix[KCND_PREFIX_SIZE];
  EXPECT_EQ(KCNDCondChek(text.c_str(), prefix, 1), 2231);
}

TEST(ExpressionTest, HundredByteExpressionFits) {
  std::string text = "1";
  while (text.size() + 2 <= 100) text += "A1";
  char prefix[KCND_PREFIX_SIZE];
  EXPECT_EQ(KCNDCondChek(text.c_str(), prefix, 1), 0);
}

}  // namespace

namespace {

TEST(CheckMessageTest, SelectionResultsMapToProcedureCheckNumbers) {
  EXPECT_EQ(KCNDCheckMessage(2201), 2135);
  EXPECT_EQ(KCNDCheckMessage(2206), 2112);
  EXPECT_EQ(KCNDCheckMessage(2231), 2125);
  EXPECT_EQ(KCNDCheckMessage(2237), 2126);
  EXPECT_EQ(KCNDCheckMessage(2214), 2214);
  EXPECT_EQ(KCNDCheckMessage(2215), 2215);
  EXPECT_EQ(KCNDCheckMessage(0), 0);
}

}  // namespace

#include "platform/string_table.h"

namespace {

TEST(FilterStringsTest, SelectionTextsAreRegisteredUnderTheLibrary) {
  auto text = qel::platform::LoadModuleString("QELFILTER.DLL", 2231);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->substr(0, 11), "KRSC2231-I ");
  EXPECT_TRUE(qel::platform::LoadModuleString("QELFILTER.DLL", 2236).has_value());
}

}  // namespace
