#include "launch/qelstart/design_dialogs.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/qt_text.h"
#include "launch/launcher_texts.h"
#include "launch/menu_design.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace qel::launch::gui {

namespace {

using qel::gui::FromCp932;
using qel::gui::ProgramText;

// A field's CP932 text; characters CP932 cannot hold make it fail.
bool FieldText(const QLineEdit* field, std::string& out) {
  const std::optional<std::string> text = qel::gui::ToCp932(field->text());
  if (!text) return false;
  out = *text;
  return true;
}

void ShowDesignMessage(const std::string& cp932) {
  const auto caption = platform::LoadProgramString(kTextCaption);
  platform::ShowBox(caption ? std::string(*caption) : std::string(), cp932,
                    platform::BoxButtons::kOk, platform::BoxIcon::kExclamation);
}

QWidget* WithBrowse(QLineEdit* field, QPushButton* browse) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(field);
  layout->addWidget(browse);
  return row;
}

}  // namespace

CTextDialog::CTextDialog(CLCNString& text, QWidget* parent) : QDialog(parent), m_object(text) {
  setWindowTitle(ProgramText(kTextTextDialog));
  m_text = new QLineEdit(FromCp932(text.text));
  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextTextLabel), m_text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void CTextDialog::accept() {
  std::string text;
  if (!FieldText(m_text, text)) {
    m_text->setFocus();
    m_text->selectAll();
    return;
  }
  m_object.text = text;
  QDialog::accept();
}

CButtonDialog::CButtonDialog(CLCNButton& button, QWidget* parent)
    : QDialog(parent), m_object(button) {
  setWindowTitle(ProgramText(kTextButtonDialog));
  m_title = new QLineEdit(FromCp932(button.title));
  m_title->setMaxLength(126);
  m_number = new QLineEdit(button.menu_number ? QString::number(button.menu_number) : QString());
  m_end = new QCheckBox(ProgramText(kTextButtonEnd));
  m_end->setChecked(button.functions & CLCNButton::kEndButton);
  m_file = new QLineEdit(FromCp932(button.program));
  m_file->setMaxLength(128);
  m_fileBrowse = new QPushButton(ProgramText(kTextBrowse));
  m_parameters = new QLineEdit(FromCp932(button.parameters));
  m_parameters->setMaxLength(128);
  m_parametersBrowse = new QPushButton(ProgramText(kTextBrowse));
  m_wait = new QCheckBox(ProgramText(kTextButtonWait));
  m_wait->setChecked(button.functions & CLCNButton::kWaitForEnd);
  m_iconic = new QCheckBox(ProgramText(kTextButtonIconic));
  m_iconic->setChecked(button.functions & CLCNButton::kStartIconic);
  m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextButtonTitle), m_title);
  form->addRow(ProgramText(kTextButtonNumber), m_number);
  form->addRow(QString(), m_end);
  form->addRow(ProgramText(kTextButtonFile), WithBrowse(m_file, m_fileBrowse));
  form->addRow(ProgramText(kTextButtonParameters), WithBrowse(m_parameters, m_parametersBrowse));
  form->addRow(QString(), m_wait);
  form->addRow(QString(), m_iconic);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(m_buttons);

  connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_title, &QLineEdit::textChanged, this, &CButtonDialog::updateEnabling);
  connect(m_file, &QLineEdit::textChanged, this, &CButtonDialog::updateEnabling);
  connect(m_end, &QCheckBox::toggled, this, &CButtonDialog::updateEnabling);
  connect(m_fileBrowse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, ProgramText(kTextButtonBrowseTitle),
                                                      QString(), ProgramText(kTextButtonFileFilter));
    if (!file.isEmpty()) m_file->setText(file);
  });
  connect(m_parametersBrowse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, ProgramText(kTextBrowse).remove(QStringLiteral("(&B)...")));
    if (!file.isEmpty()) m_parameters->setText(file);
  });
  updateEnabling();
}

void CButtonDialog::updateEnabling() {
  const bool end = m_end->isChecked();
  for (QWidget* widget : std::initializer_list<QWidget*>{m_file, m_fileBrowse, m_parameters,
                                                         m_parametersBrowse, m_wait, m_iconic})
    widget->setEnabled(!end);
  okButton()->setEnabled(!m_title->text().isEmpty() && (end || !m_file->text().isEmpty()));
}

void CButtonDialog::accept() {
  uint16_t number = 0;
  std::string number_text;
  if (!FieldText(m_number, number_text) || !ParseMenuNumberField(number_text, number)) {
    ShowDesignMessage(design_messages::InvalidNumber());
    m_number->setFocus();
    m_number->selectAll();
    return;
  }
  std::string title, program, parameters;
  for (auto [field, out] : {std::pair{m_title, &title}, std::pair{m_file, &program},
                            std::pair{m_parameters, &parameters}}) {
    if (!FieldText(field, *out)) {
      field->setFocus();
      field->selectAll();
      return;
    }
  }
  m_object.title = title;
  m_object.menu_number = number;
  m_object.program = program;
  m_object.parameters = parameters;
  uint32_t functions = 0;
  if (m_end->isChecked()) {
    functions = CLCNButton::kEndButton;
  } else {
    if (m_wait->isChecked()) functions |= CLCNButton::kWaitForEnd;
    if (m_iconic->isChecked()) functions |= CLCNButton::kStartIconic;
  }
  m_object.functions = functions;
  QDialog::accept();
}

CPfKeyDialog::CPfKeyDialog(CLCNPfKey& key, const std::vector<std::string>& buttonTitles,
                           QWidget* parent)
    : QDialog(parent), m_object(key) {
  setWindowTitle(ProgramText(kTextPfDialog));
  m_fixed = new QCheckBox(ProgramText(kTextPfFixed));
  m_fixed->setChecked(key.fixed_function != 0);
  m_function = new QComboBox;
  for (int i = 0; i < 4; ++i) m_function->addItem(ProgramText(kTextPfFunctionEnd + i));
  m_function->setCurrentIndex(key.function < 4 ? key.function : 0);
  m_button = new QComboBox;
  m_button->addItem(QString());
  for (const std::string& title : buttonTitles) m_button->addItem(FromCp932(title));
  if (key.fixed_function == 0 && !key.button_title.empty())
    m_button->setCurrentIndex(std::max(0, m_button->findText(FromCp932(key.button_title))));
  m_title = new QLineEdit(FromCp932(key.title));
  m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* form = new QFormLayout;
  form->addRow(QString(), m_fixed);
  form->addRow(QString(), m_function);
  form->addRow(ProgramText(kTextPfButton), m_button);
  form->addRow(ProgramText(kTextPfTitle), m_title);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(m_buttons);
  connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_fixed, &QCheckBox::toggled, this, &CPfKeyDialog::updateEnabling);
  connect(m_button, &QComboBox::currentIndexChanged, this, &CPfKeyDialog::updateEnabling);
  connect(m_title, &QLineEdit::textChanged, this, &CPfKeyDialog::updateEnabling);
  updateEnabling();
}

void CPfKeyDialog::updateEnabling() {
  const bool fixed = m_fixed->isChecked();
  m_function->setEnabled(fixed);
  m_button->setEnabled(!fixed);
  m_title->setEnabled(!fixed);
  const bool chosen = m_button->currentIndex() > 0;
  okButton()->setEnabled(fixed || chosen == !m_title->text().isEmpty());
}

void CPfKeyDialog::accept() {
  if (m_fixed->isChecked()) {
    m_object.fixed_function = 1;
    m_object.function = static_cast<uint16_t>(m_function->currentIndex());
    m_object.title.clear();
    m_object.button_title.clear();
    QDialog::accept();
    return;
  }
  std::string title, button;
  if (!FieldText(m_title, title)) {
    m_title->setFocus();
    return;
  }
  button = qel::gui::ToCp932(m_button->currentText()).value_or(std::string());
  m_object.fixed_function = 0;
  m_object.title = title;
  m_object.button_title = button;
  QDialog::accept();
}

namespace {

// OK and Cancel under a form, the layout every small dialog here shares.
void FinishDialog(QDialog* dialog, QFormLayout* form) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

}  // namespace

CBackgroundDialog::CBackgroundDialog(CQelstartDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
  setWindowTitle(ProgramText(kTextBackgroundDialog));
  m_colors = new QComboBox;
  int current = 16;
  for (int i = 0; i < 16; ++i) {
    m_colors->addItem(QString::fromUtf8(kNamedColors[i].name));
    if (doc.background_set && doc.background == kNamedColors[i].color) current = i;
  }
  m_colors->addItem(QString::fromUtf8("非表示"));
  m_colors->setCurrentIndex(current);
  auto* form = new QFormLayout;
  form->addRow(m_colors);
  FinishDialog(this, form);
}

void CBackgroundDialog::accept() {
  const int index = m_colors->currentIndex();
  m_doc.background_set = index >= 0 && index < 16;
  if (m_doc.background_set) m_doc.background = kNamedColors[index].color;
  QDialog::accept();
}

CFileTitleDialog::CFileTitleDialog(CQelstartDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
  setWindowTitle(ProgramText(kTextFileTitleDialog));
  m_title = new QLineEdit(FromCp932(doc.title));
  m_title->setMaxLength(31);  // the signature block keeps 31 bytes
  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextFileTitleLabel), m_title);
  FinishDialog(this, form);
}

void CFileTitleDialog::accept() {
  std::string title;
  if (!FieldText(m_title, title) || title.size() > 31) {
    m_title->setFocus();
    m_title->selectAll();
    return;
  }
  m_doc.title = title;
  QDialog::accept();
}

CGridDialog::CGridDialog(const DesignGrid& grid, QWidget* parent) : QDialog(parent), m_grid(grid) {
  setWindowTitle(ProgramText(kTextGridDialog));
  m_on = new QCheckBox(ProgramText(kTextGridOn));
  m_on->setChecked(grid.on);
  m_width = new QLineEdit(QString::number(grid.width));
  m_height = new QLineEdit(QString::number(grid.height));
  auto* form = new QFormLayout;
  form->addRow(QString(), m_on);
  form->addRow(ProgramText(kTextGridWidth), m_width);
  form->addRow(ProgramText(kTextGridHeight), m_height);
  form->addRow(QString(), new QLabel(ProgramText(kTextGridRange)));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void CGridDialog::accept() {
  int steps[2] = {0, 0};
  QLineEdit* fields[2] = {m_width, m_height};
  for (int i = 0; i < 2; ++i) {
    bool ok = false;
    steps[i] = fields[i]->text().trimmed().toInt(&ok);
    if (!ok || !GridStepValid(steps[i])) {
      ShowDesignMessage(design_messages::InvalidGrid());
      fields[i]->setFocus();
      fields[i]->selectAll();
      return;
    }
  }
  m_grid = {m_on->isChecked(), steps[0], steps[1]};
  QDialog::accept();
}

}  // namespace qel::launch::gui
