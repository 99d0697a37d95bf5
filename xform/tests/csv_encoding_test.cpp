// The CSV encoding's converter and the cut of CP932 text at a character
// boundary: nothing is replaced, a failed field leaves no state behind.
#include "xform/csv_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

namespace qel::xform {
namespace {

class Converter : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(converter_.Open()); }

  // "<fail>" when the converter refuses.
  std::string Utf8(const std::string& cp932) {
    std::vector<char> out(cp932.size() * kUtf8BytesPerCp932Byte + 1);
    std::size_t n = 0;
    if (!converter_.ToUtf8(cp932, out.data(), out.size(), &n)) return "<fail>";
    return std::string(out.data(), n);
  }
  std::string Cp932(const std::string& utf8) {
    std::vector<char> out(utf8.size() + 1);
    std::size_t n = 0;
    if (!converter_.ToCp932(utf8, out.data(), out.size(), &n)) return "<fail>";
    return std::string(out.data(), n);
  }

  CsvTextConverter converter_;
};

TEST_F(Converter, JapaneseTextBothWays) {
  // 東京 (kanji), ｱｲ (single-byte katakana, three UTF-8 bytes each), ① (an
  // NEC special character), ASCII.
  const std::string cp932 = "\x93\x8c\x8b\x9e\xb1\xb2\x87\x40 A-1";
  const std::string utf8 = "東京ｱｲ① A-1";
  EXPECT_EQ(Utf8(cp932), utf8);
  EXPECT_EQ(Cp932(utf8), cp932);
  EXPECT_EQ(Utf8(""), "");
  EXPECT_EQ(Utf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST_F(Converter, BytesThatAreNotCp932AreRefused) {
  EXPECT_EQ(Utf8("\x80"), "<fail>");
  EXPECT_EQ(Utf8("ab\xfd"), "<fail>");
  // Half a double-byte character at the end, and a lead byte before a byte
  // that cannot follow it.
  EXPECT_EQ(Utf8("\x93\x8c\x93"), "<fail>");
  EXPECT_EQ(Utf8("\x81\x20"), "<fail>");
}

TEST_F(Converter, TextThatIsNotUtf8OrHasNoCp932FormIsRefused) {
  EXPECT_EQ(Cp932("\xc3"), "<fail>");                  // cut sequence
  EXPECT_EQ(Cp932("a\xff"), "<fail>");                 // never UTF-8
  EXPECT_EQ(Cp932("\xc0\xaf"), "<fail>");              // overlong "/"
  EXPECT_EQ(Cp932("\xed\xa0\x80"), "<fail>");          // a surrogate
  EXPECT_EQ(Cp932("東京\xf0\x9f\x98\x80"), "<fail>");  // an emoji
  EXPECT_EQ(Cp932("한국"), "<fail>");                  // Hangul
}

TEST_F(Converter, AFailedFieldLeavesNoStateForTheNext) {
  EXPECT_EQ(Cp932("\xe6\x9d"), "<fail>");  // the first two bytes of 東
  EXPECT_EQ(Cp932("\x95"), "<fail>");
  EXPECT_EQ(Cp932("京"), "\x8b\x9e");
  EXPECT_EQ(Utf8("\x93"), "<fail>");
  EXPECT_EQ(Utf8("\x8c\x8b\x9e"), "<fail>");
  EXPECT_EQ(Utf8("\x8b\x9e"), "京");
}

TEST_F(Converter, FullWidthSpacePaddingBothWays) {
  EXPECT_EQ(Utf8("\x93\x8c\x81\x40\x81\x40"), "東\u3000\u3000");
  EXPECT_EQ(Cp932("東\u3000\u3000"), "\x93\x8c\x81\x40\x81\x40");
  EXPECT_EQ(Utf8("\x81\x40\x81\x40"), "\u3000\u3000");
  EXPECT_EQ(Cp932("\u3000"), "\x81\x40");
  EXPECT_EQ(Utf8("ab\x81\x40"), "ab\u3000");
  // 0x81 0x40 inside other characters is no space: 0x93 0x81 is a kanji,
  // 0x40 then "@".
  EXPECT_EQ(Utf8("\x93\x81\x40"), Utf8("\x93\x81") + "@");
  EXPECT_EQ(Cp932(Utf8("\x93\x81") + "@"), "\x93\x81\x40");
  // Padding after bytes that are not text does not hide them.
  EXPECT_EQ(Utf8("\x93\x81\x40\x81"), "<fail>");
  EXPECT_EQ(Utf8("\x80\x81\x40"), "<fail>");
  EXPECT_EQ(Cp932("\xe6\x9d\u3000"), "<fail>");
  EXPECT_EQ(Cp932("\xf0\x9f\x98\x80\u3000"), "<fail>");
}

// Every character, and every pair of bytes, converts as iconv converts it,
// also inside a longer text and where iconv refuses.
TEST_F(Converter, EveryCharacterGivesWhatIconvGives) {
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  auto by_iconv = [cd](std::string in, std::string* out) {
    char buffer[64];
    char* src = in.data();
    char* dst = buffer;
    std::size_t src_left = in.size(), dst_left = sizeof buffer;
    std::size_t r = ::iconv(cd, &src, &src_left, &dst, &dst_left);
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (r == static_cast<std::size_t>(-1) || src_left != 0) return false;
    out->assign(buffer, sizeof buffer - dst_left);
    return true;
  };
  for (int a = 0x80; a < 0x100; ++a) {
    for (int b = 0; b < 0x100; ++b) {
      std::string in = "ab" + std::string(1, static_cast<char>(a)) + static_cast<char>(b) + "xyzabcdefg";
      std::string expected;
      bool ok = by_iconv(in, &expected);
      char out[64];
      std::size_t length = 0;
      ASSERT_EQ(converter_.ToUtf8(in, out, sizeof out, &length), ok) << a << " " << b;
      if (ok) {
        ASSERT_EQ(std::string(out, length), expected) << a << " " << b;
      }
    }
  }
  ::iconv_close(cd);
}

TEST_F(Converter, NoRoomIsAFailureNotAnOverflow) {
  char out[4];
  std::size_t n = 0;
  EXPECT_FALSE(converter_.ToUtf8("\x93\x8c\x8b\x9e", out, sizeof out, &n));
  EXPECT_FALSE(converter_.ToUtf8("abcde", out, sizeof out, &n));
  EXPECT_FALSE(converter_.ToUtf8("ab\x81\x40", out, sizeof out, &n));
  EXPECT_FALSE(converter_.ToCp932("ab\u3000\u3000", out, sizeof out, &n));
}

struct CutCase {
  const char* text;
  std::size_t limit;
  std::size_t head;  // Cp932HeadFitting
  std::size_t tail;  // Cp932TailStart
};

class Cut : public ::testing::TestWithParam<CutCase> {};

TEST_P(Cut, NeverHalfACharacter) {
  const CutCase& c = GetParam();
  EXPECT_EQ(Cp932HeadFitting(c.text, c.limit), c.head);
  EXPECT_EQ(Cp932TailStart(c.text, c.limit), c.tail);
}

INSTANTIATE_TEST_SUITE_P(Texts, Cut,
                         ::testing::Values(CutCase{"abc", 5, 3, 0}, CutCase{"abcdef", 4, 4, 2},
                                           // 東京: a cut after three bytes splits 京.
                                           CutCase{"\x93\x8c\x8b\x9e", 3, 2, 2},
                                           CutCase{"\x93\x8c\x8b\x9e", 2, 2, 2},
                                           CutCase{"\x93\x8c\x8b\x9e", 1, 0, 4},
                                           // a東京: the tail of three bytes would begin with the
                                           // second byte of 東.
                                           CutCase{"a\x93\x8c\x8b\x9e", 4, 3, 1},
                                           CutCase{"a\x93\x8c\x8b\x9e", 3, 3, 3},
                                           // Single-byte katakana are one byte each.
                                           CutCase{"\xb1\xb2\xb3", 2, 2, 1}, CutCase{"", 0, 0, 0}));

}  // namespace
}  // namespace qel::xform
