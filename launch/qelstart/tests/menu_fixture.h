// Menus for the launcher's window tests: a document with every object kind,
// small run menus with programs that leave marker files, and the helpers to
// wait for processes and read the chain's trace.
#ifndef QEL_LAUNCH_QELSTART_TESTS_MENU_FIXTURE_H_
#define QEL_LAUNCH_QELSTART_TESTS_MENU_FIXTURE_H_

#include <QString>
#include <functional>
#include <string>

#include "launch/menu_document.h"

namespace qel::launch::testing {

// CP932 bytes of a UTF-8 literal.
std::string Sj(const char* utf8);

// Fills `doc` with every object kind: texts in three alignments, buttons,
// a BMP picture and a bare DIB written into `dir`, frames of the five
// styles, lines, a rectangle, icons (one with an image file, one generic),
// the 12 PF-key entries and the input area, on a pale background.
void BuildEveryKind(CQelstartDoc& doc, const std::string& dir);

CLCNButton& AddButton(CQelstartDoc& doc, const char* title_utf8, const std::string& program,
                      uint16_t number = 0, uint32_t functions = 0);
CLCNPfKey& AddPfKey(CQelstartDoc& doc, int index, uint32_t fixed, uint16_t function,
                    const char* button_title_utf8 = "");

// Writes `doc` as a file that passed the checks (restore flag set), or, with
// `complete` false, one that never did (restore flag 0).
void WriteMenu(CQelstartDoc& doc, const std::string& path, bool complete = true);

// A shell script that leaves `marker` in `dir` and then sleeps `seconds`.
std::string MarkerScript(const std::string& dir, const std::string& name,
                         const std::string& marker, double seconds = 0);
bool FileExists(const std::string& path);

// Lets the event loop run until `done` or `ms` have passed.
bool WaitUntil(const std::function<bool()>& done, int ms = 15000);

}  // namespace qel::launch::testing

#endif  // QEL_LAUNCH_QELSTART_TESTS_MENU_FIXTURE_H_
