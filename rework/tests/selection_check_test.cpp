// The procedure check of the selection: faults per condition and of the
// expression, under their procedure-check numbers.
#include <gtest/gtest.h>

#include <memory>

#include "rework/procedure_file.h"
#include "rework/tests/rework_fixture.h"
#include "rework/zovoz_document.h"

namespace qel::rework {
namespace {

class SelectionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    in_def_ = test::WriteDefinition(dir_, "IN",
                                    {{"01", "IN-REC", "G", "0", 0},
                                     {"05", "CODE", "X", "3", 0},
                                     {"05", "AMOUNT", "P", "5", 3}});
    in_data_ = dir_.Write("IN.DAT", "");
  }
  // Reads a selection procedure with `blocks` and checks it: the faults.
  std::vector<SelectionFault> Check(const std::string& blocks, const std::string& selorder) {
    doc_ = std::make_unique<CZovozDoc>();
    doc_->settings.form_from_file = true;
    std::string path = dir_.Write(
        "P.rwp", test::Procedure(test::CommonBlock(in_data_, in_def_, dir_.path() + "/OUT.DAT", "",
                                                   "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\n"
                                                   "COPY=NO;\n",
                                                   selorder) +
                                 blocks));
    CKRPFDoc reader(doc_.get());
    EXPECT_EQ(reader.Run(kModeReadCommon, path), 0);
    EXPECT_EQ(reader.Run(kModeReadBlocks, path), 0);
    doc_->CheckSelection();
    return doc_->selection_faults;
  }
  std::string Sel(const std::string& key, const std::string& judge, const std::string& comps) {
    return "SEL;\nKEY=" + key + ";\nJUDGE=" + judge + ";\n" + comps + "SEL_END;\n";
  }

  test::TempDir dir_;
  std::string in_def_, in_data_;
  std::unique_ptr<CZovozDoc> doc_;
};

TEST_F(SelectionCheckTest, AValidSelectionHasNoFaultAndItsPatternsAreMarked) {
  EXPECT_TRUE(Check(Sel("IN-REC.CODE", "=", "COMP=\"\"A*;\nCOMP=IN-REC.CODE;\n") +
                        Sel("IN-REC.AMOUNT", ">", "COMP=\"\"-12;\n"),
                    "1O2")
                  .empty());
  const SelCompEntry* first = doc_->conditions[0].comparisons;
  EXPECT_EQ(first->check_result, 1);
  EXPECT_EQ(first->any_string, '*');
  EXPECT_EQ(first->any_one, '?');
  EXPECT_EQ(first->next->check_result, 0);
  EXPECT_STREQ(doc_->settings.prefix.data(), "O1,2");
  EXPECT_TRUE(doc_->Runnable());
}

TEST_F(SelectionCheckTest, EachConditionReportsItsFirstFault) {
  std::vector<SelectionFault> faults =
      Check(Sel("IN-REC.NOWHERE", "=", "COMP=\"\"A;\n") +                   // KRCK2111
                Sel("IN-REC.CODE", "<>", "COMP=\"\"A;\n") +                 // KRCK2144
                Sel("IN-REC.CODE", ">", "COMP=\"\"A;\nCOMP=\"\"B;\n") +     // KRCK2117
                Sel("IN-REC.CODE", "=", "COMP=IN-REC.GONE;\n") +            // KRCK2112
                Sel("IN-REC.AMOUNT", "=", "COMP=\"\"X1;\nCOMP=\"\"1-;\n"),  // KRSC2211: KRCK2104
            "1A2A3A4A5");
  EXPECT_EQ(faults,
            (std::vector<SelectionFault>{{1, 2111}, {2, 2144}, {3, 2117}, {4, 2112}, {5, 2104}}));
  EXPECT_EQ(doc_->selection_fault_count, 5);
  EXPECT_FALSE(doc_->Runnable());
}

TEST_F(SelectionCheckTest, ExpressionFaultsCountAsConditionMinusOne) {
  EXPECT_EQ(Check(Sel("IN-REC.CODE", "=", "COMP=\"\"A;\n"), "1A2"),
            (std::vector<SelectionFault>{{-1, KCNDCheckMessage(2226)}}));
  std::string two =
      Sel("IN-REC.CODE", "=", "COMP=\"\"A;\n") + Sel("IN-REC.CODE", "=", "COMP=\"\"B;\n");
  EXPECT_EQ(Check(two, ""), (std::vector<SelectionFault>{{-1, KCNDCheckMessage(2230)}}));
  // One condition needs no expression.
  EXPECT_TRUE(Check(Sel("IN-REC.CODE", "=", "COMP=\"\"A;\n"), "").empty());
}

TEST_F(SelectionCheckTest, NoConditionsAndNoExpressionSelectEverything) {
  EXPECT_TRUE(Check("", "").empty());
  EXPECT_STREQ(doc_->settings.prefix.data(), "");
}

}  // namespace
}  // namespace qel::rework
