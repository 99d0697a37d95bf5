// Test helpers of the converters.
#include "xform/tests/xform_fixture.h"

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/cp932.h"

namespace qel::xform::test {

Workspace::Workspace() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base != nullptr && *base ? base : "/tmp") + "/xform-XXXXXX";
  char* made = ::mkdtemp(tmpl.data());
  dir_ = made != nullptr ? made : "";
  ::setenv("TEMP", dir_.c_str(), 1);
}

Workspace::~Workspace() {
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

std::string Workspace::Write(const std::string& name, const std::string& bytes) const {
  std::string p = Path(name);
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
  return p;
}

std::string Workspace::Read(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Workspace::Exists(const std::string& name) const {
  return std::filesystem::exists(Path(name));
}

std::string Workspace::Definition(const std::string& name, const std::vector<DefItem>& items,
                                  const std::string& organisation,
                                  const std::string& format) const {
  auto q = [](const std::string& v) { return v.empty() ? std::string("\"\"") : v; };
  std::string r =
      "HEDR FMVR 0100 ; PPNM T ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
      "ENDHEDR ;\nBODR RNUM " +
      std::to_string(items.size()) + " ; ENDBODR ;\n";
  for (const DefItem& i : items) {
    r += "ITMR LNUM " + i.level + " ; DTNM " + q(i.name) + " ; DTAT " + q(i.dtat) + " ; DALE " +
         q(i.dale) + " ; ANUM " + q(i.anum) + " ; SUAF T ; RENM " + q(i.renm) + " ; BURL " +
         q(i.burl) + " ; BIRL 0 ; BLWZ " + i.blwz + " ; JUST " + i.just + " ; SIGN " + q(i.sign) +
         " ; SYNC F ; ENDITMR ;\n";
  }
  r += "TRAR FMVR 0100 ; PPNM T ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
       "ENDTRAR ;\n";
  Write(name + ".RDF", r);
  return Write(name + ".FLF", "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR " + organisation +
                                  " ; RFOR " + format + " ; SNM0 " + name +
                                  ".RDF ; ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n");
}

std::string Workspace::Log() const {
  const std::string log = Read(std::string(kLogName) + ".LOG");
  // Logs follow the console: UTF-8 under a UTF-8 locale, CP932 otherwise.
  return platform::ConsoleIsUtf8() ? log : platform::Cp932ToUtf8(log);
}

KXFMTbl Table(const std::string& in, const std::string& out, const std::string& definition,
              int reclen) {
  KXFMTbl t;
  std::memset(&t, 0, sizeof t);
  std::strncpy(t.InFileName, in.c_str(), sizeof t.InFileName - 1);
  std::strncpy(t.OutFileName, out.c_str(), sizeof t.OutFileName - 1);
  std::strncpy(t.SheetFileName, definition.c_str(), sizeof t.SheetFileName - 1);
  t.Separator[0] = ',';
  t.CharSeparator[0] = '"';
  t.Reclen = static_cast<uint16_t>(reclen);
  return t;
}

std::string Sjis(const std::string& utf8) {
  return platform::Utf8ToCp932(utf8).value_or(std::string());
}

std::vector<DefItem> SalesItems() {
  return {{"01", "REC", "G", "0", "0"},
          {"03", "CODE", "X", "4", "0"},
          {"03", "NAME", "N", "2", "4"},
          {"03", "AMOUNT", "P", "3.2", "8"},
          {"03", "QTY", "S", "4", "11", "0", "3"},
          {"03", "BIN", "B", "4", "16"}};
}

}  // namespace qel::xform::test
