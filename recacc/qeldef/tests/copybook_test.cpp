// The copybook reader's source handling (columns, continuations, comments,
// separators, encodings), pictures, positions of redefinitions and the
// export's gaps, overlaps and kinds without a clause.
#include <gtest/gtest.h>

#include "recacc/qeldef/copybook_export.h"
#include "recacc/qeldef/copybook_import.h"
#include "recacc/qeldef/copybook_reader.h"
#include "recacc/qeldef/definition_writer.h"
#include "recacc/qeldef/picture.h"
#include "recacc/qeldef/tests/qeldef_runner.h"

namespace qel::copybook {
namespace {

ReadResult Read(const std::string& text, bool free_format = false, bool utf8 = false) {
  ReadOptions options;
  options.free_format = free_format;
  options.utf8 = utf8;
  return ReadCopybook(text, options);
}

std::vector<int> Reasons(const ImportResult& r) {
  std::vector<int> reasons;
  for (const Diagnostic& d : r.diagnostics) reasons.push_back(d.reason);
  return reasons;
}

std::vector<std::string> Names(const ReadResult& r) {
  std::vector<std::string> names;
  for (const Entry& e : r.entries) names.push_back(e.name);
  return names;
}

TEST(CopybookReaderTest, SequenceAreaIndicatorsAndTextPastColumn72AreNotRead) {
  auto to72 = [](std::string line) { return line + std::string(72 - line.size(), ' '); };
  std::string text = to72("000100 01  REC.") + "IGNORED1\n" +
                     "000200*    05  NOT-AN-ITEM PIC X.\n"
                     "000300/    05  NOT-AN-ITEM PIC X.\n"
                     "000400D    05  DEBUG-ITEM PIC X.\n"
                     "\n" +
                     to72("000500     05  a-lower   pic x(3).") + "05 NOPE PIC X.\n" +
                     "\t    05  TABBED PIC X.\n";
  ReadResult r = Read(text);
  EXPECT_TRUE(r.diagnostics.empty());
  EXPECT_EQ(Names(r), (std::vector<std::string>{"REC", "A-LOWER", "TABBED"}));
  EXPECT_EQ(r.entries[1].picture, "X(3)");
  EXPECT_EQ(r.entries[2].line, 7);
}

TEST(CopybookReaderTest, ContinuationJoinsWordsAndLiteralsAndKeepsTheEntriesAfterThem) {
  std::string text =
      "       01  REC.\n"
      "           05  LONG-NA\n"
      "      -        ME PIC X(4).\n"
      "           05  V PIC X(60) VALUE \"HAS *> AND . INSIDE AND RUNS TO COLUMN 72 AN\n"
      "      -    \"D ON. 05 FAKE PIC X.\".\n"
      "           05  W PIC X(2) VALUE 'IT''S'.\n"
      "           05  S PIC 9 VALUES 1, 2, 3.\n"
      "               88  ONE-TO-3 VALUES ARE 1 THRU 3 *> condition\n"
      "                   4.\n"
      "           05  E PIC ZZ9.99.\n"
      "           05  N PIC 9.\n";
  ReadResult r = Read(text);
  EXPECT_TRUE(r.diagnostics.empty());
  EXPECT_EQ(Names(r), (std::vector<std::string>{"REC", "LONG-NAME", "V", "W", "S", "E", "N"}));
  EXPECT_EQ(r.entries[5].picture, "ZZ9.99");
  EXPECT_EQ(r.entries[6].picture, "9");
  EXPECT_EQ(r.entries[6].line, 11);
}

TEST(CopybookReaderTest, FreeFormatTakesWholeLinesAndFloatingComments) {
  ReadResult r = Read("*> heading\n01 R. *> the record\n  05 A\n     PIC X(2).\n05 B PIC 9 *> .\n .\n",
                      true);
  EXPECT_TRUE(r.diagnostics.empty());
  EXPECT_EQ(Names(r), (std::vector<std::string>{"R", "A", "B"}));
  EXPECT_EQ(r.entries[2].picture, "9");
}

TEST(CopybookReaderTest, Utf8InputBecomesCp932AndAnUnmappableCharacterIsAFault) {
  // 社員 in UTF-8 and in CP932.
  ReadResult r = Read("       01  \xE7\xA4\xBE\xE5\x93\xA1 PIC X.\n", false, true);
  ASSERT_EQ(r.entries.size(), 1u);
  EXPECT_EQ(r.entries[0].name, "\x8E\xD0\x88\xF5");
  // An emoji has no CP932 form.
  ReadResult bad = Read("       01  R PIC X.\n       05 \xF0\x9F\x98\x80 PIC X.\n", false, true);
  ASSERT_EQ(bad.diagnostics.size(), 1u);
  EXPECT_EQ(bad.diagnostics[0].line, 2);
  EXPECT_EQ(bad.diagnostics[0].reason, kReasonEncoding);
}

TEST(CopybookReaderTest, DoubleByteNamesKeepTheirSecondBytesThroughImportWriteAndRead) {
  // 表ソ (second bytes 0x5C, 0x5C) and ヂa: second byte 0x61 must not be upper-cased.
  std::string name = "\x95\x5C\x83\x5C\x83\x61";
  // Characters of 0xF040-0xFCFC, whose first byte the definition reader takes
  // singly, so that their second byte looks like a lead byte, at the end of a
  // name and before other characters.
  std::string user = "\x8E\xD0\xCD\xF5\x88";
  std::string user_inside = "\xF5\x88\x88\x9F\xF0\x40X";
  ImportResult r = ImportCopybook(Read("       01  " + name + "-r.\n           05 x PIC X.\n" +
                                       "           05 " + user + " PIC X.\n" +
                                       "           05 " + user_inside + " PIC X.\n"),
                                  {});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.items[2].name, user);
  EXPECT_EQ(r.items[3].name, user_inside);
  EXPECT_EQ(r.items[0].name, name + "-R");
  test::ScratchDir dir;
  uint32_t status = 0;
  ASSERT_EQ(WriteDefinitionPair(dir.File("D.FLF"), "S", "F", r.items, &status),
            WriteResult::kWritten);
  auto back = ReadItemRecords(dir.File("D.FLF"));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, r.items);
}

TEST(CopybookImportTest, RedefinitionsShareTheirObjectsStartAndTheNextItemFollowsTheObject) {
  ImportResult r = ImportCopybook(
      Read("       01 R.\n"
           "          05 A PIC X(6).\n"
           "          05 B REDEFINES A PIC 9(6).\n"
           "          05 C REDEFINES B.\n"
           "             10 C1 PIC X(2).\n"
           "             10 C2 PIC X(3).\n"
           "          05 D PIC X.\n"),
      {});
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.items.size(), 7u);
  EXPECT_EQ(r.items[2].burl, "0");
  EXPECT_EQ(r.items[2].renm, "A");
  EXPECT_EQ(r.items[3].burl, "0");
  EXPECT_EQ(r.items[3].renm, "B");
  EXPECT_EQ(r.items[5].burl, "2");
  EXPECT_EQ(r.items[6].burl, "6");
  EXPECT_EQ(r.items[0].dale, "7");
  EXPECT_EQ(r.record_length, 7);
}

TEST(CopybookImportTest, CopybookWithoutARecordIsPlacedUnderOneNamedAfterTheDefinition) {
  ImportOptions options;
  options.default_record_name = "ORDERS";
  ImportResult r = ImportCopybook(Read("       05 A PIC X.\n       05 B PIC X(2).\n"), options);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.items.size(), 3u);
  EXPECT_EQ(r.items[0].level, "01");
  EXPECT_EQ(r.items[0].name, "ORDERS");
  EXPECT_EQ(r.items[0].dale, "3");
  EXPECT_EQ(r.items[2].burl, "1");
}

TEST(CopybookImportTest, NationalKindsCountTwoBytesPerCharacter) {
  ImportResult r = ImportCopybook(Read("       01 R.\n"
                                       "          05 A PIC G(3) DISPLAY-1.\n"
                                       "          05 B PIC N(2)BN.\n"
                                       "          05 C PIC N(2) USAGE NATIONAL.\n"
                                       "          05 D PIC X USAGE NATIONAL.\n"),
                                  {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(Reasons(r), (std::vector<int>{kWarnNationalEdited, kReasonUsagePicture}));
  r = ImportCopybook(Read("       01 R.\n"
                          "          05 A PIC G(3) DISPLAY-1.\n"
                          "          05 B PIC N(2)BN.\n"
                          "          05 C PIC N(2) USAGE NATIONAL.\n"),
                     {});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.items[1].dtat + r.items[1].dale, "N3");
  EXPECT_EQ(r.items[2].dtat + r.items[2].dale + r.items[2].edcs, "NE4NNBN");
  EXPECT_EQ(r.items[3].burl, "14");
  EXPECT_EQ(r.record_length, 18);
}

TEST(PictureTest, CategoriesDigitsAndExpandedEditStrings) {
  Picture num = AnalysePicture("S9(5)V99");
  EXPECT_EQ(num.category, PictureCategory::kNumeric);
  EXPECT_TRUE(num.sign);
  EXPECT_EQ(num.integer_digits, 5);
  EXPECT_EQ(num.fraction_digits, 2);
  Picture edit = AnalysePicture("Z(3)9.99CR");
  EXPECT_EQ(edit.category, PictureCategory::kNumericEdited);
  EXPECT_EQ(edit.expanded, "ZZZ9.99CR");
  EXPECT_EQ(edit.positions, 9);
  EXPECT_EQ(AnalysePicture("X(2)BX").category, PictureCategory::kAlphanumericEdited);
  EXPECT_EQ(AnalysePicture("NBN").category, PictureCategory::kNationalEdited);
  EXPECT_EQ(AnalysePicture("G(4)").category, PictureCategory::kNational);
  EXPECT_EQ(AnalysePicture("A9X").category, PictureCategory::kAlphanumeric);
  for (const char* edited : {"+(3)", "$$.99", "*", "-Z"})
    EXPECT_EQ(AnalysePicture(edited).category, PictureCategory::kNumericEdited) << edited;
  for (const char* bad : {"", "X(", "X()", "X(0)", "9V9V9", "X(99999999)", "9S", "S", "(3)", "X)",
                          "V", "B", "+", "$.B", "CR"})
    EXPECT_EQ(AnalysePicture(bad).category, PictureCategory::kInvalid) << bad;
}

ItemRecord Item(const char* level, const char* name, const char* dtat, const char* dale,
                const char* burl) {
  ItemRecord i;
  i.level = level;
  i.name = name;
  i.dtat = dtat;
  i.dale = dale;
  i.burl = burl;
  return i;
}

TEST(CopybookExportTest, GapsBecomeFillerAndKindsWithoutAClauseBecomeBytesWithAComment) {
  std::vector<ItemRecord> items = {Item("01", "R", "G", "0", "0"), Item("05", "A", "X", "3", "0"),
                                   Item("05", "B", "XD", "8", "5"), Item("05", "C", "1", "3", "13"),
                                   Item("05", "D", "B", "2", "15")};
  items[3].birl = "6";
  items[4].sync = "T";
  ExportResult e = ExportCopybook(items, false, "R.FLF");
  ASSERT_TRUE(e.ok) << e.fault_item;
  EXPECT_EQ(e.text,
            "       *> R.FLF\n"
            "       01  R.\n"
            "           05  A PIC X(3).\n"
            "           05  FILLER PIC X(2).\n"
            "           *> date item\n"
            "           05  B PIC X(8).\n"
            "           *> bit item\n"
            "           05  C PIC X(2).\n"
            "           *> SYNCHRONIZED\n"
            "           05  D PIC S99 COMP.\n");
  ExportResult native = ExportCopybook(items, true, "R.FLF");
  EXPECT_NE(native.text.find("*> SYNCHRONIZED, 2 bytes\n           05  D PIC S9(3) COMP-5."),
            std::string::npos)
      << native.text;
}

TEST(CopybookExportTest, AnOverlapThatIsNoRedefinitionIsRefused) {
  std::vector<ItemRecord> items = {Item("01", "R", "G", "0", "0"), Item("05", "A", "X", "3", "0"),
                                   Item("05", "B", "X", "3", "2")};
  ExportResult e = ExportCopybook(items, false, "R.FLF");
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.fault_item, "B");
}

TEST(CopybookExportTest, LongEntriesWrapInsideColumn72) {
  std::vector<ItemRecord> items = {Item("01", "A23456789012345678901234567890", "G", "0", "0"),
                                   Item("05", "B23456789012345678901234567890", "S", "9.9", "0")};
  items[1].renm = "C23456789012345678901234567890";
  items[1].anum = "12";
  items[1].sign = "3";
  ExportResult e = ExportCopybook(items, false, "R.FLF");
  ASSERT_TRUE(e.ok);
  std::size_t start = 0;
  int lines = 0;
  while (start < e.text.size()) {
    std::size_t end = e.text.find('\n', start);
    EXPECT_LE(end - start, 72u) << e.text;
    start = end + 1;
    ++lines;
  }
  EXPECT_GE(lines, 4);
  EXPECT_NE(e.text.find("SIGN TRAILING SEPARATE."), std::string::npos);
}

TEST(CopybookExportTest, DeepEntriesKeepTheirLongestWordsInsideColumn72) {
  // Twenty levels of groups: the indent stops growing where a 30-byte name
  // or edit picture with its period still ends by column 72.
  std::vector<ItemRecord> items;
  for (int level = 1; level <= 20; ++level) {
    std::string name = std::string(29, 'A' + level % 26) + (level < 20 ? "G" : "");
    items.push_back(Item(std::to_string(level).c_str(), name.c_str(), "G", "0", "0"));
  }
  items.back().dtat = "XE";
  items.back().dale = "30";
  items.back().edcs = "XBXBXBXBXBXBXBXBXBXBXBXBXBXBXB";
  items.push_back(Item("20", std::string(30, 'Z').c_str(), "X", "1", "30"));
  ExportResult e = ExportCopybook(items, false, "R.FLF");
  ASSERT_TRUE(e.ok) << e.fault_item;
  std::size_t start = 0;
  while (start < e.text.size()) {
    std::size_t end = e.text.find('\n', start);
    EXPECT_LE(end - start, 72u) << e.text;
    start = end + 1;
  }
  ImportResult again = ImportCopybook(Read(e.text), {});
  ASSERT_TRUE(again.ok) << e.text;
  ASSERT_EQ(again.items.size(), items.size());
  for (std::size_t k = 0; k < items.size(); ++k) EXPECT_EQ(again.items[k].name, items[k].name);
  EXPECT_EQ(again.items[19].edcs, items[19].edcs);
}

}  // namespace
}  // namespace qel::copybook
