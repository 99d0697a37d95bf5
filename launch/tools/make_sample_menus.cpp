// Writes the sample menus of the suite with the menu document writer:
// QELMENU.qlm starts the suite's own window programs (found beside qelstart)
// and the child menu QELSUB.qlm, which opens the sample data files by their
// associated programs. Argument: the directory to write into.
#include <cstdio>
#include <string>

#include "launch/menu_document.h"
#include "platform/cp932.h"

namespace {

using qel::launch::CLCNButton;
using qel::launch::CLCNFrame;
using qel::launch::CLCNInput;
using qel::launch::CLCNPfKey;
using qel::launch::CLCNString;
using qel::launch::CQelstartDoc;

std::string Sj(const char* utf8) { return qel::platform::Utf8ToCp932(utf8).value_or(utf8); }

void Place(qel::launch::CLCNObject& object, int left, int top, int width, int height) {
  object.position = {static_cast<int16_t>(left), static_cast<int16_t>(top),
                     static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
}

void Heading(CQelstartDoc& doc, const char* text) {
  auto& frame = doc.Add<CLCNFrame>();
  Place(frame, 10, 10, 600, 44);
  frame.style = CLCNFrame::kRaised;
  auto& title = doc.Add<CLCNString>();
  Place(title, 10, 10, 600, 44);
  title.text = Sj(text);
  title.draw_format = 1;
  title.font.height = 24;
  title.font.weight = 700;
  title.text_color = 0x800000;
}

void Button(CQelstartDoc& doc, int row, const char* title, const char* program, uint16_t number,
            uint32_t functions = 0, const char* parameters = "") {
  auto& button = doc.Add<CLCNButton>();
  Place(button, 150, 70 + row * 50, 320, 40);
  button.title = Sj(title);
  button.program = program;
  button.menu_number = number;
  button.functions = functions;
  button.parameters = parameters;
  auto& label = doc.Add<CLCNString>();
  Place(label, 100, 70 + row * 50, 40, 40);
  label.text = number ? std::to_string(number) : std::string();
  label.draw_format = 2;
}

void PfKeys(CQelstartDoc& doc, const char* f4_button, const char* f4_title = "") {
  for (int i = 0; i < 12; ++i) {
    auto& key = doc.Add<CLCNPfKey>();
    Place(key, 10 + i * 48 + (i / 4) * 10, 420, 48, 40);
    key.font.height = 12;
    key.fixed_function = 1;
    if (i == 0) key.function = CLCNPfKey::kEnd;
    else if (i == 1) key.function = CLCNPfKey::kFirstScreen;
    else if (i == 2) key.function = CLCNPfKey::kPreviousScreen;
    else if (i == 11) key.function = CLCNPfKey::kCommandLine;
    else if (i == 3 && f4_button != nullptr) {
      key.fixed_function = 0;
      key.button_title = Sj(f4_button);
      key.title = Sj(f4_title);
    } else {
      key.fixed_function = 0;
    }
  }
}

void NumberInput(CQelstartDoc& doc) {
  auto& prompt = doc.Add<CLCNString>();
  Place(prompt, 330, 370, 180, 30);
  prompt.text = Sj("メニュー番号 ==>");
  prompt.draw_format = 2;
  auto& input = doc.Add<CLCNInput>();
  Place(input, 520, 370, 90, 30);
}

bool Write(CQelstartDoc& doc, const std::string& path) {
  doc.placement = {1, 40, 40, 640, 520};
  const qel::launch::DocumentResult result = doc.Save(path);
  if (!result.ok()) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return result.ok();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? std::string(argv[1]) + "/" : std::string();
  CQelstartDoc main_menu;
  main_menu.title = Sj("Quellar メニュー");
  main_menu.background_set = true;
  main_menu.background = 0xF0FBFF;
  Heading(main_menu, "Quellar　業務メニュー");
  Button(main_menu, 0, "ファイル変換", "qelxform", 1);
  Button(main_menu, 1, "レコード加工", "qelrework", 2);
  Button(main_menu, 2, "レコード修正", "qelrevise", 3);
  Button(main_menu, 3, "サンプルデータ", "QELSUB.qlm", 4);
  Button(main_menu, 4, "終了", "", 9, CLCNButton::kEndButton);
  NumberInput(main_menu);
  PfKeys(main_menu, "ファイル変換", "変換");

  CQelstartDoc sub_menu;
  sub_menu.title = Sj("サンプルデータ");
  Heading(sub_menu, "サンプルデータ");
  Button(sub_menu, 0, "社員データ (CSV)", "SHAIN_SOURCE.CSV", 1);
  Button(sub_menu, 1, "ファイル定義", "SHAIN.FLF", 2);
  Button(sub_menu, 2, "レコード定義", "SHAIN.RDF", 3);
  // The procedures name their files relative to the folder the menu is
  // started in: start it in (a copy of) the samples folder.
  Button(sub_menu, 3, "レコード選択 (SHAIN_SEL.rwp)", "qelrework", 4, 0, "/f SHAIN_SEL.rwp");
  Button(sub_menu, 4, "レコード編集 (SHAIN_EDIT.rwp)", "qelrework", 5, 0, "/f SHAIN_EDIT.rwp");
  Button(sub_menu, 5, "戻る", "", 9, CLCNButton::kEndButton);
  NumberInput(sub_menu);
  PfKeys(sub_menu, nullptr);

  return Write(main_menu, dir + "QELMENU.qlm") && Write(sub_menu, dir + "QELSUB.qlm") ? 0 : 1;
}
