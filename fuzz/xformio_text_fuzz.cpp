// Text line reader on arbitrary bytes: the first byte picks the capacity;
// lines stay NUL-terminated within it, the skip accounts for every byte, and
// the reader reaches the end.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/xformio_fuzz_file.h"
#include "xformio/qelxformio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int32_t capacity = 2 + data[0] % 64;
  qel::fuzz::WriteScratch(data + 1, size - 1);
  QelFileHandle h = TxtOpen(qel::fuzz::ScratchPath().c_str(), 0);
  if (h < 0) abort();
  std::vector<char> line(static_cast<size_t>(capacity) + 1);
  int64_t seen = 0;
  for (size_t calls = 0;; ++calls) {
    if (calls > size + 2) abort();
    line[static_cast<size_t>(capacity)] = 0x55;
    int32_t kind = -1, length = -1;
    if (TxtGet(h, line.data(), capacity, &kind, &length) != 0) abort();
    if (line[static_cast<size_t>(capacity)] != 0x55) abort();
    if (length < 0 || length > capacity - 2) abort();
    if (std::memchr(line.data(), 0, static_cast<size_t>(capacity)) == nullptr) abort();
    seen += length;
    if (kind == 0) {
      int32_t count = 0, skip_kind = -1;
      if (TxtSkip(h, &count, &skip_kind) != 0 || count < 0) abort();
      seen += count;
    }
    if (kind == 2 && length == 0) break;
  }
  if (seen > static_cast<int64_t>(size)) abort();
  TxtClose(h);
  return 0;
}
