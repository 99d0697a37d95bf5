// CMainFrame: the main window every window program builds on: menu bar,
// tool bar, status bar with the prompt of the command under the pointer,
// the About box and the help window.
//
// A command's texts come from the program's string table under the
// command's id: "prompt\ntool tip" (the prompt shows in the status bar, the
// tool tip over the tool-bar button); a text without "\n" is the prompt and
// the tool tip both.
#ifndef QEL_GUI_MAIN_FRAME_H_
#define QEL_GUI_MAIN_FRAME_H_

#include <QAction>
#include <QColor>
#include <QIcon>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QToolBar>
#include <functional>

#include "gui/help_window.h"

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

  // Opens the program's help window at the page of `topic` of the help
  // whose contents page is `path` (HelpPagePath; a Windows help file name
  // stands for the HTML page of the same name; "page.html#name" opens the
  // contents at a section, for a dialog's help button). A missing page or one that
  // cannot be shown gives an exclamation box naming it, and false.
  // Called from a command of the Help menu (the menu bar's last menu, which
  // lists contents, keyword search and using help first), `topic` is taken
  // from the command's place in that menu, so that a frame connecting all
  // three commands to one slot still opens the right page.
  bool OpenHelp(const QString& path, HelpTopic topic = HelpTopic::kContents);

  // The help window, once a help command has opened it (else null).
  CHelpWindow* HelpWindow() const { return help_window_; }

  // How a help page is opened (tests): called with the page's path; the
  // default shows it in the help window.
  using HelpOpener = std::function<bool(const QString& path)>;
  static void SetHelpOpener(HelpOpener opener);

 private:
  HelpTopic TopicOfSender(HelpTopic topic);

  QString caption_;
  QToolBar* tool_bar_;
  QPointer<CHelpWindow> help_window_;
};

// Splits a command text "prompt\ntool tip".
struct CommandTexts {
  QString prompt;
  QString tool_tip;
};
CommandTexts SplitCommandText(const QString& text);

// A drawn tool-bar picture, 24 pixels square: a frame in `color` around a
// few letters, so that no picture file has to be found at run time.
QIcon LetterIcon(const QString& letters, const QColor& color, int pixel_size = 10);

}  // namespace qel::gui

#endif  // QEL_GUI_MAIN_FRAME_H_
