// Test helpers of the rework core.
#include "rework/tests/rework_fixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "rework/procedure_file.h"

namespace qel::rework::test {

std::string WriteDefinition(const TempDir& dir, const std::string& name,
                            const std::vector<Field>& fields) {
  std::string t =
      "HEDR FMVR 0100 ; PPNM DEFED ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
      "ENDHEDR ;\nBODR RNUM " +
      std::to_string(fields.size()) + " ; ENDBODR ;\n";
  auto q = [](const std::string& v) { return v.empty() ? std::string("\"\"") : v; };
  for (const Field& f : fields) {
    t += "ITMR LNUM " + f.level + " ; DTNM " + f.name + " ; DTAT " + q(f.dtat) + " ; DALE " +
         q(f.dale) + " ; ANUM " + f.anum + " ; SUAF " + (f.edcs.empty() ? "F" : "T") + " ; EDCS " +
         q(f.edcs) + " ; RENM \"\" ; USAG \"\" ; BURL " + std::to_string(f.position) + " ; BIRL " +
         f.birl + " ; BLWZ " + f.bwz + " ; JUST " + f.just + " ; SIGN " + f.sign + " ; SYNC " +
         f.sync + " ; ENDITMR ;\n";
  }
  t += "TRAR FMVR 0100 ; PPNM DEFED ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
       "ENDTRAR ;\n";
  dir.Write(name + ".RDF", t);
  return dir.Write(name + ".FLF", recacc::test::FileDefinition("S", "FB", name + ".RDF"));
}

std::string Procedure(const std::string& body) {
  return std::string(kStartBanner) + "\n" + body + std::string(kEndBanner) + "\n";
}

std::string CommonBlock(const std::string& in_data, const std::string& in_def,
                        const std::string& out_data, const std::string& out_def,
                        const std::string& options, const std::string& selorder) {
  std::string t =
      "COM;\nINDATA=" + in_data + ";\nINDEF=" + in_def + ";\nOUTDATA=" + out_data + ";\n";
  if (!out_def.empty()) t += "OUTDEF=" + out_def + ";\n";
  t += options + "METAONE=?;\nMETAALL=*;\nSELORDER=" + selorder + ";\nCOM_END;\n";
  return t;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Packed(int value) {
  int v = value < 0 ? -value : value;
  char b[3];
  b[0] = static_cast<char>((v / 10000 % 10) << 4 | (v / 1000 % 10));
  b[1] = static_cast<char>((v / 100 % 10) << 4 | (v / 10 % 10));
  b[2] = static_cast<char>((v % 10) << 4 | (value < 0 ? 0xd : 0xc));
  return std::string(b, 3);
}

std::string BatchProgram() {
  const char* dir = std::getenv("QEL_TEST_BINARY_DIR");
  return std::string(dir != nullptr ? dir : ".") + "/bin/qelreworkbatch";
}

int RunCommand(const std::string& command, std::string* output) {
  output->clear();
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output->append(buffer, n);
  int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qel::rework::test
