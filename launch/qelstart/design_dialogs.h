// The attribute dialogs of design mode (text, push button, picture, program
// start, PF key, line, frame, background, file title, grid) and the font and
// colour dialogs: they move values between their fields and the objects and
// show the failures of the checks through the message presenter.
#ifndef QEL_LAUNCH_QELSTART_DESIGN_DIALOGS_H_
#define QEL_LAUNCH_QELSTART_DESIGN_DIALOGS_H_

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

// The font an object draws its text with: texts, buttons, icons and PF-key
// entries have one, other objects null.
LogFont* FontOfObject(CLCNObject& object);
// The colour the colour command changes: the text colour of texts, buttons,
// icons and PF-key entries, a line's colour, a frame's fill colour, the
// colour of a rectangle's first side (all four are set together); null for
// pictures, input areas and embedded objects.
ColorRef* ColorOfObject(CLCNObject& object);
// Sets `color` on `object` where it carries one (a rectangle: every side).
bool SetObjectColor(CLCNObject& object, ColorRef color);

// "文字属性": the font of the selected objects. The dialog starts with
// `font` and answers the chosen one as a font record (pixel height,
// weight, italic, underline, strike-out and face name; the other fields
// are kept from `font`).
class CFontAttributeDialog : public QFontDialog {
  Q_OBJECT

 public:
  CFontAttributeDialog(const LogFont& font, QWidget* parent = nullptr);
  LogFont logFont() const;

 private:
  LogFont m_base;
};

// The colour dialog, started with `color` and the document's 16 custom
// colours; an accepted choice also keeps the custom colours, edited in the
// dialog, in the document.
class CColorChoiceDialog : public QColorDialog {
  Q_OBJECT

 public:
  CColorChoiceDialog(CQelstartDoc& doc, ColorRef color, QWidget* parent = nullptr);
  ColorRef chosenColor() const;
  void accept() override;

 private:
  CQelstartDoc& m_doc;
};

// A colour sample with its "色変更..." button that opens the colour dialog.
class CColorField : public QWidget {
  Q_OBJECT

 public:
  CColorField(CQelstartDoc& doc, ColorRef color, QWidget* parent = nullptr);
  ColorRef color() const { return m_color; }
  void setColor(ColorRef color);
  QPushButton* changeButton() const { return m_change; }

 private:
  CQelstartDoc& m_doc;
  ColorRef m_color;
  QLabel* m_sample;
  QPushButton* m_change;
};

// "線": the pen style (solid, dash, dot, dash-dot, dash-dot-dot) and colour
// of a line, or of the four sides of a rectangle.
class CLineDialog : public QDialog {
  Q_OBJECT

 public:
  CLineDialog(CQelstartDoc& doc, CLCNObject& object, QWidget* parent = nullptr);
  QComboBox* styleList() const { return m_style; }
  CColorField* colorField() const { return m_color; }
  void accept() override;

 private:
  CLCNObject& m_object;
  QComboBox* m_style;
  CColorField* m_color;
};

// "枠": the fill colour and display style ("無し", "影付き", "くぼみ",
// "浮き出し", "溝線") of a filled frame.
class CFrameDialog : public QDialog {
  Q_OBJECT

 public:
  CFrameDialog(CQelstartDoc& doc, CLCNFrame& frame, QWidget* parent = nullptr);
  QComboBox* styleList() const { return m_style; }
  CColorField* colorField() const { return m_color; }
  void accept() override;

 private:
  CLCNFrame& m_object;
  QComboBox* m_style;
  CColorField* m_color;
};

// "画像": the BMP or DIB file of a picture, with its browse button. A name
// that is not an existing BMP or DIB file is refused with its message and
// the field selected again.
class CPictureDialog : public QDialog {
  Q_OBJECT

 public:
  CPictureDialog(CLCNPicture& picture, QWidget* parent = nullptr);
  QLineEdit* fileField() const { return m_file; }
  QPushButton* okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }
  void accept() override;

 private:
  CLCNPicture& m_object;
  QLineEdit* m_file;
  QDialogButtonBox* m_buttons;
};

// The icons an icon file offers: an image file (ICO, PNG, BMP, XPM, ...)
// gives one entry per image it holds; an executable file, which carries no
// icons on this system, gives one generic icon; anything else none.
std::vector<QIcon> IconsOfFile(const QString& path);

// "プログラム起動": the program an icon starts, its icon file with the list
// of the file's icons, parameters, wait and iconise. OK needs a program; an
// icon file that holds no icon is refused with "アイコンの存在しないファイルです".
class CIconDialog : public QDialog {
  Q_OBJECT

 public:
  CIconDialog(CLCNXIcon& icon, QWidget* parent = nullptr);
  QLineEdit* programField() const { return m_program; }
  QLineEdit* iconFileField() const { return m_iconFile; }
  QListWidget* iconList() const { return m_icons; }
  QLineEdit* parametersField() const { return m_parameters; }
  QCheckBox* waitBox() const { return m_wait; }
  QCheckBox* iconicBox() const { return m_iconic; }
  QPushButton* okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }
  void accept() override;

 private:
  // Fills the icon list from the icon file (or, without one, the program).
  void loadIcons();

  CLCNXIcon& m_object;
  QLineEdit* m_program;
  QLineEdit* m_iconFile;
  QListWidget* m_icons;
  QLineEdit* m_parameters;
  QCheckBox* m_wait;
  QCheckBox* m_iconic;
  QDialogButtonBox* m_buttons;
};

}  // namespace qel::launch::gui

#endif  // QEL_LAUNCH_QELSTART_DESIGN_DIALOGS_H_
