// The revise program's dialogs: widgets in, settings out; the rules are the
// document's.
#include "revise/qelrevise/revise_dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <array>
#include <cstdio>

#include "gui/qt_text.h"
#include "message/qelmessage.h"
#include "revise/qelrevise/revise_texts.h"

namespace qel::revise::gui {
namespace {

using qel::gui::FromCp932;
using qel::gui::ProgramText;

CFileSettingsDlg::BrowserObserver& Observer() {
  static CFileSettingsDlg::BrowserObserver observer;
  return observer;
}

// A filter entry: the description as the program words it, then the
// patterns that match here (both letter cases; "*.*" of the description
// means every file, also one without a dot).
QString Filter(unsigned description, const char* patterns) {
  return ProgramText(description) + QStringLiteral(" (") + QString::fromLatin1(patterns) +
         QLatin1Char(')');
}

// Typed text as CP932; text without a CP932 form keeps its UTF-8 bytes, which
// the document's checks refuse where they matter (a title only shows it).
std::string Cp932Or(const QString& text) {
  if (std::optional<std::string> cp932 = TypedText(text)) return *cp932;
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// The dialog's fields on the left, its buttons in a column on the right.
void LayOut(QDialog* dialog, QLayout* fields, std::initializer_list<QPushButton*> buttons) {
  auto* column = new QVBoxLayout;
  for (QPushButton* button : buttons) column->addWidget(button);
  column->addStretch();
  auto* layout = new QHBoxLayout(dialog);
  layout->addLayout(fields, 1);
  layout->addLayout(column);
}

}  // namespace

int ShowMessage(const Message& m) {
  if (m.number == 0) return KMSO_IDOK;
  std::array<const char*, 5> args = {"", "", "", "", ""};
  for (std::size_t i = 0; i < m.args.size() && i < args.size(); ++i) args[i] = m.args[i].c_str();
  return KMSOErrmsgout(kLogName, m.number, args.data());
}

Ask BoxAsk() {
  return [](int number) {
    int answer = KMSOErrmsgout2(kLogName, number);
    return answer == kYes || answer == kNo ? answer : kCancel;
  };
}

QFont ListFont() {
  const QStringList families = QFontDatabase::families();
  // IPAGothic is fixed-pitch with half-width kana: the list's columns line
  // up by CP932 bytes.
  for (const char* name : {"IPAGothic", "IPAゴシック"}) {
    if (families.contains(QString::fromUtf8(name))) {
      QFont font(QString::fromUtf8(name));
      font.setPointSize(10);
      font.setFixedPitch(true);
      font.setStyleHint(QFont::Monospace);
      return font;
    }
  }
  return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

std::optional<std::string> TypedText(const QString& text) { return qel::gui::ToCp932(text); }

QPushButton* Button(unsigned text, QWidget* parent) {
  auto* button = new QPushButton(ProgramText(text), parent);
  button->setAutoDefault(false);
  return button;
}

// ------------------------------------------------------------- file settings

CFileSettingsDlg::CFileSettingsDlg(CQelreviseDoc& doc, const FileSettings& initial, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
  setObjectName(QStringLiteral("fileSettingsDialog"));
  setWindowTitle(ProgramText(kTextSettingsTitle));
  m_data = new QLineEdit(QFile::decodeName(QByteArray::fromStdString(initial.data_name)), this);
  m_definition =
      new QLineEdit(QFile::decodeName(QByteArray::fromStdString(initial.definition_name)), this);
  m_title = new QLineEdit(FromCp932(initial.title), this);
  for (QLineEdit* field : {m_data, m_definition}) {
    field->setMinimumWidth(340);
    field->setMaxLength(kMaxName + 1);  // one more, so that the length check can speak
  }
  m_share = new QCheckBox(ProgramText(kTextShare), this);
  m_selection = new QCheckBox(ProgramText(kTextItemSelection), this);
  m_elementary = new QCheckBox(ProgramText(kTextElementaryOnly), this);
  m_share->setChecked(initial.share);
  m_selection->setChecked(initial.item_selection);
  m_elementary->setChecked(initial.elementary_only);
  m_browseData = Button(kTextBrowse, this);
  m_browseDefinition = Button(kTextBrowse, this);
  m_ok = new QPushButton(ProgramText(kTextOk), this);
  m_ok->setDefault(true);
  m_cancel = Button(kTextCancel, this);
  m_help = Button(kTextSettingsHelp, this);

  auto* grid = new QGridLayout;
  const std::array<std::pair<unsigned, QLineEdit*>, 3> rows = {
      {{kTextDataFile, m_data}, {kTextDefinitionFile, m_definition}, {kTextTitle, m_title}}};
  for (int row = 0; row < 3; ++row) {
    auto* label = new QLabel(ProgramText(rows[row].first), this);
    label->setBuddy(rows[row].second);
    grid->addWidget(label, row, 0);
    grid->addWidget(rows[row].second, row, 1);
  }
  grid->addWidget(m_browseData, 0, 2);
  grid->addWidget(m_browseDefinition, 1, 2);
  auto* checks = new QVBoxLayout;
  checks->addWidget(m_share);
  checks->addWidget(m_selection);
  checks->addWidget(m_elementary);
  grid->addLayout(checks, 3, 1);
  LayOut(this, grid, {m_ok, m_cancel, m_help});
  // Tab order follows the fields, then the check boxes, then the buttons.
  QWidget* order[] = {m_data,      m_browseData, m_definition, m_browseDefinition, m_title, m_share,
                      m_selection, m_elementary, m_ok,         m_cancel,           m_help};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(m_ok, &QPushButton::clicked, this, &CFileSettingsDlg::accept);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_help, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpFileSettings); });
  connect(m_browseData, &QPushButton::clicked, this, [this] { browse(m_data, makeDataBrowser()); });
  connect(m_browseDefinition, &QPushButton::clicked, this,
          [this] { browse(m_definition, makeDefinitionBrowser()); });
  m_data->setFocus();
}

void CFileSettingsDlg::setBrowserObserver(BrowserObserver observer) {
  Observer() = std::move(observer);
}

FileSettings CFileSettingsDlg::settings() const {
  FileSettings s;
  // File names are the system's bytes, never converted.
  s.data_name = QFile::encodeName(m_data->text()).toStdString();
  s.definition_name = QFile::encodeName(m_definition->text()).toStdString();
  s.title = Cp932Or(m_title->text());
  s.share = m_share->isChecked();
  s.item_selection = m_selection->isChecked();
  s.elementary_only = m_elementary->isChecked();
  return s;
}

std::unique_ptr<QFileDialog> CFileSettingsDlg::newBrowser(unsigned title) {
  auto dialog = std::make_unique<QFileDialog>(this, ProgramText(title));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);  // path and file must exist
  return dialog;
}

std::unique_ptr<QFileDialog> CFileSettingsDlg::makeDataBrowser() {
  std::unique_ptr<QFileDialog> dialog = newBrowser(kTextBrowseData);
  dialog->setNameFilters({Filter(kTextFilterAll, "*"), Filter(kTextFilterKey, "*.kdf *.KDF")});
  const QFileInfo current(m_data->text());
  if (!m_data->text().isEmpty()) dialog->setDirectory(current.absolutePath());
  dialog->selectFile(QStringLiteral("*.*"));
  return dialog;
}

std::unique_ptr<QFileDialog> CFileSettingsDlg::makeDefinitionBrowser() {
  std::unique_ptr<QFileDialog> dialog = newBrowser(kTextBrowseDefinition);
  dialog->setDefaultSuffix(QStringLiteral("flf"));
  dialog->setNameFilters(
      {Filter(kTextFilterDefinition, "*.flf *.FLF"), Filter(kTextFilterAll, "*")});
  if (!m_definition->text().isEmpty()) dialog->selectFile(m_definition->text());
  return dialog;
}

void CFileSettingsDlg::browse(QLineEdit* field, std::unique_ptr<QFileDialog> dialog) {
  if (Observer()) Observer()(*dialog);
  if (dialog->exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog->selectedFiles();
  if (!chosen.isEmpty()) field->setText(chosen.front());
}

void CFileSettingsDlg::accept() {
  const Message m = m_doc.Open(settings(), BoxAsk());
  if (m.number != 0) ShowMessage(m);
  QWidget* focus = nullptr;
  switch (m.focus) {
    case Focus::kDataFile:
      focus = m_data;
      break;
    case Focus::kDefinitionFile:
      focus = m_definition;
      break;
    case Focus::kTitle:
      focus = m_title;
      break;
    case Focus::kOkButton:
      focus = m_ok;
      break;
    case Focus::kUnchanged:
      return;
    default:
      break;
  }
  if (focus != nullptr) {
    focus->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(focus)) edit->selectAll();
    return;
  }
  // Open, or the item list failed after the open (the file is closed again
  // and the form shows why): the settings are done with.
  QDialog::accept();
}

// ----------------------------------------------------------- special options

CSpecialOptionsDlg::CSpecialOptionsDlg(CQelreviseDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
  setObjectName(QStringLiteral("specialOptionsDialog"));
  setWindowTitle(ProgramText(kTextSpecialTitle));
  m_bigEndian = new QCheckBox(ProgramText(kTextBigEndian), this);
  m_noTruncation = new QCheckBox(ProgramText(kTextNoTruncation), this);
  m_fillerLabel = new QLabel(ProgramText(kTextFiller), this);
  m_filler = new QLineEdit(QString::fromStdString(FillerText(doc.filler_value())), this);
  m_filler->setMaximumWidth(60);
  m_fillerLabel->setBuddy(m_filler);
  m_bigEndian->setChecked(doc.big_endian());
  m_noTruncation->setChecked(doc.no_truncation_message());
  const bool closed = !doc.is_open();
  m_bigEndian->setEnabled(closed);
  m_fillerLabel->setEnabled(closed);
  m_filler->setEnabled(closed);
  m_ok = new QPushButton(ProgramText(kTextOk), this);
  m_ok->setDefault(true);
  auto* cancel = Button(kTextCancel, this);
  m_help = Button(kTextSpecialHelp, this);
  connect(m_ok, &QPushButton::clicked, this, &CSpecialOptionsDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_help, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpSpecialOptions); });

  auto* fields = new QVBoxLayout;
  fields->addWidget(m_bigEndian);
  fields->addWidget(m_noTruncation);
  auto* filler = new QHBoxLayout;
  filler->addWidget(m_fillerLabel);
  filler->addWidget(m_filler);
  filler->addStretch();
  fields->addLayout(filler);
  fields->addStretch();
  LayOut(this, fields, {m_ok, cancel, m_help});
}

void CSpecialOptionsDlg::accept() {
  if (!m_doc.is_open()) {
    int value = 0;
    const std::string text = Cp932Or(m_filler->text());
    if (int number = ParseFillerText(text, &value); number != 0) {
      ShowMessage({number, {}, Focus::kNone});
      m_filler->setFocus();
      m_filler->selectAll();
      return;
    }
    m_doc.SetFillerValue(value);
    m_doc.SetBigEndian(m_bigEndian->isChecked());
  }
  m_doc.SetNoTruncationMessage(m_noTruncation->isChecked());
  QDialog::accept();
}

// ------------------------------------------------------------------ key list

CKeyListDlg::CKeyListDlg(const CQelreviseDoc& doc, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("keyListDialog"));
  setWindowTitle(ProgramText(kTextKeyListTitle));
  // The headings stand over the columns they name, in the list's own format.
  auto cp = [](unsigned id) { return Cp932Or(ProgramText(id)); };
  char heading[160];
  std::snprintf(heading, sizeof heading, " %-31s   %11s   %11s   %9s", cp(kTextHeadKey).c_str(),
                cp(kTextHeadPosition).c_str(), cp(kTextHeadLength).c_str(),
                cp(kTextHeadAttribute).c_str());
  m_headings = new QLabel(FromCp932(heading), this);
  m_headings->setFont(ListFont());
  m_list = new QListWidget(this);
  m_list->setFont(ListFont());
  for (const std::string& line : doc.KeyListLines()) m_list->addItem(FromCp932(line));
  if (m_list->count() > 0) m_list->setCurrentRow(0);
  const QFontMetrics metrics(ListFont());
  m_list->setMinimumWidth(metrics.horizontalAdvance(QString(76, QLatin1Char('0'))));
  auto* cancel = Button(kTextCancel, this);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // Double-click (or Enter) on a line chooses its key.
  connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    m_chosen = m_list->row(item) + 1;
    QDialog::accept();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_headings);
  layout->addWidget(m_list);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
}

}  // namespace qel::revise::gui
