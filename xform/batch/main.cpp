// qelxformbatch: runs one conversion from its command line. Exit code 0, or 1
// when the command line is refused or the conversion failed.
#include <string>
#include <vector>

#include "message/qelmessage.h"
#include "platform/standard_descriptors.h"
#include "xform/batch/command_line.h"

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  std::vector<std::string> args(argv + 1, argv + argc);
  qel::xform::batch::CheckedCommand command =
      qel::xform::batch::CheckCommand(qel::xform::batch::ScanArguments(args));
  if (command.message != 0) {
    KMSOFileIni(qel::xform::kLogName);
    KMSOErrmsgoutbt2(qel::xform::kLogName, command.message, 1);
    return 1;
  }
  return qel::xform::batch::RunConversion(command.kind, command.table) == 0 ? 0 : 1;
}
