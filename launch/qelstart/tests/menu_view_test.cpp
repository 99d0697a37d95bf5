// The menu view: what it paints where (background, frames, lines, pictures
// from BMP files and bare DIBs), the controls at their stored rectangles,
// the fixed PF-key titles and the Tab order that wraps around.
#include "launch/menu_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/tests/gui_harness.h"
#include "gui/window_program.h"
#include "launch/qelstart/tests/menu_fixture.h"

namespace qel::launch {
namespace {

using testing::BuildEveryKind;
using testing::Sj;

class MenuViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::gui::testing::EnsureApplication();
    dir_ = dir.path().toStdString();
  }
  QTemporaryDir dir;
  std::string dir_;
};

TEST_F(MenuViewTest, ColorsAreWindowsColorReferences) {
  EXPECT_EQ(CMenuView::colorOf(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(CMenuView::colorOf(0x800000), QColor(0, 0, 128));
}

TEST_F(MenuViewTest, FontRecordHeightWeightAndFallbackFace) {
  LogFont record = LogFont::TextDefault();
  record.height = -20;
  record.weight = 700;
  record.italic = 1;
  const QFont font = CMenuView::fontOf(record);
  EXPECT_EQ(font.pixelSize(), 20);
  EXPECT_EQ(font.weight(), QFont::Bold);
  EXPECT_TRUE(font.italic());
  // The Mincho face is not installed: the Japanese font stands in.
  EXPECT_EQ(font.family(), qel::gui::JapaneseFont().family());
}

TEST_F(MenuViewTest, PaintsBackgroundFramesLinesAndPictures) {
  CQelstartDoc doc;
  doc.background_set = true;
  doc.background = 0x00FFFF;  // yellow
  auto& frame = doc.Add<CLCNFrame>();
  frame.position = {10, 10, 50, 50};
  frame.fill_color = 0xFF0000;  // blue
  frame.style = 77;             // any other style draws as a plain fill
  auto& line = doc.Add<CLCNLine>();
  line.start = {100, 20};
  line.end = {200, 20};
  line.pen_width = 3;
  line.color = 0x0000FF;
  BuildEveryKind(*std::make_unique<CQelstartDoc>(), dir_);  // writes the images
  auto& bmp = doc.Add<CLCNPicture>();
  bmp.position = {300, 400, 48, 32};
  bmp.image_file = dir_ + "/picture.bmp";
  auto& dib = doc.Add<CLCNPicture>();
  dib.position = {360, 400, 48, 32};
  dib.image_file = dir_ + "/picture.dib";
  CMenuView view;
  view.setDocument(&doc, false);
  view.resize(640, 480);
  const QImage image = view.grab().toImage();
  EXPECT_EQ(image.pixelColor(5, 470), QColor(0xFF, 0xFF, 0));
  EXPECT_EQ(image.pixelColor(30, 30), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(150, 20), QColor(255, 0, 0));
  // Both pictures show the same pixels: the DIB got its file header.
  EXPECT_EQ(image.pixelColor(301, 401), image.pixelColor(361, 401));
  EXPECT_EQ(image.pixelColor(301 + 13, 401), QColor(0, 0, 128));
  EXPECT_EQ(image.pixelColor(361 + 13, 401), QColor(0, 0, 128));
}

TEST_F(MenuViewTest, PictureLoaderRefusesWhatIsNoBitmap) {
  BuildEveryKind(*std::make_unique<CQelstartDoc>(), dir_);
  EXPECT_FALSE(CMenuView::loadPicture(dir_ + "/picture.dib").isNull());
  EXPECT_TRUE(CMenuView::loadPicture(dir_ + "/icon.png").isNull());
  EXPECT_TRUE(CMenuView::loadPicture(dir_ + "/missing.bmp").isNull());
}

TEST_F(MenuViewTest, ControlsSitAtTheirRectanglesAndTabWraps) {
  CQelstartDoc doc;
  BuildEveryKind(doc, dir_);
  CMenuView view;
  view.setDocument(&doc, false);
  view.resize(640, 480);
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  const CLCNObject& first = *doc.buttons[0];
  QWidget* widget = view.widgetFor(&first);
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->geometry(), QRect(first.position.left, first.position.top,
                                      first.position.width, first.position.height));
  EXPECT_EQ(qobject_cast<QPushButton*>(widget)->text(), QString::fromUtf8("売上入力"));
  ASSERT_NE(view.inputArea(), nullptr);
  EXPECT_EQ(view.inputArea()->maxLength(), 20);
  // buttons, icons, PF keys and the input area
  const auto& controls = view.controls();
  EXPECT_EQ(controls.size(), 3u + 2u + 12u + 1u);
  controls.back()->setFocus();
  QTest::keyClick(controls.back(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), controls.front());
  QTest::keyClick(controls.front(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), controls.back());
}

TEST_F(MenuViewTest, FixedPfTitlesForScreensOnlyWithAParent) {
  CLCNPfKey key;
  key.fixed_function = 1;
  key.function = CLCNPfKey::kFirstScreen;
  EXPECT_EQ(CMenuView::pfTitle(key, false), QString());
  EXPECT_EQ(CMenuView::pfTitle(key, true), QString::fromUtf8("初画面"));
  key.function = CLCNPfKey::kEnd;
  EXPECT_EQ(CMenuView::pfTitle(key, false), QString::fromUtf8("終  了"));
  key.function = CLCNPfKey::kCommandLine;
  EXPECT_EQ(CMenuView::pfTitle(key, false), QString::fromUtf8("切　替"));
  key.fixed_function = 0;
  key.title = Sj("帳票");
  EXPECT_EQ(CMenuView::pfTitle(key, false), QString::fromUtf8("帳票"));
}

TEST_F(MenuViewTest, EnterOnAFocusedButtonPressesIt) {
  CQelstartDoc doc;
  BuildEveryKind(doc, dir_);
  CMenuView view;
  view.setDocument(&doc, false);
  view.show();
  std::vector<const CLCNObject*> pressed;
  QObject::connect(&view, &CMenuView::objectPressed,
                   [&](const CLCNObject* object) { pressed.push_back(object); });
  QWidget* widget = view.widgetFor(doc.buttons[1].get());
  widget->setFocus();
  QTest::keyClick(widget, Qt::Key_Return);
  ASSERT_EQ(pressed.size(), 1u);
  EXPECT_EQ(pressed[0], doc.buttons[1].get());
}

}  // namespace
}  // namespace qel::launch
