// Variable-length reader on arbitrary bytes: header check, then records
// through small blocks so that records and length words straddle them.
#include <cstdlib>
#include <cstring>

#include "fuzz/xformio_fuzz_file.h"
#include "xformio/qelxformio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel::fuzz::WriteScratch(data, size);
  QelFileHandle h = -1;
  if (IsuSamOpen(qel::fuzz::ScratchPath().c_str(), 0, 438, 0, &h) != 0) abort();
  unsigned char header[128];
  int32_t kind = -1;
  int r = IsuSamHeadGet(h, header, &kind);
  if (r == 0 && kind == 0) {
    uint32_t max, min;
    std::memcpy(&max, header + 64, 4);
    std::memcpy(&min, header + 68, 4);
    if (min == 0 || max < min || max > 65535) abort();
    // Blocks just large enough for the longest record.
    uint16_t blksize = static_cast<uint16_t>(max);
    IsuSamCtl* ctl = nullptr;
    if (IsuSamTAlloc(&ctl, blksize) != 0) abort();
    static unsigned char record[65535];
    IsuSamSetV(ctl, h, record, static_cast<uint16_t>(max), static_cast<uint16_t>(min),
               static_cast<uint16_t>(max));
    uint16_t len = 0;
    size_t records = 0;
    while ((r = IsuSamGet(ctl, &len)) == 0) {
      if (len < min || len > max) abort();
      if (++records > size) abort();
    }
    if (r == -1 && IsuSamRefStat(ctl) != 2 && IsuSamRefStat(ctl) != 1) abort();
    IsuSamTFree(ctl);
  }
  IsuSamClose(h);
  return 0;
}
