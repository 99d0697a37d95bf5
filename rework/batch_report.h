// Reporting of the rework programs' failures: which arguments a message of a
// procedure read or of a run takes.
#ifndef QEL_REWORK_BATCH_REPORT_H_
#define QEL_REWORK_BATCH_REPORT_H_

#include <array>
#include <string>

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

}  // namespace qel::rework

#endif  // QEL_REWORK_BATCH_REPORT_H_
