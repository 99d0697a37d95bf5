// The main window of qelrework: CMainFrame with the menus of the program's
// form (edit menu or selection menu), tool bar and status bar, over the
// view CZovozView. The view lists the input record's items (CZovozVw1) and,
// in the edit form, the output record's items (CZovozVw6) and the edit
// entries; an entry is built by activating an output item and then an input
// item, or the constant command. The frame owns the program's one editor.
#ifndef QEL_REWORK_QELREWORK_REWORK_FRAME_H_
#define QEL_REWORK_QELREWORK_REWORK_FRAME_H_

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <map>
#include <string>

#include "gui/main_frame.h"
#include "rework/qelrework/zovoz_editor.h"

namespace qel::rework::gui {

// The input record's items, one line per item, indented by level.
class CZovozVw1 : public QListWidget {
  Q_OBJECT
 public:
  explicit CZovozVw1(QWidget* parent = nullptr);
};

// The output record's items.
class CZovozVw6 : public QListWidget {
  Q_OBJECT
 public:
  explicit CZovozVw6(QWidget* parent = nullptr);
};

class CZovozView : public QWidget {
  Q_OBJECT
 public:
  CZovozView(ZovozEditor& editor, QWidget* parent = nullptr);
  CZovozVw1* inputList() const { return m_input; }
  CZovozVw6* outputList() const { return m_output; }
  QListWidget* entryList() const { return m_entries; }
  QListWidget* conditionList() const { return m_conditions; }
  QPushButton* constantButton() const { return m_constant; }

 public slots:
  // Rebuilds every list from the editor; a memory failure shows KRWN3000
  // and ends the program.
  void refresh();
  // Algorithm of the edit entries: an output item, then an input item or a
  // constant (item numbers are 1-based).
  void pickOutput(int item);
  void pickInput(int item);
  void addConstant();

 signals:
  void changed();

 private:
  void fillLists();

  ZovozEditor& m_editor;
  CZovozVw1* m_input;
  CZovozVw6* m_output;
  QListWidget* m_entries;
  QListWidget* m_conditions;
  QPushButton* m_constant;
};

class CMainFrame : public qel::gui::CMainFrame {
  Q_OBJECT
 public:
  explicit CMainFrame(int form, QWidget* parent = nullptr);

  ZovozEditor& editor() { return m_editor; }
  CZovozView* view() const { return m_view; }
  // The command of number `id` (rework_texts.h), or null when the form's
  // menus have none.
  QAction* command(unsigned id) const;

  static QString helpFilePath();

 public slots:
  void editFiles();
  void openProcedure();
  // Opens `path` after the close question (false when refused or failed).
  bool openProcedureFile(const std::string& path);
  void save();
  void saveAs();
  bool saveTo(const std::string& path);
  void checkProcedure();
  void runProcedure();
  void editConditions();
  void editOptions();
  void editMetacharacters();
  void editSpecialOptions();
  void showEditList();
  void openHelpFile();
  void showAbout();
  // Enables and disables the commands by the document's state.
  void updateCommands();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QAction* add(QMenu* menu, unsigned id, unsigned label, void (CMainFrame::*slot)(),
               bool tool = false);
  void showFaults();

  ZovozEditor m_editor;
  CZovozView* m_view;
  std::map<unsigned, QAction*> m_commands;
};

}  // namespace qel::rework::gui

#endif  // QEL_REWORK_QELREWORK_REWORK_FRAME_H_
