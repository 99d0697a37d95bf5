#include "launch/qelstart/design_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gui/qt_text.h"
#include "launch/launcher_texts.h"
#include "launch/menu_design.h"
#include "launch/menu_view.h"
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

void ShowProgramMessage(int id) {
  const auto text = platform::LoadProgramString(static_cast<unsigned>(id));
  ShowDesignMessage(text ? std::string(*text) : std::string());
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
QDialogButtonBox* FinishDialog(QDialog* dialog, QFormLayout* form) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  return buttons;
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

LogFont* FontOfObject(CLCNObject& object) {
  switch (object.Kind()) {
    case ObjectKind::kString:
      return &static_cast<CLCNString&>(object).font;
    case ObjectKind::kButton:
      return &static_cast<CLCNButton&>(object).font;
    case ObjectKind::kPfKey:
      return &static_cast<CLCNPfKey&>(object).font;
    case ObjectKind::kXIcon:
      return &static_cast<CLCNXIcon&>(object).font;
    default:
      return nullptr;
  }
}

ColorRef* ColorOfObject(CLCNObject& object) {
  switch (object.Kind()) {
    case ObjectKind::kString:
      return &static_cast<CLCNString&>(object).text_color;
    case ObjectKind::kButton:
      return &static_cast<CLCNButton&>(object).text_color;
    case ObjectKind::kPfKey:
      return &static_cast<CLCNPfKey&>(object).text_color;
    case ObjectKind::kXIcon:
      return &static_cast<CLCNXIcon&>(object).text_color;
    case ObjectKind::kLine:
      return &static_cast<CLCNLine&>(object).color;
    case ObjectKind::kFrame:
      return &static_cast<CLCNFrame&>(object).fill_color;
    case ObjectKind::kRectangle:
      return &static_cast<CLCNRectangle&>(object).sides[0].color;
    default:
      return nullptr;
  }
}

bool SetObjectColor(CLCNObject& object, ColorRef color) {
  ColorRef* target = ColorOfObject(object);
  if (target == nullptr) return false;
  *target = color;
  if (object.Kind() == ObjectKind::kRectangle)
    for (CLCNLine& side : static_cast<CLCNRectangle&>(object).sides) side.color = color;
  return true;
}

namespace {

ColorRef ToColorRef(const QColor& color) {
  return static_cast<ColorRef>(color.red()) | (static_cast<ColorRef>(color.green()) << 8) |
         (static_cast<ColorRef>(color.blue()) << 16);
}

}  // namespace

CFontAttributeDialog::CFontAttributeDialog(const LogFont& font, QWidget* parent)
    : QFontDialog(parent), m_base(font) {
  setOption(QFontDialog::DontUseNativeDialog);
  setWindowTitle(ProgramText(kTextFontDialog));
  // The dialog lists sizes in points; the record holds the character height
  // in pixels.
  QFont start = qel::launch::CMenuView::fontOf(font);
  if (font.height != 0) start.setPointSizeF(std::abs(font.height) * 72.0 / logicalDpiY());
  setCurrentFont(start);
}

LogFont CFontAttributeDialog::logFont() const {
  const QFont font = currentFont();
  LogFont record = m_base;
  const int pixels = font.pixelSize() > 0 ? font.pixelSize()
                                          : static_cast<int>(font.pointSizeF() * logicalDpiY() / 72.0 + 0.5);
  if (pixels > 0) record.height = -pixels;  // character height, as the view reads it
  record.weight = std::clamp(static_cast<int>(font.weight()), 1, 1000);
  record.italic = font.italic() ? 1 : 0;
  record.underline = font.underline() ? 1 : 0;
  record.strike_out = font.strikeOut() ? 1 : 0;
  // The face name is kept in CP932 with its NUL; a name that does not fit
  // keeps the old face.
  const std::optional<std::string> face = qel::gui::ToCp932(font.family());
  if (face && face->size() < record.face_name.size()) {
    record.face_name.fill('\0');
    std::memcpy(record.face_name.data(), face->data(), face->size());
  }
  return record;
}

CColorChoiceDialog::CColorChoiceDialog(CQelstartDoc& doc, ColorRef color, QWidget* parent)
    : QColorDialog(parent), m_doc(doc) {
  setOption(QColorDialog::DontUseNativeDialog);
  setWindowTitle(ProgramText(kTextColorDialog));
  for (int i = 0; i < 16; ++i)
    QColorDialog::setCustomColor(i, qel::launch::CMenuView::colorOf(doc.custom_colors[i]));
  setCurrentColor(qel::launch::CMenuView::colorOf(color));
}

ColorRef CColorChoiceDialog::chosenColor() const { return ToColorRef(currentColor()); }

void CColorChoiceDialog::accept() {
  for (int i = 0; i < 16; ++i) m_doc.custom_colors[i] = ToColorRef(QColorDialog::customColor(i));
  QColorDialog::accept();
}

CColorField::CColorField(CQelstartDoc& doc, ColorRef color, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_color(color) {
  m_sample = new QLabel;
  m_sample->setFixedSize(48, 20);
  m_sample->setFrameShape(QFrame::Box);
  m_sample->setAutoFillBackground(true);
  m_change = new QPushButton(ProgramText(kTextColorChange));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_sample);
  layout->addWidget(m_change);
  layout->addStretch();
  connect(m_change, &QPushButton::clicked, this, [this] {
    CColorChoiceDialog dialog(m_doc, m_color, this);
    if (dialog.exec() == QDialog::Accepted) setColor(dialog.chosenColor());
  });
  setColor(color);
}

void CColorField::setColor(ColorRef color) {
  m_color = color;
  QPalette palette = m_sample->palette();
  palette.setColor(QPalette::Window, qel::launch::CMenuView::colorOf(color));
  m_sample->setPalette(palette);
}

CLineDialog::CLineDialog(CQelstartDoc& doc, CLCNObject& object, QWidget* parent)
    : QDialog(parent), m_object(object) {
  setWindowTitle(ProgramText(kTextLineDialog));
  const CLCNLine& line = object.Kind() == ObjectKind::kRectangle
                             ? static_cast<CLCNRectangle&>(object).sides[0]
                             : static_cast<CLCNLine&>(object);
  m_style = new QComboBox;
  for (int i = 0; i < 5; ++i) m_style->addItem(ProgramText(kTextPenSolid + i));
  m_style->setCurrentIndex(line.pen_style < 5 ? line.pen_style : 0);
  m_color = new CColorField(doc, line.color);
  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextLineStyle), m_style);
  form->addRow(ProgramText(kTextColorLabel), m_color);
  FinishDialog(this, form);
}

void CLineDialog::accept() {
  const auto style = static_cast<uint16_t>(std::max(0, m_style->currentIndex()));
  if (m_object.Kind() == ObjectKind::kRectangle) {
    for (CLCNLine& side : static_cast<CLCNRectangle&>(m_object).sides) side.pen_style = style;
  } else {
    static_cast<CLCNLine&>(m_object).pen_style = style;
  }
  SetObjectColor(m_object, m_color->color());
  QDialog::accept();
}

CFrameDialog::CFrameDialog(CQelstartDoc& doc, CLCNFrame& frame, QWidget* parent)
    : QDialog(parent), m_object(frame) {
  setWindowTitle(ProgramText(kTextFrameDialog));
  m_color = new CColorField(doc, frame.fill_color);
  m_style = new QComboBox;
  for (int i = 0; i < 5; ++i) m_style->addItem(ProgramText(kTextFrameNone + i));
  m_style->setCurrentIndex(frame.DrawStyle() - CLCNFrame::kNone);
  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextColorLabel), m_color);
  form->addRow(ProgramText(kTextFrameStyle), m_style);
  FinishDialog(this, form);
}

void CFrameDialog::accept() {
  m_object.style = static_cast<uint16_t>(CLCNFrame::kNone + std::max(0, m_style->currentIndex()));
  m_object.fill_color = m_color->color();
  QDialog::accept();
}

CPictureDialog::CPictureDialog(CLCNPicture& picture, QWidget* parent)
    : QDialog(parent), m_object(picture) {
  setWindowTitle(ProgramText(kTextPictureDialog));
  m_file = new QLineEdit(QString::fromLocal8Bit(picture.image_file.c_str()));
  auto* browse = new QPushButton(ProgramText(kTextBrowse));
  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextPictureFile), WithBrowse(m_file, browse));
  m_buttons = FinishDialog(this, form);
  m_file->setMinimumWidth(280);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, ProgramText(kTextPictureBrowseTitle),
                                                      m_file->text(), ProgramText(kTextPictureFilter));
    if (!file.isEmpty()) m_file->setText(file);
  });
  auto enable = [this] { okButton()->setEnabled(!m_file->text().trimmed().isEmpty()); };
  connect(m_file, &QLineEdit::textChanged, this, enable);
  enable();
}

void CPictureDialog::accept() {
  CLCNPicture probe;
  probe.image_file = m_file->text().trimmed().toLocal8Bit().toStdString();
  if (probe.image_file.empty() || !probe.CheckImageFile().empty()) {
    ShowProgramMessage(kTextBadPicture);
    m_file->setFocus();
    m_file->selectAll();
    return;
  }
  m_object.image_file = probe.image_file;
  QDialog::accept();
}

std::vector<QIcon> IconsOfFile(const QString& path) {
  std::vector<QIcon> icons;
  const QFileInfo info(path);
  if (!info.isFile()) return icons;
  QImageReader reader(path);
  if (reader.canRead()) {
    do {
      const QImage image = reader.read();
      if (image.isNull()) break;
      icons.emplace_back(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage() && icons.size() < 256);
    if (!icons.empty()) return icons;
  }
  const QString suffix = info.suffix().toLower();
  if (info.isExecutable() || suffix == QLatin1String("exe") || suffix == QLatin1String("dll"))
    icons.push_back(QApplication::style()->standardIcon(QStyle::SP_DesktopIcon));
  return icons;
}

CIconDialog::CIconDialog(CLCNXIcon& icon, QWidget* parent) : QDialog(parent), m_object(icon) {
  setWindowTitle(ProgramText(kTextIconDialog));
  m_program = new QLineEdit(FromCp932(icon.program));
  m_program->setMaxLength(128);
  auto* programBrowse = new QPushButton(ProgramText(kTextBrowse));
  m_iconFile = new QLineEdit(FromCp932(icon.icon_file));
  m_iconFile->setMaxLength(128);
  auto* iconBrowse = new QPushButton(ProgramText(kTextBrowse));
  m_icons = new QListWidget;
  m_icons->setViewMode(QListView::IconMode);
  m_icons->setFlow(QListView::LeftToRight);
  m_icons->setWrapping(false);
  m_icons->setIconSize(QSize(32, 32));
  m_icons->setGridSize(QSize(44, 44));
  m_icons->setMovement(QListView::Static);
  m_icons->setFixedHeight(64);
  m_parameters = new QLineEdit(FromCp932(icon.parameters));
  m_parameters->setMaxLength(128);
  m_wait = new QCheckBox(ProgramText(kTextButtonWait));
  m_wait->setChecked(icon.functions & CLCNButton::kWaitForEnd);
  m_iconic = new QCheckBox(ProgramText(kTextButtonIconic));
  m_iconic->setChecked(icon.functions & CLCNButton::kStartIconic);
  auto* form = new QFormLayout;
  form->addRow(ProgramText(kTextIconProgram), WithBrowse(m_program, programBrowse));
  form->addRow(ProgramText(kTextIconFile), WithBrowse(m_iconFile, iconBrowse));
  form->addRow(ProgramText(kTextIconList), m_icons);
  form->addRow(ProgramText(kTextIconParameters), m_parameters);
  form->addRow(QString(), m_wait);
  form->addRow(QString(), m_iconic);
  m_buttons = FinishDialog(this, form);
  m_program->setMinimumWidth(280);

  connect(programBrowse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, ProgramText(kTextProgramBrowseTitle),
                                                      m_program->text(), ProgramText(kTextProgramFilter));
    if (!file.isEmpty()) m_program->setText(file);
  });
  connect(iconBrowse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, ProgramText(kTextIconBrowseTitle),
                                                      m_iconFile->text(), ProgramText(kTextIconFilter));
    if (!file.isEmpty()) m_iconFile->setText(file);
  });
  auto enable = [this] { okButton()->setEnabled(!m_program->text().trimmed().isEmpty()); };
  connect(m_program, &QLineEdit::textChanged, this, enable);
  connect(m_program, &QLineEdit::editingFinished, this, &CIconDialog::loadIcons);
  connect(m_program, &QLineEdit::textChanged, this, [this] {
    if (m_iconFile->text().trimmed().isEmpty()) loadIcons();
  });
  connect(m_iconFile, &QLineEdit::textChanged, this, &CIconDialog::loadIcons);
  enable();
  loadIcons();
  if (icon.icon_index < m_icons->count()) m_icons->setCurrentRow(icon.icon_index);
}

void CIconDialog::loadIcons() {
  const QString iconFile = m_iconFile->text().trimmed();
  const QString source = iconFile.isEmpty() ? m_program->text().trimmed() : iconFile;
  const int row = std::max(0, m_icons->currentRow());
  m_icons->clear();
  for (const QIcon& icon : IconsOfFile(source)) m_icons->addItem(new QListWidgetItem(icon, QString()));
  if (m_icons->count() > 0) m_icons->setCurrentRow(std::min(row, m_icons->count() - 1));
}

void CIconDialog::accept() {
  std::string program, iconFile, parameters;
  QLineEdit* fields[] = {m_program, m_iconFile, m_parameters};
  std::string* values[] = {&program, &iconFile, &parameters};
  for (int i = 0; i < 3; ++i) {
    if (!FieldText(fields[i], *values[i])) {
      fields[i]->setFocus();
      fields[i]->selectAll();
      return;
    }
  }
  if (!iconFile.empty() && IconsOfFile(m_iconFile->text().trimmed()).empty()) {
    ShowProgramMessage(kTextNoIcon);
    m_iconFile->setFocus();
    m_iconFile->selectAll();
    return;
  }
  m_object.program = program;
  m_object.icon_file = iconFile;
  m_object.parameters = parameters;
  m_object.icon_index = static_cast<uint16_t>(std::max(0, m_icons->currentRow()));
  m_object.functions = (m_wait->isChecked() ? CLCNButton::kWaitForEnd : 0u) |
                       (m_iconic->isChecked() ? CLCNButton::kStartIconic : 0u);
  if (m_object.title.empty())
    m_object.title = qel::gui::ToCp932(QFileInfo(m_program->text().trimmed()).completeBaseName())
                         .value_or(std::string());
  QDialog::accept();
}

}  // namespace qel::launch::gui
