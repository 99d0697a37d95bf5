// Mouse work of design mode. Positions are snapped to the grid as they are
// taken; the rules themselves are in menu_design.cpp.
#include "launch/menu_design_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include "gui/qt_text.h"
#include "launch/menu_clipboard.h"
#include "platform/ui_hooks.h"

namespace qel::launch {

namespace {

constexpr int kHandle = 6;

QRect ToQRect(const DesignBox& box) { return QRect(box.left, box.top, box.width, box.height); }

DesignPoint ToPoint(const QPoint& p) { return {p.x(), p.y()}; }

// The corners of a box, in the order top-left, top-right, bottom-right,
// bottom-left.
QPoint Corner(const DesignBox& box, int index) {
  const int r = box.left + box.width;
  const int b = box.top + box.height;
  switch (index) {
    case 0:
      return {box.left, box.top};
    case 1:
      return {r, box.top};
    case 2:
      return {r, b};
    default:
      return {box.left, b};
  }
}

}  // namespace

CMenuDesignView::CMenuDesignView(QWidget* parent) : CMenuView(parent) {
  setObjectName(QStringLiteral("menuDesignView"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
}

void CMenuDesignView::setEditableDocument(CQelstartDoc* document) {
  m_editable = document;
  m_selection.clear();
  setInteractive(false);
  setDocument(document, false);
}

void CMenuDesignView::selectOnly(CLCNObject* object) {
  m_selection.clear();
  if (object != nullptr) m_selection.push_back(object);
  update();
}

DesignArea CMenuDesignView::area() const {
  const QFontMetrics metrics(font());
  return {width(), height(), std::max(1, metrics.averageCharWidth()), std::max(1, metrics.height())};
}

void CMenuDesignView::changed() {
  setDocument(m_editable, false);
  setInteractive(false);
  update();
  emit documentModified();
}

// PF-key entries and the input area are controls outside the drawing order,
// shown above every drawn object.
static std::vector<CLCNObject*> Controls(const CQelstartDoc& doc) {
  std::vector<CLCNObject*> controls;
  for (const auto* list : {&doc.inputs, &doc.pf_keys})
    for (const auto& object : *list) controls.push_back(object.get());
  return controls;
}

CLCNObject* CMenuDesignView::objectAt(const QPoint& point) const {
  if (m_editable == nullptr) return nullptr;
  for (CLCNObject* control : Controls(*m_editable))
    if (ToQRect(BoxOf(*control)).contains(point)) return control;
  for (auto it = m_editable->draw_order.rbegin(); it != m_editable->draw_order.rend(); ++it) {
    if (*it == nullptr) continue;
    if (ToQRect(BoxOf(**it)).adjusted(-2, -2, 2, 2).contains(point)) return *it;
  }
  return nullptr;
}

int CMenuDesignView::handleAt(const QPoint& point) const {
  if (m_selection.size() != 1) return -1;
  const DesignBox box = BoxOf(*m_selection.front());
  for (int i = 0; i < 4; ++i) {
    const QPoint c = Corner(box, i);
    if (QRect(c.x() - kHandle, c.y() - kHandle, 2 * kHandle, 2 * kHandle).contains(point)) return i;
  }
  return -1;
}

void CMenuDesignView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || m_editable == nullptr) return;
  setFocus();
  m_start = m_current = event->position().toPoint();
  if (m_tool != DesignTool::kNone) {
    m_drag = Drag::kCreate;
  } else if ((m_handle = handleAt(m_start)) >= 0) {
    m_drag = Drag::kResize;
  } else if (CLCNObject* object = objectAt(m_start)) {
    if (std::find(m_selection.begin(), m_selection.end(), object) == m_selection.end())
      selectOnly(object);
    m_drag = Drag::kMove;
  } else {
    selectOnly(nullptr);
    m_drag = Drag::kSelect;
  }
  update();
}

void CMenuDesignView::mouseMoveEvent(QMouseEvent* event) {
  if (m_drag == Drag::kNone) return;
  m_current = event->position().toPoint();
  update();
}

void CMenuDesignView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || m_drag == Drag::kNone) return;
  m_current = event->position().toPoint();
  const Drag drag = std::exchange(m_drag, Drag::kNone);
  const DesignArea design_area = area();
  const DesignPoint start = SnapToGrid(ToPoint(m_start), m_grid);
  const DesignPoint end = SnapToGrid(ToPoint(m_current), m_grid);
  switch (drag) {
    case Drag::kCreate: {
      DesignBox box = DragBox(ToPoint(m_start), ToPoint(m_current), m_grid, design_area);
      const DesignPoint line_start{std::clamp(start.x, 0, design_area.client_width),
                                   std::clamp(start.y, 0, design_area.client_height)};
      const DesignPoint line_end{std::clamp(end.x, 0, design_area.client_width),
                                 std::clamp(end.y, 0, design_area.client_height)};
      const bool large = m_tool == DesignTool::kLine ? LineLongEnough(line_start, line_end)
                                                     : BoxLargeEnough(m_tool, box, design_area);
      if (!large) {
        emit statusText(qel::gui::FromCp932(design_messages::TooSmall()));
        break;
      }
      std::string message;
      CLCNObject* made = CreateDesignObject(*m_editable, m_tool, box, line_start, line_end, message);
      if (made == nullptr) {
        if (!message.empty())
          platform::ShowBox("qelstart", message, platform::BoxButtons::kOk,
                            platform::BoxIcon::kExclamation);
        break;
      }
      selectOnly(made);
      changed();
      emit objectCreated(made);
      break;
    }
    case Drag::kMove: {
      const int dx = end.x - start.x;
      const int dy = end.y - start.y;
      if (dx == 0 && dy == 0) break;
      for (CLCNObject* object : m_selection) MoveDesignObject(*object, dx, dy, design_area);
      changed();
      break;
    }
    case Drag::kResize: {
      CLCNObject* object = m_selection.front();
      const DesignBox old = BoxOf(*object);
      const QPoint fixed = Corner(old, (m_handle + 2) % 4);
      const DesignBox box = DragBox(ToPoint(fixed), ToPoint(m_current), m_grid, design_area);
      DesignTool tool = DesignTool::kText;
      if (object->Kind() == ObjectKind::kXIcon) tool = DesignTool::kIcon;
      const bool large = object->Kind() == ObjectKind::kLine
                             ? LineLongEnough({box.left, box.top},
                                              {box.left + box.width, box.top + box.height})
                             : BoxLargeEnough(tool, box, design_area);
      if (!large || object->Kind() == ObjectKind::kPfKey) {
        // A refused resize snaps back.
        if (!large) emit statusText(qel::gui::FromCp932(design_messages::TooSmall()));
        update();
        break;
      }
      SetDesignBox(*object, box);
      changed();
      break;
    }
    case Drag::kSelect: {
      const QRect area_rect = QRect(m_start, m_current).normalized();
      m_selection.clear();
      std::vector<CLCNObject*> candidates = m_editable->draw_order;
      for (CLCNObject* control : Controls(*m_editable)) candidates.push_back(control);
      for (CLCNObject* object : candidates)
        if (object != nullptr && area_rect.contains(ToQRect(BoxOf(*object)))) m_selection.push_back(object);
      update();
      break;
    }
    case Drag::kNone:
      break;
  }
}

void CMenuDesignView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || m_tool != DesignTool::kNone) return;
  m_drag = Drag::kNone;
  CLCNObject* object = objectAt(event->position().toPoint());
  selectOnly(object);
  // Nothing under the pointer: the background's attributes.
  emit objectActivated(object);
}

void CMenuDesignView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && !m_selection.empty()) {
    deleteSelection();
    return;
  }
  CMenuView::keyPressEvent(event);
}

void CMenuDesignView::copySelection() {
  if (m_selection.empty()) return;
  const std::string bytes =
      CopyMenuObjects(std::vector<const CLCNObject*>(m_selection.begin(), m_selection.end()));
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kClipboardFormat),
                QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  QGuiApplication::clipboard()->setMimeData(data);
}

void CMenuDesignView::cutSelection() {
  copySelection();
  deleteSelection();
}

void CMenuDesignView::paste() {
  if (m_editable == nullptr) return;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  const QString format = QString::fromLatin1(kClipboardFormat);
  if (data == nullptr || !data->hasFormat(format)) return;
  const QByteArray bytes = data->data(format);
  std::string message;
  std::vector<CLCNObject*> added = PasteMenuObjects(
      *m_editable, std::string_view(bytes.constData(), bytes.size()), 0, 0, message);
  if (!message.empty()) {
    platform::ShowBox("qelstart", message, platform::BoxButtons::kOk,
                      platform::BoxIcon::kExclamation);
    return;
  }
  m_selection = std::move(added);
  changed();
}

void CMenuDesignView::deleteSelection() {
  if (m_editable == nullptr || m_selection.empty()) return;
  const std::vector<CLCNObject*> doomed = std::exchange(m_selection, {});
  for (CLCNObject* object : doomed) {
    // A PF-key entry takes its whole row with it; the row's other entries
    // may be selected too and are gone by then.
    const std::vector<CLCNObject*> controls = Controls(*m_editable);
    if (std::find(m_editable->draw_order.begin(), m_editable->draw_order.end(), object) !=
            m_editable->draw_order.end() ||
        std::find(controls.begin(), controls.end(), object) != controls.end())
      DeleteDesignObject(*m_editable, object);
  }
  changed();
}

void CMenuDesignView::deleteAll() {
  if (m_editable == nullptr) return;
  m_selection.clear();
  while (!m_editable->draw_order.empty()) DeleteDesignObject(*m_editable, m_editable->draw_order.back());
  for (CLCNObject* control : Controls(*m_editable)) DeleteDesignObject(*m_editable, control);
  changed();
}

void CMenuDesignView::bringSelectionToFront() {
  if (m_editable == nullptr) return;
  for (CLCNObject* object : m_selection) BringToFront(*m_editable, object);
  changed();
}

void CMenuDesignView::sendSelectionToBack() {
  if (m_editable == nullptr) return;
  for (auto it = m_selection.rbegin(); it != m_selection.rend(); ++it) SendToBack(*m_editable, *it);
  changed();
}

void CMenuDesignView::paintEvent(QPaintEvent* event) {
  CMenuView::paintEvent(event);
  QPainter painter(this);
  if (m_grid.on && m_grid.width >= 4 && m_grid.height >= 4) {
    painter.setPen(QColor(0x90, 0x90, 0x90));
    for (int y = 0; y < height(); y += m_grid.height)
      for (int x = 0; x < width(); x += m_grid.width) painter.drawPoint(x, y);
  }
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  for (CLCNObject* object : m_selection) {
    const DesignBox box = BoxOf(*object);
    painter.drawRect(ToQRect(box));
    if (m_selection.size() == 1) {
      for (int i = 0; i < 4; ++i) {
        const QPoint c = Corner(box, i);
        painter.fillRect(c.x() - kHandle / 2, c.y() - kHandle / 2, kHandle, kHandle, Qt::black);
      }
    }
  }
  if (m_drag == Drag::kCreate || m_drag == Drag::kSelect) {
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    if (m_drag == Drag::kCreate && m_tool == DesignTool::kLine) {
      painter.drawLine(m_start, m_current);
    } else {
      painter.drawRect(QRect(m_start, m_current).normalized());
    }
  }
}

}  // namespace qel::launch
