// Helper of bench/idxfile_dups_bench.sh, for indexed files whose alternate
// keys WITH DUPLICATES hold few values shared by many records:
//
//   idxfile_dups_bench gen COUNT FILE
//       writes COUNT 60-byte records in a scrambled order:
//         offset  size  meaning
//              0    10  primary key "K" + 9 digits
//             10    10  unique alternate key "U" + 9 digits (runs backwards)
//             20     4  duplicates key of about 100 values
//             24     6  duplicates key of about 1,000 values
//             30    30  filler
//   idxfile_dups_bench singles NAME FIRST COUNT
//       opens the indexed file NAME for update and times COUNT single
//       iswrite calls of new records numbered from FIRST; prints the
//       processor microseconds per call
//   idxfile_dups_bench onevalue NAME COUNT
//       builds NAME with one duplicates key, puts COUNT entries under one
//       value, and prints the processor microseconds per iswrite of the
//       first and of the last 10,000 of them and their ratio
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "idxfile/idxfile.h"

namespace {

constexpr int kRecordSize = 60;

std::uint64_t g_seed = 88172645463325252ull;
std::uint64_t next_random() {
  g_seed ^= g_seed << 13;
  g_seed ^= g_seed >> 7;
  g_seed ^= g_seed << 17;
  return g_seed;
}

// Record number `n` with the unique alternate key `unique` (9 digits).
void fill(char* rec, std::uint32_t n, std::uint32_t unique) {
  char text[kRecordSize + 1];
  // The duplicates keys take their values from a hash of the number, so that
  // every value's entries arrive spread over the whole run.
  std::uint64_t h = (n + 1) * 0x9e3779b97f4a7c15ull;
  std::snprintf(text, sizeof text, "K%09uU%09uB%03uC%05u%-30s", n % 1000000000u,
                unique % 1000000000u, static_cast<unsigned>((h >> 20) % 100),
                static_cast<unsigned>((h >> 40) % 1000), "data of the record");
  std::memcpy(rec, text, kRecordSize);
}

int gen(long count, const char* path) {
  std::vector<std::uint32_t> order(static_cast<size_t>(count));
  for (long i = 0; i < count; ++i) order[static_cast<size_t>(i)] = static_cast<std::uint32_t>(i);
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[next_random() % i]);
  FILE* out = std::fopen(path, "wb");
  if (!out) return 1;
  char rec[kRecordSize];
  for (std::uint32_t n : order) {
    fill(rec, n, static_cast<std::uint32_t>(count) - n);
    std::fwrite(rec, 1, kRecordSize, out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

// Processor time of this process: other load on the machine does not
// inflate it, as it does wall-clock time.
double cpu_seconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

int singles(const char* name, long first, long count) {
  int fd = isopen(name, ISINOUT | ISEXCLLOCK);
  if (fd < 0) {
    std::fprintf(stderr, "idxfile_dups_bench: cannot open %s: error %d\n", name, IsGetLastErrno());
    return 1;
  }
  char rec[kRecordSize];
  double t0 = cpu_seconds();
  for (long i = 0; i < count; ++i) {
    // Numbers above the generated ones, unique keys below 999,999,999.
    std::uint32_t n = static_cast<std::uint32_t>(first + i);
    fill(rec, n, 999999999u - n);
    if (iswrite(fd, rec) != 0) {
      std::fprintf(stderr, "idxfile_dups_bench: write %ld failed: error %d\n", i, IsGetLastErrno());
      isclose(fd);
      return 1;
    }
  }
  double s = cpu_seconds() - t0;
  if (isclose(fd) != 0) return 1;
  std::printf("%.1f\n", s * 1e6 / static_cast<double>(count));
  return 0;
}

int onevalue(const char* name, long count) {
  keydesc primary = {};
  primary.k_flags = ISNODUPS;
  primary.k_nparts = 1;
  primary.k_part[0] = {0, 10, CHARTYPE};
  int fd = isbuild(name, kRecordSize, &primary, ISINOUT | ISEXCLLOCK);
  keydesc dups = {};
  dups.k_flags = ISDUPS;
  dups.k_nparts = 1;
  dups.k_part[0] = {20, 4, CHARTYPE};
  if (fd < 0 || isaddindex(fd, &dups) != 0) {
    std::fprintf(stderr, "idxfile_dups_bench: cannot make %s: error %d\n", name, IsGetLastErrno());
    return 1;
  }
  constexpr long kSample = 10000;
  if (count < 2 * kSample) count = 2 * kSample;
  char rec[kRecordSize];
  double first_s = 0, last_s = 0;
  double t0 = cpu_seconds();
  for (long i = 0; i < count; ++i) {
    if (i == kSample) first_s = cpu_seconds() - t0;
    if (i == count - kSample) t0 = cpu_seconds();
    fill(rec, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(count - i));
    std::memcpy(rec + 20, "SAME", 4);
    if (iswrite(fd, rec) != 0) {
      std::fprintf(stderr, "idxfile_dups_bench: write %ld failed: error %d\n", i, IsGetLastErrno());
      isclose(fd);
      return 1;
    }
  }
  last_s = cpu_seconds() - t0;
  if (isclose(fd) != 0) return 1;
  double first_us = first_s * 1e6 / kSample, last_us = last_s * 1e6 / kSample;
  std::printf("%.1f %.1f %.2f\n", first_us, last_us, last_us / first_us);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "gen") == 0) return gen(std::atol(argv[2]), argv[3]);
  if (argc == 5 && std::strcmp(argv[1], "singles") == 0)
    return singles(argv[2], std::atol(argv[3]), std::atol(argv[4]));
  if (argc == 4 && std::strcmp(argv[1], "onevalue") == 0)
    return onevalue(argv[2], std::atol(argv[3]));
  std::fprintf(stderr,
               "usage: idxfile_dups_bench gen COUNT FILE | singles NAME FIRST COUNT |"
               " onevalue NAME COUNT\n");
  return 1;
}
