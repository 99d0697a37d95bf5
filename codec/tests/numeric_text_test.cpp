// Numeric texts: the field and display forms, parsing of field texts, and
// the checks of numbers typed by a user or written as procedure constants.
#include "codec/numeric_text.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::codec {
namespace {

TEST(NumericText, ParseKeepsShapeAndSign) {
  Decimal v;
  ASSERT_TRUE(ParseNumber("-012.50", &v));
  EXPECT_TRUE(v.negative);
  EXPECT_EQ(v.integer_digits, 3);
  EXPECT_EQ(v.fraction_digits, 2);
  ASSERT_TRUE(ParseNumber("+7", &v));
  EXPECT_FALSE(v.negative);
  ASSERT_TRUE(ParseNumber("-", &v));
  EXPECT_TRUE(v.negative);
  EXPECT_EQ(v.DigitCount(), 0);
}

TEST(NumericText, ParseRefusesOtherTexts) {
  Decimal v;
  for (const char* text : {" 5", "5 ", "1.2.3", "1-", "--1", "+-1", "1e5", "0x10", "١"}) {
    EXPECT_FALSE(ParseNumber(text, &v)) << text;
  }
  EXPECT_TRUE(ParseNumber(std::string(40, '9') + "." + std::string(40, '9'), &v));
  EXPECT_FALSE(ParseNumber(std::string(41, '9'), &v));
  EXPECT_FALSE(ParseNumber("." + std::string(41, '9'), &v));
}

TEST(NumericText, FormatStyles) {
  Decimal v;
  char out[kMaxNumberTextLength];
  ASSERT_TRUE(ParseNumber("-000123.45", &v));
  EXPECT_EQ(std::string(out, FormatNumber(v, TextStyle::kField, out)), "-123.45");
  ASSERT_TRUE(ParseNumber("000", &v));
  EXPECT_EQ(std::string(out, FormatNumber(v, TextStyle::kField, out)), "0");
  ASSERT_TRUE(ParseNumber("-.05", &v));
  EXPECT_EQ(std::string(out, FormatNumber(v, TextStyle::kField, out)), "-.05");
  EXPECT_EQ(std::string(out, FormatNumber(v, TextStyle::kDisplay, out)), "-0.05");
  char small[3];
  EXPECT_EQ(FormatNumber(v, TextStyle::kField, small), 0u);
}

struct EntryCase {
  const char* text;
  int integer_digits;
  int fraction_digits;
  bool truncate;
  EntryCheck expected;
  const char* normalised;
};

class EntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryTest, ChecksAndNormalises) {
  const EntryCase& c = GetParam();
  char out[64];
  std::size_t length = 0;
  EntryCheck result =
      CheckNumericEntry(c.text, c.integer_digits, c.fraction_digits, c.truncate, out, &length);
  EXPECT_EQ(result, c.expected) << c.text;
  if (result == EntryCheck::kOk) {
    EXPECT_EQ(std::string(out, length), c.normalised) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EntryTest,
    ::testing::Values(EntryCase{"0.5", 0, 2, false, EntryCheck::kOk, "0.50"},
                      EntryCase{"-0", 0, 2, false, EntryCheck::kOk, "-0.00"},
                      EntryCase{"00", 0, 2, false, EntryCheck::kTooManyIntegerDigits, ""},
                      EntryCase{".5", 0, 2, false, EntryCheck::kOk, "0.50"},
                      EntryCase{"-.5", 0, 2, false, EntryCheck::kOk, "-0.50"},
                      EntryCase{"-0.5", 0, 2, false, EntryCheck::kOk, "-0.50"},
                      EntryCase{"1.5", 0, 2, false, EntryCheck::kTooManyIntegerDigits, ""},
                      EntryCase{"12345", 3, 0, false, EntryCheck::kTooManyIntegerDigits, ""},
                      EntryCase{"12345", 3, 0, true, EntryCheck::kOk, "345"},
                      EntryCase{"-12345.678", 3, 2, true, EntryCheck::kOk, "-345.67"},
                      EntryCase{"1.234", 3, 2, false, EntryCheck::kTooManyFractionDigits, ""},
                      EntryCase{"12", 3, 2, false, EntryCheck::kOk, "12.00"},
                      EntryCase{"12.", 3, 0, false, EntryCheck::kOk, "12"},
                      EntryCase{"12.", 3, 1, false, EntryCheck::kOk, "12.0"},
                      EntryCase{"5.5", 3, 0, true, EntryCheck::kOk, "5"},
                      EntryCase{"-", 3, 0, false, EntryCheck::kBadCharacter, ""},
                      EntryCase{".", 3, 0, false, EntryCheck::kBadCharacter, ""},
                      EntryCase{"", 3, 0, false, EntryCheck::kBadCharacter, ""},
                      EntryCase{"1.2.3", 3, 2, false, EntryCheck::kBadCharacter, ""},
                      EntryCase{"+1", 3, 0, false, EntryCheck::kBadCharacter, ""},
                      EntryCase{"1 ", 3, 0, false, EntryCheck::kBadCharacter, ""},
                      EntryCase{"1-", 3, 0, false, EntryCheck::kMinusNotFirst, ""},
                      EntryCase{"--1", 3, 0, false, EntryCheck::kMinusNotFirst, ""}));

struct ConstantCase {
  const char* text;
  int max_digits;
  ConstantCheck expected;
};

class ConstantTest : public ::testing::TestWithParam<ConstantCase> {};

TEST_P(ConstantTest, Checks) {
  const ConstantCase& c = GetParam();
  EXPECT_EQ(CheckNumericConstant(c.text, c.max_digits), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Constants, ConstantTest,
                         ::testing::Values(ConstantCase{"-1.5", 18, ConstantCheck::kOk},
                                           ConstantCase{"", 18, ConstantCheck::kEmpty},
                                           ConstantCase{"1-2", 18, ConstantCheck::kSignAfterDigits},
                                           ConstantCase{"-", 18, ConstantCheck::kMalformed},
                                           ConstantCase{".-1", 18, ConstantCheck::kMalformed},
                                           ConstantCase{"1.2.3", 18, ConstantCheck::kMalformed},
                                           ConstantCase{"1a", 18, ConstantCheck::kMalformed},
                                           ConstantCase{"+1", 18, ConstantCheck::kMalformed},
                                           ConstantCase{"-123456789.0", 9,
                                                        ConstantCheck::kTooManyDigits},
                                           ConstantCase{"-12345678.9", 9, ConstantCheck::kOk}));

}  // namespace
}  // namespace qel::codec
