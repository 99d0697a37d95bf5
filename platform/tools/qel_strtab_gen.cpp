// Build tool: turns a program's UTF-8 string-table source into a C++ file
// holding the texts as CP932 bytes and registering them at program start.
//
//   qel_strtab_gen SOURCE.tsv OUTPUT.cpp MODULE program|module
//
// Source lines are "number<TAB>text"; in the text "\n" is a line break, "\t"
// a tab and "\\" a backslash. Blank lines and lines starting with '#' are
// skipped. A number given twice, a text CP932 cannot hold, or a malformed
// line fails the build with the line number.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry {
  unsigned long id;
  std::string text;  // CP932
  int line;
};

bool ToCp932(const std::string& utf8, std::string* out) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buffer(utf8.size() * 2 + 8, '\0');
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  char* dst = buffer.data();
  size_t dst_left = buffer.size();
  size_t r = ::iconv(cd, &src, &src_left, &dst, &dst_left);
  ::iconv_close(cd);
  if (r == static_cast<size_t>(-1) || src_left != 0) return false;
  buffer.resize(buffer.size() - dst_left);
  *out = buffer;
  return true;
}

bool Unescape(const std::string& in, std::string* out) {
  out->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      *out += in[i];
      continue;
    }
    if (i + 1 >= in.size()) return false;
    char c = in[++i];
    if (c == 'n') {
      *out += '\n';
    } else if (c == 't') {
      *out += '\t';
    } else if (c == '\\') {
      *out += '\\';
    } else {
      return false;
    }
  }
  return true;
}

// A C++ string literal of arbitrary bytes; octal escapes are always three
// digits, so the next character can never extend them.
std::string Literal(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    }
  }
  return out + "\"";
}

int Fail(const std::string& source, int line, const std::string& why) {
  std::cerr << source << ":" << line << ": " << why << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || (std::string(argv[4]) != "program" && std::string(argv[4]) != "module")) {
    std::cerr << "usage: qel_strtab_gen SOURCE.tsv OUTPUT.cpp MODULE program|module\n";
    return 2;
  }
  const std::string source = argv[1];
  const std::string module = argv[3];
  const bool is_program = std::string(argv[4]) == "program";

  std::ifstream in(source, std::ios::binary);
  if (!in) return Fail(source, 0, "cannot read");
  std::vector<Entry> entries;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0)
      return Fail(source, number, "expected number<TAB>text");
    std::string digits = line.substr(0, tab);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) {
      return Fail(source, number, "bad string number '" + digits + "'");
    }
    std::string text;
    if (!Unescape(line.substr(tab + 1), &text)) return Fail(source, number, "bad escape");
    std::string cp932;
    if (!ToCp932(text, &cp932)) return Fail(source, number, "text has no CP932 form");
    entries.push_back({std::strtoul(digits.c_str(), nullptr, 10), cp932, number});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.id < b.id; });
  for (size_t i = 1; i < entries.size(); ++i) {
    if (entries[i].id == entries[i - 1].id) {
      return Fail(source, entries[i].line, "string number given twice");
    }
  }

  std::ostringstream out;
  out << "// Generated from " << source.substr(source.find_last_of('/') + 1)
      << " by qel_strtab_gen; do not edit.\n"
      << "#include \"platform/string_table.h\"\n\nnamespace {\n\n";
  if (!entries.empty()) {
    out << "const qel::platform::StringTableEntry kEntries[] = {\n";
    for (const Entry& e : entries) {
      out << "    {" << e.id << "u, " << Literal(e.text) << ", " << e.text.size() << "u},\n";
    }
    out << "};\n\n";
  }
  out << "struct Registrar {\n  Registrar() {\n"
      << "    qel::platform::RegisterStringTable(" << Literal(module) << ", "
      << (entries.empty() ? "nullptr" : "kEntries") << ", " << entries.size() << "u, "
      << (is_program ? "true" : "false") << ");\n  }\n} registrar;\n\n}  // namespace\n";

  // Written through a temporary name so that a failed run leaves no half file
  // that the build would take as up to date.
  const std::string output = argv[2];
  const std::string temporary = output + ".tmp";
  {
    std::ofstream o(temporary, std::ios::binary | std::ios::trunc);
    o << out.str();
    if (!o) return Fail(output, 0, "cannot write");
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) return Fail(output, 0, "cannot write");
  return 0;
}
