// Test helpers of the rework core: record definitions with every item flag,
// procedure texts and data files, written into a fresh directory per test.
#ifndef QEL_REWORK_TESTS_REWORK_FIXTURE_H_
#define QEL_REWORK_TESTS_REWORK_FIXTURE_H_

#include <string>
#include <vector>

#include "recacc/tests/definition_fixture.h"

namespace qel::rework::test {

using recacc::test::TempDir;

// One item of a record definition: level, name, DTAT, DALE, BURL position and
// the flags; the rest takes the definition editor's defaults.
struct Field {
  std::string level, name, dtat, dale = "0";
  int position = 0;
  std::string anum = "0", bwz = "F", just = "F", sign = "0", sync = "F", birl = "0";
  std::string edcs = "";
};

// Writes NAME.RDF and NAME.FLF (sequential, fixed length) into dir; returns
// the path of the file definition.
std::string WriteDefinition(const TempDir& dir, const std::string& name,
                            const std::vector<Field>& fields);

// A procedure file: the start banner, `body` and the end banner.
std::string Procedure(const std::string& body);

// The common block of an edit (out_def non-empty) or selection procedure.
std::string CommonBlock(const std::string& in_data, const std::string& in_def,
                        const std::string& out_data, const std::string& out_def,
                        const std::string& options =
                            "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\n"
                            "COPY=NO;\n",
                        const std::string& selorder = "");

std::string ReadAll(const std::string& path);

// S9(5) COMP-3: three bytes, sign C or D.
std::string Packed(int value);

// The qelreworkbatch program of this build.
std::string BatchProgram();

// Runs `command` through the shell with standard error joined to standard
// output, which goes to *output; its exit status, -1 when it did not exit.
int RunCommand(const std::string& command, std::string* output);

}  // namespace qel::rework::test

#endif  // QEL_REWORK_TESTS_REWORK_FIXTURE_H_
