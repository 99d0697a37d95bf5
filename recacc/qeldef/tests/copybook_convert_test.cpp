// A definition imported from a copybook converts exactly as a hand-written
// one: the sample file with the sample copybook against the bundled
// definition, and a file written by a COBOL program against the definition
// the definition editor would have written for its record.
#include <gtest/gtest.h>

#include "recacc/qeldef/tests/qeldef_runner.h"

namespace qel::copybook::test {
namespace {

std::string Xform(const std::string& args) { return Quote(QEL_TEST_XFORMBATCH) + " " + args; }

TEST(CopybookConvertTest, SampleCopybookConvertsTheSampleFileAsTheBundledDefinition) {
  ScratchDir dir;
  std::string samples = QEL_TEST_SAMPLES;
  RunResult imported =
      Qeldef(dir.path(), "import --format FB " + Quote(samples + "/SHAIN.cpy") + " SHAIN.FLF");
  ASSERT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
  std::string data = Quote(samples + "/SHAIN.DAT");
  RunResult a = RunIn(dir.path(), Xform("/f sc /i " + data + " /d SHAIN.FLF /o A.CSV /n y"));
  RunResult b = RunIn(dir.path(), Xform("/f sc /i " + data + " /d " + Quote(samples + "/SHAIN.FLF") +
                                        " /o B.CSV /n y"));
  ASSERT_EQ(a.exit_code, 0) << a.out;
  ASSERT_EQ(b.exit_code, 0) << b.out;
  std::string csv = ReadAll(dir.File("A.CSV"));
  EXPECT_GT(csv.size(), 100u);
  EXPECT_EQ(csv, ReadAll(dir.File("B.CSV")));
}

// The definition as the definition editor writes it: bare words, SIGN 0 on
// packed items, no EDCS, RENM or USAG fields.
std::string HandWritten() {
  struct I {
    const char *level, *name, *dtat, *dale, *burl, *anum = "0", *sign = "0", *renm = "";
  };
  const I items[] = {
      {"01", "CONV-REC", "G", "0", "0"},          {"03", "C-CODE", "X", "4", "0"},
      {"03", "C-NAME", "N", "3", "4"},            {"03", "C-ZONED", "S", "3.2", "10", "0", "1"},
      {"03", "C-LEAD", "S", "3", "15", "0", "4"}, {"03", "C-TSEP", "S", "3", "18", "0", "3"},
      {"03", "C-LSEP", "S", "3.1", "22", "0", "2"}, {"03", "C-UNSIGNED", "9", "4", "27"},
      {"03", "C-BINARY", "B", "7.2", "31"},       {"03", "C-BIN-U", "C", "4", "35"},
      {"03", "C-PACKED", "P", "5.2", "37"},       {"03", "C-PACKED-U", "U", "3", "41"},
      {"03", "C-MONTHS", "P", "3", "43", "3"},    {"03", "C-ORIG", "X", "4", "49"},
      {"03", "C-ORIG-NUM", "9", "4", "49", "0", "0", "C-ORIG"},
      {"03", "FILLER", "X", "2", "53"},           {"03", "C-NOTE", "X", "5", "55"},
  };
  std::string out =
      "HEDR FMVR 0100 ; PPNM T ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
      "ENDHEDR ;\nBODR RNUM " + std::to_string(std::size(items)) + " ; ENDBODR ;\n";
  for (const I& i : items) {
    out += std::string("ITMR LNUM ") + i.level + " ; DTNM " + i.name + " ; DTAT " + i.dtat +
           " ; DALE " + i.dale + " ; ANUM " + i.anum + " ; SUAF T ; " +
           (*i.renm ? std::string("RENM ") + i.renm + " ; " : "") + "BURL " + i.burl +
           " ; BIRL 0 ; BLWZ F ; JUST F ; SIGN " + i.sign + " ; SYNC F ; ENDITMR ;\n";
  }
  return out +
         "TRAR FMVR 0100 ; PPNM T ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
         "ENDTRAR ;\n";
}

TEST(CopybookConvertTest, CobolWrittenFileConvertsAlikeWithImportedAndHandWrittenDefinitions) {
  ScratchDir dir;
  std::string sources = QEL_TEST_COBOL_SOURCES;
  RunResult built = RunIn(dir.path(), "cobc -x -fbinary-size=2-4-8 -I " + Quote(sources) +
                                          " -o wrconv " + Quote(sources + "/write_convert.cob"));
  ASSERT_EQ(built.exit_code, 0) << built.out << built.err;
  ASSERT_EQ(RunIn(dir.path(), "./wrconv").exit_code, 0);
  ASSERT_EQ(ReadAll(dir.File("CONV.DAT")).size(), 3u * 60u);

  dir.Write("HAND.RDF", HandWritten());
  dir.Write("HAND.FLF",
            "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 HAND.RDF ; "
            "ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n");
  RunResult imported =
      Qeldef(dir.path(), "import " + Quote(sources + "/convert_rec.cpy") + " CONV.FLF");
  ASSERT_EQ(imported.exit_code, 0) << imported.err;

  RunResult hand = RunIn(dir.path(), Xform("/f sc /i CONV.DAT /d HAND.FLF /o HAND.CSV /n y /e b"));
  RunResult mine = RunIn(dir.path(), Xform("/f sc /i CONV.DAT /d CONV.FLF /o CONV.CSV /n y /e b"));
  ASSERT_EQ(hand.exit_code, 0) << hand.out;
  ASSERT_EQ(mine.exit_code, 0) << mine.out;
  std::string csv = ReadAll(dir.File("CONV.CSV"));
  EXPECT_NE(csv.find("-1234567.89"), std::string::npos) << csv;
  EXPECT_EQ(csv, ReadAll(dir.File("HAND.CSV")));
  // The same layout, entry for entry.
  EXPECT_EQ(Qeldef(dir.path(), "CONV.FLF").out.substr(0, 200).find("record length\t60"), 31u);
  EXPECT_EQ(ParseLayout(Qeldef(dir.path(), "CONV.FLF").out).size(),
            ParseLayout(Qeldef(dir.path(), "HAND.FLF").out).size());
}

}  // namespace
}  // namespace qel::copybook::test
