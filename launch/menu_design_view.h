// CMenuDesignView: the menu view in design mode. A drag with a tool creates
// an object of that kind (grid, minimum sizes and limits of menu_design.h);
// without a tool, pressing an object selects it and starts a move, pressing
// a corner handle of the selected object resizes it, and a drag elsewhere
// selects the objects inside the dragged rectangle. Del deletes the
// selection; cut, copy and paste go through the clipboard. Refusals of size go to the status text, limits to a box.
#ifndef QEL_LAUNCH_MENU_DESIGN_VIEW_H_
#define QEL_LAUNCH_MENU_DESIGN_VIEW_H_

#include <vector>

#include "launch/menu_design.h"
#include "launch/menu_view.h"

namespace qel::launch {

class CMenuDesignView : public CMenuView {
  Q_OBJECT

 public:
  explicit CMenuDesignView(QWidget* parent = nullptr);

  // The editable document (the view shows it, as setDocument does).
  void setEditableDocument(CQelstartDoc* document);
  void setTool(DesignTool tool) { m_tool = tool; }
  DesignTool tool() const { return m_tool; }
  void setGrid(const DesignGrid& grid) { m_grid = grid; }
  const DesignGrid& grid() const { return m_grid; }
  const std::vector<CLCNObject*>& selection() const { return m_selection; }
  void selectOnly(CLCNObject* object);

  // The clipboard, format "QELSTART" (menu_clipboard.h). A paste selects
  // what it added; a refused paste shows its message.
  void copySelection();
  void cutSelection();
  void paste();

  void deleteSelection();
  // Shows attributes changed outside the view (font, colour) on the
  // objects, keeping the selection, and reports the document modified.
  void objectsChanged() { changed(); }
  void deleteAll();
  void bringSelectionToFront();
  void sendSelectionToBack();

  // The client area and character size the design rules use.
  DesignArea area() const;

 signals:
  // The document changed (created, moved, resized, deleted, reordered).
  void documentModified();
  // A text for the status bar ("作成できない大きさです").
  void statusText(const QString& text);
  // An object was just created with a tool (its attributes are still the
  // defaults).
  void objectCreated(qel::launch::CLCNObject* object);
  // An object was double-clicked (null: the background): its attribute
  // dialog is wanted.
  void objectActivated(qel::launch::CLCNObject* object);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Drag { kNone, kCreate, kMove, kResize, kSelect };
  CLCNObject* objectAt(const QPoint& point) const;
  int handleAt(const QPoint& point) const;
  void changed();

  CQelstartDoc* m_editable = nullptr;
  DesignTool m_tool = DesignTool::kNone;
  DesignGrid m_grid;
  std::vector<CLCNObject*> m_selection;
  Drag m_drag = Drag::kNone;
  QPoint m_start;
  QPoint m_current;
  int m_handle = -1;
};

}  // namespace qel::launch

#endif  // QEL_LAUNCH_MENU_DESIGN_VIEW_H_
