// The pattern match: the examples of the any-string and any-one rules, the
// trailing any-one run, all-blank keys and double-byte characters.
#include "filter/pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::filter {
namespace {

bool Match(const std::string& key, const std::string& pattern, bool national = false,
           char any_string = '*', char any_one = '?') {
  Metacharacters meta{static_cast<std::uint8_t>(any_string), static_cast<std::uint8_t>(any_one)};
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(key.data()),
                                      key.size());
  return MatchPattern(bytes, pattern, national, meta);
}

TEST(PatternTest, AnyStringAtEitherEnd) {
  EXPECT_TRUE(Match("ABC  ", "AB*"));
  EXPECT_TRUE(Match("AB", "AB*"));
  EXPECT_TRUE(Match("AB   ", "AB*"));
  EXPECT_FALSE(Match("XAB  ", "AB*"));
  EXPECT_TRUE(Match("XCD", "*CD"));
  EXPECT_FALSE(Match("XCDY", "*CD"));
  EXPECT_TRUE(Match("CD", "*CD"));
  EXPECT_TRUE(Match("XXCDYYCD", "*CD"));
  EXPECT_TRUE(Match("AXBXC", "A*B*C"));
  EXPECT_FALSE(Match("AXBXCX", "A*B*C"));
  EXPECT_TRUE(Match("ABAB", "*AB*AB"));
  EXPECT_TRUE(Match("anything", "*"));
  EXPECT_TRUE(Match("     ", "*"));
}

TEST(PatternTest, AnyOneAndTheTrailingRun) {
  EXPECT_TRUE(Match("ABC", "A?C"));
  EXPECT_FALSE(Match("AC", "A?C"));
  EXPECT_FALSE(Match("ABBC", "A?C"));
  EXPECT_TRUE(Match("AB  ", "AB??"));
  EXPECT_TRUE(Match("ABC ", "AB??"));
  EXPECT_TRUE(Match("ABCD", "AB??"));
  EXPECT_FALSE(Match("ABCDE", "AB??"));
  EXPECT_TRUE(Match("ABCDE", "AB??*"));
  EXPECT_TRUE(Match("AB", "AB?*?"));
  // Any-one before the last ordinary character still needs its character.
  EXPECT_FALSE(Match("AB", "?AB"));
  EXPECT_TRUE(Match("XAB", "?AB"));
}

TEST(PatternTest, AllBlankKeyStandsForBlanksAsLongAsThePattern) {
  EXPECT_TRUE(Match("     ", "???"));
  EXPECT_TRUE(Match("", "???"));
  EXPECT_FALSE(Match("     ", "A??"));
  EXPECT_TRUE(Match("     ", ""));
  EXPECT_FALSE(Match("A    ", ""));
  // Trailing blanks of the pattern do not count.
  EXPECT_TRUE(Match("AB   ", "AB  "));
}

TEST(PatternTest, UnsetMetacharactersAreOrdinary) {
  EXPECT_TRUE(Match("AB*", "AB*", false, ' ', '?'));
  EXPECT_FALSE(Match("ABC", "AB*", false, ' ', '?'));
  EXPECT_TRUE(Match("ABC", "AB%", false, '%', '_'));
  EXPECT_TRUE(Match("AXC", "A_C", false, '%', '_'));
}

TEST(PatternTest, DoubleByteCharactersInAlphanumericKeys) {
  const std::string kanji = "\x8A\xBF";  // one double-byte character
  EXPECT_TRUE(Match("A" + kanji + "C", "A?C"));
  EXPECT_FALSE(Match("A" + kanji + "C", "A??C"));
  EXPECT_TRUE(Match(kanji + kanji, "??"));
  EXPECT_TRUE(Match("X" + kanji, "*" + kanji));
  // A trail byte that looks like "*" or "?" is no metacharacter.
  EXPECT_FALSE(Match("AB", "\x81\x3F"));
}

TEST(PatternTest, NationalUsesTheDoubleByteMetacharacters) {
  const std::string a = "\x82\x60", b = "\x82\x61", c = "\x82\x62";
  const std::string star = "\x81\x96", query = "\x81\x48", blank = "\x81\x40";
  EXPECT_TRUE(Match(a + b + c + blank, a + star, true));
  EXPECT_TRUE(Match(a + b + c, a + query + c, true));
  EXPECT_FALSE(Match(a + c, a + query + c, true));
  EXPECT_TRUE(Match(a + blank + blank, a + query + query, true));
  EXPECT_TRUE(Match(blank + blank + blank, query + query + query, true));
  EXPECT_TRUE(Match(a + b + blank, a + b + blank, true));
  // The single-byte metacharacters are ordinary bytes here.
  EXPECT_FALSE(Match(a + b, a + "*", true));
}

}  // namespace
}  // namespace qel::filter
