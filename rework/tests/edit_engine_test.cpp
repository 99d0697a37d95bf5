// The edit engine: the check of edit entries and the moves that build an
// output record.
#include "rework/edit_engine.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rework/tests/rework_fixture.h"

namespace qel::rework {
namespace {

using test::Field;

class EditEngineTest : public ::testing::Test {
 protected:
  void Layouts(const std::vector<Field>& in, const std::vector<Field>& out) {
    in_def_ = test::WriteDefinition(dir_, "IN", in);
    out_def_ = test::WriteDefinition(dir_, "OUT", out);
    KRACInit(&doc_.input);
    doc_.input.definition_path = in_def_.c_str();
    ASSERT_EQ(KRACSproc(&doc_.input), 0);
    KRACInit(&doc_.output);
    doc_.output.definition_path = out_def_.c_str();
    ASSERT_EQ(KRACSproc(&doc_.output), 0);
    doc_.input_names.Build(doc_.input.record_layout);
    doc_.output_names.Build(doc_.output.record_layout);
  }
  void TearDown() override {
    KRACRinfFree(&doc_.input);
    KRACRinfFree(&doc_.output);
  }
  void Move(int in, int out) { doc_.AppendEdit({in, out, 2, nullptr, nullptr}); }
  void Constant(const std::string& text, int out) {
    doc_.AppendEdit({0, out, 1, doc_.NewConstant(text), nullptr});
  }
  // Builds the output record from `input`; the engine's result in *result.
  std::string Build(const std::string& input, int* result = nullptr) {
    CKRMVDoc engine(&doc_);
    int r = engine.Prepare();
    std::string out(doc_.output.record_length, '\x01');
    if (r == 0) {
      std::string in = input;
      in.resize(doc_.input.record_length, ' ');
      auto i = std::span(reinterpret_cast<const std::uint8_t*>(in.data()), in.size());
      auto o = std::span(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
      engine.PrepareRecord(i, o);
      r = engine.Edit(i, o, false);
      error_item_ = engine.error_item();
    }
    if (result != nullptr) *result = r;
    return out;
  }
  int Check() {
    CKRMVDoc engine(&doc_);
    return engine.CheckEdits();
  }

  test::TempDir dir_;
  std::string in_def_, out_def_;
  CZovozDoc doc_;
  int error_item_ = 0;
};

TEST_F(EditEngineTest, AlphanumericMovesCutPadAndJustify) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "A", "X", "5", 0}},
          {{"01", "O", "G", "0", 0},
           {"05", "S", "X", "3", 0},
           {"05", "J", "X", "3", 3, "0", "F", "T"},
           {"05", "L", "X", "8", 6},
           {"05", "R", "X", "8", 14, "0", "F", "T"}});
  for (int out = 2; out <= 5; ++out) Move(2, out);
  EXPECT_EQ(Build("ABCDE"), "ABCCDEABCDE      ABCDE");
}

TEST_F(EditEngineTest, CopyAndBlankFillOfItemsNoMoveReaches) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "A", "X", "4", 0}, {"05", "B", "X", "4", 4}},
          {{"01", "O", "G", "0", 0},
           {"05", "A", "X", "2", 0},
           {"05", "F", "1", "8", 2},
           {"05", "C", "X", "5", 3}});
  Move(2, 2);
  std::string out = Build("wxyzABCD");
  EXPECT_EQ(out, std::string("wx\0     ", 8));
  doc_.settings.copy = true;
  out = Build("wxyzABCD");
  EXPECT_EQ(out, std::string("wx\0zABCD", 8));
}

struct NumericCase {
  Field source;
  Field destination;
  std::string input;
  std::string expected;
  bool blank = false;
};

class NumericMoveTest : public EditEngineTest, public ::testing::WithParamInterface<NumericCase> {};

TEST_P(NumericMoveTest, AlignsAtThePointWithCobolMoveRules) {
  const NumericCase& c = GetParam();
  Field s = c.source;
  s.level = "05";
  s.name = "A";
  s.position = 0;
  Field d = c.destination;
  d.level = "05";
  d.name = "B";
  d.position = 0;
  Layouts({{"01", "I", "G", "0", 0}, s}, {{"01", "O", "G", "0", 0}, d});
  doc_.settings.blank_when_zero = c.blank;
  Move(2, 2);
  int result = 0;
  EXPECT_EQ(Build(c.input, &result), c.expected);
  EXPECT_EQ(result, 0);
}

Field Num(const std::string& dtat, const std::string& dale, const std::string& sign = "0",
          const std::string& bwz = "F") {
  Field f;
  f.dtat = dtat;
  f.dale = dale;
  f.sign = sign;
  f.bwz = bwz;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, NumericMoveTest,
    ::testing::Values(
        // 123.45 into 2 integer and 1 fraction digit: 23.4.
        NumericCase{Num("S", "3.2", "1"), Num("9", "2.1"), "12345", "234"},
        // -5 into an unsigned item: 5.
        NumericCase{Num("S", "1", "1"), Num("9", "3"), "\x75", "005"},
        NumericCase{Num("S", "3", "2"), Num("P", "4.1"), "-012", std::string("\x00\x12\x0d", 3)},
        NumericCase{Num("9", "4"), Num("B", "4"), "1234", "\xd2\x04"},
        NumericCase{Num("P", "3.2"), Num("S", "3.1", "3"), "\x12\x34\x5d", "1234-"},
        NumericCase{Num("B", "5.2"), Num("S", "2.2", "2"), std::string("\x0f\x27\x00\x00", 4),
                    "+9999"},
        NumericCase{Num("C", "4"), Num("U", "2"), std::string("\x7b\x00", 2), "\x02\x3f"},
        // BLANK WHEN ZERO with the option on: zero becomes blanks, blanks read as zero.
        NumericCase{Num("9", "3"), Num("9", "3", "0", "T"), "000", "   ", true},
        NumericCase{Num("9", "3", "0", "T"), Num("9", "3"), "   ", "000", true},
        NumericCase{Num("9", "3"), Num("9", "3", "0", "T"), "000", "000", false}));

TEST_F(EditEngineTest, InvalidNumericSourceEndsTheRecordWithItsItem) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "X", "X", "1", 0}, {"05", "A", "9", "3", 1, "0", "T"}},
          {{"01", "O", "G", "0", 0}, {"05", "B", "9", "3", 0}});
  Move(3, 2);
  int result = 0;
  Build("x   ", &result);
  EXPECT_EQ(result, 2360);
  EXPECT_EQ(error_item_, 2);  // the input item A
  Build("x12a", &result);
  EXPECT_EQ(result, 2360);
}

TEST_F(EditEngineTest, NumericConstantsAndCharacterConstants) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "A", "X", "1", 0}},
          {{"01", "O", "G", "0", 0},
           {"05", "P", "P", "3.1", 0},
           {"05", "N", "N", "3", 3},
           {"05", "X", "X", "4", 9, "0", "F", "T"}});
  Constant("-1.5", 2);
  Constant("\x82\xa0", 3);
  Constant("ab", 4);
  EXPECT_EQ(Build(""), std::string("\x00\x01\x5d\x82\xa0\x81\x40\x81\x40  ab", 13));
}

TEST_F(EditEngineTest, NationalMovesPadWithDoubleByteBlanks) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "A", "N", "1", 0}},
          {{"01", "O", "G", "0", 0},
           {"05", "B", "N", "2", 0},
           {"05", "C", "N", "2", 4, "0", "F", "T"}});
  Move(2, 2);
  Move(2, 3);
  EXPECT_EQ(Build("\x82\xa0"), "\x82\xa0\x81\x40\x81\x40\x82\xa0");
}

TEST_F(EditEngineTest, BitItemsMoveBitByBitAndKeepTheirNeighbours) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "A", "1", "4", 0, "0", "F", "F", "0", "F", "2"}},
          {{"01", "O", "G", "0", 0},
           {"05", "B", "1", "4", 0, "0", "F", "F", "0", "F", "4"},
           {"05", "S", "1", "12", 1, "0", "F", "F", "0", "T"}});
  Move(2, 2);
  // Source bits 2..5 of 0x3c are 1111: they land in bits 4..7 of the output.
  EXPECT_EQ(Build("\x3c"), std::string("\x0f\x00\x00", 3));
}

TEST_F(EditEngineTest, SameNameMovesPairItemsOfTheSameQualifiedName) {
  Layouts({{"01", "R", "G", "0", 0}, {"05", "A", "X", "2", 0}, {"05", "B", "9", "2", 2}},
          {{"01", "R", "G", "0", 0}, {"05", "B", "9", "3", 0}, {"05", "C", "X", "2", 3}});
  doc_.settings.method = kMethodSameName;
  // The records themselves share the name R: the group moves first, then B.
  EXPECT_EQ(Build("xy12"), "0122 ");
}

TEST_F(EditEngineTest, SameNameRunsEndBeforeTheFirstRecord) {
  Layouts({{"01", "R", "G", "0", 0}, {"05", "A", "X", "2", 0}},
          {{"01", "Q", "G", "0", 0}, {"05", "B", "X", "2", 0}});
  doc_.settings.method = kMethodSameName;
  int result = 0;
  Build("", &result);
  EXPECT_EQ(result, 2380);
}

TEST_F(EditEngineTest, SameNameInvalidPairNamesTheOutputItem) {
  Layouts({{"01", "R", "G", "0", 0}, {"05", "A", "X", "2", 0}},
          {{"01", "Q", "G", "0", 0}, {"05", "A", "9", "2", 0}});
  doc_.settings.method = kMethodSameName;
  CKRMVDoc engine(&doc_);
  EXPECT_EQ(engine.Prepare(), 2361);
  EXPECT_EQ(engine.error_item(), 1);
}

TEST_F(EditEngineTest, AppointedWithoutEntriesCopiesOnly) {
  Layouts({{"01", "R", "X", "2", 0}}, {{"01", "R", "X", "2", 0}});
  CKRMVDoc engine(&doc_);
  ASSERT_EQ(engine.Prepare(), 0);
  EXPECT_TRUE(engine.CopiesOnly());
}

TEST_F(EditEngineTest, CheckFindsEveryFaultOfTheList) {
  Layouts({{"01", "I", "G", "0", 0}, {"05", "A", "X", "2", 0}, {"05", "N", "9", "2", 2}},
          {{"01", "O", "G", "0", 0},
           {"05", "X", "X", "2", 0},
           {"05", "M", "9", "2", 2},
           {"05", "D", "XD", "8", 4},
           {"05", "K", "9", "2", 12},
           {"05", "L", "X", "2", 14}});
  Move(2, 2);        // fine
  Move(3, 2);        // the same output item again: KRWN2008
  Move(2, 3);        // X to 9: KRMV2301
  Move(-1, 6);       // undefined input: KRCK2130
  Move(2, -2);       // undefined output: KRCK2130
  Constant("1", 4);  // a date takes no constant: KRMV2320
  Constant("", 5);   // KRMV2325
  EXPECT_EQ(Check(), 0);
  std::vector<int> found;
  for (const EditFault& f : doc_.edit_faults) found.push_back(f.message);
  EXPECT_EQ(found, (std::vector<int>{2008, 2301, 2130, 2130, 2320, 2325}));
  EXPECT_EQ(doc_.edit_faults[1].input, "I.A");
  EXPECT_EQ(doc_.edit_faults[1].output, "O.M");
  EXPECT_EQ(doc_.edit_faults[4].input, "1");
  EXPECT_EQ(EditCheckMessage(2301), 2131);
  EXPECT_EQ(EditCheckMessage(2325), 2137);
  EXPECT_EQ(EditCheckMessage(2327), 2107);
}

TEST_F(EditEngineTest, AHundredAndFirstFaultStopsTheCheck) {
  Layouts({{"01", "I", "X", "2", 0}}, {{"01", "O", "9", "2", 0}});
  for (int i = 0; i < 101; ++i) Move(1, 1);
  EXPECT_EQ(Check(), 2141);
  EXPECT_EQ(doc_.edit_fault_count, 100);
}

struct ConstantCase {
  std::string text;
  int attribute;
  int message;
};

class ConstantCheckTest : public ::testing::TestWithParam<ConstantCase> {};

TEST_P(ConstantCheckTest, FollowsTheDestinationsRules) {
  EXPECT_EQ(CheckConstant(GetParam().text, GetParam().attribute), GetParam().message)
      << GetParam().text << " to " << GetParam().attribute;
}

INSTANTIATE_TEST_SUITE_P(
    Constants, ConstantCheckTest,
    ::testing::Values(
        ConstantCase{"-1.5", 6, 0}, ConstantCase{"1-2", 6, 2323}, ConstantCase{"-", 8, 2322},
        ConstantCase{"1.2.3", 9, 2322}, ConstantCase{"", 1, 2325}, ConstantCase{"", 5, 2325},
        ConstantCase{std::string(19, '1'), 6, 2329}, ConstantCase{std::string(18, '1'), 7, 0},
        ConstantCase{"1234567890", 22, 2330}, ConstantCase{"123456789", 5, 0},
        ConstantCase{std::string(33, 'a'), 4, 2326}, ConstantCase{std::string(32, 'a'), 1, 0},
        ConstantCase{"ab c", 2, 0}, ConstantCase{"ab1", 2, 2324},
        ConstantCase{std::string(33, 'a'), 2, 2327},
        ConstantCase{"\x82\xa0"
                     "a",
                     3, 2321},
        ConstantCase{[] {
                       std::string t;
                       for (int i = 0; i < 17; ++i) t += "\x82\xa0";
                       return t;
                     }(),
                     3, 2328},
        ConstantCase{"x", 13, 2320}, ConstantCase{"x", 0, 2320}, ConstantCase{"x", 15, 2320}));

TEST(ValidMoveTest, FollowsTheTableOfAttributes) {
  EXPECT_TRUE(ValidMove(2, 2));
  EXPECT_FALSE(ValidMove(1, 2));
  EXPECT_TRUE(ValidMove(4, 1));
  EXPECT_FALSE(ValidMove(3, 1));
  EXPECT_TRUE(ValidMove(22, 6));
  EXPECT_FALSE(ValidMove(9, 1));
  EXPECT_TRUE(ValidMove(15, 4));
  EXPECT_TRUE(ValidMove(16, 16));
  EXPECT_FALSE(ValidMove(16, 15));
  EXPECT_FALSE(ValidMove(20, 20));
  EXPECT_TRUE(EditStringsRequired(17, 17));
  EXPECT_FALSE(EditStringsRequired(15, 1));
}

TEST(MoveDescImageTest, PlacesTheFieldsAtTheirOffsets) {
  MoveDesc d;
  d.source.digits = 5;
  d.source.attribute = 8;
  d.source.position = 7;
  d.destination_blank_when_zero = 1;
  d.destination.length = 300;
  d.destination.item_number = 9;
  d.big_endian = 1;
  auto image = MoveDescImage(d);
  auto at = [&image](int offset) {
    return image[offset] | image[offset + 1] << 8 | image[offset + 2] << 16 |
           image[offset + 3] << 24;
  };
  EXPECT_EQ(at(4), 5);
  EXPECT_EQ(at(36), 8);
  EXPECT_EQ(at(40), 7);
  EXPECT_EQ(at(48), 1);
  EXPECT_EQ(at(72), 300);
  EXPECT_EQ(at(92), 9);
  EXPECT_EQ(at(116), 1);
  EXPECT_EQ(at(120), 0);
  EXPECT_EQ(at(52) | at(56) | at(108) | at(112) | at(124), 0);
}

}  // namespace
}  // namespace qel::rework
