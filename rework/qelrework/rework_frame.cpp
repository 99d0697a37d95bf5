// The rework program's main window: menus by form, the view's lists and
// the commands that open the dialogs, files and runs.
#include "rework/qelrework/rework_frame.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cstdlib>
#include <new>

#include "gui/qt_text.h"
#include "message/qelmessage.h"
#include "rework/qelrework/list_lines.h"
#include "rework/qelrework/rework_dialogs.h"
#include "rework/qelrework/rework_texts.h"
#include "rework/qelrework/run_box.h"

#ifndef QEL_VERSION
#define QEL_VERSION ""
#endif

namespace qel::rework::gui {

namespace {

using qel::gui::ProgramText;

QIcon CommandIcon(const char* letters) {
  return qel::gui::LetterIcon(QString::fromLatin1(letters), QColor(0x20, 0x50, 0x30), 9);
}

QGroupBox* Framed(unsigned title, QWidget* content, QWidget* parent) {
  auto* box = new QGroupBox(ProgramText(title), parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(content);
  return box;
}

}  // namespace

CZovozVw1::CZovozVw1(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("inputItems"));
  setFont(fixedFont(font()));
}

CZovozVw6::CZovozVw6(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("outputItems"));
  setFont(fixedFont(font()));
}

CZovozView::CZovozView(ZovozEditor& editor, QWidget* parent) : QWidget(parent), m_editor(editor) {
  setObjectName(QStringLiteral("view"));
  m_input = new CZovozVw1(this);
  m_output = new CZovozVw6(this);
  m_entries = new QListWidget(this);
  m_entries->setObjectName(QStringLiteral("entries"));
  m_entries->setFont(fixedFont(font()));
  m_conditions = new QListWidget(this);
  m_conditions->setObjectName(QStringLiteral("conditions"));
  m_conditions->setFont(fixedFont(font()));
  m_conditions->setFocusPolicy(Qt::NoFocus);
  m_constant = new QPushButton(ProgramText(kTextLabelConstant), this);
  m_constant->setToolTip(qel::gui::SplitCommandText(ProgramText(kCmdConstant)).prompt);
  connect(m_input, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { pickInput(m_input->row(item) + 1); });
  connect(m_output, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { pickOutput(m_output->row(item) + 1); });
  connect(m_constant, &QPushButton::clicked, this, &CZovozView::addConstant);

  auto* items = new QSplitter(Qt::Horizontal, this);
  items->addWidget(Framed(kTextInputItems, m_input, items));
  auto* outputBox = Framed(kTextOutputItems, m_output, items);
  items->addWidget(outputBox);
  auto* entriesBox = new QGroupBox(ProgramText(kTextEditEntries), this);
  auto* entriesLayout = new QHBoxLayout(entriesBox);
  entriesLayout->setContentsMargins(4, 4, 4, 4);
  entriesLayout->addWidget(m_entries, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(m_constant);
  side->addStretch();
  entriesLayout->addLayout(side);
  auto* lower = new QSplitter(Qt::Horizontal, this);
  lower->addWidget(entriesBox);
  lower->addWidget(Framed(kTextConditionsHeading, m_conditions, lower));
  auto* main = new QSplitter(Qt::Vertical, this);
  main->addWidget(items);
  main->addWidget(lower);
  main->setStretchFactor(0, 3);
  main->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(main);
  const bool edit = editor.edit_form();
  outputBox->setVisible(edit);
  entriesBox->setVisible(edit);
  setTabOrder(m_input, m_output);
  setTabOrder(m_output, m_entries);
  setTabOrder(m_entries, m_constant);
  refresh();
}

void CZovozView::refresh() {
  try {
    fillLists();
  } catch (const std::bad_alloc&) {
    // Without memory for the lists the window cannot go on.
    showAnswer(MessageAnswer(3000));
    std::exit(1);
  }
}

void CZovozView::fillLists() {
  const int inRow = m_input->currentRow();
  const int outRow = m_output->currentRow();
  m_input->clear();
  m_output->clear();
  m_entries->clear();
  m_conditions->clear();
  for (int n = 1; n <= m_editor.ItemCount(false); ++n) {
    auto* item = new QListWidgetItem(textOf(ItemLine(*m_editor.Item(false, n), ' ')), m_input);
    item->setToolTip(textOf(m_editor.ItemName(false, n)));
  }
  const CZovozDoc& doc = m_editor.doc();
  for (int n = 1; n <= m_editor.ItemCount(true); ++n) {
    char mark = ' ';
    if (n == m_editor.pending_output()) mark = '>';
    for (const EditEntry* e = doc.edit_list; e != nullptr && mark == ' '; e = e->next) {
      if (e->output_item == n) mark = '*';
    }
    auto* item = new QListWidgetItem(textOf(ItemLine(*m_editor.Item(true, n), mark)), m_output);
    item->setToolTip(textOf(m_editor.ItemName(true, n)));
  }
  for (const EditEntry* e = doc.edit_list; e != nullptr; e = e->next) {
    auto* item = new QListWidgetItem(textOf(EditLine(*e)), m_entries);
    item->setToolTip(entryToolTip(doc, *e));
  }
  const std::vector<ConditionDraft> conditions = m_editor.Conditions();
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    m_conditions->addItem(textOf(ConditionLine(m_editor, static_cast<int>(i + 1), conditions[i],
                                               !m_editor.CheckCondition(conditions[i]).ok())));
  }
  if (inRow >= 0 && inRow < m_input->count()) m_input->setCurrentRow(inRow);
  if (outRow >= 0 && outRow < m_output->count()) m_output->setCurrentRow(outRow);
  m_constant->setEnabled(m_editor.files_ready());
}

void CZovozView::pickOutput(int item) {
  showAnswer(m_editor.PickOutput(item));
  refresh();
}

void CZovozView::pickInput(int item) {
  const Answer a = m_editor.PickInput(item);
  showAnswer(a);
  refresh();
  if (a.ok()) emit changed();
}

void CZovozView::addConstant() {
  int destination = 0;
  const Answer a = m_editor.BeginConstant(&destination);
  if (!a.ok()) {
    showAnswer(a);
    return;
  }
  CConstDlg dialog(m_editor, destination, this);
  if (execDialog(dialog) == QDialog::Accepted) {
    refresh();
    emit changed();
  }
}

// --- the frame ---

CMainFrame::CMainFrame(int form, QWidget* parent)
    : qel::gui::CMainFrame(
          ProgramText(form == kFormSelection ? kTextAppTitleSelection : kTextAppTitle), parent),
      m_editor(form) {
  setObjectName(QStringLiteral("mainFrame"));
  m_view = new CZovozView(m_editor, this);
  setCentralWidget(m_view);
  resize(900, 620);
  connect(m_view, &CZovozView::changed, this, &CMainFrame::updateCommands);
  const bool edit = m_editor.edit_form();

  QMenu* file = AddMenu(ProgramText(kTextMenuFile));
  add(file, kCmdOpen, kTextLabelOpen, &CMainFrame::openProcedure, true);
  add(file, kCmdSave, kTextLabelSave, &CMainFrame::save, true);
  add(file, kCmdSaveAs, kTextLabelSaveAs, &CMainFrame::saveAs);
  file->addSeparator();
  add(file, kCmdFiles, kTextLabelFiles, &CMainFrame::editFiles, true);
  add(file, kCmdCheck, kTextLabelCheck, &CMainFrame::checkProcedure, true);
  add(file, kCmdRun, kTextLabelRun, &CMainFrame::runProcedure, true);
  file->addSeparator();
  QAction* exit = AddCommand(file, kCmdExit, ProgramText(kTextLabelExit));
  connect(exit, &QAction::triggered, this, &QWidget::close);
  m_commands[kCmdExit] = exit;

  // Top-level commands of the menu bar.
  QAction* conditions = AddCommand(nullptr, kCmdConditions, ProgramText(kTextLabelConditions));
  menuBar()->addAction(conditions);
  connect(conditions, &QAction::triggered, this, &CMainFrame::editConditions);
  m_commands[kCmdConditions] = conditions;

  QMenu* options = AddMenu(ProgramText(kTextMenuOptions));
  if (edit) add(options, kCmdEditOptions, kTextLabelEditOptions, &CMainFrame::editOptions);
  add(options, kCmdMetacharacters, kTextLabelMetacharacters, &CMainFrame::editMetacharacters);
  add(options, kCmdSpecialOptions, kTextLabelSpecialOptions, &CMainFrame::editSpecialOptions);
  if (edit) {
    QAction* list = AddCommand(nullptr, kCmdEditList, ProgramText(kTextLabelEditList));
    menuBar()->addAction(list);
    connect(list, &QAction::triggered, this, &CMainFrame::showEditList);
    m_commands[kCmdEditList] = list;
  }

  QMenu* view = AddMenu(ProgramText(kTextMenuView));
  QAction* toolBar = AddCommand(view, kCmdToolBar, ProgramText(kTextLabelToolBar));
  toolBar->setCheckable(true);
  toolBar->setChecked(true);
  connect(toolBar, &QAction::toggled, ToolBar(), &QWidget::setVisible);
  m_commands[kCmdToolBar] = toolBar;
  QAction* statusBarAction = AddCommand(view, kCmdStatusBar, ProgramText(kTextLabelStatusBar));
  statusBarAction->setCheckable(true);
  statusBarAction->setChecked(true);
  connect(statusBarAction, &QAction::toggled, statusBar(), &QWidget::setVisible);
  m_commands[kCmdStatusBar] = statusBarAction;

  QMenu* help = AddMenu(ProgramText(kTextMenuHelp));
  add(help, kCmdHelpContents, kTextLabelHelpContents, &CMainFrame::openHelpFile);
  add(help, kCmdHelpSearch, kTextLabelHelpSearch, &CMainFrame::openHelpFile);
  add(help, kCmdHelpUsing, kTextLabelHelpUsing, &CMainFrame::openHelpFile);
  help->addSeparator();
  add(help, edit ? kCmdAboutEdit : kCmdAboutSelection, kTextLabelAbout, &CMainFrame::showAbout);
  updateCommands();
}

QAction* CMainFrame::add(QMenu* menu, unsigned id, unsigned label, void (CMainFrame::*slot)(),
                         bool tool) {
  static const std::map<unsigned, const char*> kIcons = {
      {kCmdOpen, "OPN"}, {kCmdSave, "SAV"}, {kCmdFiles, "I/O"},
      {kCmdCheck, "CHK"}, {kCmdRun, "RUN"}};
  QIcon icon;
  if (tool) icon = CommandIcon(kIcons.at(id));
  QAction* action = AddCommand(menu, id, ProgramText(label), {}, icon);
  connect(action, &QAction::triggered, this, slot);
  m_commands[id] = action;
  return action;
}

QAction* CMainFrame::command(unsigned id) const {
  auto it = m_commands.find(id);
  return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::updateCommands() {
  const bool idle = !runInProgress();
  const bool ready = m_editor.files_ready() && idle;
  for (unsigned id : {kCmdRun, kCmdConditions, kCmdEditList, kCmdSave, kCmdSaveAs, kCmdCheck}) {
    if (QAction* a = command(id)) a->setEnabled(ready);
  }
  for (unsigned id : {kCmdFiles, kCmdOpen}) command(id)->setEnabled(idle);
  QString title = ProgramText(m_editor.edit_form() ? kTextAppTitle : kTextAppTitleSelection);
  if (!m_editor.doc().procedure_path.empty()) {
    title += QStringLiteral(" - ") + fileNameText(m_editor.doc().procedure_path);
  }
  setWindowTitle(title);
  m_view->refresh();
}

QString CMainFrame::helpFilePath() {
  char dir[KMSO_INSTDIR_SIZE] = {};
  KMSOGetInstDir(dir);
  const QString name = QStringLiteral("qelrework.html");
  if (dir[0] == '\0') return name;
  return QFile::decodeName(dir) + QLatin1Char('/') + name;
}

void CMainFrame::openHelpFile() { OpenHelp(helpFilePath()); }

void CMainFrame::showAbout() {
  QString text = ProgramText(kTextAboutBody);
  text.replace(QStringLiteral("%s"), QStringLiteral(QEL_VERSION));
  ShowAbout(text);
}

void CMainFrame::editFiles() {
  CFileDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::openProcedure() {
  COpenProcDlg dialog(this);
  if (execDialog(dialog) != QDialog::Accepted) return;
  openProcedureFile(dialog.path());
}

bool CMainFrame::openProcedureFile(const std::string& path) {
  if (m_editor.HoldsSettings() && !askOkCancel(this, kTextCloseQuestion)) return false;
  const Answer a = m_editor.OpenProcedure(path);
  updateCommands();
  if (!a.ok()) {
    showAnswer(a);
    return false;
  }
  // A procedure read is checked at once; its faults are listed.
  const Answer checked = m_editor.Check();
  if (!checked.ok()) showAnswer(checked);
  if (m_editor.FaultCount() > 0) showFaults();
  updateCommands();
  return true;
}

void CMainFrame::save() {
  if (m_editor.doc().procedure_path.empty()) {
    saveAs();
  } else {
    saveTo(m_editor.doc().procedure_path);
  }
}

void CMainFrame::saveAs() {
  std::unique_ptr<QFileDialog> dialog =
      makeFileDialog(this, kTextSaveAsTitle, kTextFilterProcedureSave, true);
  dialog->setDefaultSuffix(QStringLiteral("rwp"));
  if (execDialog(*dialog) != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  saveTo(fileNameOf(dialog->selectedFiles().first()));
}

bool CMainFrame::saveTo(const std::string& path) {
  const Answer a = m_editor.Save(path);
  showAnswer(a);
  updateCommands();
  return a.ok();
}

void CMainFrame::showFaults() {
  CParamErrDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::checkProcedure() {
  const Answer a = m_editor.Check();
  if (!a.ok()) {
    showAnswer(a);
    showFaults();
    return;
  }
  if (m_editor.FaultCount() > 0) {
    showFaults();
  } else {
    showAnswer(MessageAnswer(2028));
  }
  updateCommands();
}

void CMainFrame::runProcedure() {
  if (runInProgress() || !m_editor.files_ready()) return;
  const Answer prepared = m_editor.PrepareRun(false);
  if (!prepared.ok()) {
    showAnswer(prepared);
    if (m_editor.FaultCount() > 0) showFaults();
    updateCommands();
    return;
  }
  CKREXDoc run(&m_editor.doc(), &m_editor.engine());
  updateCommands();
  const int result = runWithInfoBox(this, run);
  Answer closeFailure;
  const Answer reported = m_editor.FinishRun(run, result, &closeFailure);
  if (result == 0 && closeFailure.ok()) {
    CRunResultDlg dialog(run.records_read(), run.records_written(), this);
    execDialog(dialog);
  } else {
    showAnswer(reported);
  }
  showAnswer(closeFailure);
  updateCommands();
}

void CMainFrame::editConditions() {
  if (!m_editor.files_ready()) return;
  CSelCondDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::editOptions() {
  CEditOptDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::editMetacharacters() {
  CMetaCharDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::editSpecialOptions() {
  CSpecialOptDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::showEditList() {
  if (!m_editor.files_ready()) return;
  CEditItemDlg dialog(m_editor, this);
  execDialog(dialog);
  updateCommands();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (runInProgress()) {
    event->ignore();
    return;
  }
  // Unsaved work is not dropped without a word.
  if (m_editor.modified() && m_editor.HoldsSettings() &&
      !askOkCancel(this, kTextCloseQuestion)) {
    event->ignore();
    return;
  }
  qel::gui::CMainFrame::closeEvent(event);
}

}  // namespace qel::rework::gui
