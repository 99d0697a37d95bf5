// Sequential files: the block-buffered record reader and writer over the
// control block, positioned block access, the variable-length header and the
// open/close wrappers. The on-disk layouts are described in qelxformio.h.
#include <cstdlib>
#include <cstring>

#include "platform/file.h"
#include "platform/system_error.h"
#include "xformio/file_open.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {
namespace {

// Identification of a variable-length file at offset 8. Changing it breaks
// every existing variable-length file.
inline constexpr char kIdent[6] = {'F', 'S', 'V', ' ', ' ', ' '};
inline constexpr int kHeaderSize = 128;
inline constexpr int kIdentOffset = 8;
inline constexpr int kMaxOffset = 64;
inline constexpr int kMinOffset = 68;

uint32_t LoadLe32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void StoreLe32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

bool HasIdent(const unsigned char* block, size_t count) {
  return count >= static_cast<size_t>(kHeaderSize) &&
         std::memcmp(block + kIdentOffset, kIdent, sizeof kIdent) == 0;
}

int Fail(IsuSamCtl* ctl, int status) {
  ctl->status = status;
  // Parameter and record errors have no system error behind them; a stale
  // code from an earlier call must not be reported as their cause.
  if (status == ISUSAM_ST_PARAM) platform::SetLastSystemError(kErrorInvalidParameter);
  return -1;
}

// Reads up to `size` bytes, repeating short reads, for the 128-byte header.
int64_t ReadFully(platform::FileHandle file, unsigned char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    int64_t n = platform::ReadFile(file, buffer + done, size - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool FixedParamsValid(const IsuSamCtl* ctl) {
  return ctl->reclen != 0 && ctl->reclen <= ctl->blksize && ctl->reclen <= ctl->recbufsize;
}

bool VariableParamsValid(const IsuSamCtl* ctl) {
  return ctl->maxlen != 0 && ctl->minlen != 0 && ctl->minlen <= ctl->maxlen &&
         ctl->maxlen <= ctl->blksize && ctl->maxlen <= ctl->recbufsize;
}

// Moves `size` bytes from the block stream to `out`, reading further blocks
// as needed. An end of file inside the item is status 2 (through SamRead).
int Take(IsuSamCtl* ctl, unsigned char* out, size_t size) {
  while (true) {
    size_t avail = ctl->blkcount - ctl->blkoff;
    if (size <= avail) {
      std::memcpy(out, ctl->blkbuf + ctl->blkoff, size);
      ctl->blkoff = static_cast<uint16_t>(ctl->blkoff + size);
      ctl->endoff = ctl->blkoff;
      ctl->split = '0';
      return 0;
    }
    std::memcpy(out, ctl->blkbuf + ctl->blkoff, avail);
    out += avail;
    size -= avail;
    ctl->split = '1';
    int r = SamRead(ctl);
    if (r != 0) return r == 1 ? Fail(ctl, ISUSAM_ST_RECLEN) : -1;
    ctl->blkoff = 0;
  }
}

// Appends bytes to the block buffer, writing every block that fills.
int Append(IsuSamCtl* ctl, const unsigned char* data, size_t size) {
  while (size > 0) {
    size_t room = ctl->blksize - ctl->blkoff;
    if (size < room) {
      std::memcpy(ctl->blkbuf + ctl->blkoff, data, size);
      ctl->blkoff = static_cast<uint16_t>(ctl->blkoff + size);
      ctl->endoff = ctl->blkoff;
      return 0;
    }
    std::memcpy(ctl->blkbuf + ctl->blkoff, data, room);
    if (SamWrite(ctl) != 0) return -1;
    ctl->blkoff = 0;
    ctl->endoff = 0;
    data += room;
    size -= room;
  }
  return 0;
}

// Reads the next block, or the first one on the first call, and restarts at
// offset 0. 0, 1 at end of file, -1.
int NextBlock(IsuSamCtl* ctl) {
  int r = SamRead(ctl);
  if (r == 0) ctl->blkoff = 0;
  return r;
}

void Reset(IsuSamCtl* ctl) {
  unsigned char* blkbuf = ctl->blkbuf;
  uint16_t blksize = ctl->blksize;
  std::memset(ctl, 0, sizeof *ctl);
  ctl->blkbuf = blkbuf;
  ctl->blksize = blksize;
  ctl->split = '0';
  ctl->access = 3;
}

}  // namespace
}  // namespace qel::xformio

using namespace qel;
using namespace qel::xformio;

extern "C" {

int IsuSamOpen(const char* name, int flags, int /*permission*/, int /*reserved*/,
               QelFileHandle* handle) {
  if (handle == nullptr) return -1;
  *handle = OpenWithFlags(name, flags);
  if (*handle != platform::kInvalidFile) return 0;
  return platform::LastSystemError() == platform::kErrorFileExists ? -2 : -1;
}

int IsuSamTAlloc(IsuSamCtl** ctl, uint16_t blksize) {
  if (ctl == nullptr) return -1;
  void* memory = std::calloc(1, sizeof(IsuSamCtl) + blksize);
  if (memory == nullptr) {
    platform::SetLastSystemError(kErrorNotEnoughMemory);
    *ctl = nullptr;
    return -1;
  }
  *ctl = static_cast<IsuSamCtl*>(memory);
  (*ctl)->blkbuf = reinterpret_cast<unsigned char*>(*ctl + 1);
  (*ctl)->blksize = blksize;
  return 0;
}

void IsuSamSetF(IsuSamCtl* ctl, QelFileHandle handle, void* recbuf, uint16_t recbufsize,
                uint16_t reclen) {
  if (ctl == nullptr) return;
  Reset(ctl);
  ctl->recfm = 1;
  ctl->handle = handle;
  ctl->recbuf = static_cast<unsigned char*>(recbuf);
  ctl->recbufsize = recbuf != nullptr ? recbufsize : 0;
  ctl->reclen = reclen;
}

void IsuSamSetV(IsuSamCtl* ctl, QelFileHandle handle, void* recbuf, uint16_t recbufsize,
                uint16_t minlen, uint16_t maxlen) {
  if (ctl == nullptr) return;
  Reset(ctl);
  ctl->recfm = 0;
  ctl->handle = handle;
  ctl->recbuf = static_cast<unsigned char*>(recbuf);
  ctl->recbufsize = recbuf != nullptr ? recbufsize : 0;
  ctl->minlen = minlen;
  ctl->maxlen = maxlen;
}

int IsuSamSetRec(IsuSamCtl* ctl, void* recbuf, uint16_t recbufsize) {
  if (ctl == nullptr) return -1;
  ctl->recbuf = static_cast<unsigned char*>(recbuf);
  ctl->recbufsize = recbuf != nullptr ? recbufsize : 0;
  uint16_t needed = ctl->recfm == 1 ? ctl->reclen : ctl->maxlen;
  if (ctl->recbufsize < needed) return Fail(ctl, ISUSAM_ST_PARAM);
  return 0;
}

int IsuSamHeadGet(QelFileHandle handle, void* buffer128, int32_t* kind) {
  if (buffer128 == nullptr || kind == nullptr) return -1;
  auto* header = static_cast<unsigned char*>(buffer128);
  int64_t n = ReadFully(handle, header, kHeaderSize);
  if (n < 0) return -1;
  if (n < kHeaderSize) return -2;
  if (!HasIdent(header, kHeaderSize)) {
    *kind = 1;
    return 0;
  }
  uint32_t max = LoadLe32(header + kMaxOffset);
  uint32_t min = LoadLe32(header + kMinOffset);
  // Lengths beyond 16 bits cannot be held by the control block; taking their
  // low bits would misread every record.
  if (max == 0 || min == 0 || max < min || max > 0xFFFF) return -2;
  *kind = 0;
  return 0;
}

int IsuSamHeadPut(QelFileHandle handle, uint16_t minlen, uint16_t maxlen) {
  if (minlen == 0 || maxlen == 0 || maxlen < minlen) return -2;
  unsigned char header[kHeaderSize] = {};
  std::memcpy(header + kIdentOffset, kIdent, sizeof kIdent);
  StoreLe32(header + kMaxOffset, maxlen);
  StoreLe32(header + kMinOffset, minlen);
  return platform::WriteFile(handle, header, sizeof header) == kHeaderSize ? 0 : -1;
}

int SamRead(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  int64_t n = platform::ReadFile(ctl->handle, ctl->blkbuf, ctl->blksize);
  if (n < 0) return Fail(ctl, ISUSAM_ST_IO);
  if (n == 0) return ctl->split == '1' ? Fail(ctl, ISUSAM_ST_RECLEN) : 1;
  ctl->blkcount = static_cast<uint16_t>(n);
  return 0;
}

int SFixGet(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  if (ctl->blkcount == 0) {
    if (!FixedParamsValid(ctl)) return Fail(ctl, ISUSAM_ST_PARAM);
    int r = NextBlock(ctl);
    if (r != 0) return r;
    if (HasIdent(ctl->blkbuf, ctl->blkcount)) return Fail(ctl, ISUSAM_ST_KIND);
  }
  if (ctl->blkoff == ctl->blkcount) {
    int r = NextBlock(ctl);
    if (r != 0) return r;
  }
  return Take(ctl, ctl->recbuf, ctl->reclen);
}

int SValGet(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  if (ctl->blkcount == 0) {
    if (!VariableParamsValid(ctl)) return Fail(ctl, ISUSAM_ST_PARAM);
    int r = NextBlock(ctl);
    if (r != 0) return r;
  }
  if (ctl->blkoff == ctl->blkcount) {
    int r = NextBlock(ctl);
    if (r != 0) return r;
  }
  unsigned char word[4];
  if (Take(ctl, word, sizeof word) != 0) return -1;
  uint16_t n = static_cast<uint16_t>(LoadLe32(word) & 0xFFFF);
  if (n < ctl->minlen || n > ctl->maxlen) return Fail(ctl, ISUSAM_ST_RECLEN);
  if (ctl->blkoff == ctl->blkcount) {
    ctl->split = '1';
    int r = SamRead(ctl);
    if (r != 0) return r == 1 ? Fail(ctl, ISUSAM_ST_RECLEN) : -1;
    ctl->blkoff = 0;
  }
  if (Take(ctl, ctl->recbuf, n) != 0) return -1;
  ctl->reclen = n;
  return 0;
}

int IsuSamGet(IsuSamCtl* ctl, uint16_t* reclen) {
  if (ctl == nullptr) return -1;
  // A fixed-length record that lies wholly in the block read last: what
  // SFixGet does for it, without the calls.
  if (ctl->recfm == 1 && ctl->blkcount != 0) {
    uint32_t offset = ctl->blkoff;
    uint32_t end = offset + ctl->reclen;
    if (offset < ctl->blkcount && end <= ctl->blkcount) {
      std::memcpy(ctl->recbuf, ctl->blkbuf + offset, ctl->reclen);
      ctl->blkoff = static_cast<uint16_t>(end);
      ctl->endoff = end;
      ctl->split = '0';
      if (reclen != nullptr) *reclen = ctl->reclen;
      return 0;
    }
  }
  int r = ctl->recfm == 1 ? SFixGet(ctl) : SValGet(ctl);
  if (r == 0 && reclen != nullptr) *reclen = ctl->reclen;
  return r;
}

int SamWrite(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  if (platform::WriteFile(ctl->handle, ctl->blkbuf, ctl->blksize) != ctl->blksize) {
    return Fail(ctl, ISUSAM_ST_IO);
  }
  return 0;
}

int SamFixRPut(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  if (ctl->blkoff == 0 && ctl->endoff == 0 && !FixedParamsValid(ctl)) {
    return Fail(ctl, ISUSAM_ST_PARAM);
  }
  return Append(ctl, ctl->recbuf, ctl->reclen);
}

int SamValRPut(IsuSamCtl* ctl, uint16_t reclen) {
  if (ctl == nullptr) return -1;
  if (ctl->blkoff == 0 && ctl->endoff == 0 && !VariableParamsValid(ctl)) {
    return Fail(ctl, ISUSAM_ST_PARAM);
  }
  // The length is the caller's, but the bytes come from the record buffer:
  // never read past it.
  if (reclen > ctl->recbufsize) return Fail(ctl, ISUSAM_ST_PARAM);
  unsigned char word[4];
  StoreLe32(word, reclen);
  if (Append(ctl, word, sizeof word) != 0) return -1;
  return Append(ctl, ctl->recbuf, reclen);
}

int IsuSamPut(IsuSamCtl* ctl, uint16_t reclen) {
  if (ctl == nullptr) return -1;
  // A fixed-length record that fits the block with room to spare, past the
  // first put of the block (which checks the parameters): what SamFixRPut
  // does for it, without the calls.
  if (ctl->recfm == 1 && (ctl->blkoff != 0 || ctl->endoff != 0)) {
    uint32_t offset = ctl->blkoff;
    uint32_t end = offset + ctl->reclen;
    if (end < ctl->blksize) {
      std::memcpy(ctl->blkbuf + offset, ctl->recbuf, ctl->reclen);
      ctl->blkoff = static_cast<uint16_t>(end);
      ctl->endoff = end;
      return 0;
    }
  }
  return ctl->recfm == 1 ? SamFixRPut(ctl) : SamValRPut(ctl, reclen);
}

int IsuSamFlush(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  if (ctl->blkoff == 0) return 0;
  if (platform::WriteFile(ctl->handle, ctl->blkbuf, ctl->blkoff) != ctl->blkoff) {
    return Fail(ctl, ISUSAM_ST_IO);
  }
  return 0;
}

int IsuSamRefStat(IsuSamCtl* ctl) { return ctl != nullptr ? ctl->status : ISUSAM_ST_PARAM; }

int IsuSamClose(QelFileHandle handle) { return platform::CloseFile(handle) ? 0 : -1; }

void IsuSamTFree(IsuSamCtl* ctl) { std::free(ctl); }

int32_t IsuSamRead(IsuSamCtl* ctl, int32_t offset, int origin) {
  if (ctl == nullptr) return -1;
  if (ctl->recfm != 1 || ctl->recbufsize > ctl->blksize || ctl->blksize == 0 ||
      origin < 0 || origin > 2) {
    return Fail(ctl, ISUSAM_ST_PARAM);
  }
  int64_t position = platform::SeekFile(ctl->handle, offset, origin);
  if (position < 0) return Fail(ctl, ISUSAM_ST_IO);
  if (position > INT32_MAX) return Fail(ctl, ISUSAM_ST_PARAM);
  int64_t n = platform::ReadFile(ctl->handle, ctl->blkbuf, ctl->blksize);
  if (n < 0) return Fail(ctl, ISUSAM_ST_IO);
  if (n == 0) return ctl->split == '1' ? Fail(ctl, ISUSAM_ST_RECLEN) : 1;
  ctl->blkcount = static_cast<uint16_t>(n);
  // A block shorter than the record is a truncated last record: delivering
  // it would hand out stale bytes of an earlier block.
  if (n < ctl->recbufsize) return Fail(ctl, ISUSAM_ST_RECLEN);
  std::memcpy(ctl->recbuf, ctl->blkbuf, ctl->recbufsize);
  return static_cast<int32_t>(position);
}

int32_t IsuSamWrite(IsuSamCtl* ctl, int32_t offset, int origin) {
  if (ctl == nullptr) return -1;
  if (ctl->recfm != 1 || ctl->recbufsize > ctl->blksize || ctl->blksize == 0 ||
      origin < 0 || origin > 2) {
    return Fail(ctl, ISUSAM_ST_PARAM);
  }
  if (platform::SeekFile(ctl->handle, offset, origin) < 0) return Fail(ctl, ISUSAM_ST_IO);
  std::memcpy(ctl->blkbuf, ctl->recbuf, ctl->recbufsize);
  if (platform::WriteFile(ctl->handle, ctl->blkbuf, ctl->blksize) != ctl->blksize) {
    return Fail(ctl, ISUSAM_ST_IO);
  }
  return ctl->blksize;
}

int32_t IsuSamSizeGet(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  int64_t size = platform::FileSize(ctl->handle);
  if (size < 0) return Fail(ctl, ISUSAM_ST_IO);
  if (size >= (int64_t{1} << 31)) return -1;
  return static_cast<int32_t>(size);
}

int IsuSamFix(IsuSamCtl* ctl) {
  if (ctl == nullptr) return -1;
  // Looks at the start of the file without moving the caller's position.
  int64_t position = platform::SeekFile(ctl->handle, 0, 1);
  if (position < 0 || platform::SeekFile(ctl->handle, 0, 0) < 0) return Fail(ctl, ISUSAM_ST_IO);
  unsigned char header[kHeaderSize];
  int64_t n = ReadFully(ctl->handle, header, sizeof header);
  if (n < 0) return Fail(ctl, ISUSAM_ST_IO);
  if (platform::SeekFile(ctl->handle, position, 0) < 0) return Fail(ctl, ISUSAM_ST_IO);
  if (HasIdent(header, static_cast<size_t>(n))) return Fail(ctl, ISUSAM_ST_KIND);
  return 0;
}

// The run-time's file lock is not taken by this system: the exclusive open
// already keeps every other user out.
int KVIsuExclCBL(QelFileHandle /*handle*/) { return 0; }
int KVIsuShareCBL(QelFileHandle /*handle*/) { return 0; }

}  // extern "C"
