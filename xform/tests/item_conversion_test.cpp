// Item conversion: field texts of every encoding, alignment without
// rounding, national padding, and CSV lines written and read back.
#include "xform/item_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "xform/tests/xform_fixture.h"

namespace qel::xform {
namespace {

using Bytes = std::vector<unsigned char>;

ItemDescriptor Item(const char* name, int attribute, int byte_length, int digits, int fraction = 0,
                    char sign = '0', int position = 0) {
  ItemDescriptor d;
  std::memset(&d, 0, sizeof d);
  std::strncpy(d.name, name, sizeof d.name - 1);
  d.attribute = attribute;
  d.byte_length = byte_length;
  d.digits = digits;
  d.fraction_digits = fraction;
  d.position = position;
  d.sign = sign;
  d.blank_when_zero = 'F';
  d.justified = 'F';
  return d;
}

std::string Text(const ItemDescriptor& d, const Bytes& bytes, bool big_endian = false,
                 bool bwz = false, int* rc_out = nullptr) {
  LoadItems({d}, big_endian, bwz);
  char out[128];
  std::size_t length = 0;
  int rc = ItemToField(0, bytes.data(), out, sizeof out, &length);
  if (rc_out != nullptr) *rc_out = rc;
  return rc == 0 ? std::string(out, length) : "<" + std::to_string(rc) + ">";
}

Bytes Store(const ItemDescriptor& d, const std::string& text, bool big_endian = false,
            bool bwz = false, int* rc_out = nullptr) {
  LoadItems({d}, big_endian, bwz);
  Bytes out(static_cast<std::size_t>(d.byte_length) + 1, 0xEE);
  int rc = FieldToItem(0, text, out.data());
  if (rc_out != nullptr) *rc_out = rc;
  EXPECT_EQ(out.back(), 0xEE) << "wrote past the item";
  out.pop_back();
  return out;
}

TEST(ItemToField, BinaryTakesTheByteOrderOption) {
  ItemDescriptor b = Item("B", 5, 2, 3);
  EXPECT_EQ(Text(b, {0x85, 0xFF}), "-123");
  EXPECT_EQ(Store(b, "-123", true), (Bytes{0xFF, 0x85}));
  EXPECT_EQ(Text(b, {0xFF, 0x85}, true), "-123");
  // 65535 in an unsigned 9(4) keeps its four low-order digits.
  EXPECT_EQ(Text(Item("C", 22, 2, 4), {0xFF, 0xFF}), "5535");
  // 1234 in S9(2)V99 is 12.34.
  EXPECT_EQ(Text(Item("B", 5, 2, 2, 2), {0xD2, 0x04}), "12.34");
}

TEST(ItemToField, PackedSignsAndValidation) {
  EXPECT_EQ(Text(Item("P", 6, 3, 5), {0x12, 0x34, 0x5D}), "-12345");
  EXPECT_EQ(Text(Item("P", 6, 3, 5), {0x12, 0x34, 0x5F}), "<-4>");
  EXPECT_EQ(Text(Item("U", 7, 3, 5), {0x12, 0x34, 0x5F}), "12345");
  EXPECT_EQ(Text(Item("U", 7, 3, 5), {0x12, 0x34, 0x5C}), "<-4>");
  // The padding nibble in front of an even digit count is checked too.
  EXPECT_EQ(Text(Item("P", 6, 3, 4), {0x01, 0x23, 0x4C}), "1234");
  EXPECT_EQ(Text(Item("P", 6, 3, 4), {0xA1, 0x23, 0x4C}), "<-4>");
  EXPECT_EQ(Text(Item("P", 6, 2, 3), {0x1A, 0x2C}), "<-4>");
  EXPECT_EQ(Store(Item("P", 6, 3, 4), "1234"), (Bytes{0x01, 0x23, 0x4C}));
  EXPECT_EQ(Text(Item("P", 6, 2, 3), {0x00, 0x0D}), "-0");
}

TEST(ItemToField, TextFormsOfNumbers) {
  EXPECT_EQ(Text(Item("S", 8, 7, 5, 2, '1'), {'0', '0', '1', '2', '3', '4', 0x75}), "-123.45");
  EXPECT_EQ(Text(Item("Z", 9, 3, 3), {'0', '0', '7'}), "7");
  EXPECT_EQ(Text(Item("Z", 9, 5, 3, 2), {'0', '0', '1', '5', '0'}), "1.50");
  EXPECT_EQ(Text(Item("Z", 9, 2, 0, 2), {'0', '5'}), ".05");
  EXPECT_EQ(Text(Item("Z", 9, 3, 3), {'0', ' ', '5'}), "<-4>");
}

TEST(ItemToField, ZonedSignForms) {
  EXPECT_EQ(Text(Item("S", 8, 4, 3, 0, '2'), {'-', '0', '0', '5'}), "-5");
  EXPECT_EQ(Text(Item("S", 8, 4, 3, 0, '3'), {'0', '0', '5', '-'}), "-5");
  EXPECT_EQ(Text(Item("S", 8, 3, 3, 0, '4'), {0x70, '0', '5'}), "-5");
  EXPECT_EQ(Text(Item("S", 8, 3, 3, 0, '5'), {'0', '0', 0x75}), "-5");
  EXPECT_EQ(Store(Item("S", 8, 4, 3, 0, '2'), "-5"), (Bytes{'-', '0', '0', '5'}));
  EXPECT_EQ(Store(Item("S", 8, 4, 3, 0, '3'), "-5"), (Bytes{'0', '0', '5', '-'}));
  EXPECT_EQ(Store(Item("S", 8, 3, 3, 0, '1'), "-5"), (Bytes{'0', '0', 0x75}));
  EXPECT_EQ(Store(Item("Z", 9, 3, 3), "-5"), (Bytes{'0', '0', '5'}));
}

TEST(FieldToItem, AlignsWithoutRounding) {
  EXPECT_EQ(Store(Item("Z", 9, 5, 3, 2), "12.345"), (Bytes{'0', '1', '2', '3', '4'}));
  EXPECT_EQ(Store(Item("Z", 9, 3, 3), "1234"), (Bytes{'2', '3', '4'}));
  EXPECT_EQ(Store(Item("Z", 9, 3, 3), ""), (Bytes{'0', '0', '0'}));
  int rc = 0;
  Store(Item("Z", 9, 3, 3), " 5", false, false, &rc);
  EXPECT_EQ(rc, kConvertInvalidData);
  Store(Item("Z", 9, 3, 3), "1.2.3", false, false, &rc);
  EXPECT_EQ(rc, kConvertInvalidData);
}

TEST(FieldToItem, NumericTextLongerThanTheWorkBufferIsInvalid) {
  int rc = 0;
  Store(Item("Z", 9, 3, 3), std::string(30, '0') + "1", false, false, &rc);
  EXPECT_EQ(rc, kConvertInvalidData);
  EXPECT_EQ(Store(Item("Z", 9, 3, 3), std::string(27, '0') + "123", false, false, &rc),
            (Bytes{'1', '2', '3'}));
  EXPECT_EQ(rc, kConvertOk);
}

TEST(BlankWhenZero, OnlyWithTheOption) {
  ItemDescriptor z = Item("Z", 9, 3, 3);
  z.blank_when_zero = 'T';
  EXPECT_EQ(Text(z, {' ', ' ', ' '}, false, true), "0");
  EXPECT_EQ(Text(z, {' ', ' ', ' '}, false, false), "<-4>");
  EXPECT_EQ(Store(z, "0", false, true), (Bytes{' ', ' ', ' '}));
  EXPECT_EQ(Store(z, "0", false, false), (Bytes{'0', '0', '0'}));
}

TEST(FieldToItem, CharacterAndNationalPlacement) {
  EXPECT_EQ(Store(Item("X", 1, 4, 4), "ab"), (Bytes{'a', 'b', ' ', ' '}));
  EXPECT_EQ(Store(Item("X", 1, 2, 2), "abcd"), (Bytes{'a', 'b'}));
  ItemDescriptor j = Item("J", 1, 3, 3);
  j.justified = 'T';
  EXPECT_EQ(Store(j, "abcd"), (Bytes{'b', 'c', 'd'}));
  EXPECT_EQ(Store(j, "a"), (Bytes{' ', ' ', 'a'}));
  EXPECT_EQ(Store(Item("N", 3, 4, 2), "ab"), (Bytes{'a', 'b', 0x81, 0x40}));
  EXPECT_EQ(Store(Item("N", 3, 4, 2), "abc"), (Bytes{'a', 'b', 'c', ' '}));
  EXPECT_EQ(Text(Item("X", 1, 4, 4), {'a', ' ', ' ', ' '}), "a   ");
}

TEST(KVAttrChk, NamesTheFirstItemThatCannotConvert) {
  LoadItems({Item("GRP", 4, 6, 0), Item("A", 1, 2, 2), Item("FLT", 10, 4, 4), Item("IX", 19, 4, 4)},
            false, false);
  char name[32] = {};
  EXPECT_EQ(KVAttrChk(name), -1);
  EXPECT_STREQ(name, "FLT");
  LoadItems({Item("GRP", 4, 6, 0), Item("A", 1, 2, 2)}, false, false);
  EXPECT_EQ(KVAttrChk(name), 0);
}

// CSV lines through the real reader and writer.
class CsvLines : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ws_.Path("data.csv");
    // NAME X(6), GROUP with AMOUNT S9(3)V9 COMP-3 and COUNT 9(2).
    LoadItems({Item("NAME", 1, 6, 6, 0, '0', 0), Item("GROUP", 4, 5, 0, 0, '0', 6),
               Item("AMOUNT", 6, 3, 3, 1, '0', 6), Item("COUNT", 9, 2, 2, 0, '0', 9)},
              false, false);
  }

  std::string WriteRecords(const std::vector<Bytes>& records, bool title) {
    QelFileHandle h = CsvfileOpen(path_.c_str(), 0x0301, title ? 1 : 0, ",");
    EXPECT_NE(h, -1);
    if (title) {
      EXPECT_EQ(CsvTitlePut(h), 0);
    }
    for (const Bytes& r : records) EXPECT_EQ(CsvRecPut(h, ',', r.data()), 0);
    EXPECT_EQ(CsvfieldPut(h, "", 0, 2), 0);
    EXPECT_EQ(CsvfileClose(h), 0);
    return Contents();
  }

  std::string Contents() { return ws_.Read("data.csv"); }
  void WriteFile(const std::string& bytes) { ws_.Write("data.csv", bytes); }

  // Reads every record: the results of CsvRecGet and the records built.
  std::vector<int> ReadAll(std::vector<Bytes>* records) {
    QelFileHandle h = CsvfileOpen(path_.c_str(), 0, 0, ",");
    EXPECT_NE(h, -1);
    std::vector<int> results;
    for (int guard = 0; guard < 100; ++guard) {
      Bytes r(11, 0xEE);
      int rc = CsvRecGet(h, r.data(), r.size());
      results.push_back(rc);
      if (rc != kRecordBuilt) break;
      records->push_back(r);
    }
    CsvfileClose(h);
    return results;
  }

  test::Workspace ws_;
  std::string path_;
};

TEST_F(CsvLines, QuotesCharacterFieldsAndLeavesNumbersBare) {
  Bytes r{'A', ',', 'B', '\r', '\n', ' ', 0x01, 0x23, 0x4D, '0', '7', 0, 0};
  EXPECT_EQ(WriteRecords({r}, true), "\"NAME\",\"AMOUNT\",\"COUNT\"\r\n\"A,B\r\n \",-123.4,7\r\n");
}

TEST_F(CsvLines, SeparatorAndLineEndSurviveARoundTrip) {
  Bytes r{'A', ',', 'B', '\r', '\n', ' ', 0x01, 0x23, 0x4D, '0', '7'};
  WriteRecords({r}, false);
  std::vector<Bytes> back;
  EXPECT_EQ(ReadAll(&back), (std::vector<int>{1, 2}));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], r);
}

TEST_F(CsvLines, AQuoteInsideACharacterFieldCannotBeReadBack) {
  Bytes r{'a', '"', 'b', ' ', ' ', ' ', 0x00, 0x00, 0x0C, '0', '0'};
  EXPECT_EQ(WriteRecords({r}, false), "\"a\"b   \",0.0,0\r\n");
  std::vector<Bytes> back;
  EXPECT_EQ(ReadAll(&back), (std::vector<int>{-2}));
}

TEST_F(CsvLines, ShortLinesGetEmptyValuesAndLongLinesLoseTheirExtras) {
  WriteFile("\"ab\"\r\n\r\n\"cd\",1.5,2,extra,\"more\"\r\nxy,3,4\r\n");
  std::vector<Bytes> back;
  EXPECT_EQ(ReadAll(&back), (std::vector<int>{1, 1, 1, 1, 2}));
  ASSERT_EQ(back.size(), 4u);
  EXPECT_EQ(back[0], (Bytes{'a', 'b', ' ', ' ', ' ', ' ', 0x00, 0x00, 0x0C, '0', '0'}));
  EXPECT_EQ(back[1], (Bytes{' ', ' ', ' ', ' ', ' ', ' ', 0x00, 0x00, 0x0C, '0', '0'}));
  EXPECT_EQ(back[2], (Bytes{'c', 'd', ' ', ' ', ' ', ' ', 0x00, 0x01, 0x5C, '0', '2'}));
  EXPECT_EQ(back[3], (Bytes{'x', 'y', ' ', ' ', ' ', ' ', 0x00, 0x03, 0x0C, '0', '4'}));
}

TEST_F(CsvLines, InvalidNumberNamesTheItem) {
  WriteFile("\"ab\",1x,2\r\n");
  std::vector<Bytes> back;
  EXPECT_EQ(ReadAll(&back), (std::vector<int>{kConvertInvalidData}));
  EXPECT_STREQ(FailedItemName(), "AMOUNT");
}

TEST_F(CsvLines, EndOfFileInTheMiddleOfALineEndsTheFile) {
  WriteFile("\"ab\",1,");
  std::vector<Bytes> back;
  EXPECT_EQ(ReadAll(&back), (std::vector<int>{kRecordEnd}));
}

// The same lines with the CSV side in UTF-8. NAME N(2), NOTE X(5) JUSTIFIED,
// COUNT 9(2): 11 bytes; the title names are Japanese.
class Utf8Lines : public ::testing::Test {
 protected:
  void SetUp() override {
    ItemDescriptor note = Item("NOTE", 1, 5, 5, 0, '0', 4);
    note.justified = 'T';
    LoadItems({Item(test::Sjis("名前").c_str(), 3, 4, 2, 0, '0', 0), note,
               Item("COUNT", 9, 2, 2, 0, '0', 9)},
              false, false);
    ASSERT_TRUE(SetCsvEncoding(CsvEncoding::kUtf8));
  }
  void TearDown() override { SetCsvEncoding(CsvEncoding::kCp932); }

  // Writes the records as UTF-8 lines.
  std::string Write(const std::vector<std::string>& records, bool title = false) {
    QelFileHandle h = CsvfileOpen(path_.c_str(), 0x0301, 0, ",");
    EXPECT_NE(h, -1);
    if (title) {
      EXPECT_EQ(CsvTitlePut(h), 0);
    }
    for (const std::string& r : records) {
      EXPECT_EQ(CsvRecPut(h, ',', reinterpret_cast<const unsigned char*>(r.data())), 0);
    }
    EXPECT_EQ(CsvfieldPut(h, "", 0, 2), 0);
    EXPECT_EQ(CsvfileClose(h), 0);
    return ws_.Read("data.csv");
  }

  // Reads the UTF-8 lines `csv`: the records built, then "<result>" of the
  // call that built none.
  std::vector<std::string> Read(const std::string& csv) {
    ws_.Write("data.csv", csv);
    QelFileHandle h = CsvfileOpen(path_.c_str(), 0, 0, ",");
    EXPECT_NE(h, -1);
    std::vector<std::string> out;
    for (int guard = 0; guard < 100; ++guard) {
      std::string r(11, '\xEE');
      int rc = CsvRecGet(h, reinterpret_cast<unsigned char*>(r.data()), r.size());
      if (rc != kRecordBuilt) {
        out.push_back("<" + std::to_string(rc) + ">");
        break;
      }
      out.push_back(r);
    }
    CsvfileClose(h);
    return out;
  }

  test::Workspace ws_;
  std::string path_ = ws_.Path("data.csv");
};

TEST_F(Utf8Lines, CharacterFieldsAndTitleAreUtf8NumbersUnchanged) {
  std::string r = test::Sjis("東京") + test::Sjis("ｱｲ   ") + "07";
  EXPECT_EQ(Write({r}, true), "\"名前\",\"NOTE\",\"COUNT\"\r\n\"東京\",\"ｱｲ   \",7\r\n");
  EXPECT_EQ(Read("\"東京\",\"ｱｲ   \",7\r\n"), (std::vector<std::string>{r, "<2>"}));
}

TEST_F(Utf8Lines, ACutNeverLeavesHalfACharacter) {
  // a東京 into N(2): four bytes would end with the first byte of 京.
  // 東京都 into the justified X(5): the five last bytes would begin with
  // the second byte of 東.
  EXPECT_EQ(Read("\"a東京\",\"東京都\",1\r\n"),
            (std::vector<std::string>{
                "a" + test::Sjis("東") + " " + " " + test::Sjis("京都") + "01", "<2>"}));
  // Texts that fit, and cuts at a boundary, are placed as in CP932.
  EXPECT_EQ(Read("\"東京都\",\"ab\",\r\n\"東\",\"ｱｲｳｴｵｶ\",\r\n"),
            (std::vector<std::string>{test::Sjis("東京") + "   ab00",
                                      test::Sjis("東　") + test::Sjis("ｲｳｴｵｶ") + "00", "<2>"}));
}

TEST_F(Utf8Lines, NumbersStayAscii) {
  // Full-width digits in a numeric field are invalid data, not text.
  EXPECT_EQ(Read("\"東京\",\"a\",１\r\n"),
            (std::vector<std::string>{"<" + std::to_string(kConvertInvalidData) + ">"}));
  EXPECT_STREQ(FailedItemName(), "COUNT");
}

TEST(Utf8Line, AnItemOfSingleByteKatakanaTakesThreeTimesItsBytes) {
  // 60000 bytes of ｱ are 180000 bytes of UTF-8: more than the line buffer
  // of the CP932 side holds.
  test::Workspace ws;
  LoadItems({Item("K", 1, 60000, 60000, 0, '0', 0), Item("N", 9, 1, 1, 0, '0', 60000)}, false,
            false);
  ASSERT_TRUE(SetCsvEncoding(CsvEncoding::kUtf8));
  std::string r(60000, '\xb1');
  r += '5';
  std::string path = ws.Path("wide.csv");
  QelFileHandle h = CsvfileOpen(path.c_str(), 0x0301, 0, ",");
  ASSERT_NE(h, -1);
  EXPECT_EQ(CsvRecPut(h, ',', reinterpret_cast<const unsigned char*>(r.data())), 0);
  EXPECT_EQ(CsvfieldPut(h, "", 0, 2), 0);
  EXPECT_EQ(CsvfileClose(h), 0);
  std::string expected = "\"";
  for (int k = 0; k < 60000; ++k) expected += "ｱ";
  EXPECT_EQ(ws.Read("wide.csv"), expected + "\",5\r\n");
  SetCsvEncoding(CsvEncoding::kCp932);
}

}  // namespace
}  // namespace qel::xform
