// CP932 <-> UTF-8 of CSV fields through iconv, without replacement
// characters, and the character-boundary cut of CP932 text.
#include "xform/csv_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qel::xform {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

void CloseDescriptor(void*& cd) {
  if (cd != nullptr) ::iconv_close(static_cast<iconv_t>(cd));
  cd = nullptr;
}

}  // namespace

// Most items of a record (codes, numbers kept as text, ASCII names) have no
// byte above 0x7F; they are the same in both codes, and an iconv call costs
// more than the copy.
bool IsAsciiText(std::string_view text) {
  const char* p = text.data();
  std::size_t n = text.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if ((word & 0x8080808080808080ULL) != 0) return false;
  }
  for (; n > 0; ++p, --n) {
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  }
  return true;
}

CsvTextConverter::~CsvTextConverter() { Close(); }

bool CsvTextConverter::Open() {
  Close();
  iconv_t to_utf8 = ::iconv_open("UTF-8", "CP932");
  if (to_utf8 == kNoConverter) return false;
  iconv_t to_cp932 = ::iconv_open("CP932", "UTF-8");
  if (to_cp932 == kNoConverter) {
    ::iconv_close(to_utf8);
    return false;
  }
  to_utf8_ = to_utf8;
  to_cp932_ = to_cp932;
  return true;
}

void CsvTextConverter::Close() {
  CloseDescriptor(to_utf8_);
  CloseDescriptor(to_cp932_);
}

bool CsvTextConverter::IsOpen() const { return to_utf8_ != nullptr; }

bool CsvTextConverter::Run(void* cd, std::string_view in, char* out, std::size_t out_size,
                           std::size_t* length) {
  if (IsAsciiText(in)) {
    if (in.size() > out_size) return false;
    std::memcpy(out, in.data(), in.size());
    *length = in.size();
    return true;
  }
  if (cd == nullptr) return false;
  auto* descriptor = static_cast<iconv_t>(cd);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = out;
  std::size_t dst_left = out_size;
  // Neither code has shift states, but a failed call may leave a partial
  // character behind: every field starts from the initial state.
  if (::iconv(descriptor, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) {
    ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    return false;
  }
  // An incomplete sequence at the end fails above (EINVAL); this is a
  // converter that stopped short for any other reason.
  if (src_left != 0) return false;
  *length = out_size - dst_left;
  return true;
}

namespace {

// The full-width space that pads national items, in both codes. Most
// national items end in a run of it; the run is written here, and only the
// text before it goes through iconv (an item of nothing but padding needs
// no call at all).
constexpr char kCp932Space[] = "\x81\x40";
constexpr char kUtf8Space[] = "\xE3\x80\x80";

// Where the run of full-width spaces that ends the CP932 text `text`
// begins (text.size() when there is none). The run is found from the end;
// whether its first 0x81 starts a character or ends the one before it
// (0x81 is also a second byte) only a walk over the text before it tells.
std::size_t Cp932PaddingStart(std::string_view text) {
  const auto* b = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t start = text.size();
  while (start >= 2 && b[start - 2] == 0x81 && b[start - 1] == 0x40) start -= 2;
  if (start == text.size()) return start;
  std::size_t at = 0;
  while (at < start) at += IsCp932LeadByte(b[at]) ? 2 : 1;
  // at == start + 1: the first 0x81 was the second byte of a character and
  // its 0x40 an "@"; the spaces begin after them.
  return at == start ? start : std::min(start + 2, text.size());
}

// Where the run of U+3000 that ends the UTF-8 text `text` begins. From the
// end is safe: E3 is never a continuation byte.
std::size_t Utf8PaddingStart(std::string_view text) {
  const auto* b = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t at = text.size();
  while (at >= 3 && b[at - 3] == 0xE3 && b[at - 2] == 0x80 && b[at - 1] == 0x80) at -= 3;
  return at;
}

// Appends `count` full-width spaces of `N` bytes at out + *length; false
// when they do not fit into out_size.
template <std::size_t N>
bool AppendSpaces(const char (&space)[N + 1], std::size_t count, char* out, std::size_t out_size,
                  std::size_t* length) {
  if (count * N > out_size - *length) return false;
  char* p = out + *length;
  for (std::size_t k = 0; k < count; ++k, p += N) std::memcpy(p, space, N);
  *length += count * N;
  return true;
}

// CP932 to UTF-8 by table: what iconv makes of each character, asked once
// per process one character at a time (the code has no shift states, so a
// text converts as its characters do). Entries: the UTF-8 bytes in the low
// three bytes, their count in the top one; 0 where iconv refuses.
struct Utf8Table {
  bool ready = false;
  std::array<std::uint32_t, 256> single{};
  std::vector<std::uint32_t> pair;  // lead byte * 256 + second byte
};

// 0 when iconv refuses `bytes` or leaves part of it; -1 when it wants more.
std::int64_t OneCharacter(iconv_t cd, const char* bytes, std::size_t size) {
  char in[2] = {bytes[0], size > 1 ? bytes[1] : '\0'};
  char out[8];
  char* src = in;
  char* dst = out;
  std::size_t src_left = size, dst_left = sizeof out;
  std::size_t r = ::iconv(cd, &src, &src_left, &dst, &dst_left);
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (r == static_cast<std::size_t>(-1)) return errno == EINVAL ? -1 : 0;
  const std::size_t n = sizeof out - dst_left;
  if (src_left != 0 || n == 0 || n > 3) return 0;
  std::uint32_t entry = static_cast<std::uint32_t>(n) << 24;
  for (std::size_t k = 0; k < n; ++k) entry |= static_cast<std::uint32_t>(static_cast<unsigned char>(out[k])) << (8 * k);
  return entry;
}

Utf8Table MakeUtf8Table() {
  Utf8Table t;
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (cd == kNoConverter) return t;
  t.pair.assign(65536, 0);
  for (int c = 0; c < 256; ++c) {
    const char lead = static_cast<char>(c);
    std::int64_t one = OneCharacter(cd, &lead, 1);
    if (one > 0) t.single[static_cast<std::size_t>(c)] = static_cast<std::uint32_t>(one);
    if (one != -1) continue;
    for (int second = 0; second < 256; ++second) {
      const char both[2] = {lead, static_cast<char>(second)};
      std::int64_t two = OneCharacter(cd, both, 2);
      if (two > 0) t.pair[static_cast<std::size_t>(c * 256 + second)] = static_cast<std::uint32_t>(two);
    }
  }
  ::iconv_close(cd);
  t.ready = true;
  return t;
}

const Utf8Table& TableToUtf8() {
  static const Utf8Table table = MakeUtf8Table();
  return table;
}

// CP932 `in` to UTF-8 by the table; false where iconv would fail.
// REQUIRES: out_size >= 3 * in.size().
bool ConvertByTable(const Utf8Table& t, std::string_view in, char* out, std::size_t* length) {
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  const std::size_t n = in.size();
  std::size_t i = 0, o = 0;
  while (i < n) {
    // Runs of ASCII eight bytes at a time.
    if (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        std::memcpy(out + o, &word, 8);
        i += 8;
        o += 8;
        continue;
      }
    }
    std::uint32_t entry;
    if (p[i] < 0x80) {
      out[o++] = static_cast<char>(p[i++]);
      continue;
    }
    entry = t.single[p[i]];
    if (entry != 0) {
      ++i;
    } else {
      if (i + 1 >= n) return false;
      entry = t.pair[static_cast<std::size_t>(p[i]) * 256 + p[i + 1]];
      if (entry == 0) return false;
      i += 2;
    }
    const std::uint32_t bytes = entry & 0xFFFFFF;
    std::memcpy(out + o, &bytes, 3);  // little-endian: the bytes in order
    o += entry >> 24;
  }
  *length = o;
  return true;
}

}  // namespace

bool CsvTextConverter::ToUtf8(std::string_view in, char* out, std::size_t out_size,
                              std::size_t* length) {
  if (const Utf8Table& table = TableToUtf8();
      table.ready && std::endian::native == std::endian::little && out_size >= 3 * in.size() + 3) {
    return ConvertByTable(table, in, out, length);
  }
  const std::size_t text = IsAsciiText(in) ? in.size() : Cp932PaddingStart(in);
  if (!Run(to_utf8_, in.substr(0, text), out, out_size, length)) return false;
  return AppendSpaces<3>(kUtf8Space, (in.size() - text) / 2, out, out_size, length);
}

bool CsvTextConverter::ToCp932(std::string_view in, char* out, std::size_t out_size,
                               std::size_t* length) {
  const std::size_t text = Utf8PaddingStart(in);
  if (!Run(to_cp932_, in.substr(0, text), out, out_size, length)) return false;
  return AppendSpaces<2>(kCp932Space, (in.size() - text) / 3, out, out_size, length);
}

std::size_t Cp932HeadFitting(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t at = 0;
  while (at < limit) {
    std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    if (at + width > limit) break;
    at += width;
  }
  return at;
}

std::size_t Cp932TailStart(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return 0;
  const std::size_t cut = text.size() - limit;
  std::size_t at = 0;
  while (at < cut) {
    at += IsCp932LeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
  }
  return std::min(at, text.size());
}

}  // namespace qel::xform
