// CSV field reader on arbitrary bytes: the first byte picks the separator and
// the title option; every field must fit the caller's buffer and the reader
// must reach an end.
#include <cstdlib>
#include <vector>

#include "fuzz/xformio_fuzz_file.h"
#include "xformio/qelxformio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  char separator[2] = {static_cast<char>(data[0] & 0x7F ? data[0] : ','), '\0'};
  int title = data[0] & 0x80 ? 1 : 0;
  qel::fuzz::WriteScratch(data + 1, size - 1);
  QelFileHandle h = CsvfileOpen(qel::fuzz::ScratchPath().c_str(), 0, title, separator);
  if (h < 0) abort();
  static std::vector<char> field(65535);
  // Every call consumes at least one byte or ends: more calls than bytes
  // means the reader loops.
  for (size_t calls = 0; calls <= size + 2; ++calls) {
    int32_t length = -1, kind = -1;
    int r = CsvfieldGet(h, field.data(), &length, &kind);
    if (r != 0) break;
    if (length < 0 || length > 65535) abort();
    if (kind == 2) {
      CsvfileClose(h);
      return 0;
    }
    if (calls == size + 2) abort();
  }
  CsvfileClose(h);
  return 0;
}
