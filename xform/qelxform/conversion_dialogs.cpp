// The conversion dialogs: widgets in, field values out. The checks, the
// table and the driver choice are the document's.
#include "xform/qelxform/conversion_dialogs.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/qt_text.h"
#include "message/qelmessage.h"
#include "xform/qelxform/run_info.h"
#include "xform/qelxform/xform_texts.h"

namespace qel::xform::gui {
namespace {

using qel::gui::ProgramText;

// A filter entry: the description as the system words it, then the
// patterns that match on this system (both letter cases; "*.*" of the
// description means every file, also one without a dot).
QString Filter(unsigned description, const char* patterns) {
  return ProgramText(description) + QStringLiteral(" (") + QString::fromLatin1(patterns) +
         QLatin1Char(')');
}

QStringList FiltersOf(BrowseFilter filter) {
  const QString all = Filter(kTextFilterAll, "*");
  switch (filter) {
    case BrowseFilter::kIsam:
      return {Filter(kTextFilterIsam, "*.KDF *.kdf"), all};
    case BrowseFilter::kDefinition:
      return {Filter(kTextFilterDefinition, "*.FLF *.flf"), all};
    case BrowseFilter::kData:
      break;
  }
  return {all};
}

bool IsFileField(FieldKind kind) {
  return kind != FieldKind::kRecordLength && kind != FieldKind::kSeparator;
}

// Typed text as CP932; text that has no CP932 form keeps its UTF-8 bytes,
// which the checks then refuse or the driver reports like any bad value.
std::string Cp932Of(const QString& text) {
  if (std::optional<std::string> cp932 = qel::gui::ToCp932(text)) return *cp932;
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace

CConversionDialog::CConversionDialog(Conversion conversion, CKXFMDoc& doc, QWidget* main_window,
                                     QWidget* parent)
    : QDialog(parent), m_conversion(conversion), m_doc(doc), m_mainWindow(main_window) {
  m_doc.BeginConversion(conversion);
  setWindowTitle(ProgramText(kTextDialogFirst + static_cast<unsigned>(conversion)));

  auto* grid = new QGridLayout;
  const std::vector<FieldSpec>& specs = DialogFields(conversion);
  int row = 0;
  for (int i = 0; i < static_cast<int>(specs.size()); ++i) {
    const FieldSpec& spec = specs[i];
    if (spec.kind == FieldKind::kSeparator) {
      // The title check box comes before the separator.
      m_title = new QCheckBox(ProgramText(kTextLabelTitle), this);
      grid->addWidget(m_title, row++, 0, 1, 3);
    }
    auto* label = new QLabel(ProgramText(spec.label), this);
    grid->addWidget(label, row, 0);
    QWidget* field = nullptr;
    QPushButton* browseBtn = nullptr;
    if (spec.kind == FieldKind::kSeparator) {
      m_separator = new QComboBox(this);
      m_separator->setEditable(true);
      m_separator->addItems(
          {QStringLiteral(","), QStringLiteral("{TAB}"), QStringLiteral("{SPACE}")});
      m_separator->setCurrentIndex(0);
      m_separator->lineEdit()->setMaxLength(kSeparatorMaxLength);
      m_separator->setInsertPolicy(QComboBox::NoInsert);
      field = m_separator;
      grid->addWidget(field, row, 1);
    } else {
      auto* edit = new QLineEdit(this);
      if (IsFileField(spec.kind)) {
        edit->setMaxLength(static_cast<int>(kMaxFileNameField));
        edit->setMinimumWidth(320);
        browseBtn = new QPushButton(ProgramText(kTextBrowse), this);
        browseBtn->setAutoDefault(false);
        connect(browseBtn, &QPushButton::clicked, this, [this, i] { this->browse(i); });
        grid->addWidget(edit, row, 1);
        grid->addWidget(browseBtn, row, 2);
      } else {
        edit->setMaxLength(static_cast<int>(kMaxRecordLengthField));
        edit->setMaximumWidth(100);
        grid->addWidget(edit, row, 1, Qt::AlignLeft);
      }
      field = edit;
    }
    label->setBuddy(field);
    m_fields.push_back(field);
    m_browse.push_back(browseBtn);
    ++row;
  }
  if (IsCsvConversion(conversion)) {
    m_special = new QPushButton(ProgramText(kTextSpecialButton), this);
    m_special->setAutoDefault(false);
    connect(m_special, &QPushButton::clicked, this, &CConversionDialog::editSpecialOptions);
    grid->addWidget(m_special, row++, 0, Qt::AlignLeft);
  }

  m_run = new QPushButton(ProgramText(kTextRun), this);
  m_run->setDefault(true);
  m_cancel = new QPushButton(ProgramText(kTextCancel), this);
  m_cancel->setAutoDefault(false);
  m_help = new QPushButton(ProgramText(kTextHelp), this);
  m_help->setAutoDefault(false);
  connect(m_run, &QPushButton::clicked, this, &CConversionDialog::run);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_help, &QPushButton::clicked, this, &CConversionDialog::helpRequested);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_run);
  buttons->addWidget(m_cancel);
  buttons->addWidget(m_help);
  buttons->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttons);
  m_fields.front()->setFocus();
}

QLineEdit* CConversionDialog::lineEdit(int index) const {
  return qobject_cast<QLineEdit*>(m_fields[index]);
}

std::vector<DialogField> CConversionDialog::readFields() const {
  std::vector<DialogField> fields;
  const std::vector<FieldSpec>& specs = DialogFields(m_conversion);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    DialogField field{specs[i].kind, {}, specs[i].is_output};
    if (specs[i].kind == FieldKind::kSeparator) {
      field.value = Cp932Of(m_separator->currentText());
    } else if (IsFileField(specs[i].kind)) {
      // File names are the system's bytes, never converted.
      field.value = QFile::encodeName(lineEdit(static_cast<int>(i))->text()).toStdString();
    } else {
      field.value = Cp932Of(lineEdit(static_cast<int>(i))->text());
    }
    fields.push_back(std::move(field));
  }
  return fields;
}

void CConversionDialog::run() {
  const bool title = m_title != nullptr && m_title->isChecked();
  if (std::optional<CheckFailure> failure = m_doc.Prepare(m_conversion, readFields(), title)) {
    KMSOErrmsgout2(kLogName, failure->message);
    QWidget* field = m_fields[failure->field_index];
    field->setFocus();
    if (QLineEdit* edit = lineEdit(failure->field_index)) edit->selectAll();
    return;
  }
  setEnabled(false);
  m_lastResult = RunWithInfoBox(
      m_mainWindow, [this](const DriverContext& context) { return m_doc.Run(context); });
  setEnabled(true);
  accept();
}

std::unique_ptr<QFileDialog> CConversionDialog::makeBrowseDialog(int index) {
  const FieldSpec& spec = DialogFields(m_conversion)[index];
  auto dialog = std::make_unique<QFileDialog>(this, ProgramText(spec.browse_title));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  // Input files must exist; an output file may be new.
  dialog->setFileMode(spec.is_output ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setNameFilters(FiltersOf(spec.filter));
  const QString current = lineEdit(index)->text();
  if (!current.isEmpty()) dialog->selectFile(current);
  return dialog;
}

void CConversionDialog::browse(int index) {
  std::unique_ptr<QFileDialog> dialog = makeBrowseDialog(index);
  if (dialog->exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog->selectedFiles();
  if (!chosen.isEmpty()) lineEdit(index)->setText(chosen.front());
}

void CConversionDialog::editSpecialOptions() {
  CSpecialOptionsDlg dialog(m_doc, this);
  dialog.exec();
}

std::unique_ptr<CConversionDialog> MakeConversionDialog(Conversion conversion, CKXFMDoc& doc,
                                                        QWidget* main_window, QWidget* parent) {
  switch (conversion) {
    case Conversion::kSamToTxt:
      return std::make_unique<Cstotdlg>(doc, main_window, parent);
    case Conversion::kTxtToSam:
      return std::make_unique<Cttosdlg>(doc, main_window, parent);
    case Conversion::kSamToCsv:
      return std::make_unique<Cstocdlg>(doc, main_window, parent);
    case Conversion::kCsvToSam:
      return std::make_unique<Cctosdlg>(doc, main_window, parent);
    case Conversion::kIsamToCsv:
      return std::make_unique<Citocdlg>(doc, main_window, parent);
    case Conversion::kVsamToSam:
      break;
  }
  return std::make_unique<Cvtosdlg>(doc, main_window, parent);
}

CSpecialOptionsDlg::CSpecialOptionsDlg(CKXFMDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
  setWindowTitle(ProgramText(kTextSpecialTitle));
  m_bigEndian = new QCheckBox(ProgramText(kTextBigEndian), this);
  m_blankWhenZero = new QCheckBox(ProgramText(kTextBlankWhenZero), this);
  m_utf8Csv = new QCheckBox(ProgramText(kTextUtf8Csv), this);
  m_bigEndian->setChecked(doc.BinaryCode() == 1);
  m_blankWhenZero->setChecked(doc.BwzType() == 1);
  m_utf8Csv->setChecked(doc.CsvCode() == 1);
  m_ok = new QPushButton(ProgramText(kTextOk), this);
  m_ok->setDefault(true);
  auto* cancel = new QPushButton(ProgramText(kTextCancel), this);
  connect(m_ok, &QPushButton::clicked, this, &CSpecialOptionsDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* checks = new QVBoxLayout;
  checks->addWidget(m_bigEndian);
  checks->addWidget(m_blankWhenZero);
  checks->addWidget(m_utf8Csv);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(checks, 1);
  layout->addLayout(buttons);
}

void CSpecialOptionsDlg::accept() {
  m_doc.SetSpecialOptions(m_bigEndian->isChecked(), m_blankWhenZero->isChecked(),
                          m_utf8Csv->isChecked());
  QDialog::accept();
}

}  // namespace qel::xform::gui
