// Benchmark of the console converter: 1,000,000 records of 200 bytes with 20
// items of mixed kinds through /f sc, /f cs, /f st and /f ts, each beside
// two baselines measured in the same run: cat of the same input, and (for sc
// and cs) a GnuCOBOL program doing the same conversion. sc and cs with a
// UTF-8 CSV (/c u) are measured beside the CP932 ones (/c s) on the same
// records, whose items are three quarters text. Peak resident memory
// of each conversion on a 16 MiB input is printed beside the full run's.
//   xform_bench [records]   (default 1000000)
// Times are the best of two runs; never part of the tests; prints figures
// and ratios only.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Result {
  double seconds = 0;  // wall clock
  double cpu = 0;      // user + system
  long max_rss_kib = 0;
  int status = -1;
};

std::string g_work;

// Runs argv in the work directory, stdout to `out` (or /dev/null).
Result Run(const std::vector<std::string>& argv, const std::string& out = "") {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(g_work.c_str()) != 0) _exit(126);
    int fd = open(out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) _exit(126);
    dup2(fd, 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  Result r;
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.max_rss_kib = usage.ru_maxrss;
  r.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The best of `kRepeats` runs, each after the dirty pages of the previous
// outputs went to disk, so that one run does not pay for another's
// write-back on a shared machine.
constexpr int kRepeats = 2;

Result Measure(const std::vector<std::string>& argv, const std::string& out = "") {
  Result best;
  for (int k = 0; k < kRepeats; ++k) {
    sync();
    Result r = Run(argv, out);
    if (k == 0 || r.seconds < best.seconds) {
      long rss = std::max(best.max_rss_kib, r.max_rss_kib);
      best = r;
      best.max_rss_kib = rss;
    }
    if (r.status != 0) return r;
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
  return static_cast<double>(std::filesystem::file_size(g_work + "/" + name)) / 1e6;
}

void Line(const char* what, const Result& r, double mb, unsigned long records) {
  std::printf("  %-34s %7.2f s (cpu %6.2f s) %8.1f MB/s %10.0f rec/s  peak %6.1f MiB%s\n", what,
              r.seconds, r.cpu, mb / r.seconds, static_cast<double>(records) / r.seconds,
              static_cast<double>(r.max_rss_kib) / 1024.0, r.status == 0 ? "" : "  (FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000UL;
  std::string bin = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  std::string xform = bin + "/qelxformbatch";
  std::string tmpl =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/xform-bench-XXXXXX";
  if (mkdtemp(tmpl.data()) == nullptr) return 1;
  g_work = tmpl;
  setenv("TEMP", g_work.c_str(), 1);
  Write("BENCH.RDF", Definition());
  Write("BENCH.FLF",
        "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 BENCH.RDF ; "
        "ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n");

  bool cobol = Run({"sh", "-c", "command -v cobc"}).status == 0;
  if (cobol) {
    std::string src = QEL_SOURCE_DIR "/bench";
    for (const char* p : {"sc", "cs"}) {
      Result c = Run({"cobc", "-x", "-O2", "-fbinary-size=2-4-8", "-I", src, "-o",
                      std::string("bench_") + p, src + "/xform_bench_" + p + ".cob"});
      if (c.status != 0) cobol = false;
    }
  }

  std::printf("xform_bench: %lu records of 200 bytes, 20 items\n", records);
  MakeData("BENCH.DAT", records);
  double dat_mb = Mb("BENCH.DAT");

  Result cat_dat = Measure({"cat", "BENCH.DAT"}, g_work + "/CAT.OUT");
  Result sc = Measure(
      {xform, "/f", "sc", "/i", "BENCH.DAT", "/d", "BENCH.FLF", "/o", "BENCH.CSV", "/e", "b"});
  double csv_mb = Mb("BENCH.CSV");
  Result cat_csv = Measure({"cat", "BENCH.CSV"}, g_work + "/CAT.OUT");
  Result cs = Measure(
      {xform, "/f", "cs", "/i", "BENCH.CSV", "/d", "BENCH.FLF", "/o", "BACK.DAT", "/e", "b"});
  bool same = Run({"cmp", "-s", "BENCH.DAT", "BACK.DAT"}).status == 0;
  Result sc_u = Measure({xform, "/f", "sc", "/i", "BENCH.DAT", "/d", "BENCH.FLF", "/o", "UTF8.CSV",
                         "/e", "b", "/c", "u"});
  double utf8_mb = Mb("UTF8.CSV");
  Result cs_u = Measure({xform, "/f", "cs", "/i", "UTF8.CSV", "/d", "BENCH.FLF", "/o", "BACKU.DAT",
                         "/e", "b", "/c", "u"});
  bool utf8_same = Run({"cmp", "-s", "BENCH.DAT", "BACKU.DAT"}).status == 0;
  MakeData("PLAIN.DAT", records, true);
  Result cat_plain = Measure({"cat", "PLAIN.DAT"}, g_work + "/CAT.OUT");
  Result st = Measure({xform, "/f", "st", "/i", "PLAIN.DAT", "/o", "BENCH.TXT", "/l", "200"});
  double txt_mb = Mb("BENCH.TXT");
  Result cat_txt = Measure({"cat", "BENCH.TXT"}, g_work + "/CAT.OUT");
  Result ts = Measure({xform, "/f", "ts", "/i", "BENCH.TXT", "/o", "TS.DAT", "/l", "200"});
  bool text_same = Run({"cmp", "-s", "PLAIN.DAT", "TS.DAT"}).status == 0;
  Result cob_sc, cob_cs;
  if (cobol) {
    cob_sc = Measure({"./bench_sc"});
    cob_cs = Measure({"./bench_cs"});
  }

  std::printf("fixed-length input %.1f MB, CSV %.1f MB, text %.1f MB\n", dat_mb, csv_mb, txt_mb);
  Line("cat BENCH.DAT", cat_dat, dat_mb, records);
  Line("/f sc", sc, dat_mb, records);
  if (cobol) Line("COBOL READ/MOVE/STRING/WRITE", cob_sc, dat_mb, records);
  Line("cat BENCH.CSV", cat_csv, csv_mb, records);
  Line("/f cs", cs, csv_mb, records);
  if (cobol) Line("COBOL READ/UNSTRING/NUMVAL/WRITE", cob_cs, csv_mb, records);
  Line("/f sc /c u (UTF-8 CSV)", sc_u, dat_mb, records);
  Line("/f cs /c u (UTF-8 CSV)", cs_u, utf8_mb, records);
  Line("cat PLAIN.DAT (text-safe bytes)", cat_plain, dat_mb, records);
  Line("/f st", st, dat_mb, records);
  Line("cat BENCH.TXT", cat_txt, txt_mb, records);
  Line("/f ts", ts, txt_mb, records);
  std::printf("cs gives back the original bytes: %s\n", same ? "yes" : "NO");
  std::printf("ts gives back the bytes st read: %s\n", text_same ? "yes" : "NO");
  std::printf("cs /c u gives back the original bytes: %s\n", utf8_same ? "yes" : "NO");
  std::printf("ratios:\n");
  if (cobol) {
    std::printf("  sc vs COBOL  %.2fx faster (target >= 3; cpu time %.2fx)\n",
                cob_sc.seconds / sc.seconds, cob_sc.cpu / sc.cpu);
    std::printf("  cs vs COBOL  %.2fx faster (target >= 3; cpu time %.2fx)\n",
                cob_cs.seconds / cs.seconds, cob_cs.cpu / cs.cpu);
  } else {
    std::printf("  (cobc not found: no COBOL baseline)\n");
  }
  std::printf("  sc /c u vs /c s  %.2fx the time (target <= 1.5; cpu time %.2fx)\n",
              sc_u.seconds / sc.seconds, sc_u.cpu / sc.cpu);
  std::printf("  cs /c u vs /c s  %.2fx the time (target <= 1.5; cpu time %.2fx)\n",
              cs_u.seconds / cs.seconds, cs_u.cpu / cs.cpu);
  std::printf("  st vs cat    %.2fx the speed (target >= 0.3)\n", cat_plain.seconds / st.seconds);
  std::printf("  ts vs cat    %.2fx the speed (target >= 0.3)\n", cat_txt.seconds / ts.seconds);

  // Peak memory on a 16 MiB input beside the full run.
  unsigned long small = (16UL << 20) / 200;
  MakeData("SMALL.DAT", small);
  MakeData("SMALLP.DAT", small, true);
  Result s_sc =
      Run({xform, "/f", "sc", "/i", "SMALL.DAT", "/d", "BENCH.FLF", "/o", "SMALL.CSV", "/e", "b"});
  Result s_cs =
      Run({xform, "/f", "cs", "/i", "SMALL.CSV", "/d", "BENCH.FLF", "/o", "SMALL.BCK", "/e", "b"});
  Result s_st = Run({xform, "/f", "st", "/i", "SMALLP.DAT", "/o", "SMALL.TXT", "/l", "200"});
  Result s_ts = Run({xform, "/f", "ts", "/i", "SMALL.TXT", "/o", "SMALL.TS", "/l", "200"});
  auto mib = [](const Result& r) { return static_cast<double>(r.max_rss_kib) / 1024.0; };
  std::printf("peak resident memory, 16 MiB input vs %.0f MB input:\n", dat_mb);
  std::printf(
      "  sc %.1f vs %.1f MiB, cs %.1f vs %.1f MiB, st %.1f vs %.1f MiB, ts %.1f vs %.1f MiB\n",
      mib(s_sc), mib(sc), mib(s_cs), mib(cs), mib(s_st), mib(st), mib(s_ts), mib(ts));
  if (std::getenv("QEL_BENCH_KEEP") != nullptr) {
    std::printf("files kept in %s\n", g_work.c_str());
  } else {
    std::filesystem::remove_all(g_work);
  }
  return 0;
}
