// The console converter's command line: scanning, first-occurrence values,
// later outcomes, and every check in its order.
#include "xform/batch/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qel::xform::batch {
namespace {

CheckedCommand Check(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> args;
  for (std::string w; in >> w;) args.push_back(w);
  return CheckCommand(ScanArguments(args));
}

int Message(const std::string& line) { return Check(line).message; }

TEST(CommandLine, SamToCsvWithTheDefaults) {
  CheckedCommand c = Check("/fsc /i IN.DAT /d DEF.FLF /o OUT.CSV");
  ASSERT_EQ(c.message, 0);
  EXPECT_EQ(c.kind, kKindSamToCsv);
  EXPECT_STREQ(c.table.InFileName, "IN.DAT");
  EXPECT_STREQ(c.table.SheetFileName, "DEF.FLF");
  EXPECT_STREQ(c.table.OutFileName, "OUT.CSV");
  EXPECT_STREQ(c.table.Separator, ",");
  EXPECT_STREQ(c.table.CharSeparator, "\"");
  EXPECT_EQ(c.table.Title, 0);
  EXPECT_EQ(c.table.BinaryCode, 0);
  EXPECT_EQ(c.table.BwzType, 0);
}

TEST(CommandLine, OptionsOfTheCsvKinds) {
  CheckedCommand c = Check("/f cs /i IN.CSV /d def.flf /o OUT.DAT /n y /e b /b t /s ;;");
  ASSERT_EQ(c.message, 0);
  EXPECT_EQ(c.kind, kKindCsvToSam);
  EXPECT_EQ(c.table.Title, 1);
  EXPECT_EQ(c.table.BinaryCode, 1);
  EXPECT_EQ(c.table.BwzType, 1);
  EXPECT_STREQ(c.table.Separator, ";");
  EXPECT_STREQ(Check("/fsc /iA /dD.FLF /oB /s {TAB}").table.Separator, "\t");
  EXPECT_STREQ(Check("/fsc /iA /dD.FLF /oB /s{SPACE}").table.Separator, " ");
  EXPECT_STREQ(Check("/fsc /iA /dD.FLF /oB /s " + std::string(256, ';')).table.Separator, ",");
}

TEST(CommandLine, DefinitionExtension) {
  EXPECT_EQ(Message("/f sc /i IN.DAT /d DEF.Flf /o OUT.CSV"), 2724);
  EXPECT_EQ(Message("/f sc /i IN.DAT /d DEF /o OUT.CSV"), 2724);
  EXPECT_EQ(Message("/f sc /i IN.DAT /d DEF.FLFX /o OUT.CSV"), 2724);
  EXPECT_EQ(Message("/f sc /i IN.DAT /o OUT.CSV"), 3753);
  EXPECT_EQ(Message("/f cs /i IN.DAT /o OUT.CSV"), 3755);
  EXPECT_EQ(Message("/f cs /i IN /d " + std::string(252, 'd') + ".flf /o O"), 3762);
  EXPECT_EQ(Message("/f ic /i IN /d " + std::string(252, 'd') + ".flf /o O"), 3760);
}

TEST(CommandLine, RecordLength) {
  CheckedCommand c = Check("/fst /iA /oB /l+80");
  ASSERT_EQ(c.message, 0);
  EXPECT_EQ(c.kind, kKindSamToTxt);
  EXPECT_EQ(c.table.Reclen, 80);
  EXPECT_EQ(Check("/fts /iA /oB /l65535").table.Reclen, 65535);
  EXPECT_EQ(Message("/fst /iA /oB /l 0"), 3763);
  EXPECT_EQ(Message("/fst /iA /oB /l 100000"), 3763);
  EXPECT_EQ(Message("/fst /iA /oB /l 012345"), 3763);
  EXPECT_EQ(Message("/fst /iA /oB /l 12a"), 3763);
  EXPECT_EQ(Message("/fst /iA /oB /l 65536"), 3763);
  EXPECT_EQ(Message("/fst /iA /oB"), 3756);
  EXPECT_EQ(Message("/fvs /iA /l 5"), 3754);
}

TEST(CommandLine, MissingValues) {
  EXPECT_EQ(Message("/i /o OUT /fst /l 8"), 3752);
  EXPECT_EQ(Message("/i A /o OUT"), 3751);
  EXPECT_EQ(Message("/f"), 3751);
  EXPECT_EQ(Message("/fxx /iA"), 3758);
  EXPECT_EQ(Message("/fsc /i " + std::string(256, 'i') + " /oB"), 3759);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /o " + std::string(256, 'o')), 3761);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF"), 3754);
}

TEST(CommandLine, KeywordValuesAndStrayArguments) {
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /n Y"), 3764);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /e x"), 3765);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /b yes"), 3766);
  EXPECT_EQ(Message("/fSC /iA /dD.FLF /oB"), 3758);
  EXPECT_EQ(Message("/F sc /iA /dD.FLF /oB"), 3751);
  EXPECT_EQ(Message("X /z /fsc /iA /dD.FLF /oB"), 0);
  // The record-length kinds neither check nor use the CSV options.
  EXPECT_EQ(Message("/fst /iA /oB /l8 /n bad /d x"), 0);
}

TEST(CommandLine, FirstValueLaterOutcome) {
  CheckedCommand c = Check("/fsc /iA /iB /dD.FLF /oO");
  ASSERT_EQ(c.message, 0);
  EXPECT_STREQ(c.table.InFileName, "A");
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oO /n y /n bad"), 3764);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oO /i"), 3752);
  EXPECT_EQ(Check("/fsc /iA /dD.FLF /oO /n y /n n").table.Title, 1);
}

TEST(CommandLine, AbsolutePathsAreValues) {
  CheckedCommand c = Check("/f sc /i /data/IN.DAT /d /defs/DEF.FLF /o /tmp/OUT.CSV");
  ASSERT_EQ(c.message, 0);
  EXPECT_STREQ(c.table.InFileName, "/data/IN.DAT");
  EXPECT_STREQ(c.table.SheetFileName, "/defs/DEF.FLF");
  EXPECT_STREQ(c.table.OutFileName, "/tmp/OUT.CSV");
  EXPECT_STREQ(Check("/fsc /i/data/IN.DAT /dD.FLF /oO").table.InFileName, "/data/IN.DAT");
}

TEST(CommandLine, IndexedInputExtension) {
  EXPECT_EQ(Message("/fic /iDATA.DAT /dD.FLF /oO"), 2725);
  EXPECT_EQ(Message("/fic /iDATA /dD.FLF /oO"), 0);
  EXPECT_EQ(Message("/fic /iDATA.KDF /dD.FLF /oO"), 0);
  EXPECT_EQ(Message("/fic /iDATA.kdf /dD.Flf /oO"), 2724);
}

TEST(CommandLine, CsvEncodingOfTheCsvKinds) {
  EXPECT_EQ(Check("/fsc /iA /dD.FLF /oB").table.CsvCode, 0);
  EXPECT_EQ(Check("/fsc /iA /dD.FLF /oB /c s").table.CsvCode, 0);
  for (const char* kind : {"sc", "cs", "ic"}) {
    CheckedCommand c = Check(std::string("/f") + kind + " /iA /dD.FLF /oB /c u");
    EXPECT_EQ(c.message, 0) << kind;
    EXPECT_EQ(c.table.CsvCode, 1) << kind;
  }
  EXPECT_EQ(Check("/fsc /iA /dD.FLF /oB /cu").table.CsvCode, 1);
}

TEST(CommandLine, CsvEncodingIsCheckedLikeTheOtherKeywords) {
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /c x"), 3767);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /c U"), 3767);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /c " + std::string(256, 'u')), 3767);
  EXPECT_EQ(Message("/fcs /iA /dD.FLF /oB /c u /c x"), 3767);
  // /c missing its value is absent, as /n, /e and /b are.
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /c"), 0);
  // The checks before it come first.
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /c x /b z"), 3766);
}

TEST(CommandLine, CsvEncodingIsIgnoredWhereThereIsNoCsv) {
  for (const char* kind : {"st", "ts", "vs"}) {
    for (const char* value : {"u", "x"}) {
      CheckedCommand c = Check(std::string("/f") + kind + " /iA /oB /l 80 /c " + value);
      EXPECT_EQ(c.message, 0) << kind << value;
      EXPECT_EQ(c.table.CsvCode, 0) << kind << value;
    }
  }
}

TEST(CommandLine, SeparatorsThatCanStandInsideAFieldAreRefused) {
  for (std::string refused : {"0", "5", "9", ".", "+", "-", "\"", "\r", "\n", ".;", "1{TAB}"}) {
    for (const char* kind : {"sc", "cs", "ic"}) {
      std::vector<std::string> args = {"/f",    kind, "/i", "A",  "/d",
                                       "D.FLF", "/o", "B",  "/s", refused};
      EXPECT_EQ(CheckCommand(ScanArguments(args)).message, 2733)
          << kind << " " << static_cast<int>(refused[0]);
    }
  }
  for (const char* accepted : {";", "|", "a", "{TAB}", "{SPACE}", "/x"}) {
    std::vector<std::string> args = {
        "/f", "sc", "/i", "A", "/d", "D.FLF", "/o", "B", "/s" + std::string(accepted)};
    EXPECT_EQ(CheckCommand(ScanArguments(args)).message, 0) << accepted;
  }
  // In its place among the checks: after /n, before /e; and not for the
  // kinds without CSV.
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /n x /s ."), 3764);
  EXPECT_EQ(Message("/fsc /iA /dD.FLF /oB /s . /e x"), 2733);
  EXPECT_EQ(Message("/fst /iA /oB /l 80 /s ."), 0);
}

}  // namespace
}  // namespace qel::xform::batch
