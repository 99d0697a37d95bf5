// Test helpers of the rework core.
#include "rework/tests/rework_fixture.h"

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

}  // namespace qel::rework::test
