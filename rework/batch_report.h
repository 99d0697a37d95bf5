// Reporting of the rework programs' failures: which arguments a message of a
// procedure read or of a run takes.
#ifndef QEL_REWORK_BATCH_REPORT_H_
#define QEL_REWORK_BATCH_REPORT_H_

#include <array>
#include <string>
#include <vector>

#include "rework/execution.h"
#include "rework/zovoz_document.h"

namespace qel::rework {

struct Report {
  int message = 0;                    // 0: nothing to report
  std::array<std::string, 5> args{};  // the message's "%s" in order
};

// The message of a failed read: `result` and `line` as the reader left them.
Report ReadFailure(const CZovozDoc& doc, int result, int line, const std::string& path);

// The message of a finished run.
Report RunResult(const CZovozDoc& doc, const CKREXDoc& run, int result);

// The message of a failed close of `dtf`.
Report CloseFailure(const DTF& dtf, uint32_t status);

// The record-access message of `status` in `dtf` with the file names it takes.
Report AccessFailure(const DTF& dtf, uint32_t status);

// The end of a run (xformio/run_end.h): closes both files of `doc`, whose
// output's close writes out its buffered records, and answers the messages
// to show, in order, and whether the run succeeded. The count message
// KRWN2052 comes only when the run completed and both files closed; a close
// failure that repeats the run's own failure on the same file (the write of
// the last block failing once more) is not shown twice.
// REQUIRES: `run` has just run over `doc` with the result `result`.
struct RunEnd {
  std::vector<Report> reports;
  bool succeeded = false;
};
RunEnd EndRun(CZovozDoc& doc, const CKREXDoc& run, int result);

}  // namespace qel::rework

#endif  // QEL_REWORK_BATCH_REPORT_H_
