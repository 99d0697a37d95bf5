// The command line of the console converter: scanning the options into the
// conversion table and checking them in the fixed order.
//
// Options, in any order, each a slash, one letter and a value given directly
// (/fsc) or as the next argument (/f sc):
//   /f kind st ts sc cs ic vs     /i input    /o output   /d definition (.flf/.FLF)
//   /l record length (1 to 5 digits, optional "+", 1..65535)
//   /n y|n title line   /s separator ({TAB}, {SPACE}, else the first character)
//   /e b|l byte order of binary items   /b t|f BLANK WHEN ZERO handling
//   /c s|u the CSV side in CP932 as stored (s, the default) or in UTF-8
// A separator that can stand inside a field (a digit, ".", "+", "-", the
// quote, CR, LF) is refused. /c is checked and used for sc, cs and ic only.
// Each option takes its value from its first occurrence and its outcome
// (given, missing, too long, invalid) from its last. An option letter alone
// takes the next argument as its value unless that argument looks like an
// option: longer than one character, starting with "/" and without a second
// "/" (so "/o /tmp/OUT.CSV" names an absolute path).
#ifndef QEL_XFORM_BATCH_COMMAND_LINE_H_
#define QEL_XFORM_BATCH_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "xform/conversion_drivers.h"

namespace qel::xform::batch {

// A value of this many characters or more is too long.
inline constexpr std::size_t kMaxValueLength = 256;

enum class Outcome { kAbsent, kGiven, kMissing, kTooLong, kInvalid };

struct Option {
  Outcome outcome = Outcome::kAbsent;
  bool has_value = false;
  std::string value;
};

struct Scanned {
  Option f, i, d, o, l, n, s, e, b, c;
};

Scanned ScanArguments(const std::vector<std::string>& args);

struct CheckedCommand {
  int message = 0;  // 0 when the command line is accepted
  int kind = -1;    // kKind* of conversion_drivers.h
  KXFMTbl table{};
};

// Checks the scanned options and fills the table (zeroed first).
CheckedCommand CheckCommand(const Scanned& scanned);

// Runs the driver of `kind` with console messages.
int RunConversion(int kind, const KXFMTbl& table);

}  // namespace qel::xform::batch

#endif  // QEL_XFORM_BATCH_COMMAND_LINE_H_
