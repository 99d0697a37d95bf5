// Test helpers of the revise document: definitions and data files written
// into a fresh directory, indexed files built with the indexed-file tool,
// and answers for the document's questions.
#ifndef QEL_REVISE_TESTS_REVISE_FIXTURE_H_
#define QEL_REVISE_TESTS_REVISE_FIXTURE_H_

#include <string>
#include <vector>

#include "recacc/tests/definition_fixture.h"
#include "revise/revise_document.h"

namespace qel::revise::test {

using recacc::test::Item;
using recacc::test::TempDir;

// An item of level `level` at byte `position`.
Item At(const std::string& level, const std::string& name, const std::string& dtat,
        const std::string& dale, int position, const std::string& sign = "0");

// Writes NAME.RDF and NAME.FLF (organisation `fior`) into dir; returns the
// path of the file definition.
std::string WriteDefinitions(const TempDir& dir, const std::string& name, const std::string& fior,
                             const std::vector<Item>& items);

// Builds the indexed file dir/name of `length`-byte records with the key
// file lines `keys` ("KEY 0:5:CHAR\n" ...). True on success.
bool BuildIndexed(const TempDir& dir, const std::string& name, int length, const std::string& keys,
                  const std::string& records);

// Records every question asked and answers with `answer`.
struct Answers {
  explicit Answers(int answer = kYes) : answer(answer) {}
  Ask ask() {
    return [this](int number) {
      asked.push_back(number);
      return answer;
    };
  }
  int answer;
  std::vector<int> asked;
};

std::string ReadFile(const std::string& path);

// Compiles tests/cobol/<name>.cob of this module into dir (cobc -x).
bool CompileCobol(const TempDir& dir, const std::string& name);
// Runs a compiled program in dir and returns what it wrote.
std::string RunProgram(const TempDir& dir, const std::string& name);
// What read_items shows after the round trip both COBOL tests make: the
// indexed file (I) and the sequential file (S) as changed.
extern const char kRoundTripShown[];

}  // namespace qel::revise::test

#endif  // QEL_REVISE_TESTS_REVISE_FIXTURE_H_
