// Test support for qeldef: scratch directories, programs run through the
// shell, and the GnuCOBOL program that measures a copybook's entries.
#include "recacc/qeldef/tests/qeldef_runner.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qel::copybook::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string tmpl = (fs::temp_directory_path() / "qeldef-test-XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  path_ = made != nullptr ? made : "";
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string ScratchDir::Write(const std::string& name, const std::string& bytes) const {
  std::string p = File(name);
  std::ofstream(p, std::ios::binary) << bytes;
  return p;
}

bool ScratchDir::Exists(const std::string& name) const { return fs::exists(File(name)); }

std::vector<std::string> ScratchDir::Files() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

RunResult RunIn(const std::string& dir, const std::string& command) {
  std::string err_path = dir + "/.stderr";
  std::string cmd = "cd " + Quote(dir) + " && LC_ALL=C.UTF-8 LANG=C.UTF-8 TEMP=" + Quote(dir) +
                    " " + command + " 2>" + Quote(err_path);
  RunResult r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = ::pclose(p);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = ReadAll(err_path);
  std::error_code ec;
  fs::remove(err_path, ec);
  return r;
}

RunResult Qeldef(const std::string& dir, const std::string& args) {
  return RunIn(dir, Quote(QEL_TEST_QELDEF) + " " + args);
}

std::vector<LayoutEntry> ParseLayout(const std::string& listing) {
  std::vector<LayoutEntry> entries;
  std::istringstream in(listing);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t')) f.push_back(field);
    if (f.size() < 9 || f[0].empty() || f[0][0] < '0' || f[0][0] > '9') continue;
    LayoutEntry e;
    e.number = std::stoi(f[0]);
    e.level = std::stoi(f[1]);
    e.name = f[2];
    e.attribute = std::stoi(f[3]);
    e.bytes = std::stoi(f[4]);
    e.digits = std::stoi(f[5]);
    e.fraction = std::stoi(f[6]);
    e.occurrence = std::stoi(f[7]);
    e.position = std::stoi(f[8]);
    entries.push_back(e);
  }
  return entries;
}

namespace {

// Lines of program text in columns 8-72, words wrapped, so that the program
// reads the same in fixed and in free format.
class Program {
 public:
  void Line(const std::string& text) { text_ += "       " + text + "\n"; }
  void Words(const std::vector<std::string>& words) {
    std::string line = "           ";
    for (const std::string& w : words) {
      if (line.size() + 1 + w.size() > 72 && line.size() > 11) {
        text_ += line + "\n";
        line = "               ";
      }
      if (line.back() != ' ') line += ' ';
      line += w;
    }
    text_ += line + "\n";
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The words of a reference to entry `k`: its name qualified by every
// enclosing entry, then the occurrence numbers of itself and its enclosing
// tables, outermost first.
std::vector<std::string> Reference(const std::vector<LayoutEntry>& layout, std::size_t k) {
  std::vector<std::size_t> chain = {k};
  int level = layout[k].level;
  for (std::size_t i = k; i-- > 0;) {
    if (layout[i].level < level) {
      chain.push_back(i);
      level = layout[i].level;
    }
  }
  std::vector<std::string> words = {layout[k].name};
  for (std::size_t c = 1; c < chain.size(); ++c) {
    words.push_back("OF");
    words.push_back(layout[chain[c]].name);
  }
  std::string subscripts;
  for (std::size_t c = chain.size(); c-- > 0;) {
    if (layout[chain[c]].occurrence > 0)
      subscripts += (subscripts.empty() ? "" : " ") + std::to_string(layout[chain[c]].occurrence);
  }
  if (!subscripts.empty()) words.push_back("(" + subscripts + ")");
  return words;
}

}  // namespace

std::vector<std::pair<int, int>> CobolPositions(const ScratchDir& dir, const std::string& copybook,
                                                const std::vector<LayoutEntry>& layout,
                                                const std::string& wrapper, bool free_format,
                                                std::string* log) {
  std::vector<std::pair<int, int>> positions;
  if (layout.empty()) {
    *log = "empty layout";
    return positions;
  }
  dir.Write("MEASURED.cpy", ReadAll(copybook));
  Program p;
  p.Line("IDENTIFICATION DIVISION.");
  p.Line("PROGRAM-ID. MEASURE.");
  p.Line("DATA DIVISION.");
  p.Line("WORKING-STORAGE SECTION.");
  p.Line("01  QP-RECORD USAGE POINTER.");
  p.Line("01  QN-RECORD REDEFINES QP-RECORD PIC 9(18) COMP-5.");
  p.Line("01  QP-ITEM USAGE POINTER.");
  p.Line("01  QN-ITEM REDEFINES QP-ITEM PIC 9(18) COMP-5.");
  p.Line("01  Q-OFFSET PIC 9(9).");
  p.Line("01  Q-LENGTH PIC 9(9).");
  if (!wrapper.empty()) p.Line("01  " + wrapper + ".");
  p.Line("COPY \"MEASURED.cpy\".");
  p.Line("PROCEDURE DIVISION.");
  p.Words({"SET", "QP-RECORD", "TO", "ADDRESS", "OF", layout[0].name});
  for (std::size_t k = 0; k < layout.size(); ++k) {
    std::vector<std::string> ref = Reference(layout, k);
    std::vector<std::string> set = {"SET", "QP-ITEM", "TO", "ADDRESS", "OF"};
    set.insert(set.end(), ref.begin(), ref.end());
    p.Words(set);
    p.Words({"COMPUTE", "Q-OFFSET", "=", "QN-ITEM", "-", "QN-RECORD"});
    std::vector<std::string> len = {"MOVE", "FUNCTION", "BYTE-LENGTH", "("};
    len.insert(len.end(), ref.begin(), ref.end());
    len.insert(len.end(), {")", "TO", "Q-LENGTH"});
    p.Words(len);
    p.Words({"DISPLAY", "Q-OFFSET", "\" \"", "Q-LENGTH"});
  }
  p.Line("    STOP RUN.");
  dir.Write("MEASURE.cob", p.text());
  std::string flags = std::string("-x -fbinary-size=2-4-8 -w") + (free_format ? " -free" : "");
  RunResult compiled = RunIn(dir.path(), "cobc " + flags + " -o measure MEASURE.cob");
  if (compiled.exit_code != 0) {
    *log = compiled.out + compiled.err + "\n" + p.text();
    return positions;
  }
  RunResult ran = RunIn(dir.path(), "./measure");
  std::istringstream in(ran.out);
  int offset, length;
  while (in >> offset >> length) positions.emplace_back(offset, length);
  if (ran.exit_code != 0 || positions.size() != layout.size()) {
    *log = ran.out + ran.err;
    positions.clear();
  }
  return positions;
}

}  // namespace qel::copybook::test
