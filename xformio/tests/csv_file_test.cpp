// The CSV field reader and writer: quoting, line ends, the end mark, title
// skipping, fields crossing a buffer refill, long files against a plain model
// of the dialect, and the error mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
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
  return os << "{" << f.result << "," << ::testing::PrintToString(f.value) << "," << f.kind << "}";
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

// The dialect of line_files.h one byte at a time, for fields that fit the
// buffer: the fields of `in` up to the end of the data or the first error.
std::vector<Field> ModelFields(const std::string& in, unsigned char sep) {
  const size_t n = in.size();
  // Whether a separator or CR LF at j ends the field with the value
  // [from, to); the next field starts at *next.
  auto ended = [&](size_t j, size_t from, size_t to, size_t* next, Field* f) {
    if (in[j] == '\r' && j + 1 < n && in[j + 1] == '\n') {
      *next = j + 2;
      *f = {0, in.substr(from, to - from), kEndLine};
      return true;
    }
    if (static_cast<unsigned char>(in[j]) == sep) {
      *next = j + 1;
      *f = {0, in.substr(from, to - from), kEndSeparator};
      return true;
    }
    return false;
  };
  std::vector<Field> fields;
  const Field malformed{-2, "", 0};
  size_t p = 0;
  while (true) {
    const size_t start = p;
    Field f;
    bool found = false;
    if (start < n && in[start] == '"' && sep != '"') {
      size_t q = in.find('"', start + 1);
      if (q != std::string::npos && q + 1 < n) {
        found = ended(q + 1, start + 1, q, &p, &f);
        // A CR as the very last byte is an unterminated end, not text
        // after the quote.
        if (!found && !(in[q + 1] == '\r' && q + 2 == n)) break;
      }
    } else {
      size_t j = start;
      while (j < n && in[j] != '"' && !(found = ended(j, start, j, &p, &f))) ++j;
      if (j < n && in[j] == '"') break;
    }
    if (!found) {
      // Nothing more ends a field: only an empty rest or the end mark is a
      // clean end of the data.
      bool clean = start == n || (start + 1 == n && in[start] == '\x1a');
      fields.push_back(clean ? Field{0, "", kEndData} : malformed);
      return fields;
    }
    fields.push_back(f);
  }
  fields.push_back(malformed);
  return fields;
}

// Random files of bare and quoted fields, long ones among them, with
// separators, CR LF and lone CRs inside quotes and the odd stray byte, read
// through buffers small enough for many refills and through the library's.
class CsvModelTest : public ::testing::TestWithParam<size_t> {};

TEST_P(CsvModelTest, RandomFilesReadAsTheModelSays) {
  const size_t buffer_size = GetParam();
  TestDir dir;
  std::string path = dir.File("in.csv");
  std::mt19937 rng(static_cast<unsigned>(buffer_size));
  const char inside[] = {'a', 'b', ',', '\r', '\n', '\x82', ';'};
  for (int round = 0; round < 40; ++round) {
    const unsigned char sep = round % 4 == 3 ? ';' : ',';
    std::string in;
    while (in.size() < 20000) {
      size_t length = rng() % 4 == 0 ? rng() % 150 : rng() % 12;
      std::string value;
      bool quoted = rng() % 3 == 0;
      for (size_t i = 0; i < length; ++i) {
        char c = inside[rng() % 7];
        if (!quoted && (c == char(sep) || c == '\r')) c = 'c';
        value += c;
      }
      in += quoted ? "\"" + value + "\"" : value;
      in += rng() % 4 == 0 ? "\r\n" : std::string(1, char(sep));
      // A stray quote, CR or byte after a closing quote now and then.
      if (rng() % 2000 == 0) in += "\"\r\x1a"[rng() % 3];
    }
    if (round % 2 == 1) in += "\x1a";
    WriteBytes(path, in);
    platform::File file = platform::File::Open(path.c_str(), platform::FileAccess::kRead,
                                               platform::Disposition::kOpenExisting,
                                               platform::ShareMode::kNone);
    CsvReader reader(file.handle(), sep, false, buffer_size);
    std::vector<Field> want = ModelFields(in, sep);
    std::vector<Field> got = ReadFields(reader, int(want.size()) + 1);
    // The end kind that comes with -2 depends on whether the reader has met
    // the end of the file yet, not on the data.
    if (!got.empty() && got.back().result != 0) got.back().kind = 0;
    size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    ASSERT_EQ(i, want.size()) << "round " << round << ", first difference at field " << i << ": "
                              << (i < got.size() ? ::testing::PrintToString(got[i]) : "none")
                              << " read, "
                              << (i < want.size() ? ::testing::PrintToString(want[i]) : "none")
                              << " expected";
    ASSERT_EQ(got.size(), want.size()) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Csv, CsvModelTest,
                         ::testing::Values(size_t{160}, size_t{257}, size_t{4096},
                                           kDefaultBufferSize));

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

TEST_F(CsvFileTest, CrAsSeparatorAfterAQuoteIsNoLineEndAtTheEndOfTheData) {
  EXPECT_EQ(ReadFile("\"a\"\rb\r\n\"c\"\r\n", 0, "\r"),
            (std::vector<Field>{{0, "a", 0}, {0, "b", 1}, {0, "c", 1}, {0, "", 2}}));
  CsvfileClose(handle_);
  EXPECT_EQ(ReadFile("\"a\"\r", 0, "\r"), (std::vector<Field>{{-2, "", 2}}));
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

TEST_F(CsvFileTest, WriterOutputIsTheSameForEveryBufferSize) {
  std::mt19937 rng(7);
  struct Put {
    std::string field;
    int kind;
  };
  std::vector<Put> puts;
  std::string want;
  for (int i = 0; i < 400; ++i) {
    Put p{std::string(rng() % 4 == 0 ? rng() % 40 : rng() % 6, char('a' + i % 26)),
          int(rng() % 3 == 0)};
    want += p.field + (p.kind == kEndLine ? "\r\n" : "\t");
    puts.push_back(p);
  }
  const size_t kBufferSizes[] = {1, 2, 3, 7, 64, 4096};
  for (size_t buffer_size : kBufferSizes) {
    platform::File file = platform::File::Open(path_.c_str(), platform::FileAccess::kWrite,
                                               platform::Disposition::kCreateAlways,
                                               platform::ShareMode::kNone);
    CsvWriter writer(file.handle(), '\t', buffer_size);
    for (const Put& p : puts) {
      ASSERT_TRUE(writer.Put(reinterpret_cast<const unsigned char*>(p.field.data()),
                             p.field.size(), p.kind));
    }
    ASSERT_TRUE(writer.Put(nullptr, 0, kEndData));
    file.Close();
    EXPECT_EQ(ReadBytes(path_), want) << "buffer of " << buffer_size;
  }
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
