// The main window of qelxform: CMainFrame with the menus "ﾌｧｲﾙ変換(&F)",
// "表示(&V)" and "ﾍﾙﾌﾟ(&H)", the six conversion commands also on the tool
// bar, and the empty view CKXFMView. The frame owns the program's one
// document; a command opens the conversion's dialog modally over it.
#ifndef QEL_XFORM_QELXFORM_XFORM_FRAME_H_
#define QEL_XFORM_QELXFORM_XFORM_FRAME_H_

#include <QAction>
#include <QWidget>
#include <functional>

#include "gui/main_frame.h"
#include "xform/qelxform/conversion_dialogs.h"
#include "xform/qelxform/kxfm_doc.h"

namespace qel::xform::gui {

// The view: the window shows nothing of the files.
class CKXFMView : public QWidget {
  Q_OBJECT

 public:
  explicit CKXFMView(QWidget* parent = nullptr);
};

class CMainFrame : public qel::gui::CMainFrame {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);

  CKXFMDoc& document() { return m_doc; }
  CKXFMView* view() const { return m_view; }
  QAction* conversionAction(Conversion conversion) const {
    return m_conversions[static_cast<int>(conversion)];
  }
  QAction* exitAction() const { return m_exit; }
  QAction* toolBarAction() const { return m_toolBar; }
  QAction* statusBarAction() const { return m_statusBar; }
  QList<QAction*> helpActions() const { return m_help; }
  QAction* aboutAction() const { return m_about; }

  // The help file: "qelxform.html" in the installation directory (the name
  // alone when the directory is unknown).
  static QString helpFilePath();

  // Called with every conversion dialog before it is shown (tests); empty:
  // none.
  using DialogObserver = std::function<void(CConversionDialog&)>;
  static void setDialogObserver(DialogObserver observer);

 public slots:
  void openConversion(Conversion conversion);
  void openHelpFile();
  void showAbout();

 protected:
  // The window stays while a conversion runs.
  void closeEvent(QCloseEvent* event) override;

 private:
  CKXFMDoc m_doc;
  CKXFMView* m_view;
  QAction* m_conversions[kConversionCount];
  QAction* m_exit;
  QAction* m_toolBar;
  QAction* m_statusBar;
  QList<QAction*> m_help;
  QAction* m_about;
};

// The tool-bar picture of a conversion (drawn, two letters for its files).
QIcon ConversionIcon(Conversion conversion);

}  // namespace qel::xform::gui

#endif  // QEL_XFORM_QELXFORM_XFORM_FRAME_H_
