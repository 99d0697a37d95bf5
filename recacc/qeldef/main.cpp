// qeldef FILE.FLF: prints the organisation, record format and record length
// of a file definition and one tab-separated line per layout entry
// (number level name attribute bytelength digits fraction occurrence
// position). Exit code 0; on a definition error the message and 1.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/cp932.h"
#include "platform/standard_descriptors.h"
#include "platform/string_table.h"
#include "recacc/qelrecacc.h"

namespace {

namespace pf = qel::platform;

void Print(const std::string& text) { std::fputs(pf::ForConsole(text).c_str(), stdout); }

int Fail(const char* path, DTF* dtf) {
  unsigned status = KRACGetStatus(dtf);
  const char* sub = KRACGetSubCode(dtf);
  auto text = pf::LoadProgramString(status);
  std::string line;
  if (text) {
    const char* inserts[] = {path, sub};
    line = pf::FormatForDisplay(*text, inserts, 2, pf::ConsoleIsUtf8());
  } else {
    line = "KRAC" + std::to_string(status) + " " + path;
  }
  std::fputs(line.c_str(), stdout);
  std::fputs("\n", stdout);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  if (argc != 2) {
    if (auto usage = pf::LoadProgramString(1)) Print(std::string(*usage) + "\n");
    return 1;
  }
  DTF dtf;
  KRACInit(&dtf);
  dtf.definition_path = argv[1];
  if (KRACSproc(&dtf) != 0) return Fail(argv[1], &dtf);
  std::printf("organisation\t%s\n", dtf.organisation);
  std::printf("record format\t%s\n", dtf.record_format);
  std::printf("record length\t%d\n", static_cast<int>(dtf.record_length));
  int count = KRACGetEcnt(&dtf);
  for (int n = 1; n <= count; ++n) {
    ItemDescriptor e;
    if (KRACDainfSet(n, &dtf, &e) != 0) break;
    std::string name(e.name, strnlen(e.name, sizeof e.name));
    std::printf("%d\t%d\t", static_cast<int>(e.number), static_cast<int>(e.level));
    Print(name);
    std::printf("\t%d\t%d\t%d\t%d\t%d\t%d\n", static_cast<int>(e.attribute),
                static_cast<int>(e.byte_length), static_cast<int>(e.digits),
                static_cast<int>(e.fraction_digits), static_cast<int>(e.occurrence),
                static_cast<int>(e.position));
  }
  std::fflush(stdout);
  KRACRinfFree(&dtf);
  return 0;
}
