// The main window of qelstart: CMainFrame with the menu view of the open
// menu document. In design mode the view edits the document (create menu
// with the nine tools, edit menu, saving with the document's checks, the
// save question on close). In run mode it hosts the menu's runner: it shows the
// runner's texts, listens for the chain's window messages on the menu's
// socket, polls every 500 ms (when QELSTART_TRACE names a file, every
// message received is appended to it as "pid message wparam") and turns F1..F12, the input area and the
// buttons into runner calls. Without run mode it shows the menu only.
#ifndef QEL_LAUNCH_QELSTART_START_FRAME_H_
#define QEL_LAUNCH_QELSTART_START_FRAME_H_

#include <QAction>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "gui/main_frame.h"
#include "launch/chain_socket.h"
#include "launch/command_line.h"
#include "launch/menu_runner.h"
#include "launch/menu_design_view.h"
#include "platform/ui_hooks.h"

namespace qel::launch::gui {

// The number of entries of the recent-file list.
inline constexpr int kRecentFiles = 4;

class CMainFrame : public qel::gui::CMainFrame, public RunHost {
  Q_OBJECT

 public:
  // `state` names this menu's place in the chain; `menuPath` the menu file
  // (from the command line or the start block).
  CMainFrame(LaunchMode mode, LauncherState state, std::string menuPath,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  CQelstartDoc& document() { return *m_doc; }
  CMenuDesignView* view() const { return m_view; }
  MenuRunner& runner() { return *m_runner; }
  LaunchMode mode() const { return m_mode; }
  // True once the menu's window messages can reach it.
  bool listening() const { return m_endpoint.fd() >= 0; }

  // Registers with the parent (2042) and posts 2239 to open the menu; call
  // once the window is shown.
  void startUp();
  // "/P": the named menu is printed once it is open, on the default printer,
  // or, where there is none, into a PDF file beside the menu.
  void setPrintOnOpen(bool print) { m_printOnOpen = print; }
  // Prints the open menu as above; the file or printer name, empty on failure.
  QString printMenu();
  // Opens the menu named at start (2239). False when the window closes.
  bool openNamedMenu();
  // Opens `path` as the menu shown; false (with its message) when it cannot.
  bool openMenu(const std::string& path);

  // Design mode: saves under the menu's name (Save As when it has none or
  // is a reduced menu); false when the checks or the write refused it.
  bool saveMenu();
  bool saveMenuAs();
  bool saveMenuTo(const std::string& path);
  bool modified() const { return m_modified; }
  // Design mode: opens the one file of a drop; more files are refused.
  void openDroppedFiles(const QList<QUrl>& urls);
  // Design mode: a new, empty menu.
  void newMenu();
  // Design mode: the attribute dialog a new object opens (text, push button,
  // picture, icon); false when it was cancelled and the object removed.
  bool editNewObject(CLCNObject* object);
  // Design mode: the attribute dialog of an existing object (text, push
  // button, PF-key entry, picture, icon, line and rectangle, frame) or, for
  // null, the background colour; true when it changed the document.
  bool editObject(CLCNObject* object);

  // Design mode: the font command ("文字属性") for the selected texts,
  // buttons, icons and PF-key entries, and the colour command (the colour
  // dialog with the document's 16 custom colours) for the selected objects
  // that carry a colour; false when nothing fitting is selected or the
  // dialog was cancelled.
  bool changeFont();
  bool changeColor();
  // The help file, qelstart.html in the installation directory, and the
  // help commands opening it at a keyword ("コマンド", "キーボード").
  static QString helpFilePath();
  bool openHelpAt(const QString& keyword);

  // The recent-file list (most recent first), kept under the launcher's key.
  static QStringList recentFiles();

  // RunHost.
  void ShowText(int textId, const std::string& insert = {}) override;
  bool ConfirmCloseAll() override;
  void CloseWindow() override;
  void RaiseWindow() override;
  void WaitingChanged(bool waiting) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Design mode: one menu file dropped on the window opens it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void receiveMessages();
  void deliver(const ChainMessage& message);
  void addRecentFile(const QString& path);
  void updateRecentMenu();
  void applyPlacement();
  void buildDesignMenus();
  // A modified menu asks "%1 を保存しますか?": true for No, or Yes and saved.
  bool mayDiscard();
  void showDocument();
  // The attribute dialog of `object`'s kind; true when it was accepted.
  bool runAttributeDialog(CLCNObject& object);

  LaunchMode m_mode;
  std::string m_menuPath;
  std::unique_ptr<CQelstartDoc> m_doc;
  CMenuDesignView* m_view;
  std::unique_ptr<MenuRunner> m_runner;
  ChainEndpoint m_endpoint;
  QSocketNotifier* m_notifier = nullptr;
  QTimer m_tick;
  QMenu* m_fileMenu = nullptr;
  QList<QAction*> m_recentActions;
  bool m_closing = false;
  bool m_printOnOpen = false;
  bool m_modified = false;
};

// Builds the launcher from its command-line items (without the program
// name): null with `exitCode` set when the program ends at once (invalid
// parameters, a start block that cannot be mapped, "/P" without a file).
// `launcherPath` is the program started for child menus.
std::unique_ptr<CMainFrame> CreateLauncher(const std::vector<std::string>& items,
                                           const std::string& launcherPath, int& exitCode);

// Lets SIGTERM, SIGINT and SIGHUP end the event loop, so that the main
// window's owner can destroy it and the chain's names (socket, start blocks,
// temporary files) are removed as on a normal close. Call once, after the
// QApplication is made.
void QuitOnTerminationSignals();

// The box of a launcher text (plain text, no message id) through the
// message presenter; `insert` fills "%s" or "%u".
int ShowLauncherText(int textId, const std::string& insert = {},
                     platform::BoxButtons buttons = platform::BoxButtons::kOk,
                     platform::BoxIcon icon = platform::BoxIcon::kExclamation);

}  // namespace qel::launch::gui

#endif  // QEL_LAUNCH_QELSTART_START_FRAME_H_
