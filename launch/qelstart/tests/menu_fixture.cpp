#include "launch/qelstart/tests/menu_fixture.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <cstring>
#include <fstream>

#include "platform/cp932.h"

namespace qel::launch::testing {

std::string Sj(const char* utf8) { return platform::Utf8ToCp932(utf8).value_or(utf8); }

namespace {

void Place(CLCNObject& object, int left, int top, int width, int height) {
  object.position = {static_cast<int16_t>(left), static_cast<int16_t>(top),
                     static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
}

CLCNLine Line(int x1, int y1, int x2, int y2, uint16_t style, uint16_t width, ColorRef color) {
  CLCNLine line;
  line.start = {x1, y1};
  line.end = {x2, y2};
  line.pen_style = style;
  line.pen_width = width;
  line.color = color;
  return line;
}

void WriteImages(const std::string& dir) {
  QImage image(48, 32, QImage::Format_Indexed8);
  image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 128), qRgb(255, 0, 0), qRgb(0, 160, 0)});
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x) image.setPixel(x, y, (x / 12 + y / 8) % 4);
  image.save(QString::fromStdString(dir + "/picture.bmp"), "BMP");
  QFile bmp(QString::fromStdString(dir + "/picture.bmp"));
  bmp.open(QIODevice::ReadOnly);
  QFile dib(QString::fromStdString(dir + "/picture.dib"));
  dib.open(QIODevice::WriteOnly);
  dib.write(bmp.readAll().mid(14));
  QImage icon(32, 32, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setBrush(QColor(0, 120, 200));
  painter.drawEllipse(2, 2, 28, 28);
  painter.end();
  icon.save(QString::fromStdString(dir + "/icon.png"), "PNG");
}

}  // namespace

CLCNButton& AddButton(CQelstartDoc& doc, const char* title, const std::string& program,
                      uint16_t number, uint32_t functions) {
  auto& button = doc.Add<CLCNButton>();
  button.title = Sj(title);
  button.program = program;
  button.menu_number = number;
  button.functions = functions;
  const int index = static_cast<int>(doc.buttons.size()) - 1;
  Place(button, 20 + (index % 3) * 150, 60 + (index / 3) * 50, 140, 40);
  return button;
}

CLCNPfKey& AddPfKey(CQelstartDoc& doc, int index, uint32_t fixed, uint16_t function,
                    const char* button_title) {
  auto& key = doc.Add<CLCNPfKey>();
  key.fixed_function = fixed;
  key.function = function;
  key.button_title = Sj(button_title);
  key.title = key.button_title;
  key.font.height = 12;
  const int gap = (index / 4) * 10;
  Place(key, 10 + index * 50 + gap, 400, 50, 36);
  return key;
}

void BuildEveryKind(CQelstartDoc& doc, const std::string& dir) {
  WriteImages(dir);
  doc.title = Sj("業務メニュー");
  doc.background_set = true;
  doc.background = 0xF0F8FF;

  auto& frame_title = doc.Add<CLCNFrame>();
  Place(frame_title, 10, 8, 620, 40);
  frame_title.style = CLCNFrame::kRaised;
  frame_title.fill_color = 0xC0C0C0;
  auto& title = doc.Add<CLCNString>();
  Place(title, 10, 8, 620, 40);
  title.text = Sj("販売管理システム　メインメニュー");
  title.draw_format = 1;
  title.font.height = 22;
  title.font.weight = 700;
  title.text_color = 0x800000;

  AddButton(doc, "売上入力", "true", 1);
  AddButton(doc, "売上一覧", "true", 2, CLCNButton::kWaitForEnd).text_color = 0x0000FF;
  AddButton(doc, "終了", "", 3, CLCNButton::kEndButton);

  const uint16_t styles[] = {CLCNFrame::kNone, CLCNFrame::kShadow, CLCNFrame::kSunken,
                             CLCNFrame::kRaised, CLCNFrame::kGroove};
  const ColorRef fills[] = {0x00FFFF, 0xFFFF00, 0xC0C0C0, 0x80FF80, 0xFFFFFF};
  for (int i = 0; i < 5; ++i) {
    auto& frame = doc.Add<CLCNFrame>();
    Place(frame, 20 + i * 70, 170, 60, 40);
    frame.style = styles[i];
    frame.fill_color = fills[i];
  }
  auto& left = doc.Add<CLCNString>();
  Place(left, 380, 170, 240, 20);
  left.text = Sj("左寄せの文字列");
  auto& right = doc.Add<CLCNString>();
  Place(right, 380, 190, 240, 20);
  right.text = Sj("右寄せ・赤");
  right.draw_format = 2;
  right.text_color = 0x0000FF;

  auto& picture = doc.Add<CLCNPicture>();
  Place(picture, 20, 230, 96, 64);
  picture.image_file = dir + "/picture.bmp";
  auto& dib = doc.Add<CLCNPicture>();
  Place(dib, 130, 230, 48, 32);
  dib.image_file = dir + "/picture.dib";

  auto& line = doc.Add<CLCNLine>();
  line.start = {200, 240};
  line.end = {360, 240};
  line.pen_width = 3;
  line.color = 0x008000;
  auto& dashed = doc.Add<CLCNLine>();
  dashed.start = {200, 260};
  dashed.end = {360, 290};
  dashed.pen_style = 1;
  auto& rectangle = doc.Add<CLCNRectangle>();
  Place(rectangle, 380, 230, 120, 60);
  rectangle.sides = {Line(380, 230, 500, 230, 0, 2, 0xFF0000), Line(500, 230, 500, 290, 0, 2, 0xFF0000),
                     Line(500, 290, 380, 290, 0, 2, 0xFF0000), Line(380, 290, 380, 230, 0, 2, 0xFF0000)};

  auto& icon = doc.Add<CLCNXIcon>();
  Place(icon, 20, 310, 80, 64);
  icon.title = Sj("電卓");
  icon.program = "true";
  icon.icon_file = dir + "/icon.png";
  icon.font.height = 12;
  auto& generic = doc.Add<CLCNXIcon>();
  Place(generic, 110, 310, 80, 64);
  generic.title = Sj("ツール");
  generic.program = "true";
  generic.font.height = 12;

  auto& input = doc.Add<CLCNInput>();
  Place(input, 520, 320, 90, 30);
  auto& prompt = doc.Add<CLCNString>();
  Place(prompt, 380, 320, 130, 30);
  prompt.text = Sj("メニュー番号：");
  prompt.draw_format = 2;

  const uint16_t fixed[12][2] = {{1, CLCNPfKey::kEnd},          {1, CLCNPfKey::kFirstScreen},
                                 {1, CLCNPfKey::kPreviousScreen}, {0, 0}, {0, 0}, {0, 0},
                                 {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
                                 {1, CLCNPfKey::kCommandLine}};
  for (int i = 0; i < 12; ++i)
    AddPfKey(doc, i, fixed[i][0], fixed[i][1], i == 3 ? "売上入力" : "");
}

void WriteMenu(CQelstartDoc& doc, const std::string& path, bool complete) {
  if (complete) {
    const DocumentResult result = doc.Save(path);
    if (!result.ok()) throw std::runtime_error("menu not saved: " + path);
    return;
  }
  doc.placement.restore = 0;
  std::ofstream(path, std::ios::binary) << doc.Store();
}

std::string MarkerScript(const std::string& dir, const std::string& name,
                         const std::string& marker, double seconds) {
  const std::string path = dir + "/" + name;
  std::ofstream(path) << "touch '" << dir << "/" << marker << "'\nsleep " << seconds << "\n";
  return path;
}

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(20);
  }
  return true;
}

}  // namespace qel::launch::testing
