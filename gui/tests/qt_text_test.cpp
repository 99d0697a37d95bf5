#include "gui/qt_text.h"

#include <gtest/gtest.h>

namespace qel::gui {
namespace {

TEST(QtTextTest, JapaneseRoundTripsThroughCp932) {
  const QString text = QStringLiteral("顧客マスタ ｱｲｳ ABC１２３");
  const auto cp932 = ToCp932(text);
  ASSERT_TRUE(cp932.has_value());
  EXPECT_EQ(cp932->size(), 24u);  // kanji and full-width digits take two bytes, kana one
  EXPECT_EQ(FromCp932(*cp932), text);
}

TEST(QtTextTest, CharacterWithoutCp932FormIsRefused) {
  EXPECT_FALSE(ToCp932(QStringLiteral("a😀")).has_value());
}

TEST(QtTextTest, BrokenCp932ShowsReplacementCharacter) {
  const QString shown = FromCp932(std::string_view("A\x82", 2));
  EXPECT_TRUE(shown.startsWith(QLatin1Char('A')));
  EXPECT_TRUE(shown.contains(QChar(0xFFFD)));
}

TEST(QtTextTest, TablesOfProgramAndShared) {
  EXPECT_EQ(ProgramText(101), QStringLiteral("終了します"));
  EXPECT_TRUE(ProgramText(77777).isEmpty());
  EXPECT_FALSE(GuiText(kTextReady).isEmpty());
  EXPECT_TRUE(ModuleText("NOSUCH.EXE", 1).isEmpty());
}

}  // namespace
}  // namespace qel::gui
