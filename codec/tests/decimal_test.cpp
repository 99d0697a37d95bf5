// Decimal values: alignment without rounding, comparison across shapes and
// signs (negative zero included), and conversion from binary integers.
#include "codec/decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/numeric_text.h"

namespace qel::codec {
namespace {

Decimal Parse(std::string_view text) {
  Decimal v;
  EXPECT_TRUE(ParseNumber(text, &v)) << text;
  return v;
}

std::string Text(const Decimal& v) {
  char out[kMaxNumberTextLength];
  return std::string(out, FormatNumber(v, TextStyle::kField, out));
}

struct AlignCase {
  const char* source;
  int integer_digits;
  int fraction_digits;
  const char* expected;
};

class AlignTest : public ::testing::TestWithParam<AlignCase> {};

TEST_P(AlignTest, CutsWithoutRounding) {
  const AlignCase& c = GetParam();
  Decimal aligned = Align(Parse(c.source), c.integer_digits, c.fraction_digits);
  EXPECT_EQ(aligned.integer_digits, c.integer_digits);
  EXPECT_EQ(aligned.fraction_digits, c.fraction_digits);
  EXPECT_EQ(Text(aligned), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, AlignTest,
    ::testing::Values(AlignCase{"123.45", 2, 1, "23.4"}, AlignCase{"12.345", 3, 2, "12.34"},
                      AlignCase{"1234", 3, 0, "234"}, AlignCase{"1.5", 3, 2, "1.50"},
                      AlignCase{"-5", 3, 0, "-5"}, AlignCase{"-1000", 3, 0, "-0"},
                      AlignCase{"99.99", 0, 1, ".9"}, AlignCase{".05", 1, 3, "0.050"},
                      AlignCase{"", 2, 2, "0.00"}));

struct CompareCase {
  const char* a;
  const char* b;
  int expected;
};

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, OrdersValues) {
  const CompareCase& c = GetParam();
  EXPECT_EQ(Compare(Parse(c.a), Parse(c.b)), c.expected) << c.a << " vs " << c.b;
  EXPECT_EQ(Compare(Parse(c.b), Parse(c.a)), -c.expected) << c.b << " vs " << c.a;
}

INSTANTIATE_TEST_SUITE_P(Values, CompareTest,
                         ::testing::Values(CompareCase{"1.5", "01.50", 0},
                                           CompareCase{"2", "10", -1}, CompareCase{"0.1", ".09", 1},
                                           CompareCase{"-3", "2", -1}, CompareCase{"-3", "-2", -1},
                                           CompareCase{"-2.50", "-2.5", 0},
                                           CompareCase{"-0", "0", -1},
                                           CompareCase{"-0", "-0.00", 0},
                                           CompareCase{"-0", "-1", 1}, CompareCase{"", "0.000", 0},
                                           CompareCase{"123456789012345678901234567890123",
                                                       "123456789012345678901234567890124", -1}));

TEST(Decimal, FromIntegerKeepsScale) {
  EXPECT_EQ(Text(FromInteger(1234, 2)), "12.34");
  EXPECT_EQ(Text(FromInteger(-5, 3)), "-.005");
  EXPECT_EQ(Text(FromInteger(0, 0)), "0");
  EXPECT_EQ(Text(FromInteger(INT64_MIN, 0)), "-9223372036854775808");
  EXPECT_EQ(Text(FromInteger(4294967295LL, 0)), "4294967295");
}

TEST(Decimal, ScaledIntegerIgnoresPoint) {
  EXPECT_EQ(ToScaledInteger(Parse("-12.34")), -1234);
  EXPECT_EQ(ToScaledInteger(Parse("999999999.999999999")), 999999999999999999LL);
  EXPECT_EQ(ToScaledInteger(Parse("")), 0);
}

TEST(Decimal, ZeroWhateverTheSign) {
  EXPECT_TRUE(IsZero(Parse("-0.00")));
  EXPECT_TRUE(IsZero(Parse("")));
  EXPECT_FALSE(IsZero(Parse(".001")));
}

}  // namespace
}  // namespace qel::codec
