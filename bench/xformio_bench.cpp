// Throughput of the conversion I/O library beside `cat IN > OUT` of the same
// bytes, measured in the same run:
//   xformio_bench fixed|csv|text MIB [DIR [new]]
// fixed copies a file of 200-byte records with IsuSamGet/IsuSamPut; csv reads
// a file field by field with CsvfieldGet and writes the same fields with
// CsvfieldPut; text does the same line by line with TxtGet/TxtPut. One CSV
// and one text file are open at a time, so the csv and text runs read the
// whole input first and then write the output. Prints records/s, MB/s, the
// ratio to the baseline and the peak resident memory of this process.
// A read/write copy by dd is printed beside the baseline for reference (for
// fixed also in 8 KiB blocks, the block of the converters), and for csv the
// time the same number of calls to do-nothing functions of a shared library
// takes: what no field reader and writer called once per field can go below.
// Every figure, the baseline included, is the best of three runs, each
// started after earlier writes are flushed to disk, so that no run pays for
// another's writeback. Each run replaces the output of the run before, as
// `cat IN > OUT` does when run twice; with "new" the output is removed
// first, so that every run writes a new file (on ext4 a replaced file is
// written out at its close, a new one later).
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "xformio/qelxformio.h"

extern "C" int BenchFieldGet(int handle, char* field, int32_t* length, int32_t* end_kind);
extern "C" int BenchFieldPut(int handle, const char* field, int32_t length, int end_kind);

namespace {

using Clock = std::chrono::steady_clock;

std::string g_out;     // the output file of every run
bool g_fresh = false;  // remove it before each run

double Seconds(const std::function<void()>& f) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    if (g_fresh) std::remove(g_out.c_str());
    sync();
    auto start = Clock::now();
    f();
    double t = std::chrono::duration<double>(Clock::now() - start).count();
    if (run == 0 || t < best) best = t;
  }
  return best;
}

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "xformio_bench: %s failed\n", what);
  std::exit(1);
}

// Writes `total` bytes made of records from `make(i)`, streamed in 1 MiB
// pieces so that memory stays flat. Returns the number of records.
long Generate(const std::string& path, long total, const std::function<std::string(long)>& make) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) Die("creating the input");
  std::vector<char> buffer(1 << 20);
  std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
  long written = 0, records = 0;
  while (written < total) {
    std::string r = make(records++);
    std::fwrite(r.data(), 1, r.size(), f);
    written += long(r.size());
  }
  std::fclose(f);
  return records;
}

std::string CsvLine(long i) {
  char line[160];
  std::snprintf(line, sizeof line,
                "%08ld,\"NAME %06ld\",%ld,\"\x93\x8c\x8b\x9e,%03ld\",%ld.%02ld,ABCDEFGHIJ,"
                "\"Q\",%ld\r\n",
                i, i % 1000000, i * 7 % 100000, i % 1000, i % 9999, i % 100, i % 3);
  return line;
}

std::string TextLine(long i) {
  std::string line(60 + i % 120, char('A' + i % 26));
  return line + (i % 5 == 0 ? "\n" : "\r\n");
}

long PeakRssKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void Report(const char* what, long records, long bytes, double seconds, double baseline) {
  double mb = double(bytes) / 1e6;
  std::printf("%-28s %12.0f records/s %9.1f MB/s  ratio %.2f\n", what, double(records) / seconds,
              mb / seconds, baseline / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s fixed|csv|text MIB [DIR [new]]\n", argv[0]);
    return 2;
  }
  std::string kind = argv[1];
  long total = std::atol(argv[2]) * 1024 * 1024;
  std::string dir = argc > 3 ? argv[3] : (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp");
  std::string in = dir + "/xformio_bench_in." + kind;
  std::string out = dir + "/xformio_bench_out." + kind;
  g_out = out;
  g_fresh = argc > 4 && std::string(argv[4]) == "new";

  long records = 0;
  if (kind == "fixed") {
    records = Generate(in, total, [](long i) {
      std::string r(200, ' ');
      std::snprintf(r.data(), 20, "%010ld", i);
      r[10] = 'X';
      return r;
    });
  } else if (kind == "csv") {
    records = Generate(in, total, CsvLine);
  } else if (kind == "text") {
    records = Generate(in, total, TextLine);
  } else {
    std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
    return 2;
  }
  long bytes = total;
  // The writers are fed from a fixed set of records made in advance, so that
  // making them is not measured.
  std::vector<std::string> csv_lines, text_lines;
  for (long i = 0; i < 4096; ++i) {
    csv_lines.push_back(CsvLine(i));
    text_lines.push_back(TextLine(i));
  }
  std::string cat = "cat '" + in + "' > '" + out + "'";
  if (std::system(cat.c_str()) != 0) Die("cat");  // warms the page cache
  double baseline = Seconds([&] {
    if (std::system(cat.c_str()) != 0) Die("cat");
  });
  std::printf("%s, %ld MiB, %ld records, %s output\n", kind.c_str(), total >> 20, records,
              g_fresh ? "new" : "replaced");
  Report("cat IN > OUT (baseline)", records, bytes, baseline, baseline);
  // cat copies inside the kernel; a plain read/write copy in 64 KiB blocks
  // shows what any program moving the bytes through its own memory costs.
  std::string dd = "dd if='" + in + "' of='" + out + "' bs=65536 status=none";
  double dd_time = Seconds([&] {
    if (std::system(dd.c_str()) != 0) Die("dd");
  });
  Report("dd bs=64K (read/write copy)", records, bytes, dd_time, baseline);
  if (kind == "fixed") {
    std::string dd8 = "dd if='" + in + "' of='" + out + "' bs=8192 status=none";
    double dd8_time = Seconds([&] {
      if (std::system(dd8.c_str()) != 0) Die("dd");
    });
    Report("dd bs=8K (read/write copy)", records, bytes, dd8_time, baseline);
  }

  if (kind == "fixed") {
    // 8192 is the converters' block for records up to that length; 65400 is
    // the largest multiple of the record length a control block can hold.
    for (uint16_t blksize : {uint16_t{8192}, uint16_t{65400}}) {
      double t = Seconds([&] {
        QelFileHandle hin, hout;
        if (IsuSamOpen(in.c_str(), 0, 438, 0, &hin) != 0) Die("open input");
        if (IsuSamOpen(out.c_str(), 0x0301, 438, 0, &hout) != 0) Die("open output");
        IsuSamCtl *rc, *wc;
        if (IsuSamTAlloc(&rc, blksize) != 0 || IsuSamTAlloc(&wc, blksize) != 0) Die("alloc");
        static unsigned char record[202];
        IsuSamSetF(rc, hin, record, sizeof record, 200);
        IsuSamSetF(wc, hout, record, sizeof record, 200);
        uint16_t len;
        int r;
        while ((r = IsuSamGet(rc, &len)) == 0) {
          if (IsuSamPut(wc, len) != 0) Die("IsuSamPut");
        }
        if (r != 1 || IsuSamFlush(wc) != 0) Die("copy");
        IsuSamClose(hin);
        IsuSamClose(hout);
        IsuSamTFree(rc);
        IsuSamTFree(wc);
      });
      std::string what = "IsuSamGet/IsuSamPut, " + std::to_string(blksize);
      Report(what.c_str(), records, bytes, t, baseline);
    }
  } else if (kind == "csv") {
    std::vector<char> field(65535);
    long fields = 0;
    double read = Seconds([&] {
      fields = 0;
      QelFileHandle h = CsvfileOpen(in.c_str(), 0, 0, ",");
      if (h < 0) Die("CsvfileOpen");
      int32_t len, end;
      while (true) {
        if (CsvfieldGet(h, field.data(), &len, &end) != 0) Die("CsvfieldGet");
        if (end == 2) break;
        ++fields;
      }
      CsvfileClose(h);
    });
    // The lines' own fields, quotes included, as a converter hands them,
    // split before the clock starts.
    struct Field {
      const char* data;
      int32_t length;
      int kind;
    };
    std::vector<std::vector<Field>> csv_fields;
    for (const std::string& line : csv_lines) {
      std::vector<Field> fields;
      size_t start = 0;
      for (size_t p = 0; p < line.size();) {
        bool quoted = line[p] == '"';
        size_t end = quoted ? line.find('"', p + 1) + 1 : p;
        while (line[end] != ',' && line[end] != '\r') ++end;
        int kind = line[end] == ',' ? 0 : 1;
        fields.push_back({line.data() + start, int32_t(end - start), kind});
        p = start = end + (kind == 0 ? 1 : 2);
      }
      csv_fields.push_back(std::move(fields));
    }
    double write = Seconds([&] {
      QelFileHandle h = CsvfileOpen(out.c_str(), 0x0301, 0, ",");
      if (h < 0) Die("CsvfileOpen");
      long written = 0;
      for (long i = 0; written < total; ++i) {
        size_t at = size_t(i) % csv_lines.size();
        written += long(csv_lines[at].size());
        for (const Field& f : csv_fields[at]) {
          if (CsvfieldPut(h, f.data, f.length, f.kind) != 0) Die("CsvfieldPut");
        }
      }
      if (CsvfieldPut(h, "", 0, 2) != 0) Die("CsvfieldPut");
      CsvfileClose(h);
    });
    double calls = Seconds([&] {
      int32_t len, end;
      for (long i = 0; i < fields; ++i) {
        if (BenchFieldGet(3, field.data(), &len, &end) != 0 || end == 2) Die("BenchFieldGet");
      }
      for (long i = 0; i < fields; ++i) {
        if (BenchFieldPut(3, field.data(), len, 0) != 0) Die("BenchFieldPut");
      }
    });
    std::printf("%ld fields\n", fields);
    Report("the calls alone (floor)", records, bytes, calls, baseline);
    Report("CsvfieldGet read", records, bytes, read, baseline);
    Report("CsvfieldPut write", records, bytes, write, baseline);
    Report("CSV read + write", records, bytes, read + write, baseline);
  } else {
    std::vector<char> line(65537);
    long lines = 0;
    double read = Seconds([&] {
      lines = 0;
      QelFileHandle h = TxtOpen(in.c_str(), 0);
      if (h < 0) Die("TxtOpen");
      int32_t end, len;
      while (true) {
        if (TxtGet(h, line.data(), 65537, &end, &len) != 0) Die("TxtGet");
        if (end == 2 && len == 0) break;
        ++lines;
      }
      TxtClose(h);
    });
    double write = Seconds([&] {
      QelFileHandle h = TxtOpen(out.c_str(), 0x0301);
      if (h < 0) Die("TxtOpen");
      long written = 0;
      for (long i = 0; written < total; ++i) {
        const std::string& text = text_lines[size_t(i) % text_lines.size()];
        written += long(text.size());
        if (TxtPut(h, text.c_str(), int32_t(text.size()), 1) != 0) Die("TxtPut");
      }
      if (TxtPut(h, "", 0, 2) != 0) Die("TxtPut");
      TxtClose(h);
    });
    std::printf("%ld lines\n", lines);
    Report("TxtGet read", records, bytes, read, baseline);
    Report("TxtPut write", records, bytes, write, baseline);
    Report("text read + write", records, bytes, read + write, baseline);
  }
  std::printf("peak RSS %ld KiB\n", PeakRssKib());
  std::remove(in.c_str());
  std::remove(out.c_str());
  return 0;
}
