// The run loop and the logs of a run. Every look-up is done before the loop
// starts; the loop reads and writes records in order on the calling thread
// and, for a fixed-length sequential input, selects and builds them a block
// at a time on every core (xformio/ordered_blocks.h).
#include "rework/execution.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "filter/qelfilter.h"
#include "message/qelmessage.h"
#include "platform/ui_hooks.h"
#include "xformio/direct_records.h"
#include "xformio/ordered_blocks.h"
#include "xformio/qelxformio.h"

namespace qel::rework {

namespace {

int32_t g_run_counter = 0;

constexpr int kEndOfFile = 2690;
constexpr int kReadError = 3622;  // the record-access status of a failed read

void Put32(char* record, std::size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<char>(v >> (8 * i));
}

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void CompImage(char* record, const SelCompEntry& e) {
  Put32(record, 16, static_cast<uint32_t>(e.kind));
  Put32(record, 20, static_cast<uint32_t>(e.item));
  Put32(record, 24, Address(e.constant));
  Put32(record, 28, Address(e.next));
  Put32(record, 32, static_cast<uint32_t>(e.check_result));
  record[36] = e.any_string;
  record[37] = e.any_one;
}

void Line(const char* text) { KMSOFileOut(kLogRework, text); }

template <typename... Args>
void Linef(const char* format, Args... args) {
  char buffer[2048];
  std::snprintf(buffer, sizeof buffer, format, args...);
  Line(buffer);
}

void NameLine(const char* with_name, const char* without, const std::string& name) {
  if (name.empty()) {
    Line(without);
  } else {
    Linef(with_name, name.c_str());
  }
}

}  // namespace

int32_t CKREXDoc::run_counter() { return g_run_counter; }

void WriteSystemInformation(const CZovozDoc& doc, bool batch_form) {
  const ProcedureSettings& s = doc.settings;
  char time[KMSO_TIME_SIZE];
  KMSOGetTime(time);
  Linef("%s \x83\x56\x83\x58\x83\x65\x83\x80\x8f\xee\x95\xf1-------------------------------\n",
        time);
  if (doc.run_phase == 2 && !doc.procedure_path.empty()) {
    Linef("\x8e\xe8\x8f\x87\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =%s\n",
          doc.procedure_path.c_str());
  }
  NameLine("\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =%s\n",
           "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =\x82\xc8\x82\xb5\n",
           s.in_data);
  NameLine(
      "\x93\xfc\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=%s\n",
      "\x93\xfc\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=\x82\xc8\x82\xb5\n",
      s.in_def);
  NameLine("\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =%s\n",
           "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc    =\x82\xc8\x82\xb5\n",
           s.out_data);
  NameLine(
      "\x8f\x6f\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=%s\n",
      "\x8f\x6f\x97\xcd\x92\xe8\x8b\x60\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc=\x82\xc8\x82\xb5\n",
      s.out_def);
  Linef(
      "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\x63\x82\x73\x82\x65\x83\x41\x83\x68\x83"
      "\x8c\x83\x58=%x\n",
      Address(&doc.input));
  Linef(
      "\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\x63\x82\x73\x82\x65\x83\x41\x83\x68\x83"
      "\x8c\x83\x58=%x\n",
      Address(&doc.output));
  Linef(
      "\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x83\x65\x81\x5b\x83\x75\x83\x8b\x83\x41\x83\x68\x83\x8c\x83"
      "\x58=%x\n",
      Address(doc.conditions.data()));
  Linef("\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x90\x94=%d\n", doc.condition_count);
  Linef(
      "\x88\xda\x93\xae\x8d\x80\x96\xda\x83\x8a\x83\x58\x83\x67\x90\xe6\x93\xaa\x83\x41\x83\x68\x83"
      "\x8c\x83\x58=%x\n",
      Address(doc.edit_list));
  Linef(
      "\x94\x43\x88\xd3\x82\xcc\x95\xb6\x8e\x9a\x97\xf1\x83\x81\x83\x5e\x95\xb6\x8e\x9a='%c' "
      "(0x%-2x) , "
      "\x94\x43\x88\xd3\x82\xcc\x82\x50\x95\xb6\x8e\x9a\x83\x81\x83\x5e\x95\xb6\x8e\x9a='%c' "
      "(0x%-2x)\n",
      s.meta_all, static_cast<unsigned char>(s.meta_all), s.meta_one,
      static_cast<unsigned char>(s.meta_one));
  Line(s.method == kMethodSameName
           ? "\x95\xd2\x8f\x57\x95\xfb\x96\x40=\x93\xaf\x88\xea\x8d\x80\x96\xda\n"
           : "\x95\xd2\x8f\x57\x95\xfb\x96\x40=\x8e\x77\x92\xe8\x8d\x80\x96\xda\n");
  Line(s.copy ? "\x95\xd2\x8f\x57\x91\x4f\x82\xcc\x95\xa1\x8e\xca\x8e\x77\x92\xe8="
                "\x95\xa1\x8e\xca\x8c\xe3\x82\xc9\x95\xd2\x8f\x57\n"
              : "\x95\xd2\x8f\x57\x91\x4f\x82\xcc\x95\xa1\x8e\xca\x8e\x77\x92\xe8="
                "\x95\xa1\x8e\xca\x82\xb5\x82\xc8\x82\xa2\x82\xc5\x95\xd2\x8f\x57\n");
  Line(s.big_endian ? "big endian\x95\xd2\x8f\x57=\x97\x4c\x8c\xf8\n"
                    : "big endian\x95\xd2\x8f\x57=\x96\xb3\x8c\xf8\n");
  Line(s.blank_when_zero ? "BLANK WHEN ZERO\x8b\xe5=\x97\x4c\x8c\xf8\n"
                         : "BLANK WHEN ZERO\x8b\xe5=\x96\xb3\x8c\xf8\n");
  if (s.expression.empty()) {
    Line("\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x8e\xae=''\n");
  } else {
    Linef("\x91\x49\x91\xf0\x8f\xf0\x8c\x8f\x8e\xae='%s'\n", s.expression.c_str());
  }
  if (batch_form) {
    Line("\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x83\x6f\x83\x62\x83\x60\n");
  } else {
    Line(s.form == kFormSelection ? "\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x91\x49\x91\xf0\n"
                                  : "\x8e\xc0\x8d\x73\x8c\x60\x91\xd4=\x95\xd2\x8f\x57\n");
  }
  KMSOFileRound(kLogRework, std::string(63, '-').append("\n").c_str());
}

void CKREXDoc::LogSelection() const {
  char record[kLogRecordSize];
  auto blank = [&record] { std::memset(record, ' ', sizeof record); };
  auto out = [&record] { KMSOBinaryOut(kLogSelection, record, sizeof record); };
  blank();
  char time[KMSO_TIME_SIZE];
  KMSOGetTime(time);
  std::memcpy(record, time, std::strlen(time));
  out();
  for (int c = 0; c < doc_->condition_count; ++c) {
    const SelCondEntry& cond = doc_->conditions[c];
    blank();
    Put32(record, 0, static_cast<uint32_t>(cond.key_item));
    Put32(record, 4, static_cast<uint32_t>(cond.op));
    Put32(record, 8, Address(cond.comparisons));
    if (cond.comparisons != nullptr) CompImage(record, *cond.comparisons);
    out();
    for (const SelCompEntry* e = cond.comparisons != nullptr ? cond.comparisons->next : nullptr;
         e != nullptr; e = e->next) {
      blank();
      CompImage(record, *e);
      out();
    }
  }
  std::string_view prefix(doc_->settings.prefix.data());
  do {
    blank();
    std::size_t n = std::min(prefix.size(), kLogRecordSize);
    std::memcpy(record, prefix.data(), n);
    prefix.remove_prefix(n);
    out();
  } while (!prefix.empty());
  blank();
  out();
}

namespace {

// How a record of a block ended its work.
enum Outcome : std::uint8_t { kPassedOver, kToWrite, kFailedSelection, kFailedEdit };

// Bytes of records (input and output) in one block when the run is spread
// over threads: enough that a worker spends about a millisecond on a block,
// so that handing blocks between threads costs nothing per record, with the
// whole pool kept within kPoolBytes whatever the number of threads.
constexpr std::size_t kBlockBytes = 512 * 1024;
constexpr std::size_t kMinBlockBytes = 32 * 1024;
constexpr std::size_t kPoolBytes = 16 * 1024 * 1024;
constexpr int kNoMemory = 2364;

std::size_t RecordsPerBlock(unsigned threads, std::size_t in_length, std::size_t out_length) {
  std::size_t bytes =
      std::clamp(kPoolBytes / xformio::PoolSize(threads), kMinBlockBytes, kBlockBytes);
  return std::max<std::size_t>(1, bytes / (in_length + out_length + 1));
}

// Aligned so that a worker finishing one block shares no cache line with
// the thread reading or writing the next.
struct alignas(64) Block {
  std::vector<std::uint8_t> input, output;  // `count` records back to back
  std::vector<Outcome> outcome;
  std::size_t count = 0;   // records read into the block
  std::size_t worked = 0;  // records worked, a failing one last
  int message = 0;         // the failing record's message and item
  int item = 0;
};

// A worker's copy of the input DTF, whose record area it points at each of
// its records for the selection; one cache line apart from the others.
struct alignas(64) SelectionView {
  DTF dtf;
};

bool Organisation(const DTF& dtf, const char* code) {
  return std::strncmp(dtf.organisation, code, sizeof dtf.organisation) == 0;
}

// Records of a fixed-length sequential input do not depend on each other,
// and a sequential output takes them in any size of batch.
bool BlocksAllowed(const DTF& in, const DTF& out) {
  bool fixed = std::strncmp(in.record_format, "F", sizeof in.record_format) == 0 ||
               std::strncmp(in.record_format, "FB", sizeof in.record_format) == 0;
  return Organisation(in, "S") && fixed && in.sequential_control != nullptr &&
         in.keyed_state == nullptr && Organisation(out, "S") && out.sequential_control != nullptr &&
         out.keyed_state == nullptr;
}

}  // namespace

int CKREXDoc::Run() {
  ++g_run_counter;
  {
    char header[kLogRecordSize] = {};
    std::memcpy(header, "*** KRMV_INF ***", 16);
    Put32(header, 16, static_cast<uint32_t>(g_run_counter));
    KMSOBinaryOut(kLogEdit, header, sizeof header);
  }
  read_ = 0;
  written_ = 0;
  error_item_ = 0;
  sub_code_.clear();
  failed_ = nullptr;
  message_ = 0;
  const ProcedureSettings& s = doc_->settings;
  bool edit = s.form == kFormEdit;
  if (edit) {
    message_ = engine_->Prepare();
    if (message_ != 0) {
      error_item_ = engine_->error_item();
      engine_->Release();
      cancel_ = false;
      return message_;
    }
    edit = !engine_->CopiesOnly();
  }
  DTF& in = doc_->input;
  DTF& out = doc_->output;
  const bool conditions = doc_->condition_count > 0;
  const SelRunOptions options{s.big_endian ? 1 : 0, s.blank_when_zero ? 1 : 0};
  const auto in_length = static_cast<std::size_t>(std::max(in.record_length, 0));
  const auto out_length = static_cast<std::size_t>(std::max(out.record_length, 0));

  // Records are read and written on this thread, in order, and worked on by
  // the workers a block at a time. Other file kinds, and a single thread,
  // take one record per block, so that the loop reads, selects, builds and
  // writes one record at a time as it always has.
  unsigned threads = 1;
  std::size_t per_block = 1;
  if (BlocksAllowed(in, out)) {
    threads = xformio::WorkThreads();
    per_block = RecordsPerBlock(threads, in_length, out_length);
  }
  std::vector<Block> pool;
  std::vector<SelectionView> views;
  auto allocate = [&] {
    try {
      pool.assign(xformio::PoolSize(threads), Block{});
      for (Block& b : pool) {
        b.input.resize(per_block * in_length);
        b.output.resize(per_block * out_length);
        b.outcome.resize(per_block);
      }
      views.assign(threads, SelectionView{in});
      return true;
    } catch (const std::bad_alloc&) {
      pool.clear();
      views.clear();
      return false;
    }
  };
  if (!allocate()) {
    // Too little memory for blocks: one record at a time needs almost none.
    threads = 1;
    per_block = 1;
    if (!allocate()) {
      message_ = kNoMemory;
      engine_->Release();
      cancel_ = false;
      return message_;
    }
  }

  // A read failure ends the run only after every record before it is
  // written, and only when nothing failed before it.
  bool reading = true;
  bool cancelled = false;
  int read_failure = 0;
  std::string read_sub_code;
  // Past the first record, whole blocks of a fixed-length input are read
  // straight from its descriptor; the record-access library takes over
  // again at the end of the file, a short last record or a failed read.
  auto* control = static_cast<IsuSamCtl*>(in.sequential_control);
  xformio::DirectRecords direct;
  bool first = true;  // the next record is the input's first
  auto read = [&](Block& b) {
    if (!reading) return false;
    if (cancel_) {
      cancelled = true;
      return false;
    }
    platform::PumpOneMessage();
    b.count = 0;
    if (direct.active()) {
      switch (direct.Read(b.input.data(), per_block, &b.count)) {
        case xformio::DirectRecords::Result::kFull:
          return true;
        case xformio::DirectRecords::Result::kSeekFailed:
          // The descriptor cannot be put back: the run ends as at a failed read.
          reading = false;
          read_failure = kReadError;
          read_sub_code = std::to_string(direct.error());
          return b.count > 0;
        case xformio::DirectRecords::Result::kHandedBack:
          break;
      }
    }
    while (b.count < per_block) {
      if (KRACRead(&in) != 0) {
        reading = false;
        uint32_t status = KRACGetStatus(&in);
        if (status != kEndOfFile) {
          read_failure = static_cast<int>(status);
          read_sub_code = KRACGetSubCode(&in);
        }
        break;
      }
      std::memcpy(b.input.data() + b.count * in_length, in.record_area, in_length);
      ++b.count;
      if (first) {
        first = false;
        if (direct.Start(control, in.file_number, in_length, per_block)) break;
      }
    }
    return b.count > 0;
  };

  auto work = [&](Block& b, unsigned worker) {
    DTF& view = views[worker].dtf;
    b.worked = b.count;
    for (std::size_t i = 0; i < b.count; ++i) {
      std::span<const std::uint8_t> input(b.input.data() + i * in_length, in_length);
      std::span<std::uint8_t> output(b.output.data() + i * out_length, out_length);
      if (edit) {
        engine_->PrepareRecord(input, output);
      } else {
        std::memset(output.data(), ' ', output.size());
      }
      if (conditions) {
        view.record_area = reinterpret_cast<char*>(const_cast<std::uint8_t*>(input.data()));
        int item = 0;
        int selected = KCNDSelect1(&view, s.prefix.data(), doc_->conditions.data(), &item,
                                   const_cast<SelRunOptions*>(&options));
        if (selected == 0) {
          b.outcome[i] = kPassedOver;
          continue;
        }
        if (selected != 1) {
          b.outcome[i] = kFailedSelection;
          b.worked = i + 1;
          b.message = selected;
          b.item = item;
          return;
        }
      }
      if (edit) {
        int item = 0;
        if (int result = engine_->EditRecord(input, output, &item); result != 0) {
          b.outcome[i] = kFailedEdit;
          b.worked = i + 1;
          b.message = result;
          b.item = item;
          return;
        }
      } else {
        std::memcpy(output.data(), input.data(), std::min(input.size(), output.size()));
      }
      b.outcome[i] = kToWrite;
    }
  };

  // The logs of a run are those of a run that reads, selects and edits one
  // record at a time: the selection is logged after the first record's
  // selection, the moves while the first record that reaches them is
  // edited. Edit is exact for a record whatever the thread, so that record is
  // edited once more here, with the log, into a scratch record.
  bool first_selection = true;
  bool first_edit = true;
  std::vector<std::uint8_t> scratch;
  auto log_edit = [&](std::span<const std::uint8_t> input) {
    if (!edit || !first_edit) return;
    first_edit = false;
    scratch.assign(out_length, ' ');
    engine_->Edit(input, scratch, true);
  };
  // Only this thread counts; the counts are published once a block, and at
  // the record that stops the run.
  bool stopped = false;
  int64_t read_count = 0, written_count = 0;
  auto publish = [&] {
    read_.store(read_count, std::memory_order_relaxed);
    written_.store(written_count, std::memory_order_relaxed);
  };
  auto stop = [&] {
    publish();
    stopped = true;
    return false;
  };
  auto write = [&](Block& b) {
    if (cancel_) {
      cancelled = true;
      return false;
    }
    for (std::size_t i = 0; i < b.worked; ++i) {
      std::span<const std::uint8_t> input(b.input.data() + i * in_length, in_length);
      ++read_count;
      if (conditions && first_selection) {
        first_selection = false;
        LogSelection();
      }
      switch (b.outcome[i]) {
        case kPassedOver:
          continue;
        case kFailedSelection:
        case kFailedEdit:
          if (b.outcome[i] == kFailedEdit) log_edit(input);
          message_ = b.message;
          error_item_ = b.item;
          return stop();
        case kToWrite:
          break;
      }
      log_edit(input);
      std::memcpy(out.record_area, b.output.data() + i * out_length, out_length);
      if (KRACWrite(&out) != 0) {
        message_ = static_cast<int>(KRACGetStatus(&out));
        sub_code_ = KRACGetSubCode(&out);
        failed_ = &out;
        return stop();
      }
      ++written_count;
    }
    publish();
    return true;
  };

  if (in.sequential_control != nullptr) input_file_ = in.file_number;
  xformio::RunOrdered(threads, std::span<Block>(pool), read, work, write);
  input_file_ = -1;
  if (!stopped) {
    if (cancelled) {
      message_ = kRunCancelled;
    } else if (read_failure != 0) {
      message_ = read_failure;
      sub_code_ = read_sub_code;
      failed_ = &in;
    }
  }
  engine_->Release();
  // The request is cleared when the run ends, not when it starts, so that a
  // cancel pressed while the moves were being prepared is not lost.
  cancel_ = false;
  return message_;
}

}  // namespace qel::rework
