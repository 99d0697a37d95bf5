// Message texts: box styles by severity, substitution, log forms, time stamps.
#include "message/message_text.h"

#include <gtest/gtest.h>

namespace qel::message {
namespace {

using platform::BoxButtons;
using platform::BoxIcon;

struct SeverityCase {
  const char* text;
  BoxButtons buttons;
  BoxIcon icon;
};

class SeverityTest : public ::testing::TestWithParam<SeverityCase> {};

TEST_P(SeverityTest, TenthCharacterChoosesButtonsAndIcon) {
  BoxStyle style = StyleForSeverity(GetParam().text);
  EXPECT_EQ(style.buttons, GetParam().buttons);
  EXPECT_EQ(style.icon, GetParam().icon);
}

INSTANTIATE_TEST_SUITE_P(
    Severities, SeverityTest,
    ::testing::Values(SeverityCase{"KRAC0001-! retry", BoxButtons::kRetryCancel,
                                   BoxIcon::kExclamation},
                      SeverityCase{"KRAC0001-? ask", BoxButtons::kYesNoCancel, BoxIcon::kQuestion},
                      SeverityCase{"KRAC0001-I info", BoxButtons::kOk, BoxIcon::kInformation},
                      SeverityCase{"KRAC0001-S severe", BoxButtons::kOk, BoxIcon::kStop},
                      SeverityCase{"KRAC0001-E error", BoxButtons::kOk, BoxIcon::kStop},
                      SeverityCase{"short", BoxButtons::kOk, BoxIcon::kStop}));

TEST(MessageTextTest, BodyDropsTheElevenCharacterId) {
  EXPECT_EQ(MessageBody("KRAC2510-S %s text"), "%s text");
  EXPECT_EQ(MessageBody("KRAC2510-S"), "");
}

TEST(MessageTextTest, SubstitutesFiveInsertsInOrder) {
  const char* args[5] = {"a", "b", "c", "d", "e"};
  EXPECT_EQ(Substitute("%s-%s-%s-%s-%s", args), "a-b-c-d-e");
}

TEST(MessageTextTest, PercentSignsThatAreNoInsertStayHarmless) {
  const char* args[5] = {"x", "", "", "", ""};
  // A sixth "%s" and a stray "%d" must never read past the five inserts.
  EXPECT_EQ(Substitute("100%% %s %d %s%s%s%s%s", args), "100% x %d ");
  EXPECT_EQ(Substitute("%s|%s", nullptr), "|");
}

TEST(MessageTextTest, BoxTurnsAUtf8FileNameInsertIntoCp932) {
  const char* args[5] = {"データ.csv", "\x83\x66", "", "", ""};
  // "データ.csv" in CP932, and a CP932 insert left as it is.
  EXPECT_EQ(SubstituteForBox("%s:%s", args), "\x83\x66\x81\x5B\x83\x5E.csv:\x83\x66");
}

TEST(MessageTextTest, LogFormHasBlanksForLineBreaks) {
  EXPECT_EQ(ForLog("KRAC0001-S one\ntwo\r\nthree"), "KRAC0001-S one two  three");
}

TEST(MessageTextTest, LogFormIsCutTo1023BytesWithoutSplittingACharacter) {
  std::string ascii(2000, 'a');
  EXPECT_EQ(ForLog(ascii).size(), 1023u);
  // 1022 single bytes and then a double-byte character: the character would
  // end at byte 1024, so it is dropped whole.
  std::string mixed = std::string(1022, 'a') + "\x82\xA0" + "tail";
  EXPECT_EQ(ForLog(mixed), std::string(1022, 'a'));
  std::string kana(1100, '\xB1');  // half-width katakana are single bytes
  EXPECT_EQ(ForLog(kana).size(), 1023u);
}

TEST(MessageTextTest, TimeStampHasLeadingZeros) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 9;
  t.tm_min = 4;
  t.tm_sec = 7;
  EXPECT_EQ(FormatTimeStamp(t), "2026/03/05 09:04:07");
  t.tm_mon = 11;
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 58;
  EXPECT_EQ(FormatTimeStamp(t), "2026/12/31 23:59:58");
}

}  // namespace
}  // namespace qel::message
