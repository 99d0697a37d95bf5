// Test helpers: definition texts and a temporary directory per test.
#include "recacc/tests/definition_fixture.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

namespace qel::recacc::test {

std::string RecordDefinition(const std::vector<Item>& items, const std::string& rnum) {
  std::string t =
      "HEDR FMVR 0100 ; PPNM DEFED ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
      "ENDHEDR ;\nBODR RNUM " +
      (rnum.empty() ? std::to_string(items.size()) : rnum) + " ; ENDBODR ;\n";
  auto q = [](const std::string& v) { return v.empty() ? std::string("\"\"") : v; };
  for (const Item& i : items) {
    t += "ITMR LNUM " + i.level + " ; DTNM " + q(i.name) + " ; DTAT " + q(i.dtat) +
         " ; DALE " + q(i.dale) + " ; ANUM " + q(i.anum) + " ; SUAF " + q(i.suaf) +
         " ; EDCS " + q(i.edcs) + " ; RENM " + q(i.renm) + " ; USAG " + q(i.usag) +
         " ; BURL " + q(i.burl) + " ; BIRL " + q(i.birl) + " ; BLWZ F ; JUST F ; SIGN " +
         q(i.sign) + " ; SYNC F ; ENDITMR ;\n";
  }
  t += "TRAR FMVR 0100 ; PPNM DEFED ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
       "ENDTRAR ;\n";
  return t;
}

std::string FileDefinition(const std::string& fior, const std::string& rfor,
                           const std::string& snm0) {
  return "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR " + fior + " ; RFOR " + rfor +
         " ; SNM0 " + snm0 + " ; ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n";
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base != nullptr && *base ? base : "/tmp") + "/recacc-XXXXXX";
  char* made = ::mkdtemp(tmpl.data());
  path_ = made != nullptr ? made : "";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::string p = path_ + "/" + name;
  if (FILE* f = std::fopen(p.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return p;
}

int Sproc(const TempDir& dir, const std::vector<Item>& items, DTF* dtf, const std::string& fior) {
  dir.Write("REC.RDF", RecordDefinition(items));
  static thread_local std::string path;
  path = dir.Write("FILE.FLF", FileDefinition(fior, "FB", "REC.RDF"));
  KRACInit(dtf);
  dtf->definition_path = path.c_str();
  return KRACSproc(dtf);
}

}  // namespace qel::recacc::test
