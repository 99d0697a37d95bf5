// Reading and writing procedure files.
#include "rework/procedure_file.h"

#include <gtest/gtest.h>

#include <memory>

#include "rework/tests/rework_fixture.h"

namespace qel::rework {
namespace {

using test::Field;

class ProcedureFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    in_def_ = test::WriteDefinition(dir_, "IN",
                                    {{"01", "IN-REC", "G", "0", 0},
                                     {"05", "CODE", "X", "3", 0},
                                     {"05", "AMOUNT", "9", "5", 3},
                                     {"05", "DAYS", "G", "0", 8, "2"},
                                     {"10", "DAY-AMT", "9", "2", 8}});
    out_def_ = test::WriteDefinition(dir_, "OUT",
                                     {{"01", "OUT-REC", "G", "0", 0},
                                      {"05", "CODE", "X", "3", 0},
                                      {"05", "AMOUNT", "9", "5", 3},
                                      {"05", "FLAG", "X", "1", 8}});
    in_data_ = dir_.Write("IN.DAT", "");
    out_data_ = dir_.path() + "/OUT.DAT";
    doc_ = std::make_unique<CZovozDoc>();
    doc_->settings.form_from_file = true;
  }

  std::string Common(const std::string& options =
                         "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\n"
                         "COPY=NO;\n",
                     const std::string& selorder = "", bool edit = true) {
    return test::CommonBlock(in_data_, in_def_, out_data_, edit ? out_def_ : "", options, selorder);
  }

  // Reads `text` as a procedure: mode 0, then mode 1 when it succeeded.
  int Read(const std::string& text) {
    path_ = dir_.Write("P.rwp", text);
    reader_ = std::make_unique<CKRPFDoc>(doc_.get());
    int r = reader_->Run(kModeReadCommon, path_);
    if (r == 0) r = reader_->Run(kModeReadBlocks, path_);
    return r;
  }
  int line() const { return reader_->line(); }

  test::TempDir dir_;
  std::string in_def_, out_def_, in_data_, out_data_, path_;
  std::unique_ptr<CZovozDoc> doc_;
  std::unique_ptr<CKRPFDoc> reader_;
};

const char* kSelection =
    "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"A01;\nCOMP=\"\"A02;\nSEL_END;\n"
    "SEL;\nKEY=IN-REC.AMOUNT;\nJUDGE=>=;\nCOMP=\"\"1000;\nSEL_END;\n";
const char* kEdits =
    "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
    "EDIT;\nINITEM=IN-REC.DAYS[2].DAY-AMT;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n"
    "EDIT;\nINITEM=\"\"X;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n";

TEST_F(ProcedureFileTest, ReadsAnEditProcedureWithConditionsAndMoves) {
  ASSERT_EQ(Read(test::Procedure("; comment\n" +
                                 Common("ENDIAN=BIG;\nBLANK=TRUE;\nED=APPOINT;\n"
                                        "COPY=YES;\n",
                                        "1A2") +
                                 kSelection + kEdits)),
            0);
  const ProcedureSettings& s = doc_->settings;
  EXPECT_EQ(s.form, kFormEdit);
  EXPECT_TRUE(s.big_endian);
  EXPECT_TRUE(s.blank_when_zero);
  EXPECT_TRUE(s.copy);
  EXPECT_EQ(s.expression, "1A2");
  EXPECT_STREQ(s.prefix.data(), "A1,2");
  ASSERT_EQ(doc_->condition_count, 2);
  EXPECT_EQ(doc_->conditions[0].key_item, 2);
  EXPECT_EQ(doc_->conditions[0].op, 1);
  EXPECT_STREQ(doc_->conditions[0].comparisons->constant, "A01");
  EXPECT_STREQ(doc_->conditions[0].comparisons->next->constant, "A02");
  EXPECT_EQ(doc_->conditions[1].op, 4);
  ASSERT_EQ(doc_->EditCount(), 3);
  const EditEntry* e = doc_->edit_list;
  EXPECT_EQ(e->kind, 2);
  EXPECT_EQ(e->input_item, 2);
  EXPECT_EQ(e->output_item, 2);
  e = e->next;
  EXPECT_EQ(doc_->ItemName(e->input_item, false), "IN-REC.DAYS[2].DAY-AMT");
  e = e->next;
  EXPECT_EQ(e->kind, 1);
  EXPECT_STREQ(e->constant, "X");
  EXPECT_EQ(e->output_item, 4);
  EXPECT_TRUE(doc_->input_open());
  EXPECT_TRUE(doc_->output_open());
}

TEST_F(ProcedureFileTest, CommentsBeforeTheBannerAreSkippedAnythingElseIsNotAProcedure) {
  EXPECT_EQ(Read("; one\n;two\n" + test::Procedure(Common())), 0);
  EXPECT_EQ(Read("\n" + test::Procedure(Common())), 2825);
  EXPECT_EQ(Read("COM;\n"), 2825);
  EXPECT_EQ(Read(""), 2825);
  EXPECT_EQ(CKRPFDoc(doc_.get()).Run(kModeReadCommon, dir_.path() + "/NONE.rwp"), 2821);
}

TEST_F(ProcedureFileTest, CrLfLineEndsAndTextAfterTheSemicolonAreAccepted) {
  std::string text = test::Procedure(Common() +
                                     "EDIT; the first\nINITEM=IN-REC.CODE;x\n"
                                     "OUTITEM=OUT-REC.CODE;;\nEDIT_END;\n");
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Read(crlf), 0);
  EXPECT_EQ(doc_->EditCount(), 1);
}

struct LineCase {
  std::string body;  // lines after the common block's COM line
  int message;
  int line;  // 0: not checked
};

class ProcedureLineFaultTest : public ProcedureFileTest,
                               public ::testing::WithParamInterface<LineCase> {};

TEST_P(ProcedureLineFaultTest, GivesTheMessageWithTheLineNumber) {
  const LineCase& c = GetParam();
  std::string text = c.body;
  auto replace = [&text](const std::string& key, const std::string& by) {
    for (std::size_t at; (at = text.find(key)) != std::string::npos;)
      text.replace(at, key.size(), by);
  };
  replace("$IN$", in_data_);
  replace("$INDEF$", in_def_);
  replace("$OUT$", out_data_);
  replace("$OUTDEF$", out_def_);
  EXPECT_EQ(Read(test::Procedure(text)), c.message) << c.body;
  if (c.line != 0) {
    EXPECT_EQ(line(), c.line) << c.body;
  }
}

const std::string kHead = "COM;\nINDATA=$IN$;\nINDEF=$INDEF$;\nOUTDATA=$OUT$;\nOUTDEF=$OUTDEF$;\n";
const std::string kOptions =
    "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\nMETAONE=?;\nMETAALL=*;\nSELORDER=;\n";
const std::string kCommon = kHead + kOptions + "COM_END;\n";  // lines 2 to 14

std::string Comps(int n) {
  std::string t;
  for (int i = 0; i < n; ++i) t += "COMP=\"\"A;\n";
  return t;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ProcedureLineFaultTest,
    ::testing::Values(
        LineCase{kHead + "ENDIAN=LITTLE\n", 2801, 7}, LineCase{kHead + "endian=LITTLE;\n", 2804, 7},
        LineCase{kHead + "ENDIAN =LITTLE;\n", 2804, 7}, LineCase{"INDATA=x;\n", 2803, 2},
        LineCase{kHead + "COM;\n", 2803, 7}, LineCase{kHead + "INDATA=x;\n", 2806, 7},
        LineCase{kHead + "SEL;\n", 2808, 7}, LineCase{kHead + "ENDIAN=little;\n", 2805, 7},
        LineCase{kHead + "COPY=Y;\n", 2805, 7}, LineCase{kHead + "METAONE=AB;\n", 2852, 7},
        LineCase{kHead + "METAONE=\t;\n", 2853, 7},
        LineCase{kHead + "SELORDER=" + std::string(101, '1') + ";\n", 2851, 0},
        LineCase{kHead + "INDATA=" + std::string(256, 'a') + ";\n", 2806, 0},
        LineCase{"COM;\nINDATA=" + std::string(256, 'a') + ";\n", 2010, 0},
        LineCase{"COM;\nOUTDEF=" + std::string(256, 'a') + ";\n", 2021, 0},
        // A common block without BLANK.
        LineCase{kHead + "ENDIAN=LITTLE;\nED=APPOINT;\nCOPY=NO;\nMETAONE=?;\nMETAALL=*;\n"
                         "SELORDER=;\nCOM_END;\n",
                 2802, 13},
        LineCase{kHead + kOptions, 2803, 0}, LineCase{kHead, 2802, 0},
        LineCase{kCommon + "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\n" + Comps(11) + "SEL_END;\n", 2807,
                 28},
        LineCase{kCommon + "SEL;\nKEY=IN-REC.CODE;\nKEY=IN-REC.CODE;\n", 2806, 17},
        LineCase{kCommon + "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nSEL_END;\n", 2802, 18},
        LineCase{kCommon + "KEY=IN-REC.CODE;\n", 2803, 15},
        LineCase{kCommon + "SEL;\nSEL;\n", 2803, 16}, LineCase{kCommon + "SEL;\nEDIT;\n", 2803, 16},
        LineCase{kCommon + "INDATA=x;\n", 2808, 15},
        LineCase{kCommon + "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
                           "SEL;\n",
                 2809, 19},
        LineCase{kCommon + "EDIT;\nINITEM=IN-REC.CODE;\nEDIT_END;\n", 2802, 17},
        LineCase{kCommon + "EDIT;\nINITEM=\"A;\n", 2805, 16},
        LineCase{kCommon + "EDIT;\nINITEM=\"\"A\"B;\n", 2805, 16},
        LineCase{kCommon + "INITEM=IN-REC.CODE;\n", 2803, 15},
        // An open block at the end banner.
        LineCase{kCommon + "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"A;\n", 2803, 0},
        LineCase{kCommon + "SEL;\nKEY=IN-REC.CODE;\n", 2802, 0},
        LineCase{kCommon + "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\n", 2803, 0},
        LineCase{kHead + "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=SAMENAME;\nCOPY=NO;\nMETAONE=?;\n"
                         "METAALL=*;\nSELORDER=;\nCOM_END;\nEDIT;\n",
                 2009, 15},
        LineCase{kHead + "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\nMETAONE=\"\";\n"
                         "METAALL=*;\nSELORDER=;\nCOM_END;\n",
                 2233, 0},
        LineCase{kHead + "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\nMETAONE=*;\n"
                         "METAALL=*;\nSELORDER=;\nCOM_END;\n",
                 2234, 0}));

TEST_F(ProcedureFileTest, SelectionProcedureRefusesEditBlocksAndCopiesTheInputDefinition) {
  EXPECT_EQ(
      Read(test::Procedure(
          Common("ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n", "", false) + "EDIT;\n")),
      2808);
  EXPECT_FALSE(doc_->files_open());
  ASSERT_EQ(Read(test::Procedure(
                Common("ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n", "1", false) +
                "SEL;\nKEY=IN-REC.CODE;\nJUDGE=!=;\nCOMP=IN-REC.CODE;\n"
                "SEL_END;\n")),
            0);
  EXPECT_EQ(doc_->settings.form, kFormSelection);
  EXPECT_EQ(doc_->output.record_length, doc_->input.record_length);
  EXPECT_EQ(doc_->conditions[0].comparisons->kind, 2);
  EXPECT_EQ(doc_->conditions[0].comparisons->item, 2);
}

TEST_F(ProcedureFileTest, WindowProgramsSelectionFormRefusesOutdef) {
  doc_->settings.form_from_file = false;
  doc_->settings.form = kFormSelection;
  EXPECT_EQ(Read(test::Procedure(Common())), 2874);
  EXPECT_EQ(line(), 6);
}

TEST_F(ProcedureFileTest, MetacharacterValues) {
  auto meta = [this](const std::string& one, const std::string& all) {
    return Read(test::Procedure("COM;\nINDATA=" + in_data_ + ";\nINDEF=" + in_def_ +
                                ";\nOUTDATA=" + out_data_ + ";\nOUTDEF=" + out_def_ +
                                ";\nENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n"
                                "METAONE=" +
                                one + ";\nMETAALL=" + all + ";\nSELORDER=;\nCOM_END;\n"));
  };
  ASSERT_EQ(meta("\";", "%"), 0);
  EXPECT_EQ(doc_->settings.meta_one, ';');
  EXPECT_EQ(doc_->settings.meta_all, '%');
  ASSERT_EQ(meta("", " "), 0);
  EXPECT_EQ(doc_->settings.meta_one, ' ');
  EXPECT_EQ(doc_->settings.meta_all, ' ');
  EXPECT_EQ(meta("?", "\"\""), 2232);
}

TEST_F(ProcedureFileTest, ComparisonConstantsKeepTheirMarkerAndEscapes) {
  ASSERT_EQ(
      Read(test::Procedure(Common("ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n", "1") +
                           "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"#12;\n"
                           "COMP=\"\"A\";B;\nCOMP=\"\"\"\"Q;\nCOMP=\"\";\nSEL_END;\n")),
      0);
  const SelCompEntry* c = doc_->conditions[0].comparisons;
  EXPECT_EQ(c->kind, 1);
  EXPECT_STREQ(c->constant, "\"#12");
  EXPECT_STREQ(c->next->constant, "A;B");
  EXPECT_STREQ(c->next->next->constant, "\"\"Q");
  EXPECT_STREQ(c->next->next->next->constant, "");
}

TEST_F(ProcedureFileTest, ConstantsAreCutToFortyCharacters) {
  ASSERT_EQ(Read(test::Procedure(Common() + "EDIT;\nINITEM=\"\"" + std::string(39, 'a') +
                                 "\x82\xa0" + "b;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n")),
            0);
  EXPECT_EQ(std::string(doc_->edit_list->constant), std::string(39, 'a'));
}

TEST_F(ProcedureFileTest, UndefinedNamesAreKeptAndTheTwoHundredFiftyFirstStopsReading) {
  ASSERT_EQ(
      Read(test::Procedure(Common("ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n", "1") +
                           "SEL;\nKEY=IN-REC.NONE;\nJUDGE=<;\nCOMP=IN-REC.NONE;\nSEL_END;\n"
                           "EDIT;\nINITEM=IN-REC.X;\nOUTITEM=OUT-REC.Y;\nEDIT_END;\n")),
      0);
  EXPECT_EQ(doc_->conditions[0].key_item, -1);
  EXPECT_EQ(doc_->conditions[0].comparisons->item, -1);
  EXPECT_EQ(doc_->edit_list->input_item, -2);
  EXPECT_EQ(doc_->edit_list->output_item, -3);
  EXPECT_EQ(doc_->ItemName(-3, true), "OUT-REC.Y");

  std::string edits;
  for (int i = 0; i < 126; ++i) {
    edits += "EDIT;\nINITEM=IN-REC.A" + std::to_string(i) + ";\nOUTITEM=OUT-REC.B" +
             std::to_string(i) + ";\nEDIT_END;\n";
  }
  doc_ = std::make_unique<CZovozDoc>();
  doc_->settings.form_from_file = true;
  EXPECT_EQ(Read(test::Procedure(Common() + edits)), 2140);
  EXPECT_EQ(doc_->undefined_names().size(), 250u);
  EXPECT_FALSE(doc_->files_open());
}

TEST_F(ProcedureFileTest, NamesAndConstantsAreCutBetweenCharactersAndReadBackAfterWriting) {
  // 10 bytes, then double-byte characters past the 47 kept: a cut in the
  // middle of one would leave a lead byte that swallows the ";" after it.
  std::string name = "IN-REC.COD";
  for (int i = 0; i < 30; ++i) name += "\x89\x89";
  // A constant ends at a NUL byte; the lead byte before it goes too.
  std::string constant = std::string("-\x97") + '\0' + "10.5";
  ASSERT_EQ(Read(test::Procedure(Common("ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n",
                                        "1") +
                                 "SEL;\nKEY=" + name + ";\nJUDGE==;\nCOMP=\"\"" + constant +
                                 ";\nSEL_END;\n")),
            0);
  ASSERT_EQ(doc_->undefined_names().size(), 1u);
  EXPECT_EQ(doc_->undefined_names()[0], name.substr(0, 46));
  EXPECT_STREQ(doc_->conditions[0].comparisons->constant, "-");
  std::string written = dir_.path() + "/W.rwp";
  ASSERT_EQ(CKRPFDoc(doc_.get()).Run(kModeWrite, written), 0);
  doc_->CloseFiles();
  CZovozDoc again;
  again.settings.form_from_file = true;
  CKRPFDoc reader(&again);
  ASSERT_EQ(reader.Run(kModeReadCommon, written), 0);
  ASSERT_EQ(reader.Run(kModeReadBlocks, written), 0);
  EXPECT_EQ(again.undefined_names(), doc_->undefined_names());
}

TEST_F(ProcedureFileTest, AFileWithoutTheEndBannerEndsWithoutAnError) {
  std::string text = std::string(kStartBanner) + "\n" + Common() +
                     "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n";
  EXPECT_EQ(Read(text), 0);
  EXPECT_EQ(doc_->EditCount(), 1);
  EXPECT_EQ(Read(std::string(kStartBanner) + "\nCOM;\nINDATA=a;\n"), 2802);
}

TEST_F(ProcedureFileTest, LinesAfterTheEndBannerAreNotRead) {
  EXPECT_EQ(Read(test::Procedure(Common()) + "garbage\n"), 0);
}

TEST_F(ProcedureFileTest, BlocksNeedTheCommonBlockFirst) {
  CKRPFDoc reader(doc_.get());
  EXPECT_EQ(reader.Run(kModeReadBlocks, ""), 2872);
}

TEST_F(ProcedureFileTest, WrittenProcedureReadsBackToTheSameDocument) {
  ASSERT_EQ(
      Read(test::Procedure(Common("ENDIAN=BIG;\nBLANK=TRUE;\nED=APPOINT;\nCOPY=YES;\n", "(1O2)A3") +
                           kSelection +
                           "SEL;\nKEY=IN-REC.CODE;\nJUDGE=!=;\nCOMP=\"\"#1;\n"
                           "COMP=\"\"a\";b\"\"c;\nCOMP=IN-REC.AMOUNT;\nCOMP=IN-REC.GONE;\n"
                           "SEL_END;\n" +
                           kEdits + "EDIT;\nINITEM=\"\"\";x;\nOUTITEM=OUT-REC.NO;\nEDIT_END;\n")),
      0);
  std::string first = dir_.path() + "/W1.rwp";
  ASSERT_EQ(CKRPFDoc(doc_.get()).Run(kModeWrite, first), 0);
  std::string written = test::ReadAll(first);
  EXPECT_EQ(written.substr(0, kStartBanner.size() + 1), std::string(kStartBanner) + "\n");
  EXPECT_NE(written.find("\nOUTDEF=" + out_def_ + ";\n"), std::string::npos);
  EXPECT_NE(written.find("\nCOMP=\"\"a\";b\"\"c;\n"), std::string::npos);
  EXPECT_NE(written.find("\nCOMP=\"\"#1;\n"), std::string::npos);

  doc_->CloseFiles();  // the data files are opened without sharing
  CZovozDoc again;
  again.settings.form_from_file = true;
  CKRPFDoc reader(&again);
  ASSERT_EQ(reader.Run(kModeReadCommon, first), 0);
  ASSERT_EQ(reader.Run(kModeReadBlocks, first), 0);
  const ProcedureSettings& a = doc_->settings;
  const ProcedureSettings& b = again.settings;
  EXPECT_EQ(a.expression, b.expression);
  EXPECT_STREQ(a.prefix.data(), b.prefix.data());
  EXPECT_EQ(a.big_endian, b.big_endian);
  EXPECT_EQ(a.blank_when_zero, b.blank_when_zero);
  EXPECT_EQ(a.copy, b.copy);
  EXPECT_EQ(a.meta_one, b.meta_one);
  EXPECT_EQ(a.meta_all, b.meta_all);
  ASSERT_EQ(again.condition_count, doc_->condition_count);
  for (int c = 0; c < again.condition_count; ++c) {
    EXPECT_EQ(again.conditions[c].key_item, doc_->conditions[c].key_item);
    EXPECT_EQ(again.conditions[c].op, doc_->conditions[c].op);
    const SelCompEntry* x = doc_->conditions[c].comparisons;
    const SelCompEntry* y = again.conditions[c].comparisons;
    for (; x != nullptr && y != nullptr; x = x->next, y = y->next) {
      EXPECT_EQ(x->kind, y->kind);
      EXPECT_EQ(x->item, y->item);
      if (x->kind == 1) {
        EXPECT_STREQ(x->constant, y->constant);
      }
    }
    EXPECT_EQ(x, nullptr);
    EXPECT_EQ(y, nullptr);
  }
  const EditEntry* x = doc_->edit_list;
  const EditEntry* y = again.edit_list;
  for (; x != nullptr && y != nullptr; x = x->next, y = y->next) {
    EXPECT_EQ(x->kind, y->kind);
    EXPECT_EQ(x->input_item, y->input_item);
    EXPECT_EQ(x->output_item, y->output_item);
    if (x->kind == 1) {
      EXPECT_STREQ(x->constant, y->constant);
    }
  }
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(y, nullptr);
  EXPECT_EQ(again.undefined_names(), doc_->undefined_names());
  std::string second = dir_.path() + "/W2.rwp";
  ASSERT_EQ(CKRPFDoc(&again).Run(kModeWrite, second), 0);
  EXPECT_EQ(test::ReadAll(second), written);
}

TEST_F(ProcedureFileTest, WriterRefusesAnOperatorOutsideOneToSix) {
  ASSERT_EQ(Read(test::Procedure(Common() + "SEL;\nKEY=IN-REC.CODE;\nJUDGE=<>;\nCOMP=\"\"1;\n"
                                            "SEL_END;\n")),
            0);
  EXPECT_EQ(doc_->conditions[0].op, 7);
  EXPECT_EQ(CKRPFDoc(doc_.get()).Run(kModeWrite, dir_.path() + "/W.rwp"), 2871);
  EXPECT_EQ(CKRPFDoc(doc_.get()).Run(kModeWrite, dir_.path() + "/no/such/W.rwp"), 2871);
}

TEST_F(ProcedureFileTest, WriterReportsAFileItCannotCreate) {
  ASSERT_EQ(Read(test::Procedure(Common())), 0);
  EXPECT_EQ(CKRPFDoc(doc_.get()).Run(kModeWrite, dir_.path() + "/no/such/W.rwp"), 2821);
}

}  // namespace
}  // namespace qel::rework
