// The rules of the interactive rework program without a window: the file
// names, building edit entries, conditions, options, corrections, the list
// lines, the start modes and saving and reading a procedure back.
#include "rework/qelrework/zovoz_editor.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "rework/qelrework/list_lines.h"
#include "rework/qelrework/start_mode.h"
#include "rework/qelrework/tests/window_fixture.h"

namespace qel::rework {
namespace {

using test::Field;

// CP932 of a few texts the lines use.
const std::string kSeveral = "\x81\x69\x95\xa1\x90\x94\x94\xe4\x8a\x72\x81\x6a";  // （複数比較）
const std::string kEqual = "\x81\x81";                                          // ＝

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TEMP", dir_.path().c_str(), 1);
    test::WriteSampleDefinitions(dir_, &in_def_, &out_def_);
    in_data_ = dir_.Write("IN.DAT", "A01" + test::Packed(123) + "ABCD");
    out_data_ = dir_.path() + "/OUT.DAT";
  }
  void TearDown() override { ::unsetenv("TEMP"); }

  Answer Open(ZovozEditor& e) {
    return e.SetFiles({in_data_, in_def_, out_data_, e.edit_form() ? out_def_ : ""});
  }

  test::TempDir dir_;
  std::string in_def_, out_def_, in_data_, out_data_;
};

TEST_F(EditorTest, FileNamesAreCheckedInDialogOrder) {
  ZovozEditor e(kFormEdit);
  EXPECT_EQ(e.SetFiles({"", "", "", ""}).message, 2014);
  EXPECT_EQ(e.SetFiles({in_data_, "", "", ""}).message, 2015);
  Answer a = e.SetFiles({in_data_, dir_.path() + "/IN.RDF", "", ""});
  EXPECT_EQ(a.message, 2002);
  EXPECT_EQ(a.field, kFieldInDef);
  EXPECT_EQ(a.args[0], dir_.path() + "/IN.RDF");
  EXPECT_EQ(e.SetFiles({in_data_, in_def_, "", ""}).message, 2016);
  EXPECT_EQ(e.SetFiles({in_data_, in_def_, out_data_, ""}).message, 2017);
  a = e.SetFiles({in_data_, in_def_, in_data_, out_def_});
  EXPECT_EQ(a.message, 2001);
  EXPECT_EQ(a.field, kFieldOutData);
  EXPECT_EQ(e.SetFiles({std::string(256, 'a'), in_def_, out_data_, out_def_}).message, 2010);
  EXPECT_EQ(e.SetFiles({in_data_, std::string(252, 'a') + ".flf", out_data_, out_def_}).message,
            2011);
  EXPECT_FALSE(e.files_ready());
  ASSERT_TRUE(Open(e).ok());
  EXPECT_TRUE(e.files_ready());
  EXPECT_EQ(e.ItemCount(false), 4);
  EXPECT_EQ(e.ItemCount(true), 4);
  EXPECT_EQ(e.ItemName(false, 3), "IN-REC.AMOUNT");
}

TEST_F(EditorTest, KeyFileExtensionIsDroppedAndOpenFailuresNameTheFile) {
  ZovozEditor e(kFormEdit);
  Answer a = e.SetFiles({dir_.path() + "/NONE.KDF", in_def_, out_data_, out_def_});
  EXPECT_EQ(a.message, 3610);
  EXPECT_EQ(a.args[0], dir_.path() + "/NONE");
  EXPECT_EQ(a.field, kFieldInData);
  EXPECT_FALSE(e.files_ready());
  EXPECT_FALSE(e.doc().files_open());
}

TEST_F(EditorTest, IndexedOutputDefinitionIsRefused) {
  const std::string indexed =
      dir_.Write("IDX.FLF", recacc::test::FileDefinition("VK", "FB", "OUT.RDF"));
  ZovozEditor e(kFormEdit);
  Answer a = e.SetFiles({in_data_, in_def_, out_data_, indexed});
  EXPECT_EQ(a.message, 2018);
  EXPECT_EQ(a.field, kFieldOutDef);
  EXPECT_FALSE(e.doc().files_open());
}

TEST_F(EditorTest, SelectionFormTakesThreeNames) {
  ZovozEditor e(kFormSelection);
  ASSERT_TRUE(e.SetFiles({in_data_, in_def_, out_data_, "ignored.flf"}).ok());
  EXPECT_EQ(e.Files().out_def, "");
  EXPECT_EQ(e.ItemCount(true), 4);  // the output takes the input's definition
}

TEST_F(EditorTest, EditEntriesAreBuiltOutputItemFirst) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  EXPECT_EQ(e.PickInput(2).message, 2007);
  int destination = 0;
  EXPECT_EQ(e.BeginConstant(&destination).message, 2006);
  ASSERT_TRUE(e.PickOutput(3).ok());
  ASSERT_TRUE(e.PickInput(2).ok());  // CODE -> OUT-REC.CODE
  EXPECT_EQ(e.doc().EditCount(), 1);
  EXPECT_EQ(e.PickOutput(3).message, 2008);
  ASSERT_TRUE(e.PickOutput(2).ok());
  EXPECT_EQ(e.PickInput(2).message, 2301);  // alphanumeric into a numeric item
  EXPECT_EQ(e.doc().EditCount(), 1);
  ASSERT_TRUE(e.PickOutput(4).ok());
  ASSERT_TRUE(e.BeginConstant(&destination).ok());
  EXPECT_EQ(destination, 4);
  EXPECT_EQ(e.AddConstant("").message, 2325);
  EXPECT_EQ(e.AddConstant(std::string(33, 'Y')).message, 2326);
  ASSERT_TRUE(e.AddConstant("Y").ok());
  EXPECT_EQ(e.doc().EditCount(), 2);
  EXPECT_EQ(e.pending_output(), 0);
  EXPECT_TRUE(e.modified());
  ASSERT_TRUE(e.SetEditOptions(kMethodAppointed, true).ok());
  EXPECT_TRUE(e.doc().settings.copy);
}

TEST_F(EditorTest, MethodCannotChangeOnceEntriesAreBeingMade) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  ASSERT_TRUE(e.PickOutput(3).ok());
  EXPECT_EQ(e.SetEditOptions(kMethodSameName, false).message, 2019);
  ASSERT_TRUE(e.PickInput(2).ok());
  EXPECT_EQ(e.SetEditOptions(kMethodSameName, false).message, 2003);
  EXPECT_EQ(e.doc().settings.method, kMethodAppointed);
  e.RemoveEdits({0});
  ASSERT_TRUE(e.SetEditOptions(kMethodSameName, false).ok());
  EXPECT_EQ(e.PickOutput(3).message, 2009);
  EXPECT_EQ(e.PickInput(2).message, 2009);
}

TEST_F(EditorTest, MetacharactersAreSingleByteDistinctAndFixedOnceConditionsExist) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  Answer a = e.SetMetacharacters("ab", "?");
  EXPECT_EQ(a.message, 2004);
  EXPECT_EQ(a.field, kFieldMetaAll);
  EXPECT_EQ(e.SetMetacharacters("*", "\x82\xa0").field, kFieldMetaOne);  // a double-byte character
  EXPECT_EQ(e.SetMetacharacters("\"", "?").message, 2232);
  EXPECT_EQ(e.SetMetacharacters("*", "\"").message, 2233);
  EXPECT_EQ(e.SetMetacharacters("%", "%").message, 2234);
  ASSERT_TRUE(e.SetMetacharacters("", "").ok());
  EXPECT_EQ(e.doc().settings.meta_all, ' ');
  ASSERT_TRUE(e.SetMetacharacters("%", "_").ok());
  ASSERT_TRUE(e.StoreConditions({{2, 1, {{1, 0, "A%"}}}}, "").ok());
  EXPECT_EQ(e.SetMetacharacters("*", "_").message, 2022);
  EXPECT_TRUE(e.SetMetacharacters("%", "_").ok());  // no change is no fault
}

TEST_F(EditorTest, KeyAndComparisonTexts) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  int key = 0;
  EXPECT_EQ(e.ParseKey("12", &key).message, 2012);
  EXPECT_EQ(e.ParseKey("#0", &key).message, 2013);
  EXPECT_EQ(e.ParseKey("#5", &key).message, 2013);
  EXPECT_EQ(e.ParseKey("#2x", &key).message, 2013);
  ASSERT_TRUE(e.ParseKey("#2 IN-REC.CODE", &key).ok());
  EXPECT_EQ(key, 2);
  Comparison v;
  EXPECT_EQ(e.ParseComparison("", &v).message, 2026);
  EXPECT_EQ(e.ParseComparison("#E1  X", &v).message, 2023);
  ASSERT_TRUE(e.ParseComparison("#4 IN-REC.NAME", &v).ok());
  EXPECT_EQ(v, (Comparison{2, 4, ""}));
  ASSERT_TRUE(e.ParseComparison("\"#12", &v).ok());
  EXPECT_EQ(v, (Comparison{1, 0, "\"#12"}));
}

TEST_F(EditorTest, ConditionsAreCheckedBeforeTheyAreStored) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  ConditionDraft several{2, 3, {{1, 0, "A01"}, {1, 0, "A02"}}};
  Answer a = e.CheckCondition(several);
  EXPECT_EQ(a.message, 2223);
  EXPECT_EQ(a.field, kFieldOperator);
  a = e.CheckCondition({3, 1, {{1, 0, "12a"}}});
  EXPECT_EQ(a.message, 2211);
  EXPECT_EQ(a.field, kFieldComparison);
  a = e.CheckCondition({3, 1, {{2, 2, ""}}});  // a numeric key against an alphanumeric item
  EXPECT_EQ(a.message, 2203);
  several.op = 1;
  ConditionDraft amount{3, 4, {{1, 0, "1000"}}};
  a = e.StoreConditions({several, amount}, "1A");
  EXPECT_EQ(a.message, 2229);
  EXPECT_EQ(a.field, kFieldExpression);
  EXPECT_EQ(e.doc().condition_count, 0);
  ASSERT_TRUE(e.StoreConditions({several, amount}, "1A2").ok());
  EXPECT_EQ(e.doc().condition_count, 2);
  EXPECT_STREQ(e.doc().settings.prefix.data(), "A1,2");
  EXPECT_EQ(e.Conditions(), (std::vector<ConditionDraft>{several, amount}));
  // An undefined name stays refused until it is corrected.
  a = e.StoreConditions({several, {-1, 1, {{1, 0, "X"}}}}, "1A2");
  EXPECT_EQ(a.message, 2023);
  EXPECT_EQ(a.index, 1);
}

TEST_F(EditorTest, SavedProcedureReadsBackAsTheSameDocument) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  ASSERT_TRUE(e.SetMetacharacters(";", "_").ok());
  e.SetSpecialOptions(true, false);
  ASSERT_TRUE(e.SetEditOptions(kMethodAppointed, true).ok());
  ASSERT_TRUE(e.StoreConditions({{2, 1, {{1, 0, "A;\"B"}, {2, 4, ""}}}}, "1").ok());
  ASSERT_TRUE(e.PickOutput(4).ok());
  ASSERT_TRUE(e.AddConstant("Y").ok());
  ASSERT_TRUE(e.PickOutput(2).ok());
  ASSERT_TRUE(e.PickInput(3).ok());
  const std::string first = dir_.path() + "/FIRST.rwp";
  ASSERT_TRUE(e.Save(first).ok());
  EXPECT_FALSE(e.modified());
  // The data files are held exclusively while a document has them open.
  ZovozEditor again(kFormEdit);
  EXPECT_EQ(again.OpenProcedure(first).message, 3613);
  ASSERT_TRUE(e.CloseAll().ok());
  Answer read = again.OpenProcedure(first);
  ASSERT_TRUE(read.ok()) << read.message << " " << read.args[0] << "\n" << test::ReadAll(first);
  EXPECT_EQ(again.Conditions(), e.Conditions());
  EXPECT_EQ(again.doc().EditCount(), 2);
  EXPECT_EQ(again.doc().settings.meta_all, ';');
  EXPECT_TRUE(again.doc().settings.big_endian);
  EXPECT_TRUE(again.doc().settings.copy);
  const std::string second = dir_.path() + "/SECOND.rwp";
  ASSERT_TRUE(again.Save(second).ok());
  EXPECT_EQ(test::ReadAll(second), test::ReadAll(first));
  EXPECT_EQ(again.Save(dir_.path() + "/no/such/dir/X.rwp").message, 2821);
}

TEST_F(EditorTest, ReadFailuresEmptyTheDocument) {
  ZovozEditor e(kFormSelection);
  EXPECT_EQ(e.OpenProcedure("").message, 2030);
  EXPECT_EQ(e.OpenProcedure(std::string(256, 'p')).message, 2031);
  const std::string path = dir_.Write(
      "E.rwp", test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, out_def_)));
  Answer a = e.OpenProcedure(path);
  EXPECT_EQ(a.message, 2874);  // OUTDEF in the selection form
  EXPECT_FALSE(e.files_ready());
}

TEST_F(EditorTest, CheckListsFaultsAndACorrectionClearsThem) {
  const std::string path = dir_.Write(
      "F.rwp", test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, out_def_) +
                               "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
                               "EDIT;\nINITEM=IN-REC.GONE;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n"
                               "EDIT;\nINITEM=IN-REC.NAME;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n"));
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(e.OpenProcedure(path).ok());
  ASSERT_TRUE(e.Check().ok());
  ASSERT_EQ(e.doc().edit_faults.size(), 2u);
  EXPECT_EQ(e.doc().edit_faults[0].message, 2130);
  EXPECT_EQ(e.doc().edit_faults[0].entry, 1);
  EXPECT_EQ(e.doc().edit_faults[1].entry, 2);
  EXPECT_EQ(e.PrepareRun(false).message, 2051);
  EXPECT_EQ(e.CorrectEdit(1, "#E1", "", "#4").message, 2023);
  EXPECT_EQ(e.CorrectEdit(1, "", "", "#4").message, 2024);
  EXPECT_EQ(e.CorrectEdit(1, "#4", "", "").message, 2025);
  EXPECT_EQ(e.CorrectEdit(1, "#4", "Y", "#4").message, 2027);
  EXPECT_EQ(e.CorrectEdit(1, "", "Y", "#3").message, 2008);
  EXPECT_EQ(e.CorrectEdit(1, "", "Y", "#9").message, 2130);
  ASSERT_TRUE(e.CorrectEdit(1, "", "Y", "#4 OUT-REC.FLAG").ok());
  e.RemoveEdits({2});
  ASSERT_TRUE(e.Check().ok());
  EXPECT_EQ(e.FaultCount(), 0);
}

TEST_F(EditorTest, ListLinesFollowTheSystemsFormats) {
  ZovozEditor e(kFormEdit);
  ASSERT_TRUE(Open(e).ok());
  EXPECT_EQ(ItemLine(*e.Item(false, 1), ' '),
            "    1     IN-REC                           G " +
                std::to_string(e.Item(false, 1)->byte_length));
  EXPECT_EQ(ItemLine(*e.Item(false, 2), '*'), "   02  * 2     CODE                            X 3");
  EXPECT_EQ(ComboItem(2, "IN-REC.CODE"), "#2 IN-REC.CODE");
  EXPECT_EQ(UndefinedComboItem(3, "A.B"), "#E3   A.B" + std::string(45, ' '));
  EXPECT_EQ(ConditionLine(e, 1, {2, 1, {{1, 0, "A01"}}}, false),
            " 1 : IN-REC.CODE" + std::string(19, ' ') + " " + kEqual + "  \"\"A01");
  EXPECT_EQ(ConditionLine(e, 10, {2, 1, {{1, 0, "A"}, {2, 4, ""}}}, false),
            "10 : IN-REC.CODE" + std::string(19, ' ') + " " + kEqual + "    " + kSeveral);
  EditEntry item{2, 3, 2, nullptr, nullptr};
  EXPECT_EQ(EditLine(item), " #2       -------------------> #3");
  char constant[] = "CONSTANT-TEXT";
  EditEntry fixed{0, 4, 1, constant, nullptr};
  EXPECT_EQ(EditLine(fixed), " CONSTANT -------------------> #4");
  EXPECT_EQ(Pad("\x82\xa0\x82\xa0", 3), "\x82\xa0 ");  // never half a character
}

TEST(StartModeTest, CommandLineDecidesTheMode) {
  EXPECT_EQ(ParseStartMode("").kind, StartMode::kEditForm);
  EXPECT_EQ(ParseStartMode("-\x91\x49\x91\xf0").kind, StartMode::kSelectionForm);
  EXPECT_EQ(ParseStartMode("-選択").kind, StartMode::kSelectionForm);
  EXPECT_EQ(ParseStartMode("-\x91\x49\x91\xf1").kind, StartMode::kEditForm);
  EXPECT_EQ(ParseStartMode("-\x91\x49\x91\xf0 x").kind, StartMode::kEditForm);
  StartMode run = ParseStartMode("/f/tmp/a b.rwp");
  EXPECT_EQ(run.kind, StartMode::kRunFile);
  EXPECT_EQ(run.path, "/tmp/a b.rwp");
  char name[] = "qelrework", f[] = "/f", path[] = "/tmp/p.rwp";
  char* argv[] = {name, f, path, nullptr};
  EXPECT_EQ(ParseStartMode(3, argv).path, "/tmp/p.rwp");
}

}  // namespace
}  // namespace qel::rework
