// The main window of qelrevise: CMainFrame with the menus "ﾌｧｲﾙ(&F)",
// "編集(&E)", "表示(&V)", the options menu and "ﾍﾙﾌﾟ(&H)", the tool bar, the
// status bar and the form CQelreviseView. The frame owns the program's one
// document; its caption is "ファイル更新", followed by " - " and the
// document's title when one is set.
#ifndef QEL_REVISE_QELREVISE_REVISE_FRAME_H_
#define QEL_REVISE_QELREVISE_REVISE_FRAME_H_

#include <QAction>
#include <QList>

#include "gui/main_frame.h"
#include "revise/qelrevise/revise_view.h"
#include "revise/revise_document.h"

namespace qel::revise::gui {

class CMainFrame : public qel::gui::CMainFrame {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);

  CQelreviseDoc& document() { return m_doc; }
  CQelreviseView* view() const { return m_view; }
  QAction* fileSettingsAction() const { return m_fileSettings; }
  QAction* closeFileAction() const { return m_closeFile; }
  QAction* exitAction() const { return m_exit; }
  QAction* copyRecordAction() const { return m_copyRecord; }
  QAction* firstRecordAction() const { return m_firstRecord; }
  QAction* lastRecordAction() const { return m_lastRecord; }
  QAction* toolBarAction() const { return m_toolBar; }
  QAction* statusBarAction() const { return m_statusBar; }
  QAction* specialOptionsAction() const { return m_specialOptions; }
  QAction* copyAction() const { return m_copy; }
  QAction* pasteAction() const { return m_paste; }
  QList<QAction*> helpActions() const { return m_help; }
  QAction* aboutAction() const { return m_about; }

  // The help file: "qelrevise.html" in the installation directory (the name
  // alone when the directory is unknown).
  static QString helpFilePath();

 public slots:
  // Enables the commands for the document's state.
  void updateCommands();
  void openHelpFile(int context);
  void showAbout();
  void setTitle(const QString& title);

 protected:
  // Closes an open file first; a close error is shown.
  void closeEvent(QCloseEvent* event) override;

 private:
  CQelreviseDoc m_doc;
  CQelreviseView* m_view;
  QAction* m_fileSettings;
  QAction* m_closeFile;
  QAction* m_exit;
  QAction* m_copyRecord;
  QAction* m_firstRecord;
  QAction* m_lastRecord;
  QAction* m_toolBar;
  QAction* m_statusBar;
  QAction* m_specialOptions;
  QAction* m_copy;
  QAction* m_paste;
  QList<QAction*> m_help;
  QAction* m_about;
};

}  // namespace qel::revise::gui

#endif  // QEL_REVISE_QELREVISE_REVISE_FRAME_H_
