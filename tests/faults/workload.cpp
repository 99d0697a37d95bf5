// Fixture files of the fault tests, written byte by byte by the test.
#include "tests/faults/workload.h"

#include <cstdio>

#include "recacc/tests/definition_fixture.h"

namespace qel::faults {

std::string Record(int i) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%04u%06u", static_cast<unsigned>(i) % 10000,
                static_cast<unsigned>(i) * 37 % 1000000);
  std::string name = "NAME" + std::to_string(i % 1000);
  name.resize(kRecordLength - 10, ' ');
  return digits + name;
}

std::string FixedFile(int count) {
  std::string data;
  for (int i = 0; i < count; ++i) data += Record(i);
  return data;
}

std::string VariableFile(int count) {
  std::string header(128, '\0');
  header.replace(8, 6, "FSV   ");
  header[64] = static_cast<char>(kRecordLength);
  header[68] = static_cast<char>(kRecordLength);
  std::string data = header;
  for (int i = 0; i < count; ++i) {
    data += std::string({static_cast<char>(kRecordLength), '\0', '\0', '\0'});
    data += Record(i);
  }
  return data;
}

std::string TextFile(int count) {
  std::string data;
  for (int i = 0; i < count; ++i) data += Record(i) + "\n";
  return data;
}

Workload::Workload(const ScratchDir& d, int n) : dir(d), count(n) {
  using recacc::test::Item;
  auto item = [](const char* level, const char* name, const char* dtat, const char* dale,
                 const char* burl) {
    Item i;
    i.level = level;
    i.name = name;
    i.dtat = dtat;
    i.dale = dale;
    i.burl = burl;
    return i;
  };
  std::string rdf = recacc::test::RecordDefinition(
      {item("01", "REC", "G", "0", "0"), item("05", "CODE", "X", "4", "0"),
       item("05", "AMOUNT", "9", "6", "4"), item("05", "NAME", "X", "10", "10")});
  dir.Write("SEQ.RDF", rdf);
  seq_flf = dir.Write("SEQ.FLF", recacc::test::FileDefinition("S", "FB", "SEQ.RDF"));
  idx_flf = dir.Write("IDX.FLF", recacc::test::FileDefinition("VK", "FB", "SEQ.RDF"));
  sam = dir.Write("IN.DAT", FixedFile(count));
  var = dir.Write("IN.VAR", VariableFile(count));
  txt = dir.Write("IN.TXT", TextFile(count));
  kdf = dir.Write("IDX.kdf", "RECSIZE 20\nKEY 0:4:CHAR\n");
  idx_name = dir.Path("IDX");
}

std::string Workload::Procedure(const std::string& output) const {
  return "*************    RWORK  PARAMETER  FILE  START    *************\n"
         "COM;\nINDATA=" +
         sam + ";\nINDEF=" + seq_flf + ";\nOUTDATA=" + output +
         ";\nENDIAN=LITTLE;\nBLANK=FALSE;\nED=SAMENAME;\nCOPY=NO;\nMETAONE=?;\nMETAALL=*;\n"
         "SELORDER=;\nCOM_END;\n"
         "**************    RWORK  PARAMETER  FILE  END    **************\n";
}

}  // namespace qel::faults
