// qelrework driven offscreen: both start forms with their menus, the
// dialogs' rules with their messages, building edit entries in the view,
// the fault list with a correction, save-as and re-open, a real run whose
// output matches the console program's, a cancelled run, the windowless
// "/f" run, and screenshots of every window and dialog.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <deque>
#include <functional>

#include "gui/qt_text.h"
#include "gui/tests/gui_harness.h"
#include "message/qelmessage.h"
#include "rework/qelrework/rework_dialogs.h"
#include "rework/qelrework/rework_frame.h"
#include "rework/qelrework/rework_texts.h"
#include "rework/qelrework/run_box.h"
#include "rework/qelrework/tests/window_fixture.h"

namespace qel::rework::gui {
namespace {

using qel::gui::ProgramText;
using qel::gui::testing::BoxRecorder;
using qel::gui::testing::SaveScreenshot;
using test::Field;

// The box text of message `number`: its string without the 11-character id.
QString BoxText(int number) { return ProgramText(static_cast<unsigned>(number)).mid(11); }

bool Shown(const BoxRecorder& recorder, int number) {
  const QString text = BoxText(number);
  const QString prefix = text.left(text.indexOf(QStringLiteral("%s")));
  for (const auto& box : recorder.boxes()) {
    if (box.text.startsWith(prefix)) return true;
  }
  return false;
}

QString Boxes(const BoxRecorder& recorder) {
  QStringList texts;
  for (const auto& box : recorder.boxes()) texts << box.text;
  return texts.join(QStringLiteral(" | "));
}

// Handles the dialogs the program opens, one handler per dialog in order;
// a dialog without a handler is cancelled.
class DialogScript {
 public:
  DialogScript() {
    setDialogObserver([this](QDialog& dialog) {
      classes_ << QString::fromLatin1(dialog.metaObject()->className()).section("::", -1);
      if (handlers_.empty()) {
        dialog.reject();
        return;
      }
      auto handler = std::move(handlers_.front());
      handlers_.pop_front();
      handler(dialog);
    });
  }
  ~DialogScript() { setDialogObserver({}); }
  void Then(std::function<void(QDialog&)> handler) { handlers_.push_back(std::move(handler)); }
  const QStringList& classes() const { return classes_; }

 private:
  std::deque<std::function<void(QDialog&)>> handlers_;
  QStringList classes_;
};

template <typename T>
T& As(QDialog& dialog) {
  T* typed = qobject_cast<T*>(&dialog);
  if (typed == nullptr) {
    ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
    std::abort();
  }
  return *typed;
}

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::gui::testing::EnsureApplication();
    ::setenv("TEMP", dir_.path().c_str(), 1);
    CZovozDoc::InitLogs();
    test::WriteSampleDefinitions(dir_, &in_def_, &out_def_);
    in_data_ = dir_.Write("IN.DAT", Records(10));
    out_data_ = dir_.path() + "/OUT.DAT";
    setQuestionAnswerer([this](const QString& q) {
      questions_ << q;
      return true;
    });
  }
  void TearDown() override {
    setQuestionAnswerer({});
    setRunInfoObserver({});
    ::unsetenv("TEMP");
  }

  // `n` records of 10 bytes: CODE, AMOUNT packed, NAME.
  static std::string Records(int n) {
    const char* codes[] = {"B01", "A01", "A02", "A01", "A02", "C00", "A01", "A03", "A02", "A01"};
    const int amounts[] = {5000, 1000, 999, -2000, 23456, 7, 45678, 1000, 1001, 0};
    std::string data;
    data.reserve(static_cast<std::size_t>(n) * 10);
    for (int i = 0; i < n; ++i) {
      data += codes[i % 10] + test::Packed(amounts[i % 10]) + "N" + std::to_string(i % 10) + "  ";
      data.resize(static_cast<std::size_t>(i + 1) * 10, ' ');
    }
    return data;
  }

  std::string Procedure(const std::string& blocks, const std::string& selorder) {
    return test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, out_def_,
                                             "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\n"
                                             "COPY=NO;\n",
                                             selorder) +
                           blocks);
  }
  std::string FullProcedure() {
    return Procedure(
        "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"A01;\nCOMP=\"\"A02;\nSEL_END;\n"
        "SEL;\nKEY=IN-REC.AMOUNT;\nJUDGE=>=;\nCOMP=\"\"1000;\nSEL_END;\n"
        "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
        "EDIT;\nINITEM=IN-REC.AMOUNT;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n"
        "EDIT;\nINITEM=\"\"Y;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n",
        "1A2");
  }

  // Sets the files through the dialog of `frame`.
  void SetFiles(CMainFrame& frame) {
    DialogScript script;
    script.Then([this](QDialog& d) {
      auto& files = As<CFileDlg>(d);
      files.nameEdit(kFieldInData)->setText(QString::fromStdString(in_data_));
      files.nameEdit(kFieldInDef)->setText(QString::fromStdString(in_def_));
      files.nameEdit(kFieldOutData)->setText(QString::fromStdString(out_data_));
      if (files.fieldCount() == 4) files.nameEdit(kFieldOutDef)->setText(QString::fromStdString(out_def_));
      Click(files.okButton());
      if (files.isVisible()) {
        ADD_FAILURE() << "the files were refused";
        files.reject();
      }
    });
    frame.command(kCmdFiles)->trigger();
  }

  // Runs the console program on `procedure`; its exit status.
  int RunBatch(const std::string& procedure) {
    const std::string command = "cd '" + dir_.path() + "' && TEMP='" + dir_.path() +
                                "' LC_ALL=C '" QELREWORKBATCH_PATH "' '" + procedure +
                                "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  test::TempDir dir_;
  std::string in_def_, out_def_, in_data_, out_data_;
  QStringList questions_;
};

QStringList Texts(const QList<QAction*>& actions) {
  QStringList texts;
  for (QAction* a : actions)
    if (!a->isSeparator()) texts << a->text();
  return texts;
}

TEST_F(GuiTest, EditFormHasEveryCommandAndTheirPrompts) {
  CMainFrame frame(kFormEdit);
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("レコード編集"));
  EXPECT_TRUE(frame.inherits("qel::gui::CMainFrame"));
  EXPECT_TRUE(frame.view()->inherits("qel::rework::gui::CZovozView"));
  EXPECT_TRUE(frame.view()->inputList()->inherits("qel::rework::gui::CZovozVw1"));
  EXPECT_TRUE(frame.view()->outputList()->inherits("qel::rework::gui::CZovozVw6"));
  EXPECT_EQ(Texts(frame.menuBar()->actions()),
            (QStringList{"ﾌｧｲﾙ(&F)", "選択条件(&S)!", "ｵﾌﾟｼｮﾝ(&O)", "編集項目表示(&I)!", "表示(&V)",
                         "ﾍﾙﾌﾟ(&H)"}));
  EXPECT_EQ(Texts(frame.menuBar()->actions()[0]->menu()->actions()),
            (QStringList{"手順ﾌｧｲﾙを開く(&F)...", "上書き保存(&S)", "名前を付けて保存(&A)...",
                         "入出力ﾌｧｲﾙ(&I)...", "手順ﾌｧｲﾙのﾁｪｯｸ(&K)", "実行(&R)", "終了(&X)"}));
  EXPECT_EQ(Texts(frame.menuBar()->actions()[2]->menu()->actions()),
            (QStringList{"編集ｵﾌﾟｼｮﾝ(&E)...", "ﾒﾀｷｬﾗｸﾀ(&M)...", "特殊ｵﾌﾟｼｮﾝ(&U)..."}));
  for (unsigned id : {kCmdFiles, kCmdRun, kCmdExit, kCmdConditions, kCmdToolBar, kCmdStatusBar,
                      kCmdOpen, kCmdSave, kCmdSaveAs, kCmdCheck, kCmdEditOptions,
                      kCmdMetacharacters, kCmdSpecialOptions, kCmdEditList, kCmdHelpContents,
                      kCmdHelpSearch, kCmdHelpUsing, kCmdAboutEdit}) {
    ASSERT_NE(frame.command(id), nullptr) << id;
    EXPECT_FALSE(frame.command(id)->statusTip().isEmpty()) << id;
  }
  EXPECT_EQ(frame.command(kCmdAboutSelection), nullptr);
  // Nothing to run or select from before the files are set.
  EXPECT_FALSE(frame.command(kCmdRun)->isEnabled());
  EXPECT_FALSE(frame.command(kCmdConditions)->isEnabled());
  EXPECT_FALSE(frame.command(kCmdEditList)->isEnabled());
  EXPECT_TRUE(frame.command(kCmdFiles)->isEnabled());
  EXPECT_EQ(frame.ToolBar()->actions().size(), 5);
}

TEST_F(GuiTest, SelectionFormHasNoEditCommandsAndThreeFileNames) {
  CMainFrame frame(kFormSelection);
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("レコード選択"));
  EXPECT_EQ(frame.command(kCmdEditOptions), nullptr);
  EXPECT_EQ(frame.command(kCmdEditList), nullptr);
  EXPECT_NE(frame.command(kCmdAboutSelection), nullptr);
  EXPECT_FALSE(Texts(frame.menuBar()->actions()).contains(QStringLiteral("編集項目表示(&I)!")));
  int fields = 0;
  {
    DialogScript script;
    script.Then([&fields](QDialog& d) {
      fields = As<CFileDlg>(d).fieldCount();
      d.reject();
    });
    frame.command(kCmdFiles)->trigger();
  }
  EXPECT_EQ(fields, 3);
  SetFiles(frame);
  EXPECT_TRUE(frame.command(kCmdConditions)->isEnabled());
  EXPECT_FALSE(frame.view()->outputList()->isVisibleTo(&frame));
  EXPECT_EQ(frame.view()->inputList()->count(), 4);
}

TEST_F(GuiTest, FileDialogShowsTheFirstFaultAndKeepsTheFocusThere) {
  CMainFrame frame(kFormEdit);
  frame.show();
  BoxRecorder recorder;
  QWidget* focused = nullptr;
  DialogScript script;
  script.Then([&](QDialog& d) {
    auto& files = As<CFileDlg>(d);
    files.nameEdit(kFieldInData)->setText(QString::fromStdString(in_data_));
    files.nameEdit(kFieldInDef)->setText(QStringLiteral("IN.RDF"));
    Click(files.okButton());
    focused = files.focusWidget();
    EXPECT_TRUE(files.isVisible());
    d.reject();
  });
  frame.command(kCmdFiles)->trigger();
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2002).replace("%s", "IN.RDF"));
  EXPECT_TRUE(focused != nullptr && focused->objectName().isEmpty());
  EXPECT_EQ(recorder.boxes()[0].caption, QStringLiteral("RWORK"));
}

TEST_F(GuiTest, ConditionKeyItemMustBeANumberedItem) {
  CMainFrame frame(kFormEdit);
  frame.show();
  SetFiles(frame);
  BoxRecorder recorder;
  DialogScript script;
  int registered = -1;
  script.Then([&](QDialog& d) {
    auto& c = As<CSelCondDlg>(d);
    c.keyEdit()->setText(QStringLiteral("12"));
    c.comparisonEdit()->setText(QStringLiteral("A01"));
    Click(c.registerButton());
    EXPECT_EQ(c.focusWidget(), c.keyEdit());
    c.keyEdit()->setText(QStringLiteral("#0"));
    Click(c.registerButton());
    // Picking from the combo box fills the text box.
    c.keyCombo()->setCurrentIndex(2);
    emit c.keyCombo()->activated(2);
    EXPECT_EQ(c.keyEdit()->text(), QStringLiteral("#2 IN-REC.CODE"));
    c.comparisonEdit()->clear();
    Click(c.registerButton());
    c.comparisonEdit()->setText(QStringLiteral("A01"));
    Click(c.registerButton());
    registered = c.conditionList()->count();
    Click(c.okButton());
  });
  frame.command(kCmdConditions)->trigger();
  EXPECT_EQ(registered, 1);
  ASSERT_EQ(recorder.boxes().size(), 3u) << Boxes(recorder).toStdString();
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2012));
  EXPECT_EQ(recorder.boxes()[1].text, BoxText(2013));
  EXPECT_EQ(recorder.boxes()[2].text, BoxText(2026));
  EXPECT_EQ(frame.editor().doc().condition_count, 1);
  EXPECT_EQ(frame.view()->conditionList()->count(), 1);
}

TEST_F(GuiTest, SeveralComparisonValuesAndTheExpression) {
  CMainFrame frame(kFormEdit);
  frame.show();
  SetFiles(frame);
  BoxRecorder recorder;
  DialogScript script;
  QString line;
  script.Then([&](QDialog& d) {
    auto& c = As<CSelCondDlg>(d);
    c.keyEdit()->setText(QStringLiteral("#2"));
    c.comparisonEdit()->setText(QStringLiteral("A01"));
    Click(c.severalButton());  // the second handler fills the values
    c.operatorCombo()->setCurrentIndex(2);  // ＞ refuses several values
    Click(c.registerButton());
    EXPECT_EQ(c.focusWidget(), c.operatorCombo());
    c.operatorCombo()->setCurrentIndex(0);
    Click(c.registerButton());
    ASSERT_EQ(c.conditionList()->count(), 1);
    line = c.conditionList()->item(0)->text();
    c.keyEdit()->setText(QStringLiteral("#3"));
    c.comparisonEdit()->setText(QStringLiteral("1000"));
    c.operatorCombo()->setCurrentIndex(3);
    Click(c.registerButton());
    c.expressionEdit()->setText(QStringLiteral("1A"));
    Click(c.okButton());
    EXPECT_EQ(c.focusWidget(), c.expressionEdit());
    c.expressionEdit()->setText(QStringLiteral("1A2"));
    Click(c.okButton());
  });
  script.Then([](QDialog& d) {
    auto& m = As<CMultiCompDlg>(d);
    EXPECT_EQ(m.valueEdit(0)->text(), QStringLiteral("A01"));
    m.valueEdit(1)->setText(QStringLiteral("A02"));
    d.accept();
  });
  frame.command(kCmdConditions)->trigger();
  EXPECT_TRUE(line.endsWith(QStringLiteral("（複数比較）"))) << line.toStdString();
  ASSERT_EQ(recorder.boxes().size(), 2u) << Boxes(recorder).toStdString();
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2223));
  EXPECT_EQ(recorder.boxes()[1].text, BoxText(2229));
  EXPECT_EQ(frame.editor().doc().condition_count, 2);
  EXPECT_EQ(frame.editor().doc().settings.expression, "1A2");
}

TEST_F(GuiTest, OptionDialogsRefuseWhatTheProcedureCannotTake) {
  CMainFrame frame(kFormEdit);
  frame.show();
  SetFiles(frame);
  BoxRecorder recorder;
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      auto& m = As<CMetaCharDlg>(d);
      m.anyStringEdit()->setText(QStringLiteral("ab"));
      d.accept();
      EXPECT_EQ(m.focusWidget(), m.anyStringEdit());
      m.anyStringEdit()->setText(QStringLiteral("%"));
      d.accept();
    });
    frame.command(kCmdMetacharacters)->trigger();
  }
  EXPECT_EQ(frame.editor().doc().settings.meta_all, '%');
  ASSERT_TRUE(frame.editor().StoreConditions({{2, 1, {{1, 0, "A%"}}}}, "").ok());
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      As<CMetaCharDlg>(d).anyStringEdit()->setText(QStringLiteral("*"));
      d.accept();
      d.reject();
    });
    frame.command(kCmdMetacharacters)->trigger();
  }
  // Edit entries fix the method.
  frame.view()->pickOutput(3);
  frame.view()->pickInput(2);
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      auto& o = As<CEditOptDlg>(d);
      o.sameNameButton()->setChecked(true);
      d.accept();
      d.reject();
    });
    frame.command(kCmdEditOptions)->trigger();
  }
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      auto& s = As<CSpecialOptDlg>(d);
      s.bigEndianBox()->setChecked(true);
      d.accept();
    });
    frame.command(kCmdSpecialOptions)->trigger();
  }
  ASSERT_EQ(recorder.boxes().size(), 3u) << Boxes(recorder).toStdString();
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2004));
  EXPECT_EQ(recorder.boxes()[1].text, BoxText(2022));
  EXPECT_EQ(recorder.boxes()[2].text, BoxText(2003));
  EXPECT_EQ(frame.editor().doc().settings.method, kMethodAppointed);
  EXPECT_TRUE(frame.editor().doc().settings.big_endian);
}

TEST_F(GuiTest, EditEntriesAreBuiltInTheViewOutputItemFirst) {
  CMainFrame frame(kFormEdit);
  frame.show();
  SetFiles(frame);
  BoxRecorder recorder;
  CZovozView& view = *frame.view();
  view.pickInput(2);
  view.pickOutput(3);
  view.pickInput(2);
  view.pickOutput(3);
  {
    DialogScript script;
    view.addConstant();  // no output item picked
    view.pickOutput(4);
    script.Then([](QDialog& d) {
      auto& c = As<CConstDlg>(d);
      EXPECT_EQ(c.destinationEdit()->text(), QStringLiteral("4"));
      c.constantEdit()->setText(QString(33, QLatin1Char('Y')));
      d.accept();
      c.constantEdit()->setText(QStringLiteral("Y"));
      d.accept();
    });
    view.addConstant();
  }
  ASSERT_EQ(recorder.boxes().size(), 4u) << Boxes(recorder).toStdString();
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2007));
  EXPECT_EQ(recorder.boxes()[1].text, BoxText(2008));
  EXPECT_EQ(recorder.boxes()[2].text, BoxText(2006));
  EXPECT_EQ(recorder.boxes()[3].text, BoxText(2326));
  EXPECT_EQ(view.entryList()->count(), 2);
  EXPECT_TRUE(view.outputList()->item(2)->text().contains(QStringLiteral("* 3")));
  // The edit entry list deletes after its question, on "終了".
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      auto& l = As<CEditItemDlg>(d);
      l.entryList()->item(0)->setSelected(true);
      Click(l.deleteButton());
      EXPECT_EQ(l.entryList()->count(), 1);
      Click(l.endButton());
    });
    frame.command(kCmdEditList)->trigger();
  }
  EXPECT_EQ(questions_, QStringList{QStringLiteral("削除してもいいですか ？")});
  EXPECT_EQ(frame.editor().doc().EditCount(), 1);
  EXPECT_EQ(frame.editor().doc().edit_list->kind, 1);
}

TEST_F(GuiTest, CheckWithoutFaultsSaysTheProcedureCanRun) {
  const std::string path = dir_.Write("P.rwp", FullProcedure());
  CMainFrame frame(kFormEdit);
  frame.show();
  BoxRecorder recorder;
  ASSERT_TRUE(frame.openProcedureFile(path)) << Boxes(recorder).toStdString();
  EXPECT_TRUE(recorder.boxes().empty()) << Boxes(recorder).toStdString();
  frame.command(kCmdCheck)->trigger();
  ASSERT_EQ(recorder.boxes().size(), 1u);
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2028));
  EXPECT_EQ(frame.view()->entryList()->count(), 3);
  EXPECT_EQ(frame.view()->conditionList()->count(), 2);
  EXPECT_TRUE(frame.windowTitle().endsWith(QStringLiteral("P.rwp")));
}

TEST_F(GuiTest, FaultyProcedureOpensTheFaultListAndACorrectionClearsIt) {
  const std::string path = dir_.Write(
      "F.rwp", Procedure("SEL;\nKEY=IN-REC.CODE;\nJUDGE=>;\nCOMP=\"\"A*;\nSEL_END;\n"
                         "EDIT;\nINITEM=IN-REC.GONE;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n",
                         "1"));
  CMainFrame frame(kFormEdit);
  frame.show();
  BoxRecorder recorder;
  DialogScript script;
  QString selectionLine, editLine, faultText;
  script.Then([&](QDialog& d) {
    auto& f = As<CParamErrDlg>(d);
    ASSERT_EQ(f.selectionList()->count(), 1);
    ASSERT_EQ(f.editList()->count(), 1);
    selectionLine = f.selectionList()->item(0)->text();
    editLine = f.editList()->item(0)->text();
    Click(f.correctSelectionButton());
    Click(f.correctEditButton());
    Click(f.endButton());  // not checked again: asks, and the answer stays
    Click(f.checkButton());
  });
  script.Then([](QDialog& d) {
    auto& c = As<CSelCondDlg>(d);
    EXPECT_EQ(c.keyEdit()->text(), QStringLiteral("#2 IN-REC.CODE"));
    EXPECT_EQ(c.comparisonEdit()->text(), QStringLiteral("A*"));
    Click(c.deleteButton());
    c.operatorCombo()->setCurrentIndex(0);
    Click(c.registerButton());
    Click(c.okButton());
  });
  script.Then([&faultText](QDialog& d) {
    auto& u = As<CEditErrUpdDlg>(d);
    faultText = u.faultLabel()->text();
    EXPECT_TRUE(u.inputEdit()->text().startsWith(QStringLiteral("#E1"))) << u.inputEdit()->text().toStdString();
    d.accept();  // the undefined name is still there
    u.inputEdit()->clear();
    u.constantEdit()->setText(QStringLiteral("Y"));
    d.accept();
  });
  setQuestionAnswerer([this](const QString& q) {
    questions_ << q;
    return !q.contains(QStringLiteral("ﾁｪｯｸ"));
  });
  EXPECT_TRUE(frame.openProcedureFile(path));
  EXPECT_EQ(script.classes(),
            (QStringList{"CParamErrDlg", "CSelCondDlg", "CEditErrUpdDlg"}));
  EXPECT_TRUE(selectionLine.startsWith(QStringLiteral("      選択条件の 1番 : KRCK2116-I ")))
      << selectionLine.toStdString();
  EXPECT_TRUE(editLine.contains(QStringLiteral("#E1 "))) << editLine.toStdString();
  EXPECT_TRUE(editLine.contains(QStringLiteral(" : KRCK2130-I "))) << editLine.toStdString();
  EXPECT_EQ(faultText, ProgramText(2130));  // the check's number of the fault
  EXPECT_EQ(questions_.size(), 1);
  ASSERT_EQ(recorder.boxes().size(), 2u) << Boxes(recorder).toStdString();
  EXPECT_EQ(recorder.boxes()[0].text, BoxText(2023));
  EXPECT_EQ(recorder.boxes()[1].text, BoxText(2028));
  EXPECT_EQ(frame.editor().FaultCount(), 0);
  EXPECT_TRUE(frame.command(kCmdRun)->isEnabled());
}

TEST_F(GuiTest, SaveAsThenOpenGivesTheSameProcedure) {
  const std::string path = dir_.Write("P.rwp", FullProcedure());
  const std::string saved = dir_.path() + "/SAVED.rwp";
  std::string first;
  {
    CMainFrame frame(kFormEdit);
    frame.show();
    ASSERT_TRUE(frame.openProcedureFile(path));
    DialogScript script;
    QString title;
    QStringList filters;
    script.Then([&](QDialog& d) {
      auto& f = As<QFileDialog>(d);
      title = f.windowTitle();
      filters = f.nameFilters();
      f.selectFile(QString::fromStdString(dir_.path() + "/SAVED"));
      static_cast<QDialog&>(f).accept();
    });
    frame.command(kCmdSaveAs)->trigger();
    EXPECT_EQ(title, QStringLiteral("名前を付けて保存"));
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("手順ﾌｧｲﾙ(*.rwp)"))) << filters[0].toStdString();
    first = test::ReadAll(saved);
    ASSERT_FALSE(first.empty());
    EXPECT_FALSE(frame.editor().modified());
  }
  CMainFrame again(kFormEdit);
  DialogScript script;
  script.Then([&saved](QDialog& d) {
    As<COpenProcDlg>(d).nameEdit()->setText(QString::fromStdString(saved));
    d.accept();
  });
  again.command(kCmdOpen)->trigger();
  EXPECT_EQ(again.editor().doc().procedure_path, saved);
  ASSERT_TRUE(again.saveTo(dir_.path() + "/AGAIN.rwp"));
  EXPECT_EQ(test::ReadAll(dir_.path() + "/AGAIN.rwp"), first);
}

TEST_F(GuiTest, RunFromTheWindowWritesWhatTheConsoleProgramWrites) {
  const std::string path = dir_.Write("P.rwp", FullProcedure());
  ASSERT_EQ(RunBatch(path), 0);
  const std::string expected = test::ReadAll(out_data_);
  ASSERT_EQ(expected.size(), 40u);
  std::remove(out_data_.c_str());
  CMainFrame frame(kFormEdit);
  frame.show();
  BoxRecorder recorder;
  ASSERT_TRUE(frame.openProcedureFile(path));
  DialogScript script;
  QString read, written;
  script.Then([&](QDialog& d) {
    auto& r = As<CRunResultDlg>(d);
    read = r.readText();
    written = r.writtenText();
    d.accept();
  });
  bool disabled = false;
  setRunInfoObserver([&frame, &disabled](CRunInfoDlg&) { disabled = !frame.isEnabled(); });
  frame.command(kCmdRun)->trigger();
  EXPECT_TRUE(recorder.boxes().empty()) << Boxes(recorder).toStdString();
  EXPECT_EQ(read, QStringLiteral("10"));
  EXPECT_EQ(written, QStringLiteral("4"));
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(frame.isEnabled());
  EXPECT_EQ(test::ReadAll(out_data_), expected);
  // A second run replaces the output with the same records.
  script.Then([](QDialog& d) { d.accept(); });
  frame.command(kCmdRun)->trigger();
  EXPECT_EQ(test::ReadAll(out_data_), expected);
  EXPECT_TRUE(frame.command(kCmdConditions)->isEnabled());
  EXPECT_EQ(script.classes(), (QStringList{"CRunResultDlg", "CRunResultDlg"}));
}

TEST_F(GuiTest, CancelStopsTheRunBetweenRecords) {
  constexpr int kRecords = 5000000;
  in_data_ = dir_.Write("BIG.DAT", Records(kRecords));
  const std::string path = dir_.Write("P.rwp", FullProcedure());
  CMainFrame frame(kFormEdit);
  frame.show();
  BoxRecorder recorder;
  ASSERT_TRUE(frame.openProcedureFile(path));
  QString counts;
  setRunInfoObserver([&counts](CRunInfoDlg& box) {
    // Once the box shows records read, cancel.
    const QString start = box.countText();
    auto* poll = new QTimer(&box);
    QObject::connect(poll, &QTimer::timeout, &box, [&box, &counts, start, poll] {
      if (box.countText() == start) return;
      counts = box.countText();
      poll->stop();
      Click(box.cancelButton());
    });
    poll->start(5);
  });
  DialogScript script;
  frame.command(kCmdRun)->trigger();
  EXPECT_TRUE(script.classes().isEmpty());  // no result box after a cancel
  EXPECT_TRUE(recorder.boxes().empty()) << Boxes(recorder).toStdString();
  EXPECT_TRUE(counts.startsWith(QStringLiteral("入力レコード  "))) << counts.toStdString();
  const std::size_t written = test::ReadAll(out_data_).size();
  EXPECT_EQ(written % 10, 0u);
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, kRecords / 10 * 4 * 10u);  // 4 of every 10 records
  EXPECT_TRUE(frame.isEnabled());
  EXPECT_TRUE(frame.command(kCmdRun)->isEnabled());
}

TEST_F(GuiTest, WindowlessRunShowsTheCountsAndEnds) {
  const std::string path = dir_.Write("P.rwp", FullProcedure());
  BoxRecorder recorder;
  EXPECT_EQ(runWindowless(path), 0);
  ASSERT_EQ(recorder.boxes().size(), 1u) << Boxes(recorder).toStdString();
  EXPECT_EQ(recorder.boxes()[0].text, QStringLiteral("入力レコード 10 件，出力レコード 4 件。"));
  EXPECT_EQ(test::ReadAll(out_data_).size(), 40u);
  const std::string log = test::ReadAll(dir_.path() + "/RWORK.LOG");
  // The log is UTF-8 under a UTF-8 locale, CP932 otherwise.
  EXPECT_TRUE(log.find("\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x83\x6f\x83\x62\x83\x60\n") !=
                  std::string::npos ||
              log.find("実行形態=バッチ\n") != std::string::npos)
      << log;
  // A faulty procedure is refused with the form's message.
  const std::string faulty = dir_.Write(
      "F.rwp", Procedure("EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n", ""));
  EXPECT_EQ(runWindowless(faulty), 1);
  EXPECT_TRUE(Shown(recorder, 2051)) << Boxes(recorder).toStdString();
  EXPECT_EQ(runWindowless(std::string(256, 'p')), 1);
  EXPECT_TRUE(Shown(recorder, 2031));
}

TEST_F(GuiTest, ClosingAsksBeforeUnsavedWorkIsDropped) {
  CMainFrame frame(kFormEdit);
  frame.show();
  SetFiles(frame);
  setQuestionAnswerer([this](const QString& q) {
    questions_ << q;
    return false;
  });
  EXPECT_FALSE(frame.close());
  EXPECT_TRUE(frame.isVisible());
  // Replacing the files asks the same; Cancel keeps them.
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      As<CFileDlg>(d).nameEdit(kFieldOutData)->setText(QStringLiteral("other.dat"));
      As<CFileDlg>(d).okButton()->click();
    });
    frame.command(kCmdFiles)->trigger();
  }
  EXPECT_EQ(frame.editor().Files().out_data, out_data_);
  EXPECT_EQ(questions_, QStringList(2, QStringLiteral("ファイルを閉じてもいいですか ？")));
  ASSERT_TRUE(frame.saveTo(dir_.path() + "/P.rwp"));
  EXPECT_TRUE(frame.close());  // saved: nothing to lose
  EXPECT_EQ(questions_.size(), 2);
}

// Pictures of every window and dialog, for people to look at.
TEST_F(GuiTest, ScreenshotsOfEveryWindow) {
  if (qgetenv("QEL_SCREENSHOT_DIR").isEmpty()) GTEST_SKIP() << "QEL_SCREENSHOT_DIR not set";
  const std::string path = dir_.Write(
      "P.rwp", Procedure("SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"A01;\nCOMP=\"\"A02;\nSEL_END;\n"
                         "SEL;\nKEY=IN-REC.AMOUNT;\nJUDGE=>=;\nCOMP=\"\"1000;\nSEL_END;\n"
                         "SEL;\nKEY=IN-REC.NAMAE;\nJUDGE==;\nCOMP=\"\"\x8e\x52\x93\x63;\nSEL_END;\n"
                         "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
                         "EDIT;\nINITEM=IN-REC.NAME;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n"
                         "EDIT;\nINITEM=\"\"Y;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n",
                         "1A2A3"));
  CMainFrame frame(kFormEdit);
  frame.show();
  BoxRecorder recorder;
  {
    DialogScript script;
    script.Then([](QDialog& d) {
      SaveScreenshot(d, QStringLiteral("fault_list"));
      d.reject();
    });
    ASSERT_TRUE(frame.openProcedureFile(path));
  }
  frame.view()->pickOutput(1);
  EXPECT_FALSE(SaveScreenshot(frame, QStringLiteral("main_edit_form")).isEmpty());
  ZovozEditor& e = frame.editor();
  auto shoot = [](QDialog& d, const char* name) {
    EXPECT_FALSE(SaveScreenshot(d, QString::fromLatin1(name)).isEmpty()) << name;
    d.hide();
  };
  CFileDlg files(e, &frame);
  shoot(files, "files");
  CSelCondDlg conditions(e, &frame, 0);
  shoot(conditions, "conditions");
  CMultiCompDlg several(e, {QStringLiteral("A01"), QStringLiteral("A02")}, &frame);
  shoot(several, "several_comparisons");
  CConstDlg constant(e, 2, &frame);
  constant.constantEdit()->setText(QStringLiteral("定数"));
  shoot(constant, "constant");
  CEditOptDlg options(e, &frame);
  shoot(options, "edit_options");
  CMetaCharDlg meta(e, &frame);
  shoot(meta, "metacharacters");
  CSpecialOptDlg special(e, &frame);
  shoot(special, "special_options");
  CEditItemDlg entries(e, &frame);
  shoot(entries, "edit_entries");
  COpenProcDlg open(&frame);
  shoot(open, "open_procedure");
  ASSERT_FALSE(e.doc().edit_faults.empty());
  CEditErrUpdDlg update(e, e.doc().edit_faults.front(), &frame);
  shoot(update, "edit_fault_update");
  CParamErrDlg faults(e, &frame);
  shoot(faults, "fault_list_direct");
  CRunInfoDlg info(&frame);
  info.showCounts(123456, 7890);
  shoot(info, "run_info");
  CRunResultDlg result(1000, 400, &frame);
  shoot(result, "run_result");
  std::unique_ptr<QFileDialog> browse = files.makeBrowseDialog(kFieldInDef);
  browse->setDirectory(QString::fromStdString(dir_.path()));
  shoot(*browse, "browse_definition");
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    SaveScreenshot(*box, QStringLiteral("about"));
    box->accept();
  });
  frame.command(kCmdAboutEdit)->trigger();
  e.CloseAll();  // the data files are held while a document has them open
  CMainFrame selection(kFormSelection);
  selection.show();
  SetFiles(selection);
  EXPECT_FALSE(SaveScreenshot(selection, QStringLiteral("main_selection_form")).isEmpty());
  CFileDlg three(selection.editor(), &selection);
  shoot(three, "files_selection_form");
}

}  // namespace
}  // namespace qel::rework::gui
