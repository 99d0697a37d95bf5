// KRACSproc and the definition calls: statuses and sub-codes of every
// failure, the record definition path, and a realistic customer record.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "recacc/qelrecacc.h"
#include "recacc/tests/definition_fixture.h"

namespace qel::recacc {
namespace {

using test::Item;

const char kOneItem[] =
    "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nBODR RNUM 1 ; ENDBODR ;\n"
    "ITMR LNUM 01 ; DTNM CUST-REC ; DTAT X ; DALE 20 ; ANUM 0 ; SUAF T ; BURL 0 ; BIRL 0 ;\n"
    "     BLWZ F ; JUST F ; SIGN 0 ; SYNC F ; ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n";

class KracTest : public testing::Test {
 protected:
  void SetUp() override { KRACInit(&dtf_); }
  void TearDown() override { KRACRinfFree(&dtf_); }
  int Run(const std::string& path) {
    path_ = path;
    dtf_.definition_path = path_.c_str();
    return KRACSproc(&dtf_);
  }
  void ExpectFailure(uint32_t status, const char* sub = "0000") {
    EXPECT_EQ(KRACGetStatus(&dtf_), status);
    EXPECT_STREQ(KRACGetSubCode(&dtf_), sub);
    EXPECT_EQ(dtf_.record_layout, nullptr);
  }
  test::TempDir dir_;
  std::string path_;
  DTF dtf_{};
};

TEST_F(KracTest, InitFillsDefaultsAndClearsTheRest) {
  DTF d{};
  std::memset(&d, 0x5A, sizeof d);
  EXPECT_EQ(KRACInit(&d), 0);
  EXPECT_STREQ(d.eye_catcher, "%%DTF");
  EXPECT_STREQ(d.organisation, "S");
  EXPECT_STREQ(d.record_format, "FB");
  EXPECT_EQ(d.definition_path, nullptr);
  EXPECT_EQ(d.record_layout, nullptr);
  EXPECT_EQ(d.status, 0u);
  EXPECT_STREQ(KRACGetSubCode(&d), "0000");
  KRACSetRLength(&d, 80);
  EXPECT_EQ(d.record_length, 80);
}

TEST_F(KracTest, ReadsDefinitionsAndAnswersOrganisationAndFormat) {
  dir_.Write("CUST.RDF", kOneItem);
  ASSERT_EQ(Run(dir_.Write("CUST.FLF", test::FileDefinition("VK", "F", "CUST.RDF"))), 0);
  EXPECT_EQ(KRACGetStatus(&dtf_), 0u);
  EXPECT_STREQ(dtf_.organisation, "VK");
  EXPECT_EQ(KRACFmChk(&dtf_), 1);
  EXPECT_EQ(KRACRmChk(&dtf_), 0);
  EXPECT_EQ(dtf_.record_length, 20);
  ASSERT_EQ(KRACGetEcnt(&dtf_), 1);
  ItemDescriptor e;
  ASSERT_EQ(KRACDainfSet(1, &dtf_, &e), 0);
  EXPECT_STREQ(e.name, "CUST-REC");
  EXPECT_EQ(e.edit_flag, 'T');
  EXPECT_EQ(e.blank_when_zero, 'F');
  EXPECT_EQ(KRACDainfSet(0, &dtf_, &e), -1);
  EXPECT_EQ(KRACGetStatus(&dtf_), 3699u);
  EXPECT_EQ(KRACDainfSet(2, &dtf_, &e), -1);
  // A second KRACSproc replaces the layout (no leak under the sanitizer).
  ASSERT_EQ(KRACSproc(&dtf_), 0);
  EXPECT_EQ(KRACGetStatus(&dtf_), 0u);
}

TEST_F(KracTest, OrganisationAndFormatCodes) {
  struct Case {
    const char* code;
    int fm, rm;
  };
  for (Case c : {Case{"S", 0, 2}, Case{"VK", 1, -1}, Case{"R", 2, -1}, Case{"F", -1, 0},
                 Case{"FB", -1, 0}, Case{"V", -1, 1}, Case{"VB", -1, 1}, Case{"U", -1, 3},
                 Case{"X", -1, -1}}) {
    std::snprintf(dtf_.organisation, 4, "%s", c.code);
    std::snprintf(dtf_.record_format, 4, "%s", c.code);
    EXPECT_EQ(KRACFmChk(&dtf_), c.fm) << c.code;
    if (c.fm < 0) {
      EXPECT_EQ(KRACGetStatus(&dtf_), 2613u);
    }
    EXPECT_EQ(KRACRmChk(&dtf_), c.rm) << c.code;
    if (c.rm < 0) {
      EXPECT_EQ(KRACGetStatus(&dtf_), 2614u);
    }
  }
}

TEST_F(KracTest, RecordDefinitionIsFoundByFileNameInTheDefinitionDirectory) {
  dir_.Write("cust.rdf", kOneItem);
  ASSERT_EQ(Run(dir_.Write("A.FLF", test::FileDefinition("S", "FB", "\"C:\\\\DEF\\\\CUST.RDF\""))),
            0);
  EXPECT_EQ(KRACGetEcnt(&dtf_), 1);
  ASSERT_EQ(Run(dir_.Write("B.FLF", test::FileDefinition("S", "FB", "/elsewhere/Cust.Rdf"))), 0);
}

TEST_F(KracTest, OpenFailures) {
  dtf_.definition_path = nullptr;
  EXPECT_EQ(KRACSproc(&dtf_), -1);
  ExpectFailure(3520, "-5");
  EXPECT_EQ(Run(dir_.path() + "/MISSING.FLF"), -1);
  ExpectFailure(3510);
  EXPECT_EQ(Run(dir_.path() + "/NODIR/MISSING.FLF"), -1);
  ExpectFailure(3510);
  EXPECT_EQ(Run(dir_.Write("EMPTY.FLF", "")), -1);
  ExpectFailure(3520, "-1");
  EXPECT_EQ(Run(dir_.path()), -1);  // a directory
  ExpectFailure(3512);
  EXPECT_EQ(Run(dir_.Write("NOREC.FLF", test::FileDefinition("S", "FB", "NONE.RDF"))), -1);
  ExpectFailure(3511);
  dir_.Write("EMPTY.RDF", "");
  EXPECT_EQ(Run(dir_.Write("ER.FLF", test::FileDefinition("S", "FB", "EMPTY.RDF"))), -1);
  ExpectFailure(3520, "-1");
}

TEST_F(KracTest, DefinitionHeldByAWriterIsInUse) {
  std::string path = dir_.Write("HELD.FLF", test::FileDefinition("S", "FB", "X.RDF"));
  platform::File writer = platform::File::Open(path.c_str(), platform::FileAccess::kReadWrite,
                                               platform::Disposition::kOpenExisting,
                                               platform::ShareMode::kNone);
  ASSERT_TRUE(writer.is_open());
  EXPECT_EQ(Run(path), -1);
  ExpectFailure(3513);
}

TEST_F(KracTest, DefinitionContentFailures) {
  struct Case {
    std::string flf, rdf;
    uint32_t status;
  };
  std::string item = "ITMR LNUM 01 ; DTNM A ; DTAT X ; DALE 1 ; BURL 0 ; ENDITMR ;";
  std::string head = "HEDR ENDHEDR ; BODR RNUM ";
  std::vector<Case> cases = {
      {"HEDR ENDHEDR ; ITMR FIOR S ; SNM0 R.RDF ; ENDITMR ;", kOneItem, 2510},  // no trailer
      {"HEDR ERFG 00 ; ENDHEDR ;", kOneItem, 2510},
      {"HEDR ENDHEDR ; ITMR FIOR S ; [ ; ENDITMR ; TRAR ENDTRAR ;", kOneItem, 2510},
      {test::FileDefinition("S", "FB", "\"\""), kOneItem, 2513},
      {"", head + "0 ; ENDBODR ; TRAR ENDTRAR ;", 2511},
      {"", head + "2 ; ENDBODR ; " + item + " TRAR ENDTRAR ;", 2511},  // trailer for an item
      {"", head + "2 ; ENDBODR ; " + item, 2511},                       // ends early
      {"", head + "10000 ; ENDBODR ; " + item + " TRAR ENDTRAR ;", 2511},
      {"", head + "1 ; ENDBODR ; ITMR LNUM \x81 ", 2511},
  };
  for (const Case& c : cases) {
    dir_.Write("R.RDF", c.rdf);
    std::string flf = c.flf.empty() ? test::FileDefinition("S", "FB", "R.RDF") : c.flf;
    EXPECT_EQ(Run(dir_.Write("C.FLF", flf)), -1) << flf << "\n" << c.rdf;
    ExpectFailure(c.status);
  }
  // The trailer of a record definition is never read.
  dir_.Write("R.RDF", head + "1 ; ENDBODR ; " + item + " TRAR ERFG 99 ;");
  EXPECT_EQ(Run(dir_.Write("C.FLF", test::FileDefinition("S", "FB", "R.RDF"))), 0);
}

TEST_F(KracTest, RecordDefinitionOfTheLargestItemCount) {
  // RNUM 9999 is the largest count; 0 and 10000 are refused above.
  std::vector<Item> items;
  for (int i = 0; i < 9999; ++i) {
    Item it;
    it.level = "05";
    it.name = "I" + std::to_string(i);
    it.dtat = "X";
    it.dale = "1";
    it.burl = std::to_string(i);
    items.push_back(it);
  }
  ASSERT_EQ(test::Sproc(dir_, items, &dtf_), 0) << KRACGetStatus(&dtf_);
  EXPECT_EQ(KRACGetEcnt(&dtf_), 9999);
  EXPECT_EQ(dtf_.record_length, 9999);
  ItemDescriptor last;
  ASSERT_EQ(KRACDainfSet(9999, &dtf_, &last), 0);
  EXPECT_STREQ(last.name, "I9998");
  EXPECT_EQ(last.position, 9998);
}

// A customer master of 47 item records: groups, FILLER, REDEFINES ended by
// the next edited-flag item, condition names, a table of 12 months holding a
// table of 2 returns, and edited, bit, date and time items.
std::vector<Item> CustomerRecord() {
  auto I = [](std::string level, std::string name, std::string dtat, std::string dale,
              int burl, std::string anum = "0") {
    Item i;
    i.level = level;
    i.name = name;
    i.dtat = dtat;
    i.dale = dale;
    i.burl = std::to_string(burl);
    i.anum = anum;
    return i;
  };
  auto T = [](Item i, std::string renm = "", std::string edcs = "") {
    i.suaf = "T";
    i.renm = renm;
    i.edcs = edcs;
    return i;
  };
  Item bits = I("10", "NOTE-FLAGS", "1", "5", 533);
  return {I("01", "CUSTOMER-REC", "G", "0", 0), I("05", "CUST-ID", "9", "6", 0),
          I("05", "CUST-NAME", "N", "10", 6), I("05", "CUST-KANA", "X", "20", 26),
          I("05", "CUST-TYPE", "X", "1", 46), I("05", "ADDRESS", "G", "0", 47),
          I("10", "ZIP", "9", "7", 47), I("10", "PREF", "N", "4", 54),
          I("10", "CITY", "N", "12", 62), I("10", "STREET", "X", "30", 86),
          I("05", "PHONE-NO", "X", "13", 116), I("05", "BALANCE", "S", "9.2", 129),
          I("05", "CREDIT-LIMIT", "P", "9", 140), I("05", "RANK", "C", "4", 145),
          I("05", "FILLER", "X", "3", 147), I("05", "OPEN-DATE", "G", "0", 150),
          I("10", "OPEN-YY", "9", "4", 150), I("10", "OPEN-MM", "9", "2", 154),
          I("10", "OPEN-DD", "9", "2", 156),
          T(I("05", "OPEN-DATE-X", "X", "8", 150), "OPEN-DATE"),
          T(I("05", "MONTHLY", "G", "0", 158, "12")), I("10", "M-SALES", "P", "9.0", 158),
          I("10", "M-COUNT", "B", "4", 163), I("10", "M-RETURNS", "G", "0", 165, "2"),
          I("15", "R-CODE", "X", "2", 165), I("15", "R-AMOUNT", "U", "7", 167),
          I("10", "M-FLAG", "X", "1", 177), I("05", "CONTACTS", "G", "0", 398, "3"),
          I("10", "CONTACT-NAME", "N", "8", 398), I("10", "CONTACT-TEL", "X", "13", 414),
          I("10", "FILLER", "X", "1", 427), I("05", "STATUS-AREA", "G", "0", 488),
          I("10", "STATUS-CODE", "X", "2", 488), I("88", "STATUS-ACTIVE", "", "0", 0),
          I("88", "STATUS-CLOSED", "", "0", 0), I("10", "STATUS-DATE", "XD", "8", 490),
          I("10", "STATUS-TIME", "XT", "6", 498), I("05", "NOTE-AREA", "G", "0", 504),
          T(I("10", "NOTE-TEXT", "XE", "20", 504), "", "X(10)BX(9)"),
          T(I("10", "AMOUNT-EDIT", "Z", "7.2", 524), "", "ZZZZZZ9V99"), bits,
          I("05", "ALT-KEY-AREA", "X", "10", 534),
          T(I("05", "ALT-KEY-R", "G", "0", 534), "ALT-KEY-AREA"),
          I("10", "ALT-KEY-1", "X", "5", 534), I("10", "ALT-KEY-2", "X", "5", 539),
          T(I("05", "LAST-UPDATE", "F", "0", 544)), I("05", "FILLER", "X", "12", 548)};
}

TEST(CustomerRecord, LayoutEntryByEntry) {
  test::TempDir dir;
  DTF dtf{};
  std::vector<Item> items = CustomerRecord();
  ASSERT_EQ(items.size(), 47u);
  ASSERT_EQ(test::Sproc(dir, items, &dtf), 0) << KRACGetStatus(&dtf);
  struct E {
    std::string name;
    int level, attribute, bytes, occurrence, position;
  };
  std::vector<E> want = {
      {"CUSTOMER-REC", 1, 4, 560, 0, 0}, {"CUST-ID", 2, 9, 6, 0, 0},
      {"CUST-NAME", 2, 3, 20, 0, 6},      {"CUST-KANA", 2, 1, 20, 0, 26},
      {"CUST-TYPE", 2, 1, 1, 0, 46},      {"ADDRESS", 2, 4, 69, 0, 47},
      {"ZIP", 3, 9, 7, 0, 47},            {"PREF", 3, 3, 8, 0, 54},
      {"CITY", 3, 3, 24, 0, 62},          {"STREET", 3, 1, 30, 0, 86},
      {"PHONE-NO", 2, 1, 13, 0, 116},     {"BALANCE", 2, 8, 11, 0, 129},
      {"CREDIT-LIMIT", 2, 6, 5, 0, 140},  {"RANK", 2, 22, 2, 0, 145},
      {"OPEN-DATE", 2, 4, 8, 0, 150},     {"OPEN-YY", 3, 9, 4, 0, 150},
      {"OPEN-MM", 3, 9, 2, 0, 154},       {"OPEN-DD", 3, 9, 2, 0, 156}};
  for (int m = 0; m < 12; ++m) {
    int base = 158 + 20 * m;
    want.insert(want.end(), {{"MONTHLY", 2, 4, 20, m + 1, base},
                             {"M-SALES", 3, 6, 5, 0, base},
                             {"M-COUNT", 3, 5, 2, 0, base + 5},
                             {"M-RETURNS", 3, 4, 6, 1, base + 7},
                             {"R-CODE", 4, 1, 2, 0, base + 7},
                             {"R-AMOUNT", 4, 7, 4, 0, base + 9},
                             {"M-RETURNS", 3, 4, 6, 2, base + 13},
                             {"R-CODE", 4, 1, 2, 0, base + 13},
                             {"R-AMOUNT", 4, 7, 4, 0, base + 15},
                             {"M-FLAG", 3, 1, 1, 0, base + 19}});
  }
  for (int c = 0; c < 3; ++c) {
    int base = 398 + 30 * c;
    want.insert(want.end(), {{"CONTACTS", 2, 4, 30, c + 1, base},
                             {"CONTACT-NAME", 3, 3, 16, 0, base},
                             {"CONTACT-TEL", 3, 1, 13, 0, base + 16}});
  }
  want.insert(want.end(), {{"STATUS-AREA", 2, 4, 16, 0, 488}, {"STATUS-CODE", 3, 1, 2, 0, 488},
                           {"STATUS-DATE", 3, 20, 8, 0, 490}, {"STATUS-TIME", 3, 21, 6, 0, 498},
                           {"NOTE-AREA", 2, 4, 30, 0, 504},   {"NOTE-TEXT", 3, 15, 20, 0, 504},
                           {"AMOUNT-EDIT", 3, 16, 9, 0, 524}, {"NOTE-FLAGS", 3, 13, 1, 0, 533},
                           {"ALT-KEY-AREA", 2, 1, 10, 0, 534},
                           {"LAST-UPDATE", 2, 10, 4, 0, 544}});
  ASSERT_EQ(KRACGetEcnt(&dtf), static_cast<int>(want.size()));
  for (std::size_t k = 0; k < want.size(); ++k) {
    ItemDescriptor e;
    ASSERT_EQ(KRACDainfSet(static_cast<int>(k + 1), &dtf, &e), 0);
    SCOPED_TRACE(want[k].name + " at entry " + std::to_string(k + 1));
    EXPECT_EQ(e.number, static_cast<int>(k + 1));
    EXPECT_STREQ(e.name, want[k].name.c_str());
    EXPECT_EQ(e.level, want[k].level);
    EXPECT_EQ(e.attribute, want[k].attribute);
    EXPECT_EQ(e.byte_length, want[k].bytes);
    EXPECT_EQ(e.occurrence, want[k].occurrence);
    EXPECT_EQ(e.position, want[k].position);
  }
  EXPECT_EQ(dtf.record_length, 560);
  ItemDescriptor amount;
  ASSERT_EQ(KRACDainfSet(KRACGetEcnt(&dtf) - 3, &dtf, &amount), 0);
  EXPECT_STREQ(amount.edit_string, "ZZZZZZ9V99");
  EXPECT_EQ(amount.digits, 7);
  EXPECT_EQ(amount.fraction_digits, 2);
  KRACRinfFree(&dtf);
  EXPECT_EQ(dtf.record_layout, nullptr);
  KRACRinfFree(&dtf);  // nothing happens without a layout
}

}  // namespace
}  // namespace qel::recacc
