// The rework program's dialogs: widgets in, editor answers out.
#include "rework/qelrework/rework_dialogs.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QVBoxLayout>

#include "gui/qt_text.h"
#include "message/qelmessage.h"
#include "rework/qelrework/list_lines.h"
#include "rework/qelrework/rework_texts.h"

namespace qel::rework::gui {

namespace {

using qel::gui::ProgramText;

QuestionAnswerer& Answerer() {
  static QuestionAnswerer answerer;
  return answerer;
}

std::function<void(QDialog&)>& DialogObserver() {
  static std::function<void(QDialog&)> observer;
  return observer;
}

QPushButton* Button(QWidget* parent, unsigned text_id, bool is_default = false) {
  auto* button = new QPushButton(ProgramText(text_id), parent);
  button->setAutoDefault(is_default);
  button->setDefault(is_default);
  return button;
}

// OK and Cancel at the bottom right of a dialog.
QHBoxLayout* OkCancelRow(QDialog* dialog, QPushButton** ok) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  *ok = Button(dialog, kTextOk, true);
  QPushButton* cancel = Button(dialog, kTextCancel);
  QObject::connect(*ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row->addWidget(*ok);
  row->addWidget(cancel);
  return row;
}

void FillItemCombo(QComboBox* combo, const ZovozEditor& editor, bool output) {
  combo->addItem(QString());
  for (int n = 1; n <= editor.ItemCount(output); ++n) {
    combo->addItem(textOf(ComboItem(n, editor.ItemName(output, n))));
  }
}

void FillUndefined(QComboBox* combo, const ZovozEditor& editor) {
  const auto& names = editor.doc().undefined_names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    combo->addItem(textOf(UndefinedComboItem(static_cast<int>(i + 1), names[i])));
  }
}

void Focus(QWidget* widget) {
  if (widget == nullptr) return;
  widget->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
}

}  // namespace

// --- shared helpers ---

int showAnswer(const Answer& answer) {
  if (answer.message == 0) return 0;
  const char* args[5];
  for (int i = 0; i < 5; ++i) args[i] = answer.args[i].c_str();
  return KMSOErrmsgout(kLogRework, answer.message, args);
}

void setQuestionAnswerer(QuestionAnswerer answerer) { Answerer() = std::move(answerer); }

bool askOkCancel(QWidget* parent, unsigned text_id) {
  const QString question = ProgramText(text_id);
  if (Answerer()) return Answerer()(question);
  QMessageBox box(QMessageBox::Question, ProgramText(kTextAppTitle), question,
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setText(ProgramText(kTextOk));
  box.button(QMessageBox::Cancel)->setText(ProgramText(kTextCancel));
  return box.exec() == QMessageBox::Ok;
}

std::string cp932Of(const QString& text) {
  if (std::optional<std::string> cp932 = qel::gui::ToCp932(text)) return *cp932;
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString textOf(const std::string& cp932) { return qel::gui::FromCp932(cp932); }

std::string fileNameOf(const QString& text) {
  const QByteArray bytes = QFile::encodeName(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString fileNameText(const std::string& name) {
  return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

QString itemReference(const ZovozEditor& editor, int item, bool output) {
  if (item < 0) {
    const auto& names = editor.doc().undefined_names();
    const std::size_t place = static_cast<std::size_t>(-item);
    return textOf(UndefinedComboItem(-item, place <= names.size() ? names[place - 1] : ""))
        .trimmed();
  }
  return textOf(ComboItem(item, editor.ItemName(output, item)));
}

QString entryToolTip(const CZovozDoc& doc, const EditEntry& e) {
  const std::string source = e.kind == 1 ? std::string(e.constant != nullptr ? e.constant : "")
                                         : doc.ItemName(e.input_item, false);
  return textOf(source) + QStringLiteral(" → ") + textOf(doc.ItemName(e.output_item, true));
}

QFont fixedFont(const QFont& base) {
  QFont font = base;
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

QStringList qtFilters(const QString& filter) {
  QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    if (text.isEmpty()) break;
    QStringList patterns;
    for (QString p : parts[i + 1].split(QLatin1Char(';'))) {
      p = p.trimmed();
      if (p == QStringLiteral("*.*")) {
        patterns << QStringLiteral("*");
      } else if (!p.isEmpty()) {
        // Windows names ignore letter case; both cases match here.
        patterns << p.toLower() << p.toUpper();
      }
    }
    patterns.removeDuplicates();
    filters << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, unsigned title_id,
                                            unsigned filter_id, bool save) {
  auto dialog = std::make_unique<QFileDialog>(parent, ProgramText(title_id));
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setNameFilters(qtFilters(ProgramText(filter_id)));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  return dialog;
}

void setDialogObserver(std::function<void(QDialog&)> observer) {
  DialogObserver() = std::move(observer);
}

int execDialog(QDialog& dialog) {
  if (DialogObserver()) {
    auto observer = DialogObserver();
    QMetaObject::invokeMethod(
        &dialog, [&dialog, observer] { observer(dialog); }, Qt::QueuedConnection);
  }
  return dialog.exec();
}

// --- 入出力ファイルの設定 ---

CFileDlg::CFileDlg(ZovozEditor& editor, QWidget* parent) : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("fileDialog"));
  setWindowTitle(ProgramText(kTextFilesTitle));
  const FileNames names = editor.Files();
  const std::string* values[4] = {&names.in_data, &names.in_def, &names.out_data, &names.out_def};
  const unsigned labels[4] = {kTextInData, kTextInDef, kTextOutData, kTextOutDef};
  const unsigned browse[4] = {kTextBrowseI, kTextBrowseJ, kTextBrowseO, kTextBrowseP};
  const int count = editor.edit_form() ? 4 : 3;
  auto* grid = new QGridLayout;
  for (int i = 0; i < count; ++i) {
    auto* label = new QLabel(ProgramText(labels[i]), this);
    auto* edit = new QLineEdit(fileNameText(*values[i]), this);
    edit->setMinimumWidth(360);
    auto* button = Button(this, browse[i]);
    const int field = i + 1;
    connect(button, &QPushButton::clicked, this, [this, field] { this->browse(field); });
    label->setBuddy(edit);
    grid->addWidget(label, i * 2, 0, 1, 2);
    grid->addWidget(edit, i * 2 + 1, 0);
    grid->addWidget(button, i * 2 + 1, 1);
    m_edits.push_back(edit);
    m_browse.push_back(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(OkCancelRow(this, &m_ok));
}

std::unique_ptr<QFileDialog> CFileDlg::makeBrowseDialog(int field) {
  static const unsigned titles[4] = {kTextBrowseInData, kTextBrowseInDef, kTextBrowseOutData,
                                     kTextBrowseOutDef};
  static const unsigned filters[4] = {kTextFilterInData, kTextFilterDefinition,
                                      kTextFilterOutData, kTextFilterDefinition};
  return makeFileDialog(this, titles[field - 1], filters[field - 1], field == kFieldOutData);
}

void CFileDlg::browse(int field) {
  std::unique_ptr<QFileDialog> dialog = makeBrowseDialog(field);
  if (execDialog(*dialog) == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
    nameEdit(field)->setText(dialog->selectedFiles().first());
  }
}

void CFileDlg::accept() {
  FileNames names;
  std::string* targets[4] = {&names.in_data, &names.in_def, &names.out_data, &names.out_def};
  for (int i = 0; i < fieldCount(); ++i) *targets[i] = fileNameOf(m_edits[i]->text().trimmed());
  if (m_editor.HoldsSettings() && !askOkCancel(this, kTextCloseQuestion)) {
    QDialog::reject();
    return;
  }
  for (;;) {
    const Answer answer = m_editor.SetFiles(names);
    if (answer.ok()) {
      QDialog::accept();
      return;
    }
    // A failure the box offers to retry is tried again.
    if (showAnswer(answer) == KMSO_IDRETRY) continue;
    if (answer.field >= 1 && answer.field <= fieldCount()) Focus(nameEdit(answer.field));
    return;
  }
}

// --- 複数比較条件の設定 ---

CMultiCompDlg::CMultiCompDlg(ZovozEditor& editor, const std::vector<QString>& values,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("multiCompDialog"));
  setWindowTitle(ProgramText(kTextSeveralTitle));
  auto* grid = new QGridLayout;
  for (int i = 0; i < kMaxComparisons; ++i) {
    auto* label = new QLabel(ProgramText(kTextSeveralFirst + i), this);
    auto* edit = new QLineEdit(this);
    edit->setMinimumWidth(300);
    if (i < static_cast<int>(values.size())) edit->setText(values[i]);
    edit->installEventFilter(this);
    label->setBuddy(edit);
    grid->addWidget(label, i, 0, Qt::AlignRight);
    grid->addWidget(edit, i, 1);
    m_edits.push_back(edit);
  }
  m_combo = new QComboBox(this);
  FillItemCombo(m_combo, editor, false);
  connect(m_combo, &QComboBox::activated, this, [this](int index) {
    if (index > 0) m_edits[m_current]->setText(m_combo->itemText(index));
  });
  grid->addWidget(m_combo, kMaxComparisons, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
}

bool CMultiCompDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    for (int i = 0; i < static_cast<int>(m_edits.size()); ++i) {
      if (m_edits[i] == watched) m_current = i;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::vector<QString> CMultiCompDlg::values() const {
  std::vector<QString> list;
  for (QLineEdit* edit : m_edits) {
    if (!edit->text().isEmpty()) list.push_back(edit->text());
  }
  return list;
}

// --- 選択条件定義 ---

CSelCondDlg::CSelCondDlg(ZovozEditor& editor, QWidget* parent, int select)
    : QDialog(parent), m_editor(editor), m_conditions(editor.Conditions()) {
  setObjectName(QStringLiteral("conditionDialog"));
  setWindowTitle(ProgramText(kTextConditionsTitle));
  m_keyEdit = new QLineEdit(this);
  m_keyCombo = new QComboBox(this);
  FillItemCombo(m_keyCombo, editor, false);
  m_opCombo = new QComboBox(this);
  for (int op = 0; op < 6; ++op) m_opCombo->addItem(ProgramText(kTextOperatorFirst + op));
  m_compEdit = new QLineEdit(this);
  m_compCombo = new QComboBox(this);
  FillItemCombo(m_compCombo, editor, false);
  FillUndefined(m_compCombo, editor);
  connect(m_keyCombo, &QComboBox::activated, this, [this](int i) {
    if (i > 0) m_keyEdit->setText(m_keyCombo->itemText(i));
  });
  connect(m_compCombo, &QComboBox::activated, this, [this](int i) {
    if (i > 0) {
      m_compEdit->setText(m_compCombo->itemText(i));
      m_severalValues.clear();
    }
  });
  m_register = Button(this, kTextRegister);
  m_delete = Button(this, kTextDelete);
  m_copy = Button(this, kTextCopy);
  m_several = Button(this, kTextSeveral);
  connect(m_register, &QPushButton::clicked, this, &CSelCondDlg::registerCondition);
  connect(m_delete, &QPushButton::clicked, this, &CSelCondDlg::deleteCondition);
  connect(m_copy, &QPushButton::clicked, this, &CSelCondDlg::copyCondition);
  connect(m_several, &QPushButton::clicked, this, &CSelCondDlg::editSeveral);
  m_list = new QListWidget(this);
  m_list->setFont(fixedFont(font()));
  m_list->setMinimumSize(620, 180);
  m_expr = new QLineEdit(QString::fromStdString(editor.doc().settings.expression), this);
  m_expr->setMaxLength(static_cast<int>(kMaxExpressionLength));

  auto* grid = new QGridLayout;
  auto* keyLabel = new QLabel(ProgramText(kTextKeyItem), this);
  keyLabel->setBuddy(m_keyEdit);
  auto* opLabel = new QLabel(ProgramText(kTextOperator), this);
  opLabel->setBuddy(m_opCombo);
  auto* compLabel = new QLabel(ProgramText(kTextComparison), this);
  compLabel->setBuddy(m_compEdit);
  grid->addWidget(keyLabel, 0, 0);
  grid->addWidget(m_keyEdit, 0, 1);
  grid->addWidget(m_keyCombo, 0, 2);
  grid->addWidget(opLabel, 1, 0);
  grid->addWidget(m_opCombo, 1, 1, Qt::AlignLeft);
  grid->addWidget(compLabel, 2, 0);
  grid->addWidget(m_compEdit, 2, 1);
  grid->addWidget(m_compCombo, 2, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {m_register, m_delete, m_copy, m_several}) buttons->addWidget(b);
  buttons->addStretch();
  auto* listLabel = new QLabel(ProgramText(kTextConditionList), this);
  listLabel->setBuddy(m_list);
  auto* exprLabel = new QLabel(ProgramText(kTextExpression), this);
  exprLabel->setBuddy(m_expr);
  auto* exprRow = new QHBoxLayout;
  exprRow->addWidget(exprLabel);
  exprRow->addWidget(m_expr, 1);
  exprRow->addWidget(new QLabel(ProgramText(kTextLegend), this));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->addWidget(listLabel);
  layout->addWidget(m_list, 1);
  layout->addLayout(exprRow);
  layout->addLayout(OkCancelRow(this, &m_ok));
  m_register->setDefault(false);
  refresh();
  if (select >= 0 && select < m_list->count()) {
    m_list->setCurrentRow(select);
    copyCondition();
  }
}

void CSelCondDlg::refresh() {
  const int row = m_list->currentRow();
  m_list->clear();
  for (std::size_t i = 0; i < m_conditions.size(); ++i) {
    const bool faulty = !m_editor.CheckCondition(m_conditions[i]).ok();
    m_list->addItem(textOf(ConditionLine(m_editor, static_cast<int>(i + 1), m_conditions[i], faulty)));
  }
  if (row >= 0 && row < m_list->count()) m_list->setCurrentRow(row);
  m_register->setEnabled(m_conditions.size() < static_cast<std::size_t>(kMaxConditions));
}

QString CSelCondDlg::valueText(const Comparison& v) const {
  return v.kind == 2 ? itemReference(m_editor, v.item, false) : textOf(v.constant);
}

void CSelCondDlg::setSeveralValues(const std::vector<QString>& values) {
  m_severalValues = values;
  m_compEdit->setText(values.empty() ? QString() : values.front());
}

void CSelCondDlg::focusField(const Answer& a) {
  switch (a.field) {
    case kFieldKey:
      Focus(m_keyEdit);
      break;
    case kFieldOperator:
      Focus(m_opCombo);
      break;
    case kFieldComparison:
      Focus(m_compEdit);
      break;
    case kFieldConditionList:
      if (a.index >= 0) m_list->setCurrentRow(a.index);
      Focus(m_list);
      break;
    case kFieldExpression:
      Focus(m_expr);
      break;
    default:
      break;
  }
}

void CSelCondDlg::registerCondition() {
  if (m_conditions.size() >= static_cast<std::size_t>(kMaxConditions)) return;
  ConditionDraft c;
  Answer a = m_editor.ParseKey(cp932Of(m_keyEdit->text()), &c.key);
  if (!a.ok()) {
    showAnswer(a);
    focusField(a);
    return;
  }
  c.op = m_opCombo->currentIndex() + 1;
  std::vector<QString> texts = m_severalValues.size() > 1
                                   ? m_severalValues
                                   : std::vector<QString>{m_compEdit->text()};
  for (const QString& text : texts) {
    Comparison v;
    a = m_editor.ParseComparison(cp932Of(text), &v);
    if (!a.ok()) {
      showAnswer(a);
      focusField(a);
      return;
    }
    c.values.push_back(std::move(v));
  }
  a = m_editor.CheckCondition(c);
  if (!a.ok()) {
    showAnswer(a);
    focusField(a);
    return;
  }
  m_conditions.push_back(std::move(c));
  m_keyEdit->clear();
  m_compEdit->clear();
  m_severalValues.clear();
  refresh();
  m_list->setCurrentRow(m_list->count() - 1);
  m_keyEdit->setFocus();
}

void CSelCondDlg::deleteCondition() {
  const int row = m_list->currentRow();
  if (row < 0 || row >= static_cast<int>(m_conditions.size())) return;
  m_conditions.erase(m_conditions.begin() + row);
  refresh();
}

void CSelCondDlg::copyCondition() {
  const int row = m_list->currentRow();
  if (row < 0 || row >= static_cast<int>(m_conditions.size())) return;
  const ConditionDraft& c = m_conditions[row];
  m_keyEdit->setText(itemReference(m_editor, c.key, false));
  if (c.op >= 1 && c.op <= 6) m_opCombo->setCurrentIndex(c.op - 1);
  std::vector<QString> values;
  for (const Comparison& v : c.values) values.push_back(valueText(v));
  if (values.size() > 1) {
    setSeveralValues(values);
  } else {
    m_severalValues.clear();
    m_compEdit->setText(values.empty() ? QString() : values.front());
  }
}

void CSelCondDlg::editSeveral() {
  std::vector<QString> values = m_severalValues;
  if (values.empty() && !m_compEdit->text().isEmpty()) values.push_back(m_compEdit->text());
  CMultiCompDlg dialog(m_editor, values, this);
  if (execDialog(dialog) == QDialog::Accepted) setSeveralValues(dialog.values());
}

void CSelCondDlg::accept() {
  const Answer a = m_editor.StoreConditions(m_conditions, cp932Of(m_expr->text()));
  if (!a.ok()) {
    showAnswer(a);
    focusField(a);
    return;
  }
  QDialog::accept();
}

// --- 定数指定 ---

CConstDlg::CConstDlg(ZovozEditor& editor, int destination, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("constantDialog"));
  setWindowTitle(ProgramText(kTextConstantTitle));
  m_edit = new QLineEdit(this);
  m_edit->setMinimumWidth(300);
  m_destination = new QLineEdit(QString::number(destination), this);
  m_destination->setReadOnly(true);
  m_destination->setFocusPolicy(Qt::NoFocus);
  auto* grid = new QGridLayout;
  auto* label = new QLabel(ProgramText(kTextConstantLabel), this);
  label->setBuddy(m_edit);
  grid->addWidget(label, 0, 0);
  grid->addWidget(m_edit, 0, 1);
  grid->addWidget(new QLabel(ProgramText(kTextConstantDestination), this), 1, 0);
  grid->addWidget(m_destination, 1, 1, Qt::AlignLeft);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
}

void CConstDlg::accept() {
  const Answer a = m_editor.AddConstant(cp932Of(m_edit->text()));
  if (!a.ok()) {
    showAnswer(a);
    Focus(m_edit);
    return;
  }
  QDialog::accept();
}

// --- 編集オプションの設定 ---

CEditOptDlg::CEditOptDlg(ZovozEditor& editor, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("editOptionsDialog"));
  setWindowTitle(ProgramText(kTextEditOptionsTitle));
  auto* method = new QGroupBox(ProgramText(kTextMethodGroup), this);
  m_appointed = new QRadioButton(ProgramText(kTextMethodAppointed), method);
  m_sameName = new QRadioButton(ProgramText(kTextMethodSameName), method);
  auto* methodLayout = new QVBoxLayout(method);
  methodLayout->addWidget(m_appointed);
  methodLayout->addWidget(m_sameName);
  auto* copy = new QGroupBox(ProgramText(kTextCopyGroup), this);
  m_copyNo = new QRadioButton(ProgramText(kTextCopyNo), copy);
  m_copyYes = new QRadioButton(ProgramText(kTextCopyYes), copy);
  auto* copyLayout = new QVBoxLayout(copy);
  copyLayout->addWidget(m_copyNo);
  copyLayout->addWidget(m_copyYes);
  const ProcedureSettings& s = editor.doc().settings;
  (s.method == kMethodSameName ? m_sameName : m_appointed)->setChecked(true);
  (s.copy ? m_copyYes : m_copyNo)->setChecked(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(method);
  layout->addWidget(copy);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
}

void CEditOptDlg::accept() {
  const Answer a = m_editor.SetEditOptions(
      m_sameName->isChecked() ? kMethodSameName : kMethodAppointed, m_copyYes->isChecked());
  if (!a.ok()) {
    showAnswer(a);
    Focus(m_editor.doc().settings.method == kMethodSameName ? m_sameName : m_appointed);
    return;
  }
  QDialog::accept();
}

// --- メタキャラクタの指定 ---

CMetaCharDlg::CMetaCharDlg(ZovozEditor& editor, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("metaDialog"));
  setWindowTitle(ProgramText(kTextMetaTitle));
  const ProcedureSettings& s = editor.doc().settings;
  auto text = [](char c) { return c == ' ' ? QString() : QString(QLatin1Char(c)); };
  m_all = new QLineEdit(text(s.meta_all), this);
  m_one = new QLineEdit(text(s.meta_one), this);
  auto* grid = new QGridLayout;
  auto* allLabel = new QLabel(ProgramText(kTextMetaAll), this);
  allLabel->setBuddy(m_all);
  auto* oneLabel = new QLabel(ProgramText(kTextMetaOne), this);
  oneLabel->setBuddy(m_one);
  grid->addWidget(allLabel, 0, 0);
  grid->addWidget(m_all, 0, 1);
  grid->addWidget(oneLabel, 1, 0);
  grid->addWidget(m_one, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
}

void CMetaCharDlg::accept() {
  const Answer a = m_editor.SetMetacharacters(cp932Of(m_all->text()), cp932Of(m_one->text()));
  if (!a.ok()) {
    showAnswer(a);
    Focus(a.field == kFieldMetaOne ? m_one : m_all);
    return;
  }
  QDialog::accept();
}

// --- 特殊オプションの設定 ---

CSpecialOptDlg::CSpecialOptDlg(ZovozEditor& editor, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("specialDialog"));
  setWindowTitle(ProgramText(kTextSpecialTitle));
  m_big = new QCheckBox(ProgramText(kTextBigEndian), this);
  m_blank = new QCheckBox(ProgramText(kTextBlankWhenZero), this);
  m_big->setChecked(editor.doc().settings.big_endian);
  m_blank->setChecked(editor.doc().settings.blank_when_zero);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_big);
  layout->addWidget(m_blank);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
}

void CSpecialOptDlg::accept() {
  m_editor.SetSpecialOptions(m_big->isChecked(), m_blank->isChecked());
  QDialog::accept();
}

// --- 編集項目 ---

CEditItemDlg::CEditItemDlg(ZovozEditor& editor, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("editListDialog"));
  setWindowTitle(ProgramText(kTextEditListTitle));
  m_list = new QListWidget(this);
  m_list->setFont(fixedFont(font()));
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setMinimumSize(480, 220);
  int place = 0;
  for (const EditEntry* e = editor.doc().edit_list; e != nullptr; e = e->next, ++place) {
    auto* item = new QListWidgetItem(textOf(EditLine(*e)), m_list);
    item->setToolTip(entryToolTip(editor.doc(), *e));
    m_places.push_back(place);
  }
  m_end = Button(this, kTextEnd, true);
  m_delete = Button(this, kTextDelete);
  m_cancel = Button(this, kTextCancel);
  connect(m_end, &QPushButton::clicked, this, &CEditItemDlg::accept);
  connect(m_delete, &QPushButton::clicked, this, &CEditItemDlg::deleteSelected);
  connect(m_cancel, &QPushButton::clicked, this, &CEditItemDlg::reject);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_end);
  buttons->addWidget(m_delete);
  buttons->addWidget(m_cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_list, 1);
  layout->addLayout(buttons);
}

void CEditItemDlg::deleteSelected() {
  QList<QListWidgetItem*> selected = m_list->selectedItems();
  if (selected.isEmpty()) return;
  if (!askOkCancel(this, kTextDeleteQuestion)) return;
  std::vector<int> rows;
  for (QListWidgetItem* item : selected) rows.push_back(m_list->row(item));
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) {
    m_removed.push_back(m_places[row]);
    m_places.erase(m_places.begin() + row);
    delete m_list->takeItem(row);
  }
}

void CEditItemDlg::accept() {
  m_editor.RemoveEdits(m_removed);
  QDialog::accept();
}

// --- 入力手順ファイルを開く ---

COpenProcDlg::COpenProcDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("openDialog"));
  setWindowTitle(ProgramText(kTextOpenTitle));
  m_edit = new QLineEdit(this);
  m_edit->setMinimumWidth(360);
  m_browse = Button(this, kTextBrowseI);
  connect(m_browse, &QPushButton::clicked, this, &COpenProcDlg::browse);
  auto* label = new QLabel(ProgramText(kTextProcedureName), this);
  label->setBuddy(m_edit);
  auto* grid = new QGridLayout;
  grid->addWidget(label, 0, 0, 1, 2);
  grid->addWidget(m_edit, 1, 0);
  grid->addWidget(m_browse, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
}

std::unique_ptr<QFileDialog> COpenProcDlg::makeBrowseDialog() {
  return makeFileDialog(this, kTextBrowseProcedure, kTextFilterProcedureOpen, false);
}

void COpenProcDlg::browse() {
  std::unique_ptr<QFileDialog> dialog = makeBrowseDialog();
  if (execDialog(*dialog) == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
    m_edit->setText(dialog->selectedFiles().first());
  }
}

void COpenProcDlg::accept() {
  const Answer a = ZovozEditor::CheckProcedureName(path());
  if (!a.ok()) {
    showAnswer(a);
    Focus(m_edit);
    return;
  }
  QDialog::accept();
}

// --- 編集パラメタエラー更新 ---

CEditErrUpdDlg::CEditErrUpdDlg(ZovozEditor& editor, const EditFault& fault, QWidget* parent)
    : QDialog(parent), m_editor(editor), m_entry(fault.entry) {
  setObjectName(QStringLiteral("editFaultDialog"));
  setWindowTitle(ProgramText(kTextCorrectTitle));
  m_input = new QLineEdit(this);
  m_inputCombo = new QComboBox(this);
  FillItemCombo(m_inputCombo, editor, false);
  m_constant = new QLineEdit(this);
  m_output = new QLineEdit(this);
  m_outputCombo = new QComboBox(this);
  FillItemCombo(m_outputCombo, editor, true);
  connect(m_inputCombo, &QComboBox::activated, this, [this](int i) {
    if (i > 0) m_input->setText(m_inputCombo->itemText(i));
  });
  connect(m_outputCombo, &QComboBox::activated, this, [this](int i) {
    if (i > 0) m_output->setText(m_outputCombo->itemText(i));
  });
  const CZovozDoc& doc = editor.doc();
  const EditEntry* e = doc.edit_list;
  for (int i = 0; e != nullptr && i < fault.entry; ++i) e = e->next;
  if (e != nullptr) {
    if (e->kind == 1) {
      m_constant->setText(textOf(e->constant != nullptr ? e->constant : ""));
    } else {
      m_input->setText(itemReference(editor, e->input_item, false));
    }
    m_output->setText(itemReference(editor, e->output_item, true));
  }
  m_fault = new QLabel(
      textOf(ProgramString(static_cast<unsigned>(EditCheckMessage(fault.message)))), this);
  m_fault->setWordWrap(true);
  m_fault->setFrameShape(QFrame::StyledPanel);

  auto* input = new QGroupBox(ProgramText(kTextInputGroup), this);
  auto* inGrid = new QGridLayout(input);
  auto* inLabel = new QLabel(ProgramText(kTextItemSetting), input);
  inLabel->setBuddy(m_input);
  auto* constLabel = new QLabel(ProgramText(kTextConstantSetting), input);
  constLabel->setBuddy(m_constant);
  inGrid->addWidget(inLabel, 0, 0);
  inGrid->addWidget(m_input, 0, 1);
  inGrid->addWidget(m_inputCombo, 0, 2);
  inGrid->addWidget(constLabel, 1, 0);
  inGrid->addWidget(m_constant, 1, 1, 1, 2);
  auto* output = new QGroupBox(ProgramText(kTextOutputGroup), this);
  auto* outGrid = new QGridLayout(output);
  auto* outLabel = new QLabel(ProgramText(kTextItemSetting), output);
  outLabel->setBuddy(m_output);
  outGrid->addWidget(outLabel, 0, 0);
  outGrid->addWidget(m_output, 0, 1);
  outGrid->addWidget(m_outputCombo, 0, 2);
  auto* faultBox = new QGroupBox(ProgramText(kTextFaultText), this);
  auto* faultLayout = new QVBoxLayout(faultBox);
  faultLayout->addWidget(m_fault);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(input);
  layout->addWidget(output);
  layout->addWidget(faultBox);
  QPushButton* ok = nullptr;
  layout->addLayout(OkCancelRow(this, &ok));
  setMinimumWidth(560);
}

void CEditErrUpdDlg::accept() {
  const Answer a = m_editor.CorrectEdit(m_entry, cp932Of(m_input->text()),
                                        cp932Of(m_constant->text()), cp932Of(m_output->text()));
  if (!a.ok()) {
    showAnswer(a);
    Focus(a.field == kFieldCorrectOutput     ? m_output
          : a.field == kFieldCorrectConstant ? m_constant
                                             : m_input);
    return;
  }
  QDialog::accept();
}

// --- パラメタエラー一覧 ---

CParamErrDlg::CParamErrDlg(ZovozEditor& editor, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
  setObjectName(QStringLiteral("faultListDialog"));
  setWindowTitle(ProgramText(kTextFaultsTitle));
  m_selList = new QListWidget(this);
  m_editList = new QListWidget(this);
  for (QListWidget* list : {m_selList, m_editList}) {
    list->setFont(fixedFont(font()));
    list->setMinimumSize(640, 120);
  }
  m_correctSel = Button(this, kTextCorrectSelection);
  m_correctEdit = Button(this, kTextCorrectEdit);
  m_deleteEntry = Button(this, kTextDeleteEntry);
  m_check = Button(this, kTextCheckAgain);
  m_end = Button(this, kTextEnd, true);
  connect(m_correctSel, &QPushButton::clicked, this, &CParamErrDlg::correctSelection);
  connect(m_correctEdit, &QPushButton::clicked, this, &CParamErrDlg::correctEdit);
  connect(m_deleteEntry, &QPushButton::clicked, this, &CParamErrDlg::deleteEntry);
  connect(m_check, &QPushButton::clicked, this, &CParamErrDlg::checkAgain);
  connect(m_end, &QPushButton::clicked, this, &CParamErrDlg::reject);
  auto* selLabel = new QLabel(ProgramText(kTextSelectionFaults), this);
  selLabel->setBuddy(m_selList);
  auto* editLabel = new QLabel(ProgramText(kTextEditFaults), this);
  editLabel->setBuddy(m_editList);
  auto* selRow = new QHBoxLayout;
  selRow->addWidget(selLabel);
  selRow->addStretch();
  selRow->addWidget(m_correctSel);
  auto* editRow = new QHBoxLayout;
  editRow->addWidget(editLabel);
  editRow->addStretch();
  editRow->addWidget(m_correctEdit);
  editRow->addWidget(m_deleteEntry);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(m_check);
  bottom->addWidget(m_end);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(selRow);
  layout->addWidget(m_selList);
  layout->addLayout(editRow);
  layout->addWidget(m_editList);
  layout->addLayout(bottom);
  const bool edits = editor.edit_form();
  editLabel->setVisible(edits);
  m_editList->setVisible(edits);
  m_correctEdit->setVisible(edits);
  m_deleteEntry->setVisible(edits);
  refresh();
}

void CParamErrDlg::refresh() {
  m_selList->clear();
  m_editList->clear();
  for (const SelectionFault& f : m_editor.doc().selection_faults) {
    m_selList->addItem(textOf(SelectionFaultLine(f)));
  }
  for (const EditFault& f : m_editor.doc().edit_faults) {
    m_editList->addItem(textOf(EditFaultLine(m_editor.doc(), f)));
  }
  if (m_selList->count() > 0) m_selList->setCurrentRow(0);
  if (m_editList->count() > 0) m_editList->setCurrentRow(0);
  m_correctSel->setEnabled(m_selList->count() > 0);
  m_correctEdit->setEnabled(m_editList->count() > 0);
  m_deleteEntry->setEnabled(m_editList->count() > 0);
}

void CParamErrDlg::correctSelection() {
  const int row = m_selList->currentRow();
  const auto& faults = m_editor.doc().selection_faults;
  if (row < 0 || row >= static_cast<int>(faults.size())) return;
  CSelCondDlg dialog(m_editor, this, faults[row].condition - 1);
  // A fault of the expression is corrected in the expression box.
  if (faults[row].condition < 0) dialog.expressionEdit()->setFocus();
  if (execDialog(dialog) == QDialog::Accepted) m_uncheckedChanges = true;
}

void CParamErrDlg::correctEdit() {
  const int row = m_editList->currentRow();
  const auto& faults = m_editor.doc().edit_faults;
  if (row < 0 || row >= static_cast<int>(faults.size())) return;
  CEditErrUpdDlg dialog(m_editor, faults[row], this);
  if (execDialog(dialog) == QDialog::Accepted) m_uncheckedChanges = true;
}

void CParamErrDlg::deleteEntry() {
  const int row = m_editList->currentRow();
  auto& faults = m_editor.doc().edit_faults;
  if (row < 0 || row >= static_cast<int>(faults.size())) return;
  if (!askOkCancel(this, kTextDeleteEntryQuestion)) return;
  const int entry = faults[row].entry;
  m_editor.RemoveEdits({entry});
  // The other faults keep pointing at their entries.
  faults.erase(faults.begin() + row);
  for (EditFault& f : faults) {
    if (f.entry > entry) --f.entry;
  }
  m_uncheckedChanges = true;
  refresh();
}

void CParamErrDlg::checkAgain() {
  const Answer a = m_editor.Check();
  m_uncheckedChanges = false;
  refresh();
  if (!a.ok()) {
    showAnswer(a);
    return;
  }
  if (m_editor.FaultCount() == 0) {
    showAnswer(MessageAnswer(2028));
    QDialog::accept();
  }
}

void CParamErrDlg::reject() {
  if (m_uncheckedChanges && !askOkCancel(this, kTextEndWithoutCheck)) return;
  QDialog::reject();
}

// --- 実行結果 ---

CRunResultDlg::CRunResultDlg(long long read, long long written, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("runResultDialog"));
  setWindowTitle(ProgramText(kTextResultTitle));
  m_read = new QLabel(QString::number(read), this);
  m_written = new QLabel(QString::number(written), this);
  for (QLabel* l : {m_read, m_written}) {
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(90);
  }
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(ProgramText(kTextResultRead), this), 0, 0);
  grid->addWidget(m_read, 0, 1);
  grid->addWidget(new QLabel(ProgramText(kTextResultWritten), this), 1, 0);
  grid->addWidget(m_written, 1, 1);
  auto* ok = Button(this, kTextOk, true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(row);
}

}  // namespace qel::rework::gui
