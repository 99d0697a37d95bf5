// The converter's item conversion over the item codec. The work area is
// module-wide on purpose: the two converter programs run one conversion at a
// time, and the window program runs it on one worker thread.
#include "xform/item_conversion.h"

#include <algorithm>
#include <cstring>

#include "recacc/item_format.h"

namespace qel::xform {
namespace {

namespace codec = qel::codec;

constexpr char kQuote = '"';

// Room for the pieces of a CSV line handed to the writer at once.
constexpr std::size_t kLinePiece = 16384;

// A non-group item of the layout, as CsvRecPut writes it.
struct Field {
  std::size_t index;
  bool quoted;           // character and national items
  std::size_t max_text;  // longest field text with its quotes and separator
};

struct WorkArea {
  std::vector<ItemDescriptor> items;
  std::vector<Field> fields;
  std::vector<char> line = std::vector<char>(kLinePiece + kFieldCapacity + 4);
  std::vector<codec::ItemFormat> formats;
  codec::CodecOptions options;
  std::string failed_name;
  // One field with its quotes; also the reader's field buffer.
  std::vector<char> field = std::vector<char>(kFieldCapacity + 2);
  // The CSV code and, for UTF-8, the converter and the CP932 side of one
  // field (an item's text before it goes out, a field's after it came in).
  CsvEncoding code = CsvEncoding::kCp932;
  CsvTextConverter converter;
  std::vector<char> cp932;
};

WorkArea& Area() {
  static WorkArea area;
  return area;
}

bool IsCharacterLike(int attribute) {
  codec::ItemClass c = codec::ClassOf(attribute);
  return c == codec::ItemClass::kCharacter || c == codec::ItemClass::kNational;
}

int FromStatus(codec::Status status) {
  switch (status) {
    case codec::Status::kOk:
      return kConvertOk;
    case codec::Status::kInvalidData:
      return kConvertInvalidData;
    // A format the codec cannot use (digits out of range, wrong byte count)
    // cannot be converted either.
    default:
      return kConvertNotConvertible;
  }
}

void KeepName(const ItemDescriptor& d) {
  Area().failed_name.assign(d.name, strnlen(d.name, sizeof d.name));
}

}  // namespace

void LoadItems(std::vector<ItemDescriptor> layout_items, bool big_endian, bool blank_when_zero) {
  WorkArea& a = Area();
  a.items = std::move(layout_items);
  a.formats.clear();
  a.formats.reserve(a.items.size());
  a.fields.clear();
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    const ItemDescriptor& d = a.items[i];
    a.formats.push_back(recacc::ItemFormatOf(d));
    if (d.attribute == codec::kGroup) continue;
    a.fields.push_back(Field{i, IsCharacterLike(d.attribute), 0});
  }
  SetOptions(big_endian, blank_when_zero);
  SetCsvEncoding(CsvEncoding::kCp932);
  a.failed_name.clear();
}

bool SetCsvEncoding(CsvEncoding code) {
  WorkArea& a = Area();
  bool ok = true;
  if (code == CsvEncoding::kUtf8) {
    ok = a.converter.IsOpen() || a.converter.Open();
  } else {
    a.converter.Close();
  }
  a.code = ok ? code : CsvEncoding::kCp932;
  // A character item's text takes up to three times its bytes in UTF-8; the
  // line buffer holds a piece and the longest field after it.
  const std::size_t factor = a.code == CsvEncoding::kUtf8 ? kUtf8BytesPerCp932Byte : 1;
  std::size_t longest = kFieldCapacity;
  for (Field& f : a.fields) {
    const ItemDescriptor& d = a.items[f.index];
    std::size_t text = f.quoted ? static_cast<std::size_t>(std::max(d.byte_length, 0)) * factor + 2
                                : codec::kMaxNumberTextLength;
    f.max_text = text + 1;
    longest = std::max(longest, f.max_text);
  }
  if (a.line.size() < kLinePiece + longest + 4) a.line.resize(kLinePiece + longest + 4);
  if (a.code == CsvEncoding::kUtf8 && a.cp932.size() < kFieldCapacity)
    a.cp932.resize(kFieldCapacity);
  return ok;
}

CsvEncoding CurrentCsvEncoding() { return Area().code; }

void SetOptions(bool big_endian, bool blank_when_zero) {
  codec::CodecOptions& o = Area().options;
  o.big_endian = big_endian;
  o.blank_when_zero = blank_when_zero;
  // The converters read a signed packed item whose sign nibble is a digit as
  // positive.
  o.packed_digit_sign = true;
}

const std::vector<ItemDescriptor>& Items() { return Area().items; }

bool ItemsInside(std::size_t record_length) {
  for (const Field& f : Area().fields) {
    const ItemDescriptor& d = Area().items[f.index];
    if (d.position < 0 || d.byte_length < 0 ||
        static_cast<std::size_t>(d.position) + static_cast<std::size_t>(d.byte_length) >
            record_length) {
      return false;
    }
  }
  return true;
}

int KVAttrChk(char* name) {
  for (const ItemDescriptor& d : Area().items) {
    codec::ItemClass c = codec::ClassOf(d.attribute);
    if (c == codec::ItemClass::kOther) {
      std::size_t n = strnlen(d.name, sizeof d.name - 1);
      std::memcpy(name, d.name, n);
      name[n] = '\0';
      return -1;
    }
  }
  return 0;
}

int ItemToField(int index, const unsigned char* item, char* out, std::size_t out_size,
                std::size_t* length) {
  const WorkArea& a = Area();
  const codec::ItemFormat& f = a.formats[static_cast<std::size_t>(index)];
  if (f.byte_length < 0) return kConvertNotConvertible;
  codec::Status s = codec::ItemToText(
      f, std::span<const std::uint8_t>(item, static_cast<std::size_t>(f.byte_length)), a.options,
      codec::TextStyle::kField, std::span<char>(out, out_size), length);
  return FromStatus(s);
}

int FieldToItem(int index, std::string_view text, unsigned char* out) {
  const WorkArea& a = Area();
  const codec::ItemFormat& f = a.formats[static_cast<std::size_t>(index)];
  if (f.byte_length < 0) return kConvertNotConvertible;
  codec::Status s = codec::TextToItem(
      f, text, a.options, std::span<std::uint8_t>(out, static_cast<std::size_t>(f.byte_length)));
  return FromStatus(s);
}

int CsvTitlePut(QelFileHandle csv) {
  const auto& items = Area().items;
  // The line ends after the last non-group item.
  std::size_t last = items.size();
  for (std::size_t i = items.size(); i > 0; --i) {
    if (items[i - 1].attribute != codec::kGroup) {
      last = i - 1;
      break;
    }
  }
  WorkArea& a = Area();
  std::vector<char>& buf = a.field;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemDescriptor& d = items[i];
    if (d.attribute == codec::kGroup) continue;
    std::size_t n = strnlen(d.name, sizeof d.name);
    buf[0] = kQuote;
    if (a.code == CsvEncoding::kUtf8) {
      if (!a.converter.ToUtf8(std::string_view(d.name, n), buf.data() + 1, buf.size() - 2, &n)) {
        KeepName(d);
        return kConvertBadEncoding;
      }
    } else {
      std::memcpy(buf.data() + 1, d.name, n);
    }
    buf[n + 1] = kQuote;
    if (CsvfieldPut(csv, buf.data(), static_cast<int32_t>(n + 2), i == last ? 1 : 0) != 0) {
      return -1;
    }
  }
  return 0;
}

namespace {

// The record loops of both codes: the code is chosen once per record, so
// that the CP932 loops do no work of the UTF-8 ones.
template <bool kUtf8>
int PutRecord(WorkArea& a, QelFileHandle csv, char separator, const unsigned char* record) {
  // The line is built here and handed to the CSV writer in pieces that end
  // at a field boundary: a piece put with end kind 0 gets the separator that
  // follows its last field, the last piece gets CR LF. The bytes written are
  // those of one writer call per field, and a record that fails is not
  // written at all.
  char* line = a.line.data();
  std::size_t n = 0;
  for (const Field& f : a.fields) {
    if (n > 0 && n + f.max_text > kLinePiece) {
      if (CsvfieldPut(csv, line, static_cast<int32_t>(n - 1), 0) != 0) return -1;
      n = 0;
    }
    const ItemDescriptor& d = a.items[f.index];
    std::size_t length = 0;
    int rc;
    if (f.quoted) {
      line[n] = kQuote;
      rc = ItemToField(static_cast<int>(f.index), record + d.position, line + n + 1,
                       a.line.size() - n - 2, &length);
      if constexpr (kUtf8) {
        // Text with a byte above 0x7F is converted from a copy into its
        // place in the line.
        if (rc == kConvertOk && !IsAsciiText(std::string_view(line + n + 1, length))) {
          std::memcpy(a.cp932.data(), line + n + 1, length);
          if (!a.converter.ToUtf8(std::string_view(a.cp932.data(), length), line + n + 1,
                                  a.line.size() - n - 2, &length)) {
            rc = kConvertBadEncoding;
          }
        }
      }
      if (rc == kConvertOk) {
        line[n + 1 + length] = kQuote;
        length += 2;
      }
    } else {
      rc = ItemToField(static_cast<int>(f.index), record + d.position, line + n,
                       a.line.size() - n - 1, &length);
    }
    if (rc != kConvertOk) {
      KeepName(d);
      return rc;
    }
    n += length;
    line[n++] = separator;
  }
  return CsvfieldPut(csv, line, static_cast<int32_t>(n - 1), 1) != 0 ? -1 : 0;
}

// A UTF-8 field of a character or national item as the CP932 text that
// fills the item: converted, then cut to the item's width at a character
// boundary (from the left for JUSTIFIED), so that the codec's own cut
// leaves no half character. False when the text has no CP932 form.
bool FieldAsCp932(WorkArea& a, const ItemDescriptor& d, std::string_view& text) {
  if (!IsAsciiText(text)) {
    std::size_t length = 0;
    if (!a.converter.ToCp932(text, a.cp932.data(), a.cp932.size(), &length)) return false;
    text = std::string_view(a.cp932.data(), length);
  }
  const auto width = static_cast<std::size_t>(std::max(d.byte_length, 0));
  if (text.size() > width) {
    if (d.justified == 'T') {
      text.remove_prefix(Cp932TailStart(text, width));
    } else {
      text = text.substr(0, Cp932HeadFitting(text, width));
    }
  }
  return true;
}

template <bool kUtf8>
int GetRecord(WorkArea& a, QelFileHandle csv, unsigned char* record, std::size_t record_length) {
  std::memset(record, 0, record_length);
  char* buf = a.field.data();
  bool line_ended = false;
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    const ItemDescriptor& d = a.items[i];
    if (d.attribute == codec::kGroup) continue;
    std::string_view text;
    if (!line_ended) {
      int32_t length = 0;
      int32_t end_kind = 0;
      int rc = CsvfieldGet(csv, buf, &length, &end_kind);
      if (rc != 0) return rc;
      if (end_kind == 2) return kRecordEnd;
      if (end_kind == 1) line_ended = true;
      text = std::string_view(buf, static_cast<std::size_t>(length));
    }
    if (d.position < 0 || static_cast<std::size_t>(d.position) +
                                  static_cast<std::size_t>(std::max(d.byte_length, 0)) >
                              record_length) {
      KeepName(d);
      return kConvertNotConvertible;
    }
    if constexpr (kUtf8) {
      if (IsCharacterLike(d.attribute) && !FieldAsCp932(a, d, text)) {
        KeepName(d);
        return kConvertBadEncoding;
      }
    }
    int rc = FieldToItem(static_cast<int>(i), text, record + d.position);
    if (rc != kConvertOk) {
      KeepName(d);
      return rc;
    }
  }
  // Extra fields of a long line are read and discarded.
  while (!line_ended) {
    int32_t length = 0;
    int32_t end_kind = 0;
    int rc = CsvfieldGet(csv, buf, &length, &end_kind);
    if (rc != 0) return rc;
    if (end_kind == 2) return a.items.empty() ? kRecordEnd : kRecordBuilt;
    if (end_kind == 1) line_ended = true;
  }
  return kRecordBuilt;
}

}  // namespace

int CsvRecPut(QelFileHandle csv, char separator, const unsigned char* record) {
  WorkArea& a = Area();
  if (a.fields.empty()) return 0;
  return a.code == CsvEncoding::kUtf8 ? PutRecord<true>(a, csv, separator, record)
                                      : PutRecord<false>(a, csv, separator, record);
}

int CsvRecGet(QelFileHandle csv, unsigned char* record, std::size_t record_length) {
  WorkArea& a = Area();
  return a.code == CsvEncoding::kUtf8 ? GetRecord<true>(a, csv, record, record_length)
                                      : GetRecord<false>(a, csv, record, record_length);
}

const char* FailedItemName() { return Area().failed_name.c_str(); }

}  // namespace qel::xform
