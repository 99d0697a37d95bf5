// The converter's document: the dialogs' field lists and the program-wide
// conversion table.
#include "xform/qelxform/kxfm_doc.h"

#include <algorithm>
#include <cstring>

#include "xform/qelxform/xform_texts.h"

namespace qel::xform::gui {
namespace {

using K = FieldKind;
using F = BrowseFilter;

constexpr FieldSpec kRecordLength{K::kRecordLength, false, kTextLabelRecordLength, 0, F::kData};
constexpr FieldSpec kDefinition{K::kDefinition, false, kTextLabelDefinition,
                                kTextBrowseInDefinition, F::kDefinition};
constexpr FieldSpec kSeparator{K::kSeparator, false, kTextLabelSeparator, 0, F::kData};

}  // namespace

const std::vector<FieldSpec>& DialogFields(Conversion conversion) {
  static const std::vector<FieldSpec> kFields[kConversionCount] = {
      {{K::kSam, false, kTextLabelSam, kTextBrowseInSam, F::kData},
       {K::kText, true, kTextLabelText, kTextBrowseOutText, F::kData},
       kRecordLength},
      {{K::kText, false, kTextLabelText, kTextBrowseInText, F::kData},
       {K::kSam, true, kTextLabelSam, kTextBrowseOutSam, F::kData},
       kRecordLength},
      {{K::kSam, false, kTextLabelSam, kTextBrowseInSam, F::kData},
       kDefinition,
       {K::kCsv, true, kTextLabelCsv, kTextBrowseOutCsv, F::kData},
       kSeparator},
      {{K::kCsv, false, kTextLabelCsv, kTextBrowseInCsv, F::kData},
       kDefinition,
       {K::kSam, true, kTextLabelSam, kTextBrowseOutSam, F::kData},
       kSeparator},
      {{K::kIsam, false, kTextLabelIsam, kTextBrowseInIsam, F::kIsam},
       kDefinition,
       {K::kCsv, true, kTextLabelCsv, kTextBrowseOutCsv, F::kData},
       kSeparator},
      {{K::kVsam, false, kTextLabelVsam, kTextBrowseInVsam, F::kData},
       {K::kSam, true, kTextLabelSam, kTextBrowseOutSam, F::kData},
       kRecordLength},
  };
  return kFields[static_cast<int>(conversion)];
}

bool IsCsvConversion(Conversion conversion) {
  return conversion == Conversion::kSamToCsv || conversion == Conversion::kCsvToSam ||
         conversion == Conversion::kIsamToCsv;
}

void CopyName(char (&target)[2048], const std::string& name) {
  const std::size_t n = std::min(name.size(), sizeof target - 1);
  std::memcpy(target, name.data(), n);
  target[n] = '\0';
}

CKXFMDoc::CKXFMDoc() {
  std::memset(&table_, 0, sizeof table_);
  std::strcpy(table_.CharSeparator, "\"");
}

void CKXFMDoc::BeginConversion(Conversion conversion) {
  const int32_t binary_code = table_.BinaryCode;
  const int32_t bwz_type = table_.BwzType;
  const int32_t csv_code = table_.CsvCode;
  std::memset(&table_, 0, sizeof table_);
  std::strcpy(table_.CharSeparator, "\"");
  if (!IsCsvConversion(conversion)) {
    table_.BinaryCode = binary_code;
    table_.BwzType = bwz_type;
    table_.CsvCode = csv_code;
  }
  conversion_ = conversion;
}

void CKXFMDoc::SetSpecialOptions(bool big_endian, bool blank_when_zero, bool utf8_csv) {
  table_.BinaryCode = big_endian ? 1 : 0;
  table_.BwzType = blank_when_zero ? 1 : 0;
  table_.CsvCode = utf8_csv ? 1 : 0;
}

std::optional<CheckFailure> CKXFMDoc::Prepare(Conversion conversion,
                                              const std::vector<DialogField>& fields, bool title) {
  if (std::optional<CheckFailure> failure = CheckDialogFields(fields)) return failure;
  conversion_ = conversion;
  for (const DialogField& field : fields) {
    switch (field.kind) {
      case FieldKind::kDefinition:
        CopyName(table_.SheetFileName, field.value);
        break;
      case FieldKind::kSeparator:
        table_.Separator[0] = *ParseSeparator(field.value);
        table_.Separator[1] = '\0';
        break;
      case FieldKind::kRecordLength:
        table_.Reclen = static_cast<uint16_t>(*ParseRecordLength(field.value));
        break;
      default:
        CopyName(field.is_output ? table_.OutFileName : table_.InFileName, field.value);
        break;
    }
  }
  table_.Title = IsCsvConversion(conversion) && title ? 1 : 0;
  return std::nullopt;
}

int CKXFMDoc::Run(const DriverContext& context) {
  int result = kDriverFailed;
  switch (conversion_) {
    case Conversion::kSamToTxt:
      result = SamToTxt(table_, context);
      break;
    case Conversion::kTxtToSam:
      result = TxtToSam(table_, context);
      break;
    case Conversion::kSamToCsv:
      result = SamToCsv(table_, context);
      break;
    case Conversion::kCsvToSam:
      result = CsvToSam(table_, context);
      break;
    case Conversion::kIsamToCsv:
      result = IsamToCsv(table_, context);
      break;
    case Conversion::kVsamToSam:
      result = VsamToSam(table_, context);
      break;
  }
  table_.Reclen = 0;
  return result;
}

}  // namespace qel::xform::gui
