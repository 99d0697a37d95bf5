// The listing's texts are the system's own; they are kept here as UTF-8 and
// handed out as CP932 like every other text of a menu.
#include "launch/menu_print.h"

#include <optional>

#include "platform/cp932.h"

namespace qel::launch {

namespace {

std::string Sj(const char* utf8) {
  std::optional<std::string> text = platform::Utf8ToCp932(utf8);
  return text ? *text : std::string(utf8);
}

PrintEntry ButtonEntry(const CLCNButton& button) {
  PrintEntry lines{Sj("ボタンタイトル : ") + button.title};
  if (button.menu_number != 0)
    lines.push_back(Sj("ボタンメニュー番号 : ") + std::to_string(button.menu_number));
  if (button.functions & CLCNButton::kEndButton) {
    lines.push_back(Sj("ボタン機能　　 : 終了ボタン"));
    return lines;
  }
  lines.push_back(Sj("ボタン起動ファイル名 : ") + button.program);
  lines.push_back(Sj("ボタンパラメタ : ") + button.parameters);
  if (button.functions & CLCNButton::kWaitForEnd) lines.push_back(Sj("ボタン機能　　 : 終了待ち"));
  if (button.functions & CLCNButton::kStartIconic) lines.push_back(Sj("ボタン機能　　 : アイコン化"));
  return lines;
}

PrintEntry PfKeyEntry(const CLCNPfKey& key, int number) {
  PrintEntry lines{"PF" + std::to_string(number) + " : "};
  if (key.fixed_function != 0) {
    static const char* const kFunctions[] = {"ＰＦキー機能　 : 終了", "ＰＦキー機能　 : 初画面",
                                             "ＰＦキー機能　 : 前画面",
                                             "ＰＦキー機能　 : コマンドライン"};
    if (key.function < 4) lines.push_back(Sj(kFunctions[key.function]));
    return lines;
  }
  lines.push_back(Sj("ＰＦキータイトル   : ") + key.title);
  lines.push_back(Sj("起動ボタンタイトル : ") + key.button_title);
  return lines;
}

PrintEntry IconEntry(const CLCNXIcon& icon) {
  PrintEntry lines{Sj("アイコン起動ファイル名 : ") + icon.program,
                   Sj("アイコンファイル名 : ") + icon.icon_file,
                   Sj("アイコンパラメタ : ") + icon.parameters};
  if (icon.functions & CLCNButton::kWaitForEnd) lines.push_back(Sj("アイコン機能　 : 終了待ち"));
  if (icon.functions & CLCNButton::kStartIconic) lines.push_back(Sj("アイコン機能　 : アイコン化"));
  return lines;
}

}  // namespace

std::vector<PrintEntry> MenuPrintEntries(const CQelstartDoc& doc) {
  std::vector<PrintEntry> entries;
  if (doc.buttons.empty()) entries.push_back({Sj("ボタンは定義されていません。")});
  for (const auto& button : doc.buttons)
    entries.push_back(ButtonEntry(static_cast<const CLCNButton&>(*button)));
  int number = 0;
  for (const auto& key : doc.pf_keys)
    entries.push_back(PfKeyEntry(static_cast<const CLCNPfKey&>(*key), ++number));
  for (const auto& icon : doc.icons) entries.push_back(IconEntry(static_cast<const CLCNXIcon&>(*icon)));
  return entries;
}

std::string MenuPrintHeaderRight(std::time_t when, int page) {
  std::tm local{};
  localtime_r(&when, &local);
  char date[16];
  std::strftime(date, sizeof date, "%y-%m-%d ", &local);
  return Sj("日付 ") + date + "Page : " + std::to_string(page);
}

int MenuPrintEntriesPerPage(int page_lines) {
  const int entries = (page_lines - 6) / 6;
  return entries < 1 ? 1 : entries;
}

}  // namespace qel::launch
