// Speed benchmark of the converters and of the rework run, in one run:
// 1,000,000 records of 200 bytes with 20 items of mixed kinds through
// /f sc, /f cs, /f st, /f ts and the UTF-8 pair (/f sc /c u, /f cs /c u),
// and a million records through qelreworkbatch with two conditions and ten
// moves (the procedure of rework_bench.sh). Each is timed on one thread
// (QEL_THREADS=1) and on every core (QEL_THREADS unset), and once on seven
// threads, beside cat of the same input and, for sc, cs and the rework run,
// a GnuCOBOL program doing the same work. Each is run again on a sixteenth
// of its input at every thread count, so that the peak resident memory of
// the whole file can be set against it. The figures of the programs before
// the multi-core change are printed beside the live ones: the saved ones
// below, and when QEL_BENCH_BEFORE names a folder holding older
// qelxformbatch and qelreworkbatch programs, those measured in the same run.
//   xform_bench [records]   (default 1000000)
// Environment: QEL_BENCH_BEFORE (see above), QEL_BENCH_REPEATS (runs per
// timed figure, best taken; default 2), QEL_BENCH_KEEP (keep the files).
// Never part of the tests; it prints figures and ratios, and a program that
// fails is shown as FAILED; the exit code is 0 unless no work folder could
// be made.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The programs before the multi-core change (the main branch as it stood
// on 2026-12-09, single-thread converters), measured with this benchmark's
// files on its machine (2 cores, idle, best of 3, the better of two such
// series) on 1,000,000 records: wall seconds, CPU seconds (user + system),
// peak resident MiB. The CPU time per item is the CPU time over records x
// items (35 ns for sc and 46 ns for cs). Another quiet measurement on the
// same machine that day gave 0.75 s for sc and 1.21 s for cs: the figures
// move by up to a third from run to run there, which is why the ratio
// against them is only a guide and the older programs measured in the same
// run (QEL_BENCH_BEFORE) are the better comparison.
struct Saved {
  const char* label;
  double seconds;
  double cpu;
  double peak_mib;
};
constexpr const char* kSavedDate = "2026-12-09";
constexpr Saved kSaved[] = {
    {"/f sc", 0.70, 0.70, 3.7},          {"/f cs", 0.91, 0.91, 3.8},
    {"/f sc /c u", 0.88, 0.87, 3.8},     {"/f cs /c u", 1.13, 1.13, 3.9},
    {"/f st", 0.10, 0.10, 3.5},          {"/f ts", 0.13, 0.13, 3.5},
    {"qelreworkbatch", 0.34, 0.33, 3.6},
};
constexpr double kSavedRecords = 1000000.0;

struct Result {
  double seconds = 0;  // wall clock
  double cpu = 0;      // user + system
  long max_rss_kib = 0;
  int status = -1;   // exit code; -1 when killed by a signal or not run
  std::string note;  // on a failure, the last line the program printed
  bool ok() const { return status == 0; }
  double peak_mib() const { return static_cast<double>(max_rss_kib) / 1024.0; }
};

std::string g_work;
int g_repeats = 2;

// Seconds after which a run is ended and counted as failed.
constexpr unsigned kTimeLimit = 300;

// QEL_THREADS unset: the programs use every core.
constexpr int kAllCores = 0;

std::string LastLine(const std::string& name) {
  std::ifstream in(g_work + "/" + name, std::ios::binary);
  std::string line, last;
  while (std::getline(in, line)) {
    if (!line.empty()) last = line;
  }
  return last.substr(0, 160);
}

// Runs argv in the work folder with QEL_THREADS set to `threads` (unset
// for kAllCores). `writes` (in the work folder) is removed and the dirty
// pages of earlier runs go to disk before the clock starts, so that one run
// does not pay for another's write-back on a shared machine. Standard
// output goes to `writes` when to_stdout, else to RUN.OUT; standard error
// to RUN.ERR, so that no progress line of a terminal is drawn or paid for.
Result Run(const std::vector<std::string>& argv, int threads, const std::string& writes = "",
           bool to_stdout = false) {
  std::error_code error;
  if (!writes.empty()) std::filesystem::remove(g_work + "/" + writes, error);
  sync();
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(g_work.c_str()) != 0) _exit(126);
    int out = open(to_stdout ? writes.c_str() : "RUN.OUT", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("RUN.ERR", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(126);
    dup2(out, 1);
    dup2(err, 2);
    if (threads == kAllCores) {
      unsetenv("QEL_THREADS");
    } else {
      setenv("QEL_THREADS", std::to_string(threads).c_str(), 1);
    }
    alarm(kTimeLimit);  // survives exec: a program that hangs is ended as failed
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  Result r;
  if (pid < 0) return r;
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.max_rss_kib = usage.ru_maxrss;
  r.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!r.ok()) {
    r.note = to_stdout ? "" : LastLine("RUN.OUT");
    if (r.note.empty()) r.note = LastLine("RUN.ERR");
    if (r.status == 127) r.note = "cannot start " + argv[0];
    if (WIFSIGNALED(status)) r.note = "ended by signal " + std::to_string(WTERMSIG(status));
  }
  return r;
}

// The best wall time of g_repeats runs; the peak memory is the largest of
// them. A failed run ends the series and is the answer.
Result Measure(const std::vector<std::string>& argv, int threads, const std::string& writes,
               bool to_stdout = false) {
  Result best;
  for (int k = 0; k < g_repeats; ++k) {
    Result r = Run(argv, threads, writes, to_stdout);
    if (!r.ok()) return r;
    long rss = std::max(best.max_rss_kib, r.max_rss_kib);
    if (k == 0 || r.seconds < best.seconds) best = r;
    best.max_rss_kib = rss;
  }
  return best;
}

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream(g_work + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Definition() {
  struct I {
    const char *name, *dtat, *dale;
    int pos;
    const char* sign;
  };
  const I items[] = {{"R-ID", "X", "10", 0, "0"},      {"R-NAME", "N", "10", 10, "0"},
                     {"R-KANA", "X", "20", 30, "0"},   {"R-ADDR", "N", "20", 50, "0"},
                     {"R-DATE", "9", "8", 90, "0"},    {"R-AMT1", "P", "7.2", 98, "0"},
                     {"R-AMT2", "P", "9", 103, "0"},   {"R-QTY", "S", "5", 108, "1"},
                     {"R-RATE", "9", "3.2", 113, "0"}, {"R-B1", "B", "4", 118, "0"},
                     {"R-B2", "B", "9", 120, "0"},     {"R-B3", "C", "4", 124, "0"},
                     {"R-CODE", "X", "4", 126, "0"},   {"R-P3", "P", "3", 130, "0"},
                     {"R-Z5", "S", "5", 132, "2"},     {"R-MEMO", "X", "30", 138, "0"},
                     {"R-U7", "U", "7", 168, "0"},     {"R-CNT", "9", "5", 172, "0"},
                     {"R-FLAG", "X", "1", 177, "0"},   {"R-NOTE", "X", "22", 178, "0"}};
  std::string r =
      "HEDR FMVR 0100 ; PPNM B ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
      "ENDHEDR ;\nBODR RNUM 21 ; ENDBODR ;\n"
      "ITMR LNUM 01 ; DTNM BENCH-REC ; DTAT G ; DALE 0 ; ANUM 0 ; SUAF T ; BURL 0 ; BIRL 0 ; "
      "BLWZ F ; JUST F ; SIGN 0 ; SYNC F ; ENDITMR ;\n";
  for (const I& i : items) {
    r += std::string("ITMR LNUM 03 ; DTNM ") + i.name + " ; DTAT " + i.dtat + " ; DALE " + i.dale +
         " ; ANUM 0 ; SUAF T ; BURL " + std::to_string(i.pos) +
         " ; BIRL 0 ; BLWZ F ; JUST F ; SIGN " + i.sign + " ; SYNC F ; ENDITMR ;\n";
  }
  r += "TRAR FMVR 0100 ; PPNM B ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\n"
       "ENDTRAR ;\n";
  return r;
}

void Digits(char* at, int count, unsigned long value) {
  for (int k = count - 1; k >= 0; --k) {
    at[k] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

void Packed(unsigned char* at, int bytes, unsigned long value, bool negative, bool is_unsigned) {
  int nibbles = bytes * 2 - 1;
  std::vector<int> d(static_cast<std::size_t>(nibbles), 0);
  for (int k = nibbles - 1; k >= 0; --k) {
    d[static_cast<std::size_t>(k)] = static_cast<int>(value % 10);
    value /= 10;
  }
  for (int b = 0; b < bytes; ++b) {
    int hi = d[static_cast<std::size_t>(2 * b)];
    int lo = 2 * b + 1 < nibbles ? d[static_cast<std::size_t>(2 * b + 1)]
                                 : (is_unsigned ? 0xF : (negative ? 0xD : 0xC));
    at[b] = static_cast<unsigned char>(hi << 4 | lo);
  }
}

// One 200-byte record, different for each n; the same text-safe bytes a
// COBOL program would hold (no quote or separator in the character items).
void MakeRecord(unsigned long n, unsigned char* r) {
  std::memset(r, ' ', 200);
  char* c = reinterpret_cast<char*>(r);
  std::snprintf(c, 11, "K%09lu", n % 1000000000UL);
  c[10] = ' ';
  static const char* kNames[] = {"\x8e\x52\x93\x63\x81\x40\x91\xbe\x98\x59",
                                 "\x8d\xb2\x93\xa1\x81\x40\x89\xd4\x8e\x71"};
  std::memcpy(c + 10, kNames[n % 2], 10);
  for (int k = 20; k < 30; k += 2) {
    c[k] = '\x81';
    c[k + 1] = '\x40';
  }
  std::memcpy(c + 30, "YAMADA TARO", 11);
  for (int k = 50; k < 90; k += 2) {
    c[k] = '\x81';
    c[k + 1] = '\x40';
  }
  std::memcpy(c + 50, "\x93\x8c\x8b\x9e\x93\x73\x8d\x60\x8b\xe6", 10);
  Digits(c + 90, 8, 19700101 + n % 500000);
  bool neg = n % 3 == 0;
  Packed(r + 98, 5, (n * 7919) % 1000000000UL, neg, false);
  Packed(r + 103, 5, (n * 104729) % 1000000000UL, !neg, false);
  Digits(c + 108, 5, n % 100000);
  if (neg) c[112] = static_cast<char>(c[112] | 0x40);  // 0x30 | 0x40 = 0x70
  Digits(c + 113, 5, (n * 13) % 100000);
  long b1 = static_cast<long>(n % 19999) - 9999;
  r[118] = static_cast<unsigned char>((b1 >> 8) & 0xFF);
  r[119] = static_cast<unsigned char>(b1 & 0xFF);
  long b2 = static_cast<long>((n * 48271) % 1999999999UL) - 999999999L;
  for (int k = 0; k < 4; ++k) r[120 + k] = static_cast<unsigned char>((b2 >> (24 - 8 * k)) & 0xFF);
  unsigned b3 = static_cast<unsigned>(n % 10000);
  r[124] = static_cast<unsigned char>(b3 >> 8);
  r[125] = static_cast<unsigned char>(b3 & 0xFF);
  std::memcpy(c + 126, n % 2 ? "AB01" : "ZX99", 4);
  Packed(r + 130, 2, n % 1000, !neg, false);
  c[132] = neg ? '-' : '+';
  Digits(c + 133, 5, (n * 31) % 100000);
  std::memcpy(c + 138, "memo text of the benchmark", 26);
  Packed(r + 168, 4, (n * 3) % 10000000, false, true);
  Digits(c + 172, 5, n % 100000);
  c[177] = static_cast<char>('A' + n % 26);
  std::memcpy(c + 178, "note", 4);
}

// plain: the bytes a text line cannot hold (controls, the end-of-file mark
// 0x1A) replaced by "x", for the text conversions.
void MakeData(const std::string& name, unsigned long records, bool plain = false) {
  std::FILE* f = std::fopen((g_work + "/" + name).c_str(), "wb");
  std::vector<unsigned char> block(200 * 4096);
  for (unsigned long n = 0; n < records;) {
    std::size_t in_block = 0;
    for (; in_block < 4096 && n < records; ++in_block, ++n) {
      unsigned char* r = &block[in_block * 200];
      MakeRecord(n, r);
      if (plain) {
        for (int k = 0; k < 200; ++k) {
          if (r[k] < 0x20 || r[k] == 0x7F) r[k] = 'x';
        }
      }
    }
    std::fwrite(block.data(), 200, in_block, f);
  }
  std::fclose(f);
}

double Mb(const std::string& name) {
  std::error_code error;
  auto size = std::filesystem::file_size(g_work + "/" + name, error);
  return error ? 0.0 : static_cast<double>(size) / 1e6;
}

bool Same(const std::string& a, const std::string& b) { return Run({"cmp", "-s", a, b}, 1).ok(); }

// Renames a file of the work folder; a file a run did not write is no
// reason to stop the benchmark (the comparison with it then fails).
void Rename(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::rename(g_work + "/" + from, g_work + "/" + to, error);
}

// One measured program: how it is called on the whole input and on a
// sixteenth of it, what it reads and writes, and what it is set against.
struct Case {
  std::string label;    // also the key of its saved figures
  std::string what;     // a few words on the conversion
  std::string program;  // qelxformbatch or qelreworkbatch
  std::vector<std::string> args, small_args;
  std::string input, output, small_output;
  int items = 1;      // items per record, for the CPU time per item
  std::string cobol;  // the COBOL program in the work folder, or empty
  std::string cobol_label;
  std::string cobol_output;
};

struct Figures {
  Result cat, before, one, all, seven, cobol;
  Result small[3];  // a sixteenth of the input at 1 thread, every core, 7 threads
  const Saved* saved = nullptr;
  bool before_run = false;
  bool cobol_run = false;
  bool same_threads = true;
  bool same_before = true;
};

// The thread counts of the memory figures, in the order of Figures::small.
constexpr int kThreads[3] = {1, kAllCores, 7};

int g_cores = 1;
std::string g_bin;     // this build's programs
std::string g_before;  // the older programs, or empty

void Line(const std::string& what, const Result& r, double mb, unsigned long records, int items) {
  if (!r.ok()) {
    std::printf("    %-34s FAILED (exit %d) %s\n", what.c_str(), r.status, r.note.c_str());
    return;
  }
  double n = static_cast<double>(records);
  std::printf(
      "    %-34s %6.2f s  cpu %6.2f s %8.1f MB/s %9.0f rec/s %7.1f ns/item  peak %5.1f MiB\n",
      what.c_str(), r.seconds, r.cpu, mb / r.seconds, n / r.seconds, r.cpu * 1e9 / (n * items),
      r.peak_mib());
}

Result FromSaved(const Saved& s, unsigned long records) {
  double scale = static_cast<double>(records) / kSavedRecords;
  Result r;
  r.seconds = s.seconds * scale;
  r.cpu = s.cpu * scale;
  r.max_rss_kib = static_cast<long>(s.peak_mib * 1024.0);
  r.status = 0;
  return r;
}

std::vector<std::string> With(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

// Runs one case through every measurement and prints its lines.
Figures MeasureCase(const Case& c, unsigned long records) {
  Figures f;
  for (const Saved& s : kSaved) {
    if (c.label == s.label && s.cpu > 0) f.saved = &s;
  }
  const std::string ref = c.output + ".REF", old = c.output + ".OLD";
  f.cat = Measure({"cat", c.input}, 1, "CAT.OUT", true);
  if (!g_before.empty()) {
    f.before_run = true;
    f.before = Measure(With(g_before + "/" + c.program, c.args), 1, c.output);
    if (f.before.ok()) Rename(c.output, old);
  }
  f.one = Measure(With(g_bin + "/" + c.program, c.args), 1, c.output);
  if (f.one.ok()) Rename(c.output, ref);
  auto compare = [&](const Result& r) {
    if (r.ok() && f.one.ok()) f.same_threads = f.same_threads && Same(c.output, ref);
  };
  f.all = Measure(With(g_bin + "/" + c.program, c.args), kAllCores, c.output);
  compare(f.all);
  f.seven = Run(With(g_bin + "/" + c.program, c.args), 7, c.output);
  compare(f.seven);
  if (f.one.ok()) Rename(ref, c.output);
  if (f.before.ok() && f.one.ok()) f.same_before = Same(c.output, old);
  std::error_code error;
  std::filesystem::remove(g_work + "/" + old, error);
  if (!c.cobol.empty()) {
    f.cobol_run = true;
    f.cobol = Measure({"./" + c.cobol}, 1, c.cobol_output);
  }
  for (int k = 0; k < 3; ++k) {
    f.small[k] = Run(With(g_bin + "/" + c.program, c.small_args), kThreads[k], c.small_output);
  }

  double mb = Mb(c.input);
  std::printf("\n%s: %s, %.1f MB in, %.1f MB out\n", c.label.c_str(), c.what.c_str(), mb,
              Mb(c.output));
  Line("cat " + c.input, f.cat, mb, records, c.items);
  if (f.saved != nullptr) {
    Line(std::string("before, saved ") + kSavedDate, FromSaved(*f.saved, records), mb, records,
         c.items);
  }
  if (f.before_run) Line("before, QEL_BENCH_BEFORE", f.before, mb, records, c.items);
  Line("1 thread", f.one, mb, records, c.items);
  Line("all cores (" + std::to_string(g_cores) + ")", f.all, mb, records, c.items);
  Line("7 threads", f.seven, mb, records, c.items);
  if (f.cobol_run) Line(c.cobol_label, f.cobol, mb, records, c.items);
  std::printf("    same output at 1, %d and 7 threads: %s", g_cores,
              !f.one.ok()      ? "-"
              : f.same_threads ? "yes"
                               : "NO");
  if (f.before.ok() && f.one.ok())
    std::printf("; same as before: %s", f.same_before ? "yes" : "NO");
  std::printf("\n");
  std::fflush(stdout);
  return f;
}

// "met", "NOT met", or unsettled when the figure is within 10 % of the
// target; a figure from a failed run is FAILED.
void Ratio(const std::string& what, double figure, bool failed, const char* relation, double target,
           const std::string& basis = "") {
  if (failed || !std::isfinite(figure)) {
    std::printf("  %-44s FAILED\n", what.c_str());
    return;
  }
  bool at_least = relation[0] == '>';
  const char* verdict = std::fabs(figure - target) <= 0.1 * target ? "within 10 %: unsettled"
                        : (at_least ? figure >= target : figure <= target) ? "met"
                                                                           : "NOT met";
  std::printf("  %-44s %6.2f (%s %g)  %s%s%s\n", what.c_str(), figure, relation, target, verdict,
              basis.empty() ? "" : "; ", basis.c_str());
}

// One cell of the table of wall seconds: "-" for a figure not taken.
void Cell(const Result& r, bool taken) {
  if (!taken) {
    std::printf(" %10s", "-");
  } else if (!r.ok()) {
    std::printf(" %10s", "FAILED");
  } else {
    std::printf(" %8.2f s", r.seconds);
  }
}

void Check(const char* what, bool same) { std::printf("  %s: %s\n", what, same ? "yes" : "NO"); }

}  // namespace

int main(int argc, char** argv) {
  unsigned long records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000UL;
  if (records < 16) records = 16;
  unsigned long small = records / 16;
  g_bin = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  if (const char* b = std::getenv("QEL_BENCH_BEFORE"); b != nullptr && *b != '\0') {
    std::error_code error;
    g_before = std::filesystem::absolute(b, error).string();
  }
  if (const char* r = std::getenv("QEL_BENCH_REPEATS"); r != nullptr) {
    g_repeats = std::max(1, std::atoi(r));
  }
  g_cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
  std::string tmpl =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/xform-bench-XXXXXX";
  if (mkdtemp(tmpl.data()) == nullptr) return 1;
  g_work = tmpl;
  setenv("TEMP", g_work.c_str(), 1);
  auto load = [] {
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one;
  };
  std::printf(
      "speed benchmark: %lu records of 200 bytes (a sixteenth: %lu), %d cores, best of %d, "
      "load average %s\n",
      records, small, g_cores, g_repeats, load().c_str());
  std::printf(
      "  ns/item: CPU time over records x items (an item: one of the 20 items of sc and cs, "
      "a whole record of st and ts, one of the ten moves of the rework run)\n");
  std::fflush(stdout);

  Write("BENCH.RDF", Definition());
  Write("BENCH.FLF",
        "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 BENCH.RDF ; "
        "ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n");
  const std::string src = QEL_SOURCE_DIR "/bench";
  bool cobol = Run({"sh", "-c", "command -v cobc"}, 1).ok();
  if (cobol) {
    for (const char* p : {"sc", "cs"}) {
      Result c = Run({"cobc", "-x", "-O2", "-fbinary-size=2-4-8", "-I", src, "-o",
                      std::string("bench_") + p, src + "/xform_bench_" + p + ".cob"},
                     1);
      if (!c.ok()) cobol = false;
    }
  }
  if (!cobol) std::printf("(cobc not found or failed: no COBOL programs)\n");
  bool rework =
      cobol &&
      Run({"bash", src + "/rework_bench.sh", "--prepare", g_work, std::to_string(records)}, 1).ok();
  if (!rework) std::printf("(the rework input could not be made: no rework run)\n");
  MakeData("BENCH.DAT", records);
  MakeData("SMALL.DAT", small);
  MakeData("PLAIN.DAT", records, true);
  MakeData("SMALLP.DAT", small, true);

  auto xform = [](const char* mode, const std::string& in, const std::string& out,
                  std::vector<std::string> more) {
    std::vector<std::string> a{"/f", mode, "/i", in, "/o", out};
    if (mode[0] == 'c' || mode[1] == 'c') {
      a.insert(a.end(), {"/d", "BENCH.FLF", "/e", "b"});
    } else {
      a.insert(a.end(), {"/l", "200"});
    }
    a.insert(a.end(), more.begin(), more.end());
    return a;
  };
  std::vector<Case> cases;
  cases.push_back({"/f sc", "fixed-length to CSV (CP932)", "qelxformbatch",
                   xform("sc", "BENCH.DAT", "BENCH.CSV", {}),
                   xform("sc", "SMALL.DAT", "SMALL.CSV", {}), "BENCH.DAT", "BENCH.CSV", "SMALL.CSV",
                   20, cobol ? "bench_sc" : "", "COBOL READ/MOVE/STRING/WRITE", "COBOL.CSV"});
  cases.push_back({"/f cs", "CSV (CP932) to fixed-length", "qelxformbatch",
                   xform("cs", "BENCH.CSV", "BACK.DAT", {}),
                   xform("cs", "SMALL.CSV", "SMALL.BCK", {}), "BENCH.CSV", "BACK.DAT", "SMALL.BCK",
                   20, cobol ? "bench_cs" : "", "COBOL READ/UNSTRING/NUMVAL/WRITE", "COBOL.DAT"});
  cases.push_back({"/f sc /c u", "fixed-length to CSV (UTF-8)", "qelxformbatch",
                   xform("sc", "BENCH.DAT", "UTF8.CSV", {"/c", "u"}),
                   xform("sc", "SMALL.DAT", "SMALLU.CSV", {"/c", "u"}), "BENCH.DAT", "UTF8.CSV",
                   "SMALLU.CSV", 20, "", "", ""});
  cases.push_back({"/f cs /c u", "CSV (UTF-8) to fixed-length", "qelxformbatch",
                   xform("cs", "UTF8.CSV", "BACKU.DAT", {"/c", "u"}),
                   xform("cs", "SMALLU.CSV", "SMALLU.BCK", {"/c", "u"}), "UTF8.CSV", "BACKU.DAT",
                   "SMALLU.BCK", 20, "", "", ""});
  cases.push_back({"/f st", "fixed-length to text lines (text-safe bytes)", "qelxformbatch",
                   xform("st", "PLAIN.DAT", "BENCH.TXT", {}),
                   xform("st", "SMALLP.DAT", "SMALL.TXT", {}), "PLAIN.DAT", "BENCH.TXT",
                   "SMALL.TXT", 1, "", "", ""});
  cases.push_back({"/f ts", "text lines to fixed-length", "qelxformbatch",
                   xform("ts", "BENCH.TXT", "TS.DAT", {}), xform("ts", "SMALL.TXT", "SMALL.TS", {}),
                   "BENCH.TXT", "TS.DAT", "SMALL.TS", 1, "", "", ""});
  if (rework) {
    cases.push_back({"qelreworkbatch",
                     "rework run, two conditions and ten moves",
                     "qelreworkbatch",
                     {"selected.rwp"},
                     {"small.rwp"},
                     "IN.DAT",
                     "QEL-OUT.DAT",
                     "SMALL-OUT.DAT",
                     10,
                     "cobol",
                     "COBOL program (cobc -O2)",
                     "COBOL-OUT.DAT"});
  }

  std::vector<Figures> figures;
  for (const Case& c : cases) figures.push_back(MeasureCase(c, records));
  auto find = [&](const char* label) -> const Figures* {
    for (std::size_t k = 0; k < cases.size(); ++k) {
      if (cases[k].label == label) return &figures[k];
    }
    return nullptr;
  };

  std::printf("\nchecks:\n");
  Check("cs gives back the original bytes", Same("BENCH.DAT", "BACK.DAT"));
  Check("cs /c u gives back the original bytes", Same("BENCH.DAT", "BACKU.DAT"));
  Check("ts gives back the bytes st read", Same("PLAIN.DAT", "TS.DAT"));
  if (rework)
    Check("the rework output equals the COBOL program's", Same("QEL-OUT.DAT", "COBOL-OUT.DAT"));

  std::printf("\nwall seconds:\n  %-14s", "");
  for (const char* h : {"cat", "before", "1 thread", "all cores", "7 threads", "COBOL"}) {
    std::printf(" %10s", h);
  }
  std::printf("\n");
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Figures& f = figures[k];
    Result saved = f.saved != nullptr ? FromSaved(*f.saved, records) : Result{};
    std::printf("  %-14s", cases[k].label.c_str());
    Cell(f.cat, true);
    Cell(f.before_run ? f.before : saved, f.before_run || f.saved != nullptr);
    for (const Result* r : {&f.one, &f.all, &f.seven}) Cell(*r, true);
    Cell(f.cobol, f.cobol_run);
    std::printf("\n");
  }

  std::printf("\nratios against their targets, as figure (target):\n");
  for (const char* label : {"/f sc", "/f cs"}) {
    const Figures* f = find(label);
    std::string name = std::string(label) + " 1 thread vs before";
    double saved = 0;  // the saved CPU time over the live one, per item
    if (f->saved != nullptr && f->one.ok()) {
      saved = f->saved->cpu * static_cast<double>(records) / kSavedRecords / f->one.cpu;
    }
    char basis[160];
    if (f->before_run) {
      int n = std::snprintf(basis, sizeof basis,
                            "wall time against the older programs in this run (cpu time %.2f)",
                            f->before.cpu / f->one.cpu);
      if (saved > 0) {
        std::snprintf(basis + n, sizeof basis - static_cast<std::size_t>(n),
                      "; cpu time per item against the saved one %.2f", saved);
      }
      Ratio(name, f->before.seconds / f->one.seconds, !f->before.ok() || !f->one.ok(), ">=", 2,
            basis);
    } else if (f->saved != nullptr) {
      std::snprintf(basis, sizeof basis, "cpu time per item against the one saved on %s",
                    kSavedDate);
      Ratio(name, saved, !f->one.ok(), ">=", 2, basis);
    } else {
      std::printf("  %-44s no figure of before\n", name.c_str());
    }
  }
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Figures& f = figures[k];
    Ratio(cases[k].label + " all cores vs 1 thread", f.one.seconds / f.all.seconds,
          !f.one.ok() || !f.all.ok(), ">=", 1.7);
  }
  if (const Figures* sc = find("/f sc")) {
    Ratio("/f sc all cores vs cat (speed)", sc->cat.seconds / sc->all.seconds,
          !sc->cat.ok() || !sc->all.ok(), ">=", 0.25);
  }
  if (const Figures* rw = find("qelreworkbatch")) {
    Ratio("qelreworkbatch all cores vs COBOL (speed)", rw->cobol.seconds / rw->all.seconds,
          !rw->cobol.ok() || !rw->all.ok(), ">=", 6);
  }

  std::printf(
      "\npeak resident memory in MiB, a sixteenth of the file / the whole file, and the "
      "difference (target <= 1):\n  %-14s",
      "");
  const char* heads[3] = {"1 thread", "all cores", "7 threads"};
  for (const char* h : heads) std::printf(" %-28s", h);
  std::printf("\n");
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Figures& f = figures[k];
    const Result* whole[3] = {&f.one, &f.all, &f.seven};
    std::printf("  %-14s", cases[k].label.c_str());
    for (int t = 0; t < 3; ++t) {
      if (!f.small[t].ok() || !whole[t]->ok()) {
        std::printf(" %-28s", "FAILED");
        continue;
      }
      double diff = whole[t]->peak_mib() - f.small[t].peak_mib();
      const char* verdict = std::fabs(diff - 1.0) <= 0.1 ? "unsettled"
                            : diff <= 1.0                ? "met"
                                                         : "NOT met";
      char cell[64];
      std::snprintf(cell, sizeof cell, "%5.1f /%5.1f %+5.2f %s", f.small[t].peak_mib(),
                    whole[t]->peak_mib(), diff, verdict);
      std::printf(" %-28s", cell);
    }
    std::printf("\n");
  }

  std::printf("\nearlier targets, at 1 thread:\n");
  const Figures *sc = find("/f sc"), *cs = find("/f cs"), *scu = find("/f sc /c u"),
                *csu = find("/f cs /c u"), *st = find("/f st"), *ts = find("/f ts");
  if (cobol) {
    Ratio("/f sc vs COBOL (speed)", sc->cobol.seconds / sc->one.seconds,
          !sc->cobol.ok() || !sc->one.ok(), ">=", 3);
    Ratio("/f cs vs COBOL (speed)", cs->cobol.seconds / cs->one.seconds,
          !cs->cobol.ok() || !cs->one.ok(), ">=", 3);
  }
  Ratio("/f sc /c u vs /c s (time)", scu->one.seconds / sc->one.seconds,
        !scu->one.ok() || !sc->one.ok(), "<=", 1.5);
  Ratio("/f cs /c u vs /c s (time)", csu->one.seconds / cs->one.seconds,
        !csu->one.ok() || !cs->one.ok(), "<=", 1.5);
  Ratio("/f st vs cat (speed)", st->cat.seconds / st->one.seconds, !st->cat.ok() || !st->one.ok(),
        ">=", 0.3);
  Ratio("/f ts vs cat (speed)", ts->cat.seconds / ts->one.seconds, !ts->cat.ok() || !ts->one.ok(),
        ">=", 0.3);
  std::printf("\nload average at the end %s\n", load().c_str());

  if (std::getenv("QEL_BENCH_KEEP") != nullptr) {
    std::printf("files kept in %s\n", g_work.c_str());
  } else {
    std::filesystem::remove_all(g_work);
  }
  return 0;
}
