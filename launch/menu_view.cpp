// Drawing a menu document. Windows colour references are 0x00BBGGRR; pen
// styles are the Windows ones (0 solid, 1 dash, 2 dot, 3 dash-dot,
// 4 dash-dot-dot, 5 none, 6 inside frame).
#include "launch/menu_view.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QtWidgets/qdrawutil.h>

#include "gui/qt_text.h"
#include "gui/window_program.h"
#include "launch/launcher_texts.h"

namespace qel::launch {

namespace {

using qel::gui::FromCp932;

QString Cp932Text(const std::string& text) { return FromCp932(text); }

uint32_t Le32(const QByteArray& b, int at) {
  return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8) |
         (static_cast<uint8_t>(b[at + 2]) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}

void PutLe32(QByteArray& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.append(static_cast<char>(v >> (8 * i)));
}

Qt::PenStyle PenStyleOf(uint16_t style) {
  switch (style) {
    case 1:
      return Qt::DashLine;
    case 2:
      return Qt::DotLine;
    case 3:
      return Qt::DashDotLine;
    case 4:
      return Qt::DashDotDotLine;
    case 5:
      return Qt::NoPen;
    default:
      return Qt::SolidLine;
  }
}

void DrawLine(QPainter& painter, const CLCNLine& line) {
  QPen pen(CMenuView::colorOf(line.color));
  pen.setStyle(PenStyleOf(line.pen_style));
  pen.setWidth(std::max<int>(1, line.pen_width));
  painter.setPen(pen);
  painter.drawLine(QPoint(line.start.x, line.start.y), QPoint(line.end.x, line.end.y));
}

QRect RectOf(const CLCNObject& object) {
  return QRect(object.position.left, object.position.top, object.position.width,
               object.position.height);
}

// A button with a menu object's text, font and text colour; a push button
// never takes Enter as a dialog's default.
QAbstractButton* StyledButton(QAbstractButton* button, const QString& text, const LogFont& font,
                              ColorRef color) {
  button->setText(text);
  button->setFont(CMenuView::fontOf(font));
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, CMenuView::colorOf(color));
  button->setPalette(palette);
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
  return button;
}

// The icon of a program whose icon file gives none: a small window.
QImage genericIcon() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setPen(QColor(0x40, 0x40, 0x40));
  painter.setBrush(Qt::white);
  painter.drawRect(2, 4, 27, 23);
  painter.fillRect(3, 5, 26, 5, QColor(0x00, 0x00, 0x80));
  painter.fillRect(6, 14, 12, 2, QColor(0x80, 0x80, 0x80));
  painter.fillRect(6, 19, 18, 2, QColor(0x80, 0x80, 0x80));
  return image;
}

}  // namespace

CMenuView::CMenuView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("menuView"));
  setAutoFillBackground(false);
}

QColor CMenuView::colorOf(ColorRef color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QFont CMenuView::fontOf(const LogFont& record) {
  const std::string face(record.face_name.data(),
                         strnlen(record.face_name.data(), record.face_name.size()));
  const QString family = Cp932Text(face);
  QFont font = qel::gui::JapaneseFont();
  if (!family.isEmpty() && QFontDatabase::families().contains(family)) font.setFamily(family);
  if (record.height != 0) font.setPixelSize(std::abs(record.height));
  if (record.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(record.weight, 1, 1000)));
  font.setItalic(record.italic != 0);
  font.setUnderline(record.underline != 0);
  font.setStrikeOut(record.strike_out != 0);
  return font;
}

QString CMenuView::pfTitle(const CLCNPfKey& key, bool hasParent) {
  if (key.fixed_function == 0) return Cp932Text(key.title);
  switch (key.function) {
    case CLCNPfKey::kEnd:
      return qel::gui::ProgramText(kTextPfEnd);
    case CLCNPfKey::kFirstScreen:
      return hasParent ? qel::gui::ProgramText(kTextPfFirst) : QString();
    case CLCNPfKey::kPreviousScreen:
      return hasParent ? qel::gui::ProgramText(kTextPfPrevious) : QString();
    case CLCNPfKey::kCommandLine:
      return qel::gui::ProgramText(kTextPfCommand);
    default:
      return QString();
  }
}

QImage CMenuView::loadPicture(const std::string& path) {
  QFile file(QString::fromLocal8Bit(path.c_str()));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray bytes = file.read(CLCNPicture::kMaxImageBytes + 1);
  if (bytes.size() > CLCNPicture::kMaxImageBytes || bytes.size() < 16) return {};
  if (!bytes.startsWith("BM")) {
    // A bare DIB: the info header first; put a file header in front.
    const uint32_t header = Le32(bytes, 0);
    if (header != 12 && header != 40 && header != 108 && header != 124) return {};
    uint32_t palette = 0;
    if (header == 12) {
      const int bits = static_cast<uint8_t>(bytes[10]) | (static_cast<uint8_t>(bytes[11]) << 8);
      palette = bits <= 8 ? (1u << bits) * 3 : 0;
    } else {
      if (bytes.size() < 40) return {};
      const int bits = static_cast<uint8_t>(bytes[14]) | (static_cast<uint8_t>(bytes[15]) << 8);
      const uint32_t used = Le32(bytes, 32);
      palette = (used != 0 ? used : (bits <= 8 ? 1u << bits : 0)) * 4;
      if (header == 40 && Le32(bytes, 16) == 3) palette += 12;  // bit-field masks
    }
    QByteArray full("BM");
    PutLe32(full, static_cast<uint32_t>(14 + bytes.size()));
    PutLe32(full, 0);
    PutLe32(full, 14 + header + palette);
    bytes.prepend(full);
  }
  return QImage::fromData(bytes, "BMP");
}

void CMenuView::setDocument(const CQelstartDoc* document, bool hasParent) {
  m_doc = document;
  m_hasParent = hasParent;
  m_pictures.clear();
  if (m_doc != nullptr) {
    for (const auto& object : m_doc->pictures) {
      const auto& picture = static_cast<const CLCNPicture&>(*object);
      if (!m_pictures.count(picture.image_file))
        m_pictures[picture.image_file] = loadPicture(picture.image_file);
    }
  }
  rebuild();
  update();
}

void CMenuView::setInteractive(bool interactive) {
  m_interactive = interactive;
  for (auto& [object, widget] : m_widgets) {
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, !interactive);
    widget->setFocusPolicy(interactive ? Qt::StrongFocus : Qt::NoFocus);
  }
}

QWidget* CMenuView::widgetFor(const CLCNObject* object) const {
  auto it = m_widgets.find(object);
  return it == m_widgets.end() ? nullptr : it->second;
}

void CMenuView::rebuild() {
  for (auto& [object, widget] : m_widgets) delete widget;
  m_widgets.clear();
  m_controls.clear();
  m_input = nullptr;
  if (m_doc == nullptr) return;
  int pfIndex = 0;
  std::map<const CLCNObject*, int> pfIndexes;
  for (const auto& key : m_doc->pf_keys) pfIndexes[key.get()] = pfIndex++;

  // Controls in drawing order, so that Tab follows what the menu shows.
  std::vector<const CLCNObject*> order(m_doc->draw_order.begin(), m_doc->draw_order.end());
  for (const auto* list : {&m_doc->buttons, &m_doc->icons, &m_doc->pf_keys, &m_doc->inputs})
    for (const auto& object : *list)
      if (std::find(order.begin(), order.end(), object.get()) == order.end())
        order.push_back(object.get());

  for (const CLCNObject* object : order) {
    if (object == nullptr) continue;
    QWidget* widget = nullptr;
    switch (object->Kind()) {
      case ObjectKind::kButton: {
        const auto& button = static_cast<const CLCNButton&>(*object);
        QAbstractButton* push = StyledButton(new QPushButton(this), Cp932Text(button.title),
                                             button.font, button.text_color);
        connect(push, &QAbstractButton::clicked, this, [this, object] { emit objectPressed(object); });
        widget = push;
        break;
      }
      case ObjectKind::kXIcon: {
        const auto& icon = static_cast<const CLCNXIcon&>(*object);
        auto* tool = new QToolButton(this);
        tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tool->setAutoRaise(true);
        StyledButton(tool, Cp932Text(icon.title), icon.font, icon.text_color);
        const QImage image(QString::fromLocal8Bit(icon.icon_file.c_str()));
        tool->setIcon(QIcon(QPixmap::fromImage(image.isNull() ? genericIcon() : image)));
        tool->setIconSize(QSize(32, 32));
        connect(tool, &QToolButton::clicked, this, [this, object] { emit objectPressed(object); });
        widget = tool;
        break;
      }
      case ObjectKind::kPfKey: {
        const auto& key = static_cast<const CLCNPfKey&>(*object);
        const int index = pfIndexes[object];
        QAbstractButton* push =
            StyledButton(new QPushButton(this),
                         QStringLiteral("F%1\n").arg(index + 1) + pfTitle(key, m_hasParent),
                         key.font, key.text_color);
        connect(push, &QAbstractButton::clicked, this, [this, index] { emit pfKeyPressed(index); });
        widget = push;
        break;
      }
      case ObjectKind::kInput: {
        if (m_input != nullptr) break;
        m_input = new QLineEdit(this);
        m_input->setMaxLength(20);
        m_input->setObjectName(QStringLiteral("menuNumber"));
        connect(m_input, &QLineEdit::returnPressed, this,
                [this] {
                  // The number stays selected, so that the next one replaces it.
                  m_input->selectAll();
                  emit numberEntered(m_input->text());
                });
        widget = m_input;
        break;
      }
      default:
        break;
    }
    if (widget == nullptr) continue;
    widget->setGeometry(RectOf(*object));
    widget->installEventFilter(this);
    widget->show();
    m_widgets[object] = widget;
    m_controls.push_back(widget);
  }
  for (size_t i = 1; i < m_controls.size(); ++i) setTabOrder(m_controls[i - 1], m_controls[i]);
  setInteractive(m_interactive);
}

bool CMenuView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched != m_input) {
      if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
        button->click();
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool CMenuView::focusNextPrevChild(bool next) {
  if (m_controls.empty() || !m_interactive) return QWidget::focusNextPrevChild(next);
  QWidget* current = QApplication::focusWidget();
  auto it = std::find(m_controls.begin(), m_controls.end(), current);
  size_t index = it == m_controls.end() ? (next ? m_controls.size() - 1 : 0)
                                        : static_cast<size_t>(it - m_controls.begin());
  index = next ? (index + 1) % m_controls.size()
               : (index + m_controls.size() - 1) % m_controls.size();
  m_controls[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void CMenuView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor background = m_doc ? colorOf(m_doc->BackgroundColor()) : QColor(Qt::white);
  painter.fillRect(rect(), background);
  if (m_doc == nullptr) return;
  for (const CLCNObject* object : m_doc->draw_order)
    if (object != nullptr) paintObject(painter, *object);
  // Objects of an older file that has no drawing order.
  if (m_doc->draw_order.empty()) {
    for (const auto* list : {&m_doc->frames, &m_doc->pictures, &m_doc->lines, &m_doc->strings})
      for (const auto& object : *list) paintObject(painter, *object);
  }
}

void CMenuView::paintObject(QPainter& painter, const CLCNObject& object) {
  const QRect rect = RectOf(object);
  painter.save();
  switch (object.Kind()) {
    case ObjectKind::kString: {
      const auto& text = static_cast<const CLCNString&>(object);
      painter.setFont(fontOf(text.font));
      painter.setPen(colorOf(text.text_color));
      Qt::Alignment align = Qt::AlignVCenter;
      align |= (text.draw_format & 1) ? Qt::AlignHCenter
               : (text.draw_format & 2) ? Qt::AlignRight
                                        : Qt::AlignLeft;
      painter.setClipRect(rect);
      painter.drawText(rect, align | Qt::TextSingleLine, Cp932Text(text.text));
      break;
    }
    case ObjectKind::kPicture: {
      const auto& picture = static_cast<const CLCNPicture&>(object);
      auto it = m_pictures.find(picture.image_file);
      if (it != m_pictures.end() && !it->second.isNull()) {
        painter.drawImage(rect, it->second);
      } else {
        painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
      }
      break;
    }
    case ObjectKind::kFrame: {
      const auto& frame = static_cast<const CLCNFrame&>(object);
      const QColor fill = colorOf(frame.fill_color);
      const QPalette palette(fill);
      switch (frame.DrawStyle()) {
        case CLCNFrame::kShadow:
          painter.fillRect(rect.translated(4, 4), QColor(0x80, 0x80, 0x80));
          painter.fillRect(rect, fill);
          painter.setPen(Qt::black);
          painter.drawRect(rect.adjusted(0, 0, -1, -1));
          break;
        case CLCNFrame::kSunken:
        case CLCNFrame::kRaised: {
          const QBrush brush(fill);
          qDrawShadePanel(&painter, rect, palette, frame.DrawStyle() == CLCNFrame::kSunken, 2,
                          &brush);
          break;
        }
        case CLCNFrame::kGroove:
          painter.fillRect(rect, fill);
          qDrawShadeRect(&painter, rect, palette, true, 1, 0);
          break;
        default:
          painter.fillRect(rect, fill);
          break;
      }
      break;
    }
    case ObjectKind::kLine:
      DrawLine(painter, static_cast<const CLCNLine&>(object));
      break;
    case ObjectKind::kRectangle:
      for (const CLCNLine& side : static_cast<const CLCNRectangle&>(object).sides)
        DrawLine(painter, side);
      break;
    default:
      break;  // controls are widgets; OLE objects are not shown
  }
  painter.restore();
}

}  // namespace qel::launch
