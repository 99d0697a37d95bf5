// The six conversion dialogs of qelxform and the special options dialog.
//
// A dialog shows the fields of its conversion (DialogFields) in order, each
// file field with its "参照" browse button, and "実行", "ｷｬﾝｾﾙ" and a help
// button. The dialogs only move values: the run button hands the field
// values to CKXFMDoc::Prepare, shows the message of the first failing check
// through KMSOErrmsgout (focus on that field), or runs the driver behind the
// "実行中インフォメーション" box and closes.
#ifndef QEL_XFORM_QELXFORM_CONVERSION_DIALOGS_H_
#define QEL_XFORM_QELXFORM_CONVERSION_DIALOGS_H_

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <vector>

#include "xform/qelxform/kxfm_doc.h"

namespace qel::xform::gui {

class CConversionDialog : public QDialog {
  Q_OBJECT

 public:
  // Opening the dialog begins a conversion in `doc` (a fresh table; a CSV
  // dialog clears the special options). `main_window` is disabled while the
  // driver runs (may be null).
  CConversionDialog(Conversion conversion, CKXFMDoc& doc, QWidget* main_window,
                    QWidget* parent = nullptr);

  Conversion conversion() const { return m_conversion; }

  // The widget of field `index` (in the order of DialogFields): a QLineEdit,
  // or the separator's QComboBox.
  QWidget* fieldWidget(int index) const { return m_fields[index]; }
  QLineEdit* lineEdit(int index) const;
  QPushButton* browseButton(int index) const { return m_browse[index]; }
  QComboBox* separatorBox() const { return m_separator; }
  QCheckBox* titleBox() const { return m_title; }
  QPushButton* specialButton() const { return m_special; }
  QPushButton* runButton() const { return m_run; }
  QPushButton* cancelButton() const { return m_cancel; }
  QPushButton* helpButton() const { return m_help; }

  // The browse dialog of file field `index`, titled and filtered for it.
  std::unique_ptr<QFileDialog> makeBrowseDialog(int index);

  // The driver's result of the last run (kDriverFailed before any).
  int lastResult() const { return m_lastResult; }

 signals:
  void helpRequested();

 public slots:
  void run();
  void browse(int index);
  void editSpecialOptions();

 private:
  std::vector<DialogField> readFields() const;

  Conversion m_conversion;
  CKXFMDoc& m_doc;
  QWidget* m_mainWindow;
  std::vector<QWidget*> m_fields;
  std::vector<QPushButton*> m_browse;
  QComboBox* m_separator = nullptr;
  QCheckBox* m_title = nullptr;
  QPushButton* m_special = nullptr;
  QPushButton* m_run;
  QPushButton* m_cancel;
  QPushButton* m_help;
  int m_lastResult = kDriverFailed;
};

// One class per conversion, so that each dialog has its run-time class name.
class Cstotdlg : public CConversionDialog {
  Q_OBJECT
 public:
  Cstotdlg(CKXFMDoc& doc, QWidget* main_window, QWidget* parent = nullptr)
      : CConversionDialog(Conversion::kSamToTxt, doc, main_window, parent) {}
};
class Cttosdlg : public CConversionDialog {
  Q_OBJECT
 public:
  Cttosdlg(CKXFMDoc& doc, QWidget* main_window, QWidget* parent = nullptr)
      : CConversionDialog(Conversion::kTxtToSam, doc, main_window, parent) {}
};
class Cstocdlg : public CConversionDialog {
  Q_OBJECT
 public:
  Cstocdlg(CKXFMDoc& doc, QWidget* main_window, QWidget* parent = nullptr)
      : CConversionDialog(Conversion::kSamToCsv, doc, main_window, parent) {}
};
class Cctosdlg : public CConversionDialog {
  Q_OBJECT
 public:
  Cctosdlg(CKXFMDoc& doc, QWidget* main_window, QWidget* parent = nullptr)
      : CConversionDialog(Conversion::kCsvToSam, doc, main_window, parent) {}
};
class Citocdlg : public CConversionDialog {
  Q_OBJECT
 public:
  Citocdlg(CKXFMDoc& doc, QWidget* main_window, QWidget* parent = nullptr)
      : CConversionDialog(Conversion::kIsamToCsv, doc, main_window, parent) {}
};
class Cvtosdlg : public CConversionDialog {
  Q_OBJECT
 public:
  Cvtosdlg(CKXFMDoc& doc, QWidget* main_window, QWidget* parent = nullptr)
      : CConversionDialog(Conversion::kVsamToSam, doc, main_window, parent) {}
};

// The dialog of `conversion`, of its own class.
std::unique_ptr<CConversionDialog> MakeConversionDialog(Conversion conversion, CKXFMDoc& doc,
                                                        QWidget* main_window,
                                                        QWidget* parent = nullptr);

// "特殊オプションの設定": shows the current special options of `doc` and
// stores them on OK. After the system's two check boxes comes the choice of
// a UTF-8 CSV file.
class CSpecialOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  CSpecialOptionsDlg(CKXFMDoc& doc, QWidget* parent = nullptr);
  QCheckBox* bigEndianBox() const { return m_bigEndian; }
  QCheckBox* blankWhenZeroBox() const { return m_blankWhenZero; }
  QCheckBox* utf8CsvBox() const { return m_utf8Csv; }
  QPushButton* okButton() const { return m_ok; }

 public slots:
  void accept() override;

 private:
  CKXFMDoc& m_doc;
  QCheckBox* m_bigEndian;
  QCheckBox* m_blankWhenZero;
  QCheckBox* m_utf8Csv;
  QPushButton* m_ok;
};

// The separator combo box's list, and the longest text it takes.
inline constexpr int kSeparatorMaxLength = 9;

}  // namespace qel::xform::gui

#endif  // QEL_XFORM_QELXFORM_CONVERSION_DIALOGS_H_
