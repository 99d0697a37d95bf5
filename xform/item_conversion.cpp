// The converter's item conversion over the item codec. The work area is
// module-wide on purpose: the two converter programs run one conversion at a
// time, and the window program runs it on one worker thread.
#include "xform/item_conversion.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "codec/numeric_item_text.h"
#include "recacc/item_format.h"

namespace qel::xform {
namespace {

namespace codec = qel::codec;

constexpr char kQuote = '"';

// How the record loops convert a field, chosen once per layout.
enum class FieldKind {
  kCharacter,  // quoted; placed over single-byte spaces
  kNational,   // quoted; placed over full-width spaces
  kNumber,     // a numeric item whose format the codec can use
  kOther,      // anything else: the codec's general calls give its status
};

// A non-group item of the layout, as CsvRecPut writes it.
struct Field {
  std::size_t index;
  bool quoted;           // character and national items
  std::size_t max_text;  // longest field text with its quotes and separator
  FieldKind kind = FieldKind::kOther;
};

struct WorkArea {
  std::vector<ItemDescriptor> items;
  std::vector<Field> fields;
  // Most bytes a line takes (every field at its longest, CR LF), and the
  // line of CsvRecPut.
  std::size_t line_capacity = 2;
  std::vector<char> line;
  std::vector<codec::ItemFormat> formats;
  codec::CodecOptions options;
  // The fields cover the record's bytes from 0 up to here without a gap:
  // a record read from CSV needs no zero fill that far.
  std::size_t covered = 0;
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
    Field f{i, IsCharacterLike(d.attribute), 0};
    const codec::ItemFormat& format = a.formats.back();
    if (format.byte_length >= 0 && d.position >= 0) {
      switch (codec::ClassOf(d.attribute)) {
        case codec::ItemClass::kCharacter:
          f.kind = FieldKind::kCharacter;
          break;
        case codec::ItemClass::kNational:
          f.kind = FieldKind::kNational;
          break;
        case codec::ItemClass::kNumeric:
          if (codec::NumericByteLength(format) == format.byte_length) f.kind = FieldKind::kNumber;
          break;
        default:
          break;
      }
    }
    a.fields.push_back(f);
  }
  // The covered start of the record: items in any order, overlapping or not.
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (const Field& f : a.fields) {
    const ItemDescriptor& d = a.items[f.index];
    if (d.position >= 0 && d.byte_length > 0) {
      spans.emplace_back(static_cast<std::size_t>(d.position),
                         static_cast<std::size_t>(d.position) +
                             static_cast<std::size_t>(d.byte_length));
    }
  }
  std::sort(spans.begin(), spans.end());
  a.covered = 0;
  for (const auto& [from, to] : spans) {
    if (from > a.covered) break;
    a.covered = std::max(a.covered, to);
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
  // A character item's text takes up to three times its bytes in UTF-8.
  const std::size_t factor = a.code == CsvEncoding::kUtf8 ? kUtf8BytesPerCp932Byte : 1;
  std::size_t capacity = 2;
  for (Field& f : a.fields) {
    const ItemDescriptor& d = a.items[f.index];
    std::size_t text = f.quoted ? static_cast<std::size_t>(std::max(d.byte_length, 0)) * factor + 2
                                : codec::kMaxNumberTextLength;
    f.max_text = text + 1;
    capacity += f.max_text;
  }
  a.line_capacity = capacity;
  if (a.line.size() < capacity) a.line.resize(capacity);
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

// One item of a CSV line to its text at `out` (quotes included), with the
// room `room` after it: the length, or 0 after keeping the failure in *rc.
// Character and national bytes are copied as they stand; numbers go
// through the codec.
template <bool kUtf8>
[[gnu::always_inline]] inline std::size_t PutField(const WorkArea& a, const Field& f,
                                                   const unsigned char* record, char* out,
                                                   std::size_t room,
                                                   CsvTextConverter& converter, int* rc) {
  const ItemDescriptor& d = a.items[f.index];
  const codec::ItemFormat& format = a.formats[f.index];
  if (format.byte_length < 0) {
    *rc = kConvertNotConvertible;
    return 0;
  }
  const unsigned char* item = record + d.position;
  if (f.quoted) {
    auto n = static_cast<std::size_t>(format.byte_length);
    out[0] = kQuote;
    if constexpr (kUtf8) {
      // The item's bytes go straight into their place in the line as UTF-8.
      if (!converter.ToUtf8(std::string_view(reinterpret_cast<const char*>(item), n), out + 1,
                            room - 2, &n)) {
        *rc = kConvertBadEncoding;
        return 0;
      }
    } else {
      xformio::CopyBytes(reinterpret_cast<unsigned char*>(out + 1), item, n);
    }
    out[n + 1] = kQuote;
    return n + 2;
  }
  std::size_t length = 0;
  const auto bytes =
      std::span<const std::uint8_t>(item, static_cast<std::size_t>(format.byte_length));
  codec::Status s =
      f.kind == FieldKind::kNumber
          ? codec::NumericItemToText(format, bytes, a.options, codec::TextStyle::kField,
                                     std::span<char>(out, room), &length)
          : codec::ItemToText(format, bytes, a.options, codec::TextStyle::kField,
                              std::span<char>(out, room), &length);
  if (s != codec::Status::kOk) {
    *rc = FromStatus(s);
    return 0;
  }
  return length;
}

// A record's whole CSV line at `out` (room for LineCapacity bytes), with
// its CR LF. kConvertOk with *length; a failure with `failed` naming the
// item (nothing of the line counts then).
template <bool kUtf8>
int PutLine(const WorkArea& a, const unsigned char* record, char separator, char* out,
            std::size_t* length, CsvTextConverter& converter, std::string& failed) {
  std::size_t n = 0;
  const std::size_t capacity = a.line_capacity;
  for (const Field& f : a.fields) {
    int rc = kConvertOk;
    std::size_t got = PutField<kUtf8>(a, f, record, out + n, capacity - n, converter, &rc);
    if (rc != kConvertOk) {
      const ItemDescriptor& d = a.items[f.index];
      failed.assign(d.name, strnlen(d.name, sizeof d.name));
      return rc;
    }
    n += got;
    out[n++] = separator;
  }
  if (n == 0) {
    *length = 0;
    return kConvertOk;
  }
  // The last separator becomes the line end.
  out[n - 1] = '\r';
  out[n++] = '\n';
  *length = n;
  return kConvertOk;
}

// A UTF-8 field of a character or national item as the CP932 text that
// fills the item: converted, then cut to the item's width at a character
// boundary (from the left for JUSTIFIED), so that the codec's own cut
// leaves no half character. False when the text has no CP932 form.
bool FieldAsCp932(CsvTextConverter& converter, std::vector<char>& cp932, const ItemDescriptor& d,
                  std::string_view& text) {
  if (!IsAsciiText(text)) {
    std::size_t length = 0;
    if (!converter.ToCp932(text, cp932.data(), cp932.size(), &length)) return false;
    text = std::string_view(cp932.data(), length);
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

// One CSV line into `record`; `next(&text, &end_kind)` reads the line's
// fields one by one (the reader's result: 0, -1 or -2).
template <bool kUtf8, typename Next>
int GetLine(const WorkArea& a, Next&& next, unsigned char* record,
            std::size_t record_length, CsvTextConverter& converter, std::vector<char>& cp932,
            std::string& failed) {
  if (a.covered < record_length) std::memset(record, 0, record_length);
  bool line_ended = false;
  auto fail = [&failed](const ItemDescriptor& d, int rc) {
    failed.assign(d.name, strnlen(d.name, sizeof d.name));
    return rc;
  };
  for (const Field& f : a.fields) {
    const ItemDescriptor& d = a.items[f.index];
    std::string_view text;
    if (!line_ended) {
      int32_t end_kind = 0;
      int rc = next(&text, &end_kind);
      if (rc != 0) return rc;
      if (end_kind == 2) return kRecordEnd;
      if (end_kind == 1) line_ended = true;
    }
    if (d.position < 0 || static_cast<std::size_t>(d.position) +
                                  static_cast<std::size_t>(std::max(d.byte_length, 0)) >
                              record_length) {
      return fail(d, kConvertNotConvertible);
    }
    if constexpr (kUtf8) {
      if (f.quoted && !FieldAsCp932(converter, cp932, d, text)) {
        return fail(d, kConvertBadEncoding);
      }
    }
    const codec::ItemFormat& format = a.formats[f.index];
    if (format.byte_length < 0) return fail(d, kConvertNotConvertible);
    const auto item =
        std::span<std::uint8_t>(record + d.position, static_cast<std::size_t>(format.byte_length));
    const auto source =
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    switch (f.kind) {
      case FieldKind::kCharacter:
        codec::PlaceCharacters(source, format.justified, item);
        break;
      case FieldKind::kNational:
        codec::PlaceNational(source, format.justified, item);
        break;
      case FieldKind::kNumber:
        if (codec::Status s = codec::TextToNumericItem(format, text, a.options, item);
            s != codec::Status::kOk) {
          return fail(d, FromStatus(s));
        }
        break;
      case FieldKind::kOther:
        if (codec::Status s = codec::TextToItem(format, text, a.options, item);
            s != codec::Status::kOk) {
          return fail(d, FromStatus(s));
        }
        break;
    }
  }
  // Extra fields of a long line are read and discarded.
  while (!line_ended) {
    std::string_view text;
    int32_t end_kind = 0;
    int rc = next(&text, &end_kind);
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
  std::size_t n = 0;
  int rc = a.code == CsvEncoding::kUtf8
               ? PutLine<true>(a, record, separator, a.line.data(), &n, a.converter, a.failed_name)
               : PutLine<false>(a, record, separator, a.line.data(), &n, a.converter,
                                a.failed_name);
  if (rc != kConvertOk) return rc;
  // The writer adds the CR LF itself.
  return CsvfieldPut(csv, a.line.data(), static_cast<int32_t>(n - 2), 1) != 0 ? -1 : 0;
}

int CsvRecGet(QelFileHandle csv, unsigned char* record, std::size_t record_length) {
  WorkArea& a = Area();
  char* field = a.field.data();
  auto next = [csv, field](std::string_view* text, int32_t* end_kind) {
    int32_t n = 0;
    int rc = CsvfieldGet(csv, field, &n, end_kind);
    *text = std::string_view(field, static_cast<std::size_t>(n));
    return rc;
  };
  return a.code == CsvEncoding::kUtf8
             ? GetLine<true>(a, next, record, record_length, a.converter, a.cp932, a.failed_name)
             : GetLine<false>(a, next, record, record_length, a.converter, a.cp932,
                              a.failed_name);
}

const char* FailedItemName() { return Area().failed_name.c_str(); }

RecordConverter::RecordConverter() : field_(kFieldCapacity + 2) {
  const WorkArea& a = Area();
  if (a.code == CsvEncoding::kUtf8) {
    ready_ = converter_.Open();
    cp932_.resize(kFieldCapacity);
  }
}

std::size_t RecordConverter::LineCapacity() const { return Area().line_capacity; }

int RecordConverter::PutLine(const unsigned char* record, char separator, char* out,
                             std::size_t* length) {
  const WorkArea& a = Area();
  return a.code == CsvEncoding::kUtf8
             ? xform::PutLine<true>(a, record, separator, out, length, converter_, failed_name_)
             : xform::PutLine<false>(a, record, separator, out, length, converter_,
                                     failed_name_);
}

int RecordConverter::GetLine(xformio::CsvReader& reader, unsigned char* record,
                             std::size_t record_length) {
  const WorkArea& a = Area();
  unsigned char* field = field_.data();
  auto next = [&reader, field](std::string_view* text,
                               int32_t* end_kind) __attribute__((always_inline)) {
    const unsigned char* data = nullptr;
    std::size_t length = 0;
    int rc = reader.View(field, &data, &length, end_kind);
    *text = std::string_view(reinterpret_cast<const char*>(data), length);
    return rc;
  };
  return a.code == CsvEncoding::kUtf8
             ? xform::GetLine<true>(a, next, record, record_length, converter_, cp932_,
                                    failed_name_)
             : xform::GetLine<false>(a, next, record, record_length, converter_, cp932_,
                                     failed_name_);
}

}  // namespace qel::xform
