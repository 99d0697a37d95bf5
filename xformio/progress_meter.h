// The progress line of the console programs' long runs: records done,
// percent of the input read and the rate, redrawn a few times a second on
// standard error by a thread of its own, and only while standard error is a
// terminal. It is cleared before every console message (the message library
// calls the console-line hook) and when the meter ends, so that messages,
// logs and output files are exactly what they are without it. A run shorter
// than half a second shows nothing.
#ifndef QEL_XFORMIO_PROGRESS_METER_H_
#define QEL_XFORMIO_PROGRESS_METER_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "xformio/qelxformio.h"

namespace qel::xformio {

class QEL_XFORMIO_EXPORT ProgressMeter {
 public:
  struct Sample {
    std::uint64_t records = 0;  // records done so far
    int input_file = -1;        // the input's descriptor while it is open, else -1
  };
  using Probe = std::function<Sample()>;

  // Starts the meter when standard error is a terminal; `probe` is called
  // from the meter's thread and must be safe there (atomics).
  explicit ProgressMeter(Probe probe);
  ~ProgressMeter();
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  bool active() const { return thread_.joinable(); }

  // The line for a sample, without the carriage return: "1,234,567 records
  // 45%  2,345,678 records/s". percent < 0 leaves the percent out.
  static std::string Line(std::uint64_t records, int percent, double per_second);

 private:
  static void ClearActive();
  void Loop();
  void Draw(const Sample& sample);
  void Clear();  // REQUIRES: mutex_ held

  Probe probe_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool drawn_ = false;
  bool skip_ = false;  // a message was just written: wait one period
  std::chrono::steady_clock::time_point start_;
  std::thread thread_;
};

// The percent of a file's bytes before its current position, or -1 when it
// has no size or cannot be positioned.
QEL_XFORMIO_EXPORT int PercentRead(int file);

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_PROGRESS_METER_H_
