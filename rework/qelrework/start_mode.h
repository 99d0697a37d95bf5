// How qelrework starts, decided once from its command line: a windowless
// run of a procedure file ("/f" and the path), the selection form ("-" and
// "選択", five CP932 bytes; the same text in UTF-8 is taken too), or the
// edit form (anything else).
#ifndef QEL_REWORK_QELREWORK_START_MODE_H_
#define QEL_REWORK_QELREWORK_START_MODE_H_

#include <string>

namespace qel::rework {

struct StartMode {
  enum Kind { kEditForm, kSelectionForm, kRunFile } kind = kEditForm;
  std::string path;  // kRunFile: the procedure file, as given
};

// `args` are the words after the program name, joined by one blank.
StartMode ParseStartMode(const std::string& args);
StartMode ParseStartMode(int argc, char** argv);

}  // namespace qel::rework

#endif  // QEL_REWORK_QELREWORK_START_MODE_H_
