// Cuts a CSV or text file into blocks of whole lines, so that each block can
// be read on its own by a CsvReader or TextReader loaded with it (see
// BlockReader::Load) and give what one reader over the whole file gives.
//
// A CSV line ends at a CR LF outside a quoted field. The quotes are counted
// from the start of the data (after the title line, which ends at its first
// LF): a CR LF after an even number of quotes ends a line. In a well-formed
// file that is exactly where the reader ends its lines; where a file is
// malformed, the block holding the first malformed line begins where a
// line begins and reaches past the fault, so the reader still finds the
// first fault where one reader over the whole file finds it.
// A text line ends at LF; an end-of-file mark 0x1A ends the data, and
// nothing after it is read.
//
// A line longer than the longest block (64 MiB) is not cut: the splitter
// stops there and hands back the bytes it holds, for the caller to read the
// rest of the file as one stream.
#ifndef QEL_XFORMIO_LINE_SPLIT_H_
#define QEL_XFORMIO_LINE_SPLIT_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {

class QEL_XFORMIO_EXPORT LineSplitter {
 public:
  enum class Kind { kCsv, kText };
  enum class Result {
    kBlock,     // `out` holds whole lines and more may follow
    kLast,      // `out` holds the rest of the data (maybe no line end)
    kNone,      // nothing more to read
    kFailed,    // a read failed: `out` holds the whole lines before the
                // failure; nothing follows. The system error is in error().
    kTooLong,   // no line end within the longest block: nothing in `out`;
                // TakeRest() gives the bytes held, the file goes on after them
  };

  // `file` is read from its current position. `title_line`: the data begin
  // with a CSV title line. `block_size`: bytes a block aims at.
  LineSplitter(platform::FileHandle file, Kind kind, bool title_line, std::size_t block_size);

  // The next block into out[0, *size) (out may grow; its capacity is kept).
  Result Next(std::vector<unsigned char>& out, std::size_t* size);

  int error() const { return error_; }
  std::vector<unsigned char> TakeRest();

  static constexpr std::size_t kLongestBlock = std::size_t{64} << 20;

 private:
  // Reads at least `want` more bytes unless the file ends first; false on a
  // read error.
  bool ReadMore(std::size_t want);
  // Looks at the bytes from scanned_ to size_ for line ends.
  void Scan();

  platform::FileHandle file_;
  Kind kind_;
  bool title_ = false;  // the title line's LF is still to be found
  std::size_t block_size_;
  std::vector<unsigned char> data_;  // held bytes, padded for the scans
  std::size_t size_ = 0;             // bytes held
  std::size_t scanned_ = 0;          // bytes looked at for line ends
  std::size_t last_end_ = 0;         // just past the last line end found, 0: none
  bool in_quotes_ = false;           // after an odd number of quotes (CSV)
  bool cr_before_ = false;           // the byte before scanned_ is CR (CSV)
  bool at_end_ = false;              // the file has no more data (or a 0x1A was met)
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_LINE_SPLIT_H_
