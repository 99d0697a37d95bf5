// The revise program's string table: a text for every number the document
// answers, and messages shown through the message library with the
// document's inserts in their places.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "message/qelmessage.h"
#include "platform/cp932.h"
#include "platform/string_table.h"
#include "revise/revise_document.h"
#include "revise/tests/revise_fixture.h"

namespace qel::revise {
namespace {

using platform::LoadProgramString;

std::string Cp932(const std::string& utf8) { return platform::Utf8ToCp932(utf8).value(); }

std::string Prefix(unsigned id) {
  if (id == kKvcoNoMemory) return "KVCO3000-";
  if (id >= 2901 && id <= 2910) return "KVDA" + std::to_string(id) + "-";
  if (id < 2500) return "KVWN" + std::to_string(id) + "-";
  return "KRAC" + std::to_string(id) + "-";
}

TEST(ReviseStringsTest, EveryNumberTheDocumentAnswersHasItsText) {
  std::vector<unsigned> ids = {kKvwnNamesEqual,
                               kKvwnBadExtension,
                               kKvwnNameTooLong,
                               kKvwnNoName,
                               kKvwnRegistered,
                               kKvwnAskDelete,
                               kKvwnAskClose,
                               kKvwnNoShareForSam,
                               kKvwnTitleTooLong,
                               kKvwnNoKey,
                               kKvwnUnsupportedAttribute,
                               kKvwnAskInputMode,
                               kKvwnAskSelectAgain,
                               kKvwnNoItems,
                               kKvwnKeyItemType,
                               kKvwnKeyTooLong,
                               kKvwnKeyInvalid,
                               kKvcoNoMemory,
                               kKracShareSequential};
  for (unsigned id = 2901; id <= 2910; ++id) ids.push_back(id);
  // Every status of the definition reader, the layout and the keyed calls.
  for (unsigned id = 2510; id <= 2518; ++id) ids.push_back(id);
  for (unsigned id : {2610, 2611, 2612, 2613, 2614}) ids.push_back(id);
  for (unsigned id = 2616; id <= 2631; ++id) ids.push_back(id);
  for (unsigned id :
       {2690, 2691, 2692, 3500, 3510, 3511, 3512, 3513, 3520, 3521, 3600, 3610, 3612,
        3613, 3614, 3615, 3616, 3620, 3621, 3622, 3623, 3624, 3630, 3680, 3698, 3699}) {
    ids.push_back(id);
  }
  for (unsigned id : ids) {
    auto text = LoadProgramString(id);
    ASSERT_TRUE(text) << id;
    EXPECT_EQ(text->substr(0, Prefix(id).size()), Prefix(id)) << id;
  }
  // Questions are asked with Yes/No(/Cancel): their severity is '?'.
  for (unsigned id :
       {kKvwnAskDelete, kKvwnAskClose, kKvwnTitleTooLong, kKvwnAskInputMode, kKvwnAskSelectAgain}) {
    EXPECT_EQ((*LoadProgramString(id))[9], '?') << id;
  }
}

TEST(ReviseStringsTest, TextsAsTheProgramShowsThem) {
  EXPECT_EQ(*LoadProgramString(2621),
            Cp932("KRAC2621-E %s は主キーに重複キーが許されているため処理できません。"));
  EXPECT_EQ(*LoadProgramString(2691),
            Cp932("KRAC2691-I %s 最終レコードです。\n次のレコードはありません。"));
  EXPECT_EQ(
      *LoadProgramString(kKvcoNoMemory),
      Cp932("KVCO3000-S メモリ不足が発生しました。\n必要な領域を確保することが出来ませんでした。"));
  EXPECT_EQ(*LoadProgramString(kKvwnNoItems), Cp932("KVWN2022-I 表示する定義項目がありません。"));
}

// Messages of real operations, shown as the window shows them: the log line
// must hold every insert where its text has a "%s".
class ReviseShownTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TEMP", dir_.path().c_str(), 1);
    ::setenv("QELLAR_BOX_ANSWER", "1", 1);
    doc_ = std::make_unique<CQelreviseDoc>();
  }
  FileSettings Indexed(const std::string& keys) {
    std::vector<test::Item> layout = {test::At("01", "REC", "G", "0", 0),
                                      test::At("05", "CODE", "X", "5", 0),
                                      test::At("05", "NAME", "X", "5", 5)};
    EXPECT_TRUE(test::BuildIndexed(dir_, "IDX", 10, keys, "00001ALPHA00002BRAVO"));
    FileSettings s;
    s.data_name = dir_.path() + "/IDX.kdf";
    s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", layout);
    return s;
  }
  // The text KMSOErrmsgout logs for `m`, without its time stamp.
  std::string Shown(const Message& m) {
    const char* args[5] = {};
    for (std::size_t i = 0; i < m.args.size() && i < 5; ++i) args[i] = m.args[i].c_str();
    KMSOFileIni("shown");
    KMSOErrmsgout("shown", m.number, args);
    std::string log = test::ReadFile(dir_.path() + "/shown.LOG");
    // Under a UTF-8 locale the log is UTF-8; compared here in CP932.
    if (platform::ConsoleIsUtf8()) log = platform::Utf8ToCp932(log).value_or(log);
    std::size_t text = log.find(' ', log.find(' ') + 1);  // after "YYYY/MM/DD hh:mm:ss"
    return log.substr(text + 1, log.size() - text - 2);
  }

  test::TempDir dir_;
  std::unique_ptr<CQelreviseDoc> doc_;
  test::Answers yes_{kYes};
};

TEST_F(ReviseShownTest, OpenFailuresNameTheFileOrTheKey) {
  FileSettings s = Indexed("KEY 0:5:CHAR\n");
  dir_.Write("IDX.kdf", "RECSIZE 10\nKEY 0:5:CHAR DUPS\n");
  EXPECT_EQ(Shown(doc_->Open(s, yes_.ask())),
            "KRAC2621-E " + dir_.path() + "/IDX" +
                Cp932(" は主キーに重複キーが許されているため処理できません。"));

  s = Indexed("KEY 0:5:CHAR\nKEY 3:4:CHAR DUPS\n");
  std::string shown = Shown(doc_->Open(s, yes_.ask()));
  const std::string key_named = Cp932("KRAC2628-I 副キー１ でＩＳＡＭ");
  EXPECT_EQ(shown.substr(0, key_named.size()), key_named);

  s.definition_name = dir_.path() + "/IDX.DEF";
  EXPECT_EQ(Shown(doc_->Open(s, yes_.ask())),
            "KVWN2002-I " + s.definition_name + Cp932(" 拡張子が誤っています。"));
}

TEST_F(ReviseShownTest, RecordSizeUnlikeTheDefinitionNamesBothFiles) {
  FileSettings s = Indexed("KEY 0:5:CHAR\n");
  std::vector<test::Item> longer = {test::At("01", "REC", "G", "0", 0),
                                    test::At("05", "CODE", "X", "5", 0),
                                    test::At("05", "NAME", "X", "6", 5)};
  s.definition_name = test::WriteDefinitions(dir_, "IDX", "VK", longer);
  Message m = doc_->Open(s, yes_.ask());
  ASSERT_EQ(m.number, 2616);
  std::string shown = Shown(m);
  EXPECT_NE(shown.find(dir_.path() + "/IDX "), std::string::npos) << shown;
  EXPECT_NE(shown.find(s.definition_name), std::string::npos) << shown;
  EXPECT_EQ(shown.find("%s"), std::string::npos);
}

TEST_F(ReviseShownTest, KeyMessagesNameTheKeyOrTheValue) {
  ASSERT_TRUE(doc_->Open(Indexed("KEY 0:5:CHAR\nKEY 5:5:CHAR\n"), yes_.ask()).ok());
  std::string key = "0000123";
  EXPECT_EQ(Shown(doc_->Fetch(0, &key)),
            "KVWN2024-I " + Cp932("’0000123’指定のキーが最大桁数を超えています。"));
  doc_->SetMode(1);
  ASSERT_TRUE(doc_->CheckValue(2, "BRAVO").ok());
  key = "00009";
  EXPECT_EQ(Shown(doc_->Register(&key)), Cp932("KRAC2622-I 副キー１ でキーの値が重複しています。"));
}

}  // namespace
}  // namespace qel::revise
