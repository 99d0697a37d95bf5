// Design mode with the mouse: grid drags, the limits, the attribute, font and
// colour dialogs, the help commands, the save question, the printed listing;
// and a designed menu that is saved, read back and run.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "launch/launcher_texts.h"
#include "launch/menu_printer.h"
#include "launch/menu_view.h"
#include "launch/qelstart/design_dialogs.h"
#include "launch/qelstart/start_frame.h"
#include "launch/qelstart/tests/menu_fixture.h"

namespace qel::launch::gui {
namespace {

using namespace qel::launch::testing;
using qel::gui::testing::BoxRecorder;
using qel::gui::testing::SaveScreenshot;

class DesignFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::gui::testing::EnsureApplication();
    dir_ = tmp_.path().toStdString();
    frame_ = std::make_unique<CMainFrame>(LaunchMode::kDesignEmpty, LauncherState{}, "");
    frame_->resize(700, 560);
    frame_->show();
    QApplication::processEvents();
  }
  void Drag(QPoint from, QPoint to) {
    CMenuDesignView* view = frame_->view();
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
  }
  // Runs `fill` on the dialog the next drag opens.
  template <typename Dialog>
  void WhenDialogOpens(std::function<void(Dialog&)> fill) {
    QTimer::singleShot(0, [fill] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      fill(*dialog);
    });
  }

  QTemporaryDir tmp_;
  std::string dir_;
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(DesignFrameTest, GridDragCreatesTheObjectOnGridMultiples) {
  frame_->view()->setGrid({true, 10, 10});
  frame_->view()->setTool(DesignTool::kFrame);
  Drag({13, 27}, {58, 61});
  ASSERT_EQ(frame_->document().frames.size(), 1u);
  EXPECT_EQ(frame_->document().frames[0]->position, (Rect16{10, 20, 40, 40}));
  EXPECT_TRUE(frame_->modified());
  // Too small for an icon: refused in the status bar, nothing made.
  frame_->view()->setTool(DesignTool::kIcon);
  Drag({100, 100}, {120, 150});
  EXPECT_TRUE(frame_->document().icons.empty());
}

TEST_F(DesignFrameTest, SecondPfGuidanceAndInputAreaAreRefused) {
  BoxRecorder boxes;
  frame_->view()->setTool(DesignTool::kPfGuidance);
  Drag({10, 300}, {630, 340});
  Drag({10, 200}, {630, 240});
  frame_->view()->setTool(DesignTool::kInput);
  Drag({10, 100}, {100, 130});
  Drag({200, 100}, {300, 130});
  EXPECT_EQ(frame_->document().pf_keys.size(), 12u);
  EXPECT_EQ(frame_->document().inputs.size(), 1u);
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].text, QString::fromUtf8("ＰＦキーガイダンスは複数設定することはできません。"));
  EXPECT_EQ(boxes.boxes()[1].text, QString::fromUtf8("入力領域は複数設定することはできません。"));
}

TEST_F(DesignFrameTest, DesignedMenuIsSavedReadBackAndRuns) {
  const std::string script = MarkerScript(dir_, "job.sh", "job_ran");
  BoxRecorder boxes;
  frame_->view()->setTool(DesignTool::kButton);
  bool refused_once = false;
  WhenDialogOpens<CButtonDialog>([&](CButtonDialog& dialog) {
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    dialog.titleField()->setText(QString::fromUtf8("日次処理"));
    dialog.fileField()->setText(QString::fromStdString(script));
    dialog.numberField()->setText(QStringLiteral("40000"));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    dialog.endBox()->setChecked(true);
    EXPECT_FALSE(dialog.fileField()->isEnabled());
    dialog.endBox()->setChecked(false);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    refused_once = dialog.isVisible();
    dialog.numberField()->setText(QStringLiteral("5"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  });
  Drag({40, 40}, {240, 90});
  EXPECT_TRUE(refused_once);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, QString::fromUtf8("正しい数値を入力してください"));
  ASSERT_EQ(frame_->document().buttons.size(), 1u);

  const std::string path = dir_ + "/designed.qlm";
  ASSERT_TRUE(frame_->saveMenuTo(path));
  EXPECT_FALSE(frame_->modified());
  CQelstartDoc reread;
  ASSERT_TRUE(reread.Open(path).ok());
  const auto& button = static_cast<const CLCNButton&>(*reread.buttons[0]);
  EXPECT_EQ(button.title, Sj("日次処理"));
  EXPECT_EQ(button.menu_number, 5);
  EXPECT_EQ(button.position, (Rect16{40, 40, 200, 50}));
  EXPECT_EQ(reread.placement.restore, 1);

  CMainFrame runner(LaunchMode::kRun, LauncherState{}, path);
  runner.show();
  ASSERT_TRUE(runner.openNamedMenu());
  QTest::mouseClick(runner.view()->widgetFor(runner.document().buttons[0].get()), Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(dir_ + "/job_ran"); }));
}

TEST_F(DesignFrameTest, ClosingAModifiedMenuAsksToSave) {
  frame_->view()->setTool(DesignTool::kFrame);
  Drag({10, 10}, {60, 60});
  BoxRecorder boxes;
  boxes.Answer(QMessageBox::Cancel);
  frame_->close();
  EXPECT_TRUE(frame_->isVisible());
  boxes.Answer(QMessageBox::No);
  frame_->close();
  EXPECT_FALSE(frame_->isVisible());
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_TRUE(boxes.boxes()[0].text.endsWith(QString::fromUtf8(" を保存しますか?")));
}

TEST_F(DesignFrameTest, DeleteMovesAndDrawingOrder) {
  frame_->view()->setTool(DesignTool::kFrame);
  Drag({10, 10}, {60, 60});
  Drag({100, 10}, {150, 60});
  frame_->view()->setTool(DesignTool::kNone);
  CQelstartDoc& doc = frame_->document();
  CLCNObject* second = doc.frames[1].get();
  // Pressing an object selects it; dragging moves it.
  Drag({120, 30}, {140, 50});
  EXPECT_EQ(second->position, (Rect16{120, 30, 50, 50}));
  frame_->view()->sendSelectionToBack();
  EXPECT_EQ(doc.draw_order.front(), second);
  QTest::keyClick(frame_->view(), Qt::Key_Delete);
  EXPECT_EQ(doc.frames.size(), 1u);
  EXPECT_EQ(doc.draw_order.size(), 1u);
  // The input area is a control outside the drawing order: it is selected,
  // moved and deleted all the same.
  frame_->view()->setTool(DesignTool::kInput);
  Drag({300, 300}, {390, 330});
  frame_->view()->setTool(DesignTool::kNone);
  Drag({310, 310}, {330, 320});
  ASSERT_EQ(doc.inputs.size(), 1u);
  EXPECT_EQ(doc.inputs[0]->position, (Rect16{320, 310, 90, 30}));
  QTest::keyClick(frame_->view(), Qt::Key_Delete);
  EXPECT_TRUE(doc.inputs.empty());
}

TEST_F(DesignFrameTest, CopyAndPasteOfAButtonGivesAnEqualObject) {
  CLCNButton& button = AddButton(frame_->document(), "複写", "prog.exe", 7);
  frame_->view()->setEditableDocument(&frame_->document());
  frame_->view()->selectOnly(&button);
  frame_->view()->copySelection();
  frame_->view()->paste();
  ASSERT_EQ(frame_->document().buttons.size(), 2u);
  EXPECT_TRUE(frame_->document().buttons[1]->Equals(button));
  EXPECT_EQ(frame_->view()->selection().size(), 1u);
  EXPECT_EQ(frame_->view()->selection()[0], frame_->document().buttons[1].get());
  frame_->view()->cutSelection();
  EXPECT_EQ(frame_->document().buttons.size(), 1u);
}

// Regression: the view kept editing the document an open had replaced.
TEST_F(DesignFrameTest, AnOpenedMenuTakesNewObjects) {
  CQelstartDoc doc;
  BuildEveryKind(doc, dir_);
  WriteMenu(doc, dir_ + "/open.qlm");
  ASSERT_TRUE(frame_->openMenu(dir_ + "/open.qlm"));
  const size_t before = frame_->document().ObjectCount();
  BoxRecorder boxes;
  frame_->view()->setTool(DesignTool::kFrame);
  Drag({500, 100}, {600, 150});
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(frame_->document().ObjectCount(), before + 1);
}

TEST_F(DesignFrameTest, DroppingOneMenuOpensItAndMoreAreRefused) {
  CQelstartDoc doc;
  AddButton(doc, "落とす", "true");
  WriteMenu(doc, dir_ + "/dropped.qlm");
  BoxRecorder boxes;
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(dir_ + "/dropped.qlm"));
  frame_->openDroppedFiles({url, url});
  EXPECT_TRUE(frame_->document().buttons.empty());
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text,
            QString::fromUtf8("複数ファイルのドラッグ＆ドロップはサポートしていません"));
  frame_->openDroppedFiles({url});
  EXPECT_EQ(frame_->document().buttons.size(), 1u);
}

TEST_F(DesignFrameTest, GridDialogAcceptsOneToTwentyFour) {
  BoxRecorder boxes;
  CGridDialog dialog({false, 8, 8}, frame_.get());
  dialog.onBox()->setChecked(true);
  dialog.widthField()->setText(QStringLiteral("25"));
  dialog.heightField()->setText(QStringLiteral("10"));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, QString::fromUtf8("数値は１～２４の間で指定してください。"));
  dialog.widthField()->setText(QStringLiteral("24"));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.grid().on);
  EXPECT_EQ(dialog.grid().width, 24);
  EXPECT_EQ(dialog.grid().height, 10);
}

TEST_F(DesignFrameTest, PfKeyDialogAssignsAButtonOrAFixedFunction) {
  CQelstartDoc& doc = frame_->document();
  AddButton(doc, "日次", "true");
  AddButton(doc, "月次", "true");
  frame_->view()->setTool(DesignTool::kPfGuidance);
  Drag({10, 400}, {630, 440});
  ASSERT_EQ(doc.pf_keys.size(), 12u);
  auto& key = static_cast<CLCNPfKey&>(*doc.pf_keys[2]);
  WhenDialogOpens<CPfKeyDialog>([](CPfKeyDialog& dialog) {
    EXPECT_TRUE(dialog.okButton()->isEnabled());  // neither a button nor a title
    dialog.buttonList()->setCurrentIndex(2);
    EXPECT_FALSE(dialog.okButton()->isEnabled());  // a button needs a title
    dialog.titleField()->setText(QString::fromUtf8("月次"));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  });
  frame_->view()->setTool(DesignTool::kNone);
  const QPoint centre(key.position.left + key.position.width / 2, key.position.top + 10);
  QTest::mouseDClick(frame_->view(), Qt::LeftButton, {}, centre);
  EXPECT_EQ(key.fixed_function, 0u);
  EXPECT_EQ(key.button_title, Sj("月次"));
  EXPECT_EQ(key.title, Sj("月次"));
  EXPECT_TRUE(frame_->modified());

  WhenDialogOpens<CPfKeyDialog>([](CPfKeyDialog& dialog) {
    dialog.fixedBox()->setChecked(true);
    EXPECT_FALSE(dialog.buttonList()->isEnabled());
    dialog.functionList()->setCurrentIndex(3);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  });
  QTest::mouseDClick(frame_->view(), Qt::LeftButton, {}, centre);
  EXPECT_EQ(key.fixed_function, 1u);
  EXPECT_EQ(key.function, CLCNPfKey::kCommandLine);
}

TEST_F(DesignFrameTest, BackgroundAndFileTitleDialogs) {
  CQelstartDoc& doc = frame_->document();
  WhenDialogOpens<CBackgroundDialog>([](CBackgroundDialog& dialog) {
    EXPECT_EQ(dialog.colorList()->count(), 17);
    EXPECT_EQ(dialog.colorList()->currentText(), QString::fromUtf8("非表示"));
    dialog.colorList()->setCurrentIndex(11);  // 黄色
    dialog.accept();
  });
  QTest::mouseDClick(frame_->view(), Qt::LeftButton, {}, QPoint(300, 200));
  EXPECT_TRUE(doc.background_set);
  EXPECT_EQ(doc.background, 0x00FFFFu);
  CFileTitleDialog title(doc, frame_.get());
  title.titleField()->setText(QString::fromUtf8("月次メニュー"));
  title.accept();
  EXPECT_EQ(doc.title, Sj("月次メニュー"));
}

TEST_F(DesignFrameTest, FontAndColourCommandsChangeTheSelectedObjects) {
  CQelstartDoc& doc = frame_->document();
  CLCNButton& button = AddButton(doc, "日次", "true");
  doc.custom_colors[3] = 0x123456;
  CLCNFrame& frameRef = doc.Add<CLCNFrame>();
  // Only the objects with a font take the font; a frame alone offers none.
  frame_->view()->selectOnly(&frameRef);
  EXPECT_FALSE(frame_->changeFont());
  frame_->view()->selectOnly(&button);
  WhenDialogOpens<CFontAttributeDialog>([](CFontAttributeDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("文字属性"));
    QFont font = dialog.currentFont();
    font.setPixelSize(24);
    font.setUnderline(true);
    font.setStrikeOut(true);
    dialog.setCurrentFont(font);
    dialog.accept();
  });
  ASSERT_TRUE(frame_->changeFont());
  EXPECT_EQ(button.font.height, -24);
  EXPECT_EQ(button.font.weight, 400);
  EXPECT_EQ(button.font.underline, 1);
  EXPECT_EQ(button.font.strike_out, 1);
  EXPECT_EQ(CMenuView::fontOf(button.font).pixelSize(), 24);
  // The button on the view shows the new font at once, still selected.
  bool shown = false;
  for (QAbstractButton* control : frame_->view()->findChildren<QAbstractButton*>())
    if (control->text() == QString::fromUtf8("日次")) shown = control->font().underline();
  EXPECT_TRUE(shown);
  EXPECT_EQ(frame_->view()->selection(), std::vector<CLCNObject*>{&button});
  // Opened again on the same font, the dialog answers the same record.
  EXPECT_EQ(CFontAttributeDialog(button.font, frame_.get()).logFont(), button.font);
  EXPECT_EQ(button.font.char_set, LogFont::TextDefault().char_set);
  EXPECT_TRUE(frame_->modified());

  // The colour dialog starts with the document's custom colours and keeps
  // the ones edited in it.
  WhenDialogOpens<CColorChoiceDialog>([](CColorChoiceDialog& dialog) {
    EXPECT_EQ(QColorDialog::customColor(3), QColor(0x56, 0x34, 0x12));
    QColorDialog::setCustomColor(5, QColor(1, 2, 3));
    dialog.setCurrentColor(QColor(255, 0, 0));
    dialog.accept();
  });
  ASSERT_TRUE(frame_->changeColor());
  EXPECT_EQ(button.text_color, 0x0000FFu);
  // Both are kept in the saved menu.
  ASSERT_TRUE(frame_->saveMenuTo(dir_ + "/styled.qlm"));
  CQelstartDoc reread;
  ASSERT_TRUE(reread.Open(dir_ + "/styled.qlm").ok());
  EXPECT_EQ(reread.custom_colors[5], 0x030201u);
  EXPECT_EQ(static_cast<CLCNButton&>(*reread.buttons[0]).font, button.font);
  EXPECT_EQ(doc.custom_colors[5], 0x030201u);
  EXPECT_EQ(doc.custom_colors[3], 0x123456u);

  WhenDialogOpens<CColorChoiceDialog>([](CColorChoiceDialog& dialog) { dialog.reject(); });
  frame_->view()->selectOnly(&frameRef);
  EXPECT_FALSE(frame_->changeColor());
  EXPECT_EQ(frameRef.fill_color, kLightGray);
}

TEST_F(DesignFrameTest, LineAndFrameDialogsSetStyleAndColour) {
  CQelstartDoc& doc = frame_->document();
  CLCNRectangle rectangle;
  CLineDialog lineDialog(doc, rectangle, frame_.get());
  EXPECT_EQ(lineDialog.styleList()->count(), 5);
  lineDialog.styleList()->setCurrentIndex(2);
  lineDialog.colorField()->setColor(0x00FF00);
  lineDialog.accept();
  for (const CLCNLine& side : rectangle.sides) {
    EXPECT_EQ(side.pen_style, 2);
    EXPECT_EQ(side.color, 0x00FF00u);
  }
  CLCNFrame frameObject;
  frameObject.style = 9;  // drawn as "無し"
  CFrameDialog frameDialog(doc, frameObject, frame_.get());
  EXPECT_EQ(frameDialog.styleList()->currentIndex(), 0);
  EXPECT_EQ(frameDialog.styleList()->itemText(4), QString::fromUtf8("溝線"));
  frameDialog.styleList()->setCurrentIndex(2);
  frameDialog.colorField()->setColor(0xFF0000);
  frameDialog.accept();
  EXPECT_EQ(frameObject.style, CLCNFrame::kSunken);
  EXPECT_EQ(frameObject.fill_color, 0xFF0000u);

  // A double-click on a line opens its dialog through the frame.
  CLCNLine& lineRef = doc.Add<CLCNLine>();
  lineRef.start = {100, 100};
  lineRef.end = {300, 100};
  WhenDialogOpens<CLineDialog>([](CLineDialog& dialog) {
    dialog.styleList()->setCurrentIndex(1);
    dialog.accept();
  });
  EXPECT_TRUE(frame_->editObject(&lineRef));
  EXPECT_EQ(lineRef.pen_style, 1);
}

TEST_F(DesignFrameTest, PictureDialogTakesOnlyBmpOrDibFiles) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::blue);
  const QString bmp = QString::fromStdString(dir_ + "/logo.bmp");
  const QString png = QString::fromStdString(dir_ + "/logo.png");
  ASSERT_TRUE(image.save(bmp, "BMP"));
  ASSERT_TRUE(image.save(png, "PNG"));
  CLCNPicture picture;
  CPictureDialog dialog(picture, frame_.get());
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  for (const QString& bad : {png, QString::fromStdString(dir_ + "/missing.bmp")}) {
    BoxRecorder boxes;
    dialog.fileField()->setText(bad);
    dialog.accept();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QString::fromUtf8("画像ファイル名が不正、又は画像ファイルが有りません"));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(picture.image_file.empty());
  }
  dialog.fileField()->setText(bmp);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(picture.image_file, bmp.toStdString());
}

TEST_F(DesignFrameTest, IconDialogListsTheIconsOfTheChosenFile) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::red);
  const QString png = QString::fromStdString(dir_ + "/app.png");
  ASSERT_TRUE(image.save(png, "PNG"));
  const std::string program = MarkerScript(dir_, "run.sh", "ran");
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(program),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  const QString text = QString::fromStdString(dir_ + "/notes.txt");
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no picture\n");
  }
  EXPECT_EQ(IconsOfFile(png).size(), 1u);
  EXPECT_EQ(IconsOfFile(QString::fromStdString(program)).size(), 1u);  // the generic icon
  EXPECT_TRUE(IconsOfFile(text).empty());
  EXPECT_TRUE(IconsOfFile(QString::fromStdString(dir_ + "/missing.ico")).empty());

  CLCNXIcon icon;
  CIconDialog dialog(icon, frame_.get());
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  dialog.programField()->setText(QString::fromStdString(program));
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  EXPECT_EQ(dialog.iconList()->count(), 1);
  {
    BoxRecorder boxes;
    dialog.iconFileField()->setText(text);
    EXPECT_EQ(dialog.iconList()->count(), 0);
    dialog.accept();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QString::fromUtf8("アイコンの存在しないファイルです"));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  dialog.iconFileField()->setText(png);
  EXPECT_EQ(dialog.iconList()->count(), 1);
  dialog.parametersField()->setText(QStringLiteral("/x"));
  dialog.waitBox()->setChecked(true);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(icon.program, program);
  EXPECT_EQ(icon.icon_file, png.toStdString());
  EXPECT_EQ(icon.parameters, "/x");
  EXPECT_EQ(icon.functions, static_cast<uint32_t>(CLCNButton::kWaitForEnd));
  EXPECT_EQ(icon.title, "run");
}

TEST_F(DesignFrameTest, HelpCommandsOpenTheHelpFileAtTheirKeywords) {
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir_)));
  QStringList pages;
  qel::gui::CMainFrame::SetHelpOpener([&](const QString& page) {
    pages.append(page);
    return true;
  });
  {
    BoxRecorder boxes;
    EXPECT_FALSE(frame_->openHelpAt(QString::fromUtf8("コマンド")));  // no help file yet
    EXPECT_EQ(boxes.boxes().size(), 1u);
  }
  QFile help(QStringLiteral("qelstart.html"));
  ASSERT_TRUE(help.open(QIODevice::WriteOnly));
  help.write("<html></html>");
  help.close();
  EXPECT_TRUE(frame_->openHelpAt(QString::fromUtf8("コマンド")));
  EXPECT_TRUE(frame_->openHelpAt(QString::fromUtf8("キーボード")));
  qel::gui::CMainFrame::SetHelpOpener({});
  QDir::setCurrent(previous);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_TRUE(pages[0].endsWith(QString::fromUtf8("qelstart.html#コマンド"))) << pages[0].toStdString();
  EXPECT_TRUE(pages[1].endsWith(QString::fromUtf8("qelstart.html#キーボード")));
}

TEST_F(DesignFrameTest, PrintedListingHoldsTheEntriesInOrder) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext is not installed: the PDF's text is not checked";
  CQelstartDoc doc;
  doc.title = Sj("販売管理");
  AddButton(doc, "売上入力", "uriage", 3, CLCNButton::kWaitForEnd);
  AddButton(doc, "終了", "", 0, CLCNButton::kEndButton);
  AddPfKey(doc, 0, 1, CLCNPfKey::kEnd);
  AddPfKey(doc, 1, 0, 0, "売上入力").title = Sj("売上");
  auto& icon = doc.Add<CLCNXIcon>();
  icon.program = "calc";
  icon.icon_file = "calc.png";
  const QString pdf = QString::fromStdString(dir_ + "/listing.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  std::tm day{};
  day.tm_year = 126;
  day.tm_mon = 11;
  day.tm_mday = 9;
  day.tm_hour = 12;
  ASSERT_EQ(PrintMenu(doc, printer, std::mktime(&day)), 1);

  QProcess process;
  process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  ASSERT_TRUE(process.waitForFinished(30000));
  // The text extraction lays the spaces out by their drawn widths: compare
  // without any white space.
  auto bare = [](QString text) {
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
  };
  const QString text = bare(QString::fromUtf8(process.readAllStandardOutput()));
  const char* expected[] = {"販売管理", "日付 26-12-09", "Page : 1",
                            "ボタンタイトル : 売上入力", "ボタンメニュー番号 : 3",
                            "ボタン起動ファイル名 : uriage", "ボタン機能　　 : 終了待ち",
                            "ボタンタイトル : 終了", "ボタン機能　　 : 終了ボタン",
                            "PF1 :", "ＰＦキー機能　 : 終了",
                            "PF2 :", "ＰＦキータイトル   : 売上", "起動ボタンタイトル : 売上入力",
                            "アイコン起動ファイル名 : calc", "アイコンファイル名 : calc.png"};
  qsizetype from = 0;
  for (const char* entry : expected) {
    const qsizetype at = text.indexOf(bare(QString::fromUtf8(entry)), from);
    ASSERT_GE(at, 0) << "missing or out of order: " << entry << "\n" << text.toStdString();
    from = at + 1;
  }
}

TEST_F(DesignFrameTest, ScreenshotsOfTheDesignerAndItsDialogs) {
  CQelstartDoc doc;
  BuildEveryKind(doc, dir_);
  WriteMenu(doc, dir_ + "/every.qlm");
  ASSERT_TRUE(frame_->openMenu(dir_ + "/every.qlm"));
  frame_->view()->selectOnly(frame_->document().buttons[0].get());
  frame_->view()->setGrid({true, 10, 10});
  SaveScreenshot(*frame_, "qelstart_design");
  CLCNButton button;
  button.title = Sj("売上入力");
  button.program = "uriage.exe";
  button.menu_number = 1;
  CButtonDialog buttonDialog(button, frame_.get());
  SaveScreenshot(buttonDialog, "qelstart_button_dialog");
  CLCNString text;
  text.text = Sj("販売管理システム");
  CTextDialog textDialog(text, frame_.get());
  SaveScreenshot(textDialog, "qelstart_text_dialog");
  CPfKeyDialog pfDialog(static_cast<CLCNPfKey&>(*frame_->document().pf_keys[3]),
                        {Sj("売上入力"), Sj("売上一覧")}, frame_.get());
  SaveScreenshot(pfDialog, "qelstart_pf_key_dialog");
  CBackgroundDialog backgroundDialog(frame_->document(), frame_.get());
  SaveScreenshot(backgroundDialog, "qelstart_background_dialog");
  CFileTitleDialog titleDialog(frame_->document(), frame_.get());
  SaveScreenshot(titleDialog, "qelstart_file_title_dialog");
  CGridDialog gridDialog({true, 10, 10}, frame_.get());
  SaveScreenshot(gridDialog, "qelstart_grid_dialog");
  CFontAttributeDialog fontDialog(frame_->document().buttons[0]->Kind() == ObjectKind::kButton
                                      ? static_cast<CLCNButton&>(*frame_->document().buttons[0]).font
                                      : LogFont::TextDefault(),
                                  frame_.get());
  SaveScreenshot(fontDialog, "qelstart_font_dialog");
  CColorChoiceDialog colorDialog(frame_->document(), 0x0000FF, frame_.get());
  SaveScreenshot(colorDialog, "qelstart_color_dialog");
  CLCNLine line;
  CLineDialog lineDialog(frame_->document(), line, frame_.get());
  SaveScreenshot(lineDialog, "qelstart_line_dialog");
  CLCNFrame frameObject;
  frameObject.style = CLCNFrame::kShadow;
  CFrameDialog frameDialog(frame_->document(), frameObject, frame_.get());
  SaveScreenshot(frameDialog, "qelstart_frame_dialog");
  CLCNPicture picture;
  picture.image_file = dir_ + "/logo.bmp";
  CPictureDialog pictureDialog(picture, frame_.get());
  SaveScreenshot(pictureDialog, "qelstart_picture_dialog");
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::darkCyan);
  image.save(QString::fromStdString(dir_ + "/app.png"), "PNG");
  CLCNXIcon icon;
  icon.program = "uriage.exe";
  icon.icon_file = dir_ + "/app.png";
  icon.parameters = "/m";
  CIconDialog iconDialog(icon, frame_.get());
  SaveScreenshot(iconDialog, "qelstart_icon_dialog");
}

}  // namespace
}  // namespace qel::launch::gui
