// The attribute dialogs of design mode that a new text and a new push button
// open: they move values between their fields and the object and show the
// failures of the document's checks through the message presenter.
#ifndef QEL_LAUNCH_QELSTART_DESIGN_DIALOGS_H_
#define QEL_LAUNCH_QELSTART_DESIGN_DIALOGS_H_

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include "launch/menu_design.h"
#include "launch/menu_document.h"
#include "launch/menu_objects.h"

namespace qel::launch::gui {

// "文字": the text of a CLCNString.
class CTextDialog : public QDialog {
  Q_OBJECT

 public:
  CTextDialog(CLCNString& text, QWidget* parent = nullptr);
  QLineEdit* textField() const { return m_text; }
  void accept() override;

 private:
  CLCNString& m_object;
  QLineEdit* m_text;
};

// "プッシュボタン": title (126 characters), menu number (empty or 0 to
// 32767), end button, program file and parameters (128 characters each,
// with their browse buttons), wait and iconise. The end button disables the
// file, parameter and start-option fields; OK needs a title and either the
// end button or a file.
class CButtonDialog : public QDialog {
  Q_OBJECT

 public:
  CButtonDialog(CLCNButton& button, QWidget* parent = nullptr);
  QLineEdit* titleField() const { return m_title; }
  QLineEdit* numberField() const { return m_number; }
  QLineEdit* fileField() const { return m_file; }
  QLineEdit* parametersField() const { return m_parameters; }
  QCheckBox* endBox() const { return m_end; }
  QCheckBox* waitBox() const { return m_wait; }
  QPushButton* okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }
  void accept() override;

 private:
  void updateEnabling();

  CLCNButton& m_object;
  QLineEdit* m_title;
  QLineEdit* m_number;
  QCheckBox* m_end;
  QLineEdit* m_file;
  QPushButton* m_fileBrowse;
  QLineEdit* m_parameters;
  QPushButton* m_parametersBrowse;
  QCheckBox* m_wait;
  QCheckBox* m_iconic;
  QDialogButtonBox* m_buttons;
};

// "ＰＦキー割り当て": a fixed function ("終了", "初画面", "前画面",
// "コマンドライン"), or a button chosen from the menu's button titles (first
// entry empty) with the entry's title. Without a fixed function OK needs a
// button and a title, or neither.
class CPfKeyDialog : public QDialog {
  Q_OBJECT

 public:
  CPfKeyDialog(CLCNPfKey& key, const std::vector<std::string>& buttonTitles,
               QWidget* parent = nullptr);
  QCheckBox* fixedBox() const { return m_fixed; }
  QComboBox* functionList() const { return m_function; }
  QComboBox* buttonList() const { return m_button; }
  QLineEdit* titleField() const { return m_title; }
  QPushButton* okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }
  void accept() override;

 private:
  void updateEnabling();

  CLCNPfKey& m_object;
  QCheckBox* m_fixed;
  QComboBox* m_function;
  QComboBox* m_button;
  QLineEdit* m_title;
  QDialogButtonBox* m_buttons;
};

// "背景色": the 16 named colours and "非表示" (no background colour set).
class CBackgroundDialog : public QDialog {
  Q_OBJECT

 public:
  CBackgroundDialog(CQelstartDoc& doc, QWidget* parent = nullptr);
  QComboBox* colorList() const { return m_colors; }
  void accept() override;

 private:
  CQelstartDoc& m_doc;
  QComboBox* m_colors;
};

// "ファイルのタイトル": the title kept in the document.
class CFileTitleDialog : public QDialog {
  Q_OBJECT

 public:
  CFileTitleDialog(CQelstartDoc& doc, QWidget* parent = nullptr);
  QLineEdit* titleField() const { return m_title; }
  void accept() override;

 private:
  CQelstartDoc& m_doc;
  QLineEdit* m_title;
};

// "グリッド": grid on or off, width and height "[1～24ﾄﾞｯﾄ]", each 1 to 24.
class CGridDialog : public QDialog {
  Q_OBJECT

 public:
  CGridDialog(const DesignGrid& grid, QWidget* parent = nullptr);
  QCheckBox* onBox() const { return m_on; }
  QLineEdit* widthField() const { return m_width; }
  QLineEdit* heightField() const { return m_height; }
  const DesignGrid& grid() const { return m_grid; }
  void accept() override;

 private:
  DesignGrid m_grid;
  QCheckBox* m_on;
  QLineEdit* m_width;
  QLineEdit* m_height;
};

}  // namespace qel::launch::gui

#endif  // QEL_LAUNCH_QELSTART_DESIGN_DIALOGS_H_
