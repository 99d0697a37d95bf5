// The three dialogs of qelrevise ("ファイルの設定", "特殊オプションの設定",
// "キー種別一覧") and the few helpers every window piece of the program
// shares: showing a document's message through the message library, the
// Ask callback over the message boxes, and the fixed font of the lists.
//
// The dialogs only move values between widgets and CQelreviseDoc: the
// checks and the opening are the document's; a failure is shown through
// KMSOErrmsgout and the focus goes to the field the document names.
#ifndef QEL_REVISE_QELREVISE_REVISE_DIALOGS_H_
#define QEL_REVISE_QELREVISE_REVISE_DIALOGS_H_

#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "revise/revise_document.h"

namespace qel::revise::gui {

// Shows message `m` (its number and inserts) in a box and in the log;
// returns the button pressed (KMSO_IDOK ...). Nothing for number 0.
int ShowMessage(const Message& m);

// The document's questions as message boxes.
Ask BoxAsk();

// The list font: a fixed-pitch font with Japanese glyphs.
QFont ListFont();

// What a person typed, as CP932; nullopt when a character has no CP932 form.
std::optional<std::string> TypedText(const QString& text);

// A push button captioned with text `text` of the program's table, that is
// not the default of its dialog.
QPushButton* Button(unsigned text, QWidget* parent);

class CFileSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  // Shows `initial` in the fields; OK opens the file in `doc`.
  CFileSettingsDlg(CQelreviseDoc& doc, const FileSettings& initial, QWidget* parent = nullptr);

  QLineEdit* dataField() const { return m_data; }
  QLineEdit* definitionField() const { return m_definition; }
  QLineEdit* titleField() const { return m_title; }
  QCheckBox* shareBox() const { return m_share; }
  QCheckBox* selectionBox() const { return m_selection; }
  QCheckBox* elementaryBox() const { return m_elementary; }
  QPushButton* okButton() const { return m_ok; }
  QPushButton* cancelButton() const { return m_cancel; }
  QPushButton* helpButton() const { return m_help; }
  QPushButton* dataBrowseButton() const { return m_browseData; }
  QPushButton* definitionBrowseButton() const { return m_browseDefinition; }

  // The settings as the fields hold them.
  FileSettings settings() const;

  // The browse dialogs, titled, filtered and named as the program sets them.
  std::unique_ptr<QFileDialog> makeDataBrowser();
  std::unique_ptr<QFileDialog> makeDefinitionBrowser();

  // Called with every browse dialog before it runs (tests); empty: none.
  using BrowserObserver = std::function<void(QFileDialog&)>;
  static void setBrowserObserver(BrowserObserver observer);

 signals:
  void helpRequested(int context);

 public slots:
  // Opens the file; the dialog closes when the document has it open (or when
  // the item list could not be built, which closed it again).
  void accept() override;

 private:
  std::unique_ptr<QFileDialog> newBrowser(unsigned title);
  void browse(QLineEdit* field, std::unique_ptr<QFileDialog> dialog);

  CQelreviseDoc& m_doc;
  QLineEdit* m_data;
  QLineEdit* m_definition;
  QLineEdit* m_title;
  QCheckBox* m_share;
  QCheckBox* m_selection;
  QCheckBox* m_elementary;
  QPushButton* m_browseData;
  QPushButton* m_browseDefinition;
  QPushButton* m_ok;
  QPushButton* m_cancel;
  QPushButton* m_help;
};

class CSpecialOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  // Shows the options of `doc`; the big-endian box and the FILLER field can
  // be changed only while no file is open.
  explicit CSpecialOptionsDlg(CQelreviseDoc& doc, QWidget* parent = nullptr);

  QCheckBox* bigEndianBox() const { return m_bigEndian; }
  QCheckBox* noTruncationBox() const { return m_noTruncation; }
  QLabel* fillerLabel() const { return m_fillerLabel; }
  QLineEdit* fillerField() const { return m_filler; }
  QPushButton* okButton() const { return m_ok; }
  QPushButton* helpButton() const { return m_help; }

 signals:
  void helpRequested(int context);

 public slots:
  // Stores the options; a FILLER text that is not two hexadecimal digits
  // gives KVWN2004 and the dialog stays.
  void accept() override;

 private:
  CQelreviseDoc& m_doc;
  QCheckBox* m_bigEndian;
  QCheckBox* m_noTruncation;
  QLabel* m_fillerLabel;
  QLineEdit* m_filler;
  QPushButton* m_ok;
  QPushButton* m_help;
};

class CKeyListDlg : public QDialog {
  Q_OBJECT

 public:
  // Lists the keys of the file open in `doc`.
  explicit CKeyListDlg(const CQelreviseDoc& doc, QWidget* parent = nullptr);

  QListWidget* list() const { return m_list; }
  QLabel* headings() const { return m_headings; }
  // The key chosen (1-based), 0 when none was.
  int chosenKey() const { return m_chosen; }

 private:
  QLabel* m_headings;
  QListWidget* m_list;
  int m_chosen = 0;
};

}  // namespace qel::revise::gui

#endif  // QEL_REVISE_QELREVISE_REVISE_DIALOGS_H_
