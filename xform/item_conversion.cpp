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
    bool quoted = IsCharacterLike(d.attribute);
    std::size_t text = quoted ? static_cast<std::size_t>(std::max(d.byte_length, 0)) + 2
                              : codec::kMaxNumberTextLength;
    a.fields.push_back(Field{i, quoted, text + 1});
  }
  SetOptions(big_endian, blank_when_zero);
  a.failed_name.clear();
}

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
  std::vector<char>& buf = Area().field;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemDescriptor& d = items[i];
    if (d.attribute == codec::kGroup) continue;
    std::size_t n = strnlen(d.name, sizeof d.name);
    buf[0] = kQuote;
    std::memcpy(buf.data() + 1, d.name, n);
    buf[n + 1] = kQuote;
    if (CsvfieldPut(csv, buf.data(), static_cast<int32_t>(n + 2), i == last ? 1 : 0) != 0) {
      return -1;
    }
  }
  return 0;
}

int CsvRecPut(QelFileHandle csv, char separator, const unsigned char* record) {
  WorkArea& a = Area();
  if (a.fields.empty()) return 0;
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

int CsvRecGet(QelFileHandle csv, unsigned char* record, std::size_t record_length) {
  WorkArea& a = Area();
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

const char* FailedItemName() { return Area().failed_name.c_str(); }

}  // namespace qel::xform
