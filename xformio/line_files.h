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
#include <vector>

#include "platform/file.h"

namespace qel::xformio {

inline constexpr size_t kMaxFieldSize = 65535;
inline constexpr unsigned char kQuote = '"';
inline constexpr unsigned char kEofMark = 0x1A;
// Read and write blocks. Larger than the 64 KiB a line may need, so that a
// refill moves the unread tail and reads once, never the same bytes twice.
inline constexpr size_t kDefaultBufferSize = 256 * 1024;

enum EndKind : int32_t { kEndSeparator = 0, kEndLine = 1, kEndData = 2 };

// Reads blocks of one file into a buffer that keeps unread bytes on refill.
class BlockReader {
 public:
  BlockReader(platform::FileHandle file, size_t buffer_size);
  // Moves [keep_from, valid) to the front and reads one block after it.
  // Returns the number of bytes read (0: end of file), -1 on a read error.
  int64_t Refill(size_t keep_from);
  // Makes the buffer at least `size` bytes large (false: no memory).
  bool Reserve(size_t size);

  std::vector<unsigned char> buffer_;
  size_t valid_ = 0;
  size_t scan_ = 0;
  bool at_end_ = false;  // the file has no more data

 private:
  platform::FileHandle file_;
};

// Buffers output and writes it in blocks.
class BlockWriter {
 public:
  BlockWriter(platform::FileHandle file, size_t buffer_size);
  // Appends bytes; false on a write error.
  bool Append(const unsigned char* data, size_t size);
  // Appends `data` and then `tail` (a line end or separator).
  bool Append(const unsigned char* data, size_t size, const unsigned char* tail,
              size_t tail_size);
  // Writes out everything buffered; false on a write error.
  bool Flush();

 private:
  platform::FileHandle file_;
  std::vector<unsigned char> buffer_;
  size_t used_ = 0;
};

class CsvReader {
 public:
  CsvReader(platform::FileHandle file, unsigned char separator, bool skip_title,
            size_t buffer_size = kDefaultBufferSize);
  // Reads one field into `field` (at least kMaxFieldSize bytes). 0 with the
  // length and end kind; -1 read error; -2 malformed or too long field.
  // While the title flag is set the call passes the first line and returns
  // an empty field (end kind 1, or 2 when the file ended first).
  int Get(unsigned char* field, size_t* length, int32_t* end_kind);

 private:
  enum class Scan { kDone, kMalformed, kNeedMore };
  Scan ScanField(unsigned char* field, size_t* length, int32_t* end_kind);
  int SkipTitle(int32_t* end_kind);

  BlockReader in_;
  unsigned char separator_;
  bool skip_title_;
  bool stop_[256] = {};  // bytes that end a run of ordinary field bytes
};

class CsvWriter {
 public:
  CsvWriter(platform::FileHandle file, unsigned char separator,
            size_t buffer_size = kDefaultBufferSize);
  // end kind 0: field and separator; 1: field and CR LF; 2: the field, then
  // everything buffered is written out. false on a write error or a bad kind.
  bool Put(const unsigned char* field, size_t length, int end_kind);

 private:
  BlockWriter out_;
  unsigned char separator_;
};

class TextReader {
 public:
  explicit TextReader(platform::FileHandle file, size_t buffer_size = kDefaultBufferSize);
  // See TxtGet in qelxformio.h. -1 on a read error, no memory or capacity < 2.
  int Get(unsigned char* line, size_t capacity, int32_t* end_kind, size_t* length);
  // See TxtSkip. Adds the data bytes passed to *count.
  int Skip(int64_t* count, int32_t* end_kind);

 private:
  BlockReader in_;
  bool ended_ = false;  // 0x1A met: nothing after it is data
};

class TextWriter {
 public:
  explicit TextWriter(platform::FileHandle file, size_t buffer_size = kDefaultBufferSize);
  // end kind 1: the text up to its first NUL (at most `length` bytes, without
  // a final '\n') and CR LF; 2: write out the buffer. false on failure.
  bool Put(const unsigned char* text, size_t length, int end_kind);

 private:
  BlockWriter out_;
};

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_LINE_FILES_H_
