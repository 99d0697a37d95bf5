// Whole blocks of fixed-length records read straight from a sequential
// file's descriptor, a few system calls a block instead of one control-block
// call a record.
//
// The control block reads the first record (and with it checks the file's
// kind); Start then marks its buffer used up and puts the descriptor right
// after that record. Read fills whole records until the end of the file, a
// short last record or a failed read; there it puts the descriptor back
// after the last whole record and stops, so that the control block takes
// over again at the first record not taken and reports each of them exactly
// as it always has.
#ifndef QEL_XFORMIO_DIRECT_RECORDS_H_
#define QEL_XFORMIO_DIRECT_RECORDS_H_

#include <cstddef>
#include <cstdint>

#include "platform/file.h"
#include "platform/system_error.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {

class DirectRecords {
 public:
  enum class Result {
    kFull,        // every record asked for was read
    kHandedBack,  // fewer; the control block goes on after them
    kSeekFailed,  // fewer, and the descriptor could not be put back: the
                  // reading fails there (error())
  };

  // Starts reading past the first record of `file` when the control block
  // `ctl` has just read it, its records are fixed-length records of `length`
  // bytes, and blocks hold more than one record. False: the control block
  // goes on reading alone.
  bool Start(IsuSamCtl* ctl, platform::FileHandle file, std::size_t length,
             std::size_t per_block) {
    if (per_block <= 1 || ctl == nullptr || ctl->recfm != 1 || ctl->reclen != length ||
        ctl->blkcount == 0 || platform::SeekFile(file, static_cast<int64_t>(length), 0) < 0) {
      return false;
    }
    ctl->blkoff = ctl->blkcount;
    ctl->endoff = ctl->blkcount;
    ctl->split = '0';
    file_ = file;
    length_ = length;
    taken_ = 1;
    active_ = true;
    return true;
  }

  bool active() const { return active_; }

  // Reads up to `records` records into `into`; *got is the number read whole.
  // After any result but kFull the reading is no longer direct.
  Result Read(std::uint8_t* into, std::size_t records, std::size_t* got) {
    const std::size_t want = records * length_;
    std::size_t bytes = 0;
    while (bytes < want) {
      int64_t n = platform::ReadFile(file_, into + bytes, want - bytes);
      if (n <= 0) break;
      bytes += static_cast<std::size_t>(n);
    }
    *got = bytes / length_;
    taken_ += *got;
    if (*got == records) return Result::kFull;
    active_ = false;
    if (platform::SeekFile(file_, static_cast<int64_t>(taken_ * length_), 0) < 0) {
      error_ = platform::LastSystemError();
      return Result::kSeekFailed;
    }
    return Result::kHandedBack;
  }

  int error() const { return error_; }

 private:
  platform::FileHandle file_ = platform::kInvalidFile;
  std::size_t length_ = 0;
  std::uint64_t taken_ = 0;  // records taken from the file, the first included
  bool active_ = false;
  int error_ = 0;
};

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_DIRECT_RECORDS_H_
