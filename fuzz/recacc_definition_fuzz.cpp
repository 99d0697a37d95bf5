// Fuzz target of the definition reader and the layout builder: the input is
// read as a record definition named by a file definition (through KRACSproc,
// so the builder sees every record it yields), and as a file definition.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "recacc/definition_reader.h"
#include "recacc/qelrecacc.h"

namespace {

std::string MakeDirectory() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base != nullptr && *base ? base : "/tmp") + "/recacc-fuzz-XXXXXX";
  char* made = mkdtemp(tmpl.data());
  return made != nullptr ? made : ".";
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = MakeDirectory();
  static const std::string flf = dir + "/F.FLF";
  static const std::string rdf = dir + "/R.RDF";
  static bool once = [] {
    const char text[] = "HEDR ENDHEDR ; ITMR FIOR S ; RFOR FB ; SNM0 R.RDF ; ENDITMR ; "
                        "TRAR ENDTRAR ;";
    Write(flf, reinterpret_cast<const uint8_t*>(text), sizeof text - 1);
    return true;
  }();
  (void)once;

  Write(rdf, data, size);
  DTF dtf;
  KRACInit(&dtf);
  dtf.definition_path = flf.c_str();
  if (KRACSproc(&dtf) == 0) {
    int count = KRACGetEcnt(&dtf);
    for (int n = 1; n <= count && n <= 64; ++n) {
      ItemDescriptor e;
      KRACDainfSet(n, &dtf, &e);
      KRACSameDaChk(&dtf, n, &dtf);
    }
  }
  KRACRinfFree(&dtf);

  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qel::recacc::ParseDefinition(bytes, qel::recacc::Grammar::kFileDefinition, false);
  qel::recacc::ParseDefinition(bytes, qel::recacc::Grammar::kRecordDefinition, true);
  return 0;
}
