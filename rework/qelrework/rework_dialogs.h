// The dialogs of qelrework. Each one only moves values between its widgets
// and the ZovozEditor: it hands over what was typed or picked, shows the
// message the editor answers through the message library (KMSOErrmsgout,
// log "RWORK") and moves the focus to the field at fault, staying open.
// Texts typed are CP932 at the editor; file names are the bytes of the
// system's file-name encoding.
#ifndef QEL_REWORK_QELREWORK_REWORK_DIALOGS_H_
#define QEL_REWORK_QELREWORK_REWORK_DIALOGS_H_

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rework/qelrework/zovoz_editor.h"

namespace qel::rework::gui {

// Shows the editor's answer as a message box (nothing for an empty answer)
// and returns the button pressed.
int showAnswer(const Answer& answer);
// Asks the question of string `text_id` with OK and Cancel; true for OK.
bool askOkCancel(QWidget* parent, unsigned text_id);
// Answers the questions instead of showing them (tests); empty: shown.
using QuestionAnswerer = std::function<bool(const QString& question)>;
void setQuestionAnswerer(QuestionAnswerer answerer);

// CP932 of typed text (its UTF-8 bytes when a character has no CP932 form,
// which the checks then refuse), and the other way round for showing.
std::string cp932Of(const QString& text);
QString textOf(const std::string& cp932);
// A file name typed or picked, as the system's bytes, and back.
std::string fileNameOf(const QString& text);
QString fileNameText(const std::string& name);
// The text of item `item` of the input (output) layout in the item boxes:
// "#n name", or "#E" and the place of an undefined name.
QString itemReference(const ZovozEditor& editor, int item, bool output);
// The names of an edit entry's items ("input → output"), its tool tip.
QString entryToolTip(const CZovozDoc& doc, const EditEntry& entry);
// The font of the lists: fixed pitch, so that list lines line up.
QFont fixedFont(const QFont& base);
// Qt's filter list of a browse filter written "text|pattern|...||".
QStringList qtFilters(const QString& filter);
// A browse dialog titled and filtered from the string table.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, unsigned title_id,
                                            unsigned filter_id, bool save);

// "入出力ファイルの設定": four names in the edit form, three in the selection
// form.
class CFileDlg : public QDialog {
  Q_OBJECT
 public:
  CFileDlg(ZovozEditor& editor, QWidget* parent = nullptr);
  int fieldCount() const { return static_cast<int>(m_edits.size()); }
  QLineEdit* nameEdit(int field) const { return m_edits[field - 1]; }
  QPushButton* browseButton(int field) const { return m_browse[field - 1]; }
  QPushButton* okButton() const { return m_ok; }
  std::unique_ptr<QFileDialog> makeBrowseDialog(int field);
 public slots:
  void accept() override;
  void browse(int field);

 private:
  ZovozEditor& m_editor;
  std::vector<QLineEdit*> m_edits;
  std::vector<QPushButton*> m_browse;
  QPushButton* m_ok;
};

// "複数比較条件の設定": up to ten comparison values.
class CMultiCompDlg : public QDialog {
  Q_OBJECT
 public:
  CMultiCompDlg(ZovozEditor& editor, const std::vector<QString>& values,
                QWidget* parent = nullptr);
  QLineEdit* valueEdit(int i) const { return m_edits[i]; }
  QComboBox* itemCombo() const { return m_combo; }
  // The non-empty values in box order.
  std::vector<QString> values() const;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<QLineEdit*> m_edits;
  QComboBox* m_combo;
  int m_current = 0;
};

// "選択条件定義": the conditions, edited on a copy and stored on OK.
class CSelCondDlg : public QDialog {
  Q_OBJECT
 public:
  CSelCondDlg(ZovozEditor& editor, QWidget* parent = nullptr, int select = -1);
  QLineEdit* keyEdit() const { return m_keyEdit; }
  QComboBox* keyCombo() const { return m_keyCombo; }
  QComboBox* operatorCombo() const { return m_opCombo; }
  QLineEdit* comparisonEdit() const { return m_compEdit; }
  QComboBox* comparisonCombo() const { return m_compCombo; }
  QPushButton* registerButton() const { return m_register; }
  QPushButton* deleteButton() const { return m_delete; }
  QPushButton* copyButton() const { return m_copy; }
  QPushButton* severalButton() const { return m_several; }
  QListWidget* conditionList() const { return m_list; }
  QLineEdit* expressionEdit() const { return m_expr; }
  QPushButton* okButton() const { return m_ok; }
  const std::vector<ConditionDraft>& conditions() const { return m_conditions; }
  // Values set through the several-comparisons dialog for the next register.
  void setSeveralValues(const std::vector<QString>& values);

 public slots:
  void accept() override;
  void registerCondition();
  void deleteCondition();
  void copyCondition();
  void editSeveral();

 private:
  void refresh();
  QString valueText(const Comparison& value) const;
  void focusField(const Answer& answer);

  ZovozEditor& m_editor;
  std::vector<ConditionDraft> m_conditions;
  std::vector<QString> m_severalValues;
  QLineEdit* m_keyEdit;
  QComboBox* m_keyCombo;
  QComboBox* m_opCombo;
  QLineEdit* m_compEdit;
  QComboBox* m_compCombo;
  QPushButton* m_register;
  QPushButton* m_delete;
  QPushButton* m_copy;
  QPushButton* m_several;
  QListWidget* m_list;
  QLineEdit* m_expr;
  QPushButton* m_ok;
};

// "定数指定": the constant for the output item picked in the main view.
class CConstDlg : public QDialog {
  Q_OBJECT
 public:
  CConstDlg(ZovozEditor& editor, int destination, QWidget* parent = nullptr);
  QLineEdit* constantEdit() const { return m_edit; }
  QLineEdit* destinationEdit() const { return m_destination; }
 public slots:
  void accept() override;

 private:
  ZovozEditor& m_editor;
  QLineEdit* m_edit;
  QLineEdit* m_destination;
};

// "編集オプションの設定".
class CEditOptDlg : public QDialog {
  Q_OBJECT
 public:
  CEditOptDlg(ZovozEditor& editor, QWidget* parent = nullptr);
  QRadioButton* appointedButton() const { return m_appointed; }
  QRadioButton* sameNameButton() const { return m_sameName; }
  QRadioButton* copyNoButton() const { return m_copyNo; }
  QRadioButton* copyYesButton() const { return m_copyYes; }
 public slots:
  void accept() override;

 private:
  ZovozEditor& m_editor;
  QRadioButton *m_appointed, *m_sameName, *m_copyNo, *m_copyYes;
};

// "メタキャラクタの指定".
class CMetaCharDlg : public QDialog {
  Q_OBJECT
 public:
  CMetaCharDlg(ZovozEditor& editor, QWidget* parent = nullptr);
  QLineEdit* anyStringEdit() const { return m_all; }
  QLineEdit* anyOneEdit() const { return m_one; }
 public slots:
  void accept() override;

 private:
  ZovozEditor& m_editor;
  QLineEdit* m_all;
  QLineEdit* m_one;
};

// "特殊オプションの設定".
class CSpecialOptDlg : public QDialog {
  Q_OBJECT
 public:
  CSpecialOptDlg(ZovozEditor& editor, QWidget* parent = nullptr);
  QCheckBox* bigEndianBox() const { return m_big; }
  QCheckBox* blankWhenZeroBox() const { return m_blank; }
 public slots:
  void accept() override;

 private:
  ZovozEditor& m_editor;
  QCheckBox* m_big;
  QCheckBox* m_blank;
};

// "編集項目": the edit entries; deletions take effect with "終了".
class CEditItemDlg : public QDialog {
  Q_OBJECT
 public:
  CEditItemDlg(ZovozEditor& editor, QWidget* parent = nullptr);
  QListWidget* entryList() const { return m_list; }
  QPushButton* endButton() const { return m_end; }
  QPushButton* deleteButton() const { return m_delete; }
  QPushButton* cancelButton() const { return m_cancel; }
 public slots:
  void accept() override;
  void deleteSelected();

 private:
  ZovozEditor& m_editor;
  std::vector<int> m_places;  // list row -> place in the edit list
  std::vector<int> m_removed;
  QListWidget* m_list;
  QPushButton *m_end, *m_delete, *m_cancel;
};

// "入力手順ファイルを開く": the name only; the frame opens the file.
class COpenProcDlg : public QDialog {
  Q_OBJECT
 public:
  explicit COpenProcDlg(QWidget* parent = nullptr);
  QLineEdit* nameEdit() const { return m_edit; }
  QPushButton* browseButton() const { return m_browse; }
  std::string path() const { return fileNameOf(m_edit->text()); }
  std::unique_ptr<QFileDialog> makeBrowseDialog();
 public slots:
  void accept() override;
  void browse();

 private:
  QLineEdit* m_edit;
  QPushButton* m_browse;
};

// "編集パラメタエラー更新": corrects the entry of one edit fault.
class CEditErrUpdDlg : public QDialog {
  Q_OBJECT
 public:
  CEditErrUpdDlg(ZovozEditor& editor, const EditFault& fault, QWidget* parent = nullptr);
  QLineEdit* inputEdit() const { return m_input; }
  QComboBox* inputCombo() const { return m_inputCombo; }
  QLineEdit* constantEdit() const { return m_constant; }
  QLineEdit* outputEdit() const { return m_output; }
  QComboBox* outputCombo() const { return m_outputCombo; }
  QLabel* faultLabel() const { return m_fault; }
 public slots:
  void accept() override;

 private:
  ZovozEditor& m_editor;
  int m_entry;
  QLineEdit *m_input, *m_constant, *m_output;
  QComboBox *m_inputCombo, *m_outputCombo;
  QLabel* m_fault;
};

// "パラメタエラー一覧": the faults of the last check.
class CParamErrDlg : public QDialog {
  Q_OBJECT
 public:
  CParamErrDlg(ZovozEditor& editor, QWidget* parent = nullptr);
  QListWidget* selectionList() const { return m_selList; }
  QListWidget* editList() const { return m_editList; }
  QPushButton* correctSelectionButton() const { return m_correctSel; }
  QPushButton* correctEditButton() const { return m_correctEdit; }
  QPushButton* deleteEntryButton() const { return m_deleteEntry; }
  QPushButton* checkButton() const { return m_check; }
  QPushButton* endButton() const { return m_end; }

 public slots:
  void correctSelection();
  void correctEdit();
  void deleteEntry();
  void checkAgain();
  void reject() override;

 private:
  void refresh();

  ZovozEditor& m_editor;
  bool m_uncheckedChanges = false;
  QListWidget *m_selList, *m_editList;
  QPushButton *m_correctSel, *m_correctEdit, *m_deleteEntry, *m_check, *m_end;
};

// "実行結果": the counts of a completed run.
class CRunResultDlg : public QDialog {
  Q_OBJECT
 public:
  CRunResultDlg(long long read, long long written, QWidget* parent = nullptr);
  QString readText() const { return m_read->text(); }
  QString writtenText() const { return m_written->text(); }

 private:
  QLabel *m_read, *m_written;
};

// Called with every dialog of this file once it is shown modally (tests);
// empty: none.
void setDialogObserver(std::function<void(QDialog&)> observer);
// Runs `dialog` modally, telling the observer first.
int execDialog(QDialog& dialog);

}  // namespace qel::rework::gui

#endif  // QEL_REWORK_QELREWORK_REWORK_DIALOGS_H_
