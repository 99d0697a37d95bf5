// Test helpers of the revise document.
#include "revise/tests/revise_fixture.h"

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

}  // namespace qel::revise::test
