// Item value conversion of the converters: one record item to one CSV field
// and back, and the record-level loops over a record layout. The encodings
// themselves are the item codec's; this module walks the layout, keeps the
// converter's work area (the item table and the two options of the running
// conversion) and adds the CSV side: quoting of character and national
// fields, title lines, short and long lines.
//
// CSV dialect written (the reader accepts the same, see qelxformio.h):
//   character and national fields: quote, the item bytes unchanged (trailing
//     spaces kept, an embedded quote not doubled), quote;
//   numeric fields bare: an optional "-", integer digits without leading
//     zeros, "." and exactly the item's fraction digits ("-123.45", ".05",
//     "-0"); group items give no field;
//   fields separated by the separator, each line ended by CR LF.
// With the CSV encoding kUtf8 (csv_encoding.h) the character and national
// fields and the title line hold UTF-8: each item is converted on its own, a
// field read back is converted to CP932 before it is fitted to its item,
// and a cut by the item's width never leaves half a double-byte character
// (the half becomes a single-byte space). Numeric fields are ASCII in both
// codes.
//
// REQUIRES: one conversion at a time in the process (the work area and the
// CSV reader state are module-wide). LoadItems before any other call. The
// records of one conversion may be converted on several threads, each with
// a RecordConverter of its own.
#ifndef QEL_XFORM_ITEM_CONVERSION_H_
#define QEL_XFORM_ITEM_CONVERSION_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/item_codec.h"
#include "recacc/qelrecacc.h"
#include "xform/csv_encoding.h"
#include "xformio/line_files.h"
#include "xformio/qelxformio.h"

namespace qel::xform {

// Results of the item and record conversions.
inline constexpr int kConvertOk = 0;
inline constexpr int kConvertNotConvertible = -3;
inline constexpr int kConvertInvalidData = -4;
// A character or national text that has no form in the other code of a
// UTF-8 CSV (bytes that are not CP932, text that is not UTF-8, a character
// CP932 cannot hold).
inline constexpr int kConvertBadEncoding = -5;
// CsvRecGet
inline constexpr int kRecordBuilt = 1;
inline constexpr int kRecordEnd = 2;

// Capacity of one CSV field (the reader's limit) and of the record buffer of
// the CSV-to-record direction.
inline constexpr std::size_t kFieldCapacity = 65540;
inline constexpr std::size_t kRecordBufferSize = 65537;

// Replaces the work area's item table with the entries of `layout_items`
// (the layout in record order) and sets the options of the conversion. The
// CSV code goes back to kCp932.
void LoadItems(std::vector<ItemDescriptor> layout_items, bool big_endian, bool blank_when_zero);
// Changes only the options.
void SetOptions(bool big_endian, bool blank_when_zero);

// Chooses the code of the CSV side for the records that follow (after
// LoadItems). kUtf8 opens the converter once for the whole conversion;
// false, with kCp932 left in force, when the system has no CP932
// converter. kCp932 releases it.
bool SetCsvEncoding(CsvEncoding code);
CsvEncoding CurrentCsvEncoding();
const std::vector<ItemDescriptor>& Items();

// True when every non-group item lies inside a record of `record_length`
// bytes (a definition whose positions say otherwise cannot be converted).
bool ItemsInside(std::size_t record_length);

// 0 when every entry is convertible or a group; -1 after copying the name of
// the first entry that is not (NUL-terminated, at most 31 bytes) into `name`
// (at least 32 bytes).
int KVAttrChk(char* name);

// Item `index` (0-based) from its bytes (byte_length of them) to its field
// text, without quotes. `out` must hold byte_length bytes for character and
// national items and kMaxNumberTextLength for numeric ones.
// 0 with *length set; -4 invalid data; -3 not convertible.
int ItemToField(int index, const unsigned char* item, char* out, std::size_t out_size,
                std::size_t* length);

// Field text to the bytes of item `index`: exactly byte_length bytes of `out`
// are written. A numeric text longer than codec::kMaxFieldTextLength
// characters is invalid data. 0; -4 invalid data; -3 not convertible.
int FieldToItem(int index, std::string_view text, unsigned char* out);

// Writes the title line: every non-group item's name in quotes. 0, -1 (CSV
// writer failure), or -5 (a name that is not CP932, with FailedItemName).
int CsvTitlePut(QelFileHandle csv);

// Writes `record` as one CSV line, fields separated by `separator` (the one
// the CSV file was opened with). 0; -4 (the item's name is kept for
// FailedItemName; nothing of the record is written), -5 (likewise), -3, or
// -1 from the CSV writer. REQUIRES: every item lies inside the record.
int CsvRecPut(QelFileHandle csv, char separator, const unsigned char* record);

// Reads one CSV line into `record` (the whole record length is zero-filled
// first; record must hold the record length). 1 a record was built; 2 end of
// file (also in the middle of a line); -4 or -5 (with FailedItemName), -3,
// or the CSV reader's -1 / -2.
int CsvRecGet(QelFileHandle csv, unsigned char* record, std::size_t record_length);

// The name of the item of the last -4, -5 or -3.
const char* FailedItemName();

// The record conversions of the loaded layout for one thread. Any number of
// converters may work at once on different threads, each with its own
// buffers and text converter, while the layout and the options stay as
// they are (no LoadItems, SetOptions or SetCsvEncoding meanwhile).
class RecordConverter {
 public:
  RecordConverter();
  RecordConverter(const RecordConverter&) = delete;
  RecordConverter& operator=(const RecordConverter&) = delete;

  // False when the UTF-8 converter of a UTF-8 CSV could not be opened.
  bool ready() const { return ready_; }

  // Most bytes one CSV line of the layout takes, its CR LF included.
  std::size_t LineCapacity() const;

  // Writes the CSV line of `record` (fields, separators, CR LF) at `out`,
  // which holds LineCapacity() bytes, and its length to *length (0 when the
  // layout has no field: no line at all). Results as CsvRecPut; on a
  // failure failed_name() names the item.
  int PutLine(const unsigned char* record, char separator, char* out, std::size_t* length);

  // Reads one CSV line from `reader` into `record`, as CsvRecGet.
  int GetLine(xformio::CsvReader& reader, unsigned char* record, std::size_t record_length);

  const std::string& failed_name() const { return failed_name_; }

 private:
  bool ready_ = true;
  CsvTextConverter converter_;
  std::vector<char> cp932_;
  std::vector<unsigned char> field_;
  std::string failed_name_;
};

}  // namespace qel::xform

#endif  // QEL_XFORM_ITEM_CONVERSION_H_
