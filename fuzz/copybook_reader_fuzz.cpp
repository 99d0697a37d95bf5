// Fuzz target of the copybook reader and the import mapping. The first byte
// picks the source form, the encoding and the import options; the rest is
// the copybook. Whatever the input, an import that succeeds must give item
// records that the layout builder accepts (the written pair always reads
// back), and their export must import again.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "recacc/qeldef/copybook_export.h"
#include "recacc/qeldef/copybook_import.h"
#include "recacc/qeldef/copybook_reader.h"
#include "recacc/qeldef/definition_writer.h"
#include "recacc/qelrecacc.h"

namespace {

namespace cb = qel::copybook;

std::string MakeDirectory() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base != nullptr && *base ? base : "/tmp") + "/copybook-fuzz-XXXXXX";
  char* made = mkdtemp(tmpl.data());
  return made != nullptr ? made : ".";
}

void Write(const std::string& path, const std::string& text) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

// KRACSproc's answer to the pair written for `items`.
int ReadBack(const std::vector<cb::ItemRecord>& items, const std::string& organisation) {
  static const std::string dir = MakeDirectory();
  static const std::string flf = dir + "/F.FLF";
  Write(dir + "/F.RDF", cb::RecordDefinitionText(items));
  Write(flf, cb::FileDefinitionText(organisation, "F", "F.RDF"));
  DTF dtf;
  KRACInit(&dtf);
  dtf.definition_path = flf.c_str();
  int result = KRACSproc(&dtf);
  KRACRinfFree(&dtf);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t flags = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  cb::ReadOptions read;
  read.free_format = flags & 1;
  read.utf8 = flags & 2;
  cb::ImportOptions options;
  options.odo_max = flags & 4;
  options.wide_binary_x = flags & 8;
  options.organisation = (flags & 16) ? "VK" : "S";
  options.default_record_name = "FUZZ";
  if (flags & 32) options.record = "R";

  cb::ImportResult result = cb::ImportCopybook(cb::ReadCopybook(text, read), options);
  if (!result.ok) return 0;
  if (ReadBack(result.items, options.organisation) != 0) std::abort();
  cb::ExportResult exported = cb::ExportCopybook(result.items, flags & 64, "FUZZ.FLF");
  if (!exported.ok) std::abort();
  cb::ImportOptions again;
  again.wide_binary_x = true;
  again.organisation = options.organisation;
  if (!cb::ImportCopybook(cb::ReadCopybook(exported.text, {}), again).ok) std::abort();
  return 0;
}
