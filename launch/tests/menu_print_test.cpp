// The printed listing: entries per button, PF key and icon in that order with
// their texts, the line for a menu without buttons, the header and the
// number of entries per page.
#include "launch/menu_print.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace qel::launch {
namespace {

std::string Sj(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

TEST(MenuPrintTest, EntriesFollowButtonsPfKeysAndIcons) {
  CQelstartDoc doc;
  auto& end = doc.Add<CLCNButton>();
  end.title = Sj("終了");
  end.menu_number = 9;
  end.functions = CLCNButton::kEndButton;
  end.program = "ignored";
  auto& run = doc.Add<CLCNButton>();
  run.title = "A";
  run.program = "prog.exe";
  run.parameters = "-x";
  run.functions = CLCNButton::kWaitForEnd | CLCNButton::kStartIconic;
  auto& fixed = doc.Add<CLCNPfKey>();
  fixed.fixed_function = 1;
  fixed.function = CLCNPfKey::kCommandLine;
  auto& titled = doc.Add<CLCNPfKey>();
  titled.title = "T";
  titled.button_title = "A";
  auto& icon = doc.Add<CLCNXIcon>();
  icon.program = "calc.exe";
  icon.icon_file = "calc.ico";
  icon.functions = CLCNButton::kWaitForEnd;

  const std::vector<PrintEntry> entries = MenuPrintEntries(doc);
  const std::vector<PrintEntry> expected = {
      {Sj("ボタンタイトル : 終了"), Sj("ボタンメニュー番号 : 9"), Sj("ボタン機能　　 : 終了ボタン")},
      {Sj("ボタンタイトル : A"), Sj("ボタン起動ファイル名 : prog.exe"), Sj("ボタンパラメタ : -x"),
       Sj("ボタン機能　　 : 終了待ち"), Sj("ボタン機能　　 : アイコン化")},
      {"PF1 : ", Sj("ＰＦキー機能　 : コマンドライン")},
      {"PF2 : ", Sj("ＰＦキータイトル   : T"), Sj("起動ボタンタイトル : A")},
      {Sj("アイコン起動ファイル名 : calc.exe"), Sj("アイコンファイル名 : calc.ico"),
       Sj("アイコンパラメタ : "), Sj("アイコン機能　 : 終了待ち")},
  };
  EXPECT_EQ(entries, expected);
}

TEST(MenuPrintTest, MenuWithoutButtonsSaysSo) {
  CQelstartDoc doc;
  doc.Add<CLCNString>().text = "x";
  const std::vector<PrintEntry> entries = MenuPrintEntries(doc);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], PrintEntry{Sj("ボタンは定義されていません。")});
}

TEST(MenuPrintTest, HeaderDateAndEntriesPerPage) {
  std::tm when{};
  when.tm_year = 126;
  when.tm_mon = 11;
  when.tm_mday = 8;
  when.tm_hour = 12;
  EXPECT_EQ(MenuPrintHeaderRight(std::mktime(&when), 3), Sj("日付 26-12-08 Page : 3"));
  EXPECT_EQ(MenuPrintEntriesPerPage(66), 10);
  EXPECT_EQ(MenuPrintEntriesPerPage(11), 1);
  EXPECT_EQ(MenuPrintEntriesPerPage(3), 1);
}

}  // namespace
}  // namespace qel::launch
