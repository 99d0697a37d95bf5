// Test helpers of the revise window.
#include "revise/qelrevise/tests/revise_gui_fixture.h"

#include <stdlib.h>

#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "message/qelmessage.h"
#include "revise/qelrevise/revise_dialogs.h"

namespace qel::revise::gui::test {

using revise::test::At;

std::string Record(const std::string& code, const std::string& name, const std::string& qty,
                   const std::string& note) {
  std::string r = code;
  r.resize(5, ' ');
  std::string n = name;
  n.resize(6, ' ');
  std::string t = note;
  t.resize(7, ' ');
  return r + n + qty + t;
}

std::vector<revise::test::Item> Layout() {
  return {At("01", "REC", "G", "0", 0), At("05", "CODE", "X", "5", 0),
          At("05", "NAME", "X", "6", 5), At("05", "QTY", "9", "3", 11),
          At("05", "NOTE", "X", "7", 14)};
}

void ReviseGuiTest::SetUp() {
  qel::gui::testing::EnsureApplication();
  ::setenv("TEMP", dir_.path().c_str(), 1);
  KMSOFileIni(kLogName);
  boxes_ = std::make_unique<qel::gui::testing::BoxRecorder>();
  frame_ = std::make_unique<CMainFrame>();
  frame_->show();
  // Focus moves as for a user only in the active window.
  frame_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
}

void ReviseGuiTest::TearDown() {
  CQelreviseView::setDialogObserver({});
  CFileSettingsDlg::setBrowserObserver({});
  CMainFrame::SetHelpOpener({});
  frame_.reset();
  boxes_.reset();
}

std::string ReviseGuiTest::Definition(const std::string& name, const std::string& fior) {
  return revise::test::WriteDefinitions(dir_, name, fior, Layout());
}

std::string ReviseGuiTest::MakeIndexed(const std::string& records) {
  EXPECT_TRUE(revise::test::BuildIndexed(dir_, "IDX", kRecordLength, "KEY 0:5:CHAR\nKEY 5:6:CHAR\n",
                                         records));
  return dir_.path() + "/IDX.kdf";
}

std::string ReviseGuiTest::MakeSequential(const std::string& records) {
  return dir_.Write("SEQ.DAT", records);
}

void ReviseGuiTest::OpenWithDialog(const std::string& data, const std::string& definition,
                                   bool item_selection) {
  CQelreviseView::setDialogObserver([&](QDialog& dialog) {
    auto* settings = qobject_cast<CFileSettingsDlg*>(&dialog);
    if (settings == nullptr) return;
    QTimer::singleShot(0, settings, [=] {
      settings->dataField()->clear();
      QTest::keyClicks(settings->dataField(), QString::fromStdString(data));
      settings->definitionField()->clear();
      QTest::keyClicks(settings->definitionField(), QString::fromStdString(definition));
      settings->selectionBox()->setChecked(item_selection);
      QTest::mouseClick(settings->okButton(), Qt::LeftButton);
      // A refused OK leaves the dialog up: end it, the test then sees why.
      if (settings->isVisible()) settings->reject();
    });
  });
  frame_->fileSettingsAction()->trigger();
  CQelreviseView::setDialogObserver({});
  // The main window is the active one again once the dialog is gone.
  frame_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
}

void ReviseGuiTest::OpenIndexed() {
  std::string data = MakeIndexed(Record("C0001", "PEAR", "011") + Record("C0002", "APPLE", "022") +
                                 Record("C0003", "FIG", "033"));
  OpenWithDialog(data, Definition("IDX", "VK"));
  ASSERT_TRUE(frame_->document().is_open());
}

void ReviseGuiTest::OpenSequential() {
  std::string data =
      MakeSequential(Record("S0001", "PEAR", "011") + Record("S0002", "APPLE", "022") +
                     Record("S0003", "FIG", "033"));
  OpenWithDialog(data, Definition("SEQ", "S"));
  ASSERT_TRUE(frame_->document().is_open());
}

void ReviseGuiTest::Display(const QString& text) {
  view().keyField()->clear();
  QTest::keyClicks(view().keyField(), text);
  QTest::mouseClick(view().displayButton(), Qt::LeftButton);
}

int ReviseGuiTest::Line(const QString& name) const {
  QListWidget* list = frame_->view()->itemList();
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->text().contains(QLatin1Char(' ') + name + QLatin1Char(' '))) return i;
  }
  return -1;
}

QString ReviseGuiTest::LineText(const QString& name) const {
  int line = Line(name);
  return line < 0 ? QString() : frame_->view()->itemList()->item(line)->text();
}

void ReviseGuiTest::Enter(const QString& name, const QString& text) {
  const int line = Line(name);
  ASSERT_GE(line, 0) << name.toStdString();
  view().itemList()->setCurrentRow(line);
  view().entryField()->selectAll();
  QTest::keyClicks(view().entryField(), text);
}

QStringList ReviseGuiTest::Shown() const {
  // A box shows the message's text without its id; the log line has both.
  QStringList ids;
  const std::string log = revise::test::ReadFile(dir_.path() + "/" + kLogName + ".LOG");
  const QRegularExpression id(QStringLiteral("^\\S+ \\S+ ([A-Z]{4}[0-9]{4})-"));
  for (const QByteArray& line : QByteArray::fromStdString(log).split('\n')) {
    const QRegularExpressionMatch match = id.match(QString::fromLatin1(line));
    if (match.hasMatch()) ids << match.captured(1);
  }
  return ids;
}

}  // namespace qel::revise::gui::test
