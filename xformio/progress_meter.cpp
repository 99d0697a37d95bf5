// The terminal progress line. The meter's thread samples the run a few
// times a second; the run itself does nothing for it but keep its counts.
#include "xformio/progress_meter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/ui_hooks.h"

namespace qel::xformio {
namespace {

constexpr auto kFirstDraw = std::chrono::milliseconds(500);
constexpr auto kPeriod = std::chrono::milliseconds(250);

std::mutex active_mutex;
ProgressMeter* active_meter = nullptr;

void WriteAll(const std::string& text) {
  std::size_t off = 0;
  while (off < text.size()) {
    ssize_t n = ::write(STDERR_FILENO, text.data() + off, text.size() - off);
    if (n <= 0) return;
    off += static_cast<std::size_t>(n);
  }
}

std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

int PercentRead(int file) {
  if (file < 0) return -1;
  struct stat st {};
  if (::fstat(file, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return -1;
  off_t at = ::lseek(file, 0, SEEK_CUR);
  if (at < 0) return -1;
  if (at >= st.st_size) return 100;
  return static_cast<int>(static_cast<double>(at) * 100.0 / static_cast<double>(st.st_size));
}

std::string ProgressMeter::Line(std::uint64_t records, int percent, double per_second) {
  std::string line = Grouped(records) + " records";
  if (percent >= 0) line += "  " + std::to_string(percent) + "%";
  line += "  " + Grouped(static_cast<std::uint64_t>(per_second > 0 ? per_second : 0)) +
          " records/s";
  return line;
}

ProgressMeter::ProgressMeter(Probe probe) : probe_(std::move(probe)) {
  if (::isatty(STDERR_FILENO) != 1) return;
  start_ = std::chrono::steady_clock::now();
  {
    std::lock_guard lock(active_mutex);
    if (active_meter != nullptr) return;  // one line on a terminal at a time
    active_meter = this;
  }
  platform::SetConsoleLineHook(&ProgressMeter::ClearActive);
  try {
    thread_ = std::thread(&ProgressMeter::Loop, this);
  } catch (const std::system_error&) {
    // No thread: the run goes on without its progress line.
    platform::SetConsoleLineHook(nullptr);
    std::lock_guard lock(active_mutex);
    active_meter = nullptr;
  }
}

ProgressMeter::~ProgressMeter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  platform::SetConsoleLineHook(nullptr);
  {
    std::lock_guard lock(active_mutex);
    active_meter = nullptr;
  }
  std::lock_guard lock(mutex_);
  Clear();
}

void ProgressMeter::ClearActive() {
  std::lock_guard active(active_mutex);
  if (active_meter == nullptr) return;
  std::lock_guard lock(active_meter->mutex_);
  active_meter->Clear();
  active_meter->skip_ = true;
}

void ProgressMeter::Clear() {
  if (!drawn_) return;
  WriteAll("\r\x1b[K");
  drawn_ = false;
}

void ProgressMeter::Loop() {
  std::unique_lock lock(mutex_);
  if (wake_.wait_for(lock, kFirstDraw, [this] { return stop_; })) return;
  for (;;) {
    if (skip_) {
      skip_ = false;
    } else {
      lock.unlock();
      Sample sample = probe_();
      lock.lock();
      if (stop_) return;
      Draw(sample);
    }
    if (wake_.wait_for(lock, kPeriod, [this] { return stop_; })) return;
  }
}

void ProgressMeter::Draw(const Sample& sample) {
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  double rate = seconds > 0 ? static_cast<double>(sample.records) / seconds : 0;
  WriteAll("\r" + Line(sample.records, PercentRead(sample.input_file), rate) + "\x1b[K");
  drawn_ = true;
}

}  // namespace qel::xformio
