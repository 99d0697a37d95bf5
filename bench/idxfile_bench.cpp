// Helper of bench/idxfile_bench.sh:
//   idxfile_bench gen COUNT FILE   writes COUNT 100-byte records in a shuffled
//                                  order: primary key 0..9, alternate 10..19
//   idxfile_bench read NAME        reads NAME in primary key order to its end
//                                  through isread and prints the count
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "idxfile/idxfile.h"

namespace {

int gen(long count, const char* path) {
  std::vector<std::uint32_t> order(static_cast<size_t>(count));
  for (long i = 0; i < count; ++i) order[static_cast<size_t>(i)] = static_cast<std::uint32_t>(i);
  std::uint64_t seed = 88172645463325252ull;
  for (size_t i = order.size(); i > 1; --i) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    std::swap(order[i - 1], order[seed % i]);
  }
  FILE* out = std::fopen(path, "wb");
  if (!out) return 1;
  char rec[101];
  for (std::uint32_t n : order) {
    // The alternate key runs backwards, so that both indexes fill out of order.
    std::snprintf(rec, sizeof rec, "K%09uA%09lu%-80s", n, static_cast<unsigned long>(count - n),
                  "data of the record");
    std::fwrite(rec, 1, 100, out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

int read_all(const char* name) {
  int fd = isopen(name, ISINPUT);
  if (fd < 0) {
    std::fprintf(stderr, "idxfile_bench: cannot open %s: error %d\n", name, IsGetLastErrno());
    return 1;
  }
  char rec[100];
  long n = 0;
  while (isread(fd, rec, ISNEXT) == 0) ++n;
  int e = IsGetLastErrno();
  isclose(fd);
  if (e != EENDFILE) {
    std::fprintf(stderr, "idxfile_bench: read stopped with error %d\n", e);
    return 1;
  }
  std::printf("%ld records read\n", n);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "gen") == 0) return gen(std::atol(argv[2]), argv[3]);
  if (argc == 3 && std::strcmp(argv[1], "read") == 0) return read_all(argv[2]);
  std::fprintf(stderr, "usage: idxfile_bench gen COUNT FILE | read NAME\n");
  return 1;
}
