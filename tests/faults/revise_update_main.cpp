// A test program: one update through the revise document, as the revise
// window makes it. Opens the indexed file NAME.kdf with its definition,
// fetches the record of key KEY, sets item ITEM to VALUE and registers it.
//
//   qel_revise_update NAME.kdf DEF.FLF KEY ITEM VALUE
//
// Exit code 0 when the record was registered and the file closed cleanly;
// otherwise 1 after a line "REVISE-S <step> <message number>".
#include <cstdio>
#include <string>

#include "platform/standard_descriptors.h"
#include "revise/revise_document.h"

namespace {

int Fail(const char* step, int number) {
  std::printf("REVISE-S %s %d\n", step, number);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  if (argc != 6) return Fail("usage", 0);
  using namespace qel::revise;
  CQelreviseDoc doc;
  FileSettings settings;
  settings.data_name = argv[1];
  settings.definition_name = argv[2];
  Ask yes = [](int) { return kYes; };
  Message m = doc.Open(settings, yes);
  if (!m.ok()) return Fail("open", m.number);
  std::string key = argv[3];
  m = doc.Fetch(0, &key);
  if (!m.ok()) return Fail("fetch", m.number);
  int line = -1;
  std::vector<std::string> lines = doc.Lines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(std::string(" ") + argv[4] + " ") != std::string::npos)
      line = static_cast<int>(i);
  }
  if (line < 0) return Fail("item", 0);
  m = doc.Commit(line, argv[5]);
  if (!m.ok()) return Fail("commit", m.number);
  m = doc.Register(&key);
  if (m.number != kKvwnRegistered) {
    doc.Close();
    return Fail("register", m.number);
  }
  m = doc.Close();
  if (!m.ok()) return Fail("close", m.number);
  return 0;
}
