// CP932 conversion at the human boundary: round trips of the texts the
// system uses, the Windows code points of the characters that differ between
// Shift-JIS mappings, and the display rule for messages.
#include "platform/cp932.h"

#include <gtest/gtest.h>

namespace qel::platform {
namespace {

struct RoundTrip {
  const char* name;
  const char* utf8;
  const char* cp932;
};

class Cp932RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Cp932RoundTripTest, ConvertsBothWays) {
  EXPECT_EQ(Utf8ToCp932(GetParam().utf8), std::string(GetParam().cp932));
  EXPECT_EQ(Cp932ToUtf8(GetParam().cp932), std::string(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(
    SystemTexts, Cp932RoundTripTest,
    ::testing::Values(
        RoundTrip{"ascii", "KRAC2510-S %s", "KRAC2510-S %s"},
        RoundTrip{"halfwidth_katakana", "ｶﾀｶﾅﾃﾞｰﾀ", "\xB6\xC0\xB6\xC5\xC3\xDE\xB0\xC0"},
        RoundTrip{"fullwidth_tilde", "～", "\x81\x60"},  // U+FF5E
        RoundTrip{"fullwidth_minus", "－", "\x81\x7C"},  // U+FF0D
        RoundTrip{"left_double_quote", "“", "\x81\x67"},
        RoundTrip{"ideographic_zero", "〇", "\x81\x5A"},
        RoundTrip{"parallel", "∥", "\x81\x61"},  // U+2225
        RoundTrip{"primary_key", "主キー", "\x8E\xE5\x83\x4C\x81\x5B"},
        RoundTrip{"menu_caption", "ﾌｧｲﾙ変換(&F)", "\xCC\xA7\xB2\xD9\x95\xCF\x8A\xB7(&F)"},
        RoundTrip{"message", "メッセージ取得エラー",
                  "\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x8E\xE6\x93\xBE\x83\x47\x83\x89\x81"
                  "\x5B"},
        RoundTrip{"mixed", "ファイル定義ファイル%sｱ",
                  "\x83\x74\x83\x40\x83\x43\x83\x8B\x92\xE8"
                  "\x8B\x60\x83\x74\x83\x40\x83\x43\x83\x8B"
                  "%s\xB1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp932Test, InvalidCp932BecomesReplacementCharacters) {
  // A lone lead byte at the end and an undefined byte in the middle.
  EXPECT_EQ(Cp932ToUtf8("a\xA0"
                        "b\x83"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

TEST(Cp932Test, CharacterWithoutCp932FormIsRefused) {
  EXPECT_EQ(Utf8ToCp932("emoji \xF0\x9F\x98\x80"), std::nullopt);
  EXPECT_EQ(Utf8ToCp932("bad \xFF utf8"), std::nullopt);
  EXPECT_EQ(Utf8ToCp932("\xE2\x82\xAC"), std::nullopt);  // the euro sign
}

TEST(Cp932Test, NonAsciiUtf8IsRecognised) {
  EXPECT_TRUE(IsNonAsciiUtf8("売上.DAT"));
  EXPECT_FALSE(IsNonAsciiUtf8("ASCII.DAT"));
  EXPECT_FALSE(IsNonAsciiUtf8("\x94\x84\x8F\xE3.DAT"));  // the same name in CP932
  EXPECT_FALSE(IsNonAsciiUtf8("\xC0\xAF"));              // overlong form
  EXPECT_FALSE(IsNonAsciiUtf8("\xED\xA0\x80"));          // surrogate
}

TEST(Cp932Test, DisplayKeepsAUtf8FileNameInsertAndConvertsTheRest) {
  // "%s を開けません (%s)" in CP932, a UTF-8 file name and a CP932 insert.
  std::string text = "%s \x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1 (%s)";
  const char* inserts[] = {"売上.DAT", "\x83\x66\x81\x5B\x83\x5E"};
  EXPECT_EQ(FormatForDisplay(text, inserts, 2, true), "売上.DAT を開けません (データ)");
  EXPECT_EQ(FormatForDisplay(text, inserts, 2, false),
            "売上.DAT \x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1 (\x83\x66\x81\x5B\x83\x5E)");
}

TEST(Cp932Test, DisplayNeverReadsBeyondTheInserts) {
  const char* inserts[] = {"a", nullptr};
  EXPECT_EQ(FormatForDisplay("%s|%s|%s|100%%|%d", inserts, 2, false), "a|||100%|%d");
  EXPECT_EQ(FormatForDisplay("%s", nullptr, 0, true), "");
  EXPECT_EQ(FormatForDisplay("tail %", nullptr, 0, true), "tail %");
}

TEST(Cp932Test, PercentInsideADoubleByteCharacterIsNoPlaceholder) {
  // 0x81 0x25 is no valid character, but the byte after a lead byte is
  // always its trail: "%s" must not be found across it.
  const char* inserts[] = {"X"};
  EXPECT_EQ(FormatForDisplay("\x81%s", inserts, 1, false), "\x81%s");
}

}  // namespace
}  // namespace qel::platform
