// The CSV field reader and writer: quoting, line ends, the end mark, title
// skipping, fields crossing a buffer refill and the error mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "xformio/error_map.h"
#include "xformio/line_files.h"
#include "xformio/qelxformio.h"
#include "xformio/tests/test_dir.h"

namespace qel::xformio {
namespace {

using testing::ReadBytes;
using testing::TestDir;
using testing::WriteBytes;

struct Field {
  int result;
  std::string value;
  int32_t kind;
  bool operator==(const Field&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Field& f) {
  return os << "{" << f.result << ",'" << f.value << "'," << f.kind << "}";
}

// Reads fields until end of file or a failure, at most `limit` calls.
std::vector<Field> ReadFields(CsvReader& reader, int limit = 50) {
  std::vector<Field> fields;
  std::vector<unsigned char> buffer(kMaxFieldSize);
  for (int i = 0; i < limit; ++i) {
    size_t len = 0;
    int32_t kind = -1;
    int r = reader.Get(buffer.data(), &len, &kind);
    fields.push_back({r, std::string(reinterpret_cast<char*>(buffer.data()), len), kind});
    if (r != 0 || kind == kEndData) break;
  }
  return fields;
}

struct CsvCase {
  const char* name;
  std::string input;
  std::vector<Field> fields;
};

// Each case runs with the library's buffer and with one so small that almost
// every field crosses a refill.
class CsvReadTest : public ::testing::TestWithParam<std::tuple<CsvCase, size_t>> {};

TEST_P(CsvReadTest, YieldsFieldsAndEndKinds) {
  const auto& [c, buffer_size] = GetParam();
  TestDir dir;
  std::string path = dir.File("in.csv");
  WriteBytes(path, c.input);
  platform::File file = platform::File::Open(path.c_str(), platform::FileAccess::kRead,
                                             platform::Disposition::kOpenExisting,
                                             platform::ShareMode::kNone);
  ASSERT_TRUE(file.is_open());
  CsvReader reader(file.handle(), ',', false, buffer_size);
  EXPECT_EQ(ReadFields(reader), c.fields);
}

const CsvCase kCsvCases[] = {
    {"QuotedSeparator", "A,\"B,C\",D\r\n", {{0, "A", 0}, {0, "B,C", 0}, {0, "D", 1}, {0, "", 2}}},
    {"EmptyLine", "\r\n", {{0, "", 1}, {0, "", 2}}},
    {"EmptyFile", "", {{0, "", 2}}},
    {"EmptyQuoted", "\"\",x\r\n", {{0, "", 0}, {0, "x", 1}, {0, "", 2}}},
    {"TextAfterClosingQuote", "\"ab\"x,y\r\n", {{-2, "", 0}}},
    {"QuoteInBareField", "ab\"c\r\n", {{-2, "", 0}}},
    {"CrLfInsideQuotes", "\"a\r\nb\",c\r\n", {{0, "a\r\nb", 0}, {0, "c", 1}, {0, "", 2}}},
    {"LoneCrAndLfAreData", "a\rb\nc\r\n", {{0, "a\rb\nc", 1}, {0, "", 2}}},
    {"LastLineWithoutCrLf", "a\r\nb,c", {{0, "a", 1}, {0, "b", 0}, {-2, "", 2}}},
    {"EndMarkAfterLastLine", "a\r\n\x1a", {{0, "a", 1}, {0, "", 2}}},
    {"EndMarkInsideLine", "a\r\nb\x1a", {{0, "a", 1}, {-2, "", 2}}},
    {"LastLineEndsWithSeparator", "a,b,", {{0, "a", 0}, {0, "b", 0}, {0, "", 2}}},
    {"CrAtEndOfFile", "a\r", {{-2, "", 2}}},
    {"CrAtEndAfterQuote", "\"a\"\r", {{-2, "", 2}}},
    {"UnterminatedQuote", "\"abc,d\r\n", {{-2, "", 2}}},
    {"ShiftJisPassesThrough", "\x83\x5c,\x82\xa0\r\n",
     {{0, "\x83\x5c", 0}, {0, "\x82\xa0", 1}, {0, "", 2}}},
};

INSTANTIATE_TEST_SUITE_P(Csv, CsvReadTest,
                         ::testing::Combine(::testing::ValuesIn(kCsvCases),
                                            ::testing::Values(size_t{16}, kDefaultBufferSize)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::to_string(std::get<1>(info.param));
                         });

class CsvFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (handle_ >= 0) CsvfileClose(handle_);
  }
  std::vector<Field> ReadFile(const std::string& bytes, int title, const char* sep = ",") {
    WriteBytes(path_, bytes);
    handle_ = CsvfileOpen(path_.c_str(), 0, title, sep);
    EXPECT_GE(handle_, 0);
    std::vector<Field> fields;
    std::vector<char> buffer(kMaxFieldSize);
    for (int i = 0; i < 20; ++i) {
      int32_t len = -1, kind = -1;
      int r = CsvfieldGet(handle_, buffer.data(), &len, &kind);
      fields.push_back({r, std::string(buffer.data(), r == 0 ? len : 0), kind});
      if (r != 0 || kind == kEndData) break;
    }
    return fields;
  }

  TestDir dir_;
  std::string path_ = dir_.File("DATA.CSV");
  QelFileHandle handle_ = -1;
};

TEST_F(CsvFileTest, TitleLineIsSkippedWithItsSeparatorsAndQuotes) {
  EXPECT_EQ(ReadFile("\"a,\"b\",c\r\n1\t2\r\n", 1, "\t"),
            (std::vector<Field>{{0, "", 1}, {0, "1", 0}, {0, "2", 1}, {0, "", 2}}));
}

TEST_F(CsvFileTest, TitleLineWithoutLfEndsAsAnEmptyFile) {
  EXPECT_EQ(ReadFile("name,value", 1), (std::vector<Field>{{0, "", 2}}));
  int32_t len = -1, kind = -1;
  std::vector<char> buffer(kMaxFieldSize);
  EXPECT_EQ(CsvfieldGet(handle_, buffer.data(), &len, &kind), 0);
  EXPECT_EQ(kind, kEndData);
}

TEST_F(CsvFileTest, FieldStartingTenBytesBeforeTheBufferEndIsReadWhole) {
  std::string first(65529, 'x');
  WriteBytes(path_, first + ",0123456789ABCDEF\r\n");
  platform::File file = platform::File::Open(path_.c_str(), platform::FileAccess::kRead,
                                             platform::Disposition::kOpenExisting,
                                             platform::ShareMode::kNone);
  CsvReader reader(file.handle(), ',', false, 65540);
  EXPECT_EQ(ReadFields(reader), (std::vector<Field>{
                                    {0, first, 0}, {0, "0123456789ABCDEF", 1}, {0, "", 2}}));
}

TEST_F(CsvFileTest, FieldOfMaximumLengthIsReadAndOneByteMoreIsRefused) {
  std::string max(65535, 'm');
  EXPECT_EQ(ReadFile("\"" + max + "\"\r\n" + max + "\r\n", 0),
            (std::vector<Field>{{0, max, 1}, {0, max, 1}, {0, "", 2}}));
  CsvfileClose(handle_);
  EXPECT_EQ(ReadFile("a," + max + "m\r\n", 0), (std::vector<Field>{{0, "a", 0}, {-2, "", 0}}));
}

TEST_F(CsvFileTest, WriterAppendsSeparatorsAndLineEndsAndWritesOnKind2) {
  handle_ = CsvfileOpen(path_.c_str(), 0x0301, 0, ";x");
  ASSERT_GE(handle_, 0);
  EXPECT_EQ(CsvfieldPut(handle_, "ab", 2, 0), 0);
  EXPECT_EQ(CsvfieldPut(handle_, "\"c;d\"", 5, 1), 0);
  EXPECT_EQ(CsvfieldPut(handle_, "e", 1, 3), -1);
  EXPECT_EQ(ReadBytes(path_), "");  // still buffered
  EXPECT_EQ(CsvfieldPut(handle_, "", 0, 2), 0);
  EXPECT_EQ(ReadBytes(path_), "ab;\"c;d\"\r\n");
  std::string big(300000, 'b');  // larger than the write buffer
  EXPECT_EQ(CsvfieldPut(handle_, big.data(), int32_t(big.size()), 1), 0);
  EXPECT_EQ(CsvfieldPut(handle_, "tail", 4, 2), 0);
  EXPECT_EQ(CsvfileClose(handle_), 0);
  handle_ = -1;
  EXPECT_EQ(ReadBytes(path_), "ab;\"c;d\"\r\n" + big + "\r\ntail");
}

TEST_F(CsvFileTest, CallsWithoutAnOpenFileFail) {
  std::vector<char> buffer(kMaxFieldSize);
  int32_t len, kind;
  EXPECT_EQ(CsvfieldGet(12345, buffer.data(), &len, &kind), -1);
  EXPECT_EQ(CsvfieldPut(12345, "a", 1, 0), -1);
  EXPECT_EQ(CsvfileOpen(path_.c_str(), 0x0301, 0, ""), -1);
}

TEST_F(CsvFileTest, MissingFileMapsToNotFound) {
  EXPECT_EQ(CsvfileOpen(dir_.File("none.csv").c_str(), 0, 0, ","), -1);
  char text[10];
  EXPECT_EQ(KVcsverr(text, 1), -2728);
  EXPECT_EQ(TxtOpen(dir_.File("none.txt").c_str(), 0), -1);
  EXPECT_EQ(KVtexterr(text, 1), -2727);
}

struct LineErr {
  FileKind kind;
  int system_error, operation, message;
  const char* text;
};

class LineErrTest : public ::testing::TestWithParam<LineErr> {};

TEST_P(LineErrTest, MapsSystemErrorAndOperation) {
  const LineErr& e = GetParam();
  char text[10];
  std::memset(text, 'z', sizeof text);
  EXPECT_EQ(MapLineFileError(e.kind, e.system_error, e.operation, text), -e.message);
  EXPECT_STREQ(text, e.text);
}

constexpr FileKind kC = FileKind::kCsv;
constexpr FileKind kT = FileKind::kText;

INSTANTIATE_TEST_SUITE_P(
    Csv, LineErrTest,
    ::testing::Values(LineErr{kC, 3, 1, 2728, ""}, LineErr{kT, 2, 2, 2727, ""},
                      LineErr{kC, 5, 3, 3712, ""}, LineErr{kT, 5, 1, 3712, ""},
                      LineErr{kC, 32, 1, 3713, ""}, LineErr{kT, 33, 1, 3714, ""},
                      LineErr{kC, 4, 1, 3720, "4"}, LineErr{kT, 4, 1, 3724, "4"},
                      LineErr{kC, 112, 3, 3723, "112"}, LineErr{kT, 6, 2, 3722, "6"},
                      LineErr{kC, 9, 0, 3721, "9"}, LineErr{kT, 9, 0, 3725, "9"}));

}  // namespace
}  // namespace qel::xformio
