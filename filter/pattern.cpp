// The match decodes the key into characters once and runs a glob match with
// one back-up point over them; the trailing any-one run becomes a bound on
// how many key characters may be left over at the end.
#include "filter/pattern.h"

#include <algorithm>
#include <array>

#include "filter/sjis.h"

namespace qel::filter {
namespace {

constexpr std::uint8_t kBlank = 0x20;
constexpr std::uint8_t kWideBlank[2] = {0x81, 0x40};

enum Token : std::uint8_t { kOrdinary, kAnyString, kAnyOne };

// A pattern split at its last ordinary character: the core up to it, and the
// tail of metacharacters after it. A tail with the any-string metacharacter
// lets the core be followed by anything; otherwise its any-one
// metacharacters stand for up to optional_tail characters.
struct Compiled {
  // Only the first count entries are set.
  std::array<Token, kMaxPatternBytes> type;
  std::array<std::uint16_t, kMaxPatternBytes> code;
  int count = 0;
  bool open_end = false;
  int optional_tail = 0;
};

// The key's characters, decoded once per match; one array per thread, so
// that threads selecting records at once do not share it.
std::array<std::uint16_t, kMaxCharacterBytes>& KeyCharacters() {
  thread_local std::array<std::uint16_t, kMaxCharacterBytes> characters;
  return characters;
}

// Reads the character at i of bytes: its code and its size in bytes.
inline std::uint16_t CharacterAt(std::span<const std::uint8_t> b, std::size_t i, bool national,
                                 std::size_t* size) {
  bool wide = i + 1 < b.size() && (national || IsLeadByte(b[i]));
  *size = wide ? 2 : 1;
  return wide ? static_cast<std::uint16_t>(b[i] << 8 | b[i + 1]) : b[i];
}

inline bool WideBlankAt(std::span<const std::uint8_t> b, std::size_t n) {
  return n >= 2 && b[n - 2] == kWideBlank[0] && b[n - 1] == kWideBlank[1];
}

std::size_t TrimmedLength(std::span<const std::uint8_t> b, bool national) {
  std::size_t n = b.size();
  for (;;) {
    if (n > 0 && b[n - 1] == kBlank) {
      --n;
    } else if (national && WideBlankAt(b, n)) {
      n -= 2;
    } else {
      return n;
    }
  }
}

std::uint16_t MetaCode(std::uint8_t c, bool national) {
  if (c == kUnsetMetacharacter) return 0;
  return national ? DoubleByteForm(c) : c;
}

void Compile(std::span<const std::uint8_t> p, bool national, Metacharacters meta, Compiled* out) {
  std::uint16_t any_string = MetaCode(meta.any_string, national);
  std::uint16_t any_one = MetaCode(meta.any_one, national);
  int last_ordinary = -1;
  int count = 0;
  for (std::size_t i = 0, size = 0; i < p.size(); i += size) {
    std::uint16_t c = CharacterAt(p, i, national, &size);
    out->code[count] = c;
    if (c != 0 && c == any_string) {
      out->type[count] = kAnyString;
    } else if (c != 0 && c == any_one) {
      out->type[count] = kAnyOne;
    } else {
      out->type[count] = kOrdinary;
      last_ordinary = count;
    }
    ++count;
  }
  out->count = count;
  // The trailing rule needs an ordinary character to follow.
  if (last_ordinary < 0) return;
  out->count = last_ordinary + 1;
  for (int k = last_ordinary + 1; k < count; ++k) {
    if (out->type[k] == kAnyString) out->open_end = true;
    if (out->type[k] == kAnyOne) ++out->optional_tail;
  }
}

// Glob matching with one back-up point, the last any-string metacharacter
// passed: taking each piece at its leftmost place leaves the most room for
// the rest, and the last piece is tried at every place after it, so the end
// condition of the tail is met wherever it can be.
bool MatchCharacters(const std::uint16_t* key, int n, const Compiled& c) {
  int i = 0;
  int j = 0;
  int star = -1;
  int star_key = 0;
  for (;;) {
    if (j == c.count) {
      if (c.open_end || n - i <= c.optional_tail) return true;
    } else if (c.type[j] == kAnyString) {
      star = j++;
      star_key = i;
      continue;
    } else if (i < n && (c.type[j] == kAnyOne || c.code[j] == key[i])) {
      ++i;
      ++j;
      continue;
    }
    if (star < 0 || star_key >= n) return false;
    j = star + 1;
    i = ++star_key;
  }
}

}  // namespace

bool MatchPattern(std::span<const std::uint8_t> key, std::string_view pattern, bool national,
                  Metacharacters meta) {
  std::span<const std::uint8_t> p(
      reinterpret_cast<const std::uint8_t*>(pattern.data()),
      pattern.size() < kMaxPatternBytes ? pattern.size() : kMaxPatternBytes);
  p = p.first(TrimmedLength(p, national));
  Compiled c;
  Compile(p, national, meta, &c);

  std::uint16_t* characters = KeyCharacters().data();
  int n = 0;
  std::size_t key_length = TrimmedLength(
      key.first(std::min(key.size(), static_cast<std::size_t>(kMaxCharacterBytes))), national);
  if (key_length == 0) {
    // An all-blank key stands for blanks as long as the pattern.
    std::size_t i = 0;
    if (national) {
      for (; i + 2 <= p.size(); i += 2) characters[n++] = kWideBlank[0] << 8 | kWideBlank[1];
    }
    for (; i < p.size(); ++i) characters[n++] = kBlank;
  } else {
    for (std::size_t i = 0, size = 0; i < key_length; i += size) {
      characters[n++] = CharacterAt(key, i, national, &size);
    }
  }
  return MatchCharacters(characters, n, c);
}

}  // namespace qel::filter
