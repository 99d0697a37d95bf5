// Fuzz target of the procedure-file reader: the input is read as a procedure
// file (modes 0 and 1) in a directory that holds valid input and output
// definitions and an input data file; a procedure read without fault is
// written again and the written file must read back without fault.
// Every '/' of the input becomes '_', so that a file named by the input stays
// inside that directory (a '\\' is an escape of the procedure language and an
// ordinary character of a file name here, so it is kept).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "rework/edit_engine.h"
#include "rework/procedure_file.h"
#include "rework/zovoz_document.h"

namespace {

std::string MakeDirectory() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base != nullptr && *base ? base : "/tmp") + "/rework-fuzz-XXXXXX";
  char* made = mkdtemp(tmpl.data());
  return made != nullptr ? made : ".";
}

void Write(const std::string& path, const std::string& text) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

std::string Definition(const std::string& items, int count) {
  return "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nBODR RNUM " + std::to_string(count) +
         " ; ENDBODR ;\n" + items + "TRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n";
}

std::string Item(const char* level, const char* name, const char* dtat, const char* dale,
                 int position, const char* anum = "0") {
  return std::string("ITMR LNUM ") + level + " ; DTNM " + name + " ; DTAT " + dtat + " ; DALE " +
         dale + " ; ANUM " + anum + " ; SUAF F ; EDCS \"\" ; RENM \"\" ; USAG \"\" ; BURL " +
         std::to_string(position) + " ; BIRL 0 ; BLWZ F ; JUST F ; SIGN 0 ; SYNC F ; ENDITMR ;\n";
}

void Setup(const std::string& dir) {
  Write(dir + "/IN.RDF",
        Definition(Item("01", "IN-REC", "G", "0", 0) + Item("05", "CODE", "X", "3", 0) +
                       Item("05", "AMOUNT", "P", "5.2", 3) + Item("05", "T", "G", "0", 7, "2") +
                       Item("10", "N", "9", "2", 7),
                   5));
  Write(dir + "/OUT.RDF",
        Definition(Item("01", "OUT-REC", "G", "0", 0) + Item("05", "CODE", "X", "3", 0) +
                       Item("05", "AMOUNT", "S", "5.2", 3) + Item("05", "NAME", "N", "2", 10),
                   4));
  const char* flf =
      "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 %s ; "
      "ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n";
  char text[256];
  std::snprintf(text, sizeof text, flf, "IN.RDF");
  Write(dir + "/IN.FLF", text);
  std::snprintf(text, sizeof text, flf, "OUT.RDF");
  Write(dir + "/OUT.FLF", text);
  Write(dir + "/IN.DAT", std::string(22, '0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = MakeDirectory();
  static const bool ready = [] {
    Setup(dir);
    return chdir(dir.c_str()) == 0;
  }();
  if (!ready) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::replace(text.begin(), text.end(), '/', '_');
  const std::string path = dir + "/P.rwp";
  Write(path, text);

  qel::rework::CZovozDoc doc;
  doc.settings.form_from_file = true;
  qel::rework::CKRPFDoc reader(&doc);
  int result = reader.Run(qel::rework::kModeReadCommon, path);
  if (result == 0) result = reader.Run(qel::rework::kModeReadBlocks, path);
  if (result != 0) return 0;
  qel::rework::CKRMVDoc engine(&doc);
  engine.CheckEdits();
  const std::string again = dir + "/W.rwp";
  if (qel::rework::CKRPFDoc(&doc).Run(qel::rework::kModeWrite, again) != 0) return 0;
  doc.CloseFiles();
  qel::rework::CZovozDoc copy;
  copy.settings.form_from_file = true;
  qel::rework::CKRPFDoc second(&copy);
  int back = second.Run(qel::rework::kModeReadCommon, again);
  if (back == 0) back = second.Run(qel::rework::kModeReadBlocks, again);
  if (back != 0 && back != 2140) __builtin_trap();
  return 0;
}
