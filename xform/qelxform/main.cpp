// qelxform, the interactive converter: the application, the log and the
// main window. Everything else is in the frame, the dialogs and the document.
#include <QApplication>

#include "gui/window_program.h"
#include "message/qelmessage.h"
#include "platform/standard_descriptors.h"
#include "xform/conversion_drivers.h"
#include "xform/qelxform/xform_frame.h"

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  QApplication app(argc, argv);
  qel::gui::InitWindowProgram();
  KMSOFileIni(qel::xform::kLogName);
  qel::xform::gui::CMainFrame frame;
  frame.show();
  return app.exec();
}
