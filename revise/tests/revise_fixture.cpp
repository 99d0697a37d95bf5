// Test helpers of the revise document.
#include "revise/tests/revise_fixture.h"

#include <stdio.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace qel::revise::test {

Item At(const std::string& level, const std::string& name, const std::string& dtat,
        const std::string& dale, int position, const std::string& sign) {
  Item i;
  i.level = level;
  i.name = name;
  i.dtat = dtat;
  i.dale = dale;
  i.burl = std::to_string(position);
  i.sign = sign;
  return i;
}

std::string WriteDefinitions(const TempDir& dir, const std::string& name, const std::string& fior,
                             const std::vector<Item>& items) {
  dir.Write(name + ".RDF", recacc::test::RecordDefinition(items));
  return dir.Write(name + ".FLF", recacc::test::FileDefinition(fior, "FB", name + ".RDF"));
}

bool BuildIndexed(const TempDir& dir, const std::string& name, int length, const std::string& keys,
                  const std::string& records) {
  dir.Write(name + ".kdf", "RECSIZE " + std::to_string(length) + "\n" + keys);
  std::string in = dir.Write(name + ".in", records);
  std::string command = std::string("'") + QEL_TEST_QELIDX + "' build '" + dir.path() + "/" + name +
                        ".kdf' '" + in + "' > /dev/null";
  return std::system(command.c_str()) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool CompileCobol(const TempDir& dir, const std::string& name) {
  const char* source = std::getenv("QEL_TEST_SOURCE_DIR");
  if (source == nullptr) return false;
  std::string cmd = "cd '" + dir.path() + "' && cobc -x -o " + name + " '" + source +
                    "/revise/tests/cobol/" + name + ".cob'";
  return std::system(cmd.c_str()) == 0;
}

std::string RunProgram(const TempDir& dir, const std::string& name) {
  std::string cmd = "cd '" + dir.path() + "' && ./" + name;
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

const char kRoundTripShown[] =
    "I|C0001|PEAR  |011|-  1.75|cobol  \n"
    "I|C0002|APPLE |099|- 12.50|cobol  \n"
    "I|C0003|FIG   |033|   0.75|cobol  \n"
    "I|C0005|MANGO |055|   3.25|cobol  \n"
    "I|C0009|BANANA|007|   4.10|revise \n"
    "S|C0005|MANGO |055|   3.25|cobol  \n"
    "S|C0004|KIWI  |001|   2.00|cobol  \n"
    "S|C0003|FIG   |033|   0.75|cobol  \n"
    "S|C0002|APPLE |022|-  0.50|cobol  \n"
    "S|C0001|PEAR  |011|-  1.75|cobol  \n"
    "S|C0010|PLUM  |000|   0.00|       \n";

}  // namespace qel::revise::test
