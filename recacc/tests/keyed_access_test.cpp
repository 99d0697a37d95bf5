// Keyed access: KRACOpen2 and its key checks against the layout, gets by key
// and position to both ends, adds and replaces with duplicate keys, deletes,
// the key calls, and relative files addressed by record number.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "recacc/qelrecacc.h"
#include "recacc/tests/data_file_fixture.h"

namespace qel::recacc {
namespace {

using test::Item;

constexpr int kLength = 20;

Item At(std::string name, std::string dtat, std::string dale, int burl) {
  Item i;
  i.level = "05";
  i.name = std::move(name);
  i.dtat = std::move(dtat);
  i.dale = std::move(dale);
  i.burl = std::to_string(burl);
  return i;
}

// K1 X(5), K2 X(3), NUM S9(4) COMP (2 bytes), REST X(10).
std::vector<Item> Layout() {
  return {At("K1", "X", "5", 0), At("K2", "X", "3", 5), At("NUM", "B", "4", 8),
          At("REST", "X", "10", 10)};
}

std::string Rec(const std::string& k1, const std::string& k2, int num, const std::string& rest) {
  std::string r = k1;
  r.resize(5, ' ');
  r += k2;
  r += static_cast<char>(num & 0xff);
  r += static_cast<char>((num >> 8) & 0xff);
  r += rest;
  r.resize(kLength, ' ');
  return r;
}

class KeyedTest : public testing::Test {
 protected:
  void SetUp() override {
    KRACInit(&dtf_);
    open_ = {0, key_name_, 0};
    std::memset(key_name_, 0, sizeof key_name_);
    std::memset(text_, 0, sizeof text_);
    std::memset(key_info_, 0, sizeof key_info_);
  }
  void TearDown() override {
    if (dtf_.last_function != 0) KRACClose2(&dtf_);
    KRACRinfFree(&dtf_);
  }
  // The indexed file IDX of `records` with keys K1, K2 (unique) and `more`.
  int OpenIndexed(const std::string& records, const std::string& more = "KEY 5:3:CHAR\n",
                  std::vector<Item> layout = Layout()) {
    EXPECT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, records, more));
    EXPECT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "VK", layout, 3, "IDX"));
    return KRACOpen2(&dtf_, &open_);
  }
  std::string Records() {
    return Rec("00003", "CCC", 3, "three") + Rec("00001", "BBB", 1, "one") +
           Rec("00002", "AAA", 2, "two");
  }
  int Get(int kind, const std::string& text = "") {
    std::strcpy(text_, text.c_str());
    GetRequest g{kind, text_};
    return KRACGet(&dtf_, &g);
  }
  int Put(int kind, const std::string& record, const std::string& text = "") {
    std::memcpy(dtf_.record_area, record.data(), kLength);
    std::strcpy(text_, text.c_str());
    PutRequest p{kind, text_, key_info_};
    return KRACPut(&dtf_, &p);
  }
  std::string Area() const { return std::string(dtf_.record_area, kLength); }
  uint32_t Status() { return KRACGetStatus(&dtf_); }

  test::TempDir dir_;
  test::PathStore paths_;
  DTF dtf_{};
  OpenRequest open_;
  char key_name_[128];
  char text_[256];
  char key_info_[128];
};

// CP932 key names.
const std::string kPrimary = "\x8E\xE5\x83\x4C\x81\x5B";
const std::string kAlternate = "\x95\x9B\x83\x4C\x81\x5B";
const std::string kOne = "\x82\x50", kTwo = "\x82\x51";

TEST_F(KeyedTest, IndexedOpenAnswersWhetherTheFileHoldsRecords) {
  EXPECT_EQ(OpenIndexed(Records()), 1) << Status();
  EXPECT_EQ(KRACKeyCountGet(&dtf_), 2);
  ASSERT_EQ(KRACClose2(&dtf_), 0);
  EXPECT_EQ(dtf_.key_table, nullptr);
  EXPECT_EQ(dtf_.keyed_state, nullptr);
  EXPECT_EQ(dtf_.record_area, nullptr);
  ASSERT_TRUE(test::BuildIndexed(dir_, "EMPTY", kLength, ""));
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "VK", Layout(), 3, "EMPTY"));
  EXPECT_EQ(KRACOpen2(&dtf_, &open_), 0);
  EXPECT_EQ(Get(4), -1);
  EXPECT_EQ(Status(), 2690u);
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 2690u);
}

TEST_F(KeyedTest, OpenNeedsUpdateModeAndAFixedFormat) {
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, Records()));
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "VK", Layout(), 1, "IDX"));
  EXPECT_EQ(KRACOpen2(&dtf_, &open_), -1);
  EXPECT_EQ(Status(), 2611u);
  dtf_.access_mode = 3;
  std::strcpy(dtf_.record_format, "V");
  EXPECT_EQ(KRACOpen2(&dtf_, &open_), -1);
  EXPECT_EQ(Status(), 2614u);
  std::strcpy(dtf_.record_format, "F");
  EXPECT_EQ(KRACOpen2(&dtf_, &open_), 1);
  EXPECT_EQ(KRACOpen2(&dtf_, &open_), -1);
  EXPECT_EQ(Status(), 3630u);
}

TEST_F(KeyedTest, PrimaryKeyAllowingDuplicatesIs2621) {
  ASSERT_TRUE(test::BuildIndexed(dir_, "IDX", kLength, Records()));
  dir_.Write("IDX.kdf", "RECSIZE 20\nKEY 0:5:CHAR DUPS\n");
  ASSERT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "VK", Layout(), 3, "IDX"));
  EXPECT_EQ(KRACOpen2(&dtf_, &open_), -1);
  EXPECT_EQ(Status(), 2621u);
  EXPECT_EQ(key_name_, kPrimary);
  EXPECT_EQ(dtf_.last_function, 0);
  EXPECT_EQ(dtf_.key_table, nullptr);
}

TEST_F(KeyedTest, KeyPartStartingInsideAnItemIs2628NamingThatKey) {
  // Key 3 starts at byte 9, inside NUM (bytes 8 and 9).
  EXPECT_EQ(OpenIndexed(Records(), "KEY 5:3:CHAR\nKEY 9:3:CHAR DUPS\n"), -1);
  EXPECT_EQ(Status(), 2628u);
  EXPECT_EQ(key_name_, kAlternate + kTwo);
  EXPECT_EQ(dtf_.last_function, 0);
  EXPECT_EQ(dtf_.key_table, nullptr);
  // A part that ends inside an item is no better.
  KRACRinfFree(&dtf_);
  EXPECT_EQ(OpenIndexed(Records(), "KEY 5:4:CHAR\n"), -1);
  EXPECT_EQ(Status(), 2628u);
  EXPECT_EQ(key_name_, kAlternate + kOne);
}

TEST_F(KeyedTest, KeyAttributesMustSuitTheirParts) {
  // A character part over the binary item.
  EXPECT_EQ(OpenIndexed(Records(), "KEY 8:2:CHAR DUPS\n"), -1);
  EXPECT_EQ(Status(), 2629u);
  KRACRinfFree(&dtf_);
  // An integer part in a key of two parts.
  EXPECT_EQ(OpenIndexed(Records(), "KEY 5:3:CHAR,8:2:INT\n"), -1);
  EXPECT_EQ(Status(), 2627u);
  KRACRinfFree(&dtf_);
  // An integer key while binary items are edited big-endian.
  open_.big_endian = 1;
  EXPECT_EQ(OpenIndexed(Records(), "KEY 8:2:INT DUPS\n"), -1);
  EXPECT_EQ(Status(), 2630u);
  EXPECT_EQ(key_name_, kAlternate + kOne);
}

TEST_F(KeyedTest, RecordSizeUnlikeTheDefinitionIs2616) {
  std::vector<Item> longer = Layout();
  longer.push_back(At("MORE", "X", "1", 20));
  EXPECT_EQ(OpenIndexed(Records(), "KEY 5:3:CHAR\n", longer), -1);
  EXPECT_EQ(Status(), 2616u);
}

TEST_F(KeyedTest, NextOnTheLastRecordIs2691AndKeepsItCurrent) {
  ASSERT_EQ(OpenIndexed(Records()), 1);
  ASSERT_EQ(Get(4), 0);
  EXPECT_STREQ(text_, "00001");
  ASSERT_EQ(Get(2), 0);
  ASSERT_EQ(Get(2), 0);
  EXPECT_STREQ(text_, "00003");
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 2691u);
  EXPECT_STREQ(text_, "00003");
  EXPECT_EQ(Area(), Rec("00003", "CCC", 3, "three"));
  ASSERT_EQ(Get(3), 0);
  EXPECT_STREQ(text_, "00002");
  ASSERT_EQ(Get(3), 0);
  EXPECT_EQ(Get(3), -1);
  EXPECT_EQ(Status(), 2692u);
  EXPECT_STREQ(text_, "00001");
  ASSERT_EQ(Get(5), 0);
  EXPECT_STREQ(text_, "00003");
}

TEST_F(KeyedTest, GetByKeyAndWithoutACurrentRecord) {
  ASSERT_EQ(OpenIndexed(Records()), 1);
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 3616u);
  ASSERT_EQ(Get(0, "00002"), 0);
  EXPECT_EQ(Area(), Rec("00002", "AAA", 2, "two"));
  EXPECT_STREQ(text_, "00002");
  EXPECT_EQ(Get(0, "00009"), -1);
  EXPECT_EQ(Status(), 3616u);
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 3616u);
  // A shorter key text is padded with blanks.
  EXPECT_EQ(Get(0, "0000"), -1);
  EXPECT_EQ(Get(1), -1);
  EXPECT_EQ(Status(), 2611u);
}

TEST_F(KeyedTest, AddWithAnExistingAlternateKeyIs2622NamingThatKey) {
  ASSERT_EQ(OpenIndexed(Records()), 1);
  EXPECT_EQ(Put(1, Rec("", "AAA", 7, "seven"), "00007"), -1);
  EXPECT_EQ(Status(), 2622u);
  EXPECT_EQ(key_info_, kAlternate + kOne);
  std::memset(key_info_, 0, sizeof key_info_);
  EXPECT_EQ(Put(1, Rec("", "ZZZ", 7, "seven"), "00001"), -1);
  EXPECT_EQ(Status(), 2622u);
  EXPECT_EQ(key_info_, kPrimary);
  // The file is usable after the collision search.
  ASSERT_EQ(Put(1, Rec("", "ZZZ", 7, "seven"), "00007"), 0) << Status();
  EXPECT_STREQ(text_, "00007");
  ASSERT_EQ(Get(5), 0);
  EXPECT_STREQ(text_, "00007");
  ASSERT_EQ(Get(4), 0);
  EXPECT_STREQ(text_, "00001");
}

TEST_F(KeyedTest, ReplaceAndDeleteTheCurrentRecord) {
  ASSERT_EQ(OpenIndexed(Records()), 1);
  ASSERT_EQ(Get(0, "00002"), 0);
  EXPECT_EQ(Put(0, Rec("00002", "CCC", 2, "dup")), -1);
  EXPECT_EQ(Status(), 2626u);
  EXPECT_EQ(key_info_, kAlternate + kOne);
  ASSERT_EQ(Put(0, Rec("00002", "DDD", 22, "twenty-two")), 0) << Status();
  ASSERT_EQ(Get(0, "00001"), 0);
  ASSERT_EQ(KRACDelete(&dtf_), 0);
  EXPECT_EQ(dtf_.last_function, 4);
  EXPECT_EQ(Get(0, "00001"), -1);
  EXPECT_EQ(Status(), 3616u);
  ASSERT_EQ(KRACClose2(&dtf_), 0);
  // What a plain reader sees afterwards.
  dtf_.access_mode = 1;
  ASSERT_EQ(KRACOpen(&dtf_), 0);
  std::string all;
  while (KRACRead(&dtf_) == 0) all += Area();
  EXPECT_EQ(all, Rec("00002", "DDD", 22, "twenty-two") + Rec("00003", "CCC", 3, "three"));
  ASSERT_EQ(KRACClose(&dtf_), 0);
}

TEST_F(KeyedTest, DeleteLeavesThePositionForTheNextRecord) {
  ASSERT_EQ(OpenIndexed(Records()), 1);
  ASSERT_EQ(Get(0, "00002"), 0);
  ASSERT_EQ(KRACDelete(&dtf_), 0);
  ASSERT_EQ(Get(2), 0) << Status();
  EXPECT_STREQ(text_, "00003");
  ASSERT_EQ(Get(3), 0) << Status();
  EXPECT_STREQ(text_, "00001");
}

TEST_F(KeyedTest, RecordHeldByAnotherSharedUserIs3614) {
  open_.share = 1;
  ASSERT_EQ(OpenIndexed(Records()), 1) << Status();
  test::HeldByChild held(dtf_, [](DTF* d) {
    // The child's own open of the same file, with the first record read.
    d->last_function = 0;
    d->record_area = nullptr;
    d->keyed_state = nullptr;
    d->key_table = nullptr;
    char key_name[32], text[256] = "00001";
    OpenRequest open = {1, key_name, 0};
    GetRequest get = {0, text};
    return KRACOpen2(d, &open) >= 0 && KRACGet(d, &get) == 0;
  });
  ASSERT_TRUE(held.holding());
  EXPECT_EQ(Get(0, "00001"), -1);
  EXPECT_EQ(Status(), 3614u);
  ASSERT_EQ(Get(0, "00002"), 0);
  EXPECT_EQ(Put(0, Rec("00001", "BBB", 1, "changed")), -1);
  EXPECT_EQ(Status(), 3614u);
}

TEST_F(KeyedTest, KeyInformationAndKeyChange) {
  ASSERT_EQ(OpenIndexed(Records(), "KEY 5:3:CHAR\nKEY 0:5:CHAR,8:2:CHAR,10:10:CHAR DUPS\n",
                        {At("K1", "X", "5", 0), At("K2", "X", "3", 5), At("NUM", "X", "2", 8),
                         At("REST", "X", "10", 10)}),
            1)
      << Status();
  KeyInformation info;
  ASSERT_EQ(KRACKeyInfGet(&dtf_, &info, 1), 0);
  EXPECT_EQ(info.name, kPrimary);
  EXPECT_EQ(info.flags, 0);
  EXPECT_EQ(info.part_count, 1);
  EXPECT_EQ(info.parts[0].start, 0);
  EXPECT_EQ(info.parts[0].length, 5);
  EXPECT_EQ(info.item_count, 1);
  EXPECT_EQ(info.primary_item_count, 1);
  EXPECT_EQ(info.added_item_count, 0);
  EXPECT_EQ(info.items[0], 0);
  ASSERT_EQ(KRACKeyInfGet(&dtf_, &info, 2), 0);
  EXPECT_EQ(info.name, kAlternate + kOne);
  EXPECT_EQ(info.item_count, 2);
  EXPECT_EQ(info.added_item_count, 1);
  EXPECT_EQ(info.items[0], 0);
  EXPECT_EQ(info.items[1], 1);
  // Key 3 covers K1, NUM and REST; with the primary key's K1 listed once
  // that leaves out K2, so not every item is listed.
  ASSERT_EQ(KRACKeyInfGet(&dtf_, &info, 3), 0);
  EXPECT_EQ(info.name, kAlternate + kTwo);
  EXPECT_EQ(info.flags & 1, 1);
  EXPECT_EQ(info.part_count, 3);
  EXPECT_EQ(info.item_count, 3);
  EXPECT_EQ(info.added_item_count, 2);
  EXPECT_EQ(KRACKeyInfGet(&dtf_, &info, 4), -1);
  EXPECT_EQ(Status(), 2611u);
  EXPECT_EQ(KRACKeyInfGet(&dtf_, &info, 0), -1);

  ASSERT_EQ(KRACKeyChange(&dtf_, 2), 0);
  ASSERT_EQ(Get(4), 0);
  EXPECT_STREQ(text_, "AAA");
  ASSERT_EQ(Get(0, "CCC"), 0);
  EXPECT_EQ(Area(), Rec("00003", "CCC", 3, "three"));
  ASSERT_EQ(KRACKeyChange(&dtf_, 3), 0);
  ASSERT_EQ(Get(4), 0);
  // A key of several parts comes back as its bytes, then a NUL.
  EXPECT_EQ(std::string(text_, 18), std::string("00001\x01\x00one       \0", 18));
  EXPECT_EQ(KRACKeyChange(&dtf_, 9), -1);
  EXPECT_EQ(Status(), 2611u);
}

TEST_F(KeyedTest, KeyOfAllItemsHasANegativeCount) {
  ASSERT_EQ(OpenIndexed(Records(), "KEY 5:15:CHAR\n",
                        {At("K1", "X", "5", 0), At("K2", "X", "3", 5), At("REST", "X", "12", 8)}),
            1)
      << Status();
  KeyInformation info;
  ASSERT_EQ(KRACKeyInfGet(&dtf_, &info, 2), 0);
  EXPECT_EQ(info.item_count, -3);
  EXPECT_EQ(info.primary_item_count, 1);
  EXPECT_EQ(info.added_item_count, 2);
}

TEST_F(KeyedTest, IntegerKeyTakesADecimalText) {
  ASSERT_EQ(OpenIndexed(Records(), "KEY 5:3:CHAR\nKEY 8:2:INT DUPS\n"), 1) << Status();
  ASSERT_EQ(KRACKeyChange(&dtf_, 3), 0);
  ASSERT_EQ(Get(0, "2"), 0);
  EXPECT_EQ(Area(), Rec("00002", "AAA", 2, "two"));
  EXPECT_STREQ(text_, "2");
  for (const char* bad : {"40000", "-32769", "", "1x", "123456"}) {
    EXPECT_EQ(Get(0, bad), -1) << bad;
    EXPECT_EQ(Status(), 2624u) << bad;
  }
  EXPECT_EQ(Get(0, "-7"), -1);
  EXPECT_EQ(Status(), 3616u);
}

// ---- Relative files ----

class RelativeTest : public KeyedTest {
 protected:
  int OpenRelative(const std::string& bytes, int length = kLength) {
    if (!bytes.empty()) dir_.Write("REL", bytes);
    EXPECT_TRUE(test::Prepare(dir_, &paths_, &dtf_, "S", length, 3, "REL"));
    return KRACOpen2(&dtf_, &open_);
  }
};

TEST_F(RelativeTest, TenRecordsByNumber) {
  const std::string ten = test::Records(10, kLength);
  auto record = [&](int n) { return ten.substr(static_cast<size_t>(n - 1) * kLength, kLength); };
  const std::string added = "ADDED RECORD 11     ", replaced = "REPLACED RECORD 3   ";
  ASSERT_EQ(OpenRelative(ten), 1);
  EXPECT_EQ(KRACKeyCountGet(&dtf_), 10);
  EXPECT_EQ(Get(1, "11"), -1);
  EXPECT_EQ(Status(), 3615u);
  for (const char* bad : {"0", "+1", "", "12345678901", "1 "}) {
    EXPECT_EQ(Get(1, bad), -1) << bad;
    EXPECT_EQ(Status(), 2625u) << bad;
  }
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 3615u);
  ASSERT_EQ(Get(1, "10"), 0);
  EXPECT_EQ(Area(), record(10));
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 2691u);
  EXPECT_STREQ(text_, "10");
  ASSERT_EQ(Get(3), 0);
  EXPECT_STREQ(text_, "9");
  ASSERT_EQ(Get(4), 0);
  EXPECT_EQ(Get(3), -1);
  EXPECT_EQ(Status(), 2692u);
  EXPECT_STREQ(text_, "1");
  ASSERT_EQ(Put(1, added), 0);
  EXPECT_STREQ(text_, "11");
  EXPECT_EQ(Get(2), -1);
  EXPECT_EQ(Status(), 2691u);
  EXPECT_STREQ(text_, "11");
  ASSERT_EQ(Get(1, "3"), 0);
  EXPECT_EQ(Area(), record(3));
  ASSERT_EQ(Put(0, replaced), 0);
  EXPECT_STREQ(text_, "3");
  EXPECT_EQ(KRACDelete(&dtf_), -1);
  EXPECT_EQ(Status(), 2611u);
  ASSERT_EQ(KRACClose2(&dtf_), 0);
  std::string want = ten.substr(0, 2 * kLength) + replaced + ten.substr(3 * kLength) + added;
  EXPECT_EQ(test::ReadAll(dir_.path() + "/REL"), want);
}

TEST_F(RelativeTest, KeyCountOfThreeHundredBytesOfHundredByteRecords) {
  ASSERT_EQ(OpenRelative(test::Records(3, 100), 100), 1);
  EXPECT_EQ(KRACKeyCountGet(&dtf_), 3);
  KeyInformation info;
  EXPECT_EQ(KRACKeyInfGet(&dtf_, &info, 1), -1);
  EXPECT_EQ(Status(), 2611u);
}

TEST_F(RelativeTest, MissingFileIsCreatedEmpty) {
  ASSERT_EQ(OpenRelative(""), 0);
  EXPECT_EQ(Get(4), -1);
  EXPECT_EQ(Status(), 2690u);
  ASSERT_EQ(Put(1, test::Records(1, kLength)), 0);
  EXPECT_STREQ(text_, "1");
  ASSERT_EQ(Get(5), 0);
  ASSERT_EQ(KRACClose2(&dtf_), 0);
  EXPECT_EQ(test::ReadAll(dir_.path() + "/REL"), test::Records(1, kLength));
}

TEST_F(RelativeTest, FileNotAMultipleOfTheRecordLengthIs2616) {
  EXPECT_EQ(OpenRelative(test::Records(2, kLength) + "xyz"), -1);
  EXPECT_EQ(Status(), 2616u);
  EXPECT_EQ(dtf_.sequential_control, nullptr);
  EXPECT_EQ(dtf_.record_area, nullptr);
}

TEST_F(RelativeTest, KeyCallsOnAClosedFileAre2611) {
  EXPECT_EQ(KRACKeyCountGet(&dtf_), -1);
  EXPECT_EQ(Status(), 2611u);
  EXPECT_EQ(KRACKeyChange(&dtf_, 1), -1);
  EXPECT_EQ(Get(4), -1);
  EXPECT_EQ(Status(), 3630u);
}

}  // namespace
}  // namespace qel::recacc
