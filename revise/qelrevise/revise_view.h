// CQelreviseView: the form of qelrevise. It shows the item list of the
// document and the key and value fields, and drives the document's
// operations from its controls.
//
// Conventions:
// 1. Every change of a control's state or content goes through FormEvent():
//    a handler calls the document and then sends the form events its result
//    asks for. Nothing else touches the widgets.
// 2. Texts go to the document as CP932 (gui/qt_text.h); a character without
//    a CP932 form is refused with the message of the field's check.
// 3. Messages are shown through the message library (KMSOErrmsgout under
//    "qelrevise"); the focus then goes to the control the document names.
#ifndef QEL_REVISE_QELREVISE_REVISE_VIEW_H_
#define QEL_REVISE_QELREVISE_REVISE_VIEW_H_

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>

#include "revise/revise_document.h"

namespace qel::revise::gui {

// The form events, numbered as the form knows them.
enum class FormEvent {
  kReset = 1,
  kBuildList,
  kBuildSelectedList,
  kInputDisplay,
  kRecordDisplay,
  kCopyDisplay,
  kLineRefresh,
  kClear,
  kAllKeys,
  kPrimaryKey,
  kButtonOn,
  kButtonOff,
  kKeyGroupOn,
  kKeyGroupOff,
  kKeyEntryOn,
  kKeyEntryOff,
  kModeOn,
  kModeOff,
  kKeyText,
  kModeRadios,
  kLineUp,
  kLineDown,
  kCopy,
  kPaste,
  kClearValues,
  kForgetLines,
  kOpenState,
};

// The buttons of kButtonOn and kButtonOff.
enum class FormButton { kClose, kDelete, kPrevious, kNext, kRegister };

// The list's horizontal extent, in pixels.
inline constexpr int kListExtent = 3650;
// Limits of the key field.
inline constexpr int kKeyFieldLimit = 512;
inline constexpr int kRecordNumberLimit = 10;

class CQelreviseView : public QWidget {
  Q_OBJECT

 public:
  explicit CQelreviseView(CQelreviseDoc& doc, QWidget* parent = nullptr);

  // Changes the form; `arg` is the FormButton of kButtonOn/kButtonOff, the
  // line of kLineRefresh, and for kKeyGroupOn whether the key list button is
  // enabled too.
  void formEvent(FormEvent event, int arg = 0);

  // The commands of the frame.
  void fileSettings();  // KVWN2011 when a file is open, the dialog, the form
  void closeFile();     // closes the file, shows a close error, resets
  void fetchRecord(int kind);
  void copyRecord();
  void specialOptions();
  void keyList();
  bool canFetchEnds() const;  // first and last record
  bool canCopy() const;

  // The last settings OK'd in the file settings dialog.
  const FileSettings& lastSettings() const { return m_settings; }

  // Called with every dialog of the form before it runs (tests); empty: none.
  using DialogObserver = std::function<void(QDialog&)>;
  static void setDialogObserver(DialogObserver observer);

  // The controls, for the frame and the tests.
  QGroupBox* modeGroup() const { return m_modeGroup; }
  QRadioButton* updateRadio() const { return m_update; }
  QRadioButton* inputRadio() const { return m_input; }
  QComboBox* keyTypeBox() const { return m_keyType; }
  QPushButton* keyListButton() const { return m_keyList; }
  QLabel* keyLabel() const { return m_keyLabel; }
  QLineEdit* keyField() const { return m_keyField; }
  QPushButton* displayButton() const { return m_display; }
  QPushButton* closeButton() const { return m_close; }
  QPushButton* deleteButton() const { return m_delete; }
  QPushButton* previousButton() const { return m_previous; }
  QPushButton* nextButton() const { return m_next; }
  QPushButton* registerButton() const { return m_register; }
  QPushButton* helpButton() const { return m_help; }
  QLabel* typeCaption() const { return m_caption; }
  QLineEdit* counter() const { return m_counter; }
  QLineEdit* entryField() const { return m_entry; }
  QListWidget* itemList() const { return m_list; }
  int selectedLine() const { return m_line; }

 signals:
  // The document's title changed (empty when none).
  void titleChanged(const QString& title);
  // Something the frame's commands depend on changed.
  void stateChanged();
  void helpRequested(int context);

 private:
  void modeInput(bool checked);
  void modeUpdate(bool checked);
  void keyTypeChosen(int index);
  void keyFieldChanged(const QString& text);
  void entryFieldChanged(const QString& text);
  void lineChanged(int row);
  void lineDoubleClicked(QListWidgetItem* item);
  void display();
  void registerRecord();
  void deleteRecord();

  // After an open or the end of item selection: the list and key entry.
  void setUpKeyEntry(bool selected_list);
  // Commits the entry field to the selected line; false (message shown,
  // focus in the entry field) when the value is refused.
  bool commitEntry();
  // Shows line m_line's value, caption and counter in the entry field.
  void showLine();
  void showLines();
  bool anyEntered() const;
  void setButton(FormButton button, bool on);
  void focusOn(Focus focus);
  int runDialog(QDialog& dialog);

  CQelreviseDoc& m_doc;
  FileSettings m_settings;
  int m_line = -1;         // the selected line, -1 when none
  int m_keyIndex = -1;     // the key-type box's entry before a change
  QLineEdit* m_lastField;  // the key or entry field that last had the focus

  QGroupBox* m_modeGroup;
  QRadioButton* m_update;
  QRadioButton* m_input;
  QLabel* m_keyTypeLabel;
  QComboBox* m_keyType;
  QPushButton* m_keyList;
  QLabel* m_keyLabel;
  QLineEdit* m_keyField;
  QPushButton* m_display;
  QPushButton* m_close;
  QPushButton* m_delete;
  QPushButton* m_previous;
  QPushButton* m_next;
  QPushButton* m_register;
  QPushButton* m_help;
  QLabel* m_caption;
  QLineEdit* m_counter;
  QLineEdit* m_entry;
  QListWidget* m_list;

  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qel::revise::gui

#endif  // QEL_REVISE_QELREVISE_REVISE_VIEW_H_
