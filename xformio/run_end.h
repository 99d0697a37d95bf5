// How a run that writes one output file ends, the same in the converters and
// in the rework programs, so that a failure is never reported as a success:
//
// 1. After the record loop the output's buffered records are written out
//    and the files closed before anything else is reported; a write failure
//    already reported by the loop is not tried or reported a second time.
// 2. The count message is shown only when the loop ran to its end and the
//    output was written out and closed: it never claims records that did not
//    reach the file.
// 3. The run succeeds only when the loop ran to its end and every file was
//    written out and closed; anything else ends the program with exit code 1.
#ifndef QEL_XFORMIO_RUN_END_H_
#define QEL_XFORMIO_RUN_END_H_

namespace qel::xformio {

enum class RunLoop { kDone, kFailed, kCancelled };

// The run's outcome from its loop and from writing out (`written`) and
// closing (`closed`) its files.
constexpr RunLoop RunOutcome(RunLoop loop, bool written, bool closed) {
  if (loop == RunLoop::kFailed || !written || !closed) return RunLoop::kFailed;
  return loop;
}

// Whether the count message may be shown.
constexpr bool MayShowCount(RunLoop loop, bool written, bool closed) {
  return RunOutcome(loop, written, closed) == RunLoop::kDone;
}

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_RUN_END_H_
