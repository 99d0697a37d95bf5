// Positions of imported copybooks against GnuCOBOL: every layout entry's
// offset and length as qeldef lists them must equal what a COBOL program that
// copies the copybook measures. The same holds for the copybook exported
// from the imported definition, which imports again to the same items.
#include <gtest/gtest.h>

#include "recacc/qeldef/copybook_export.h"
#include "recacc/qeldef/definition_writer.h"
#include "recacc/qeldef/tests/qeldef_runner.h"

namespace qel::copybook {

void PrintTo(const ItemRecord& i, std::ostream* os) {
  *os << i.level << " " << i.name << " " << i.dtat << " " << i.dale << " " << i.anum << " "
      << i.edcs << " " << i.renm << " " << i.usag << " " << i.burl << " " << i.blwz << i.just
      << i.sign << i.sync;
}

namespace test {
namespace {

struct Case {
  const char* copybook;  // in the copybooks folder
  const char* options;   // for qeldef import
  const char* wrapper;   // the 01 a program supplies around a copybook without one
  bool free_format;
  int entries;           // layout entries expected
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.copybook; }

class CobolPositionsTest : public testing::TestWithParam<Case> {
 protected:
  std::string Source() const { return std::string(QEL_TEST_COPYBOOKS) + "/" + GetParam().copybook; }

  // Imports into NAME.FLF and checks every entry against GnuCOBOL.
  std::vector<LayoutEntry> ImportAndMeasure(const std::string& copybook, const std::string& flf,
                                            const std::string& options) {
    RunResult r = Qeldef(dir_.path(), "import " + options + " " + Quote(copybook) + " " + flf);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<LayoutEntry> layout = ParseLayout(r.out);
    ExpectGnuCobolAgrees(copybook, layout, GetParam().wrapper, GetParam().free_format);
    return layout;
  }

  void ExpectGnuCobolAgrees(const std::string& copybook, const std::vector<LayoutEntry>& layout,
                            const std::string& wrapper, bool free_format) {
    std::string log;
    auto measured = CobolPositions(dir_, copybook, layout, wrapper, free_format, &log);
    ASSERT_FALSE(layout.empty());
    ASSERT_EQ(measured.size(), layout.size()) << log;
    for (std::size_t k = 0; k < layout.size(); ++k) {
      EXPECT_EQ(layout[k].position, measured[k].first) << "offset of " << layout[k].name;
      EXPECT_EQ(layout[k].bytes, measured[k].second) << "length of " << layout[k].name;
    }
  }

  ScratchDir dir_;
};

TEST_P(CobolPositionsTest, EveryEntryHasGnuCobolsOffsetAndLength) {
  std::vector<LayoutEntry> layout = ImportAndMeasure(Source(), "IMPORTED.FLF", GetParam().options);
  EXPECT_EQ(static_cast<int>(layout.size()), GetParam().entries);
}

// The layout leaves redefinitions out; their item records must be right as
// well (they are what export writes and what a later layout may use).
TEST_P(CobolPositionsTest, EveryNamedItemRecordHasGnuCobolsOffsetAndLength) {
  ImportAndMeasure(Source(), "IMPORTED.FLF", GetParam().options);
  auto items = ReadItemRecords(dir_.File("IMPORTED.FLF"));
  ASSERT_TRUE(items);
  std::vector<LayoutEntry> named;
  for (const ItemRecord& i : *items) {
    if (i.name == "FILLER") continue;
    LayoutEntry e;
    e.name = i.name;
    e.level = std::stoi(i.level);
    e.occurrence = std::stoi(i.anum) > 0 ? 1 : 0;
    e.position = std::stoi(i.burl);
    e.bytes = i.dtat == "G" ? std::stoi(i.dale) : static_cast<int>(ElementaryBytes(i));
    named.push_back(e);
  }
  ExpectGnuCobolAgrees(Source(), named, GetParam().wrapper, GetParam().free_format);
}

TEST_P(CobolPositionsTest, ExportedCopybookCompilesMeasuresAlikeAndImportsToTheSameItems) {
  std::vector<LayoutEntry> layout = ImportAndMeasure(Source(), "IMPORTED.FLF", GetParam().options);
  ASSERT_FALSE(layout.empty());
  RunResult exported = Qeldef(dir_.path(), "export IMPORTED.FLF EXPORTED.cpy");
  ASSERT_EQ(exported.exit_code, 0) << exported.err << exported.out;
  dir_.Write("CHECK.cob",
             "       IDENTIFICATION DIVISION.\n       PROGRAM-ID. CHECK.\n"
             "       DATA DIVISION.\n       WORKING-STORAGE SECTION.\n"
             "       COPY \"EXPORTED.cpy\".\n       PROCEDURE DIVISION.\n           STOP RUN.\n");
  RunResult syntax = RunIn(dir_.path(), "cobc -fsyntax-only -fbinary-size=2-4-8 CHECK.cob");
  EXPECT_EQ(syntax.exit_code, 0) << syntax.out << syntax.err << ReadAll(dir_.File("EXPORTED.cpy"));
  // The export always writes its record's 01 and fixed format.
  ExpectGnuCobolAgrees(dir_.File("EXPORTED.cpy"), layout, "", false);

  RunResult again = Qeldef(dir_.path(), "import EXPORTED.cpy AGAIN.FLF");
  ASSERT_EQ(again.exit_code, 0) << again.err;
  auto first = ReadItemRecords(dir_.File("IMPORTED.FLF"));
  auto second = ReadItemRecords(dir_.File("AGAIN.FLF"));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(*first, *second);
}

INSTANTIATE_TEST_SUITE_P(
    Copybooks, CobolPositionsTest,
    testing::Values(Case{"kinds.cpy", "", "", false, 38},
                    Case{"tables.cpy", "", "", false, 223},
                    Case{"free.cpy", "--free", "IMPORTED", true, 18},
                    Case{"native.cpy", "", "", false, 4},
                    Case{"overlays.cpy", "", "", false, 9}),
    [](const testing::TestParamInfo<Case>& info) {
      std::string name = info.param.copybook;
      return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace test
}  // namespace qel::copybook
