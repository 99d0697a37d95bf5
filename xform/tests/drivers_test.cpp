// The conversion drivers end to end on files the tests write: messages (read
// back from the log), outputs, and the failures inside the record loops.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "idxfile/idxfile.h"
#include "xform/conversion_drivers.h"
#include "xform/tests/xform_fixture.h"

namespace qel::xform {
namespace {

using test::Table;
using test::Workspace;

std::string Record(const std::string& code, const std::string& name_sjis, unsigned char p1,
                   unsigned char p2, unsigned char p3, const std::string& qty, unsigned char b0,
                   unsigned char b1) {
  std::string r = code + name_sjis;
  r += static_cast<char>(p1);
  r += static_cast<char>(p2);
  r += static_cast<char>(p3);
  r += qty;
  r += static_cast<char>(b0);
  r += static_cast<char>(b1);
  return r;
}

class Drivers : public ::testing::Test {
 protected:
  Workspace ws_;
  std::string def_ = ws_.Definition("SALES", test::SalesItems());
};

TEST_F(Drivers, SamToCsvAndBackGiveTheSameBytes) {
  std::string data = Record("A001", test::Sjis("東京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04) +
                     Record("B,02", test::Sjis("大阪"), 0x00, 0x00, 0x0C, "0000-", 0xFF, 0xFF);
  ws_.Write("IN.DAT", data);
  KXFMTbl sc = Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_);
  sc.Title = 1;
  ASSERT_EQ(SamToCsv(sc), 0);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"CODE\",\"NAME\",\"AMOUNT\",\"QTY\",\"BIN\"\r\n\"A001\",\"" +
                                     test::Sjis("東京") + "\",-123.45,12,1234\r\n\"B,02\",\"" +
                                     test::Sjis("大阪") + "\",0.00,-0,-1\r\n");
  EXPECT_NE(ws_.Log().find("KXFM2704-I 変換レコード  2件。"), std::string::npos);

  KXFMTbl cs = Table(ws_.Path("OUT.CSV"), ws_.Path("BACK.DAT"), def_);
  cs.Title = 1;
  ASSERT_EQ(CsvToSam(cs), 0);
  // The positive zero written back keeps no sign of the original.
  std::string expected = data;
  EXPECT_EQ(ws_.Read("BACK.DAT"), expected);
}

TEST_F(Drivers, LogStartsWithTheSystemInformation) {
  ws_.Write("IN.DAT", "");
  KXFMTbl t = Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_);
  t.Separator[0] = '\t';
  ASSERT_EQ(SamToCsv(t), 0);
  std::string log = ws_.Log();
  EXPECT_NE(log.find("  System Information ----------------------------------\n"
                     "FuncName              = SamToCsv\n"),
            std::string::npos);
  EXPECT_NE(log.find("KXFMTbl.Separator   = {TAB}\nKXFMTbl.CharSeparator = \"\n"
                     "KXFMTbl.Title         = FALSE\nKXFMTbl.Reclen        = 0\n"
                     "KXFMTbl.BinaryCode    = LITTLE_ENDIAN\nKXFMTbl.BwzType       = INVALID\n"),
            std::string::npos);
  EXPECT_NE(log.find("KXFM2704-I 変換レコード  0件。"), std::string::npos);
  // The CSV encoding is logged only when it is UTF-8.
  EXPECT_EQ(log.find("CsvCode"), std::string::npos);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "");
}

TEST_F(Drivers, EmptyInputWithTitleGivesOnlyTheTitleLine) {
  ws_.Write("IN.DAT", "");
  ws_.Write("OUT.CSV", "old contents that must go\r\n");
  KXFMTbl t = Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_);
  t.Title = 1;
  ASSERT_EQ(SamToCsv(t), 0);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"CODE\",\"NAME\",\"AMOUNT\",\"QTY\",\"BIN\"\r\n");
}

TEST_F(Drivers, ShortLastRecordFailsAfterTheWholeRecords) {
  std::string one = Record("A001", test::Sjis("東京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04);
  ws_.Write("IN.DAT", one + "A0");
  EXPECT_EQ(SamToCsv(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KRAC2617-S"), std::string::npos);
  EXPECT_EQ(ws_.Log().find("KXFM2704"), std::string::npos);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"A001\",\"" + test::Sjis("東京") + "\",-123.45,12,1234\r\n");

  EXPECT_EQ(SamToTxt(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.TXT"), "", 18)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2723-S 指定したレコード長が不正なため"), std::string::npos);
}

TEST_F(Drivers, InvalidDataNamesTheRecordAndTheItem) {
  std::string good = Record("A001", test::Sjis("東京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04);
  std::string bad = Record("A002", test::Sjis("東京"), 0x12, 0x34, 0x5F, "0012+", 0xD2, 0x04);
  ws_.Write("IN.DAT", good + bad + good);
  EXPECT_EQ(SamToCsv(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("定義ファイルとデータファイルの内容が異なっています。(2,AMOUNT)"),
            std::string::npos);
  // The record before the failing one is kept whole, nothing of the failing
  // one is written.
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"A001\",\"" + test::Sjis("東京") + "\",-123.45,12,1234\r\n");

  ws_.Write("IN.CSV", "A,,1,1,1\r\nB,,1,x,1\r\n");
  EXPECT_EQ(CsvToSam(Table(ws_.Path("IN.CSV"), ws_.Path("OUT.DAT"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("(2,QTY)"), std::string::npos);
  EXPECT_EQ(ws_.Read("OUT.DAT").size(), 18u) << "the record before the failing one is kept";

  ws_.Write("IN.CSV", "A,,1,1,1\r\n\"A\"B\",,1,1,1\r\n");
  EXPECT_EQ(CsvToSam(Table(ws_.Path("IN.CSV"), ws_.Path("OUT.DAT"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2720-E " + ws_.Path("IN.CSV")), std::string::npos);
  EXPECT_NE(ws_.Log().find("(2)"), std::string::npos);
}

TEST_F(Drivers, DefinitionMustSuitTheKind) {
  std::string indexed = ws_.Definition("IDX", test::SalesItems(), "VK");
  ws_.Write("IN.DAT", "");
  EXPECT_EQ(SamToCsv(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), indexed)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2721-S " + indexed), std::string::npos);
  EXPECT_EQ(IsamToCsv(Table(ws_.Path("IN.kdf"), ws_.Path("OUT.CSV"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2722-S " + def_), std::string::npos);
  std::string variable = ws_.Definition("VAR", test::SalesItems(), "S", "V");
  EXPECT_EQ(SamToCsv(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), variable)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KRAC2614-S"), std::string::npos);
  std::string floating = ws_.Definition("FLT", {{"01", "F1", "F", "4", "0"}});
  EXPECT_EQ(CsvToSam(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.DAT"), floating)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2700-E 変換できない属性の項目があります。(F1)"), std::string::npos);
  EXPECT_EQ(SamToCsv(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), ws_.Path("NONE.FLF"))),
            kDriverFailed);
  EXPECT_NE(ws_.Log().find("KRAC3510-E"), std::string::npos);
}

TEST_F(Drivers, ItemOutsideTheRecordIsRefused) {
  // The record length comes from the first and the last items: 4 bytes,
  // while B claims bytes 50 and 51.
  std::string def = ws_.Definition(
      "HOLE",
      {{"03", "A", "X", "2", "0"}, {"03", "B", "X", "2", "50"}, {"03", "C", "X", "2", "2"}});
  ws_.Write("IN.DAT", "abcd");
  EXPECT_EQ(SamToCsv(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2701-E"), std::string::npos);
  EXPECT_EQ(CsvToSam(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.DAT"), def)), kDriverFailed);
}

TEST_F(Drivers, MissingInputIsReported) {
  EXPECT_EQ(SamToCsv(Table(ws_.Path("NONE.DAT"), ws_.Path("OUT.CSV"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KRAC3610-E " + ws_.Path("NONE.DAT")), std::string::npos);
  EXPECT_EQ(CsvToSam(Table(ws_.Path("NONE.CSV"), ws_.Path("OUT.DAT"), def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2728-S " + ws_.Path("NONE.CSV")), std::string::npos);
  EXPECT_EQ(TxtToSam(Table(ws_.Path("NONE.TXT"), ws_.Path("OUT.DAT"), "", 4)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2727-S " + ws_.Path("NONE.TXT")), std::string::npos);
}

TEST_F(Drivers, TextToFixedPadsAndReportsTheLargestCut) {
  ws_.Write("IN.TXT", "abc\r\n" + std::string(15, 'x') + "\n" + std::string(8, 'y') + "\r\nz");
  ws_.Write("OUT.DAT", std::string(100, '#'));  // replaced, not overwritten in place
  ASSERT_EQ(TxtToSam(Table(ws_.Path("IN.TXT"), ws_.Path("OUT.DAT"), "", 5)), 0);
  EXPECT_EQ(ws_.Read("OUT.DAT"), "abc  xxxxxyyyyyz    ");
  std::string log = ws_.Log();
  EXPECT_NE(log.find("KXFM2715-I レコード長を超えたデータを最大10バイト切り捨てました。"),
            std::string::npos);
  EXPECT_NE(log.find("KXFM2704-I 変換レコード  4件。"), std::string::npos);
}

TEST_F(Drivers, TextLineLongerThanTheReadCapacityCountsWhole) {
  ws_.Write("IN.TXT", std::string(70000, 'q') + "\r\nend\r\n");
  ASSERT_EQ(TxtToSam(Table(ws_.Path("IN.TXT"), ws_.Path("OUT.DAT"), "", 2)), 0);
  EXPECT_EQ(ws_.Read("OUT.DAT"), "qqen");
  EXPECT_NE(ws_.Log().find("最大69998バイト"), std::string::npos);
}

TEST_F(Drivers, FixedToTextEndsEachLineAtItsFirstNul) {
  ws_.Write("IN.DAT", std::string("ab\0d", 4) + "efgh");
  ASSERT_EQ(SamToTxt(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.TXT"), "", 4)), 0);
  EXPECT_EQ(ws_.Read("OUT.TXT"), "ab\r\nefgh\r\n");
}

std::string VariableFile(const std::vector<std::string>& records, int min, int max,
                         bool ident = true) {
  std::string h(128, '\0');
  if (ident) h.replace(8, 6, "FSV   ");
  auto le = [](std::string& s, std::size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) s[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  le(h, 64, static_cast<uint32_t>(max));
  le(h, 68, static_cast<uint32_t>(min));
  for (const std::string& r : records) {
    std::string n(4, '\0');
    le(n, 0, static_cast<uint32_t>(r.size()));
    h += n + r;
  }
  return h;
}

TEST_F(Drivers, VariableToFixedPadsAndCuts) {
  ws_.Write("IN.VAR", VariableFile({"ab", "abcdefghi", "abcdefg"}, 1, 20));
  ASSERT_EQ(VsamToSam(Table(ws_.Path("IN.VAR"), ws_.Path("OUT.DAT"), "", 5)), 0);
  EXPECT_EQ(ws_.Read("OUT.DAT"), "ab   abcdeabcde");
  EXPECT_NE(ws_.Log().find("最大4バイト"), std::string::npos);

  ws_.Write("IN.VAR", VariableFile({"ab"}, 1, 20, false));
  EXPECT_EQ(VsamToSam(Table(ws_.Path("IN.VAR"), ws_.Path("OUT.DAT"), "", 5)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2730-E " + ws_.Path("IN.VAR") +
                           " は可変長順編成ファイルではありません。"),
            std::string::npos);
}

TEST_F(Drivers, CancelStopsTheLoopAndProgressCounts) {
  std::string data;
  for (int k = 0; k < 3; ++k) data += "abcd";
  ws_.Write("IN.DAT", data);
  std::atomic<std::uint64_t> records{99};
  std::atomic<bool> cancel{false};
  DriverContext c;
  c.records = &records;
  c.cancel = &cancel;
  ASSERT_EQ(SamToTxt(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.TXT"), "", 4), c), 0);
  EXPECT_EQ(records.load(), 3u);
  cancel = true;
  EXPECT_EQ(SamToTxt(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.TXT"), "", 4), c), kDriverCancelled);
  EXPECT_EQ(records.load(), 0u);
}

TEST(KVisamerr, MapsTheIsamErrors) {
  char text[10];
  EXPECT_EQ(KVisamerr(-2, 0, 0, 1, text), 3698);
  EXPECT_EQ(KVisamerr(-1, 2, 0, 1, text), 2726);
  EXPECT_EQ(KVisamerr(-1, 101, 0, 2, text), 3630);
  EXPECT_EQ(KVisamerr(-1, 102, 0, 2, text), 2613);
  EXPECT_EQ(KVisamerr(-1, 104, 0, 1, text), 3702);
  EXPECT_EQ(KVisamerr(-1, 107, 0, 2, text), 3613);
  EXPECT_EQ(KVisamerr(-1, 113, 0, 1, text), 3613);
  EXPECT_EQ(KVisamerr(-1, 110, 0, 2, text), 2690);
  EXPECT_EQ(KVisamerr(-1, 1010, 3, 1, text), 2726);
  EXPECT_EQ(KVisamerr(-1, 1010, 5, 1, text), 3612);
  EXPECT_EQ(KVisamerr(-1, 1010, 28, 3, text), 3623);
  EXPECT_STREQ(text, "1010");
  EXPECT_EQ(KVisamerr(-1, 111, 0, 1, text), 3620);
  EXPECT_STREQ(text, "111");
  EXPECT_EQ(KVisamerr(-1, 111, 0, 2, text), 3622);
  EXPECT_EQ(KVisamerr(-1, 111, 0, 0, text), 3621);
}

class Isam : public Drivers {
 protected:
  // An indexed file of `reclen`-byte records keyed on the first 4 bytes.
  void Build(const std::string& name, int reclen, const std::vector<std::string>& records) {
    struct keydesc key;
    std::memset(&key, 0, sizeof key);
    key.k_flags = ISNODUPS;
    key.k_nparts = 1;
    key.k_part[0].kp_start = 0;
    key.k_part[0].kp_leng = 4;
    key.k_part[0].kp_type = CHARTYPE;
    int fd = isbuild(ws_.Path(name).c_str(), reclen, &key, ISINOUT | ISEXCLLOCK);
    ASSERT_GE(fd, 0);
    for (std::string r : records) ASSERT_EQ(iswrite(fd, r.data()), 0);
    ASSERT_EQ(isclose(fd), 0);
  }
};

TEST_F(Isam, IndexedFileConvertsInKeyOrder) {
  std::string a = Record("A001", test::Sjis("東京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04);
  std::string b = Record("B002", test::Sjis("大阪"), 0x00, 0x00, 0x0C, "0000+", 0x01, 0x00);
  Build("CUST", 18, {b, a});
  std::string def = ws_.Definition("CUSTDEF", test::SalesItems(), "VK");
  ASSERT_EQ(IsamToCsv(Table(ws_.Path("CUST.kdf"), ws_.Path("OUT.CSV"), def)), 0);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"A001\",\"" + test::Sjis("東京") +
                                     "\",-123.45,12,1234\r\n\"B002\",\"" + test::Sjis("大阪") +
                                     "\",0.00,0,1\r\n");
  EXPECT_NE(ws_.Log().find("KXFM2704-I 変換レコード  2件。"), std::string::npos);
}

TEST_F(Isam, RecordSizeMismatchGives2616AndNoOutput) {
  Build("CUST", 20, {std::string(20, 'x')});
  std::string def = ws_.Definition("CUSTDEF", test::SalesItems(), "VK");
  EXPECT_EQ(IsamToCsv(Table(ws_.Path("CUST.kdf"), ws_.Path("OUT.CSV"), def)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KRAC2616-S " + def + " " + ws_.Path("CUST.kdf")), std::string::npos);
  EXPECT_FALSE(ws_.Exists("OUT.CSV"));
}

TEST_F(Isam, MissingIndexedFile) {
  std::string def = ws_.Definition("CUSTDEF", test::SalesItems(), "VK");
  EXPECT_EQ(IsamToCsv(Table(ws_.Path("NONE.kdf"), ws_.Path("OUT.CSV"), def)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2726-S " + ws_.Path("NONE")), std::string::npos);
}

TEST_F(Isam, IndexedFileConvertsToUtf8) {
  Build("CUST", 18, {Record("A001", test::Sjis("ｶﾅ京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04)});
  std::string def = ws_.Definition("CUSTDEF", test::SalesItems(), "VK");
  KXFMTbl t = Table(ws_.Path("CUST.kdf"), ws_.Path("OUT.CSV"), def);
  t.CsvCode = 1;
  ASSERT_EQ(IsamToCsv(t), 0);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"A001\",\"ｶﾅ京\",-123.45,12,1234\r\n");
}

// The CSV side in UTF-8 (KXFMTbl.CsvCode 1).
class Utf8Csv : public Drivers {
 protected:
  KXFMTbl Utf8Table(const std::string& in, const std::string& out, const std::string& definition) {
    KXFMTbl t = Table(ws_.Path(in), ws_.Path(out), definition);
    t.CsvCode = 1;
    return t;
  }
  std::string Good(const std::string& code) {
    return Record(code, test::Sjis("東京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04);
  }
};

TEST_F(Utf8Csv, BundledSampleConvertsToUtf8AndBackToTheSameBytes) {
  const char* source = std::getenv("QEL_TEST_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  for (const char* name : {"SHAIN.DAT", "SHAIN.FLF", "SHAIN.RDF"}) {
    std::ifstream in(std::string(source) + "/samples/" + name, std::ios::binary);
    ws_.Write(name, std::string(std::istreambuf_iterator<char>(in), {}));
  }
  const std::string original = ws_.Read("SHAIN.DAT");
  ASSERT_EQ(original.size(), 320u);
  KXFMTbl sc = Utf8Table("SHAIN.DAT", "SHAIN.CSV", ws_.Path("SHAIN.FLF"));
  sc.Title = 1;
  ASSERT_EQ(SamToCsv(sc), 0);
  const std::string csv = ws_.Read("SHAIN.CSV");
  EXPECT_EQ(
      csv.substr(0, csv.find("\r\n", csv.find("\r\n") + 2)),
      "\"社員番号\",\"氏名\",\"所属\",\"生年月日\",\"基本給\",\"調整額\",\"残業時間\","
      "\"残業時間\",\"残業時間\",\"評価\"\r\n\"E00001\",\"山田　太郎　　　\",\"営業部　　　\","
      "19800415,320000,12500.50,12.5,8.0,20.5,\"A\"");
  EXPECT_NE(ws_.Log().find("KXFMTbl.BwzType       = INVALID\nKXFMTbl.CsvCode       = UTF-8\n"),
            std::string::npos);

  KXFMTbl cs = Utf8Table("SHAIN.CSV", "BACK.DAT", ws_.Path("SHAIN.FLF"));
  cs.Title = 1;
  ASSERT_EQ(CsvToSam(cs), 0);
  EXPECT_EQ(ws_.Read("BACK.DAT"), original);
}

TEST_F(Utf8Csv, AByteOrderMarkReadsAsWithoutOne) {
  const std::string lines =
      "\"A001\",\"東京\",-123.45,12,1234\r\n\"A002\",\"東京\",-123.45,12,1234\r\n";
  const std::string expected = Good("A001") + Good("A002");
  ws_.Write("IN.CSV", "\xEF\xBB\xBF" + lines);
  ASSERT_EQ(CsvToSam(Utf8Table("IN.CSV", "OUT.DAT", def_)), 0);
  EXPECT_EQ(ws_.Read("OUT.DAT"), expected);
  ws_.Write("IN.CSV", "\xEF\xBB\xBF\"CODE\",\"NAME\"\r\n" + lines);
  KXFMTbl titled = Utf8Table("IN.CSV", "OUT.DAT", def_);
  titled.Title = 1;
  ASSERT_EQ(CsvToSam(titled), 0);
  EXPECT_EQ(ws_.Read("OUT.DAT"), expected);
  // Without a mark nothing is skipped.
  ws_.Write("IN.CSV", lines);
  ASSERT_EQ(CsvToSam(Utf8Table("IN.CSV", "OUT.DAT", def_)), 0);
  EXPECT_EQ(ws_.Read("OUT.DAT"), expected);
}

TEST_F(Utf8Csv, ItemBytesThatAreNotCp932StopWithRecordAndItem) {
  std::string bad = Record("A002", "\x93\x8c\x8b ", 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04);
  ws_.Write("IN.DAT", Good("A001") + bad + Good("A003"));
  EXPECT_EQ(SamToCsv(Utf8Table("IN.DAT", "OUT.CSV", def_)), kDriverFailed);
  EXPECT_NE(
      ws_.Log().find("KXFM2731-E 変換処理中にシフトJISとして不正な文字を検出しました。(2,NAME)"),
      std::string::npos);
  EXPECT_EQ(ws_.Log().find("KXFM2704"), std::string::npos);
  EXPECT_EQ(ws_.Read("OUT.CSV"), "\"A001\",\"東京\",-123.45,12,1234\r\n");
}

TEST_F(Utf8Csv, FieldsNotUtf8OrWithoutCp932FormStopWithRecordAndItem) {
  const std::string good = "\"A001\",\"東京\",-123.45,12,1234\r\n";
  ws_.Write("IN.CSV", good + "\"A002\",\"\xe6\x9d\",-123.45,12,1234\r\n");
  EXPECT_EQ(CsvToSam(Utf8Table("IN.CSV", "OUT.DAT", def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("KXFM2732-E 変換処理中にUTF-8として不正な文字か、シフトJISにない文字を"
                           "検出しました。(2,NAME)"),
            std::string::npos);
  EXPECT_EQ(ws_.Read("OUT.DAT"), Good("A001"));

  ws_.Write("IN.CSV", good + good + "\"A😀\",\"東京\",1,1,1\r\n");
  EXPECT_EQ(CsvToSam(Utf8Table("IN.CSV", "OUT.DAT", def_)), kDriverFailed);
  EXPECT_NE(ws_.Log().find("(3,CODE)"), std::string::npos);
  EXPECT_EQ(ws_.Read("OUT.DAT"), Good("A001") + Good("A001"));
}

TEST_F(Drivers, SeparatorThatCanStandInsideAFieldIsRefusedBeforeAnyFileIsOpened) {
  ws_.Write("IN.DAT", Record("A001", test::Sjis("東京"), 0x12, 0x34, 0x5D, "0012+", 0xD2, 0x04));
  ws_.Write("IN.CSV", "\"A001\",\"\",1,1,1\r\n");
  for (char c : {'.', '5', '-', '+', '"', '\r', '\n'}) {
    SCOPED_TRACE(static_cast<int>(c));
    KXFMTbl sc = Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_);
    sc.Separator[0] = c;
    EXPECT_EQ(SamToCsv(sc), kDriverFailed);
    KXFMTbl cs = Table(ws_.Path("IN.CSV"), ws_.Path("OUT.DAT"), def_);
    cs.Separator[0] = c;
    EXPECT_EQ(CsvToSam(cs), kDriverFailed);
    EXPECT_FALSE(ws_.Exists("OUT.CSV"));
    EXPECT_FALSE(ws_.Exists("OUT.DAT"));
  }
  EXPECT_NE(ws_.Log().find("KXFM2733-E 数字、小数点、符号、引用符、改行はフィールドセパレータに使用"
                           "できません。"),
            std::string::npos);
}

}  // namespace
}  // namespace qel::xform
