// Test helpers of the converters: a fresh directory that is also the log
// directory, definition files written by the test, and file contents.
#ifndef QEL_XFORM_TESTS_XFORM_FIXTURE_H_
#define QEL_XFORM_TESTS_XFORM_FIXTURE_H_

#include <string>
#include <vector>

#include "xform/conversion_drivers.h"

namespace qel::xform::test {

// One item record of a record definition.
struct DefItem {
  std::string level, name, dtat, dale = "0", burl = "0", anum = "0", sign = "0", blwz = "F",
                                 just = "F", renm = "";
};

class Workspace {
 public:
  Workspace();  // also points TEMP at the directory
  ~Workspace();
  const std::string& dir() const { return dir_; }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Writes NAME.RDF and NAME.FLF; returns the .FLF path.
  std::string Definition(const std::string& name, const std::vector<DefItem>& items,
                         const std::string& organisation = "S",
                         const std::string& format = "FB") const;
  // The log of the conversions, converted to UTF-8.
  std::string Log() const;

 private:
  std::string dir_;
};

// CODE X(4), NAME N(2), AMOUNT S9(3)V99 COMP-3, QTY S9(4) SIGN TRAILING
// SEPARATE, BIN S9(4) COMP: 4 + 4 + 3 + 5 + 2 = 18 bytes.
std::vector<DefItem> SalesItems();

// A table for the CSV kinds, or for the record-length kinds.
KXFMTbl Table(const std::string& in, const std::string& out, const std::string& definition = "",
              int reclen = 0);

// UTF-8 to CP932 (test texts are written in UTF-8).
std::string Sjis(const std::string& utf8);

}  // namespace qel::xform::test

#endif  // QEL_XFORM_TESTS_XFORM_FIXTURE_H_
