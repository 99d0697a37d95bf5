// The edit engine. Everything that does not depend on the record (look-ups,
// compatibility, constant values, bit ranges) is settled in Prepare; per
// record only byte copies and the codec's conversions remain. Moves write
// straight into the output record: the result is the one the work-area
// description gives (blank-filled destination, converted value, copied to
// its position), without copying every item twice.
#include "rework/edit_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "filter/sjis.h"
#include "message/qelmessage.h"
#include "recacc/item_format.h"
#include "rework/procedure_file.h"

namespace qel::rework {

namespace {

constexpr int kNoMemory = 2364;
constexpr int kNoSameName = 2380;
constexpr int kSameNameInvalid = 2361;
constexpr int kSameNameEditString = 2362;
constexpr int kInvalidData = 2360;
constexpr int kLogicError = 2363;

bool IsNumeric(int a) { return (a >= 5 && a <= 9) || a == 22; }
using filter::IsLeadByte;
bool Flag(char c) { return c == 'T'; }

void Put32(std::array<std::uint8_t, kMoveDescImageSize>& image, std::size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void FillSide(MoveSide* side, const ItemDescriptor& item) {
  side->length = item.byte_length;
  side->bit_position = item.bit_position;
  side->justified = Flag(item.justified) ? 1 : 0;
  side->sign = item.sign >= '0' && item.sign <= '9' ? item.sign - '0' : 0;
  side->synchronized = Flag(item.synchronized) ? 1 : 0;
  side->item_number = item.number;
  side->attribute = item.attribute;
  side->position = item.position;
  if (IsNumeric(item.attribute)) {
    bool separate = item.attribute == 8 && (side->sign == 2 || side->sign == 3);
    side->digits = item.digits + item.fraction_digits + (separate ? 1 : 0);
    side->integer_digits =
        item.digits +
        ((side->sign == 2 || (side->sign == 3 && item.fraction_digits == 0)) && separate ? 1 : 0);
  } else {
    side->digits = item.digits;
    side->integer_digits = item.digits;
  }
}

bool AllBlank(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0x20; });
}

bool GetBit(std::span<const std::uint8_t> bytes, int64_t bit) {
  return (bytes[bit / 8] >> (7 - bit % 8)) & 1;
}

void SetBit(std::span<std::uint8_t> bytes, int64_t bit, bool on) {
  std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (bit % 8));
  if (on) {
    bytes[bit / 8] |= mask;
  } else {
    bytes[bit / 8] &= static_cast<std::uint8_t>(~mask);
  }
}

}  // namespace

std::array<std::uint8_t, kMoveDescImageSize> MoveDescImage(const MoveDesc& d) {
  std::array<std::uint8_t, kMoveDescImageSize> image{};
  auto side = [&image](std::size_t base, const MoveSide& s) {
    Put32(image, base + 0, Address(s.work_area));
    Put32(image, base + 4, s.digits);
    Put32(image, base + 8, s.integer_digits);
    Put32(image, base + 12, s.length);
    Put32(image, base + 16, s.bit_position);
    Put32(image, base + 20, s.justified);
    Put32(image, base + 24, s.sign);
    Put32(image, base + 28, s.synchronized);
    Put32(image, base + 32, s.item_number);
    Put32(image, base + 36, s.attribute);
    Put32(image, base + 40, s.position);
  };
  side(0, d.source);
  Put32(image, 44, d.source_blank_when_zero);
  Put32(image, 48, d.destination_blank_when_zero);
  side(60, d.destination);
  Put32(image, 104, Address(d.constant));
  Put32(image, 116, d.big_endian);
  Put32(image, 120, d.blank_when_zero);
  return image;
}

bool ValidMove(int from, int to) {
  switch (from) {
    case 1:
    case 4:
      return to == 1 || to == 4;
    case 2:
      return to == 1 || to == 2 || to == 4;
    case 3:
      return to == 3;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 22:
      return IsNumeric(to);
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 17:
    case 18:
    case 19:
      return to == from;
    case 15:
    case 16:
      return to == 1 || to == 4 || to == from;
    default:
      return false;
  }
}

bool EditStringsRequired(int from, int to) {
  return from == to && (from == 12 || from == 15 || from == 16 || from == 17);
}

int CheckConstant(std::string_view c, int attribute) {
  switch (attribute) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 22:
      break;
    default:
      return 2320;
  }
  if (c.empty()) return 2325;
  switch (attribute) {
    case 1:
    case 4:
      return c.size() > 32 ? 2326 : 0;
    case 2:
      for (char ch : c) {
        if (!((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == ' ')) return 2324;
      }
      return c.size() > 32 ? 2327 : 0;
    case 3:
      for (std::size_t i = 0; i < c.size(); i += 2) {
        if (!IsLeadByte(static_cast<unsigned char>(c[i])) || i + 1 >= c.size()) return 2321;
      }
      return c.size() > 32 || c.size() % 2 != 0 ? 2328 : 0;
    default: {
      bool binary = attribute == 5 || attribute == 22;
      switch (codec::CheckNumericConstant(c, binary ? 9 : 18)) {
        case codec::ConstantCheck::kOk:
          return 0;
        case codec::ConstantCheck::kEmpty:
          return 2325;
        case codec::ConstantCheck::kMalformed:
          return 2322;
        case codec::ConstantCheck::kSignAfterDigits:
          return 2323;
        case codec::ConstantCheck::kTooManyDigits:
          return binary ? 2330 : 2329;
      }
      return 2322;
    }
  }
}

int EditCheckMessage(int message) {
  switch (message) {
    case 2301:
      return 2131;
    case 2303:
      return 2133;
    case 2325:
      return 2137;
    case 2320:
      return 2101;
    case 2321:
      return 2103;
    case 2322:
      return 2104;
    case 2323:
      return 2105;
    case 2324:
      return 2102;
    case 2326:
    case 2327:
      return 2107;
    case 2328:
      return 2108;
    case 2329:
      return 2109;
    case 2330:
      return 2110;
    default:
      return message;
  }
}

int CKRMVDoc::CheckEntry(const EditEntry& entry, const EditEntry* earlier) const {
  if (entry.output_item <= 0) return 2130;
  for (const EditEntry* e = earlier; e != nullptr && e != &entry; e = e->next) {
    if (e->output_item == entry.output_item) return 2008;
  }
  ItemDescriptor out{};
  if (KRACDainfSet(entry.output_item, &doc_->output, &out) != 0) return 2130;
  if (entry.kind == 1) {
    return CheckConstant(entry.constant != nullptr ? entry.constant : "", out.attribute);
  }
  ItemDescriptor in{};
  if (entry.input_item <= 0 || KRACDainfSet(entry.input_item, &doc_->input, &in) != 0) return 2130;
  if (!ValidMove(in.attribute, out.attribute)) return 2301;
  if (EditStringsRequired(in.attribute, out.attribute)) {
    if (strncmp(in.edit_string, out.edit_string, sizeof in.edit_string) != 0) return 2303;
    if (doc_->settings.blank_when_zero && Flag(in.blank_when_zero) != Flag(out.blank_when_zero)) {
      return 2303;
    }
  }
  return 0;
}

int CKRMVDoc::CheckEdits() {
  doc_->edit_faults.clear();
  doc_->edit_fault_count = 0;
  int index = 0;
  for (const EditEntry* e = doc_->edit_list; e != nullptr; e = e->next, ++index) {
    int message = CheckEntry(*e, doc_->edit_list);
    if (message == 0) continue;
    if (doc_->edit_fault_count == kMaxEditFaults) return 2141;
    EditFault fault;
    if (e->kind == 1) {
      fault.input = std::string(CutCharacters(e->constant != nullptr ? e->constant : "", 38));
    } else {
      fault.input = doc_->ItemName(e->input_item, false);
    }
    fault.output = doc_->ItemName(e->output_item, true);
    fault.message = message;
    fault.entry = index;
    doc_->edit_faults.push_back(std::move(fault));
    ++doc_->edit_fault_count;
  }
  return 0;
}

int CKRMVDoc::AddMove(const ItemDescriptor* source, const char* constant,
                      const ItemDescriptor& destination) {
  Move m;
  FillSide(&m.desc.destination, destination);
  m.desc.destination.work_area = destination_area_.data();
  m.desc.destination_blank_when_zero = Flag(destination.blank_when_zero) ? 1 : 0;
  m.desc.big_endian = options_.big_endian ? 1 : 0;
  m.desc.blank_when_zero = options_.blank_when_zero ? 1 : 0;
  m.destination_format = recacc::ItemFormatOf(destination);
  m.destination_bwz = options_.blank_when_zero && Flag(destination.blank_when_zero);
  int to = destination.attribute;
  if (destination.position < 0 || destination.byte_length < 0 ||
      int64_t{destination.position} + destination.byte_length > doc_->output.record_length) {
    return kLogicError;
  }
  if (source != nullptr) {
    if (source->position < 0 || source->byte_length < 0 ||
        int64_t{source->position} + source->byte_length > doc_->input.record_length) {
      return kLogicError;
    }
    FillSide(&m.desc.source, *source);
    m.desc.source_blank_when_zero = Flag(source->blank_when_zero) ? 1 : 0;
    m.source_format = recacc::ItemFormatOf(*source);
    m.source_bwz = options_.blank_when_zero && Flag(source->blank_when_zero);
  } else {
    std::string_view text = constant != nullptr ? constant : "";
    m.source_is_constant = true;
    m.desc.constant = constant;
    m.constant_bytes = std::string(text);
    if (IsNumeric(to)) {
      // A numeric constant stands for a signed zoned decimal source with its
      // own digits and a trailing embedded sign.
      if (!codec::ParseNumber(text, &m.constant_value)) return kLogicError;
      m.desc.source.attribute = 8;
      m.desc.source.digits = m.constant_value.DigitCount();
      m.desc.source.integer_digits = m.constant_value.integer_digits;
      m.desc.source.length = m.constant_value.DigitCount();
      m.desc.source.sign = codec::kSignTrailingEmbedded;
    } else {
      m.desc.source.attribute = to;
      m.desc.source.length = static_cast<int32_t>(text.size());
    }
  }
  m.desc.source.work_area = source_area_.data();
  switch (to) {
    case 1:
    case 2:
    case 4:
    case 12:
    case 14:
    case 15:
    case 16:
    case 17:
      m.kind = Kind::kCharacters;
      break;
    case 3:
      m.kind = Kind::kNational;
      break;
    case 10:
    case 11:
    case 18:
    case 19:
      m.kind = Kind::kFixedCopy;
      break;
    case 13:
      m.kind = Kind::kBits;
      break;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 22:
      m.kind = Kind::kNumeric;
      if (source != nullptr && !IsNumeric(source->attribute)) return kLogicError;
      if (codec::NumericByteLength(m.destination_format) > destination.byte_length) {
        return kLogicError;
      }
      break;
    default:
      m.kind = Kind::kCopy;  // refused when performed
      break;
  }
  moves_.push_back(std::move(m));
  return 0;
}

int CKRMVDoc::Prepare() {
  Release();
  error_item_ = source_error_item_ = 0;
  options_ = codec::CodecOptions{};
  options_.big_endian = doc_->settings.big_endian;
  options_.blank_when_zero = doc_->settings.blank_when_zero;
  try {
    source_area_.assign(static_cast<std::size_t>(std::max(doc_->input.record_length, 1)), ' ');
    destination_area_.assign(static_cast<std::size_t>(std::max(doc_->output.record_length, 1)),
                             ' ');
    if (doc_->settings.method == kMethodSameName) {
      int count = KRACGetEcnt(&doc_->input);
      for (int n = 1; n <= count; ++n) {
        int partner = KRACSameDaChk(&doc_->input, n, &doc_->output);
        if (partner <= 0) continue;
        ItemDescriptor in{}, out{};
        KRACDainfSet(n, &doc_->input, &in);
        KRACDainfSet(partner, &doc_->output, &out);
        error_item_ = partner - 1;
        if (!ValidMove(in.attribute, out.attribute)) return kSameNameInvalid;
        if (EditStringsRequired(in.attribute, out.attribute) &&
            (strncmp(in.edit_string, out.edit_string, sizeof in.edit_string) != 0 ||
             (options_.blank_when_zero && Flag(in.blank_when_zero) != Flag(out.blank_when_zero)))) {
          return kSameNameEditString;
        }
        if (int r = AddMove(&in, nullptr, out); r != 0) return r;
      }
      error_item_ = 0;
      if (moves_.empty()) return kNoSameName;
    } else {
      for (const EditEntry* e = doc_->edit_list; e != nullptr; e = e->next) {
        ItemDescriptor out{}, in{};
        if (KRACDainfSet(e->output_item, &doc_->output, &out) != 0) return kLogicError;
        if (e->kind == 1) {
          if (int r = AddMove(nullptr, e->constant, out); r != 0) return r;
        } else {
          if (KRACDainfSet(e->input_item, &doc_->input, &in) != 0) return kLogicError;
          if (int r = AddMove(&in, nullptr, out); r != 0) return r;
        }
      }
    }
    int count = KRACGetEcnt(&doc_->output);
    for (int n = 1; n <= count; ++n) {
      const ItemDescriptor& item = doc_->output.record_layout->items[n - 1];
      if (item.attribute != 13) continue;
      int32_t begin = std::clamp(item.position, 0, doc_->output.record_length);
      int32_t end = std::clamp(item.position + item.byte_length, begin, doc_->output.record_length);
      bit_ranges_.emplace_back(begin, end - begin);
    }
    std::sort(bit_ranges_.begin(), bit_ranges_.end());
    std::vector<std::pair<int32_t, int32_t>> merged;
    for (auto [p, l] : bit_ranges_) {
      if (!merged.empty() && merged.back().first + merged.back().second >= p) {
        merged.back().second = std::max(merged.back().second, p + l - merged.back().first);
      } else {
        merged.emplace_back(p, l);
      }
    }
    bit_ranges_ = std::move(merged);
  } catch (const std::bad_alloc&) {
    Release();
    return kNoMemory;
  }
  return 0;
}

void CKRMVDoc::Release() {
  moves_.clear();
  descs_.clear();
  bit_ranges_.clear();
  source_area_.clear();
  source_area_.shrink_to_fit();
  destination_area_.clear();
  destination_area_.shrink_to_fit();
}

const std::vector<MoveDesc>& CKRMVDoc::moves() const {
  descs_.clear();
  for (const Move& m : moves_) descs_.push_back(m.desc);
  return descs_;
}

void CKRMVDoc::PrepareRecord(std::span<const std::uint8_t> input,
                             std::span<std::uint8_t> output) const {
  std::memset(output.data(), ' ', output.size());
  if (doc_->settings.copy) {
    std::memcpy(output.data(), input.data(), std::min(input.size(), output.size()));
  }
  for (auto [p, l] : bit_ranges_) {
    if (static_cast<std::size_t>(p) + l <= output.size()) std::memset(output.data() + p, 0, l);
  }
}

int CKRMVDoc::Perform(const Move& m, std::span<const std::uint8_t> input,
                      std::span<std::uint8_t> output, codec::Decimal& value,
                      int* source_item) const {
  const MoveSide& s = m.desc.source;
  const MoveSide& d = m.desc.destination;
  std::span<std::uint8_t> to = output.subspan(d.position, d.length);
  std::span<const std::uint8_t> from =
      m.source_is_constant ? std::span<const std::uint8_t>(
                                 reinterpret_cast<const std::uint8_t*>(m.constant_bytes.data()),
                                 m.constant_bytes.size())
                           : input.subspan(s.position, s.length);
  switch (m.kind) {
    case Kind::kCharacters:
      codec::PlaceCharacters(from, d.justified != 0, to);
      return 0;
    case Kind::kNational:
      codec::PlaceNational(from, d.justified != 0, to);
      return 0;
    case Kind::kFixedCopy: {
      std::size_t n =
          std::min<std::size_t>(d.attribute == 11 ? 8 : 4, std::min(from.size(), to.size()));
      std::memcpy(to.data(), from.data(), n);
      return 0;
    }
    case Kind::kBits: {
      int32_t source_bits = s.digits, destination_bits = d.digits;
      if (s.synchronized && d.synchronized) {
        std::size_t n = std::min(from.size(), to.size());
        std::memcpy(to.data(), from.data(), n);
        if (!to.empty()) {
          int64_t used = destination_bits - 8 * (static_cast<int64_t>(to.size()) - 1);
          if (used >= 0 && used < 8) to.back() &= static_cast<std::uint8_t>(0xff00 >> used);
        }
        return 0;
      }
      int64_t bits = std::min(source_bits, destination_bits);
      bits = std::min<int64_t>(bits, std::min<int64_t>(8 * from.size() - s.bit_position,
                                                       8 * to.size() - d.bit_position));
      for (int64_t i = 0; i < bits; ++i) {
        SetBit(to, d.bit_position + i, GetBit(from, s.bit_position + i));
      }
      return 0;
    }
    case Kind::kNumeric: {
      if (m.source_is_constant) {
        value = m.constant_value;
      } else if (m.source_bwz && AllBlank(from)) {
        value = codec::Decimal{};
        value.integer_digits = m.source_format.integer_digits;
        value.fraction_digits = m.source_format.fraction_digits;
      } else if (codec::DecodeNumber(m.source_format, from, options_, &value) !=
                 codec::Status::kOk) {
        *source_item = s.item_number - 1;
        return kInvalidData;
      }
      if (m.destination_bwz &&
          codec::IsZero(codec::Align(value, m.destination_format.integer_digits,
                                     m.destination_format.fraction_digits))) {
        std::memset(to.data(), ' ', to.size());
        return 0;
      }
      if (codec::EncodeNumber(m.destination_format, value, options_, to) != codec::Status::kOk) {
        return kLogicError;
      }
      return 0;
    }
    case Kind::kCopy:
      return kLogicError;
  }
  return kLogicError;
}

int CKRMVDoc::EditMoves(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                        bool log, int* error_item, int* source_item) const {
  if (input.size() < static_cast<std::size_t>(doc_->input.record_length) ||
      output.size() < static_cast<std::size_t>(doc_->output.record_length)) {
    return kLogicError;
  }
  // One value for all numeric moves of the record: each move sets the
  // value's shape and every digit of it before reading any, and clearing a
  // value for every move cost more than the move itself.
  codec::Decimal value;
  for (const Move& m : moves_) {
    if (log) {
      auto image = MoveDescImage(m.desc);
      KMSOBinaryOut(kLogEdit, image.data(), image.size());
    }
    int result = Perform(m, input, output, value, source_item);
    if (result != 0) {
      *error_item = result == kInvalidData ? *source_item : m.desc.destination.item_number - 1;
      return result;
    }
  }
  return 0;
}

int CKRMVDoc::Edit(std::span<const std::uint8_t> input, std::span<std::uint8_t> output, bool log) {
  return EditMoves(input, output, log, &error_item_, &source_error_item_);
}

int CKRMVDoc::EditRecord(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                         int* error_item) const {
  int source_item = 0;
  return EditMoves(input, output, false, error_item, &source_item);
}

}  // namespace qel::rework
