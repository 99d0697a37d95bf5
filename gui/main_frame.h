// CMainFrame: the main window every window program builds on: menu bar,
// tool bar, status bar with the prompt of the command under the pointer,
// the About box and the help file.
//
// A command's texts come from the program's string table under the
// command's id: "prompt\ntool tip" (the prompt shows in the status bar, the
// tool tip over the tool-bar button); a text without "\n" is the prompt and
// the tool tip both.
#ifndef QEL_GUI_MAIN_FRAME_H_
#define QEL_GUI_MAIN_FRAME_H_

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QString>
#include <QToolBar>
#include <functional>

namespace qel::gui {

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // `caption` is the program's name, also the caption of its boxes.
  explicit CMainFrame(const QString& caption, QWidget* parent = nullptr);

  QMenu* AddMenu(const QString& title);
  QToolBar* ToolBar() const { return tool_bar_; }

  // A command in `menu` (and on the tool bar when `icon` is not null), its
  // prompt and tool tip from string `id`.
  QAction* AddCommand(QMenu* menu, unsigned id, const QString& label,
                      const QKeySequence& shortcut = {}, const QIcon& icon = {});

  // The status bar's text while no prompt is shown.
  QString IdleText() const;

  // Modal About box with the program's caption.
  void ShowAbout(const QString& text);

  // Opens the help file; a missing file or one that cannot be opened gives
  // an exclamation box naming it, and false.
  bool OpenHelp(const QString& path);

  // How the help file is opened (tests); the default asks the desktop.
  using HelpOpener = std::function<bool(const QString& path)>;
  static void SetHelpOpener(HelpOpener opener);

 private:
  QString caption_;
  QToolBar* tool_bar_;
};

// Splits a command text "prompt\ntool tip".
struct CommandTexts {
  QString prompt;
  QString tool_tip;
};
CommandTexts SplitCommandText(const QString& text);

}  // namespace qel::gui

#endif  // QEL_GUI_MAIN_FRAME_H_
