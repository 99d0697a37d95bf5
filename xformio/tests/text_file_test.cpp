// The text line reader and writer, checked against a byte-at-a-time model of
// the line rules, and the cases the converters depend on.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/file.h"
#include "xformio/line_files.h"
#include "xformio/qelxformio.h"
#include "xformio/tests/test_dir.h"

namespace qel::xformio {
namespace {

using testing::ReadBytes;
using testing::TestDir;
using testing::WriteBytes;

struct Line {
  std::string text;  // as placed in the buffer, "\n" included
  int32_t kind;
  int64_t skipped;  // after kind 0: what TxtSkip added; else -1
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l) {
  return os << "{'" << l.text << "'," << l.kind << "," << l.skipped << "}";
}

// The line rules, one byte at a time: text of at most capacity - 2 bytes;
// CR LF or LF ends a line, 0x1A ends the data for good, a lone CR is data.
std::vector<Line> ModelLines(const std::string& in, size_t capacity) {
  std::vector<Line> lines;
  size_t i = 0;
  bool ended = false;
  auto line_end = [&](size_t at) -> size_t {  // bytes of a line end at `at`, 0 if none
    if (at < in.size() && in[at] == '\n') return 1;
    if (at + 1 < in.size() && in[at] == '\r' && in[at + 1] == '\n') return 2;
    return 0;
  };
  while (true) {
    Line line{"", kEndData, -1};
    if (!ended) {
      while (true) {
        if (i == in.size()) break;
        if (size_t n = line_end(i)) {
          i += n;
          line.text += '\n';
          line.kind = kEndLine;
          break;
        }
        if (in[i] == '\x1a') {
          ++i;
          ended = true;
          break;
        }
        if (line.text.size() == capacity - 2) {
          line.kind = kEndSeparator;
          int64_t skipped = 0;
          while (i < in.size() && !line_end(i) && in[i] != '\x1a') ++i, ++skipped;
          if (i < in.size()) {
            if (in[i] == '\x1a') ended = true;
            i += in[i] == '\x1a' ? 1 : line_end(i);
          }
          line.skipped = skipped;
          break;
        }
        line.text += in[i++];
      }
    }
    lines.push_back(line);
    if (line.kind == kEndData && line.text.empty()) return lines;
  }
}

std::vector<Line> ReadLines(TextReader& reader, size_t capacity) {
  std::vector<Line> lines;
  std::vector<unsigned char> buffer(capacity + 1, 0xEE);  // one guard byte
  for (int calls = 0; calls < 10000; ++calls) {
    int32_t kind = -1;
    size_t len = 0;
    EXPECT_EQ(reader.Get(buffer.data(), capacity, &kind, &len), 0);
    EXPECT_EQ(buffer[capacity], 0xEE) << "wrote past the capacity";
    size_t shown = len + (kind == kEndLine ? 1 : 0);
    EXPECT_LT(shown, capacity);
    EXPECT_EQ(buffer[shown], 0) << "line is not NUL-terminated";
    Line line{std::string(reinterpret_cast<char*>(buffer.data()), shown), kind, -1};
    if (kind == kEndSeparator) {
      int64_t count = 0;
      int32_t skip_kind = -1;
      EXPECT_EQ(reader.Skip(&count, &skip_kind), 0);
      line.skipped = count;
    }
    lines.push_back(line);
    if (kind == kEndData && len == 0) break;
  }
  return lines;
}

class TextModelTest : public ::testing::TestWithParam<std::tuple<size_t, size_t>> {};

TEST_P(TextModelTest, RandomFilesReadAsTheModelSays) {
  const auto [capacity, buffer_size] = GetParam();
  TestDir dir;
  std::string path = dir.File("in.txt");
  std::mt19937 rng(unsigned(capacity * 131 + buffer_size));
  const char alphabet[] = {'a', 'b', '\r', '\n', '\n', '\x1a', '\0'};
  for (int round = 0; round < 60; ++round) {
    std::string in;
    size_t size = rng() % 40;
    for (size_t i = 0; i < size; ++i) {
      // The end mark is rare so that most files have several lines.
      char c = alphabet[rng() % 7];
      if (c == '\x1a' && rng() % 4 != 0) c = 'c';
      in += c;
    }
    WriteBytes(path, in);
    platform::File file = platform::File::Open(path.c_str(), platform::FileAccess::kRead,
                                               platform::Disposition::kOpenExisting,
                                               platform::ShareMode::kNone);
    TextReader reader(file.handle(), buffer_size);
    ASSERT_EQ(ReadLines(reader, capacity), ModelLines(in, capacity)) << "input size " << size;
  }
}

INSTANTIATE_TEST_SUITE_P(Text, TextModelTest,
                         ::testing::Combine(::testing::Values(size_t{2}, size_t{3}, size_t{6},
                                                              size_t{64}),
                                            ::testing::Values(size_t{1}, size_t{7},
                                                              kDefaultBufferSize)));

class TextFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (handle_ >= 0) TxtClose(handle_);
  }
  void Open(const std::string& bytes) {
    WriteBytes(path_, bytes);
    handle_ = TxtOpen(path_.c_str(), 0);
    ASSERT_GE(handle_, 0);
  }
  Line Get(int32_t capacity) {
    std::vector<char> buffer(size_t(capacity), 'z');
    int32_t kind = -1, len = -1;
    EXPECT_EQ(TxtGet(handle_, buffer.data(), capacity, &kind, &len), 0);
    return {std::string(buffer.data()), kind, len};
  }

  TestDir dir_;
  std::string path_ = dir_.File("DATA.TXT");
  QelFileHandle handle_ = -1;
};

TEST_F(TextFileTest, LineOfExactlyTheCapacityLeavesTheRestForSkip) {
  Open("abcdefgh\r\nnext\r\n");
  EXPECT_EQ(Get(8), (Line{"abcdef", kEndSeparator, 6}));
  int32_t count = 100, kind = -1;
  EXPECT_EQ(TxtSkip(handle_, &count, &kind), 0);
  EXPECT_EQ(count, 102);
  EXPECT_EQ(kind, kEndLine);
  EXPECT_EQ(Get(8), (Line{"next\n", kEndLine, 4}));
  EXPECT_EQ(Get(8), (Line{"", kEndData, 0}));
}

TEST_F(TextFileTest, LfOnlyFileReadsLikeCrLfFile) {
  Open("one\ntwo\nthree");
  std::vector<Line> lf = {Get(100), Get(100), Get(100), Get(100)};
  TxtClose(handle_);
  Open("one\r\ntwo\r\nthree");
  std::vector<Line> crlf = {Get(100), Get(100), Get(100), Get(100)};
  EXPECT_EQ(lf, crlf);
  EXPECT_EQ(lf, (std::vector<Line>{{"one\n", 1, 3}, {"two\n", 1, 3}, {"three", 2, 5},
                                   {"", 2, 0}}));
}

TEST_F(TextFileTest, EndMarkEndsTheDataForGood) {
  Open("a\r\nb\x1a" "after\r\n");
  EXPECT_EQ(Get(100), (Line{"a\n", kEndLine, 1}));
  EXPECT_EQ(Get(100), (Line{"b", kEndData, 1}));
  EXPECT_EQ(Get(100), (Line{"", kEndData, 0}));
}

TEST_F(TextFileTest, LongLinesAcrossManyBuffersKeepTheirBytes) {
  std::string in;
  for (int i = 0; i < 40; ++i) in += std::string(20000 + i, char('a' + i % 26)) + "\r\n";
  Open(in);
  for (int i = 0; i < 40; ++i) {
    Line line = Get(65537);
    ASSERT_EQ(line.text, std::string(20000 + i, char('a' + i % 26)) + "\n") << i;
  }
  EXPECT_EQ(Get(65537), (Line{"", kEndData, 0}));
}

TEST_F(TextFileTest, PutWritesUpToTheFirstNulAndEndsLinesWithCrLf) {
  handle_ = TxtOpen(path_.c_str(), 0x0301);
  ASSERT_GE(handle_, 0);
  char with_nul[] = "ab\0cd\n\0\0";
  EXPECT_EQ(TxtPut(handle_, with_nul, 6, 1), 0);
  char with_lf[] = "line\n\0\0";
  EXPECT_EQ(TxtPut(handle_, with_lf, 5, 1), 0);
  char plain[] = "xyz";
  EXPECT_EQ(TxtPut(handle_, plain, 3, 1), 0);
  EXPECT_EQ(TxtPut(handle_, plain, 3, 7), -1);
  EXPECT_EQ(ReadBytes(path_), "");
  EXPECT_EQ(TxtPut(handle_, plain, 0, 2), 0);
  EXPECT_EQ(ReadBytes(path_), "ab\r\nline\r\nxyz\r\n");
}

TEST_F(TextFileTest, TooSmallCapacityAndForeignHandleFail) {
  Open("abc\r\n");
  char buffer[4];
  int32_t kind, len;
  EXPECT_EQ(TxtGet(handle_, buffer, 1, &kind, &len), -1);
  EXPECT_EQ(TxtGet(handle_ + 100, buffer, 4, &kind, &len), -1);
  EXPECT_EQ(TxtGet(handle_, buffer, 4, &kind, &len), 0);
  EXPECT_STREQ(buffer, "ab");
}

}  // namespace
}  // namespace qel::xformio
