// Throughput of record access beside the layers below it, measured in the
// same run:
//   recacc_bench MIB [DIR]   (DIR: TMPDIR, else the current directory)
// Reads a fixed-length file of 200-byte records to its end with KRACRead,
// with IsuSamGet on the same block size (the sequential library alone) and
// with read() in 8 KiB blocks (the bytes alone); then copies it with
// KRACRead/KRACWrite beside IsuSamGet/IsuSamPut; then fetches every record
// by record number through KRACGet beside pread() of each record. Prints
// records/s, MB/s and the ratio to the baseline of each group.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "recacc/qelrecacc.h"
#include "xformio/qelxformio.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecord = 200;

double Seconds(const std::function<void()>& f) {
  auto start = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "recacc_bench: %s failed\n", what);
  std::exit(1);
}

void WriteText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size()) Die(path.c_str());
  std::fclose(f);
}

struct Files {
  std::string dir, definition, data;
};

Files Prepare(const std::string& base, long records) {
  std::string tmpl = base + "/recacc-bench-XXXXXX";
  if (::mkdtemp(tmpl.data()) == nullptr) Die("mkdtemp");
  Files f{tmpl, tmpl + "/BENCH.FLF", tmpl + "/BENCH.DAT"};
  WriteText(tmpl + "/BENCH.RDF",
            "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nBODR RNUM 1 ; ENDBODR ;\n"
            "ITMR LNUM 01 ; DTNM BENCH-REC ; DTAT X ; DALE 200 ; ANUM 0 ; SUAF F ; BURL 0 ;\n"
            "     BIRL 0 ; BLWZ F ; JUST F ; SIGN 0 ; SYNC F ; ENDITMR ;\n"
            "TRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n");
  WriteText(f.definition,
            "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 BENCH.RDF ;\n"
            "ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n");
  std::FILE* out = std::fopen(f.data.c_str(), "wb");
  if (out == nullptr) Die("creating the data");
  char r[kRecord];
  for (long i = 0; i < records; ++i) {
    std::memset(r, 'a' + static_cast<int>(i % 26), sizeof r);
    char number[24];
    int len = std::snprintf(number, sizeof number, "%010ld", i);
    std::memcpy(r, number, static_cast<size_t>(len));
    std::fwrite(r, 1, sizeof r, out);
  }
  std::fclose(out);
  return f;
}

void Report(const char* what, long records, double seconds, double baseline) {
  double mb = double(records) * kRecord / 1e6;
  std::printf("%-34s %10.0f records/s %8.1f MB/s  x%.2f of baseline\n", what, records / seconds,
              mb / seconds, baseline / seconds);
}

DTF Open(const Files& f, const std::string& data, int mode) {
  DTF d;
  KRACInit(&d);
  d.definition_path = f.definition.c_str();
  if (KRACSproc(&d) != 0) Die("KRACSproc");
  d.data_path = data.c_str();
  d.access_mode = mode;
  return d;
}

long ReadWithKrac(const Files& f) {
  DTF d = Open(f, f.data, 1);
  if (KRACOpen(&d) != 0) Die("KRACOpen");
  long n = 0;
  while (KRACRead(&d) == 0) ++n;
  if (KRACGetStatus(&d) != 2690) Die("KRACRead");
  KRACClose(&d);
  KRACRinfFree(&d);
  return n;
}

long ReadWithSequential(const Files& f) {
  QelFileHandle h = -1;
  if (IsuSamOpen(f.data.c_str(), 0, 438, 0, &h) != 0) Die("IsuSamOpen");
  IsuSamCtl* ctl = nullptr;
  if (IsuSamTAlloc(&ctl, 8192) != 0) Die("IsuSamTAlloc");
  char r[kRecord];
  IsuSamSetF(ctl, h, r, kRecord, kRecord);
  long n = 0;
  uint16_t len = 0;
  while (IsuSamGet(ctl, &len) == 0) ++n;
  IsuSamClose(h);
  IsuSamTFree(ctl);
  return n;
}

long ReadBytes(const Files& f) {
  int fd = ::open(f.data.c_str(), O_RDONLY);
  if (fd < 0) Die("open");
  std::vector<char> block(8192);
  long bytes = 0;
  ssize_t got;
  while ((got = ::read(fd, block.data(), block.size())) > 0) bytes += got;
  ::close(fd);
  return bytes / kRecord;
}

long CopyWithKrac(const Files& f, const std::string& out) {
  DTF in = Open(f, f.data, 1), o = Open(f, out, 2);
  if (KRACOpen(&in) != 0 || KRACOpen(&o) != 0) Die("KRACOpen");
  long n = 0;
  while (KRACRead(&in) == 0) {
    std::memcpy(o.record_area, in.record_area, kRecord);
    if (KRACWrite(&o) != 0) Die("KRACWrite");
    ++n;
  }
  if (KRACClose(&o) != 0) Die("KRACClose");
  KRACClose(&in);
  KRACRinfFree(&in);
  KRACRinfFree(&o);
  return n;
}

long CopyWithSequential(const Files& f, const std::string& out) {
  QelFileHandle hi = -1, ho = -1;
  if (IsuSamOpen(f.data.c_str(), 0, 438, 0, &hi) != 0) Die("IsuSamOpen");
  if (IsuSamOpen(out.c_str(), 0x301, 438, 0, &ho) != 0) Die("IsuSamOpen");
  IsuSamCtl *ci = nullptr, *co = nullptr;
  if (IsuSamTAlloc(&ci, 8192) != 0 || IsuSamTAlloc(&co, 8192) != 0) Die("IsuSamTAlloc");
  char r[kRecord];
  IsuSamSetF(ci, hi, r, kRecord, kRecord);
  IsuSamSetF(co, ho, r, kRecord, kRecord);
  long n = 0;
  uint16_t len = 0;
  while (IsuSamGet(ci, &len) == 0) {
    if (IsuSamPut(co, kRecord) != 0) Die("IsuSamPut");
    ++n;
  }
  IsuSamFlush(co);
  IsuSamClose(hi);
  IsuSamClose(ho);
  IsuSamTFree(ci);
  IsuSamTFree(co);
  return n;
}

long FetchByNumber(const Files& f, long records) {
  DTF d = Open(f, f.data, 3);
  OpenRequest open = {0, nullptr, 0};
  if (KRACOpen2(&d, &open) != 1) Die("KRACOpen2");
  char text[256];
  GetRequest get = {1, text};
  for (long i = 1; i <= records; ++i) {
    std::snprintf(text, sizeof text, "%ld", i);
    if (KRACGet(&d, &get) != 0) Die("KRACGet");
  }
  KRACClose2(&d);
  KRACRinfFree(&d);
  return records;
}

long PreadEach(const Files& f, long records) {
  int fd = ::open(f.data.c_str(), O_RDWR);
  if (fd < 0) Die("open");
  char r[kRecord];
  for (long i = 0; i < records; ++i) {
    if (::pread(fd, r, kRecord, i * kRecord) != kRecord) Die("pread");
  }
  ::close(fd);
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: recacc_bench MIB [DIR]\n");
    return 2;
  }
  long mib = std::atol(argv[1]);
  const char* tmp = std::getenv("TMPDIR");
  std::string base = argc > 2 ? argv[2] : (tmp != nullptr && *tmp ? tmp : ".");
  long records = mib * (1 << 20) / kRecord;
  Files f = Prepare(base, records);
  std::printf("%ld records of %d bytes (%ld MiB)\n", records, kRecord, mib);
  long n = 0;
  double bytes = Seconds([&] { n = ReadBytes(f); });
  Report("read() in 8 KiB blocks (baseline)", n, bytes, bytes);
  double seq = Seconds([&] { n = ReadWithSequential(f); });
  Report("IsuSamGet", n, seq, bytes);
  double krac = Seconds([&] { n = ReadWithKrac(f); });
  Report("KRACRead", n, krac, bytes);
  std::printf("KRACRead / IsuSamGet time: %.2f\n", krac / seq);
  std::string out = f.dir + "/COPY.DAT";
  double copy_seq = Seconds([&] { n = CopyWithSequential(f, out); });
  Report("IsuSamGet+IsuSamPut copy (baseline)", n, copy_seq, copy_seq);
  double copy_krac = Seconds([&] { n = CopyWithKrac(f, out); });
  Report("KRACRead+KRACWrite copy", n, copy_krac, copy_seq);
  long fetches = std::min(records, 200000L);
  double pread_each = Seconds([&] { n = PreadEach(f, fetches); });
  Report("pread() per record (baseline)", n, pread_each, pread_each);
  double by_number = Seconds([&] { n = FetchByNumber(f, fetches); });
  Report("KRACGet by record number", n, by_number, pread_each);
  std::remove(out.c_str());
  std::remove(f.data.c_str());
  std::remove((f.dir + "/BENCH.RDF").c_str());
  std::remove(f.definition.c_str());
  ::rmdir(f.dir.c_str());
  return 0;
}
