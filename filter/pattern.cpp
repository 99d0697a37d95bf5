// The match runs the pattern as a small automaton over the key's characters,
// one bit per pattern position: leftmost-first piece searches and this give
// the same answers, and the automaton needs no backtracking and no storage
// beyond two machine words.
#include "filter/pattern.h"

#include <array>

#include "filter/sjis.h"

namespace qel::filter {
namespace {

constexpr std::uint8_t kBlank = 0x20;
constexpr std::uint8_t kWideBlank[2] = {0x81, 0x40};

enum Token : std::uint8_t { kOrdinary, kAnyString, kAnyOne, kOptionalOne };

struct Compiled {
  std::array<Token, kMaxPatternBytes> type{};
  std::array<std::uint16_t, kMaxPatternBytes> code{};
  int count = 0;
  std::uint64_t any_string = 0;  // positions that loop on any character
  std::uint64_t any_char = 0;    // positions that consume any one character
  std::uint64_t skippable = 0;   // positions passed without a character
};

// Reads the character at i of bytes: its code and its size in bytes.
std::uint16_t CharacterAt(std::span<const std::uint8_t> b, std::size_t i, bool national,
                          std::size_t* size) {
  bool wide = i + 1 < b.size() && (national || IsLeadByte(b[i]));
  *size = wide ? 2 : 1;
  return wide ? static_cast<std::uint16_t>(b[i] << 8 | b[i + 1]) : b[i];
}

std::size_t TrimmedLength(std::span<const std::uint8_t> b, bool national) {
  std::size_t n = b.size();
  if (national) {
    while (n >= 2 && b[n - 2] == kWideBlank[0] && b[n - 1] == kWideBlank[1]) n -= 2;
  }
  while (n > 0 && b[n - 1] == kBlank) {
    --n;
    if (national) {
      while (n >= 2 && b[n - 2] == kWideBlank[0] && b[n - 1] == kWideBlank[1]) n -= 2;
    }
  }
  return n;
}

std::uint16_t MetaCode(std::uint8_t c, bool national) {
  if (c == kUnsetMetacharacter) return 0;
  return national ? DoubleByteForm(c) : c;
}

void Compile(std::span<const std::uint8_t> p, bool national, Metacharacters meta, Compiled* out) {
  std::uint16_t any_string = MetaCode(meta.any_string, national);
  std::uint16_t any_one = MetaCode(meta.any_one, national);
  int last_ordinary = -1;
  for (std::size_t i = 0, size = 0; i < p.size(); i += size) {
    std::uint16_t c = CharacterAt(p, i, national, &size);
    int k = out->count++;
    out->code[k] = c;
    if (c != 0 && c == any_string) {
      out->type[k] = kAnyString;
    } else if (c != 0 && c == any_one) {
      out->type[k] = kAnyOne;
    } else {
      out->type[k] = kOrdinary;
      last_ordinary = k;
    }
  }
  for (int k = 0; k < out->count; ++k) {
    std::uint64_t bit = std::uint64_t{1} << k;
    if (out->type[k] == kAnyOne && last_ordinary >= 0 && k > last_ordinary) {
      out->type[k] = kOptionalOne;
    }
    switch (out->type[k]) {
      case kAnyString:
        out->any_string |= bit;
        out->skippable |= bit;
        break;
      case kOptionalOne:
        out->skippable |= bit;
        out->any_char |= bit;
        break;
      case kAnyOne:
        out->any_char |= bit;
        break;
      case kOrdinary:
        break;
    }
  }
}

// Adds the positions reached from the set without consuming a character;
// such moves only go forwards, so one pass in order suffices.
std::uint64_t Close(std::uint64_t set, const Compiled& c) {
  for (int k = 0; k < c.count; ++k) {
    std::uint64_t bit = std::uint64_t{1} << k;
    if ((set & bit) != 0 && (c.skippable & bit) != 0) set |= bit << 1;
  }
  return set;
}

std::uint64_t Step(std::uint64_t set, std::uint16_t ch, const Compiled& c) {
  std::uint64_t advance = set & c.any_char;
  for (int k = 0; k < c.count; ++k) {
    if (c.type[k] == kOrdinary && c.code[k] == ch) advance |= set & (std::uint64_t{1} << k);
  }
  return Close((advance << 1) | (set & c.any_string), c);
}

}  // namespace

bool MatchPattern(std::span<const std::uint8_t> key, std::string_view pattern, bool national,
                  Metacharacters meta) {
  std::span<const std::uint8_t> p(reinterpret_cast<const std::uint8_t*>(pattern.data()),
                                  pattern.size() < kMaxPatternBytes ? pattern.size() : kMaxPatternBytes);
  p = p.first(TrimmedLength(p, national));
  Compiled c;
  Compile(p, national, meta, &c);
  const std::uint64_t accept = std::uint64_t{1} << c.count;

  std::size_t key_length = TrimmedLength(key, national);
  std::uint64_t set = Close(1, c);
  if (key_length == 0) {
    // An all-blank key stands for blanks as long as the pattern.
    std::size_t i = 0;
    if (national) {
      for (; i + 2 <= p.size() && set != 0; i += 2) {
        set = Step(set, static_cast<std::uint16_t>(kWideBlank[0] << 8 | kWideBlank[1]), c);
      }
    }
    for (; i < p.size() && set != 0; ++i) set = Step(set, kBlank, c);
    return (set & accept) != 0;
  }
  key = key.first(key_length);
  for (std::size_t i = 0, size = 0; i < key.size() && set != 0; i += size) {
    set = Step(set, CharacterAt(key, i, national, &size), c);
  }
  return (set & accept) != 0;
}

}  // namespace qel::filter
