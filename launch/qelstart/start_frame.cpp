// The launcher's main window and its start-up: command line, start block,
// the chain's socket, opening the named menu, and the runner's requests.
#include "launch/qelstart/start_frame.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QSettings>
#include <QStatusBar>
#include <cstdio>
#include <cstdlib>

#include "gui/qt_text.h"
#include "launch/launcher_texts.h"
#include "launch/qelstart/design_dialogs.h"
#include "launch/menu_printer.h"
#include "message/qelmessage.h"
#include "platform/file.h"
#include "platform/string_table.h"

#ifndef QEL_VERSION
#define QEL_VERSION ""
#endif

namespace qel::launch::gui {

namespace {

using qel::gui::FromCp932;
using qel::gui::ProgramText;

std::string ProgramBytes(int id) {
  const auto text = platform::LoadProgramString(static_cast<unsigned>(id));
  return text ? std::string(*text) : std::string();
}

QString NativePath(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }

void Trace(const ChainMessage& message) {
  const char* path = std::getenv("QELSTART_TRACE");
  if (path == nullptr || *path == '\0') return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%d %u %u\n", static_cast<int>(::getpid()), message.message,
                 message.wparam);
    std::fclose(file);
  }
}

QSettings LauncherSettings() { return QSettings(QStringLiteral("KORVATH"), QStringLiteral("QELLAR2")); }

const QString kRecentGroup = QStringLiteral("QELSTART/Recent File List");

int quit_pipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(quit_pipe[1], &byte, 1);
}

}  // namespace

void QuitOnTerminationSignals() {
  if (quit_pipe[0] >= 0 || ::pipe2(quit_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(quit_pipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { QCoreApplication::quit(); });
  struct sigaction action {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal_number, &action, nullptr);
}

int ShowLauncherText(int textId, const std::string& insert, platform::BoxButtons buttons,
                     platform::BoxIcon icon) {
  std::string text = ProgramBytes(textId);
  for (const char* placeholder : {"%s", "%u"}) {
    const size_t at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, 2, insert);
  }
  return platform::ShowBox(ProgramBytes(kTextCaption), text, buttons, icon);
}

CMainFrame::CMainFrame(LaunchMode mode, LauncherState state, std::string menuPath,
                       QWidget* parent)
    : qel::gui::CMainFrame(ProgramText(kTextTitle), parent),
      m_mode(mode),
      m_menuPath(std::move(menuPath)),
      m_doc(std::make_unique<CQelstartDoc>()) {
  setObjectName(QStringLiteral("mainFrame"));
  ToolBar()->hide();
  m_view = new CMenuDesignView(this);
  m_view->setInteractive(m_mode == LaunchMode::kRun);
  setCentralWidget(m_view);
  resize(640, 480);

  m_fileMenu = AddMenu(ProgramText(kTextMenuFile));
  if (m_mode != LaunchMode::kRun) buildDesignMenus();
  for (int i = 0; i < kRecentFiles; ++i) {
    QAction* action = AddCommand(m_fileMenu, kCmdRecent, QString());
    action->setVisible(false);
    connect(action, &QAction::triggered, this, [this, action] {
      const QString path = action->data().toString();
      if (m_mode == LaunchMode::kRun && (m_runner->waiting() || m_runner->AnyChildRunning())) {
        ShowText(kTextWaiting);
        return;
      }
      if (m_mode != LaunchMode::kRun && !mayDiscard()) return;
      openMenu(path.toLocal8Bit().toStdString());
    });
    m_recentActions.append(action);
  }
  m_fileMenu->addSeparator();
  QAction* exit = AddCommand(m_fileMenu, kCmdExit, ProgramText(kTextExit));
  connect(exit, &QAction::triggered, this, &QWidget::close);
  QMenu* help = AddMenu(ProgramText(kTextMenuHelp));
  if (m_mode != LaunchMode::kRun) {
    // Deferred, so that the help frame does not take these commands for the
    // contents, index or using-help commands by their place in the menu.
    QAction* commands = AddCommand(help, kCmdHelpCommands, ProgramText(kTextHelpCommands));
    connect(commands, &QAction::triggered, this, [this] {
      QTimer::singleShot(0, this, [this] { openHelpAt(ProgramText(kTextHelpKeyCommands)); });
    });
    QAction* keys = AddCommand(help, kCmdHelpKeys, ProgramText(kTextHelpKeys));
    connect(keys, &QAction::triggered, this, [this] {
      QTimer::singleShot(0, this, [this] { openHelpAt(ProgramText(kTextHelpKeyKeys)); });
    });
    help->addSeparator();
  }
  QAction* about = AddCommand(help, kCmdAbout, ProgramText(kTextAbout));
  connect(about, &QAction::triggered, this, [this] {
    ShowAbout(ProgramText(kTextAboutBox).replace(QStringLiteral("%s"), QStringLiteral(QEL_VERSION)));
  });
  updateRecentMenu();
  if (m_mode != LaunchMode::kRun) m_view->setEditableDocument(m_doc.get());

  state.own_window = ::getpid();
  if (state.root_window == 0) state.root_window = state.own_window;
  m_runner = std::make_unique<MenuRunner>(*this, std::move(state));
  if (m_mode == LaunchMode::kRun) {
    if (m_endpoint.Listen(::getpid())) {
      m_notifier = new QSocketNotifier(m_endpoint.fd(), QSocketNotifier::Read, this);
      connect(m_notifier, &QSocketNotifier::activated, this, &CMainFrame::receiveMessages);
    }
    connect(m_view, &CMenuView::objectPressed, this,
            [this](const CLCNObject* object) { m_runner->Press(*object); });
    connect(m_view, &CMenuView::pfKeyPressed, this,
            [this](int index) { m_runner->PressPfKey(static_cast<size_t>(index)); });
    connect(m_view, &CMenuView::numberEntered, this, [this](const QString& text) {
      const std::optional<std::string> typed = qel::gui::ToCp932(text);
      if (typed) {
        m_runner->EnterNumber(*typed);
      } else {
        ShowText(kTextInvalidNumber);
      }
    });
  }
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::startUp() {
  if (m_mode == LaunchMode::kRun) {
    connect(&m_tick, &QTimer::timeout, this, [this] { m_runner->Tick(); });
    m_tick.start(500);
    const pid_t parent = m_runner->state().parent_window;
    if (parent != 0) SendChainMessage(parent, kMsgRegister, static_cast<uint32_t>(::getpid()));
  }
  // 2239: the menu opens once the window exists.
  QTimer::singleShot(0, this, [this] { openNamedMenu(); });
}

bool CMainFrame::openNamedMenu() {
  std::string path = m_menuPath;
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = path.substr(1, path.size() - 2);
  if (path.empty()) return true;
  if (::access(path.c_str(), F_OK) != 0) {
    // Menus written on Windows name files in any letter case.
    if (std::optional<std::string> found = platform::ResolveIgnoringCase(path)) path = *found;
  }
  if (::access(path.c_str(), F_OK) != 0) {
    ShowText(kTextMenuMissing);
    m_closing = true;
    close();
    return false;
  }
  if (!openMenu(path)) {
    m_closing = true;
    close();
    return false;
  }
  if (m_printOnOpen) QTimer::singleShot(0, this, [this] { printMenu(); });
  return true;
}

QString CMainFrame::printMenu() {
  QPrinter printer(QPrinter::HighResolution);
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  QString target;
  if (info.isNull()) {
    const QFileInfo menu(NativePath(m_menuPath));
    target = menu.absolutePath() + QLatin1Char('/') + menu.completeBaseName() + QStringLiteral(".pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(target);
  } else {
    printer.setPrinterName(info.printerName());
    target = info.printerName();
  }
  printer.setDocName(windowTitle());
  return PrintMenu(*m_doc, printer) > 0 ? target : QString();
}

bool CMainFrame::openMenu(const std::string& path) {
  auto doc = std::make_unique<CQelstartDoc>();
  const DocumentResult result = doc->Open(path);
  if (!result.message.empty()) {
    platform::ShowBox(ProgramBytes(kTextCaption), result.message, platform::BoxButtons::kOk,
                      result.ok() ? platform::BoxIcon::kInformation : platform::BoxIcon::kExclamation);
  }
  if (!result.ok()) return false;
  if (m_mode == LaunchMode::kRun && doc->placement.restore == 0) {
    ShowText(kTextIncomplete);
    return false;
  }
  m_runner->Reset();
  m_runner->SetDocument(doc.get());
  m_runner->SetMenuDirectory(QFileInfo(NativePath(path)).absolutePath().toLocal8Bit().toStdString());
  m_doc = std::move(doc);
  m_menuPath = path;
  m_modified = false;
  showDocument();
  applyPlacement();
  addRecentFile(QFileInfo(NativePath(path)).absoluteFilePath());
  if (!m_view->controls().empty()) m_view->controls().front()->setFocus();
  return true;
}

void CMainFrame::showDocument() {
  if (m_mode == LaunchMode::kRun) {
    m_view->setDocument(m_doc.get(), m_runner->state().parent_window != 0);
  } else {
    m_view->setEditableDocument(m_doc.get());
  }
  const QString title = FromCp932(m_doc->title);
  setWindowTitle(!title.isEmpty()       ? title
                 : m_menuPath.empty() ? ProgramText(kTextTitle)
                                      : QFileInfo(NativePath(m_menuPath)).fileName());
}

void CMainFrame::buildDesignMenus() {
  QAction* create = AddCommand(m_fileMenu, kCmdNew, ProgramText(kTextNew), QKeySequence::New);
  connect(create, &QAction::triggered, this, [this] { newMenu(); });
  QAction* open = AddCommand(m_fileMenu, kCmdOpen, ProgramText(kTextOpen), QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] {
    if (!mayDiscard()) return;
    const QString file = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                      ProgramText(kTextMenuFilter));
    if (!file.isEmpty()) openMenu(file.toLocal8Bit().toStdString());
  });
  QAction* save = AddCommand(m_fileMenu, kCmdSave, ProgramText(kTextSave), QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this] { saveMenu(); });
  QAction* saveAs = AddCommand(m_fileMenu, kCmdSaveAs, ProgramText(kTextSaveAs));
  connect(saveAs, &QAction::triggered, this, [this] { saveMenuAs(); });
  QAction* print = AddCommand(m_fileMenu, kCmdPrint, ProgramText(kTextPrint), QKeySequence::Print);
  connect(print, &QAction::triggered, this, [this] { printMenu(); });
  m_fileMenu->addSeparator();

  QMenu* tools = AddMenu(ProgramText(kTextMenuCreate));
  auto* group = new QActionGroup(this);
  for (int tool = 0; tool <= 9; ++tool) {
    QAction* action = AddCommand(tools, kCmdTool, ProgramText(kTextToolNone + tool));
    action->setCheckable(true);
    action->setChecked(tool == 0);
    group->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, tool] { m_view->setTool(static_cast<DesignTool>(tool)); });
  }
  QMenu* edit = AddMenu(ProgramText(kTextMenuEdit));
  QAction* cut = AddCommand(edit, kCmdCut, ProgramText(kTextCut), QKeySequence::Cut);
  connect(cut, &QAction::triggered, m_view, &CMenuDesignView::cutSelection);
  QAction* copy = AddCommand(edit, kCmdCopy, ProgramText(kTextCopy), QKeySequence::Copy);
  connect(copy, &QAction::triggered, m_view, &CMenuDesignView::copySelection);
  QAction* paste = AddCommand(edit, kCmdPaste, ProgramText(kTextPaste), QKeySequence::Paste);
  connect(paste, &QAction::triggered, m_view, &CMenuDesignView::paste);
  edit->addSeparator();
  QAction* del = AddCommand(edit, kCmdDelete, ProgramText(kTextDelete));
  connect(del, &QAction::triggered, m_view, &CMenuDesignView::deleteSelection);
  QAction* delAll = AddCommand(edit, kCmdDeleteAll, ProgramText(kTextDeleteAll));
  connect(delAll, &QAction::triggered, m_view, &CMenuDesignView::deleteAll);
  QAction* front = AddCommand(edit, kCmdToFront, ProgramText(kTextToFront));
  connect(front, &QAction::triggered, m_view, &CMenuDesignView::bringSelectionToFront);
  QAction* back = AddCommand(edit, kCmdToBack, ProgramText(kTextToBack));
  connect(back, &QAction::triggered, m_view, &CMenuDesignView::sendSelectionToBack);
  edit->addSeparator();
  QAction* fileTitle = AddCommand(edit, kCmdFileTitle, ProgramText(kTextFileTitleCommand));
  connect(fileTitle, &QAction::triggered, this, [this] {
    CFileTitleDialog dialog(*m_doc, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_modified = true;
    showDocument();
  });
  QAction* font = AddCommand(edit, kCmdFont, ProgramText(kTextFontCommand));
  connect(font, &QAction::triggered, this, [this] { changeFont(); });
  QAction* color = AddCommand(edit, kCmdColor, ProgramText(kTextColorCommand));
  connect(color, &QAction::triggered, this, [this] { changeColor(); });
  QAction* grid = AddCommand(edit, kCmdGrid, ProgramText(kTextGrid) + QStringLiteral("..."));
  connect(grid, &QAction::triggered, this, [this] {
    CGridDialog dialog(m_view->grid(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_view->setGrid(dialog.grid());
    m_view->update();
  });

  setAcceptDrops(true);
  connect(m_view, &CMenuDesignView::documentModified, this, [this] { m_modified = true; });
  connect(m_view, &CMenuDesignView::statusText, this,
          [this](const QString& text) { statusBar()->showMessage(text, 5000); });
  connect(m_view, &CMenuDesignView::objectCreated, this,
          [this](CLCNObject* object) { editNewObject(object); });
  connect(m_view, &CMenuDesignView::objectActivated, this,
          [this](CLCNObject* object) { editObject(object); });
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (m_mode != LaunchMode::kRun && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  if (m_mode == LaunchMode::kRun || !event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
  openDroppedFiles(event->mimeData()->urls());
}

void CMainFrame::openDroppedFiles(const QList<QUrl>& urls) {
  if (urls.size() != 1) {
    ShowText(kTextOneFileOnly);
    return;
  }
  if (!mayDiscard()) return;
  openMenu(urls.front().toLocalFile().toLocal8Bit().toStdString());
}

bool CMainFrame::mayDiscard() {
  if (!m_modified) return true;
  const QString name = m_menuPath.empty() ? ProgramText(kTextTitle)
                                          : QFileInfo(NativePath(m_menuPath)).fileName();
  const int answer = ShowLauncherText(kTextSaveQuestion, name.toLocal8Bit().toStdString(),
                                      platform::BoxButtons::kYesNoCancel,
                                      platform::BoxIcon::kQuestion);
  return answer == platform::kButtonNo || (answer == platform::kButtonYes && saveMenu());
}

void CMainFrame::newMenu() {
  if (!mayDiscard()) return;
  m_doc = std::make_unique<CQelstartDoc>();
  m_runner->SetDocument(m_doc.get());
  m_menuPath.clear();
  m_modified = false;
  showDocument();
}

bool CMainFrame::runAttributeDialog(CLCNObject& object) {
  switch (object.Kind()) {
    case ObjectKind::kString: {
      CTextDialog dialog(static_cast<CLCNString&>(object), this);
      return dialog.exec() == QDialog::Accepted;
    }
    case ObjectKind::kButton: {
      CButtonDialog dialog(static_cast<CLCNButton&>(object), this);
      return dialog.exec() == QDialog::Accepted;
    }
    case ObjectKind::kPicture: {
      CPictureDialog dialog(static_cast<CLCNPicture&>(object), this);
      return dialog.exec() == QDialog::Accepted;
    }
    case ObjectKind::kXIcon: {
      CIconDialog dialog(static_cast<CLCNXIcon&>(object), this);
      return dialog.exec() == QDialog::Accepted;
    }
    case ObjectKind::kPfKey: {
      std::vector<std::string> titles;
      for (const auto& button : m_doc->buttons)
        titles.push_back(static_cast<const CLCNButton&>(*button).title);
      CPfKeyDialog dialog(static_cast<CLCNPfKey&>(object), titles, this);
      return dialog.exec() == QDialog::Accepted;
    }
    case ObjectKind::kLine:
    case ObjectKind::kRectangle: {
      CLineDialog dialog(*m_doc, object, this);
      return dialog.exec() == QDialog::Accepted;
    }
    case ObjectKind::kFrame: {
      CFrameDialog dialog(*m_doc, static_cast<CLCNFrame&>(object), this);
      return dialog.exec() == QDialog::Accepted;
    }
    default:
      return false;
  }
}

bool CMainFrame::editNewObject(CLCNObject* object) {
  switch (object->Kind()) {
    case ObjectKind::kString:
    case ObjectKind::kButton:
    case ObjectKind::kPicture:
    case ObjectKind::kXIcon:
      break;
    default:
      return true;  // created with default attributes
  }
  const bool kept = runAttributeDialog(*object);
  if (!kept) m_view->deleteSelection();
  showDocument();
  if (kept) m_view->selectOnly(object);
  return kept;
}

bool CMainFrame::editObject(CLCNObject* object) {
  if (object == nullptr) {
    CBackgroundDialog dialog(*m_doc, this);
    const bool changed = dialog.exec() == QDialog::Accepted;
    if (changed) {
      m_modified = true;
      showDocument();
    }
    return changed;
  }
  const bool changed = runAttributeDialog(*object);
  if (changed) {
    m_modified = true;
    showDocument();
    m_view->selectOnly(object);
  }
  return changed;
}

QString CMainFrame::helpFilePath() {
  char dir[KMSO_INSTDIR_SIZE] = {};
  KMSOGetInstDir(dir);
  const QString name = QStringLiteral("qelstart.html");
  if (dir[0] == '\0') return name;
  return QFile::decodeName(dir) + QLatin1Char('/') + name;
}

bool CMainFrame::openHelpAt(const QString& keyword) {
  return OpenHelp(helpFilePath() + QLatin1Char('#') + keyword);
}

bool CMainFrame::changeFont() {
  std::vector<LogFont*> fonts;
  for (CLCNObject* object : m_view->selection())
    if (LogFont* font = FontOfObject(*object)) fonts.push_back(font);
  if (fonts.empty()) return false;
  CFontAttributeDialog dialog(*fonts.front(), this);
  if (dialog.exec() != QDialog::Accepted) return false;
  const LogFont chosen = dialog.logFont();
  for (LogFont* font : fonts) *font = chosen;
  m_modified = true;
  m_view->objectsChanged();
  return true;
}

bool CMainFrame::changeColor() {
  std::vector<CLCNObject*> targets;
  for (CLCNObject* object : m_view->selection())
    if (ColorOfObject(*object) != nullptr) targets.push_back(object);
  if (targets.empty()) return false;
  CColorChoiceDialog dialog(*m_doc, *ColorOfObject(*targets.front()), this);
  if (dialog.exec() != QDialog::Accepted) return false;
  for (CLCNObject* object : targets) SetObjectColor(*object, dialog.chosenColor());
  m_modified = true;  // also the custom colours kept in the document
  m_view->objectsChanged();
  return true;
}

bool CMainFrame::saveMenuTo(const std::string& path) {
  const DocumentResult result = m_doc->Save(path);
  if (result.ok()) {
    m_menuPath = path;
    m_modified = false;
    addRecentFile(QFileInfo(NativePath(path)).absoluteFilePath());
    showDocument();
    return true;
  }
  if (!result.message.empty()) {
    std::string text = result.message;
    if (!result.detail.empty()) text += "\n" + result.detail;
    platform::ShowBox(ProgramBytes(kTextCaption), text, platform::BoxButtons::kOk,
                      platform::BoxIcon::kExclamation);
  } else {
    ShowText(kTextSaveFailed, path);
  }
  if (result.status == DocumentResult::kSaveAs) return saveMenuAs();
  return false;
}

bool CMainFrame::saveMenu() {
  if (m_menuPath.empty() || m_doc->reduced) return saveMenuAs();
  return saveMenuTo(m_menuPath);
}

bool CMainFrame::saveMenuAs() {
  // The document's own checks come first, so that nothing is asked in vain.
  const DocumentResult check = m_doc->CheckBeforeSave();
  if (!check.ok() && check.status != DocumentResult::kSaveAs) return saveMenuTo(m_menuPath);
  QString file = QFileDialog::getSaveFileName(this, QString(), QString(), ProgramText(kTextMenuFilter));
  if (file.isEmpty()) return false;
  if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".qlm");
  m_doc->reduced = false;
  return saveMenuTo(file.toLocal8Bit().toStdString());
}

void CMainFrame::applyPlacement() {
  const Placement& placement = m_doc->placement;
  if (placement.restore == 0) return;
  if (isMaximized()) showNormal();
  move(placement.left, placement.top);
  if (placement.width > 0 && placement.height > 0) resize(placement.width, placement.height);
  if (m_doc->maximized) showMaximized();
}

QStringList CMainFrame::recentFiles() {
  QSettings settings = LauncherSettings();
  settings.beginGroup(kRecentGroup);
  QStringList files;
  for (int i = 1; i <= kRecentFiles; ++i) {
    const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
    if (!file.isEmpty()) files.append(file);
  }
  return files;
}

void CMainFrame::addRecentFile(const QString& path) {
  QStringList files = recentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentFiles) files.removeLast();
  QSettings settings = LauncherSettings();
  settings.beginGroup(kRecentGroup);
  for (int i = 0; i < kRecentFiles; ++i) {
    const QString key = QStringLiteral("File%1").arg(i + 1);
    if (i < files.size()) {
      settings.setValue(key, files[i]);
    } else {
      settings.remove(key);
    }
  }
  settings.sync();
  updateRecentMenu();
}

void CMainFrame::updateRecentMenu() {
  const QStringList files = recentFiles();
  for (int i = 0; i < kRecentFiles; ++i) {
    QAction* action = m_recentActions[i];
    action->setVisible(i < files.size());
    if (i < files.size()) {
      action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]));
      action->setData(files[i]);
    }
  }
}

void CMainFrame::receiveMessages() {
  for (const ChainMessage& message : m_endpoint.Receive()) deliver(message);
}

void CMainFrame::deliver(const ChainMessage& message) {
  Trace(message);
  m_runner->Deliver(message);
}

void CMainFrame::ShowText(int textId, const std::string& insert) {
  ShowLauncherText(textId, insert);
}

bool CMainFrame::ConfirmCloseAll() {
  return ShowLauncherText(kTextEndPressed, {}, platform::BoxButtons::kOkCancel,
                          platform::BoxIcon::kInformation) == platform::kButtonOk;
}

void CMainFrame::CloseWindow() {
  m_closing = true;
  QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::RaiseWindow() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void CMainFrame::WaitingChanged(bool waiting) {
  if (waiting) {
    m_view->setCursor(Qt::WaitCursor);
    statusBar()->showMessage(ProgramText(kTextWaitingStatus));
  } else {
    m_view->unsetCursor();
    statusBar()->showMessage(IdleText());
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_mode == LaunchMode::kRun && !m_closing && !m_runner->RequestClose()) {
    event->ignore();
    return;
  }
  if (m_mode != LaunchMode::kRun && !mayDiscard()) {
    event->ignore();
    return;
  }
  m_tick.stop();
  event->accept();
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (m_mode == LaunchMode::kRun && key >= Qt::Key_F1 && key <= Qt::Key_F12 &&
      event->modifiers() == Qt::NoModifier) {
    m_runner->PressPfKey(static_cast<size_t>(key - Qt::Key_F1));
    return;
  }
  qel::gui::CMainFrame::keyPressEvent(event);
}

std::unique_ptr<CMainFrame> CreateLauncher(const std::vector<std::string>& items,
                                           const std::string& launcherPath, int& exitCode) {
  exitCode = 0;
  const CommandLine cl = ParseCommandLine(items);
  if (cl.invalid) {
    ShowLauncherText(kTextBadParameter, {}, platform::BoxButtons::kOk, platform::BoxIcon::kStop);
    exitCode = 1;
    return nullptr;
  }
  if (cl.end_at_once) return nullptr;
  LauncherState state;
  state.launcher_path = launcherPath;
  LaunchMode mode = cl.run ? LaunchMode::kRun
                           : (cl.menu_file.empty() ? LaunchMode::kDesignEmpty : LaunchMode::kDesignFile);
  std::string menu = cl.menu_file;
  if (cl.has_block) {
    StartBlock block;
    if (!block.Open(cl.block_name)) {
      ShowLauncherText(kTextMapFailed);
      exitCode = 1;
      return nullptr;
    }
    const StartBlockFields fields = block.Read();
    state.manager_value = fields.manager_value;
    state.parent_window = static_cast<pid_t>(fields.parent_window);
    state.root_window = static_cast<pid_t>(fields.root_window);
    menu = fields.menu_path;
    mode = fields.mode == kModeRun ? LaunchMode::kRun : LaunchMode::kDesignFile;
  } else if (cl.warn_missing_file) {
    ShowLauncherText(kTextBadParameter, {}, platform::BoxButtons::kOk,
                     platform::BoxIcon::kExclamation);
  }
  auto frame = std::make_unique<CMainFrame>(mode, std::move(state), menu);
  frame->setPrintOnOpen(cl.print);
  if (mode == LaunchMode::kRun && !frame->listening()) ShowLauncherText(kTextSocketFailed);
  return frame;
}

}  // namespace qel::launch::gui
