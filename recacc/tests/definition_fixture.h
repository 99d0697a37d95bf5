// Test helpers: definition files written by the test into a fresh directory.
#ifndef QEL_RECACC_TESTS_DEFINITION_FIXTURE_H_
#define QEL_RECACC_TESTS_DEFINITION_FIXTURE_H_

#include <string>
#include <vector>

#include "recacc/qelrecacc.h"

namespace qel::recacc::test {

struct Item {
  std::string level, name, dtat, dale = "0", anum = "0", suaf = "F", edcs = "", renm = "",
                                     usag = "", burl = "0", birl = "0", sign = "0";
};

// Text of a record definition with `items`; `rnum` empty means their count.
std::string RecordDefinition(const std::vector<Item>& items, const std::string& rnum = "");
// Text of a file definition naming `snm0`.
std::string FileDefinition(const std::string& fior, const std::string& rfor,
                           const std::string& snm0);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

// Writes both definitions and runs KRACSproc on a fresh DTF: its result.
int Sproc(const TempDir& dir, const std::vector<Item>& items, DTF* dtf,
          const std::string& fior = "S");

}  // namespace qel::recacc::test

#endif  // QEL_RECACC_TESTS_DEFINITION_FIXTURE_H_
