// CHelpWindow: the program's help inside the program. A window with a
// QTextBrowser showing the HTML help pages of the installation directory,
// and buttons for the contents, the index, back, forward and the page on
// using help; no browser is needed.
//
// The help of program P lies in the installation directory as
//   P.html          contents: every dialog and field, the messages
//   P_index.html    index: keywords in あいうえお order, linked into P.html
//   help_usage.html using help (shared by the programs)
// A Windows help file name ("QELREVISE.HLP") stands for the contents page of
// the same name ("qelrevise.html").
#ifndef QEL_GUI_HELP_WINDOW_H_
#define QEL_GUI_HELP_WINDOW_H_

#include <QPushButton>
#include <QString>
#include <QTextBrowser>
#include <QWidget>

namespace qel::gui {

// The page of a help command.
enum class HelpTopic {
  kContents,  // "目次"
  kIndex,     // "キーワードで検索"
  kUsing,     // "ヘルプの使い方"
};

// The page of `topic` for the help whose contents page (or Windows help
// file) is `help_path`. A place in the contents named as "page.html#name"
// (a dialog's own section) is kept for kContents. Pure path arithmetic; the
// file may not exist.
QString HelpPagePath(const QString& help_path, HelpTopic topic);

// The file of a help page, without its "#name".
QString HelpPageFile(const QString& page);

class CHelpWindow : public QWidget {
  Q_OBJECT

 public:
  // `caption` is the program's name; the window's title is made from it.
  explicit CHelpWindow(const QString& caption, QWidget* parent = nullptr);

  // Shows the page of `topic` of the help whose contents page (or Windows
  // help file) is `help_path`; the window's buttons then lead to the pages
  // of that help. False, showing nothing new, when the page cannot be read.
  bool ShowHelp(const QString& help_path, HelpTopic topic);

  QTextBrowser* browser() const { return m_browser; }
  QPushButton* contentsButton() const { return m_contents; }
  QPushButton* indexButton() const { return m_index; }
  QPushButton* usingButton() const { return m_using; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool showFile(const QString& page);

  QString m_contentsPath;
  QTextBrowser* m_browser;
  QPushButton* m_contents;
  QPushButton* m_index;
  QPushButton* m_back;
  QPushButton* m_forward;
  QPushButton* m_using;
  QPushButton* m_close;
};

}  // namespace qel::gui

#endif  // QEL_GUI_HELP_WINDOW_H_
