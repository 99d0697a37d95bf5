// KCNDSelect1: short cuts over the prefix form, character and numeric
// comparisons, several comparison values, invalid data and pattern
// conditions, on records built in memory.
#include "filter/evaluator.h"

#include <gtest/gtest.h>

#include <string>

#include "filter/qelfilter.h"
#include "filter/tests/selection_fixture.h"

namespace qel::filter {
namespace {

using testing::ConditionTable;
using testing::ItemSpec;
using testing::SelectionFile;

class SelectTest : public ::testing::Test {
 protected:
  int Select(const char* prefix) {
    error_item_ = -99;
    return KCNDSelect1(file_.dtf(), prefix, table_.data(), &error_item_, &options_);
  }
  // One condition, checked as the rework programs check it, evaluated alone.
  int One(int key, int op, std::vector<std::string> values) {
    table_ = ConditionTable();
    table_.Add(key, op, std::move(values), '*', '?', file_.dtf());
    return Select("1");
  }

  SelectionFile file_;
  ConditionTable table_;
  SelRunOptions options_{0, 0};
  int error_item_ = -99;
};

TEST_F(SelectTest, AndSkipsTheSecondConditionWhenTheFirstIsFalse) {
  int flag = file_.Alphanumeric(1);
  int amount = file_.Packed(3);
  file_.Put(amount, "\x12\x3A");  // sign nibble A: invalid
  table_.Add(flag, KCND_OP_EQ, {"Y"});
  table_.Add(amount, KCND_OP_EQ, {"1"});
  file_.Put(flag, "N");
  EXPECT_EQ(Select("A1,2"), 0);
  EXPECT_EQ(error_item_, -99);
  file_.Put(flag, "Y");
  EXPECT_EQ(Select("A1,2"), 2235);
  EXPECT_EQ(error_item_, amount - 1);
}

TEST_F(SelectTest, OrSkipsTheSecondConditionWhenTheFirstIsTrue) {
  int flag = file_.Alphanumeric(1);
  int amount = file_.Packed(3);
  int other = file_.Packed(3);
  file_.Put(amount, "\x12\x3C");
  file_.Put(other, "\x12\x3A");
  table_.Add(flag, KCND_OP_EQ, {"Y"});
  table_.Add(amount, KCND_OP_EQ, {"#" + std::to_string(other)});
  table_.Add(flag, KCND_OP_NE, {"Z"});
  file_.Put(flag, "Y");
  EXPECT_EQ(Select("O1,2"), 1);
  // A skipped operator takes both its operands with it: (1O2)A3 and 1O(2A3).
  EXPECT_EQ(Select("AO1,2,3"), 1);
  EXPECT_EQ(Select("O1A2,3"), 1);
  file_.Put(flag, "N");
  EXPECT_EQ(Select("O1,2"), 2236);
  EXPECT_EQ(error_item_, other - 1);
  EXPECT_EQ(Select("AO1,3,2"), 2236);
  EXPECT_EQ(Select("A1O2,3"), 0);
}

TEST_F(SelectTest, CharacterValuesArePaddedWithBlanks) {
  int key = file_.Alphanumeric(5);
  int short_item = file_.Alphanumeric(3);
  int justified = file_.Add({KRAC_ATTR_ALPHANUMERIC, 5, 0, 0, '0', 'F', 'T'});
  file_.Put(key, "ABC  ");
  file_.Put(short_item, "ABC");
  file_.Put(justified, "   AB");
  EXPECT_EQ(One(key, KCND_OP_EQ, {"ABC"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"#" + std::to_string(short_item)}), 1);
  EXPECT_EQ(One(justified, KCND_OP_EQ, {"AB"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"#" + std::to_string(justified)}), 0);
  EXPECT_EQ(One(key, KCND_OP_GT, {"ABB"}), 1);
  EXPECT_EQ(One(key, KCND_OP_LT, {"ABC!"}), 1);  // the blank is below "!"
  EXPECT_EQ(One(key, KCND_OP_GT, {"ABC\x01"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"\"ABC"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {""}), 0);
  file_.Put(key, "     ");
  EXPECT_EQ(One(key, KCND_OP_EQ, {""}), 1);
  // Shift-JIS bytes compare unsigned.
  file_.Put(key, "\x88\x9f   ");
  EXPECT_EQ(One(key, KCND_OP_GT, {"Z"}), 1);
}

TEST_F(SelectTest, NationalValuesArePaddedWithDoubleByteBlanks) {
  const std::string a = "\x82\x60", blank = "\x81\x40";
  int key = file_.National(6);
  int justified = file_.Add({KRAC_ATTR_NATIONAL, 6, 3, 0, '0', 'F', 'T'});
  file_.Put(key, a + blank + blank);
  file_.Put(justified, blank + blank + a);
  EXPECT_EQ(One(key, KCND_OP_EQ, {a}), 1);
  EXPECT_EQ(One(justified, KCND_OP_EQ, {a}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"#" + std::to_string(justified)}), 1);
  file_.Put(key, blank + blank + blank);
  EXPECT_EQ(One(key, KCND_OP_EQ, {""}), 1);
}

TEST_F(SelectTest, NumericValuesAlignAtThePoint) {
  int key = file_.Zoned(1, 1);
  file_.Put(key, "15");
  EXPECT_EQ(One(key, KCND_OP_EQ, {"01.50"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"1.5"}), 1);
  EXPECT_EQ(One(key, KCND_OP_GT, {"1.49999"}), 1);
  EXPECT_EQ(One(key, KCND_OP_LT, {"10"}), 1);
  EXPECT_EQ(One(key, KCND_OP_GT, {"-2"}), 1);
  file_.Put(key, "00");
  EXPECT_EQ(One(key, KCND_OP_EQ, {""}), 1);
}

TEST_F(SelectTest, SignsAndZeros) {
  int key = file_.Packed(3);
  int positive_zero = file_.Packed(3);
  file_.Put(positive_zero, std::string("\x00\x0C", 2));
  file_.Put(key, std::string("\x00\x0D", 2));  // zero with a negative sign
  EXPECT_EQ(One(key, KCND_OP_EQ, {"0"}), 0);
  EXPECT_EQ(One(key, KCND_OP_LT, {"0"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"-0"}), 0);  // the constant minus zero is positive
  EXPECT_EQ(One(key, KCND_OP_LT, {"#" + std::to_string(positive_zero)}), 1);
  EXPECT_EQ(One(positive_zero, KCND_OP_EQ, {"-0"}), 1);
  EXPECT_EQ(One(positive_zero, KCND_OP_EQ, {"-0.00"}), 1);
  file_.Put(key, std::string("\x00\x5D", 2));  // -5
  EXPECT_EQ(One(key, KCND_OP_LT, {"-3"}), 1);
  EXPECT_EQ(One(key, KCND_OP_GT, {"-6"}), 1);
  EXPECT_EQ(One(key, KCND_OP_GE, {"-5"}), 1);
  EXPECT_EQ(One(key, KCND_OP_LE, {"-5.1"}), 0);
  EXPECT_EQ(One(key, KCND_OP_LT, {"0"}), 1);
  EXPECT_EQ(One(key, KCND_OP_LT, {"#" + std::to_string(positive_zero)}), 1);
}

TEST_F(SelectTest, SeveralValues) {
  int key = file_.Zoned(1);
  file_.Put(key, "2");
  EXPECT_EQ(One(key, KCND_OP_EQ, {"1", "2", "3"}), 1);
  EXPECT_EQ(One(key, KCND_OP_NE, {"1", "2", "3"}), 0);
  file_.Put(key, "4");
  EXPECT_EQ(One(key, KCND_OP_EQ, {"1", "2", "3"}), 0);
  EXPECT_EQ(One(key, KCND_OP_NE, {"1", "2", "3"}), 1);
}

TEST_F(SelectTest, ValuesAfterADecidingOneAreNotLookedAt) {
  int key = file_.Zoned(1);
  int bad = file_.Zoned(1);
  file_.Put(key, "2");
  file_.Put(bad, " ");
  std::string bad_ref = "#" + std::to_string(bad);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"2", bad_ref}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"1", bad_ref}), 2236);
  EXPECT_EQ(error_item_, bad - 1);
  EXPECT_EQ(One(key, KCND_OP_NE, {"2", bad_ref}), 0);
}

TEST_F(SelectTest, InvalidPackedAndZonedData) {
  int packed = file_.Packed(3);
  int zoned = file_.Zoned(3);
  int good = file_.Zoned(3);
  file_.Put(packed, "\x12\x3A");
  file_.Put(zoned, "1 3");
  file_.Put(good, "123");
  EXPECT_EQ(One(packed, KCND_OP_EQ, {"1"}), 2235);
  EXPECT_EQ(error_item_, packed - 1);
  EXPECT_EQ(One(zoned, KCND_OP_EQ, {"1"}), 2235);
  EXPECT_EQ(error_item_, zoned - 1);
  EXPECT_EQ(One(good, KCND_OP_EQ, {"#" + std::to_string(packed)}), 2236);
  EXPECT_EQ(error_item_, packed - 1);
  EXPECT_EQ(One(good, KCND_OP_EQ, {"#" + std::to_string(zoned)}), 2236);
  // A digit nibble in the high nibble position above 9, and the unsigned
  // and signed sign rules.
  file_.Put(packed, "\xA2\x3C");
  EXPECT_EQ(One(packed, KCND_OP_EQ, {"1"}), 2235);
  file_.Put(packed, "\x12\x3F");
  EXPECT_EQ(One(packed, KCND_OP_EQ, {"123"}), 2235);
  int unsigned_packed = file_.Packed(3, 0, false);
  file_.Put(unsigned_packed, "\x12\x3C");
  EXPECT_EQ(One(unsigned_packed, KCND_OP_EQ, {"123"}), 2235);
  file_.Put(unsigned_packed, "\x12\x3F");
  EXPECT_EQ(One(unsigned_packed, KCND_OP_EQ, {"123"}), 1);
}

TEST_F(SelectTest, EvenBytePackedItemsHaveTheirFirstByteChecked) {
  int packed = file_.Packed(2);  // 2 bytes, a padding nibble in front
  file_.Put(packed, "\x01\x2C");
  EXPECT_EQ(One(packed, KCND_OP_EQ, {"12"}), 1);
  file_.Put(packed, "\xF1\x2C");
  EXPECT_EQ(One(packed, KCND_OP_EQ, {"12"}), 2235);
}

TEST_F(SelectTest, SignedZonedSignForms) {
  int trailing = file_.Add({KRAC_ATTR_ZONED, 3, 3, 0, '1'});
  int leading_separate = file_.Add({KRAC_ATTR_ZONED, 4, 3, 0, '2'});
  file_.Put(trailing, "12\x75");
  file_.Put(leading_separate, "-125");
  EXPECT_EQ(One(trailing, KCND_OP_EQ, {"-125"}), 1);
  EXPECT_EQ(One(leading_separate, KCND_OP_EQ, {"#" + std::to_string(trailing)}), 1);
  file_.Put(leading_separate, "+125");
  EXPECT_EQ(One(leading_separate, KCND_OP_EQ, {"125"}), 1);
}

TEST_F(SelectTest, BlankWhenZeroOption) {
  int zoned = file_.Add({KRAC_ATTR_ZONED_UNSIGNED, 3, 3, 0, '0', 'T'});
  file_.Put(zoned, "   ");
  EXPECT_EQ(One(zoned, KCND_OP_EQ, {"0"}), 2235);
  options_.blank_when_zero = 1;
  EXPECT_EQ(One(zoned, KCND_OP_EQ, {"0"}), 1);
}

TEST_F(SelectTest, BinaryItemsInBothByteOrders) {
  int small = file_.Add({KRAC_ATTR_BINARY, 2, 4});
  int large = file_.Add({KRAC_ATTR_BINARY, 4, 5});
  int unsigned_large = file_.Add({KRAC_ATTR_BINARY_UNSIGNED, 4, 9});
  file_.Put(small, std::string("\x01\x02", 2));
  file_.Put(large, std::string("\x00\x01\x86\x9F", 4));
  file_.Put(unsigned_large, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(One(small, KCND_OP_EQ, {"513"}), 1);  // 0x0201, low-order byte first
  options_.big_endian = 1;
  EXPECT_EQ(One(small, KCND_OP_EQ, {"258"}), 1);
  EXPECT_EQ(One(large, KCND_OP_EQ, {"99999"}), 1);
  options_.big_endian = 0;
  EXPECT_EQ(One(large, KCND_OP_EQ, {"99999"}), 0);
  file_.Put(small, std::string("\xFF\xFF", 2));
  EXPECT_EQ(One(small, KCND_OP_EQ, {"-1"}), 1);
  EXPECT_EQ(One(unsigned_large, KCND_OP_GT, {"0"}), 1);
}

TEST_F(SelectTest, PatternConditions) {
  int key = file_.Alphanumeric(6);
  file_.Put(key, "ABX   ");
  EXPECT_EQ(One(key, KCND_OP_EQ, {"AB*"}), 1);
  EXPECT_EQ(One(key, KCND_OP_NE, {"AB*"}), 0);
  file_.Put(key, "XAB   ");
  EXPECT_EQ(One(key, KCND_OP_NE, {"AB*"}), 1);
  EXPECT_EQ(One(key, KCND_OP_EQ, {"AB*", "*B"}), 1);
  EXPECT_EQ(One(key, KCND_OP_NE, {"AB*", "*B"}), 0);
  // A pattern's metacharacters come from the condition's first element.
  table_ = ConditionTable();
  table_.Add(key, KCND_OP_EQ, {"XA%"}, '%', '_', file_.dtf());
  EXPECT_EQ(Select("1"), 1);
}

TEST_F(SelectTest, DateAndTimePatterns) {
  int date = file_.Add({KRAC_ATTR_DATE, 8});
  int time = file_.Add({KRAC_ATTR_TIME, 6});
  file_.Put(date, "97/12/01");
  file_.Put(time, "123456");
  EXPECT_EQ(One(date, KCND_OP_EQ, {"97/*"}), 1);
  EXPECT_EQ(One(date, KCND_OP_EQ, {"9?/12/01"}), 1);
  EXPECT_EQ(One(date, KCND_OP_EQ, {"98/*"}), 0);
  EXPECT_EQ(One(time, KCND_OP_EQ, {"12??56"}), 1);
  EXPECT_EQ(One(time, KCND_OP_EQ, {"12*"}), 1);
}

TEST_F(SelectTest, ItemsOutsideTheRecordAreInvalidData) {
  int key = file_.Zoned(2);
  file_.Put(key, "12");
  file_.dtf()->record_area_length = 1;
  EXPECT_EQ(One(key, KCND_OP_EQ, {"12"}), 2235);
}

TEST_F(SelectTest, MalformedPrefixSelectsNothing) {
  int key = file_.Alphanumeric(1);
  file_.Put(key, "Y");
  table_.Add(key, KCND_OP_EQ, {"Y"});
  EXPECT_EQ(Select("1"), 1);
  EXPECT_EQ(Select(""), 0);
  EXPECT_EQ(Select("A1"), 0);
  EXPECT_EQ(Select("11"), 0);
  EXPECT_EQ(Select("1x"), 0);
}

TEST(ConstantValueTest, SignPointAndEmptyText) {
  codec::Decimal v;
  ConstantValue("-012.50", 0, 0, &v);
  EXPECT_TRUE(v.negative);
  EXPECT_EQ(v.integer_digits, 3);
  EXPECT_EQ(v.fraction_digits, 2);
  EXPECT_EQ(codec::Compare(v, codec::FromInteger(-1250, 2)), 0);
  ConstantValue("-0.000", 0, 0, &v);
  EXPECT_FALSE(v.negative);
  codec::Decimal empty;
  empty.digits.fill(7);
  ConstantValue("", 5, 2, &empty);
  EXPECT_EQ(empty.integer_digits, 5);
  EXPECT_EQ(empty.fraction_digits, 2);
  EXPECT_TRUE(codec::IsZero(empty));
}

}  // namespace
}  // namespace qel::filter
