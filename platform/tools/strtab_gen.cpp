// Build tool: turns a UTF-8 string table source ("number<TAB>text" lines,
// "\n", "\t" and "\\" escapes, "#" comment lines) into a C++ file holding the
// texts as CP932 bytes, registered under a module name before main runs.
//   qel_strtab_gen SOURCE.tsv OUT.cpp MODULE program|module
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

bool ToCp932(const std::string& in, std::string& out) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.assign(in.size() * 2 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  size_t r = ::iconv(cd, &src, &src_left, &dst, &dst_left);
  ::iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return false;
  out.resize(out.size() - dst_left);
  return true;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string CLiteral(const std::string& bytes) {
  std::string out = "\"";
  char buf[8];
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: qel_strtab_gen SOURCE.tsv OUT.cpp MODULE program|module\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot open\n";
    return 1;
  }
  std::map<unsigned long, std::string> table;
  std::string line;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    auto tab = line.find('\t');
    char* end = nullptr;
    unsigned long id = std::strtoul(line.c_str(), &end, 10);
    if (tab == std::string::npos || end != line.c_str() + tab) {
      std::cerr << argv[1] << ":" << line_no << ": expected number<TAB>text\n";
      return 1;
    }
    std::string cp932;
    if (!ToCp932(Unescape(line.substr(tab + 1)), cp932)) {
      std::cerr << argv[1] << ":" << line_no << ": text has no CP932 form\n";
      return 1;
    }
    if (!table.emplace(id, cp932).second) {
      std::cerr << argv[1] << ":" << line_no << ": number " << id << " given twice\n";
      return 1;
    }
  }
  std::ostringstream o;
  o << "// Generated from a string table source; do not edit.\n"
    << "#include \"platform/string_table.h\"\n\nnamespace {\n\n"
    << "const qel::platform::StringTableEntry kEntries[] = {\n";
  for (const auto& [id, text] : table) {
    o << "    {" << id << "u, " << CLiteral(text) << ", " << text.size() << "u},\n";
  }
  if (table.empty()) o << "    {0u, \"\", 0u},\n";
  o << "};\n\n"
    << "const bool kRegistered = [] {\n"
    << "  qel::platform::RegisterStringTable(" << CLiteral(argv[3]) << ", kEntries, "
    << table.size() << "u, " << (std::string(argv[4]) == "program" ? "true" : "false") << ");\n"
    << "  return true;\n}();\n\n}  // namespace\n";
  std::ofstream out(argv[2], std::ios::binary);
  out << o.str();
  return out ? 0 : 1;
}
