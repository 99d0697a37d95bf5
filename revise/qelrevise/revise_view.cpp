// The revise form: the control handlers call the document, the form events
// put its state on the widgets.
#include "revise/qelrevise/revise_view.h"

#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/qt_text.h"
#include "revise/qelrevise/revise_dialogs.h"
#include "revise/qelrevise/revise_texts.h"

namespace qel::revise::gui {
namespace {

using qel::gui::FromCp932;
using qel::gui::ProgramText;

CQelreviseView::DialogObserver& Observer() {
  static CQelreviseView::DialogObserver observer;
  return observer;
}

// The message for typed text that has no CP932 form: the wrong-character
// message of the item's check.
int UnencodableMessage(int type) {
  if (type == 2) return kKvdaNotAlphabetic;
  if (type >= 5) return kKvdaNotNumeric;
  return kKvdaNotNational;
}

std::string Utf8Of(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

CQelreviseView::CQelreviseView(CQelreviseDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
  setObjectName(QStringLiteral("view"));
  m_modeGroup = new QGroupBox(ProgramText(kTextModeGroup), this);
  m_update = new QRadioButton(ProgramText(kTextModeUpdate), m_modeGroup);
  m_input = new QRadioButton(ProgramText(kTextModeInput), m_modeGroup);
  auto* modes = new QHBoxLayout(m_modeGroup);
  modes->addWidget(m_update);
  modes->addWidget(m_input);
  m_keyTypeLabel = new QLabel(ProgramText(kTextKeyType), this);
  m_keyType = new QComboBox(this);
  m_keyType->setFont(ListFont());
  m_keyType->setMinimumContentsLength(24);
  m_keyTypeLabel->setBuddy(m_keyType);
  m_keyList = Button(kTextKeyList, this);
  m_keyLabel = new QLabel(ProgramText(kTextKeyLabel), this);
  m_keyField = new QLineEdit(this);
  m_keyLabel->setBuddy(m_keyField);
  m_display = Button(kTextDisplay, this);
  m_close = Button(kTextClose, this);
  m_delete = Button(kTextDelete, this);
  m_previous = Button(kTextPrevious, this);
  m_next = Button(kTextNext, this);
  m_register = Button(kTextRegister, this);
  m_help = Button(kTextFormHelp, this);
  m_caption = new QLabel(this);
  m_caption->setMinimumWidth(130);
  m_counter = new QLineEdit(this);
  m_counter->setReadOnly(true);
  m_counter->setFocusPolicy(Qt::NoFocus);
  m_counter->setMaximumWidth(90);
  m_entry = new QLineEdit(this);
  m_entry->setMaxLength(kMaxEntry);
  m_list = new QListWidget(this);
  m_list->setFont(ListFont());
  m_list->setUniformItemSizes(true);
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_lastField = m_entry;

  auto* top = new QGridLayout;
  top->addWidget(m_modeGroup, 0, 0, 2, 1);
  top->addWidget(m_keyTypeLabel, 0, 1);
  top->addWidget(m_keyType, 0, 2);
  top->addWidget(m_keyList, 0, 3);
  top->addWidget(m_keyLabel, 1, 1);
  top->addWidget(m_keyField, 1, 2);
  top->addWidget(m_display, 1, 3);
  top->setColumnStretch(2, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {m_close, m_delete, m_previous, m_next, m_register, m_help}) {
    buttons->addWidget(b);
  }
  buttons->addStretch();
  auto* entry = new QHBoxLayout;
  entry->addWidget(m_caption);
  entry->addWidget(m_counter);
  entry->addWidget(m_entry, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->addLayout(entry);
  layout->addWidget(m_list, 1);
  QWidget* order[] = {m_update, m_input,    m_keyType, m_keyList,  m_keyField, m_display, m_close,
                      m_delete, m_previous, m_next,    m_register, m_help,     m_entry,   m_list};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(m_input, &QRadioButton::toggled, this, &CQelreviseView::modeInput);
  connect(m_update, &QRadioButton::toggled, this, &CQelreviseView::modeUpdate);
  connect(m_keyType, &QComboBox::activated, this, &CQelreviseView::keyTypeChosen);
  connect(m_keyList, &QPushButton::clicked, this, &CQelreviseView::keyList);
  connect(m_keyField, &QLineEdit::textChanged, this, &CQelreviseView::keyFieldChanged);
  connect(m_keyField, &QLineEdit::returnPressed, this, [this] {
    if (m_display->isEnabled()) display();
  });
  connect(m_entry, &QLineEdit::textChanged, this, &CQelreviseView::entryFieldChanged);
  connect(m_entry, &QLineEdit::returnPressed, this, [this] { commitEntry(); });
  connect(m_list, &QListWidget::currentRowChanged, this, &CQelreviseView::lineChanged);
  // A double-click, or Enter on the line.
  connect(m_list, &QListWidget::itemActivated, this, &CQelreviseView::lineDoubleClicked);
  connect(m_display, &QPushButton::clicked, this, &CQelreviseView::display);
  connect(m_close, &QPushButton::clicked, this, &CQelreviseView::closeFile);
  connect(m_delete, &QPushButton::clicked, this, &CQelreviseView::deleteRecord);
  connect(m_previous, &QPushButton::clicked, this, [this] { fetchRecord(3); });
  connect(m_next, &QPushButton::clicked, this, [this] { fetchRecord(2); });
  connect(m_register, &QPushButton::clicked, this, &CQelreviseView::registerRecord);
  connect(m_help, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpForm); });
  m_keyField->installEventFilter(this);
  m_entry->installEventFilter(this);

  formEvent(FormEvent::kReset);
  formEvent(FormEvent::kModeRadios);
}

void CQelreviseView::setDialogObserver(DialogObserver observer) {
  Observer() = std::move(observer);
}

bool CQelreviseView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == m_keyField) m_lastField = m_keyField;
    if (watched == m_entry) m_lastField = m_entry;
  } else if (event->type() == QEvent::ShortcutOverride) {
    // A line edit takes Ctrl+U (and others) for its own editing; the
    // program's accelerators come first.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::ControlModifier &&
        (key->key() == Qt::Key_O || key->key() == Qt::Key_T || key->key() == Qt::Key_L ||
         key->key() == Qt::Key_U)) {
      return true;
    }
  } else if (event->type() == QEvent::KeyPress && watched == m_entry) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      formEvent(key == Qt::Key_Up ? FormEvent::kLineUp : FormEvent::kLineDown);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- form events

void CQelreviseView::setButton(FormButton button, bool on) {
  QPushButton* const buttons[] = {m_close, m_delete, m_previous, m_next, m_register};
  // A sequential file has no delete.
  if (button == FormButton::kDelete && !m_doc.indexed()) on = false;
  buttons[static_cast<int>(button)]->setEnabled(on);
}

void CQelreviseView::showLines() {
  const std::vector<std::string> lines = m_doc.Lines();
  const QSignalBlocker block(m_list);
  m_list->clear();
  const int height = QFontMetrics(m_list->font()).height() + 2;
  for (const std::string& line : lines) {
    auto* item = new QListWidgetItem(FromCp932(line), m_list);
    item->setSizeHint(QSize(kListExtent, height));
  }
  if (m_line >= m_list->count()) m_line = -1;
  m_list->setCurrentRow(m_line);
}

void CQelreviseView::formEvent(FormEvent event, int arg) {
  switch (event) {
    case FormEvent::kReset:
      formEvent(FormEvent::kModeOn);
      formEvent(FormEvent::kKeyGroupOff);
      formEvent(FormEvent::kKeyEntryOff);
      for (FormButton b : {FormButton::kClose, FormButton::kDelete, FormButton::kPrevious,
                           FormButton::kNext, FormButton::kRegister}) {
        formEvent(FormEvent::kButtonOff, static_cast<int>(b));
      }
      emit titleChanged(QString());
      formEvent(FormEvent::kClear);
      formEvent(FormEvent::kClearValues);
      m_keyLabel->setText(ProgramText(kTextKeyLabel));
      break;
    case FormEvent::kBuildList:
    case FormEvent::kBuildSelectedList:
    case FormEvent::kCopyDisplay:
      showLines();
      break;
    case FormEvent::kInputDisplay:
    case FormEvent::kRecordDisplay:
      showLines();
      m_caption->clear();
      m_counter->clear();
      if (event == FormEvent::kRecordDisplay) setButton(FormButton::kRegister, false);
      break;
    case FormEvent::kLineRefresh: {
      const std::vector<std::string> lines = m_doc.Lines();
      if (arg >= 0 && arg < m_list->count() && arg < static_cast<int>(lines.size())) {
        m_list->item(arg)->setText(FromCp932(lines[arg]));
      }
      break;
    }
    case FormEvent::kClear: {
      const QSignalBlocker block_list(m_list);
      const QSignalBlocker block_keys(m_keyType);
      m_list->clear();
      m_keyType->clear();
      m_keyIndex = -1;
      m_keyField->clear();
      m_entry->clear();
      m_line = -1;
      break;
    }
    case FormEvent::kAllKeys:
    case FormEvent::kPrimaryKey: {
      const QSignalBlocker block(m_keyType);
      m_keyType->clear();
      std::vector<std::string> names = m_doc.KeyNames();
      if (event == FormEvent::kPrimaryKey && names.size() > 1) names.resize(1);
      for (const std::string& name : names) {
        char line[64];
        std::snprintf(line, sizeof line, " %-31s", name.c_str());
        m_keyType->addItem(FromCp932(line));
      }
      m_keyType->setCurrentIndex(names.empty() ? -1 : 0);
      m_keyIndex = m_keyType->currentIndex();
      if (!names.empty()) ShowMessage(m_doc.ChangeKey(1));
      break;
    }
    case FormEvent::kButtonOn:
    case FormEvent::kButtonOff:
      setButton(static_cast<FormButton>(arg), event == FormEvent::kButtonOn);
      break;
    case FormEvent::kKeyGroupOn:
      m_keyTypeLabel->setEnabled(true);
      m_keyType->setEnabled(true);
      m_keyList->setEnabled(arg != 0);
      break;
    case FormEvent::kKeyGroupOff:
      m_keyTypeLabel->setEnabled(false);
      m_keyType->setEnabled(false);
      m_keyList->setEnabled(false);
      break;
    case FormEvent::kKeyEntryOn: {
      const QSignalBlocker block(m_keyField);
      m_keyLabel->setText(ProgramText(m_doc.indexed() ? kTextKeyLabel : kTextRecordNumberLabel));
      m_keyLabel->setEnabled(true);
      m_keyField->setEnabled(true);
      m_keyField->setMaxLength(m_doc.indexed() ? kKeyFieldLimit : kRecordNumberLimit);
      m_keyField->setReadOnly(m_doc.controls().key_read_only);
      m_keyField->setText(FromCp932(m_doc.key_field()));
      m_display->setEnabled(false);
      break;
    }
    case FormEvent::kKeyEntryOff:
      m_keyLabel->setEnabled(false);
      m_keyField->setEnabled(false);
      m_entry->setEnabled(false);
      m_display->setEnabled(false);
      break;
    case FormEvent::kModeOn:
    case FormEvent::kModeOff:
      m_modeGroup->setEnabled(event == FormEvent::kModeOn);
      break;
    case FormEvent::kKeyText: {
      const QSignalBlocker block(m_keyField);
      m_keyField->setText(FromCp932(m_doc.key_field()));
      keyFieldChanged(m_keyField->text());
      if (m_line < 0 && m_list->count() > 0) {
        // The first line that takes a value (a group line takes none).
        int row = 0;
        while (row + 1 < m_list->count() && !m_doc.Editable(row)) ++row;
        m_list->setCurrentRow(m_doc.Editable(row) ? row : 0);
      }
      if (m_entry->isEnabled()) m_entry->setFocus();
      break;
    }
    case FormEvent::kModeRadios: {
      QRadioButton* radio = m_doc.mode() == 1 ? m_input : m_update;
      const QSignalBlocker block_input(m_input);
      const QSignalBlocker block_update(m_update);
      radio->setChecked(true);
      if (radio->isEnabled() && isVisible()) radio->setFocus();
      break;
    }
    case FormEvent::kLineUp:
    case FormEvent::kLineDown: {
      if (m_list->count() == 0) break;
      int row = m_line + (event == FormEvent::kLineUp ? -1 : 1);
      if (m_line < 0) row = 0;
      if (row < 0 || row >= m_list->count()) break;
      m_list->setCurrentRow(row);
      break;
    }
    case FormEvent::kCopy:
      // A field without the focus has lost its selection: it copies whole.
      if (m_lastField->hasSelectedText()) {
        m_lastField->copy();
      } else if (!m_lastField->text().isEmpty()) {
        QGuiApplication::clipboard()->setText(m_lastField->text());
      }
      break;
    case FormEvent::kPaste:
      m_lastField->paste();
      break;
    case FormEvent::kClearValues: {
      const QSignalBlocker block(m_entry);
      m_entry->clear();
      m_entry->setEnabled(false);
      m_caption->clear();
      m_counter->clear();
      formEvent(FormEvent::kForgetLines);
      break;
    }
    case FormEvent::kForgetLines: {
      const QSignalBlocker block(m_list);
      m_line = -1;
      m_list->setCurrentRow(-1);
      break;
    }
    case FormEvent::kOpenState:
      emit stateChanged();
      break;
  }
}

void CQelreviseView::focusOn(Focus focus) {
  switch (focus) {
    case Focus::kKeyType:
      m_keyType->setFocus();
      break;
    case Focus::kKeyField:
      m_keyField->setFocus();
      m_keyField->selectAll();
      break;
    case Focus::kEntryField:
      if (m_entry->isEnabled()) {
        m_entry->setFocus();
        m_entry->selectAll();
      }
      break;
    default:
      break;
  }
}

int CQelreviseView::runDialog(QDialog& dialog) {
  if (Observer()) Observer()(dialog);
  return dialog.exec();
}

// ------------------------------------------------------------------ commands

void CQelreviseView::fileSettings() {
  if (m_doc.is_open()) {
    if (BoxAsk()(kKvwnAskClose) != kYes) return;
    closeFile();
  }
  CFileSettingsDlg dialog(m_doc, m_settings, this);
  connect(&dialog, &CFileSettingsDlg::helpRequested, this, &CQelreviseView::helpRequested);
  const int result = runDialog(dialog);
  m_settings = dialog.settings();
  if (result != QDialog::Accepted) return;
  formEvent(FormEvent::kOpenState);
  if (!m_doc.is_open()) {
    formEvent(FormEvent::kReset);
    return;
  }
  emit titleChanged(FromCp932(m_doc.title()));
  if (m_doc.selecting()) {
    formEvent(FormEvent::kClear);
    formEvent(FormEvent::kBuildList);
    formEvent(FormEvent::kModeOff);
    formEvent(FormEvent::kKeyGroupOff);
    formEvent(FormEvent::kKeyEntryOff);
    formEvent(FormEvent::kButtonOn, static_cast<int>(FormButton::kClose));
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
    m_list->setFocus();
  } else {
    setUpKeyEntry(false);
  }
  emit stateChanged();
}

void CQelreviseView::setUpKeyEntry(bool selected_list) {
  formEvent(FormEvent::kClear);
  formEvent(selected_list ? FormEvent::kBuildSelectedList : FormEvent::kBuildList);
  formEvent(FormEvent::kModeOn);
  formEvent(FormEvent::kModeRadios);
  formEvent(FormEvent::kButtonOn, static_cast<int>(FormButton::kClose));
  for (FormButton b :
       {FormButton::kDelete, FormButton::kPrevious, FormButton::kNext, FormButton::kRegister}) {
    formEvent(FormEvent::kButtonOff, static_cast<int>(b));
  }
  if (m_doc.indexed()) {
    formEvent(FormEvent::kKeyGroupOn, m_doc.mode() == 0);
    formEvent(m_doc.mode() == 0 ? FormEvent::kAllKeys : FormEvent::kPrimaryKey);
  } else {
    formEvent(FormEvent::kKeyGroupOff);
  }
  formEvent(FormEvent::kKeyEntryOn);
  formEvent(FormEvent::kClearValues);
  if (m_keyField->isReadOnly()) {
    m_list->setFocus();
  } else {
    m_keyField->setFocus();
  }
}

void CQelreviseView::closeFile() {
  if (m_doc.is_open()) ShowMessage(m_doc.Close());
  formEvent(FormEvent::kReset);
  formEvent(FormEvent::kOpenState);
}

bool CQelreviseView::canFetchEnds() const {
  return m_doc.is_open() && m_doc.mode() == 0 && !m_doc.selecting();
}

bool CQelreviseView::canCopy() const {
  return m_doc.is_open() && m_doc.mode() == 1 && m_doc.has_previous() && !m_doc.selecting();
}

void CQelreviseView::specialOptions() {
  CSpecialOptionsDlg dialog(m_doc, this);
  connect(&dialog, &CSpecialOptionsDlg::helpRequested, this, &CQelreviseView::helpRequested);
  runDialog(dialog);
}

void CQelreviseView::keyList() {
  if (!m_doc.is_open() || !m_doc.indexed()) return;
  CKeyListDlg dialog(m_doc, this);
  runDialog(dialog);
  const int key = dialog.chosenKey();
  if (key <= 0 || key > m_keyType->count()) return;
  m_keyType->setCurrentIndex(key - 1);
  keyTypeChosen(key - 1);
}

void CQelreviseView::copyRecord() {
  if (!canCopy()) return;
  ShowMessage(m_doc.CopyPrevious());
  formEvent(FormEvent::kCopyDisplay);
  showLine();
  formEvent(anyEntered() ? FormEvent::kButtonOn : FormEvent::kButtonOff,
            static_cast<int>(FormButton::kRegister));
}

// ---------------------------------------------------------- control handlers

void CQelreviseView::modeInput(bool checked) {
  if (!checked || m_doc.mode() == 1) return;
  m_doc.SetMode(1);
  emit stateChanged();
  if (!m_doc.is_open() || m_doc.selecting()) return;
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kPrevious));
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kNext));
  if (m_doc.indexed()) {
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kDelete));
    formEvent(FormEvent::kKeyGroupOn, 0);
    formEvent(FormEvent::kPrimaryKey);
  } else {
    formEvent(FormEvent::kKeyGroupOff);
  }
  formEvent(FormEvent::kKeyEntryOn);  // Display off; a relative file's number is read-only
  formEvent(FormEvent::kClearValues);
  formEvent(FormEvent::kInputDisplay);
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
}

void CQelreviseView::modeUpdate(bool checked) {
  if (!checked || m_doc.mode() == 0) return;
  m_doc.SetMode(0);
  emit stateChanged();
  if (!m_doc.is_open() || m_doc.selecting()) return;
  formEvent(FormEvent::kClearValues);
  {
    const QSignalBlocker block(m_keyType);
    m_keyType->clear();
  }
  if (m_doc.indexed()) {
    formEvent(FormEvent::kKeyGroupOn, 1);
    formEvent(FormEvent::kAllKeys);
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kDelete));
  } else {
    formEvent(FormEvent::kKeyGroupOff);
  }
  formEvent(FormEvent::kKeyEntryOn);
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kPrevious));
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kNext));
  formEvent(FormEvent::kRecordDisplay);  // every value cleared, Register off
}

void CQelreviseView::keyTypeChosen(int index) {
  if (index == m_keyIndex || index < 0) return;
  m_keyIndex = index;
  ShowMessage(m_doc.ChangeKey(index + 1));
  if (m_doc.mode() == 1) {
    formEvent(FormEvent::kInputDisplay);
  } else {
    m_doc.ClearValues();
    formEvent(FormEvent::kRecordDisplay);
    for (FormButton b : {FormButton::kDelete, FormButton::kPrevious, FormButton::kNext}) {
      formEvent(FormEvent::kButtonOff, static_cast<int>(b));
    }
  }
  formEvent(FormEvent::kClearValues);
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
}

void CQelreviseView::keyFieldChanged(const QString& text) {
  m_display->setEnabled(!text.isEmpty() && m_doc.mode() == 0 && m_doc.is_open() &&
                        !m_doc.selecting() && m_keyField->isEnabled());
}

bool CQelreviseView::anyEntered() const {
  for (const ReviseItem& item : m_doc.items()) {
    if (item.entered_text) return true;
  }
  return false;
}

void CQelreviseView::entryFieldChanged(const QString& text) {
  if (m_line < 0 || m_doc.selecting()) return;
  const std::optional<std::string> typed = TypedText(text);
  const std::string value = typed ? *typed : Utf8Of(text);
  const bool can_write = m_doc.mode() == 1 ? m_doc.is_open() : m_doc.record_shown();
  const bool differs = m_doc.Editable(m_line) && value != m_doc.EntryText(m_line);
  setButton(FormButton::kRegister, can_write && (differs || anyEntered()));
  m_caption->setText(FromCp932(m_doc.CounterCaption(m_line)));
  m_counter->setText(FromCp932(m_doc.EntryCounter(m_line, value)));
}

bool CQelreviseView::commitEntry() {
  if (m_line < 0 || !m_doc.Editable(m_line)) return true;
  const std::optional<std::string> typed = TypedText(m_entry->text());
  Message m;
  if (!typed) {
    m = {UnencodableMessage(m_doc.items()[m_line].type), {}, Focus::kEntryField};
  } else {
    m = m_doc.Commit(m_line, *typed);
  }
  if (!m.ok()) {
    ShowMessage(m);
    focusOn(m.focus);
    return false;
  }
  formEvent(FormEvent::kLineRefresh, m_line);
  return true;
}

void CQelreviseView::showLine() {
  if (m_line < 0) {
    formEvent(FormEvent::kClearValues);
    return;
  }
  const QSignalBlocker block(m_entry);
  m_entry->setEnabled(m_doc.Editable(m_line));
  m_entry->setText(FromCp932(m_doc.EntryText(m_line)));
  entryFieldChanged(m_entry->text());
}

void CQelreviseView::lineChanged(int row) {
  if (row == m_line) return;
  if (m_doc.selecting()) {
    m_line = row;
    return;
  }
  if (!commitEntry()) {
    // The value stays for correction on its own line.
    const QSignalBlocker block(m_list);
    m_list->setCurrentRow(m_line);
    return;
  }
  m_line = row;
  showLine();
}

void CQelreviseView::lineDoubleClicked(QListWidgetItem* item) {
  const int row = m_list->row(item);
  if (m_doc.selecting()) {
    ShowMessage(m_doc.ToggleMark(row));
    m_line = row;
    formEvent(FormEvent::kBuildList);
    formEvent(m_doc.controls().register_enabled ? FormEvent::kButtonOn : FormEvent::kButtonOff,
              static_cast<int>(FormButton::kRegister));
    return;
  }
  lineChanged(row);
  if (m_line == row && m_entry->isEnabled()) {
    m_entry->setFocus();
    m_entry->selectAll();
  }
}

void CQelreviseView::display() { fetchRecord(m_doc.indexed() ? 0 : 1); }

void CQelreviseView::fetchRecord(int kind) {
  if (!canFetchEnds()) return;
  std::string key;
  if (kind <= 3) {
    if (m_keyField->text().isEmpty()) return;
    const std::optional<std::string> typed = TypedText(m_keyField->text());
    if (!typed) {
      const int number = m_doc.indexed() ? kKvwnKeyInvalid : kKvdaRecordNumber;
      ShowMessage({number, {Utf8Of(m_keyField->text())}, Focus::kKeyField});
      focusOn(Focus::kKeyField);
      return;
    }
    key = *typed;
  }
  const Message m = m_doc.Fetch(kind, &key);
  if (m.ok()) {
    formEvent(FormEvent::kRecordDisplay);
    formEvent(FormEvent::kKeyText);
    showLine();
    formEvent(FormEvent::kButtonOn, static_cast<int>(FormButton::kPrevious));
    formEvent(FormEvent::kButtonOn, static_cast<int>(FormButton::kNext));
    formEvent(m_doc.controls().delete_enabled ? FormEvent::kButtonOn : FormEvent::kButtonOff,
              static_cast<int>(FormButton::kDelete));
    return;
  }
  ShowMessage(m);
  if (!m_doc.record_shown()) {
    if (m.number == 3615 || m.number == 3616) {
      // No such record: back to the state without a record, the key kept.
      formEvent(FormEvent::kRecordDisplay);
      formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kPrevious));
      formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kNext));
    }
    formEvent(FormEvent::kClearValues);
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kDelete));
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
  }
  focusOn(m.focus);
}

void CQelreviseView::registerRecord() {
  if (!m_doc.is_open()) return;
  if (m_doc.selecting()) {
    ShowMessage(m_doc.FinishSelection(BoxAsk()));
    if (!m_doc.is_open()) {
      formEvent(FormEvent::kReset);
      formEvent(FormEvent::kOpenState);
    } else if (m_doc.selecting()) {
      formEvent(FormEvent::kBuildList);
      formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
    } else {
      setUpKeyEntry(true);
      emit stateChanged();
    }
    return;
  }
  if (!commitEntry()) return;
  const std::optional<std::string> typed = TypedText(m_keyField->text());
  if (!typed) {
    ShowMessage({kKvwnKeyInvalid, {Utf8Of(m_keyField->text())}, Focus::kKeyField});
    focusOn(Focus::kKeyField);
    return;
  }
  std::string key = *typed;
  const Message m = m_doc.Register(&key);
  ShowMessage(m);
  if (m.number != kKvwnRegistered) {
    formEvent(m_doc.controls().register_enabled ? FormEvent::kButtonOn : FormEvent::kButtonOff,
              static_cast<int>(FormButton::kRegister));
    focusOn(m.focus);
    return;
  }
  if (m_doc.mode() == 1) {
    formEvent(FormEvent::kClearValues);
    formEvent(FormEvent::kInputDisplay);
    formEvent(FormEvent::kKeyText);
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
    if (m_keyField->isReadOnly()) {
      m_list->setFocus();
    } else {
      m_keyField->setFocus();
    }
  } else {
    formEvent(FormEvent::kRecordDisplay);
    formEvent(FormEvent::kKeyText);
    formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kDelete));
    showLine();
  }
  emit stateChanged();
}

void CQelreviseView::deleteRecord() {
  ShowMessage(m_doc.Delete(BoxAsk()));
  if (m_doc.record_shown()) return;
  formEvent(FormEvent::kRecordDisplay);
  formEvent(FormEvent::kClearValues);
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kDelete));
  formEvent(FormEvent::kButtonOff, static_cast<int>(FormButton::kRegister));
}

}  // namespace qel::revise::gui
