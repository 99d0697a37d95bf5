// qelrevise, the record revise program: the application and the main window.
// The document prepares its log; everything else is in the frame, the form
// and the dialogs.
#include <QApplication>

#include "gui/window_program.h"
#include "platform/standard_descriptors.h"
#include "revise/qelrevise/revise_frame.h"

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  QApplication app(argc, argv);
  qel::gui::InitWindowProgram();
  qel::revise::gui::CMainFrame frame;
  frame.show();
  return app.exec();
}
