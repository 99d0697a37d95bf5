// Writing a definition pair (.FLF and .RDF) that the record-access library
// reads back, and reading the raw item records of a pair for export.
//
// What is written (CP932, LF line ends, every field of every record in its
// fixed order, every name and text value quoted):
//
//   NAME.RDF  HEDR FMVR 0100 ; PPNM "QELLAR" ; PPTP "LINUX" ; PPVR "0300" ;
//                  CONM "QELDEF" ; COVR "0100" ; ERFG 0 ; ENDHEDR ;
//             BODR RNUM <items> ; ENDBODR ;
//             ITMR LNUM .. ; DTNM .. ; DTAT .. ; DALE .. ; ANUM .. ; SUAF .. ;
//                  EDCS .. ; RENM .. ; USAG .. ; BURL .. ; BIRL .. ; BLWZ .. ;
//                  JUST .. ; SIGN .. ; SYNC .. ; ENDITMR ;   (one per item)
//             TRAR <the header's fields> ENDTRAR ;
//   NAME.FLF  HEDR ... ENDHEDR ; ITMR FIOR .. ; RFOR .. ; SNM0 "NAME.RDF" ;
//                  SNM1 "" ; ... SNM9 "" ; ENDITMR ; TRAR ... ENDTRAR ;
#ifndef QEL_RECACC_QELDEF_DEFINITION_WRITER_H_
#define QEL_RECACC_QELDEF_DEFINITION_WRITER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel::copybook {

// One item record with the text of each field as it is written (and read).
struct ItemRecord {
  std::string level;  // LNUM, two digits
  std::string name;   // DTNM
  std::string dtat;
  std::string dale;
  std::string anum = "0";
  std::string suaf = "T";
  std::string edcs;
  std::string renm;
  std::string usag;
  std::string burl = "0";
  std::string birl = "0";
  std::string blwz = "F";
  std::string just = "F";
  std::string sign = "0";
  std::string sync = "F";

  bool operator==(const ItemRecord&) const = default;
};

// The text of a record definition holding `items` (1 to 9999 of them).
std::string RecordDefinitionText(const std::vector<ItemRecord>& items);

// The text of a file definition naming `rdf_name` (a bare file name).
std::string FileDefinitionText(const std::string& organisation, const std::string& record_format,
                               const std::string& rdf_name);

// How writing a pair went.
enum class WriteResult {
  kWritten,
  kCannotWrite,   // a file could not be created or written
  kDoesNotRead,   // the library refused the written pair; nothing was kept
};

// Writes `flf_path` and the .RDF beside it (the same name with the extension
// .RDF, in the letter case of the .FLF's extension). Both are written under
// temporary names in a fresh directory beside them, read back through
// KRACSproc, and only then renamed into place; on any failure no file of the
// pair is left behind (an older pair of the same names stays untouched).
// *status receives the KRAC status of a refused read-back.
WriteResult WriteDefinitionPair(const std::string& flf_path, const std::string& organisation,
                                const std::string& record_format,
                                const std::vector<ItemRecord>& items, uint32_t* status);

// The .RDF path that belongs beside `flf_path`.
std::string RecordDefinitionPath(const std::string& flf_path);

// Reads the raw item records of the record definition that the file
// definition `flf_path` names (SNM0, found as KRACSproc finds it). Call it
// after KRACSproc accepted the pair; nullopt when a file cannot be read.
std::optional<std::vector<ItemRecord>> ReadItemRecords(const std::string& flf_path);

}  // namespace qel::copybook

#endif  // QEL_RECACC_QELDEF_DEFINITION_WRITER_H_
