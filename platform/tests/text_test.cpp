// CP932 conversion of the system's texts, the display rule for messages, and
// string tables compiled from their UTF-8 sources.
#include <gtest/gtest.h>

#include <string>

#include "platform/cp932.h"
#include "platform/string_table.h"

namespace qel::platform {
namespace {

struct RoundTrip {
  const char* utf8;
  const char* cp932;
};

class Cp932RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// The Windows code points of the characters that differ between Shift-JIS
// mappings: a wrong mapping turns these into other characters or fails.
TEST_P(Cp932RoundTrip, ConvertsBothWays) {
  const RoundTrip& p = GetParam();
  auto cp = Utf8ToCp932(p.utf8);
  ASSERT_TRUE(cp);
  EXPECT_EQ(*cp, p.cp932);
  EXPECT_EQ(Cp932ToUtf8(p.cp932), p.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    SystemCharacters, Cp932RoundTrip,
    ::testing::Values(RoundTrip{"ｶﾀｶﾅ", "\xB6\xC0\xB6\xC5"},       // half-width katakana
                      RoundTrip{"\xEF\xBD\x9E", "\x81\x60"},      // ～ U+FF5E
                      RoundTrip{"\xEF\xBC\x8D", "\x81\x7C"},      // － U+FF0D
                      RoundTrip{"\xE2\x80\x9C", "\x81\x67"},      // “ U+201C
                      RoundTrip{"\xE3\x80\x87", "\x81\xFA"},      // 〇 U+3007
                      RoundTrip{"主キー", "\x8E\xE5\x83\x4C\x81\x5B"},
                      RoundTrip{"ﾌｧｲﾙ変換(&F)", "\xCC\xA7\xB2\xD9\x95\xCF\x8A\xB7(&F)"}));

TEST(Cp932Test, UnconvertibleAndInvalidInput) {
  EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80")) << "an emoji has no CP932 form";
  EXPECT_FALSE(Utf8ToCp932("\xC3")) << "truncated UTF-8";
  EXPECT_EQ(Cp932ToUtf8("A\x81"), "A\xEF\xBF\xBD") << "a cut lead byte is shown as U+FFFD";
}

TEST(Cp932Test, RecognisesNonAsciiUtf8) {
  EXPECT_TRUE(IsNonAsciiUtf8("データ.csv"));
  EXPECT_FALSE(IsNonAsciiUtf8("plain.csv"));
  EXPECT_FALSE(IsNonAsciiUtf8("\x83\x66\x81\x5B\x83\x5E"));  // データ in CP932
  EXPECT_FALSE(IsNonAsciiUtf8("\xC0\xAF"));                  // overlong '/'
}

TEST(DisplayTest, InsertsThatAreUtf8FileNamesPassUnchanged) {
  // "%s ファイル" in CP932, a UTF-8 file name and a CP932 insert.
  const std::string text = "%s \x83\x74\x83\x40\x83\x43\x83\x8B %s";
  const char* inserts[] = {"/data/売上.dat", "\x94\x84\x8F\xE3", "", "", ""};
  EXPECT_EQ(FormatForDisplay(text, inserts, 5, true), "/data/売上.dat ファイル 売上");
  EXPECT_EQ(FormatForDisplay(text, inserts, 5, false),
            "/data/売上.dat \x83\x74\x83\x40\x83\x43\x83\x8B \x94\x84\x8F\xE3");
}

TEST(DisplayTest, PercentAsTrailByteIsNoPlaceholder) {
  // 0x81 0x25 is not a valid pair, but 0x89 0x73 ... use a real lead byte
  // followed by '%' and 's': the pair must not be taken for a placeholder.
  const std::string text = "\x88\x25s%s";
  const char* inserts[] = {"X"};
  EXPECT_EQ(FormatForDisplay(text, inserts, 1, false), "\x88\x25sX");
}

TEST(StringTableTest, GeneratedTableIsRegisteredAsTheProgram) {
  EXPECT_TRUE(IsModuleLoaded("platformtest"));
  auto text = LoadProgramString(1);
  ASSERT_TRUE(text);
  EXPECT_EQ(Cp932ToUtf8(*text), "KXFM2704-I 変換レコード  %s件。");
  EXPECT_EQ(LoadProgramString(2), "line one\nline two");
  EXPECT_EQ(LoadModuleString("PLATFORMTEST", 3),
            "\x94\xBC\x8A\x70\xB6\xC0\xB6\xC5\x81\x60\x81\x7C\x81\x67\x81\xFA");
  EXPECT_FALSE(LoadProgramString(4));
  EXPECT_FALSE(LoadModuleString("NOSUCH.EXE", 1));
}

TEST(StringTableTest, ModulesRegisterAndUnregister) {
  static const StringTableEntry entries[] = {{7, "seven", 5}, {9, "nine", 4}};
  RegisterStringTable("OTHER.EXE", entries, 2, false);
  EXPECT_EQ(LoadModuleString("other.exe", 9), "nine");
  EXPECT_FALSE(LoadModuleString("OTHER.EXE", 8));
  EXPECT_TRUE(LoadProgramString(1)) << "a module does not replace the program's table";
  UnregisterStringTable("OTHER.EXE");
  EXPECT_FALSE(IsModuleLoaded("OTHER.EXE"));
}

}  // namespace
}  // namespace qel::platform
