// The revise program's main window: menus, tool bar, the form and help.
#include "revise/qelrevise/revise_frame.h"

#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

#include "gui/qt_text.h"
#include "message/qelmessage.h"
#include "revise/qelrevise/revise_dialogs.h"
#include "revise/qelrevise/revise_texts.h"

#ifndef QEL_VERSION
#define QEL_VERSION ""
#endif

namespace qel::revise::gui {
namespace {

using qel::gui::ProgramText;

// The tool-bar pictures of this program.
QIcon LetterIcon(const char* letters) {
  return qel::gui::LetterIcon(QString::fromLatin1(letters), QColor(0x20, 0x40, 0x80));
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : qel::gui::CMainFrame(ProgramText(kTextAppTitle), parent) {
  setObjectName(QStringLiteral("mainFrame"));
  m_view = new CQelreviseView(m_doc, this);
  setCentralWidget(m_view);
  resize(820, 600);

  QMenu* file = AddMenu(ProgramText(kTextMenuFile));
  m_fileSettings = AddCommand(file, kCmdFileSettings, ProgramText(kTextFileSettings),
                              QKeySequence(Qt::CTRL | Qt::Key_O), LetterIcon("F"));
  m_closeFile = AddCommand(file, kCmdCloseFile, ProgramText(kTextCloseFile));
  file->addSeparator();
  m_exit = AddCommand(file, kCmdExit, ProgramText(kTextExit));
  QMenu* edit = AddMenu(ProgramText(kTextMenuEdit));
  m_copyRecord =
      AddCommand(edit, kCmdCopyRecord, ProgramText(kTextCopyRecord), {}, LetterIcon("D"));
  m_firstRecord = AddCommand(edit, kCmdFirstRecord, ProgramText(kTextFirstRecord),
                             QKeySequence(Qt::CTRL | Qt::Key_T), LetterIcon("|<"));
  m_lastRecord = AddCommand(edit, kCmdLastRecord, ProgramText(kTextLastRecord),
                            QKeySequence(Qt::CTRL | Qt::Key_L), LetterIcon(">|"));
  QMenu* view = AddMenu(ProgramText(kTextMenuView));
  m_toolBar = view->addAction(ProgramText(kTextToolBar));
  m_toolBar->setCheckable(true);
  m_toolBar->setChecked(true);
  connect(m_toolBar, &QAction::toggled, ToolBar(), &QWidget::setVisible);
  m_statusBar = view->addAction(ProgramText(kTextStatusBar));
  m_statusBar->setCheckable(true);
  m_statusBar->setChecked(true);
  connect(m_statusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);
  QMenu* options = AddMenu(ProgramText(kTextMenuOptions));
  m_specialOptions = AddCommand(options, kCmdSpecialOptions, ProgramText(kTextSpecialOptions),
                                QKeySequence(Qt::CTRL | Qt::Key_U), LetterIcon("U"));
  QMenu* help = AddMenu(ProgramText(kTextMenuHelp));
  for (unsigned id : {kTextHelpContents, kTextHelpSearch, kTextHelpUsing}) {
    QAction* action = AddCommand(help, kCmdHelp, ProgramText(id));
    connect(action, &QAction::triggered, this, [this] { openHelpFile(kHelpContents); });
    m_help.append(action);
  }
  help->addSeparator();
  m_about = AddCommand(help, kCmdAbout, ProgramText(kTextAbout));

  // Copy and paste reach the key or entry field that last had the focus,
  // also while the list has it.
  m_copy = new QAction(this);
  m_copy->setShortcut(QKeySequence::Copy);
  m_paste = new QAction(this);
  m_paste->setShortcut(QKeySequence::Paste);
  addAction(m_copy);
  addAction(m_paste);

  connect(m_fileSettings, &QAction::triggered, m_view, &CQelreviseView::fileSettings);
  connect(m_closeFile, &QAction::triggered, m_view, &CQelreviseView::closeFile);
  connect(m_exit, &QAction::triggered, this, &QWidget::close);
  connect(m_copyRecord, &QAction::triggered, m_view, &CQelreviseView::copyRecord);
  connect(m_firstRecord, &QAction::triggered, m_view, [this] { m_view->fetchRecord(4); });
  connect(m_lastRecord, &QAction::triggered, m_view, [this] { m_view->fetchRecord(5); });
  connect(m_specialOptions, &QAction::triggered, m_view, &CQelreviseView::specialOptions);
  connect(m_copy, &QAction::triggered, m_view, [this] { m_view->formEvent(FormEvent::kCopy); });
  connect(m_paste, &QAction::triggered, m_view, [this] { m_view->formEvent(FormEvent::kPaste); });
  connect(m_about, &QAction::triggered, this, &CMainFrame::showAbout);
  connect(m_view, &CQelreviseView::stateChanged, this, &CMainFrame::updateCommands);
  connect(m_view, &CQelreviseView::titleChanged, this, &CMainFrame::setTitle);
  connect(m_view, &CQelreviseView::helpRequested, this, &CMainFrame::openHelpFile);
  updateCommands();
}

QString CMainFrame::helpFilePath() {
  char dir[KMSO_INSTDIR_SIZE] = {};
  KMSOGetInstDir(dir);
  const QString name = QStringLiteral("qelrevise.html");
  // Without an installation directory the name alone still tells the user
  // which file is missing.
  if (dir[0] == '\0') return name;
  return QFile::decodeName(dir) + QLatin1Char('/') + name;
}

void CMainFrame::updateCommands() {
  m_closeFile->setEnabled(m_doc.is_open());
  m_copyRecord->setEnabled(m_view->canCopy());
  m_firstRecord->setEnabled(m_view->canFetchEnds());
  m_lastRecord->setEnabled(m_view->canFetchEnds());
}

void CMainFrame::setTitle(const QString& title) {
  const QString caption = ProgramText(kTextAppTitle);
  setWindowTitle(title.isEmpty() ? caption : caption + QStringLiteral(" - ") + title);
}

void CMainFrame::openHelpFile(int /*context*/) {
  // The help file is one HTML page: every context opens it.
  OpenHelp(helpFilePath());
}

void CMainFrame::showAbout() {
  QString text = ProgramText(kTextAboutBody);
  text.replace(QStringLiteral("%s"), QStringLiteral(QEL_VERSION));
  ShowAbout(text);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_doc.is_open()) m_view->closeFile();
  qel::gui::CMainFrame::closeEvent(event);
}

}  // namespace qel::revise::gui
