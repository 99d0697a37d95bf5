// qelstart, the menu launcher: the application, then the main window built
// from the command line. Everything else is in the frame and the runner.
#include <QApplication>
#include <string>
#include <vector>

#include "gui/window_program.h"
#include "launch/qelstart/start_frame.h"
#include "platform/standard_descriptors.h"

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  QApplication app(argc, argv);
  qel::gui::InitWindowProgram();
  qel::launch::gui::QuitOnTerminationSignals();
  std::vector<std::string> items(argv + 1, argv + argc);
  int exitCode = 0;
  std::unique_ptr<qel::launch::gui::CMainFrame> frame = qel::launch::gui::CreateLauncher(
      items, QCoreApplication::applicationFilePath().toLocal8Bit().toStdString(), exitCode);
  if (!frame) return exitCode;
  frame->show();
  frame->startUp();
  return app.exec();
}
