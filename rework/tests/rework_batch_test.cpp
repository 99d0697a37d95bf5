// qelreworkbatch end to end: arguments, procedure faults, runs, exit status
// and the three logs of a run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "rework/procedure_file.h"
#include "rework/tests/rework_fixture.h"

namespace qel::rework {
namespace {

using test::Field;
using test::Packed;

class ReworkBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    in_def_ = test::WriteDefinition(dir_, "IN",
                                    {{"01", "IN-REC", "G", "0", 0},
                                     {"05", "CODE", "X", "3", 0},
                                     {"05", "AMOUNT", "P", "5", 3},
                                     {"05", "NAME", "X", "4", 6}});
    out_def_ = test::WriteDefinition(dir_, "OUT",
                                     {{"01", "OUT-REC", "G", "0", 0},
                                      {"05", "AMOUNT", "9", "6", 0},
                                      {"05", "CODE", "X", "3", 6},
                                      {"05", "FLAG", "X", "1", 9}});
    in_data_ = dir_.path() + "/IN.DAT";
    out_data_ = dir_.path() + "/OUT.DAT";
  }

  // Ten records; those with CODE A01/A02 and AMOUNT >= 1000 are 2, 5, 7 and 9.
  std::string TenRecords() const {
    const char* codes[] = {"B01", "A01", "A02", "A01", "A02", "C00", "A01", "A03", "A02", "A01"};
    int amounts[] = {5000, 1000, 999, -2000, 123456 % 100000, 7, 45678, 1000, 1001, 0};
    std::string data;
    for (int i = 0; i < 10; ++i) {
      data += codes[i] + Packed(amounts[i]) + "N" + std::to_string(i) + "  ";
      data.resize((i + 1) * 10, ' ');
    }
    return data;
  }

  std::string Selection() const {
    return "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"A01;\nCOMP=\"\"A02;\nSEL_END;\n"
           "SEL;\nKEY=IN-REC.AMOUNT;\nJUDGE=>=;\nCOMP=\"\"1000;\nSEL_END;\n";
  }
  std::string Edits() const {
    return "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
           "EDIT;\nINITEM=IN-REC.AMOUNT;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n"
           "EDIT;\nINITEM=\"\"Y;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n";
  }
  std::string EditProcedure(const std::string& blocks, const std::string& selorder = "1A2") {
    return test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, out_def_,
                                             "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\n"
                                             "COPY=NO;\n",
                                             selorder) +
                           blocks);
  }

  // Runs the program with `args` (already quoted); its exit status.
  int Run(const std::string& args) {
    return test::RunCommand("cd '" + dir_.path() + "' && TEMP='" + dir_.path() + "' LC_ALL=C '" +
                                test::BatchProgram() + "' " + args,
                            &output_);
  }
  int RunProcedure(const std::string& text) {
    procedure_ = dir_.Write("P.rwp", text);
    return Run("'" + procedure_ + "'");
  }
  std::string Log(const std::string& name) const {
    return test::ReadAll(dir_.path() + "/" + name + ".LOG");
  }

  test::TempDir dir_;
  std::string in_def_, out_def_, in_data_, out_data_, procedure_, output_;
};

TEST_F(ReworkBatchTest, TakesExactlyOneArgument) {
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(output_.rfind("KRPF2821-S ()\n", 0), 0u) << output_;
  EXPECT_EQ(Run("a b"), 1);
  EXPECT_EQ(output_.rfind("KRPF2821-S ()\n", 0), 0u) << output_;
  EXPECT_EQ(Run(std::string(256, 'p')), 1);
  EXPECT_EQ(output_.rfind("KRAC2610-E " + std::string(256, 'p'), 0), 0u) << output_;
}

TEST_F(ReworkBatchTest, ReadFailuresNameTheLineOrTheFile) {
  dir_.Write("IN.DAT", "");
  EXPECT_EQ(RunProcedure(test::Procedure("COM;\nINDATA=x\n")), 1);
  EXPECT_EQ(output_.rfind("KRPF2801-S ", 0), 0u) << output_;
  EXPECT_NE(output_.find("(3)"), std::string::npos) << output_;
  EXPECT_EQ(RunProcedure("nothing\n"), 1);
  EXPECT_EQ(output_.rfind("KRPF2825-S (" + procedure_ + ")", 0), 0u) << output_;
  std::remove(in_data_.c_str());
  EXPECT_EQ(RunProcedure(EditProcedure(Edits())), 1);
  EXPECT_EQ(output_.rfind("KRAC3610-E " + in_data_, 0), 0u) << output_;
}

TEST_F(ReworkBatchTest, AProcedureWithFaultsIsNotRun) {
  dir_.Write("IN.DAT", TenRecords());
  EXPECT_EQ(RunProcedure(EditProcedure(
                "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n", "")),
            1);
  EXPECT_EQ(output_.rfind("KRWN2051-E ", 0), 0u) << output_;
  EXPECT_EQ(test::ReadAll(out_data_), "");
  EXPECT_EQ(
      RunProcedure(test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, "",
                                                     "ENDIAN=LITTLE;\nBLANK=FALSE;\n"
                                                     "ED=APPOINT;\nCOPY=NO;\n",
                                                     "1") +
                                   "SEL;\nKEY=IN-REC.NOTHING;\nJUDGE==;\nCOMP=\"\"A;\nSEL_END;\n")),
      1);
  EXPECT_EQ(output_.rfind("KRWN2050-E ", 0), 0u) << output_;
}

TEST_F(ReworkBatchTest, AnEmptyInputCompletesWithNoRecords) {
  dir_.Write("IN.DAT", "");
  EXPECT_EQ(RunProcedure(EditProcedure(Selection() + Edits())), 0);
  EXPECT_EQ(output_.rfind("KRWN2052-I ", 0), 0u) << output_;
  EXPECT_NE(output_.find("0"), std::string::npos);
  EXPECT_EQ(test::ReadAll(out_data_), "");
}

TEST_F(ReworkBatchTest, TenRecordsFourSelectedAndEdited) {
  dir_.Write("IN.DAT", TenRecords());
  ASSERT_EQ(RunProcedure(EditProcedure(Selection() + Edits())), 0) << output_;
  // "KRWN2052-I 入力レコード10件，出力レコード4件。" in CP932.
  EXPECT_EQ(output_,
            "KRWN2052-I \x93\xfc\x97\xcd\x83\x8c\x83\x52\x81\x5b\x83\x68"
            "10"
            "\x8c\x8f\x81\x43\x8f\x6f\x97\xcd\x83\x8c\x83\x52\x81\x5b\x83\x68"
            "4"
            "\x8c\x8f\x81\x42\n");
  EXPECT_EQ(test::ReadAll(out_data_), "001000A01Y023456A02Y045678A01Y001001A02Y");
}

// Procedures written on Windows name files in any letter case: each of the
// four files, and the record definition a file definition names, is the one
// file whose name matches without regard to case, and an existing output
// found so is replaced under its own name.
TEST_F(ReworkBatchTest, NamesInAnyLetterCaseFindTheFilesOnDisk) {
  dir_.Write("IN.DAT", TenRecords());
  ASSERT_EQ(RunProcedure(EditProcedure(Selection() + Edits())), 0) << output_;
  std::string exact = test::ReadAll(out_data_);
  ASSERT_EQ(std::rename((dir_.path() + "/IN.RDF").c_str(), (dir_.path() + "/In.Rdf").c_str()), 0);
  dir_.Write("OUT.DAT", "left from before");
  auto lower = [&](const std::string& name) { return dir_.path() + "/" + name; };
  std::string procedure = test::Procedure(
      test::CommonBlock(lower("in.dat"), lower("in.flf"), lower("out.dat"), lower("out.flf"),
                        "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\n", "1A2") +
      Selection() + Edits());
  ASSERT_EQ(RunProcedure(procedure), 0) << output_;
  EXPECT_EQ(test::ReadAll(out_data_), exact);
  EXPECT_FALSE(std::ifstream(lower("out.dat")).good());

  // Two names that differ only in case: neither is taken.
  dir_.Write("In.Flf", test::ReadAll(in_def_));
  EXPECT_EQ(RunProcedure(procedure), 1);
  EXPECT_EQ(output_.rfind("KRAC3510-E " + lower("in.flf"), 0), 0u) << output_;
}

TEST_F(ReworkBatchTest, WithoutConditionsEveryRecordIsWritten) {
  dir_.Write("IN.DAT", TenRecords());
  ASSERT_EQ(RunProcedure(test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, ""))), 0)
      << output_;
  EXPECT_EQ(test::ReadAll(out_data_), TenRecords());
}

TEST_F(ReworkBatchTest, InvalidPackedKeyInTheSeventhRecordStopsTheRun) {
  std::string data = TenRecords();
  data[6 * 10 + 5] = '\x1f';  // sign nibble F in a signed packed item
  dir_.Write("IN.DAT", data);
  EXPECT_EQ(RunProcedure(EditProcedure(Selection() + Edits())), 1);
  EXPECT_EQ(output_.rfind("KRSC2235-E ", 0), 0u) << output_;
  EXPECT_NE(output_.find("\n7 IN-REC.AMOUNT\n"), std::string::npos) << output_;
  EXPECT_EQ(test::ReadAll(out_data_), "001000A01Y023456A02Y");
}

TEST_F(ReworkBatchTest, InvalidDataMetByAMoveNamesTheInputItem) {
  std::string data = TenRecords();
  data[1 * 10 + 4] = '\xaa';  // a digit nibble above 9 in record 2
  dir_.Write("IN.DAT", data);
  EXPECT_EQ(RunProcedure(EditProcedure(Edits(), "")), 1);
  EXPECT_EQ(output_.rfind("KRMV2360-E ", 0), 0u) << output_;
  EXPECT_NE(output_.find("\n2 IN-REC.AMOUNT\n"), std::string::npos) << output_;
  EXPECT_EQ(test::ReadAll(out_data_).size(), 10u);
}

TEST_F(ReworkBatchTest, LogsOfARun) {
  dir_.Write("IN.DAT", TenRecords());
  ASSERT_EQ(RunProcedure(EditProcedure(Selection() + Edits())), 0) << output_;
  std::string rwork = Log("RWORK");
  // The block: time stamp line first, the rule after the last setting line.
  EXPECT_EQ(rwork.substr(19, 13), " \x83\x56\x83\x58\x83\x65\x83\x80\x8f\xee\x95\xf1");
  EXPECT_NE(rwork.find("=" + procedure_ + "\n"), std::string::npos);
  EXPECT_NE(rwork.find("='*' (0x2a) , "), std::string::npos);
  EXPECT_NE(rwork.find("='1A2'\n"), std::string::npos);
  std::size_t rule = rwork.find("\n" + std::string(63, '-') + "\n");
  ASSERT_NE(rule, std::string::npos);
  EXPECT_NE(rwork.find("KRWN2052-I", rule), std::string::npos);

  std::string edit = Log("KRMVINF");
  ASSERT_EQ(edit.size(), 128u * 4);  // the header and the three moves of the first record
  EXPECT_EQ(edit.substr(0, 20), std::string("*** KRMV_INF ***\x01\0\0\0", 20));
  EXPECT_EQ(edit.substr(20, 108), std::string(108, '\0'));
  EXPECT_EQ(static_cast<unsigned char>(edit[128 + 36]), 1);    // CODE: alphanumeric source
  EXPECT_EQ(static_cast<unsigned char>(edit[256 + 36]), 6);    // AMOUNT: packed source
  EXPECT_EQ(static_cast<unsigned char>(edit[256 + 96]), 9);    // into unsigned zoned
  EXPECT_EQ(static_cast<unsigned char>(edit[384 + 36]), 1);    // the constant Y
  EXPECT_NE(edit.substr(384 + 104, 4), std::string(4, '\0'));  // its text address

  std::string selection = Log("KRSCLOG");
  ASSERT_EQ(selection.size(), 128u * 6);
  EXPECT_EQ(selection.substr(19, 109), std::string(109, ' '));
  EXPECT_EQ(selection.substr(128, 8), std::string("\x02\0\0\0\x01\0\0\0", 8));
  EXPECT_EQ(selection.substr(128 + 16, 4), std::string("\x01\0\0\0", 4));
  EXPECT_EQ(selection.substr(128 + 36, 2), "*?");
  EXPECT_EQ(selection.substr(384, 8), std::string("\x03\0\0\0\x04\0\0\0", 8));
  EXPECT_EQ(selection.substr(512, 5), "A1,2 ");
  EXPECT_EQ(selection.substr(640), std::string(128, ' '));
}

}  // namespace
}  // namespace qel::rework
