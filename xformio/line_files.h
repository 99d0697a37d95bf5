// The CSV field reader and writer and the text line reader and writer.
//
// CSV dialect (bytes; Shift-JIS passes through, no byte is a lead byte):
//   line   := field (SEP field)* CR LF
//   field  := bare | '"' any-bytes-but-quote '"'
//   bare   := bytes other than SEP, the pair CR LF and '"'
// A quote opens a quoted field only as its first byte; a closing quote must
// be followed by SEP or CR LF. A doubled quote is no escape. A lone CR or LF
// is an ordinary byte. After the last CR LF the file may hold one 0x1A byte;
// a last line without CR LF is malformed. A field value holds at most 65535
// bytes.
//
// Text files: lines ended by CR LF or a lone LF; 0x1A ends the data; the last
// line may lack its line end. The writer ends every line with CR LF.
#ifndef QEL_XFORMIO_LINE_FILES_H_
#define QEL_XFORMIO_LINE_FILES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/file.h"
#include "xformio/byte_scan.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {

inline constexpr size_t kMaxFieldSize = 65535;
inline constexpr unsigned char kQuote = '"';
inline constexpr unsigned char kEofMark = 0x1A;
// Read and write blocks. Larger than the 64 KiB a line may need, so that a
// refill moves the unread tail and reads once, never the same bytes twice.
inline constexpr size_t kDefaultBufferSize = 256 * 1024;

enum EndKind : int32_t { kEndSeparator = 0, kEndLine = 1, kEndData = 2 };

// Copies `n` bytes; short runs (most fields) without a library call.
inline void CopyBytes(unsigned char* to, const unsigned char* from, size_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + n - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + n - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + n - 4, &tail, 4);
  } else if (n > 0) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// Reads blocks of one file into a buffer that keeps unread bytes on refill.
// The buffer holds capacity_ bytes of data and kScanPad more, so that the
// scanners of byte_scan.h may read whole groups up to the end of the data.
// Appends bytes as they stand to the writer of the one open CSV or text
// file (`handle`, as CsvfileOpen or TxtOpen gave it): lines made elsewhere,
// each with its CR LF. 0, or -1 on a write error or a wrong handle.
QEL_XFORMIO_EXPORT int CsvfileWriteBytes(int handle, const unsigned char* data, size_t size);
QEL_XFORMIO_EXPORT int TxtWriteBytes(int handle, const unsigned char* data, size_t size);

class QEL_XFORMIO_EXPORT BlockReader {
 public:
  BlockReader(platform::FileHandle file, size_t buffer_size);
  // Moves [keep_from, valid) to the front and reads one block after it.
  // Returns the number of bytes read (0: end of file), -1 on a read error.
  int64_t Refill(size_t keep_from);
  // Makes the buffer hold at least `size` bytes of data (false: no memory).
  bool Reserve(size_t size);
  // Puts `size` bytes of `data` at the front of the buffer as the next bytes
  // to read. Without `more`, they are all there is: the reader ends at their
  // end and never reads its file (a reader over one block of a file read by
  // someone else). With `more`, reading goes on in the file after them.
  // False when there is no memory for them.
  bool Load(const unsigned char* data, size_t size, bool more);
  // As Load without `more`, taking the first `size` bytes of `data` (which
  // holds kScanPad bytes more) by exchanging buffers: `data` gets the old
  // buffer back.
  void Adopt(std::vector<unsigned char>& data, size_t size);

  std::vector<unsigned char> buffer_;
  size_t capacity_;  // bytes of data the buffer holds
  size_t valid_ = 0;
  size_t scan_ = 0;
  bool at_end_ = false;   // the file has no more data
  uint64_t refills_ = 0;  // calls of Refill: a change means the bytes have moved

 private:
  platform::FileHandle file_;
};

// Buffers output and writes it in blocks.
class QEL_XFORMIO_EXPORT BlockWriter {
 public:
  BlockWriter(platform::FileHandle file, size_t buffer_size);
  // Appends bytes; false on a write error.
  bool Append(const unsigned char* data, size_t size);
  // Appends `data` and then `tail` (a line end or separator).
  bool Append(const unsigned char* data, size_t size, const unsigned char* tail,
              size_t tail_size) {
    if (used_ + size + tail_size <= buffer_.size()) {
      unsigned char* to = buffer_.data() + used_;
      CopyBytes(to, data, size);
      for (size_t i = 0; i < tail_size; ++i) to[size + i] = tail[i];
      used_ += size + tail_size;
      return true;
    }
    return Append(data, size) && Append(tail, tail_size);
  }
  // Appends `data` and the first `tail_size` (1 or 2) bytes of `tail`, the
  // first byte at the lower address, when that leaves a byte to spare in the
  // buffer; false (nothing appended) when it does not.
  [[gnu::always_inline]] bool TryAppend(const unsigned char* data, size_t size,
                                        const unsigned char (&tail)[2], size_t tail_size) {
    if (size + 2 > buffer_.size() - used_) return false;
    unsigned char* to = buffer_.data() + used_;
    CopyBytes(to, data, size);
    // Both tail bytes are stored; a second byte beyond tail_size is
    // overwritten by what comes next.
    std::memcpy(to + size, tail, 2);
    used_ += size + tail_size;
    return true;
  }
  // Writes out everything buffered; false on a write error.
  bool Flush();

 private:
  platform::FileHandle file_;
  std::vector<unsigned char> buffer_;
  size_t used_ = 0;
};

class QEL_XFORMIO_EXPORT CsvReader {
 public:
  CsvReader(platform::FileHandle file, unsigned char separator, bool skip_title,
            size_t buffer_size = kDefaultBufferSize);
  // Reads one field into `field` (at least kMaxFieldSize bytes). 0 with the
  // length and end kind; -1 read error; -2 malformed or too long field.
  // While the title flag is set the call passes the first line and returns
  // an empty field (end kind 1, or 2 when the file ended first).
  // Makes the reader read `size` bytes of `data` (see BlockReader::Load),
  // with the title line still to pass when `skip_title`. False: no memory.
  bool Load(const unsigned char* data, size_t size, bool skip_title, bool more);
  // As Load without `more`, exchanging buffers (see BlockReader::Adopt).
  // False: no memory.
  bool Adopt(std::vector<unsigned char>& data, size_t size, bool skip_title);

  int Get(unsigned char* field, size_t* length, int32_t* end_kind) {
    int32_t n;
    if (TryGet(field, &n, end_kind)) {
      *length = static_cast<size_t>(n);
      return 0;
    }
    return GetSlow(field, length, end_kind);
  }

  // As Get, but a field that lies whole in the buffer is not copied:
  // *data points at it there (valid until the next call), or else at
  // `field`, which then holds it.
  [[gnu::always_inline]] int View(unsigned char* field, const unsigned char** data, size_t* length,
                                  int32_t* end_kind) {
    size_t from, to;
    if (TryFind(&from, &to, end_kind)) {
      *data = in_.buffer_.data() + from;
      *length = to - from;
      return 0;
    }
    *data = field;
    return GetSlow(field, length, end_kind);
  }

  // The common case of Get: a field, bare or quoted, that ends inside the
  // buffer with its separator or CR LF. true with the field, its length and
  // end kind; false, with nothing read or changed, for everything else
  // (refills, malformed fields, the end of the data, the title line), which
  // Get then takes the full way.
  [[gnu::always_inline]] bool TryGet(unsigned char* field, int32_t* length, int32_t* end_kind) {
    size_t from, to;
    if (!TryFind(&from, &to, end_kind)) return false;
    CopyBytes(field, in_.buffer_.data() + from, to - from);
    *length = static_cast<int32_t>(to - from);
    return true;
  }

  // Finds the field of TryGet: its bytes are [*from, *to) of the buffer,
  // and the reader has moved past it.
  [[gnu::always_inline]] bool TryFind(size_t* field_from, size_t* field_to, int32_t* end_kind) {
    const unsigned char* b = in_.buffer_.data();
    const size_t start = in_.scan_;
    const size_t valid = in_.valid_;
    if (skip_title_) return false;
    size_t j = NextStop(start);
    if (j + 1 >= valid) return false;
    size_t from = start, to = j;
    unsigned char c = b[j];
    if (c == kQuote && j == start && separator_ != kQuote) {
      // Separators and CRs before the closing quote are data.
      to = NextStop(j + 1);
      while (to < valid && b[to] != kQuote) to = NextStop(to + 1);
      from = j + 1;
      j = to + 1;
      if (j + 1 >= valid) return false;
      c = b[j];
    }
    size_t next;
    int32_t kind;
    if (c == 0x0D && b[j + 1] == 0x0A) {
      kind = kEndLine;
      next = j + 2;
    } else if (c == separator_) {
      kind = kEndSeparator;
      next = j + 1;
    } else {
      return false;
    }
    if (to - from > kMaxFieldSize) return false;
    *field_from = from;
    *field_to = to;
    *end_kind = kind;
    in_.scan_ = next;
    return true;
  }

 private:
  enum class Scan { kDone, kMalformed, kNeedMore };

  // The first stop byte at or after `from` (which is at most valid_), or a
  // position >= valid_ when [from, valid_) has none: one look at the stop
  // bits for most fields, whose bytes are not examined again.
  [[gnu::always_inline]] size_t NextStop(size_t from) const {
    const uint64_t* words = stop_bits_.data();
    size_t w = from / 64;
    uint64_t bits = words[w] & (~uint64_t{0} << (from % 64));
    while (bits == 0) bits = words[++w];
    return w * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  }
  // Makes the stop bits for the bytes now in the buffer.
  void MarkStops();
  // After Load or Adopt: room for the stop bits of the new buffer, and the
  // stop bits. False: no memory.
  bool Loaded(bool skip_title);

  // Every way that can move or refill the buffer; the stop bits are made
  // anew when the buffer changed.
  [[gnu::noinline]] int GetSlow(unsigned char* field, size_t* length, int32_t* end_kind) {
    int r = GetFull(field, length, end_kind);
    if (in_.refills_ != marked_refills_) MarkStops();
    return r;
  }
  int GetFull(unsigned char* field, size_t* length, int32_t* end_kind);
  Scan ScanField(unsigned char* field, size_t* length, int32_t* end_kind);
  int SkipTitle(int32_t* end_kind);

  BlockReader in_;
  unsigned char separator_;
  bool skip_title_;
  // The bytes that end a run of ordinary field bytes: the separator, CR and
  // the quote.
  ByteScan stops_;
  // Bit i of word w: a stop byte at offset 64 w + i of the buffer, for the
  // words that cover [0, valid_); the word after them has every bit set, so
  // that a search ends there. Bits for offsets past valid_ mean nothing.
  std::vector<uint64_t> stop_bits_;
  uint64_t marked_refills_ = 0;  // in_.refills_ when the stop bits were made
};

class QEL_XFORMIO_EXPORT CsvWriter {
 public:
  CsvWriter(platform::FileHandle file, unsigned char separator,
            size_t buffer_size = kDefaultBufferSize);
  // end kind 0: field and separator; 1: field and CR LF; 2: the field, then
  // everything buffered is written out. false on a write error or a bad kind.
  bool Put(const unsigned char* field, size_t length, int end_kind) {
    if (TryPut(field, length, end_kind)) return true;
    if (end_kind == kEndSeparator) return out_.Append(field, length, &separator_, 1);
    if (end_kind == kEndLine) return out_.Append(field, length, kLineEnd, 2);
    return PutEnd(field, length, end_kind);
  }

  // Appends bytes as they stand (whole lines made elsewhere); false on a
  // write error.
  bool PutBytes(const unsigned char* data, size_t size) { return out_.Append(data, size); }

  // The common case of Put: end kind 0 or 1 and room in the buffer. false,
  // with nothing written, for everything else.
  [[gnu::always_inline]] bool TryPut(const unsigned char* field, size_t length, int end_kind) {
    if (end_kind == kEndSeparator) return out_.TryAppend(field, length, separator_pair_, 1);
    if (end_kind == kEndLine) return out_.TryAppend(field, length, kLineEnd, 2);
    return false;
  }

 private:
  static constexpr unsigned char kLineEnd[2] = {0x0D, 0x0A};
  bool PutEnd(const unsigned char* field, size_t length, int end_kind);

  BlockWriter out_;
  unsigned char separator_;
  unsigned char separator_pair_[2];  // the separator and a byte to spare
};

class QEL_XFORMIO_EXPORT TextReader {
 public:
  explicit TextReader(platform::FileHandle file, size_t buffer_size = kDefaultBufferSize);
  // Makes the reader read `size` bytes of `data` (see BlockReader::Load).
  // False: no memory.
  bool Load(const unsigned char* data, size_t size, bool more);
  // As Load without `more`, exchanging buffers (see BlockReader::Adopt).
  void Adopt(std::vector<unsigned char>& data, size_t size);
  // See TxtGet in qelxformio.h. -1 on a read error, no memory or capacity < 2.
  int Get(unsigned char* line, size_t capacity, int32_t* end_kind, size_t* length);
  // See TxtSkip. Adds the data bytes passed to *count.
  int Skip(int64_t* count, int32_t* end_kind);

 private:
  BlockReader in_;
  bool ended_ = false;  // 0x1A met: nothing after it is data
};

class QEL_XFORMIO_EXPORT TextWriter {
 public:
  explicit TextWriter(platform::FileHandle file, size_t buffer_size = kDefaultBufferSize);
  // end kind 1: the text up to its first NUL (at most `length` bytes, without
  // a final '\n') and CR LF; 2: write out the buffer. false on failure.
  bool Put(const unsigned char* text, size_t length, int end_kind);
  // Appends bytes as they stand (whole lines made elsewhere); false on a
  // write error.
  bool PutBytes(const unsigned char* data, size_t size) { return out_.Append(data, size); }

 private:
  BlockWriter out_;
};

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_LINE_FILES_H_
