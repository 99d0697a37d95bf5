// The pattern match: the examples of the any-string and any-one rules, the
// trailing any-one run, all-blank keys and double-byte characters.
#include "filter/pattern.h"

#include <gtest/gtest.h>

#include <random>
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

// A plain recursive model of the rules: "*" any run, "?" one character, and
// "?" after the last ordinary character zero or one.
bool Model(const std::string& key, std::size_t i, const std::string& p, std::size_t j,
           std::size_t last_ordinary) {
  if (j == p.size()) return i == key.size();
  if (p[j] == '*') {
    for (std::size_t k = i; k <= key.size(); ++k) {
      if (Model(key, k, p, j + 1, last_ordinary)) return true;
    }
    return false;
  }
  bool optional = p[j] == '?' && last_ordinary != std::string::npos && j > last_ordinary;
  if (optional && Model(key, i, p, j + 1, last_ordinary)) return true;
  if (i == key.size()) return false;
  if (p[j] != '?' && p[j] != key[i]) return false;
  return Model(key, i + 1, p, j + 1, last_ordinary);
}

TEST(PatternTest, AgreesWithAPlainModelOnShortTexts) {
  std::mt19937 random(5);
  const char pattern_letters[] = "AB*?";
  for (int round = 0; round < 20000; ++round) {
    std::string key(random() % 7, 'A');
    for (char& c : key) c = "AB"[random() % 2];
    std::string pattern(random() % 7 + 1, 'A');
    for (char& c : pattern) c = pattern_letters[random() % 4];
    std::size_t last = pattern.find_last_not_of("*?");
    // An empty key is an all-blank key; the model sees it as such.
    std::string model_key = key.empty() ? std::string(pattern.size(), ' ') : key;
    bool expected = Model(model_key, 0, pattern, 0, last);
    ASSERT_EQ(Match(key, pattern), expected) << "key \"" << key << "\" pattern " << pattern;
  }
}

}  // namespace
}  // namespace qel::filter
