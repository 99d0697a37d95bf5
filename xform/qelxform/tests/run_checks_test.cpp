#include "xform/qelxform/run_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::xform::gui {
namespace {

using K = FieldKind;

std::vector<DialogField> SamToCsv(std::string sam, std::string def, std::string csv,
                                  std::string sep) {
  return {{K::kSam, sam}, {K::kDefinition, def}, {K::kCsv, csv, true}, {K::kSeparator, sep}};
}

std::vector<DialogField> IsamToCsv(std::string isam, std::string def) {
  return {
      {K::kIsam, isam}, {K::kDefinition, def}, {K::kCsv, "OUT.CSV", true}, {K::kSeparator, ","}};
}

std::vector<DialogField> SamToTxt(std::string sam, std::string txt, std::string len) {
  return {{K::kSam, sam}, {K::kText, txt, true}, {K::kRecordLength, len}};
}

struct Case {
  const char* name;
  std::vector<DialogField> fields;
  int message;  // 0: passes
  int field;
};

class RunCheckTest : public ::testing::TestWithParam<Case> {};

TEST_P(RunCheckTest, FirstFailingFieldAndItsMessage) {
  const Case& c = GetParam();
  const auto failure = CheckDialogFields(c.fields);
  if (c.message == 0) {
    EXPECT_FALSE(failure.has_value()) << failure->message;
    return;
  }
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->message, c.message);
  EXPECT_EQ(failure->field_index, c.field);
}

const std::string kLong(256, 'A');

INSTANTIATE_TEST_SUITE_P(
    Dialogs, RunCheckTest,
    ::testing::Values(
        Case{"AllEmptyNamesTheFirstField", SamToCsv("", "", "", ""), 2712, 0},
        Case{"DefinitionEmpty", SamToCsv("A.DAT", "", "", ""), 2708, 1},
        Case{"DefinitionMixedCaseExtension", SamToCsv("A.DAT", "DEF.Flf", "", ","), 2724, 1},
        Case{"CsvEmptyAfterGoodDefinition", SamToCsv("A.DAT", "DEF.flf", "", ","), 2710, 2},
        Case{"SeparatorEmpty", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", ""), 2714, 3},
        Case{"CsvDialogPasses", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", ","), 0, 0},
        Case{"SeparatorPeriod", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "."), 2733, 3},
        Case{"SeparatorDigitTyped", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "5;"), 2733, 3},
        Case{"SeparatorMinus", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "-"), 2733, 3},
        Case{"SeparatorPlus", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "+"), 2733, 3},
        Case{"SeparatorQuote", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "\""), 2733, 3},
        Case{"SeparatorLineFeed", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "\n"), 2733, 3},
        Case{"SeparatorSemicolonPasses", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", ";"), 0, 0},
        Case{"SeparatorSpacePasses", SamToCsv("A.DAT", "DEF.FLF", "B.CSV", "{SPACE}"), 0, 0},
        Case{"FilesCheckedBeforeTheSeparator", SamToCsv("A.DAT", "", "B.CSV", "."), 2708, 1},
        Case{"IsamWithoutExtensionPasses", IsamToCsv("DATA", "D.FLF"), 0, 0},
        Case{"IsamExtensionAnyCase", IsamToCsv("dir.x/DATA.Kdf", "D.FLF"), 0, 0},
        Case{"IsamWrongExtension", IsamToCsv("DATA.DAT", "D.FLF"), 2725, 0},
        Case{"DotInFolderIsNoExtension", IsamToCsv("dir.x/DATA", "D.FLF"), 0, 0},
        Case{"RecordLengthEmpty", SamToTxt("A", "B", ""), 2713, 2},
        Case{"RecordLengthZero", SamToTxt("A", "B", "0"), 2719, 2},
        Case{"RecordLengthTooLarge", SamToTxt("A", "B", "65536"), 2719, 2},
        Case{"RecordLengthNotANumber", SamToTxt("A", "B", "8x"), 2719, 2},
        Case{"RecordLengthWithPlus", SamToTxt("A", "B", "+80"), 0, 0},
        Case{"LengthCheckedBeforeNameLength", SamToTxt(kLong, "B", ""), 2713, 2},
        Case{"OutputNameTooLong", SamToTxt("A", kLong, "80"), 2717, 1},
        Case{"InputTooLongBeforeOutput", SamToTxt(kLong, kLong, "80"), 2717, 0},
        Case{"DefinitionTooLongBeforeOutput",
             SamToCsv("A", std::string(252, 'D') + ".FLF", kLong, ","), 2717, 1},
        Case{"NameOf255Passes", SamToTxt(std::string(255, 'A'), "B", "80"), 0, 0}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(ParseTest, RecordLengthAndSeparator) {
  EXPECT_EQ(ParseRecordLength("+80"), 80u);
  EXPECT_EQ(ParseRecordLength("65535"), 65535u);
  EXPECT_FALSE(ParseRecordLength("+"));
  EXPECT_FALSE(ParseRecordLength("000080"));
  EXPECT_FALSE(ParseRecordLength("-1"));
  EXPECT_EQ(ParseSeparator("{TAB}"), '\t');
  EXPECT_EQ(ParseSeparator("{SPACE}"), ' ');
  EXPECT_EQ(ParseSeparator(";x"), ';');
  EXPECT_FALSE(ParseSeparator(""));
}

}  // namespace
}  // namespace qel::xform::gui
