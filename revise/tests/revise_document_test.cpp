// The revise document over indexed and relative files: opening with its
// checks, list lines, fetching by key, number and position, the value checks
// and their normalisation, keys of several items, registering, deleting,
// protected key items, item selection, the entry counter, the log, and
// memory shortage in every operation.
#include "revise/revise_document.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "revise/tests/allocation_budget.h"
#include "revise/tests/revise_fixture.h"

namespace qel::revise {
namespace {

using test::Answers;
using test::At;

constexpr int kLength = 30;

// CODE X(5) (key 1), NAME X(6) (key 2), AMT S9(3)V99 COMP-3, QTY 9(3),
// RATE V99, NOTE X(11): 30 bytes.
std::vector<test::Item> Layout() {
  return {At("01", "REC", "G", "0", 0),   At("05", "CODE", "X", "5", 0),
          At("05", "NAME", "X", "6", 5),  At("05", "AMT", "P", "3.2", 11),
          At("05", "QTY", "9", "3", 14),  At("05", "RATE", "9", "0.2", 17),
          At("05", "NOTE", "X", "11", 19)};
}

// A record with AMT +123.45 (or the packed bytes given), QTY 7, RATE .05.
std::string Rec(const std::string& code, const std::string& name,
                const std::string& amt = "\x12\x34\x5C") {
  std::string r = code;
  r.resize(5, ' ');
  std::string n = name;
  n.resize(6, ' ');
  r += n + amt + "007" + "05" + "note-------";
  r.resize(kLength, ' ');
  return r;
}

class ReviseTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TEMP", dir_.path().c_str(), 1);
    doc_ = std::make_unique<CQelreviseDoc>();
  }
  void TearDown() override { doc_.reset(); }

  FileSettings Indexed(const std::string& records,
                       const std::string& keys = "KEY 0:5:CHAR\nKEY 5:6:CHAR\n",
                       std::vector<test::Item> layout = Layout()) {
    EXPECT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, keys, records));
    FileSettings s;
    s.data_name = dir_.path() + "/IDX.kdf";
    s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", layout);
    return s;
  }
  FileSettings Relative(const std::string& records, std::vector<test::Item> layout = Layout()) {
    FileSettings s;
    s.data_name = dir_.write_path("REL.DAT", records);
    s.definition_name = test::WriteDefinitions(dir_, "REL", "S", layout);
    return s;
  }
  std::string Records() {
    return Rec("00001", "ZULU") + Rec("00002", "ALPHA") + Rec("00003", "MIKE");
  }
  // The list line of item `name`.
  int Line(const std::string& name) const {
    for (std::size_t i = 0; i < doc_->items().size(); ++i) {
      std::vector<std::string> lines = doc_->Lines();
      if (lines[i].find(" " + name + " ") != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  }
  std::string Current(const std::string& name) const {
    return doc_->items()[Line(name)].current_text;
  }

  struct Dir : test::TempDir {
    std::string write_path(const std::string& name, const std::string& bytes) const {
      return Write(name, bytes);
    }
  } dir_;
  std::unique_ptr<CQelreviseDoc> doc_;
  Answers yes_{kYes};
};

// ------------------------------------------------------------------ opening

TEST_F(ReviseTest, SettingsAreCheckedBeforeAnyFileIsOpened) {
  FileSettings s;
  s.definition_name = "A.FLF";
  EXPECT_EQ(doc_->Open(s, yes_.ask()).number, kKvwnNoName);
  s.data_name = std::string(256, 'a');
  Message m = doc_->Open(s, yes_.ask());
  EXPECT_EQ(m.number, kKvwnNameTooLong);
  EXPECT_EQ(m.focus, Focus::kDataFile);
  s.data_name = "DATA";
  s.definition_name = "A.DEF";
  m = doc_->Open(s, yes_.ask());
  EXPECT_EQ(m.number, kKvwnBadExtension);
  EXPECT_EQ(m.args, std::vector<std::string>{"A.DEF"});
  s.data_name = s.definition_name = "A.flf";
  EXPECT_EQ(doc_->Open(s, yes_.ask()).number, kKvwnNamesEqual);
  s.data_name = "DATA";
  s.share = true;
  EXPECT_EQ(doc_->Open(s, yes_.ask()).number, kKvwnNoShareForSam);
  EXPECT_FALSE(doc_->is_open());
}

TEST_F(ReviseTest, LongTitleIsCutOnNoWithoutSplittingADoubleByteCharacter) {
  FileSettings s = Indexed(Records());
  s.title = std::string(59, 'T') + "\x82\xA0";  // 61 bytes, the last character split at 60
  Answers cancel(kCancel);
  Message m = doc_->Open(s, cancel.ask());
  EXPECT_EQ(cancel.asked, std::vector<int>{kKvwnTitleTooLong});
  EXPECT_EQ(m.focus, Focus::kTitle);
  EXPECT_FALSE(doc_->is_open());
  Answers no(kNo);
  ASSERT_TRUE(doc_->Open(s, no.ask()).ok());
  EXPECT_EQ(doc_->title(), std::string(59, 'T'));
  EXPECT_EQ(doc_->data_name(), dir_.path() + "/IDX");
}

TEST_F(ReviseTest, PrimaryKeyAllowingDuplicatesIsRefused) {
  FileSettings s = Indexed(Records(), "KEY 0:5:CHAR\n");
  // The tool builds no such file; the key file is changed afterwards.
  dir_.Write("IDX.kdf", "RECSIZE 30\nKEY 0:5:CHAR DUPS\n");
  Message m = doc_->Open(s, yes_.ask());
  EXPECT_EQ(m.number, 2621);
  EXPECT_EQ(m.focus, Focus::kDataFile);
  EXPECT_EQ(m.args.at(0), dir_.path() + "/IDX");
  EXPECT_FALSE(doc_->is_open());
  EXPECT_EQ(doc_->dtf()->record_layout, nullptr);
}

TEST_F(ReviseTest, AlternateKeyStartingInsideAnItemNamesThatKey) {
  FileSettings s = Indexed(Records(), "KEY 0:5:CHAR\nKEY 5:6:CHAR\nKEY 20:3:CHAR DUPS\n");
  Message m = doc_->Open(s, yes_.ask());
  EXPECT_EQ(m.number, 2628);
  // 副キー and a full-width two.
  EXPECT_EQ(m.args, std::vector<std::string>{"\x95\x9B\x83\x4C\x81\x5B\x82\x51"});
}

TEST_F(ReviseTest, EmptyFileInUpdateModeAsksForInputMode) {
  FileSettings s = Indexed("");
  Answers no(kNo);
  EXPECT_TRUE(doc_->Open(s, no.ask()).ok());
  EXPECT_EQ(no.asked, std::vector<int>{kKvwnAskInputMode});
  EXPECT_FALSE(doc_->is_open());
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  EXPECT_TRUE(doc_->is_open());
  EXPECT_EQ(doc_->mode(), 1);
  EXPECT_TRUE(doc_->controls().register_enabled);
}

TEST_F(ReviseTest, UnsupportedAttributeClosesTheFile) {
  std::vector<test::Item> layout = Layout();
  layout.back().dtat = "Z";  // numeric edited
  layout.back().edcs = "ZZZZZZZZZZ9";
  layout.back().suaf = "T";
  FileSettings s = Indexed(Records(), "KEY 0:5:CHAR\n", layout);
  Message m = doc_->Open(s, yes_.ask());
  EXPECT_EQ(m.number, kKvwnUnsupportedAttribute);
  EXPECT_FALSE(doc_->is_open());
}

TEST_F(ReviseTest, ListLinesHaveTheirFixedColumns) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::vector<std::string> lines = doc_->Lines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], std::string("   1     REC") + std::string(34, ' ') + std::string(8, ' '));
  EXPECT_EQ(lines[1].substr(0, 46),
            "     2     CODE                           " + std::string(4, ' '));
  EXPECT_EQ(lines[1].substr(46), "     5  ");
  EXPECT_EQ(lines[3].substr(46), "   3.2  ");
  EXPECT_EQ(lines[5].substr(46), "   0.2  ");
  EXPECT_EQ(doc_->items()[3].width, 7);  // signed: 3 + 2 + 2
  EXPECT_EQ(doc_->items()[4].width, 4);  // unsigned: 3 + 1
}

// ------------------------------------------------------------------ fetching

TEST_F(ReviseTest, FetchByPrimaryAndAlternateKeyShowsTheTexts) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::string key = "2";  // padded to the item length? no: a shorter text
  key = "00002";
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  EXPECT_EQ(key, "00002");
  EXPECT_EQ(Current("NAME"), "ALPHA ");
  EXPECT_EQ(Current("AMT"), "123.45");
  EXPECT_EQ(Current("QTY"), "7");
  EXPECT_EQ(Current("RATE"), "0.05");
  EXPECT_EQ(doc_->Lines()[Line("AMT")].substr(kValueColumn), "123.45");
  EXPECT_TRUE(doc_->controls().delete_enabled);
  // The key item is protected and its value not offered for typing.
  EXPECT_TRUE(doc_->items()[Line("CODE")].is_protected);
  EXPECT_FALSE(doc_->Editable(Line("CODE")));
  EXPECT_EQ(doc_->CounterCaption(Line("CODE")), "ISAM\x95\xDB\x8C\xEC\x8D\x80\x96\xDA");

  ASSERT_TRUE(doc_->ChangeKey(2).ok());
  EXPECT_TRUE(doc_->items()[Line("NAME")].is_protected);
  EXPECT_TRUE(doc_->items()[Line("CODE")].is_protected);  // the primary key's items too
  key = "MIKE";  // padded to the item's 6 bytes, returned without the blanks
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  EXPECT_EQ(key, "MIKE");
  EXPECT_EQ(Current("CODE"), "00003");
  key = "NONE";
  Message m = doc_->Fetch(0, &key);
  EXPECT_EQ(m.number, 3616);
  EXPECT_EQ(m.focus, Focus::kKeyField);
  EXPECT_FALSE(doc_->record_shown());
  EXPECT_EQ(key, "NONE");
}

TEST_F(ReviseTest, NextOnTheLastRecordKeepsItAndPreviousGoesBack) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::string key;
  ASSERT_TRUE(doc_->Fetch(5, &key).ok());
  EXPECT_EQ(key, "00003");
  Message m = doc_->Fetch(2, &key);
  EXPECT_EQ(m.number, 2691);
  EXPECT_EQ(key, "00003");
  ASSERT_TRUE(doc_->Fetch(3, &key).ok());
  EXPECT_EQ(key, "00002");
  ASSERT_TRUE(doc_->Fetch(4, &key).ok());
  EXPECT_EQ(doc_->Fetch(3, &key).number, 2692);
  EXPECT_EQ(key, "00001");
  // Next and previous need a key in the field.
  key.clear();
  EXPECT_TRUE(doc_->Fetch(2, &key).ok());
  EXPECT_EQ(key, "");
}

TEST_F(ReviseTest, InvalidPackedSignFailsTheFetchAndLeavesTheList) {
  ASSERT_TRUE(doc_->Open(Indexed(Rec("00001", "A") + Rec("00002", "B", "\x12\x34\x5F") +
                                 Rec("00003", "C", "\x12\x3A\x5C")),
                         yes_.ask())
                  .ok());
  std::string key = "00001";
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  std::vector<std::string> before = doc_->Lines();
  for (std::string bad : {"00002", "00003"}) {
    EXPECT_EQ(doc_->Fetch(0, &bad).number, kKvdaInvalidData) << bad;
    EXPECT_EQ(doc_->Lines(), before);
    // Nothing can be written over the record the library now holds.
    EXPECT_FALSE(doc_->controls().register_enabled);
    std::string k = "00001";
    EXPECT_NE(doc_->Register(&k).number, kKvwnRegistered);
  }
}

// -------------------------------------------------------------- value checks

struct CheckCase {
  const char* item;
  const char* text;
  bool truncate;
  int message;
  const char* normalised;
};

class ValueCheckTest : public ReviseTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(ValueCheckTest, EnteredValueIsCheckedAndNormalised) {
  std::vector<test::Item> layout = Layout();
  layout.push_back(At("05", "NAT", "N", "2", 30));
  layout.push_back(At("05", "ALF", "A", "3", 34));
  layout.push_back(At("05", "NEG", "S", "3", 37, "2"));
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", 41, "KEY 0:5:CHAR\n", ""));
  FileSettings s;
  s.data_name = dir_.path() + "/IDX.KDF";
  s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", layout);
  doc_->SetNoTruncationMessage(GetParam().truncate);
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  int line = Line(GetParam().item);
  ASSERT_GE(line, 0);
  doc_->CheckValue(line, "9");  // an earlier value, kept on failure
  std::optional<std::string> before = doc_->items()[line].entered_text;
  Message m = doc_->CheckValue(line, GetParam().text);
  EXPECT_EQ(m.number, GetParam().message);
  const ReviseItem& item = doc_->items()[line];
  if (GetParam().message == 0) {
    EXPECT_EQ(item.entered_text.value_or("<none>"), GetParam().normalised);
  } else {
    EXPECT_EQ(m.focus, Focus::kEntryField);
    EXPECT_EQ(item.entered_text, before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueCheckTest,
    testing::Values(
        CheckCase{"RATE", "0.5", false, 0, "0.50"}, CheckCase{"RATE", ".5", false, 0, "0.50"},
        CheckCase{"RATE", "1.5", false, kKvdaIntegerDigits, ""},
        CheckCase{"RATE", "-.5", false, 0, "-0.50"},
        CheckCase{"RATE", ".505", false, kKvdaFractionDigits, ""},
        CheckCase{"RATE", ".505", true, 0, "0.50"},
        CheckCase{"QTY", "12345", false, kKvdaIntegerDigits, ""},
        CheckCase{"QTY", "12345", true, 0, "345"}, CheckCase{"QTY", "12.", false, 0, "12"},
        CheckCase{"QTY", "1-2", false, kKvdaMinusNotFirst, ""},
        CheckCase{"QTY", "1.2.", false, kKvdaNotNumeric, ""},
        CheckCase{"QTY", "-", false, kKvdaNotNumeric, ""},
        CheckCase{"AMT", "-12", false, 0, "-12.00"}, CheckCase{"NEG", "-0", false, 0, "-0"},
        CheckCase{"NOTE", "123456789012", false, kKvdaTooLong, ""},
        CheckCase{"NOTE", "1234567890\x82\xA0", true, 0, "1234567890 "},
        CheckCase{"NAT", "\x82\xA0\x82\xA2", false, 0, "\x82\xA0\x82\xA2"},
        CheckCase{"NAT",
                  "\x82\xA0"
                  "a",
                  false, kKvdaNotNational, ""},
        CheckCase{"NAT", "a\x82\xA0", false, kKvdaNotNational, ""},
        CheckCase{"NAT", "\x82\xA0\x82\xA2\x82\xA4", false, kKvdaTooLong, ""},
        CheckCase{"NAT", "\x82\xA0\x82\xA2\x82\xA4", true, 0, "\x82\xA0\x82\xA2"},
        CheckCase{"ALF", "Ab c", false, kKvdaTooLong, ""},
        CheckCase{"ALF", "A1", false, kKvdaNotAlphabetic, ""}));

TEST_F(ReviseTest, EntryCounterCountsWhatIsTyped) {
  std::vector<test::Item> layout = Layout();
  layout.push_back(At("05", "NAT", "N", "2", 30));
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", 34, "KEY 0:5:CHAR\n", ""));
  FileSettings s;
  s.data_name = dir_.path() + "/IDX.kdf";
  s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", layout);
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  EXPECT_EQ(doc_->EntryCounter(Line("NOTE"), "abc"), "     3");
  EXPECT_EQ(doc_->EntryCounter(Line("NAT"), "\x82\xA0\x82\xA2"), "     2");
  EXPECT_EQ(doc_->EntryCounter(Line("NAT"),
                               "\x82\xA0"
                               "a"),
            "    1.5");
  EXPECT_EQ(doc_->EntryCounter(Line("AMT"), "-12.5"), "  2.1  ");
  EXPECT_EQ(doc_->EntryCounter(Line("AMT"), "1.2.345"), "  3.3  ");
  EXPECT_EQ(doc_->EntryCounter(Line("AMT"), ""), "0.0");
  EXPECT_EQ(doc_->CounterCaption(Line("AMT")), TypeCaption(6));
}

// ----------------------------------------------------------------------- keys

TEST_F(ReviseTest, KeyOfTwoItemsIsCutIntoPiecesAndPadded) {
  // K1 X(4) and K2 X(6) make the primary key; N1 9(3) is an integer-free rest.
  std::vector<test::Item> layout = {At("01", "R", "G", "0", 0), At("05", "K1", "X", "4", 0),
                                    At("05", "K2", "X", "6", 4), At("05", "N1", "9", "3", 10),
                                    At("05", "RES", "X", "17", 13)};
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, "KEY 0:10:CHAR\n", ""));
  FileSettings s;
  s.data_name = dir_.path() + "/IDX.kdf";
  s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", layout);
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  std::string key = "AB";
  ASSERT_TRUE(doc_->BuildKey(1, &key).ok());
  EXPECT_EQ(key, "AB        ");
  key = "ABCDEFGHIJK";
  Message m = doc_->BuildKey(1, &key);
  EXPECT_EQ(m.number, kKvwnKeyTooLong);
  EXPECT_EQ(m.args, std::vector<std::string>{"ABCDEFGHIJK"});
  EXPECT_EQ(key, "ABCDEFGHIJK");
  key = "ABC\x82\xA0XY";  // the double-byte character would be split at 4
  m = doc_->BuildKey(1, &key);
  EXPECT_EQ(m.number, kKvwnKeyTooLong);
  EXPECT_EQ(m.args, std::vector<std::string>{"ABC\x82\xA0"});
}

TEST_F(ReviseTest, KeyOfOneItemReportsLengthAndValueErrors) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::string key = "123456";
  Message m = doc_->BuildKey(1, &key);
  EXPECT_EQ(m.number, kKvwnKeyTooLong);
  EXPECT_EQ(m.args, std::vector<std::string>{"123456"});
  doc_->SetNoTruncationMessage(true);
  ASSERT_TRUE(doc_->BuildKey(1, &key).ok());
  EXPECT_EQ(key, "12345");
}

TEST_F(ReviseTest, KeyOfSeveralItemsWithABinaryItemIsRefused) {
  std::vector<test::Item> layout = {At("01", "R", "G", "0", 0), At("05", "K1", "X", "4", 0),
                                    At("05", "K2", "B", "4", 4), At("05", "RES", "X", "24", 6)};
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, "KEY 0:4:CHAR\nKEY 4:2:INT\n", ""));
  FileSettings s;
  s.data_name = dir_.path() + "/IDX.kdf";
  s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", layout);
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  std::string key = "12x";
  // The alternate key adds the binary item only: a value error.
  EXPECT_EQ(doc_->BuildKey(2, &key).number, kKvwnKeyInvalid);
  key = "-12";
  ASSERT_TRUE(doc_->BuildKey(2, &key).ok());
  EXPECT_EQ(key, "-12");
}

// --------------------------------------------------------------- registering

TEST_F(ReviseTest, InputModeAddsARecordOfEnteredAndEmptyValues) {
  doc_->SetMode(1);
  doc_->SetFillerValue(0x00);
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  EXPECT_EQ(doc_->KeyNames().size(), 1u);
  std::string key;
  EXPECT_EQ(doc_->Register(&key).number, kKvwnNoKey);
  ASSERT_TRUE(doc_->CheckValue(Line("NAME"), "NEW").ok());
  ASSERT_TRUE(doc_->CheckValue(Line("AMT"), "-1.5").ok());
  key = "9";
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  EXPECT_EQ(key, "");
  EXPECT_TRUE(doc_->has_previous());
  EXPECT_FALSE(doc_->items()[Line("NAME")].entered_text.has_value());
  doc_->CopyPrevious();
  EXPECT_EQ(doc_->items()[Line("NAME")].entered_text.value_or(""), "NEW");
  EXPECT_EQ(doc_->items()[Line("AMT")].entered_text.value_or(""), "-1.50");

  doc_->SetMode(0);
  EXPECT_FALSE(doc_->has_previous());
  key = "9";
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  EXPECT_EQ(key, "9");
  EXPECT_EQ(Current("NAME"), "NEW   ");
  EXPECT_EQ(Current("AMT"), "-1.50");
  EXPECT_EQ(Current("QTY"), "0");
  EXPECT_EQ(Current("NOTE"), std::string(11, ' '));
}

TEST_F(ReviseTest, DuplicateAlternateKeyOnAddNamesTheKeyAndKeepsRegister) {
  doc_->SetMode(1);
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  ASSERT_TRUE(doc_->CheckValue(Line("NAME"), "MIKE").ok());
  std::string key = "00009";
  Message m = doc_->Register(&key);
  EXPECT_EQ(m.number, 2622);
  EXPECT_EQ(m.args, std::vector<std::string>{"\x95\x9B\x83\x4C\x81\x5B\x82\x50"});
  EXPECT_EQ(m.focus, Focus::kKeyType);
  EXPECT_TRUE(doc_->controls().register_enabled);
  EXPECT_EQ(doc_->items()[Line("NAME")].entered_text.value_or(""), "MIKE");
}

TEST_F(ReviseTest, UpdateModeRewritesOnlyEnteredItemsThenDeletes) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::string key = "00001";
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  ASSERT_TRUE(doc_->Commit(Line("QTY"), "42").ok());
  EXPECT_TRUE(doc_->Commit(Line("NOTE"), Current("NOTE")).ok());  // unchanged: not entered
  EXPECT_FALSE(doc_->items()[Line("NOTE")].entered_text.has_value());
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  EXPECT_EQ(key, "00001");
  EXPECT_FALSE(doc_->controls().delete_enabled);
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  EXPECT_EQ(Current("QTY"), "42");
  EXPECT_EQ(Current("AMT"), "123.45");
  EXPECT_EQ(Current("NAME"), "ZULU  ");

  Answers no(kNo);
  EXPECT_TRUE(doc_->Delete(no.ask()).ok());
  EXPECT_TRUE(doc_->record_shown());
  ASSERT_TRUE(doc_->Delete(yes_.ask()).ok());
  EXPECT_EQ(yes_.asked, std::vector<int>{kKvwnAskDelete});
  EXPECT_FALSE(doc_->controls().register_enabled);
  EXPECT_EQ(doc_->Fetch(0, &key).number, 3616);
}

// ------------------------------------------------------------- relative files

TEST_F(ReviseTest, RelativeFileProposesTheNextRecordNumberAndChecksNumbers) {
  std::string records;
  for (int i = 1; i <= 10; ++i) records += Rec("0000" + std::to_string(i % 10), "R");
  FileSettings s = Relative(records);
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  EXPECT_FALSE(doc_->indexed());
  EXPECT_TRUE(doc_->KeyNames().empty());
  std::string key = "11";
  EXPECT_EQ(doc_->Fetch(1, &key).number, 3615);
  key = "0";
  EXPECT_EQ(doc_->Fetch(1, &key).number, 2625);
  key = "+1";
  EXPECT_EQ(doc_->Fetch(1, &key).number, kKvdaRecordNumber);
  key = "10";
  ASSERT_TRUE(doc_->Fetch(1, &key).ok());
  EXPECT_EQ(Current("CODE"), "00000");

  doc_->SetMode(1);
  EXPECT_EQ(doc_->key_field(), "11");
  EXPECT_TRUE(doc_->controls().key_read_only);
  ASSERT_TRUE(doc_->CheckValue(Line("CODE"), "ADDED").ok());
  key = doc_->key_field();
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  EXPECT_EQ(key, "12");
  EXPECT_EQ(doc_->key_field(), "12");
  doc_->SetMode(0);
  key = "11";
  ASSERT_TRUE(doc_->Fetch(1, &key).ok());
  EXPECT_EQ(Current("CODE"), "ADDED");
  EXPECT_EQ(Current("RATE"), "0.00");
  EXPECT_EQ(test::ReadFile(dir_.path() + "/REL.DAT").size(), 11u * kLength);
}

TEST_F(ReviseTest, ShareIsRefusedWhenTheDefinitionSaysSequential) {
  FileSettings s = Relative(Rec("00001", "A"));
  s.data_name = dir_.write_path("REL.kdf", "");
  s.share = true;
  Message m = doc_->Open(s, yes_.ask());
  EXPECT_EQ(m.number, kKracShareSequential);
  EXPECT_FALSE(doc_->is_open());
}

// ------------------------------------------------------------ item selection

TEST_F(ReviseTest, MarkingAGroupMarksItsItemsAndElementaryOnlyDropsGroups) {
  std::vector<test::Item> layout = {At("01", "R", "G", "0", 0), At("05", "CODE", "X", "5", 0),
                                    At("05", "GRP", "G", "0", 5), At("10", "G1", "X", "6", 5),
                                    At("10", "G2", "X", "19", 11)};
  FileSettings s = Indexed(Records(), "KEY 0:5:CHAR\n", layout);
  s.item_selection = true;
  s.elementary_only = true;
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  ASSERT_TRUE(doc_->selecting());
  ASSERT_EQ(doc_->Lines().size(), 5u);  // groups listed while selecting
  doc_->ToggleMark(2);
  EXPECT_EQ(doc_->items().size(), 3u);
  EXPECT_EQ(doc_->Lines()[3][0], 'v');
  EXPECT_EQ(doc_->Lines()[1][0], ' ');
  EXPECT_TRUE(doc_->controls().register_enabled);
  doc_->ToggleMark(3);
  doc_->ToggleMark(4);
  ASSERT_EQ(doc_->items().size(), 1u);  // the group alone
  EXPECT_TRUE(doc_->FinishSelection(yes_.ask()).ok());
  EXPECT_EQ(yes_.asked, std::vector<int>{kKvwnAskSelectAgain});
  EXPECT_TRUE(doc_->selecting());
  EXPECT_TRUE(doc_->items().empty());

  doc_->ToggleMark(2);
  ASSERT_TRUE(doc_->FinishSelection(yes_.ask()).ok());
  EXPECT_FALSE(doc_->selecting());
  ASSERT_EQ(doc_->items().size(), 2u);
  std::string key = "00002";
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  EXPECT_EQ(doc_->items()[0].current_text, "ALPHA ");

  Answers no(kNo);
  doc_->Close();
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  doc_->ToggleMark(0);
  for (int line : {1, 3, 4}) doc_->ToggleMark(line);
  EXPECT_TRUE(doc_->FinishSelection(no.ask()).ok());
  EXPECT_FALSE(doc_->is_open());
}

// ----------------------------------------------------------------------- log

TEST_F(ReviseTest, SystemInformationIsWrittenToTheLogAfterAnOpen) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::string log = test::ReadFile(dir_.path() + "/qelrevise.LOG");
  // Under a UTF-8 locale the log is UTF-8; compared here in CP932.
  if (platform::ConsoleIsUtf8()) log = platform::Utf8ToCp932(log).value_or(log);
  EXPECT_NE(log.find("\x93\xFC\x97\xCD\x83t\x83@\x83"
                     "C\x83\x8B\x96\xBC    =" +
                     dir_.path() + "/IDX\n"),
            std::string::npos);
  EXPECT_NE(log.find("\x8DX\x90V\x8D\x80\x96\xDA\x90\x94=7\n"), std::string::npos);
  EXPECT_NE(log.find("\x82h\x82r\x82`\x82l\x83t\x83@\x83"
                     "C\x83\x8B\x81"
                     "B\n"),
            std::string::npos);
  EXPECT_NE(log.find(std::string(63, '-')), std::string::npos);
  EXPECT_TRUE(doc_->Close().ok());
  EXPECT_FALSE(doc_->is_open());
}

// ------------------------------------------------------------ memory shortage

// Runs `op` with allocation budgets 0, 1, 2 ... until it answers `expected`.
// Every other answer is a failure the shortage caused (KVCO3000, or a KRAC
// status when the library ran short), after which `unchanged` must hold.
// Returns the last answer and counts the failures.
template <typename Op, typename Check>
Message UnderShortage(Op op, int expected, Check unchanged, int* failures) {
  *failures = 0;
  Message m;
  for (long budget = 0; budget < 20000; ++budget) {
    test::SetAllocationBudget(budget);
    m = op();
    test::SetAllocationBudget(-1);
    if (m.number == expected) break;
    ++*failures;
    unchanged(m);
    if (testing::Test::HasFatalFailure()) break;
  }
  return m;
}

TEST_F(ReviseTest, OpenUnderMemoryShortageLeavesNothingOpen) {
  FileSettings s = Indexed(Records());
  int shortages = 0;
  // The log starts empty for every attempt, so that each needs as many
  // allocations as the one before.
  dir_.Write("qelrevise.LOG", "");
  Message m = UnderShortage([&] { return doc_->Open(s, yes_.ask()); }, 0,
                            [&](const Message&) {
                              ASSERT_FALSE(doc_->is_open());
                              ASSERT_EQ(doc_->dtf()->record_layout, nullptr);
                              dir_.Write("qelrevise.LOG", "");
                            },
                            &shortages);
  EXPECT_TRUE(m.ok()) << m.number;
  EXPECT_GT(shortages, 10);
  EXPECT_TRUE(doc_->is_open());
  EXPECT_EQ(doc_->items().size(), 7u);
}

TEST_F(ReviseTest, ItemOperationsUnderMemoryShortageLeaveTheDocumentAsItWas) {
  ASSERT_TRUE(doc_->Open(Indexed(Records()), yes_.ask()).ok());
  std::string key = "00001";
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  const std::vector<std::string> shown = doc_->Lines();
  int shortages = 0;

  // Fetching another record: the list still shows the first one.
  Message m = UnderShortage(
      [&] {
        key = "00002";
        return doc_->Fetch(0, &key);
      },
      0,
      [&](const Message&) {
        ASSERT_EQ(key, "00002");
        ASSERT_EQ(doc_->Lines(), shown);
        // A record the library moved to is not written over the one shown.
        if (!doc_->record_shown()) {
          std::string again = key;
          ASSERT_EQ(doc_->Register(&again).number, kKvdaLogicError);
        }
        key = "00001";
        ASSERT_TRUE(doc_->Fetch(0, &key).ok());
      },
      &shortages);
  ASSERT_TRUE(m.ok()) << m.number;
  EXPECT_GT(shortages, 0);
  EXPECT_EQ(Current("NAME"), "ALPHA ");

  // Checking a value: the entered text stays unset.
  const int qty = Line("QTY");
  m = UnderShortage([&] { return doc_->CheckValue(qty, "42"); }, 0,
                    [&](const Message&) {
                      ASSERT_FALSE(doc_->items()[qty].entered_text.has_value());
                    },
                    &shortages);
  ASSERT_TRUE(m.ok());
  EXPECT_GT(shortages, 0);
  EXPECT_EQ(doc_->items()[qty].entered_text.value_or(""), "42");

  // Rewriting: either nothing was written and the value is still entered,
  // or it was and the record must be fetched again before the next write.
  m = UnderShortage(
      [&] {
        key = "00002";
        return doc_->Register(&key);
      },
      kKvwnRegistered,
      [&](const Message&) {
        ASSERT_EQ(key, "00002");
        if (doc_->record_shown()) {
          ASSERT_EQ(doc_->items()[qty].entered_text.value_or(""), "42");
        } else {
          ASSERT_TRUE(doc_->Fetch(0, &key).ok());
          ASSERT_EQ(Current("QTY"), "42");
          ASSERT_TRUE(doc_->CheckValue(qty, "42").ok());
        }
      },
      &shortages);
  EXPECT_EQ(m.number, kKvwnRegistered);
  EXPECT_GT(shortages, 0);
  ASSERT_TRUE(doc_->Fetch(0, &key).ok());
  EXPECT_EQ(Current("QTY"), "42");
}

TEST_F(ReviseTest, RecordIsNotWrittenOverAnotherAfterAShortFetch) {
  const std::string two = Rec("00002", "TWO");
  FileSettings s = Relative(Rec("00001", "ONE") + two);
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  std::string key = "1";
  ASSERT_TRUE(doc_->Fetch(1, &key).ok());
  int shortages = 0;
  Message m = UnderShortage(
      [&] {
        key = "2";
        return doc_->Fetch(1, &key);
      },
      0,
      [&](const Message&) {
        // The record still shown may be changed and written, but only where
        // it came from.
        std::string k = "1";
        if (doc_->CheckValue(Line("NOTE"), "changed").ok()) doc_->Register(&k);
        ASSERT_EQ(test::ReadFile(s.data_name).substr(kLength), two);
        key = "1";
        ASSERT_TRUE(doc_->Fetch(1, &key).ok());
      },
      &shortages);
  ASSERT_TRUE(m.ok()) << m.number;
  EXPECT_GT(shortages, 0);
  EXPECT_EQ(Current("NAME"), "TWO   ");
}

TEST_F(ReviseTest, SelectionUnderMemoryShortageKeepsTheMarks) {
  FileSettings s = Indexed(Records());
  s.item_selection = true;
  ASSERT_TRUE(doc_->Open(s, yes_.ask()).ok());
  ASSERT_TRUE(doc_->ToggleMark(2).ok());  // NAME
  const std::vector<std::string> marked = doc_->Lines();
  int shortages = 0;
  // Marking the record group marks every item, or nothing at all.
  Message m = UnderShortage([&] { return doc_->ToggleMark(0); }, 0,
                            [&](const Message&) {
                              ASSERT_EQ(doc_->Lines(), marked);
                              ASSERT_EQ(doc_->items().size(), 1u);
                            },
                            &shortages);
  ASSERT_TRUE(m.ok());
  EXPECT_GT(shortages, 0);
  EXPECT_EQ(doc_->items().size(), 7u);
  m = UnderShortage([&] { return doc_->FinishSelection(yes_.ask()); }, 0,
                    [&](const Message&) { ASSERT_TRUE(doc_->selecting()); }, &shortages);
  ASSERT_TRUE(m.ok());
  EXPECT_GT(shortages, 0);
  EXPECT_FALSE(doc_->selecting());
}

}  // namespace
}  // namespace qel::revise
