// The converter's document without a window: the dialogs' field lists, the
// table Prepare fills, and the special options' lifetime.
#include "xform/qelxform/kxfm_doc.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::xform::gui {
namespace {

using K = FieldKind;

std::vector<DialogField> CsvFields(std::string in, std::string def, std::string out,
                                   std::string separator) {
  return {{K::kSam, in}, {K::kDefinition, def}, {K::kCsv, out, true}, {K::kSeparator, separator}};
}

TEST(DialogFieldsTest, FieldsInTheOrderOfEachDialog) {
  auto kinds = [](Conversion c) {
    std::vector<K> k;
    for (const FieldSpec& f : DialogFields(c)) k.push_back(f.kind);
    return k;
  };
  EXPECT_EQ(kinds(Conversion::kSamToTxt), (std::vector{K::kSam, K::kText, K::kRecordLength}));
  EXPECT_EQ(kinds(Conversion::kTxtToSam), (std::vector{K::kText, K::kSam, K::kRecordLength}));
  EXPECT_EQ(kinds(Conversion::kSamToCsv),
            (std::vector{K::kSam, K::kDefinition, K::kCsv, K::kSeparator}));
  EXPECT_EQ(kinds(Conversion::kCsvToSam),
            (std::vector{K::kCsv, K::kDefinition, K::kSam, K::kSeparator}));
  EXPECT_EQ(kinds(Conversion::kIsamToCsv),
            (std::vector{K::kIsam, K::kDefinition, K::kCsv, K::kSeparator}));
  EXPECT_EQ(kinds(Conversion::kVsamToSam), (std::vector{K::kVsam, K::kSam, K::kRecordLength}));
  // The first field is the input, the one before the options the output.
  for (int i = 0; i < kConversionCount; ++i) {
    const auto& f = DialogFields(static_cast<Conversion>(i));
    EXPECT_FALSE(f[0].is_output);
    EXPECT_TRUE(f[f.size() - 2].is_output);
  }
}

TEST(CKXFMDocTest, PrepareFillsTheTableByRole) {
  CKXFMDoc doc;
  doc.BeginConversion(Conversion::kCsvToSam);
  std::vector<DialogField> fields = {{K::kCsv, "in.csv"},
                                     {K::kDefinition, "d.FLF"},
                                     {K::kSam, "out.dat", true},
                                     {K::kSeparator, "{TAB}"}};
  ASSERT_FALSE(doc.Prepare(Conversion::kCsvToSam, fields, true));
  const KXFMTbl& t = doc.Table();
  EXPECT_STREQ(t.InFileName, "in.csv");
  EXPECT_STREQ(t.SheetFileName, "d.FLF");
  EXPECT_STREQ(t.OutFileName, "out.dat");
  EXPECT_STREQ(t.Separator, "\t");
  EXPECT_STREQ(t.CharSeparator, "\"");
  EXPECT_EQ(t.Title, 1);
  EXPECT_EQ(t.Reclen, 0);
}

TEST(CKXFMDocTest, TypedSeparatorKeepsItsFirstCharacterAndSpaceIsABlank) {
  CKXFMDoc doc;
  doc.BeginConversion(Conversion::kSamToCsv);
  ASSERT_FALSE(doc.Prepare(Conversion::kSamToCsv, CsvFields("a", "d.flf", "o", ";x"), false));
  EXPECT_STREQ(doc.Table().Separator, ";");
  EXPECT_EQ(doc.Table().Title, 0);
  ASSERT_FALSE(doc.Prepare(Conversion::kSamToCsv, CsvFields("a", "d.flf", "o", "{SPACE}"), false));
  EXPECT_STREQ(doc.Table().Separator, " ");
}

TEST(CKXFMDocTest, AFailedCheckLeavesTheTableAlone) {
  CKXFMDoc doc;
  doc.BeginConversion(Conversion::kSamToCsv);
  const auto failure =
      doc.Prepare(Conversion::kSamToCsv, CsvFields("a", "DEF.Flf", "o", ","), false);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, 2724);
  EXPECT_EQ(failure->field_index, 1);
  EXPECT_STREQ(doc.Table().InFileName, "");
}

TEST(CKXFMDocTest, RecordLengthIsTakenWithItsSign) {
  CKXFMDoc doc;
  doc.BeginConversion(Conversion::kSamToTxt);
  std::vector<DialogField> fields = {{K::kSam, "/nonexistent/in"},
                                     {K::kText, "/nonexistent/out", true},
                                     {K::kRecordLength, "+80"}};
  ASSERT_FALSE(doc.Prepare(Conversion::kSamToTxt, fields, false));
  EXPECT_EQ(doc.Table().Reclen, 80);
}

TEST(CKXFMDocTest, SpecialOptionsAreClearedWhenACsvDialogOpens) {
  CKXFMDoc doc;
  doc.BeginConversion(Conversion::kSamToCsv);
  EXPECT_EQ(doc.CsvCode(), 0);
  doc.SetSpecialOptions(true, true, true);
  EXPECT_EQ(doc.BinaryCode(), 1);
  EXPECT_EQ(doc.BwzType(), 1);
  EXPECT_EQ(doc.CsvCode(), 1);
  ASSERT_FALSE(doc.Prepare(Conversion::kSamToCsv, CsvFields("a", "d.flf", "o", ","), false));
  EXPECT_EQ(doc.Table().BinaryCode, 1);
  EXPECT_EQ(doc.Table().CsvCode, 1);
  doc.BeginConversion(Conversion::kIsamToCsv);
  EXPECT_EQ(doc.BinaryCode(), 0);
  EXPECT_EQ(doc.BwzType(), 0);
  EXPECT_EQ(doc.CsvCode(), 0);
  doc.SetSpecialOptions(false, false, true);
  EXPECT_EQ(doc.CsvCode(), 1);
  doc.BeginConversion(Conversion::kCsvToSam);
  EXPECT_EQ(doc.CsvCode(), 0);
}

}  // namespace
}  // namespace qel::xform::gui
