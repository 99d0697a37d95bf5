#include "launch/menu_document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/cp932.h"

namespace qel::launch {
namespace {

// Bytes of a file, spelled out field by field.
struct Bytes {
  std::string b;
  Bytes& u8(unsigned v) {
    b.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& raw(std::string_view s) {
    b.append(s);
    return *this;
  }
  Bytes& zeros(size_t n) {
    b.append(n, '\0');
    return *this;
  }
  Bytes& str(std::string_view s) { return u8(static_cast<unsigned>(s.size())).raw(s); }  // < 255
  Bytes& new_class(std::string_view name) {
    return u16(0xFFFF).u16(1).u16(static_cast<unsigned>(name.size())).raw(name);
  }
  Bytes& pos(int l, int t, unsigned w, unsigned h) {
    return u16(static_cast<uint16_t>(l)).u16(static_cast<uint16_t>(t)).u16(w).u16(h);
  }
  // The default text font: height 16, weight 400, Shift-JIS, Mincho.
  Bytes& font(bool short_form = false) {
    if (short_form)
      u16(16).u16(0).u16(0).u16(0).u16(400);
    else
      u32(16).u32(0).u32(0).u32(0).u32(400);
    u8(0).u8(0).u8(0).u8(128).u8(0).u8(0).u8(0).u8(0);
    std::string face("\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");
    face.resize(32, '\0');
    return raw(face);
  }
  Bytes& line_fields(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return u32(x1).u32(y1).u32(x2).u32(y2).u16(0).u16(1).u32(0).u32(0);
  }
};

std::string SignatureBlock(std::string_view title) {
  Bytes s;
  s.raw("MENU2").zeros(3).zeros(258).u16(0).raw(title).zeros(32 - title.size()).u32(512);
  s.zeros(512 - s.b.size());
  return s.b;
}

std::string PropertyBlock(bool bg, uint32_t color, bool max, uint16_t version = 3,
                          std::string_view name = "QELSTART") {
  Bytes p;
  p.raw(name).zeros(8 - name.size()).u16(1).u16(version).u32(bg).u32(color).u32(max);
  p.zeros(512 - p.b.size());
  return p.b;
}

std::string Cp(std::string_view utf8) { return *platform::Utf8ToCp932(utf8); }

// A document with one object of every kind (two buttons) and its bytes.
void BuildFull(CQelstartDoc& doc) {
  doc.title = "MAIN";
  doc.background_set = true;
  doc.background = 0x808000;
  doc.maximized = true;
  doc.placement = {1, -5, 10, 640, 480};
  doc.custom_colors[3] = 0x0000FF;
  auto& text = doc.Add<CLCNString>();
  text.position = {-2, 3, 100, 20};
  text.text = Cp("売上");
  text.draw_format = 1;
  auto& b1 = doc.Add<CLCNButton>();
  b1.position = {10, 40, 80, 24};
  b1.title = "B1";
  b1.program = "prog1";
  b1.control_id = 1001;
  b1.functions = CLCNButton::kWaitForEnd;
  b1.parameters = "-x";
  b1.menu_number = 5;
  auto& b2 = doc.Add<CLCNButton>();
  b2.position = {10, 70, 80, 24};
  b2.title = "B2";
  b2.control_id = 1002;
  b2.functions = CLCNButton::kEndButton;
  b2.menu_number = 6;
  auto& pic = doc.Add<CLCNPicture>();
  pic.position = {0, 0, 32, 32};
  pic.image_file = "logo.bmp";
  auto& frame = doc.Add<CLCNFrame>();
  frame.position = {5, 5, 200, 100};
  frame.style = CLCNFrame::kSunken;
  auto& line = doc.Add<CLCNLine>();
  line.start = {1, 2};
  line.end = {300, 2};
  auto& rect = doc.Add<CLCNRectangle>();
  rect.position = {20, 20, 50, 40};
  rect.sides[0].start = {20, 20};
  rect.sides[0].end = {70, 20};
  auto& ole = doc.Add<CLCNOle>();
  ole.position = {1, 1, 2, 2};
  ole.name = "item";
  auto& icon = doc.Add<CLCNXIcon>();
  icon.position = {300, 10, 48, 64};
  icon.title = "IC";
  icon.program = "tool";
  icon.icon_file = "tool.ico";
  icon.icon_index = 2;
  icon.functions = 4;
  auto& input = doc.Add<CLCNInput>();
  input.position.left = 400;
  input.control_id = 2000;
  auto& pf = doc.Add<CLCNPfKey>();
  pf.position = {0, 450, 50, 20};
  pf.title = "F1";
  pf.control_id = 3000;
  pf.fixed_function = 0;
  pf.button_title = "B1";
}

std::string FullBytes() {
  Bytes f;
  f.raw(SignatureBlock("MAIN")).raw(PropertyBlock(true, 0x808000, true));
  f.u16(1).u16(static_cast<uint16_t>(-5)).u16(10).u16(640).u16(480);
  // texts: class 1, object 2
  f.u16(1).new_class("CLCNString").pos(-2, 3, 100, 20).str(Cp("売上")).font().u32(0).u16(1).u32(0);
  // buttons: class 3, objects 4 and 5 (class-index tag 0x8003)
  f.u16(2).new_class("CLCNButton").pos(10, 40, 80, 24).str("B1").font().u32(0).str("prog1");
  f.u32(0).u16(1001).u32(2).str("-x").u16(5);
  f.u16(0x8003).pos(10, 70, 80, 24).str("B2").font().u32(0).str("").u32(0).u16(1002).u32(1);
  f.str("").u16(6);
  // pictures: class 6, object 7
  f.u16(1).new_class("CLCNPicture").pos(0, 0, 32, 32).str("logo.bmp").u32(0).u32(0).u32(0);
  f.u32(1).u32(1);
  // frames: class 8, object 9
  f.u16(1).new_class("CLCNFrame").pos(5, 5, 200, 100).u16(3).u16(0).u32(0xC0C0C0).u16(0);
  // lines and rectangles: classes 10 and 12, objects 11 and 13
  f.u16(2).new_class("CLCNLine").line_fields(1, 2, 300, 2);
  f.new_class("CLCNRectangle").pos(20, 20, 50, 40).u16(2).u32(0).line_fields(20, 20, 70, 20);
  for (int i = 0; i < 3; ++i) f.line_fields(0, 0, 0, 0);
  // OLE links: class 14, object 15
  f.u16(1).new_class("CLCNOle").pos(1, 1, 2, 2).u32(0x04000000).str("item");
  // icons: class 16, object 17
  f.u16(1).new_class("CLCNXIcon").pos(300, 10, 48, 64).str("IC").font().u32(0).str("tool");
  f.str("").str("tool.ico").u16(2).u32(4);
  // drawing order: back references
  f.u16(9);
  for (unsigned ref : {2, 4, 5, 7, 9, 11, 13, 15, 17}) f.u16(ref);
  f.u32(0x04000000).u16(16);
  for (int i = 0; i < 16; ++i) f.u32(i == 3 ? 0x0000FF : 0xFFFFFF);
  // input area: class 18, object 19; PF keys: class 20, object 21
  f.u16(1).new_class("CLCNInput").pos(400, 0, 90, 30).u32(0).u16(2000);
  f.u16(1).new_class("CLCNPfKey").pos(0, 450, 50, 20).str("F1").font().u32(0).u32(0).u16(3000);
  f.u32(0).str("B1").u16(0);
  f.u16(0x0DAF).u16(0);
  return f.b;
}

std::string HexDiff(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  std::ostringstream s;
  s << "first difference at " << i << " of " << a.size() << "/" << b.size();
  return s.str();
}

TEST(MenuDocumentTest, WritesEveryObjectKindByteExact) {
  CQelstartDoc doc;
  BuildFull(doc);
  std::string written = doc.Store();
  std::string expected = FullBytes();
  EXPECT_EQ(written, expected) << HexDiff(written, expected);
}

TEST(MenuDocumentTest, ReadsBackEveryField) {
  CQelstartDoc doc;
  BuildFull(doc);
  CQelstartDoc read;
  DocumentResult r = read.Load(FullBytes(), false);
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r.message.empty());
  EXPECT_TRUE(read.Equals(doc));
  EXPECT_EQ(read.ObjectCount(), 11u);
  EXPECT_EQ(read.type_name, "QELSTART");
  EXPECT_EQ(read.BackgroundColor(), 0x808000u);
  ASSERT_EQ(read.draw_order.size(), 9u);
  EXPECT_EQ(read.draw_order[2], read.buttons[1].get());
  EXPECT_EQ(read.draw_order[6], read.lines[1].get());
  for (auto& b : read.buttons) EXPECT_EQ(b->document, &read);
  // Changing a field must make the documents differ.
  static_cast<CLCNButton&>(*read.buttons[1]).menu_number = 7;
  EXPECT_FALSE(read.Equals(doc));
}

TEST(MenuDocumentTest, NewDocumentDefaults) {
  CQelstartDoc doc;
  EXPECT_EQ(doc.type_name, "QLMENU");
  for (ColorRef c : doc.custom_colors) EXPECT_EQ(c, kWhite);
  EXPECT_EQ(doc.BackgroundColor(), kWhite);
  CLCNInput input;
  EXPECT_EQ(input.position.width, 90);
  EXPECT_EQ(input.position.height, 30);
  CLCNFrame frame;
  EXPECT_EQ(frame.fill_color, 0xC0C0C0u);
  frame.style = 9;
  EXPECT_EQ(frame.DrawStyle(), CLCNFrame::kNone);
}

TEST(MenuDocumentTest, LongStringsAndLongTitleRoundTrip) {
  CQelstartDoc doc;
  doc.title = std::string(40, 'T');  // the block keeps 31 bytes
  auto& b = doc.Add<CLCNButton>();
  b.title = std::string(300, 'a');
  b.parameters = std::string(70000, 'p');
  CQelstartDoc read;
  ASSERT_TRUE(read.Load(doc.Store(), false).ok());
  EXPECT_EQ(read.title, std::string(31, 'T'));
  auto& rb = static_cast<CLCNButton&>(*read.buttons[0]);
  EXPECT_EQ(rb.title, b.title);
  EXPECT_EQ(rb.parameters, b.parameters);
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qlmXXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string dir_;
};

TEST_F(TempDir, SaveSetsRestoreFlagAndOpenReadsItBack) {
  CQelstartDoc doc;
  BuildFull(doc);
  doc.placement.restore = 0;
  ASSERT_TRUE(doc.Save(dir_ + "/menu.qlm").ok());
  EXPECT_EQ(doc.placement.restore, 1);
  CQelstartDoc read;
  ASSERT_TRUE(read.Open(dir_ + "/menu.qlm").ok());
  EXPECT_TRUE(read.Equals(doc));
  EXPECT_EQ(read.placement.restore, 1);
  DocumentResult missing = read.Open(dir_ + "/none.qlm");
  EXPECT_EQ(missing.status, DocumentResult::kFailed);
  EXPECT_EQ(missing.message, Cp("ファイルの形式が不正です"));
}

TEST_F(TempDir, PictureImageFileChecks) {
  CLCNPicture pic;
  pic.image_file = dir_ + "/none.bmp";
  EXPECT_EQ(pic.CheckImageFile(), Cp("画像ファイルをオープンできません"));
  std::string info("\x28\x00\x00\x00", 4);
  WriteFile("a.bmp", "BM" + std::string(12, '\0') + info + std::string(40, '\0'));
  pic.image_file = dir_ + "/a.bmp";
  EXPECT_EQ(pic.CheckImageFile(), "");
  WriteFile("a.dib", info + std::string(40, '\0'));
  pic.image_file = dir_ + "/a.dib";
  EXPECT_EQ(pic.CheckImageFile(), "");
  WriteFile("a.txt", "not an image at all");
  pic.image_file = dir_ + "/a.txt";
  EXPECT_EQ(pic.CheckImageFile(), Cp("画像ファイルの形式が不正です"));
  pic.image_file = dir_ + "/a.bmp";
  std::filesystem::resize_file(pic.image_file, CLCNPicture::kMaxImageBytes + 1);  // sparse
  EXPECT_EQ(pic.CheckImageFile(), Cp("画像データが大きすぎます"));
}

TEST_F(TempDir, ReducedMenuOpensButSaveAsksForANewName) {
  // Version 3 without parameters, menu numbers, input area and PF keys.
  Bytes f;
  f.raw(SignatureBlock("")).raw(PropertyBlock(false, 0, false)).u16(1).u16(0).u16(0).u16(0).u16(0);
  f.u16(0);
  f.u16(1).new_class("CLCNButton").pos(1, 2, 3, 4).str("RUN").font().u32(0).str("app");
  f.u32(0).u16(7).u32(0);
  for (int i = 0; i < 5; ++i) f.u16(0);
  f.u16(1).u16(2);  // drawing order: the button
  f.u32(0x04000000).u16(16);
  for (int i = 0; i < 16; ++i) f.u32(0x123456);
  f.u16(0x0DAF).u16(0);
  WriteFile("OLD.DMK", f.b);
  CQelstartDoc doc;
  ASSERT_TRUE(doc.Open(dir_ + "/OLD.DMK").ok());
  ASSERT_EQ(doc.buttons.size(), 1u);
  auto& b = static_cast<CLCNButton&>(*doc.buttons[0]);
  EXPECT_EQ(b.program, "app");
  EXPECT_EQ(b.menu_number, 0);
  EXPECT_EQ(doc.custom_colors[15], 0x123456u);
  DocumentResult saved = doc.Save(dir_ + "/OLD.DMK");
  EXPECT_EQ(saved.status, DocumentResult::kSaveAs);
  EXPECT_EQ(saved.message,
            Cp("Panoplyの形式では保存できません。\n新しいファイル名を指定してください。"));
  // The same bytes read as a full menu run out of data.
  CQelstartDoc full;
  EXPECT_EQ(full.Load(f.b, false).status, DocumentResult::kFailed);
}

TEST(MenuDocumentTest, ReducedVersionTwoCarriesColoursInTheOlderForm) {
  Bytes f;
  f.raw(SignatureBlock("")).raw(PropertyBlock(false, 0, false, 2)).zeros(10);
  for (int i = 0; i < 6; ++i) f.u16(0);
  f.u16(1).new_class("CLCNXIcon").pos(0, 0, 32, 32).str("I").font().u32(0).str("p").str("");
  f.str("p.ico").u16(0).u32(0);
  for (int i = 0; i < 16; ++i) f.u32(0x000080);
  f.u16(0x0DAF).u16(0);
  CQelstartDoc doc;
  ASSERT_TRUE(doc.Load(f.b, true).ok());
  EXPECT_EQ(doc.icons.size(), 1u);
  EXPECT_EQ(doc.custom_colors[0], 0x000080u);
  ASSERT_EQ(doc.draw_order.size(), 1u);  // list order without a drawing-order list
  // Not reduced: version 2 has no colours, they stay white, and the input
  // area and PF-key lists follow the icon list.
  Bytes g;
  g.raw(SignatureBlock("")).raw(PropertyBlock(false, 0, false, 2)).zeros(10);
  for (int i = 0; i < 7; ++i) g.u16(0);
  g.u16(0).u16(0).u16(0x0DAF).u16(0);
  CQelstartDoc plain;
  ASSERT_TRUE(plain.Load(g.b, false).ok());
  EXPECT_EQ(plain.custom_colors[0], kWhite);
  // Another version has neither icons nor colours.
  Bytes h;
  h.raw(SignatureBlock("")).raw(PropertyBlock(false, 0, false, 9)).zeros(10);
  for (int i = 0; i < 8; ++i) h.u16(0);
  h.u16(0x0DAF).u16(0);
  EXPECT_TRUE(plain.Load(h.b, false).ok());
}

TEST(MenuDocumentTest, ReadsTheOlderLayout) {
  Bytes f;
  f.raw("OLDM").zeros(508);
  Bytes p;
  p.raw("QLMN").u16(1).u16(1).u16(1).u16(0x00FF).u16(0x0000).u16(1);
  f.raw(p.b).zeros(512 - p.b.size());
  f.u16(1).u16(4).u16(5).u16(600).u16(400);
  f.u16(1)
      .new_class("CLCNString")
      .pos(0, 0, 10, 10)
      .str("T")
      .font(true)
      .u32(0x00FF00)
      .u16(2)
      .u32(9);
  f.u16(2).new_class("CLCNButton").pos(0, 0, 5, 5).str("A").font(true).u32(0).str("a");
  f.u32(0).u16(1).u32(0).str("").u16(1);
  f.u16(0x8003).pos(0, 0, 5, 5).str("B").font(true).u32(0).str("b");
  f.u32(0).u16(2).u32(0).str("").u16(2);
  f.u16(0).u16(0);  // pictures, frames
  f.u16(1).new_class("CLCNLine").line_fields(0, 0, 9, 9);
  f.u16(1).new_class("CLCNRectangle").pos(1, 1, 4, 4).u16(2).u32(0);
  for (int i = 0; i < 4; ++i) f.line_fields(1, 1, 5, 1);
  f.u16(0);         // OLE links
  f.u16(0);         // icons (version 1)
  f.u16(0).u16(0);  // input area, PF keys
  f.raw("ole bytes");
  CQelstartDoc doc;
  DocumentResult r = doc.Load(f.b, false);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.message, Cp("ＯＬＥは読み飛ばします。"));
  EXPECT_EQ(doc.version, 1);
  EXPECT_TRUE(doc.background_set);
  EXPECT_EQ(doc.background, 0x00FFu);
  EXPECT_TRUE(doc.maximized);
  EXPECT_EQ(doc.placement, (Placement{1, 4, 5, 600, 400}));
  ASSERT_EQ(doc.strings.size(), 1u);
  auto& t = static_cast<CLCNString&>(*doc.strings[0]);
  EXPECT_EQ(t.font, LogFont::TextDefault());  // widened from the 50-byte form
  EXPECT_EQ(t.text_color, 0x00FF00u);
  EXPECT_EQ(t.value, 9u);
  ASSERT_EQ(doc.buttons.size(), 2u);
  EXPECT_EQ(static_cast<CLCNButton&>(*doc.buttons[1]).menu_number, 2);
  ASSERT_EQ(doc.lines.size(), 2u);
  EXPECT_EQ(doc.lines[1]->Kind(), ObjectKind::kRectangle);
  EXPECT_EQ(doc.ObjectCount(), 5u);
  // Written again, it is the current layout and reads back equal.
  CQelstartDoc again;
  ASSERT_TRUE(again.Load(doc.Store(), false).ok());
  EXPECT_TRUE(again.Equals(doc));
  EXPECT_EQ(again.version, 3);

  // The class header must name the list's class.
  std::string wrong = f.b;
  size_t at = wrong.find("CLCNButton");
  wrong.replace(at, 10, "CLCNPfKey_");
  EXPECT_EQ(doc.Load(wrong, false).status, DocumentResult::kFailed);
}

TEST(MenuDocumentTest, MalformedFilesAreRefused) {
  std::string good = FullBytes();
  std::string invalid = Cp("ファイルの形式が不正です");
  // Every truncation fails cleanly.
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    CQelstartDoc doc;
    DocumentResult r = doc.Load(std::string_view(good).substr(0, cut), false);
    ASSERT_EQ(r.status, DocumentResult::kFailed) << cut;
    EXPECT_EQ(r.message, invalid);
    EXPECT_EQ(doc.ObjectCount(), 0u);
  }
  struct Damage {
    const char* what;
    size_t offset;
    std::string bytes;
  };
  size_t lists = 1034;
  size_t ole = good.size() - 4;
  const Damage damages[] = {
      {"wrong OLE marker", ole, std::string("\xAE\x0D", 2)},
      {"list of 4 billion", lists, std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6)},
      {"2 GB string", lists + 26, std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7)},
      {"unknown class", lists + 8, "X"},
      {"reference to a class as an object", good.find(std::string("\x09\x00\x02\x00", 4)) + 2,
       std::string("\x01\x00", 2)},
      {"reference past the map", good.find(std::string("\x09\x00\x02\x00", 4)) + 2,
       std::string("\x40\x00", 2)},
      {"colour marker", good.find(std::string("\x00\x00\x00\x04\x10\x00", 6)),
       std::string("\x00\x00\x00\x05", 4)},
  };
  for (const Damage& d : damages) {
    std::string bad = good;
    bad.replace(d.offset, d.bytes.size(), d.bytes);
    CQelstartDoc doc;
    DocumentResult r = doc.Load(bad, false);
    EXPECT_EQ(r.status, DocumentResult::kFailed) << d.what;
    EXPECT_EQ(r.message, invalid) << d.what;
  }
  // A button in the list of texts.
  std::string swapped = good;
  size_t at = swapped.find("CLCNString");
  swapped.replace(at, 10, "CLCNButton");
  CQelstartDoc doc;
  EXPECT_EQ(doc.Load(swapped, false).status, DocumentResult::kFailed);
}

TEST(MenuDocumentTest, EmbeddedOleObjectsAreSkippedWithAMessage) {
  std::string bytes = FullBytes();
  bytes[bytes.size() - 2] = 1;
  bytes += "embedded item";
  CQelstartDoc doc;
  DocumentResult r = doc.Load(bytes, false);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.message, Cp("ＯＬＥは読み飛ばします。"));
  EXPECT_EQ(doc.ObjectCount(), 11u);
}

struct CheckCase {
  const char* name;
  int buttons;  // buttons with the numbers below
  uint16_t numbers[3];
  bool input;
  bool texts_only;
  DocumentResult::Status status;
  const char* message;  // UTF-8; empty: none
  const char* detail;
};

class SaveCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SaveCheckTest, ChecksInOrder) {
  const CheckCase& c = GetParam();
  CQelstartDoc doc;
  if (c.texts_only) {
    doc.Add<CLCNString>();
    doc.Add<CLCNPicture>();
  }
  for (int i = 0; i < c.buttons; ++i) {
    auto& b = doc.Add<CLCNButton>();
    b.title = "BTN" + std::to_string(i);
    b.menu_number = c.numbers[i];
  }
  if (c.input) doc.Add<CLCNInput>();
  DocumentResult r = doc.CheckBeforeSave();
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.message, *c.message ? Cp(c.message) : std::string());
  EXPECT_EQ(r.detail, c.detail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveCheckTest,
    ::testing::Values(
        CheckCase{"TextsAndPicturesOnly",
                  0,
                  {},
                  false,
                  true,
                  DocumentResult::kFailed,
                  "起動するボタンが一つも定義されていません",
                  ""},
        CheckCase{"InputAreaNeedsNumbers",
                  3,
                  {1, 0, 1},
                  true,
                  false,
                  DocumentResult::kFailed,
                  "プッシュボタンにメニュー番号が\n設定されていません。",
                  "BTN1"},
        CheckCase{"DuplicateFive",
                  3,
                  {5, 2, 5},
                  false,
                  false,
                  DocumentResult::kFailed,
                  "メニューの重複しているものがあります。\nメニュー番号：5",
                  ""},
        CheckCase{
            "UnnumberedWithoutInputArea", 2, {0, 0}, false, false, DocumentResult::kOk, "", ""},
        CheckCase{"NumberedWithInputArea", 2, {1, 2}, true, false, DocumentResult::kOk, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qel::launch
