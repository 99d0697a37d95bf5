// CKXFMDoc, the document of the interactive converter, and the description
// of its six conversion dialogs. Toolkit-free: the dialogs only move field
// values in and out; every rule (the run-button checks, the conversion
// table, the special options, which driver runs) lives here.
//
// The conversion table and the two special options are program-wide: one
// document per program holds them. A dialog calls BeginConversion when it
// opens, Prepare when its run button is pressed, and Run when Prepare passed.
#ifndef QEL_XFORM_QELXFORM_KXFM_DOC_H_
#define QEL_XFORM_QELXFORM_KXFM_DOC_H_

#include <optional>
#include <vector>

#include "xform/conversion_drivers.h"
#include "xform/qelxform/run_checks.h"

namespace qel::xform::gui {

// The conversions in the order of the menu.
enum class Conversion { kSamToTxt, kTxtToSam, kSamToCsv, kCsvToSam, kIsamToCsv, kVsamToSam };
inline constexpr int kConversionCount = 6;

// Which filter list a browse dialog offers.
enum class BrowseFilter { kData, kIsam, kDefinition };

// One field of a dialog, in the dialog's order. File fields have a browse
// button; `label` and `browse_title` are text numbers of the string table.
struct FieldSpec {
  FieldKind kind;
  bool is_output;
  unsigned label;
  unsigned browse_title;  // 0: no browse button
  BrowseFilter filter;
};

// The fields of a conversion's dialog, as CheckDialogFields takes them.
const std::vector<FieldSpec>& DialogFields(Conversion conversion);

// The CSV kinds have the title check box, the separator and the special
// options; the others have a record length.
bool IsCsvConversion(Conversion conversion);

class CKXFMDoc {
 public:
  CKXFMDoc();

  // A dialog of `conversion` opens: the table starts empty (quote character
  // "\""), and a CSV dialog clears the special options.
  void BeginConversion(Conversion conversion);

  // The special options: the system's two, and the CSV file in UTF-8
  // (KXFMTbl.CsvCode), an addition of this suite that is off unless chosen.
  int BinaryCode() const { return table_.BinaryCode; }
  int BwzType() const { return table_.BwzType; }
  int CsvCode() const { return table_.CsvCode; }
  void SetSpecialOptions(bool big_endian, bool blank_when_zero, bool utf8_csv);

  // Runs the checks over `fields` (values in the order of DialogFields) and,
  // when they pass, fills the table: the file names, the separator, the
  // title flag and the record length. The first failure, or nothing.
  std::optional<CheckFailure> Prepare(Conversion conversion, const std::vector<DialogField>& fields,
                                      bool title);

  // Runs the driver of the prepared conversion with `context` and answers
  // its result; afterwards the record length is 0 again. REQUIRES: Prepare
  // passed for this conversion.
  int Run(const DriverContext& context);

  const KXFMTbl& Table() const { return table_; }
  Conversion CurrentConversion() const { return conversion_; }

 private:
  KXFMTbl table_;
  Conversion conversion_ = Conversion::kSamToTxt;
};

// The file-name bytes a field takes ("File names are the bytes the system
// gives"): at most kMaxFileNameField - 1 bytes are copied into the table.
void CopyName(char (&target)[2048], const std::string& name);

}  // namespace qel::xform::gui

#endif  // QEL_XFORM_QELXFORM_KXFM_DOC_H_
