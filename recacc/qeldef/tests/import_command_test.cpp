// qeldef import: every refusal names its line and item, ends with exit 1 and
// leaves no file; warnings let the import go on; the options that map an
// otherwise refused clause; record choice.
#include <gtest/gtest.h>

#include "recacc/qeldef/copybook_import.h"
#include "recacc/qeldef/copybook_reader.h"
#include "recacc/qeldef/definition_writer.h"
#include "recacc/qeldef/tests/qeldef_runner.h"

namespace qel::copybook::test {
namespace {

// Fixed-format lines: the text from column 8.
std::string Fixed(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* l : lines) out += std::string("       ") + l + "\n";
  return out;
}

ImportResult Import(const std::string& text, ImportOptions options = {}) {
  return ImportCopybook(ReadCopybook(text, {}), options);
}

std::vector<int> Reasons(const ImportResult& r) {
  std::vector<int> reasons;
  for (const Diagnostic& d : r.diagnostics) reasons.push_back(d.reason);
  return reasons;
}

struct Refusal {
  const char* label;
  std::string text;
  int line;
  const char* item;
  int reason;
  const char* options = "";
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.label; }

class RefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(RefusalTest, NamesLineAndItemExitsOneAndWritesNothing) {
  const Refusal& c = GetParam();
  ScratchDir dir;
  dir.Write("C.cpy", c.text);
  RunResult r = Qeldef(dir.path(), std::string("import ") + c.options + " C.cpy OUT.FLF");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"C.cpy"});
  std::string prefix = "C.cpy:" + std::to_string(c.line) + ": " + c.item + ": ";
  EXPECT_EQ(r.err.substr(0, prefix.size()), prefix) << r.err;
  EXPECT_EQ(r.out, "");

  ReadOptions read;
  ImportOptions options;
  std::string given = c.options;
  options.organisation = given.find("VK") != std::string::npos ? "VK" : "S";
  if (given.starts_with("--record ")) options.record = given.substr(9);
  options.wide_binary_x = given == "--wide-binary=x";
  ImportResult core = ImportCopybook(ReadCopybook(c.text, read), options);
  EXPECT_FALSE(core.ok);
  ASSERT_FALSE(core.diagnostics.empty());
  bool found = false;
  for (const Diagnostic& d : core.diagnostics)
    found = found || (d.reason == c.reason && d.line == c.line && d.item == c.item);
  EXPECT_TRUE(found) << "reason " << c.reason << " at line " << c.line << " not among "
                     << testing::PrintToString(Reasons(core));
}

std::string ManyItems(int n) {
  std::string text = Fixed({"01 R."});
  for (int i = 0; i < n; ++i) text += "           05 I" + std::to_string(i) + " PIC X.\n";
  return text;
}

std::string EightOccursLevels() {
  std::string text = Fixed({"01 R."});
  for (int level = 2; level <= 9; ++level)
    text += "           0" + std::to_string(level) + " L" + std::to_string(level) + " OCCURS 2.\n";
  return text + "           10 LEAF PIC X.\n";
}

INSTANTIATE_TEST_SUITE_P(
    Section, RefusalTest,
    testing::Values(
        Refusal{"copy", Fixed({"01 R.", "   05 A PIC X.", "COPY OTHER."}), 3, "COPY", kReasonCopy},
        Refusal{"replace", Fixed({"REPLACE ==A== BY ==B==.", "01 R PIC X."}), 1, "REPLACE",
                kReasonCopy},
        Refusal{"pseudo_text", Fixed({"01 R PIC X.", "==A==."}), 2, "==A==",
                kReasonPseudoText},
        Refusal{"pointer", Fixed({"01 R.", "   05 P USAGE POINTER."}), 2, "P", kReasonPointer},
        Refusal{"program_pointer", Fixed({"01 R.", "   05 P PROGRAM-POINTER."}), 2, "P",
                kReasonPointer},
        Refusal{"level_77", Fixed({"77 W PIC X.", "01 R PIC X."}), 1, "W", kReasonLevel77},
        Refusal{"scaling", Fixed({"01 R.", "   05 A PIC X.", "   05 S PIC 9(3)PP."}), 3, "S",
                kReasonScaling},
        Refusal{"external_float", Fixed({"01 R.", "   05 F PIC +9.99E+99."}), 2, "F",
                kReasonFloatingPicture},
        Refusal{"bit_picture", Fixed({"01 R.", "   05 B PIC 1(8)."}), 2, "B", kReasonBit},
        Refusal{"bit_usage", Fixed({"01 R.", "   05 B PIC X USAGE BIT."}), 2, "B", kReasonBit},
        Refusal{"depending_on",
                Fixed({"01 R.", "   05 N PIC 99.", "   05 T PIC X OCCURS 1 TO 9",
                       "        DEPENDING ON N."}),
                3, "T", kReasonDependingOn},
        Refusal{"binary_10_digits", Fixed({"01 R.", "   05 B PIC S9(10) COMP."}), 2, "B",
                kReasonWideBinary},
        Refusal{"binary_19_digits", Fixed({"01 R.", "   05 B PIC S9(19) COMP."}), 2, "B",
                kReasonBinaryTooLong, "--wide-binary=x"},
        Refusal{"zoned_20_digits", Fixed({"01 R.", "   05 Z PIC S9(20)."}), 2, "Z",
                kReasonDecimalTooLong},
        Refusal{"packed_20_digits", Fixed({"01 R.", "   05 P PIC 9(10)V9(10) COMP-3."}), 2, "P",
                kReasonDecimalTooLong},
        Refusal{"binary_char", Fixed({"01 R.", "   05 B BINARY-CHAR UNSIGNED."}), 2, "B",
                kReasonUsage},
        Refusal{"comp_x", Fixed({"01 R.", "   05 B PIC X(2) COMP-X."}), 2, "B", kReasonUsage},
        Refusal{"comp_n", Fixed({"01 R.", "   05 B PIC 9(4) COMP-N."}), 2, "B", kReasonUsage},
        Refusal{"comp_6", Fixed({"01 R.", "   05 B PIC 9(4) COMP-6."}), 2, "B", kReasonUsage},
        Refusal{"binary_long", Fixed({"01 R.", "   05 B USAGE BINARY-LONG."}), 2, "B",
                kReasonUsage},
        Refusal{"comp5_two_digits", Fixed({"01 R.", "   05 C PIC S99 COMP-5."}), 2, "C",
                kReasonSmallComp5},
        Refusal{"sync_binary", Fixed({"01 R.", "   05 B PIC S9(4) COMP SYNC."}), 2, "B",
                kReasonSyncBinary},
        Refusal{"sync_float", Fixed({"01 R.", "   05 F COMP-2 SYNCHRONIZED."}), 2, "F",
                kReasonSyncBinary},
        Refusal{"sync_index", Fixed({"01 R.", "   05 I INDEX SYNC."}), 2, "I", kReasonSyncBinary},
        Refusal{"name_31_bytes", Fixed({"01 R.", "   05 A23456789012345678901234567890A PIC X."}),
                2, "A23456789012345678901234567890A", kReasonNameTooLong},
        Refusal{"ten_thousand_items", ManyItems(9999), 10000, "I9998", kReasonTooManyItems},
        Refusal{"record_too_long",
                Fixed({"01 R.", "   05 A PIC X(32760).", "   05 B PIC X(32760).",
                       "   05 C PIC X(16)."}),
                1, "R", kReasonRecordTooLong},
        Refusal{"indexed_record_too_long",
                Fixed({"01 R.", "   05 A PIC X(32760).", "   05 B PIC X(32744)."}), 1, "R",
                kReasonRecordTooLong, "--organisation VK"},
        Refusal{"eight_occurs_levels", EightOccursLevels(), 9, "L9", kReasonTooManyOccursLevels},
        Refusal{"level_mismatch", Fixed({"01 R.", "   05 A.", "     10 B PIC X.", "   07 C PIC X."}),
                4, "C", kReasonLevelMismatch},
        Refusal{"group_picture", Fixed({"01 R.", "   05 G PIC X.", "     10 B PIC X."}), 2, "G",
                kReasonGroupPicture},
        Refusal{"no_picture", Fixed({"01 R.", "   05 A."}), 2, "A", kReasonNoPicture},
        Refusal{"bad_picture", Fixed({"01 R.", "   05 A PIC 9S9."}), 2, "A", kReasonBadPicture},
        Refusal{"usage_picture", Fixed({"01 R.", "   05 A PIC X(4) COMP-3."}), 2, "A",
                kReasonUsagePicture},
        Refusal{"redefines_not_preceding",
                Fixed({"01 R.", "   05 A PIC X(4).", "   05 B PIC X(4).",
                       "   05 C REDEFINES A PIC X(2)."}),
                4, "C", kReasonRedefinesObject},
        Refusal{"redefines_longer",
                Fixed({"01 R.", "   05 A PIC X(4).", "   05 C REDEFINES A PIC X(5)."}), 3, "C",
                kReasonRedefinesLonger},
        Refusal{"edit_over_19_positions", Fixed({"01 R.", "   05 E PIC Z(19)9."}), 2, "E",
                kReasonEditTooLong},
        Refusal{"sign_on_unsigned", Fixed({"01 R.", "   05 U PIC 9(3) SIGN LEADING."}), 2, "U",
                kReasonSignClause},
        Refusal{"occurs_zero", Fixed({"01 R.", "   05 T PIC X OCCURS 0."}), 2, "T",
                kReasonBadOccurs},
        Refusal{"unknown_clause", Fixed({"01 R.", "   05 A PIC X ANY LENGTH."}), 2, "A",
                kReasonUnknownWord},
        Refusal{"bad_indicator", "000100X 01 R PIC X.\n", 1, "X", kReasonIndicator},
        Refusal{"no_such_record", Fixed({"01 R PIC X."}), 1, "OTHER", kReasonNoSuchRecord,
                "--record OTHER"},
        Refusal{"nothing_but_comments", "      * nothing\n", 1, "", kReasonNoRecord}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.label); });

TEST(ImportCommandTest, RecordNamedByOptionIsTakenAndTheOthersAreListedAsIgnored) {
  std::string text = Fixed({"01 FIRST-REC PIC X(3).", "01 SECOND-REC.", "   05 A PIC 9(2).",
                            "   66 ALIAS RENAMES A.", "01 THIRD-REC PIC X."});
  ImportOptions options;
  options.record = "second-rec";
  ImportResult r = Import(text, options);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.items.size(), 2u);
  EXPECT_EQ(r.items[0].name, "SECOND-REC");
  EXPECT_EQ(r.items[1].name, "A");
  EXPECT_EQ(Reasons(r), (std::vector<int>{kWarnOtherRecord, kWarnLevel66, kWarnOtherRecord}));
  EXPECT_EQ(r.diagnostics[0].item, "FIRST-REC");

  ScratchDir dir;
  dir.Write("C.cpy", text);
  RunResult cli = Qeldef(dir.path(), "import C.cpy OUT.FLF");
  EXPECT_EQ(cli.exit_code, 0) << cli.err;
  EXPECT_NE(cli.err.find("C.cpy:2: SECOND-REC: "), std::string::npos) << cli.err;
  EXPECT_NE(cli.out.find("1\t1\tFIRST-REC\t1\t3\t"), std::string::npos) << cli.out;
  EXPECT_TRUE(dir.Exists("OUT.FLF") && dir.Exists("OUT.RDF"));
}

TEST(ImportCommandTest, RecordNameTypedInUtf8FindsTheCp932Record) {
  ScratchDir dir;
  // 社員 in CP932 as the second record's name.
  dir.Write("C.cpy", Fixed({"01 R PIC X(3).", "01 \x8E\xD0\x88\xF5 PIC X(2)."}));
  RunResult r = Qeldef(dir.path(), "import --record \xE7\xA4\xBE\xE5\x93\xA1 C.cpy OUT.FLF");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("1\t1\t\xE7\xA4\xBE\xE5\x93\xA1\t1\t2\t"), std::string::npos) << r.out;
}

TEST(ImportCommandTest, DependingOnMapsToTheMaximumWithAWarning) {
  std::string text =
      Fixed({"01 R.", "   05 N PIC 99.", "   05 T PIC X(2) OCCURS 0 TO 7 DEPENDING ON N."});
  ImportOptions options;
  options.odo_max = true;
  ImportResult r = Import(text, options);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.items[2].anum, "7");
  EXPECT_EQ(r.items[0].dale, "16");
  EXPECT_EQ(Reasons(r), std::vector<int>{kWarnDependingMax});
}

TEST(ImportCommandTest, WideBinaryBecomesEightAlphanumericBytesSoTheRestStaysUsable) {
  std::string text = Fixed({"01 R.", "   05 W PIC S9(15) COMP.", "   05 A PIC X."});
  ImportOptions options;
  options.wide_binary_x = true;
  ImportResult r = Import(text, options);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.items[1].dtat, "X");
  EXPECT_EQ(r.items[1].dale, "8");
  EXPECT_EQ(r.items[2].burl, "8");
  EXPECT_EQ(Reasons(r), std::vector<int>{kWarnWideBinary});
}

TEST(ImportCommandTest, WarningsForMixedBinaryOrderAndBlankWhenZeroWithFraction) {
  ImportResult r = Import(Fixed({"01 R.", "   05 A PIC S9(4) COMP.", "   05 B PIC S9(4) COMP-5.",
                                 "   05 C PIC 9(3)V99 BLANK WHEN ZERO."}));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(Reasons(r), (std::vector<int>{kWarnMixedBinary, kWarnBlankWhenZeroFraction}));
  EXPECT_EQ(r.items[3].blwz, "T");
}

TEST(ImportCommandTest, RedefinesOfTheChosenRecordIsDroppedSoTheRecordIsNotSkipped) {
  ImportOptions options;
  options.record = "B";
  ImportResult r = Import(Fixed({"01 A PIC X(4).", "01 B REDEFINES A.", "   05 C PIC X(2)."}),
                          options);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.items[0].renm, "");
  EXPECT_EQ(Reasons(r), (std::vector<int>{kWarnOtherRecord, kWarnRecordRedefines}));
}

TEST(ImportCommandTest, RefusedImportLeavesAnOlderPairUntouched) {
  ScratchDir dir;
  dir.Write("OK.cpy", Fixed({"01 R PIC X(3)."}));
  dir.Write("BAD.cpy", Fixed({"01 R.", "   05 P POINTER."}));
  ASSERT_EQ(Qeldef(dir.path(), "import OK.cpy OUT.FLF").exit_code, 0);
  std::string flf = ReadAll(dir.File("OUT.FLF")), rdf = ReadAll(dir.File("OUT.RDF"));
  EXPECT_EQ(Qeldef(dir.path(), "import BAD.cpy OUT.FLF").exit_code, 1);
  EXPECT_EQ(ReadAll(dir.File("OUT.FLF")), flf);
  EXPECT_EQ(ReadAll(dir.File("OUT.RDF")), rdf);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"BAD.cpy", "OK.cpy", "OUT.FLF", "OUT.RDF"}));
}

TEST(ImportCommandTest, OptionsReachTheFileDefinitionAndBadValuesAreRefused) {
  ScratchDir dir;
  dir.Write("C.cpy", Fixed({"01 R PIC X(3)."}));
  RunResult r = Qeldef(dir.path(), "import --organisation VK --format=VB C.cpy OUT.FLF");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 33), "organisation\tVK\nrecord format\tVB\n");
  EXPECT_EQ(Qeldef(dir.path(), "import --format X C.cpy O2.FLF").exit_code, 1);
  EXPECT_EQ(Qeldef(dir.path(), "import --organisation I C.cpy O2.FLF").exit_code, 1);
  EXPECT_EQ(Qeldef(dir.path(), "import --bogus C.cpy O2.FLF").exit_code, 1);
  EXPECT_EQ(Qeldef(dir.path(), "import C.cpy").exit_code, 1);
  EXPECT_EQ(Qeldef(dir.path(), "import MISSING.cpy O2.FLF").exit_code, 1);
  EXPECT_FALSE(dir.Exists("O2.FLF"));
}

TEST(ImportCommandTest, PicColumnSpellsEachEntryInCobolWords) {
  ScratchDir dir;
  dir.Write("C.cpy", Fixed({"01 R.", "   05 A PIC S9(5)V99 COMP-3.", "   05 B PIC S9(3) SIGN LEADING SEPARATE.",
                            "   05 C PIC ZZ,ZZ9.99- BLANK WHEN ZERO.", "   05 D PIC 9(4) COMP.",
                            "   05 E PIC N(3) JUST.", "   05 F PIC X(3) SYNC.",
                            "   05 G USAGE COMP-1."}));
  ASSERT_EQ(Qeldef(dir.path(), "import C.cpy OUT.FLF").exit_code, 0);
  RunResult r = Qeldef(dir.path(), "--pic OUT.FLF");
  ASSERT_EQ(r.exit_code, 0);
  auto lines = r.out;
  EXPECT_NE(lines.find("\tA\t6\t4\t5\t2\t0\t0\tPIC S9(5)V99 COMP-3\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("\tPIC S9(3) SIGN LEADING SEPARATE\n"), std::string::npos);
  EXPECT_NE(lines.find("\tPIC ZZ,ZZ9.99- BLANK WHEN ZERO\n"), std::string::npos);
  EXPECT_NE(lines.find("\tPIC 9(4) COMP\n"), std::string::npos);
  EXPECT_NE(lines.find("\tPIC N(3) JUSTIFIED RIGHT\n"), std::string::npos);
  EXPECT_NE(lines.find("\tPIC X(3) SYNCHRONIZED\n"), std::string::npos);
  EXPECT_NE(lines.find("\tCOMP-1\n"), std::string::npos);
  EXPECT_EQ(Qeldef(dir.path(), "OUT.FLF").out.find("PIC"), std::string::npos);
}

}  // namespace
}  // namespace qel::copybook::test
