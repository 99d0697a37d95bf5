// The execution object CKREXDoc: the run loop of a rework procedure, shared
// by the batch and the window program, with the logs of a run.
//
// KRMVINF header record (128 bytes, one per run):
//   offset  size  meaning
//   0       16    "*** KRMV_INF ***"
//   16      4     run counter of the program, 32-bit little-endian (first run 1)
//   20      108   zero
// followed, for the first record of the run, by one MoveDesc image per move
// (edit_engine.h).
//
// KRSCLOG, once per run after the first selection (128-byte records, blank
// filled): the time stamp; per condition a record with key item, operator
// and comparison-list address (32-bit little-endian at 0, 4, 8) and the first
// comparison element's image from offset 16 (kind, item, constant address,
// next address, check result: 32-bit; any-string and any-one characters: one
// byte each), one record per further element with its image from offset 16;
// the prefix form (continued in a second record beyond 128 bytes); one blank
// record.
#ifndef QEL_REWORK_EXECUTION_H_
#define QEL_REWORK_EXECUTION_H_

#include <atomic>
#include <cstdint>
#include <string>

#include "rework/edit_engine.h"
#include "rework/zovoz_document.h"

namespace qel::rework {

inline constexpr std::size_t kLogRecordSize = 128;
// Result of a run that a cancel request stopped.
inline constexpr int kRunCancelled = -1;
// Run results of KCNDSelect1 that end a run.
inline constexpr int kSelectKeyInvalid = 2235;
inline constexpr int kSelectComparisonInvalid = 2236;

// Writes the system-information block to the RWORK log. With `batch_form`
// its last line names the windowless run of the window program
// ("実行形態=バッチ") instead of the procedure's form.
void WriteSystemInformation(const CZovozDoc& doc, bool batch_form = false);

class CKREXDoc {
 public:
  CKREXDoc(CZovozDoc* document, CKRMVDoc* engine) : doc_(document), engine_(engine) {}

  // Runs the procedure over the whole input: 0 when it completed, the
  // message number of the failure, or kRunCancelled. A fixed-length
  // sequential input with a sequential output is selected and edited a block
  // of records at a time on xformio::WorkThreads() threads (QEL_THREADS);
  // records are still read and written in order on the calling thread, and
  // everything observable (output, counts, message, item, logs) is that of a
  // run on one thread. Other files go one record at a time.
  int Run();

  // Asks the running loop to stop before its next block of records (before
  // its next record when it goes one at a time). Safe from another thread; a
  // request made before the loop starts stops it before its first record.
  void RequestCancel() { cancel_ = true; }

  // Counts of the run so far; safe to read from another thread while it runs.
  int64_t records_read() const { return read_.load(std::memory_order_relaxed); }
  int64_t records_written() const { return written_.load(std::memory_order_relaxed); }
  // The descriptor of a sequential input while the loop reads it, else -1
  // (for a progress line's percent); safe from another thread.
  int input_file() const { return input_file_.load(std::memory_order_relaxed); }
  // 0-based item index of the failing item (selection or move), see Run.
  int error_item() const { return error_item_; }
  // Sub-code of the last record-access failure, and its DTF.
  const std::string& sub_code() const { return sub_code_; }
  const DTF* failed_file() const { return failed_; }
  int message() const { return message_; }

  // Run counter of the program: the number of runs begun.
  static int32_t run_counter();

 private:
  void LogSelection() const;

  CZovozDoc* doc_;
  CKRMVDoc* engine_;
  std::atomic<bool> cancel_{false};
  std::atomic<int64_t> read_{0};
  std::atomic<int64_t> written_{0};
  std::atomic<int> input_file_{-1};
  int error_item_ = 0;
  std::string sub_code_;
  const DTF* failed_ = nullptr;
  int message_ = 0;
};

}  // namespace qel::rework

#endif  // QEL_REWORK_EXECUTION_H_
