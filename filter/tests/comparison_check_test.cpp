// KCNDCompChek: usable keys and items, the compatibility table, and the
// constant checks of each key attribute.
#include "filter/comparison_check.h"

#include <gtest/gtest.h>

#include <string>

#include "filter/qelfilter.h"
#include "filter/tests/selection_fixture.h"

namespace qel::filter {
namespace {

using testing::ItemSpec;
using testing::SelectionFile;

const std::string kWideA = "\x82\x60";      // Ａ
const std::string kWideStar = "\x81\x96";   // ＊
const std::string kWideQuery = "\x81\x48";  // ？

class ComparisonCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    alnum_ = file_.Alphanumeric(5);
    alpha_ = file_.Add({KRAC_ATTR_ALPHABETIC, 5});
    national_ = file_.National(64);
    group_ = file_.Add({KRAC_ATTR_GROUP, 10});
    date_ = file_.Add({KRAC_ATTR_DATE, 8});
    time_ = file_.Add({KRAC_ATTR_TIME, 6});
    binary_ = file_.Add({KRAC_ATTR_BINARY, 2, 4});
    packed_ = file_.Packed(7, 2);
    bwz_zoned_ = file_.Add({KRAC_ATTR_ZONED_UNSIGNED, 5, 5, 0, '0', 'T'});
    edited_ = file_.Add({KRAC_ATTR_ALPHANUMERIC_EDITED, 5, 5, 0, '0', 'F', 'F', "XX/XX"});
    edited_same_ = file_.Add({KRAC_ATTR_ALPHANUMERIC_EDITED, 5, 5, 0, '0', 'F', 'F', "XX/XX"});
    edited_longer_ = file_.Add({KRAC_ATTR_ALPHANUMERIC_EDITED, 6, 6, 0, '0', 'F', 'F', "XX/XXX"});
    edited_other_ = file_.Add({KRAC_ATTR_ALPHANUMERIC_EDITED, 5, 5, 0, '0', 'F', 'F', "XXBXX"});
    numeric_edited_ = file_.Add({KRAC_ATTR_NUMERIC_EDITED, 6, 4, 2, '0', 'F', 'F', "ZZ9.99"});
    long_binary_ = file_.Add({KRAC_ATTR_BINARY_UNSIGNED, 4, 10});
    long_packed_ = file_.Packed(19);
    long_text_ = file_.Alphanumeric(4097);
    float_ = file_.Add({KRAC_ATTR_FOUR_BYTE, 4});
    other_date_ = file_.Add({KRAC_ATTR_DATE, 8});
    zoned18_ = file_.Zoned(18);
    text4096_ = file_.Alphanumeric(4096);
  }

  int Check(int key, const std::string& text, int op = KCND_OP_EQ, int blank = 0,
            char any_string = '*', char any_one = '?') {
    return KCNDCompChek(key, op, text.c_str(), file_.dtf(), static_cast<unsigned char>(any_string),
                        static_cast<unsigned char>(any_one), blank);
  }
  std::string Ref(int item) { return "#" + std::to_string(item) + " "; }

  SelectionFile file_;
  int alnum_, alpha_, national_, group_, date_, time_, binary_, packed_, bwz_zoned_;
  int edited_, edited_same_, edited_longer_, edited_other_, numeric_edited_;
  int long_binary_, long_packed_, long_text_, float_, other_date_, zoned18_, text4096_;
};

TEST_F(ComparisonCheckTest, KeysOverTheirLimitsOrOfOtherKindsAreRefused) {
  EXPECT_EQ(Check(long_binary_, "1"), 2201);
  EXPECT_EQ(Check(long_packed_, "1"), 2201);
  EXPECT_EQ(Check(long_text_, "A"), 2201);
  EXPECT_EQ(Check(float_, "1"), 2201);
  EXPECT_EQ(Check(text4096_, "A"), 0);
  EXPECT_EQ(Check(zoned18_, "1"), 0);
  // BLANK WHEN ZERO items are refused only with the blank option on.
  EXPECT_EQ(Check(bwz_zoned_, "1"), 0);
  EXPECT_EQ(Check(bwz_zoned_, "1", KCND_OP_EQ, 1), 2201);
  EXPECT_EQ(Check(999, "1"), 2201);
}

TEST_F(ComparisonCheckTest, ItemReferences) {
  EXPECT_EQ(Check(alnum_, "#0"), 2206);
  EXPECT_EQ(Check(alnum_, "#A"), 2206);
  EXPECT_EQ(Check(alnum_, "#"), 2206);
  EXPECT_EQ(Check(alnum_, "#3x"), 2206);
  EXPECT_EQ(Check(alnum_, "#999"), 2206);
  // Only the first ten digits count: this is item 9,999,999,999.
  EXPECT_EQ(Check(alnum_, "#99999999990001"), 2206);
  EXPECT_EQ(Check(alnum_, "#" + std::to_string(alpha_)), 0);
  EXPECT_EQ(Check(alnum_, "#" + std::to_string(alpha_) + " ITEM-2"), 0);
  EXPECT_EQ(Check(alnum_, "#" + std::to_string(alpha_) + ":anything"), 0);
  EXPECT_EQ(Check(alnum_, "#" + std::to_string(national_) + ":anything"), 2203);
  EXPECT_EQ(Check(alnum_, Ref(long_text_)), 2202);
  EXPECT_EQ(Check(packed_, Ref(long_packed_)), 2202);
  EXPECT_EQ(Check(packed_, Ref(float_)), 2202);
}

TEST_F(ComparisonCheckTest, CompatibilityIsNotSymmetric) {
  EXPECT_EQ(Check(alnum_, Ref(date_)), 0);
  EXPECT_EQ(Check(alnum_, Ref(time_)), 0);
  EXPECT_EQ(Check(alnum_, Ref(group_)), 0);
  EXPECT_EQ(Check(date_, Ref(alnum_)), 2203);
  EXPECT_EQ(Check(time_, Ref(alnum_)), 2203);
  EXPECT_EQ(Check(date_, Ref(other_date_)), 0);
  EXPECT_EQ(Check(date_, Ref(time_)), 2203);
  EXPECT_EQ(Check(alpha_, Ref(group_)), 0);
  EXPECT_EQ(Check(group_, Ref(alpha_)), 0);
  EXPECT_EQ(Check(alpha_, Ref(date_)), 2203);
  EXPECT_EQ(Check(national_, Ref(national_)), 0);
  EXPECT_EQ(Check(national_, Ref(alnum_)), 2203);
  EXPECT_EQ(Check(alnum_, Ref(packed_)), 2203);
  EXPECT_EQ(Check(packed_, Ref(alnum_)), 2203);
}

TEST_F(ComparisonCheckTest, NumericItemsNeedNotAgreeButBlankWhenZeroIsRefused) {
  EXPECT_EQ(Check(packed_, Ref(binary_)), 0);
  EXPECT_EQ(Check(binary_, Ref(zoned18_)), 0);
  EXPECT_EQ(Check(packed_, Ref(bwz_zoned_)), 0);
  EXPECT_EQ(Check(packed_, Ref(bwz_zoned_), KCND_OP_EQ, 1), 2202);
  EXPECT_EQ(Check(bwz_zoned_, Ref(packed_), KCND_OP_EQ, 1), 2201);
}

TEST_F(ComparisonCheckTest, EditedItemsCompareOnlyWithTheirLikes) {
  EXPECT_EQ(Check(edited_, Ref(edited_same_)), 0);
  EXPECT_EQ(Check(edited_, Ref(edited_longer_)), 2204);
  EXPECT_EQ(Check(edited_, Ref(edited_other_)), 2205);
  EXPECT_EQ(Check(edited_, Ref(numeric_edited_)), 2203);
  EXPECT_EQ(Check(edited_, Ref(alnum_)), 2203);
  EXPECT_EQ(Check(edited_, "AB"), 2207);
  EXPECT_EQ(Check(numeric_edited_, "12"), 2207);
}

TEST_F(ComparisonCheckTest, NumericConstants) {
  EXPECT_EQ(Check(packed_, ""), 0);
  EXPECT_EQ(Check(packed_, "-0.5"), 0);
  EXPECT_EQ(Check(packed_, "-.5"), 0);
  EXPECT_EQ(Check(packed_, "5-"), 2212);
  EXPECT_EQ(Check(packed_, "1.2.3"), 2213);
  EXPECT_EQ(Check(packed_, "-"), 2211);
  EXPECT_EQ(Check(packed_, "."), 2211);
  EXPECT_EQ(Check(packed_, "1a"), 2211);
  EXPECT_EQ(Check(packed_, "ABC"), 2211);
  EXPECT_EQ(Check(packed_, "\"12"), 2211);
  // The digits of the constant count together, whatever the key's shape.
  EXPECT_EQ(Check(binary_, "123.456789"), 0);
  EXPECT_EQ(Check(binary_, "1234567890"), 2219);
  EXPECT_EQ(Check(packed_, "123456789012345678"), 0);
  EXPECT_EQ(Check(packed_, "1234567890123456789"), 2218);
  EXPECT_EQ(Check(packed_, "12", KCND_OP_GT), 0);
}

TEST_F(ComparisonCheckTest, AlphanumericAlphabeticAndGroupConstants) {
  std::string thirty_two(32, 'A');
  EXPECT_EQ(Check(alnum_, ""), 0);
  EXPECT_EQ(Check(alpha_, ""), 0);
  EXPECT_EQ(Check(group_, ""), 0);
  EXPECT_EQ(Check(alnum_, thirty_two), 0);
  EXPECT_EQ(Check(alnum_, "\"" + thirty_two), 2216);
  EXPECT_EQ(Check(alnum_, "#AB"), 2206);
  EXPECT_EQ(Check(alnum_, "\"#AB"), 0);
  EXPECT_EQ(Check(alnum_, "12"), 0);
  EXPECT_EQ(Check(alnum_, "A" + kWideA), 0);
  EXPECT_EQ(Check(alpha_, "AB cd"), 0);
  EXPECT_EQ(Check(alpha_, "AB1"), 2208);
  EXPECT_EQ(Check(alpha_, kWideA), 2208);
  EXPECT_EQ(Check(alpha_, "AB*"), 1);
  EXPECT_EQ(Check(alnum_, "AB*", KCND_OP_GT), 2222);
  EXPECT_EQ(Check(alnum_, "AB*", KCND_OP_EQ), 1);
  EXPECT_EQ(Check(alnum_, "A?C", KCND_OP_NE), 1);
  // A blank metacharacter is not set; a double-byte character never is one.
  EXPECT_EQ(Check(alnum_, "AB*", KCND_OP_EQ, 0, ' ', ' '), 0);
  EXPECT_EQ(Check(alnum_, kWideStar, KCND_OP_EQ), 0);
}

TEST_F(ComparisonCheckTest, NationalConstants) {
  std::string sixteen;
  for (int i = 0; i < 16; ++i) sixteen += kWideA;
  EXPECT_EQ(Check(national_, ""), 0);
  EXPECT_EQ(Check(national_, sixteen), 0);
  EXPECT_EQ(Check(national_, "\"" + sixteen), 2217);
  EXPECT_EQ(Check(national_, "\"" + kWideA), 0);
  EXPECT_EQ(Check(national_, kWideA + "A"), 2209);
  EXPECT_EQ(Check(national_, kWideA + "\x82"), 2209);
  // Metacharacters count in their double-byte form only.
  EXPECT_EQ(Check(national_, kWideA + kWideStar), 1);
  EXPECT_EQ(Check(national_, kWideQuery + kWideA), 1);
  EXPECT_EQ(Check(national_, kWideA + kWideStar, KCND_OP_LT), 2222);
  EXPECT_EQ(Check(national_, kWideA + "*"), 2209);
}

TEST_F(ComparisonCheckTest, DateConstants) {
  EXPECT_EQ(Check(date_, "97/12/01"), 0);
  EXPECT_EQ(Check(date_, ""), 2214);
  EXPECT_EQ(Check(date_, "97/12/3"), 2214);
  EXPECT_EQ(Check(date_, "97/*"), 1);
  EXPECT_EQ(Check(date_, "9?/12/01"), 1);
  EXPECT_EQ(Check(date_, "*/01"), 1);
  EXPECT_EQ(Check(date_, "97/1*/01"), 1);
  EXPECT_EQ(Check(date_, "9*"), 1);
  EXPECT_EQ(Check(date_, "97*"), 2214);  // three positions in the last group
  EXPECT_EQ(Check(date_, "97/12"), 2214);
  EXPECT_EQ(Check(date_, "971201"), 2214);
  EXPECT_EQ(Check(date_, "97/12/01/"), 2214);
  EXPECT_EQ(Check(date_, "97/1/01"), 2214);
  EXPECT_EQ(Check(date_, "97/12/"), 2214);
  EXPECT_EQ(Check(date_, "97/*/"), 2214);
  EXPECT_EQ(Check(date_, "97/*/123"), 2214);
  EXPECT_EQ(Check(date_, "97/AB/01"), 2214);
  EXPECT_EQ(Check(date_, kWideA), 2214);
  EXPECT_EQ(Check(date_, "97/12/0" + kWideA.substr(0, 1)), 2214);
  EXPECT_EQ(Check(date_, "97/*", KCND_OP_GE), 2222);
  EXPECT_EQ(Check(date_, "97/*", KCND_OP_EQ, 0, ' ', '?'), 2214);
}

TEST_F(ComparisonCheckTest, TimeConstants) {
  EXPECT_EQ(Check(time_, "123456"), 0);
  EXPECT_EQ(Check(time_, ""), 2215);
  EXPECT_EQ(Check(time_, "12??56"), 1);
  EXPECT_EQ(Check(time_, "12*"), 1);
  EXPECT_EQ(Check(time_, "12ab56"), 2215);
  EXPECT_EQ(Check(time_, "12ab56", KCND_OP_EQ, 0, '*', 'a'), 2215);
  EXPECT_EQ(Check(time_, "12345"), 2215);
  EXPECT_EQ(Check(time_, "1234567"), 2215);
  EXPECT_EQ(Check(time_, "12??5"), 2215);
  EXPECT_EQ(Check(time_, kWideA + "1234"), 2215);
}

TEST(ComparisonTextTest, ClassifiedByTheFirstByte) {
  EXPECT_EQ(ClassifyText(""), TextKind::kCharacter);
  EXPECT_EQ(ClassifyText("#1"), TextKind::kItemReference);
  EXPECT_EQ(ClassifyText("-1"), TextKind::kNumericLooking);
  EXPECT_EQ(ClassifyText(".5"), TextKind::kNumericLooking);
  EXPECT_EQ(ClassifyText("7"), TextKind::kNumericLooking);
  EXPECT_EQ(ClassifyText("\"1"), TextKind::kCharacter);
  EXPECT_EQ(ClassifyText("\x88\x9f"), TextKind::kCharacter);
  EXPECT_EQ(ClassifyText("\xb1"), TextKind::kCharacter);  // half-width katakana
}

}  // namespace
}  // namespace qel::filter
