// qelrework, the interactive rework program: the start mode, the
// application, the logs and the main window (or the windowless run of
// "/f").
#include <QApplication>

#include "gui/window_program.h"
#include "platform/standard_descriptors.h"
#include "rework/qelrework/rework_frame.h"
#include "rework/qelrework/run_box.h"
#include "rework/qelrework/start_mode.h"
#include "rework/zovoz_document.h"

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  using namespace qel::rework;
  const StartMode mode = ParseStartMode(argc, argv);
  QApplication app(argc, argv);
  qel::gui::InitWindowProgram();
  CZovozDoc::InitLogs();
  if (mode.kind == StartMode::kRunFile) return gui::runWindowless(mode.path);
  gui::CMainFrame frame(mode.kind == StartMode::kSelectionForm ? kFormSelection : kFormEdit);
  frame.show();
  return app.exec();
}
