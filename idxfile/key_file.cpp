#include "idxfile/key_file.h"

#include <charconv>

#include "idxfile/idxfile.h"

namespace qel::idxfile {

namespace {

std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

bool parse_int(std::string_view text, int* out) {
  if (text.empty() || text.size() > 6) return false;
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return false;
  *out = value;
  return true;
}

bool parse_part(std::string_view text, KeyPart* part) {
  size_t c1 = text.find(':');
  if (c1 == std::string_view::npos) return false;
  size_t c2 = text.find(':', c1 + 1);
  if (c2 == std::string_view::npos) return false;
  if (!parse_int(text.substr(0, c1), &part->start)) return false;
  if (!parse_int(text.substr(c1 + 1, c2 - c1 - 1), &part->length)) return false;
  std::string_view type = text.substr(c2 + 1);
  int desc = 0;
  if (!type.empty() && type.back() == '-') {
    desc = ISDESC;
    type.remove_suffix(1);
  }
  if (type == "CHAR") {
    part->type = CHARTYPE;
  } else if (type == "INT") {
    part->type = INTTYPE;
  } else if (type == "LONG") {
    part->type = LONGTYPE;
  } else {
    return false;
  }
  part->type |= desc;
  return true;
}

}  // namespace

int KeySpec::length() const {
  int n = 0;
  for (const KeyPart& p : parts) n += p.length;
  return n;
}

bool key_fits(const KeySpec& key, int record_size, std::string* error) {
  if (key.parts.empty() || key.parts.size() > NPARTS) {
    *error = "a key has 1 to 8 parts";
    return false;
  }
  for (const KeyPart& p : key.parts) {
    int type = p.type & ~ISDESC;
    if (p.length <= 0 || p.start < 0 || p.start + p.length > record_size) {
      *error = "a key part lies outside the record";
      return false;
    }
    if ((type == INTTYPE && p.length != 2) || (type == LONGTYPE && p.length != 4) ||
        type > LONGTYPE || type < 0) {
      *error = "an INT part is 2 bytes and a LONG part 4 bytes";
      return false;
    }
  }
  if (key.length() > MAXKEYSIZE) {
    *error = "a key is at most 255 bytes";
    return false;
  }
  return true;
}

std::optional<FileSpec> parse_key_file(std::string_view text, std::string* error) {
  FileSpec spec;
  bool have_size = false;
  int line_no = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    auto fail = [&](const std::string& what) {
      *error = "line " + std::to_string(line_no) + ": " + what;
      return std::nullopt;
    };
    std::vector<std::string_view> words = split_words(line);
    if (words.empty() || words[0][0] == '#') continue;
    if (words[0] == "RECSIZE") {
      if (have_size) return fail("RECSIZE given twice");
      if (words.size() != 2 || !parse_int(words[1], &spec.record_size) || spec.record_size < 1 ||
          spec.record_size > kMaxRecordSize)
        return fail("RECSIZE needs a record size from 1 to 32767");
      have_size = true;
    } else if (words[0] == "KEY") {
      if (!have_size) return fail("RECSIZE must come before the keys");
      if (words.size() < 2 || words.size() > 3) return fail("KEY needs its parts");
      KeySpec key;
      if (words.size() == 3) {
        if (words[2] != "DUPS") return fail("only DUPS may follow the parts");
        key.dups = true;
      }
      std::string_view parts = words[1];
      size_t p = 0;
      while (p <= parts.size()) {
        size_t comma = parts.find(',', p);
        if (comma == std::string_view::npos) comma = parts.size();
        KeyPart part;
        if (!parse_part(parts.substr(p, comma - p), &part))
          return fail("a key part is start:length:CHAR, INT or LONG");
        if (key.parts.size() == NPARTS) return fail("a key has 1 to 8 parts");
        key.parts.push_back(part);
        p = comma + 1;
      }
      std::string why;
      if (!key_fits(key, spec.record_size, &why)) return fail(why);
      if (spec.keys.size() == kMaxKeys) return fail("too many keys");
      spec.keys.push_back(key);
    } else {
      return fail("unknown word " + std::string(words[0].substr(0, 32)));
    }
  }
  if (!have_size) {
    *error = "RECSIZE is missing";
    return std::nullopt;
  }
  if (spec.keys.empty()) {
    *error = "no KEY line";
    return std::nullopt;
  }
  return spec;
}

std::string format_key(const KeySpec& key) {
  std::string out;
  for (const KeyPart& p : key.parts) {
    if (!out.empty()) out += ',';
    out += std::to_string(p.start) + ':' + std::to_string(p.length) + ':';
    int type = p.type & ~ISDESC;
    out += type == INTTYPE ? "INT" : type == LONGTYPE ? "LONG" : "CHAR";
    if (p.type & ISDESC) out += '-';
  }
  if (key.dups) out += " DUPS";
  return out;
}

std::string format_key_file(const FileSpec& spec) {
  std::string out = "RECSIZE " + std::to_string(spec.record_size) + "\n";
  for (const KeySpec& key : spec.keys) out += "KEY " + format_key(key) + "\n";
  return out;
}

}  // namespace qel::idxfile
