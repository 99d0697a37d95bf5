// CMenuView: a menu document drawn as it is stored. Texts, pictures, filled
// frames, lines and rectangles are painted in drawing order over the
// background colour; buttons, program icons, the PF-key entries and the
// input area are child widgets at their stored rectangles, so that they take
// the focus and the keys in run mode. With interaction off (design mode) the
// child widgets only show and let the mouse through to the view.
//
// The view does not own the document; call setDocument() again after the
// document changed. The fixed PF-key titles come from the program's string
// table (launcher_texts.h).
#ifndef QEL_LAUNCH_MENU_VIEW_H_
#define QEL_LAUNCH_MENU_VIEW_H_

#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QWidget>
#include <map>
#include <vector>

#include "launch/menu_document.h"

namespace qel::launch {

class CMenuView : public QWidget {
  Q_OBJECT

 public:
  explicit CMenuView(QWidget* parent = nullptr);

  // Shows `document` (null: an empty view). `hasParent` decides whether the
  // first-screen and previous-screen entries show their titles.
  void setDocument(const CQelstartDoc* document, bool hasParent);
  const CQelstartDoc* document() const { return m_doc; }
  void setInteractive(bool interactive);

  // The widget standing for a button, icon, PF-key entry or input area; null
  // for other objects.
  QWidget* widgetFor(const CLCNObject* object) const;
  QLineEdit* inputArea() const { return m_input; }
  // The focusable controls in the order Tab walks them.
  const std::vector<QWidget*>& controls() const { return m_controls; }

  // The Qt font for a stored font record: its face when installed, else the
  // Japanese font; the record's height in pixels.
  static QFont fontOf(const LogFont& font);
  static QColor colorOf(ColorRef color);
  // The title an entry shows (its own, or the fixed function's).
  static QString pfTitle(const CLCNPfKey& key, bool hasParent);
  // A BMP file or a bare DIB (no file header) as an image; null when neither.
  static QImage loadPicture(const std::string& path);

 signals:
  void objectPressed(const qel::launch::CLCNObject* object);
  void pfKeyPressed(int index);
  void numberEntered(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void rebuild();
  void paintObject(class QPainter& painter, const CLCNObject& object);

  const CQelstartDoc* m_doc = nullptr;
  bool m_hasParent = false;
  bool m_interactive = true;
  std::map<const CLCNObject*, QWidget*> m_widgets;
  std::map<std::string, QImage> m_pictures;
  std::vector<QWidget*> m_controls;
  QLineEdit* m_input = nullptr;
};

}  // namespace qel::launch

#endif  // QEL_LAUNCH_MENU_VIEW_H_
