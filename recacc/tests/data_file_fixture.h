// Test helpers for data-file access: definitions of a one-item record, data
// files written by the test or built by the indexed-file tool, and a data
// file held open by another process.
#ifndef QEL_RECACC_TESTS_DATA_FILE_FIXTURE_H_
#define QEL_RECACC_TESTS_DATA_FILE_FIXTURE_H_

#include <sys/types.h>

#include <deque>
#include <functional>
#include <string>

#include "recacc/qelrecacc.h"
#include "recacc/tests/definition_fixture.h"

namespace qel::recacc::test {

// Keeps the path texts a DTF points to alive for the test.
class PathStore {
 public:
  const char* Keep(std::string path) { return paths_.emplace_back(std::move(path)).c_str(); }

 private:
  std::deque<std::string> paths_;
};

// Writes a file definition (organisation `fior`, record format `rfor`) and a
// record definition of one X item of `length` bytes named after `data_name`,
// runs KRACInit and KRACSproc, and sets the access mode and the data path
// `dir/data_name`. False when KRACSproc fails.
bool Prepare(const TempDir& dir, PathStore* paths, DTF* dtf, const std::string& fior, int length,
             int mode, const std::string& data_name, const std::string& rfor = "FB");
// The same with a record definition of `items`.
bool Prepare(const TempDir& dir, PathStore* paths, DTF* dtf, const std::string& fior,
             const std::vector<Item>& items, int mode, const std::string& data_name);

// `count` records of `length` bytes: a 5-digit key from 1, then letters.
std::string Records(int count, int length, int first = 1);

std::string ReadAll(const std::string& path);

// Builds the indexed file `dir/name` (primary key: bytes 0 to 4) holding
// `records` of `length` bytes with the suite's indexed-file tool. True on
// success.
// `more_keys`: further key file lines ("KEY 5:3:CHAR\n").
bool BuildIndexed(const TempDir& dir, const std::string& name, int length,
                  const std::string& records, const std::string& more_keys = "");

// Writes NAME.kdf beside an indexed file a COBOL program made.
void WriteKeyFile(const TempDir& dir, const std::string& name, int length);

// Whether any load of the ISAM library is not yet released. (The loader
// itself may keep a library mapped after its last release, so the process's
// list of loaded objects cannot tell.)
bool IsamBound();

// A child process that runs `hold` on a copy of `dtf` (by default KRACOpen)
// and holds what it took until this object is destroyed.
class HeldByChild {
 public:
  explicit HeldByChild(const DTF& dtf, std::function<bool(DTF*)> hold = nullptr);
  ~HeldByChild();
  HeldByChild(const HeldByChild&) = delete;
  HeldByChild& operator=(const HeldByChild&) = delete;
  // Whether `hold` succeeded in the child.
  bool holding() const { return holding_; }

 private:
  pid_t pid_ = -1;
  int release_fd_ = -1;
  bool holding_ = false;
};

}  // namespace qel::recacc::test

#endif  // QEL_RECACC_TESTS_DATA_FILE_FIXTURE_H_
