// The layout builder through KRACSproc: OCCURS unrolling, groups, FILLER,
// REDEFINES, attribute lengths and limits, renumbered levels.
#include "recacc/record_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recacc/tests/definition_fixture.h"

namespace qel::recacc {
namespace {

using test::Item;

struct Entry {
  std::string name;
  int level, attribute, bytes, occurrence, position;
};

class RecordLayoutTest : public testing::Test {
 protected:
  void TearDown() override { KRACRinfFree(&dtf_); }
  int Build(const std::vector<Item>& items, const std::string& fior = "S") {
    return test::Sproc(dir_, items, &dtf_, fior);
  }
  std::vector<Entry> Entries() {
    std::vector<Entry> out;
    for (int n = 1; n <= KRACGetEcnt(&dtf_); ++n) {
      ItemDescriptor e;
      EXPECT_EQ(KRACDainfSet(n, &dtf_, &e), 0);
      EXPECT_EQ(e.number, n);
      out.push_back({e.name, e.level, e.attribute, e.byte_length, e.occurrence, e.position});
    }
    return out;
  }
  ItemDescriptor At(int n) {
    ItemDescriptor e{};
    KRACDainfSet(n, &dtf_, &e);
    return e;
  }
  test::TempDir dir_;
  DTF dtf_{};
};

Item I(std::string level, std::string name, std::string dtat, std::string dale,
       std::string burl, std::string anum = "0") {
  Item i;
  i.level = level;
  i.name = name;
  i.dtat = dtat;
  i.dale = dale;
  i.burl = burl;
  i.anum = anum;
  return i;
}

void ExpectEntries(const std::vector<Entry>& got, const std::vector<Entry>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) {
    SCOPED_TRACE("entry " + std::to_string(k + 1));
    EXPECT_EQ(got[k].name, want[k].name);
    EXPECT_EQ(got[k].level, want[k].level);
    EXPECT_EQ(got[k].attribute, want[k].attribute);
    EXPECT_EQ(got[k].bytes, want[k].bytes);
    EXPECT_EQ(got[k].occurrence, want[k].occurrence);
    EXPECT_EQ(got[k].position, want[k].position);
  }
}

TEST_F(RecordLayoutTest, UnrollsAGroupTableInsideTheRecord) {
  ASSERT_EQ(Build({I("01", "REC", "G", "0", "0"), I("05", "A", "X", "3", "0"),
                   I("05", "T", "G", "0", "3", "3"), I("10", "B", "9", "2", "3"),
                   I("10", "C", "X", "1", "5"), I("05", "D", "X", "2", "12")}),
            0);
  ExpectEntries(Entries(), {{"REC", 1, 4, 14, 0, 0},
                            {"A", 2, 1, 3, 0, 0},
                            {"T", 2, 4, 3, 1, 3},
                            {"B", 3, 9, 2, 0, 3},
                            {"C", 3, 1, 1, 0, 5},
                            {"T", 2, 4, 3, 2, 6},
                            {"B", 3, 9, 2, 0, 6},
                            {"C", 3, 1, 1, 0, 8},
                            {"T", 2, 4, 3, 3, 9},
                            {"B", 3, 9, 2, 0, 9},
                            {"C", 3, 1, 1, 0, 11},
                            {"D", 2, 1, 2, 0, 12}});
  EXPECT_EQ(dtf_.record_length, 14);
}

TEST_F(RecordLayoutTest, NestedTableRepeatsInEveryOuterOccurrence) {
  // 05 T OCCURS 3 (4 bytes each) holding 10 U OCCURS 2 of 15 X X(1), then 10 V X(2).
  ASSERT_EQ(Build({I("01", "REC", "G", "0", "0"), I("05", "T", "G", "0", "0", "3"),
                   I("10", "U", "G", "0", "0", "2"), I("15", "X", "X", "1", "0"),
                   I("10", "V", "X", "2", "2")}),
            0);
  std::vector<Entry> want = {{"REC", 1, 4, 12, 0, 0}};
  for (int t = 0; t < 3; ++t) {
    want.push_back({"T", 2, 4, 4, t + 1, 4 * t});
    want.push_back({"U", 3, 4, 1, 1, 4 * t});
    want.push_back({"X", 4, 1, 1, 0, 4 * t});
    want.push_back({"U", 3, 4, 1, 2, 4 * t + 1});
    want.push_back({"X", 4, 1, 1, 0, 4 * t + 1});
    want.push_back({"V", 3, 1, 2, 0, 4 * t + 2});
  }
  ExpectEntries(Entries(), want);
  EXPECT_EQ(dtf_.record_length, 12);
}

TEST_F(RecordLayoutTest, ElementaryTableAndFlatRecord) {
  ASSERT_EQ(Build({I("05", "A", "X", "2", "0"), I("05", "B", "X", "1", "2", "3")}), 0);
  ExpectEntries(Entries(), {{"A", 1, 1, 2, 0, 0},
                            {"B", 1, 1, 1, 1, 2},
                            {"B", 1, 1, 1, 2, 3},
                            {"B", 1, 1, 1, 3, 4}});
  EXPECT_EQ(dtf_.record_length, 5);
}

TEST_F(RecordLayoutTest, FillerAndRedefinesAreLeftOutButCount) {
  Item redef = I("05", "R", "X", "4", "2");
  redef.renm = "B";
  redef.suaf = "T";
  Item back = I("05", "C", "X", "1", "6");
  back.suaf = "T";
  ASSERT_EQ(Build({I("01", "REC", "G", "0", "0"), I("05", "A", "X", "2", "0"),
                   I("05", "B", "X", "4", "2"), redef, I("10", "R1", "X", "4", "2"), back,
                   I("05", "FILLER", "G", "0", "7", "2"), I("10", "F1", "X", "3", "7")}),
            0);
  ExpectEntries(Entries(), {{"REC", 1, 4, 13, 0, 0},
                            {"A", 2, 1, 2, 0, 0},
                            {"B", 2, 1, 4, 0, 2},
                            {"C", 2, 1, 1, 0, 6},
                            {"F1", 3, 1, 3, 0, 7}});
  // The FILLER table's two occurrences count toward the record.
  EXPECT_EQ(dtf_.record_length, 13);
}

TEST_F(RecordLayoutTest, ConditionNamesAndRenamesTakeNoPlace) {
  ASSERT_EQ(Build({I("01", "REC", "G", "0", "0"), I("05", "A", "X", "2", "0"),
                   I("88", "A-OK", "", "0", "0"), I("66", "ALIAS", "", "0", "0"),
                   I("05", "B", "X", "1", "2")}),
            0);
  ExpectEntries(Entries(), {{"REC", 1, 4, 3, 0, 0}, {"A", 2, 1, 2, 0, 0}, {"B", 2, 1, 1, 0, 2}});
}

struct LengthCase {
  std::string dtat, dale, sign, birl;
  int status, bytes, digits, fraction;
};
class AttributeLength : public RecordLayoutTest, public testing::WithParamInterface<LengthCase> {};

TEST_P(AttributeLength, ByteLengthAndLimit) {
  const LengthCase& c = GetParam();
  Item i = I("05", "V", c.dtat, c.dale, "0");
  i.sign = c.sign;
  i.birl = c.birl;
  int r = Build({i});
  if (c.status != 0) {
    EXPECT_EQ(r, -1);
    EXPECT_EQ(KRACGetStatus(&dtf_), static_cast<uint32_t>(c.status));
    EXPECT_EQ(dtf_.record_layout, nullptr);
    return;
  }
  ASSERT_EQ(r, 0) << KRACGetStatus(&dtf_);
  ItemDescriptor e = At(1);
  EXPECT_EQ(e.byte_length, c.bytes);
  EXPECT_EQ(e.digits, c.digits);
  EXPECT_EQ(e.fraction_digits, c.fraction);
}

INSTANTIATE_TEST_SUITE_P(
    All, AttributeLength,
    testing::Values(LengthCase{"X", "20", "0", "0", 0, 20, 20, 0},
                    LengthCase{"X", "32761", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"X", "0", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"N", "10", "0", "0", 0, 20, 10, 0},
                    LengthCase{"N", "16384", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"P", "7.2", "0", "0", 0, 5, 7, 2},
                    LengthCase{"P", "7,2", "0", "0", 0, 5, 7, 2},
                    LengthCase{"P", "20", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"B", "4", "0", "0", 0, 2, 4, 0},
                    LengthCase{"B", "5", "0", "0", 0, 4, 5, 0},
                    LengthCase{"B", "10", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"C", "3.2", "0", "0", 0, 4, 3, 2},
                    LengthCase{"S", "5.2", "0", "0", 0, 7, 5, 2},
                    LengthCase{"S", "5.2", "2", "0", 0, 8, 5, 2},
                    LengthCase{"9", "19", "3", "0", 0, 20, 19, 0},
                    LengthCase{"F", "0", "0", "0", 0, 4, 4, 0},
                    LengthCase{"D", "0", "0", "0", 0, 8, 8, 0},
                    LengthCase{"E", "5.2", "0", "0", 0, 7, 5, 2},
                    LengthCase{"E", "1", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"Z", "5,2", "0", "0", 0, 5, 5, 0},
                    LengthCase{"1", "3", "0", "6", 0, 2, 3, 0},
                    LengthCase{"1", "8", "0", "0", 0, 1, 8, 0},
                    LengthCase{"1", "2035", "0", "0", 2515, 0, 0, 0},
                    LengthCase{"IX", "0", "0", "0", 0, 4, 4, 0},
                    LengthCase{"XD", "10", "0", "0", 0, 10, 10, 0},
                    LengthCase{"@", "1", "0", "0", 2514, 0, 0, 0},
                    LengthCase{"Q", "1", "0", "0", 2511, 0, 0, 0}));

TEST_F(RecordLayoutTest, EditStringLimits) {
  Item z = I("05", "Z1", "Z", "5.2", "0");
  z.suaf = "T";
  z.edcs = "ZZZZ9V99";
  ASSERT_EQ(Build({z}), 0);
  EXPECT_EQ(At(1).edit_flag, 'T');
  EXPECT_STREQ(At(1).edit_string, "ZZZZ9V99");
  KRACRinfFree(&dtf_);
  z.edcs = "";
  EXPECT_EQ(Build({z}), -1);
  EXPECT_EQ(KRACGetStatus(&dtf_), 2515u);
  z.suaf = "F";  // not an edited item: the edit string is ignored
  z.edcs = "JUNK";
  ASSERT_EQ(Build({z}), 0);
  EXPECT_EQ(At(1).edit_flag, 'F');
  EXPECT_STREQ(At(1).edit_string, "");
}

TEST_F(RecordLayoutTest, StructuralErrors) {
  struct Case {
    std::vector<Item> items;
    uint32_t status;
  };
  Item no_pos = I("05", "A", "X", "1", "");
  std::vector<Case> cases = {
      {{I("01", "R", "G", "0", "0"), I("01", "S", "G", "0", "0")}, 2518},
      {{no_pos}, 2512},
      {{I("77", "W", "X", "1", "0")}, 2511},
      {{I("", "W", "X", "1", "0")}, 2511},
      {{I("50", "W", "X", "1", "0")}, 2511},
      {{I("05", "FILLER", "X", "1", "0")}, 2511},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Build(c.items), -1);
    EXPECT_EQ(KRACGetStatus(&dtf_), c.status);
    EXPECT_EQ(dtf_.record_layout, nullptr);
  }
}

std::vector<Item> Nested(int depth) {
  std::vector<Item> items = {I("01", "R", "G", "0", "0")};
  for (int d = 0; d < depth; ++d) {
    items.push_back(I(std::to_string(2 + d), "T" + std::to_string(d), "G", "0", "0", "2"));
  }
  items.push_back(I(std::to_string(2 + depth), "X", "X", "1", "0"));
  return items;
}

TEST_F(RecordLayoutTest, SevenOccursLevelsButNotEight) {
  ASSERT_EQ(Build(Nested(7)), 0);
  // 1 + 2 + 4 + ... + 128 group entries and 128 X entries.
  EXPECT_EQ(KRACGetEcnt(&dtf_), 1 + 254 + 128);
  EXPECT_EQ(dtf_.record_length, 128);
  ItemDescriptor last = At(KRACGetEcnt(&dtf_));
  EXPECT_EQ(last.position, 127);
  KRACRinfFree(&dtf_);
  EXPECT_EQ(Build(Nested(8)), -1);
  EXPECT_EQ(KRACGetStatus(&dtf_), 2516u);
  EXPECT_EQ(dtf_.record_layout, nullptr);
}

TEST_F(RecordLayoutTest, RecordLengthLimitDependsOnOrganisation) {
  std::vector<Item> big = {I("05", "A", "X", "32760", "0"), I("05", "B", "X", "32744", "32760")};
  ASSERT_EQ(Build(big, "S"), 0);
  EXPECT_EQ(dtf_.record_length, 65504);
  KRACRinfFree(&dtf_);
  EXPECT_EQ(Build(big, "VK"), -1);
  EXPECT_EQ(KRACGetStatus(&dtf_), 2517u);
  big[1].dale = "32743";
  EXPECT_EQ(Build(big, "VK"), 0);
  EXPECT_EQ(dtf_.record_length, 65503);
}

TEST_F(RecordLayoutTest, HugeOccursIsRefusedNotExhaustingMemory) {
  EXPECT_EQ(Build({I("01", "R", "G", "0", "0"), I("05", "T", "X", "1", "0", "999999999")}), -1);
  EXPECT_NE(KRACGetStatus(&dtf_), 0u);
  EXPECT_EQ(dtf_.record_layout, nullptr);
}

TEST_F(RecordLayoutTest, SameItemMatchesNameAndOccurrencePath) {
  std::vector<Item> a = {I("01", "REC", "G", "0", "0"), I("05", "T", "G", "0", "0", "3"),
                         I("10", "B", "X", "2", "0"), I("05", "D", "X", "1", "6")};
  std::vector<Item> b = {I("01", "OUT", "G", "0", "0"), I("03", "D", "X", "1", "0"),
                         I("03", "T", "G", "0", "1", "2"), I("07", "B", "X", "2", "1")};
  test::TempDir other_dir;
  DTF other{};
  ASSERT_EQ(test::Sproc(other_dir, b, &other), 0);
  ASSERT_EQ(Build(a), 0);
  // a: REC T1 B T2 B T3 B D; b: OUT D T1 B T2 B
  EXPECT_EQ(KRACSameDaChk(&dtf_, 3, &other), 4);  // B of T occurrence 1
  EXPECT_EQ(KRACSameDaChk(&dtf_, 5, &other), 6);  // B of T occurrence 2
  EXPECT_EQ(KRACSameDaChk(&dtf_, 7, &other), 0);  // b has no third occurrence
  EXPECT_EQ(KRACSameDaChk(&dtf_, 6, &other), 0);  // T 3
  EXPECT_EQ(KRACSameDaChk(&dtf_, 8, &other), 2);  // D
  EXPECT_EQ(KRACSameDaChk(&dtf_, 9, &other), -1);
  EXPECT_EQ(KRACGetStatus(&dtf_), 3699u);
  KRACRinfFree(&other);
}

}  // namespace
}  // namespace qel::recacc
