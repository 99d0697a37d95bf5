// The conversion drivers: file opening and locking, the record loops and
// every message of a conversion. A failure inside a record loop writes out
// what was buffered, closes the files and ends the driver with a failure, so
// that a failed conversion is never reported as a success.
#include "xform/conversion_drivers.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "idxfile/idxfile.h"
#include "message/qelmessage.h"
#include "message/system_error_text.h"
#include "platform/dynamic_library.h"
#include "platform/file.h"
#include "platform/ui_hooks.h"
#include "xform/item_conversion.h"
#include "platform/system_error.h"
#include "xformio/direct_records.h"
#include "xformio/line_files.h"
#include "xformio/line_split.h"
#include "xformio/ordered_blocks.h"
#include "xformio/qelxformio.h"
#include "xformio/run_end.h"

namespace qel::xform {
namespace {

// Message numbers (class digit first).
constexpr int kMsgNotConvertible = 2700;
constexpr int kMsgRecordLength = 2701;
constexpr int kMsgLogicError = 2703;
constexpr int kMsgCount = 2704;
constexpr int kMsgCut = 2715;
constexpr int kMsgInvalidData = 2718;
constexpr int kMsgMalformedCsv = 2720;
constexpr int kMsgNotSequentialDefinition = 2721;
constexpr int kMsgNotIndexedDefinition = 2722;
constexpr int kMsgShortRecord = 2723;
constexpr int kMsgIsamNotFound = 2726;
constexpr int kMsgNotVariable = 2730;
constexpr int kMsgNotCp932 = 2731;
constexpr int kMsgNoCp932Form = 2732;
constexpr int kMsgSeparator = 2733;
constexpr int kMsgOrganisation = 2613;
constexpr int kMsgRecordFormat = 2614;
constexpr int kMsgLengthDiffers = 2616;
constexpr int kMsgEndOfFile = 2690;
constexpr int kMsgAccessDenied = 3612;
constexpr int kMsgInUse = 3613;
constexpr int kMsgOpen = 3620;
constexpr int kMsgClose = 3621;
constexpr int kMsgRead = 3622;
constexpr int kMsgWrite = 3623;
constexpr int kMsgCallOrder = 3630;
constexpr int kMsgLoadIdxfile = 3680;
constexpr int kMsgThread = 3698;
constexpr int kMsgNoMemory = 3702;

constexpr int kOpRead = 2;
constexpr int kOpWrite = 3;
constexpr int kOpOpen = 1;
constexpr int kOpClose = 0;

constexpr int kCreateNew = 0x0501;
constexpr int kTruncate = 0x0301;
// Block buffers of the sequential files: the system uses the larger of 8192
// bytes and the record length; a larger block changes nothing a user sees
// and saves system calls.
constexpr uint16_t kMinBlock = 65024;
constexpr std::size_t kLineCapacity = 65537;

uint16_t BlockFor(std::size_t length) {
  return static_cast<uint16_t>(std::clamp<std::size_t>(length, kMinBlock, 65535));
}

uint16_t Capacity16(std::size_t size) {
  return static_cast<uint16_t>(std::min<std::size_t>(size, 65535));
}

// Outcome of a record loop.
using Loop = xformio::RunLoop;

// Shows messages of one driver run and keeps its progress.
class Run {
 public:
  Run(const DriverContext& context, const char* function_name, const KXFMTbl& table)
      : context_(context) {
    KMSOFileIni(kLogName);
    char stamp[KMSO_TIME_SIZE];
    KMSOGetTime(stamp);
    std::string block = SystemInformation(function_name, table);
    // The block goes line by line into the bounded log; the first line
    // carries the time stamp.
    std::size_t start = 0;
    bool first = true;
    while (start < block.size()) {
      std::size_t end = block.find('\n', start);
      if (end == std::string::npos) end = block.size() - 1;
      std::string line = block.substr(start, end - start + 1);
      if (first) line = std::string(stamp) + line;
      KMSOFileRound(kLogName, line.c_str());
      first = false;
      start = end + 1;
    }
    if (context_.records != nullptr) context_.records->store(0);
  }

  void Show(int number, std::string_view first = {}, std::string_view second = {}) {
    std::string a(first), b(second);
    const char* args[5] = {a.c_str(), b.c_str(), "", "", ""};
    if (context_.output == MessageOutput::kConsole) {
      KMSOErrmsgoutbt(kLogName, number, args, 1);
    } else {
      KMSOErrmsgout(kLogName, number, args);
    }
  }

  // Failures through the error mappings of the file I/O library: the file
  // name and the mapping's text, a system error code with its meaning, are
  // the inserts. A failed write is remembered: the output is not written to
  // again, so that its failure is reported once.
  void SamError(int status, int operation, const char* name) {
    char text[10] = {};
    ShowFileError(-KVsamerr(status, text, operation), operation, name, text);
  }
  void CsvError(int operation, const char* name) {
    char text[10] = {};
    ShowFileError(-KVcsverr(text, operation), operation, name, text);
  }
  void TextError(int operation, const char* name) {
    char text[10] = {};
    ShowFileError(-KVtexterr(text, operation), operation, name, text);
  }
  bool write_failed() const { return write_failed_; }

  // The end of a driver once its files are written out and closed: the
  // closing messages when everything reached the file, and the result.
  int End(Loop loop, bool written, bool closed) {
    if (xformio::MayShowCount(loop, written, closed)) ShowEnd();
    switch (xformio::RunOutcome(loop, written, closed)) {
      case Loop::kDone:
        return 0;
      case Loop::kCancelled:
        return kDriverCancelled;
      case Loop::kFailed:
        break;
    }
    return kDriverFailed;
  }

  void Count(std::uint64_t records = 1) {
    count_ += records;
    if (context_.records != nullptr) context_.records->store(count_);
    if (context_.output == MessageOutput::kBox) platform::PumpOneMessage();
  }

  // The input's descriptor for a progress display; -1 before it is closed.
  void SetInputFile(int file) {
    if (context_.input_file != nullptr) context_.input_file->store(file);
  }

  // Remembers the bytes cut from one record (0: nothing cut).
  void NoteCut(std::size_t over) {
    if (over == 0) return;
    cut_ = true;
    largest_cut_ = std::max(largest_cut_, over);
  }

  // The closing messages of a conversion that ran to its end: the largest
  // cut when records were cut, then the count.
  void ShowEnd() {
    if (cut_) Show(kMsgCut, std::to_string(largest_cut_));
    Show(kMsgCount, CountText());
  }

  bool Cancelled() const { return context_.cancel != nullptr && context_.cancel->load(); }

  std::uint64_t count() const { return count_; }
  std::string CountText() const { return std::to_string(count_); }
  std::string NextRecordText() const { return std::to_string(count_ + 1); }

 private:
  void ShowFileError(int number, int operation, const char* name, const char* text) {
    if (operation == kOpWrite) write_failed_ = true;
    Show(number, name, message::SystemErrorInsert(text));
  }

  const DriverContext& context_;
  bool write_failed_ = false;
  std::uint64_t count_ = 0;
  bool cut_ = false;
  std::size_t largest_cut_ = 0;
};

// The definition of a CSV conversion and the CSV encoding's converter,
// released at the end of the driver.
class Definition {
 public:
  Definition() { std::memset(&dtf_, 0, sizeof dtf_); }
  ~Definition() {
    SetCsvEncoding(CsvEncoding::kCp932);
    KRACRinfFree(&dtf_);
  }
  Definition(const Definition&) = delete;
  Definition& operator=(const Definition&) = delete;
  DTF* dtf() { return &dtf_; }
  int32_t record_length() const { return dtf_.record_length; }

 private:
  DTF dtf_;
};

// Reads the definition and checks its items. False after the message.
bool LoadDefinition(const KXFMTbl& t, int kind, Run& run, Definition& def) {
  if (SeparatorRefused(t.Separator[0])) {
    run.Show(kMsgSeparator);
    return false;
  }
  int rc = KvItemInfGet(t.SheetFileName, kind, def.dtf());
  if (rc == -1) {
    run.Show(kind == kKindIsamToCsv ? kMsgNotIndexedDefinition : kMsgNotSequentialDefinition,
             t.SheetFileName);
    return false;
  }
  if (rc == -2) {
    run.Show(kMsgRecordFormat, t.SheetFileName);
    return false;
  }
  if (rc < 0) {
    run.Show(-rc, t.SheetFileName, KRACGetSubCode(def.dtf()));
    return false;
  }
  SetOptions(t.BinaryCode == 1, t.BwzType == 1);
  if (!SetCsvEncoding(t.CsvCode == 1 ? CsvEncoding::kUtf8 : CsvEncoding::kCp932)) {
    // The C library has no CP932 converter: nothing can be converted.
    run.Show(kMsgLogicError, "50", "10");
    return false;
  }
  char name[32] = {};
  if (KVAttrChk(name) != 0) {
    run.Show(kMsgNotConvertible, name);
    return false;
  }
  return true;
}

// A sequential file handle and its control block, closed silently unless
// the driver closed them itself.
struct SamFile {
  QelFileHandle handle = -1;
  IsuSamCtl* ctl = nullptr;
  ~SamFile() {
    if (handle != -1) IsuSamClose(handle);
    if (ctl != nullptr) IsuSamTFree(ctl);
  }
  // Closes and reports through KVsamerr; true when it closed cleanly.
  bool Close(Run& run, const char* name) {
    bool ok = true;
    if (handle != -1) {
      int rc = IsuSamClose(handle);
      handle = -1;
      if (rc != 0) {
        run.SamError(ISUSAM_ST_IO, kOpClose, name);
        ok = false;
      }
    }
    if (ctl != nullptr) IsuSamTFree(ctl);
    ctl = nullptr;
    return ok;
  }
};

// Lock results of the sequential files: -1 in use, -2 a system failure.
bool CheckLock(int rc, Run& run, const char* name, const char* first_code) {
  if (rc == 0) return true;
  if (rc == -1) {
    run.Show(kMsgInUse, name);
  } else if (rc == -2) {
    run.SamError(ISUSAM_ST_IO, kOpOpen, name);
  } else {
    run.Show(kMsgLogicError, first_code, "10");
  }
  return false;
}

bool OpenInputSam(const char* name, SamFile& file, Run& run) {
  int rc = IsuSamOpen(name, 0, 0, 0, &file.handle);
  if (rc != 0) {
    file.handle = -1;
    run.SamError(rc, kOpOpen, name);
    return false;
  }
  return CheckLock(KVIsuShareCBL(file.handle), run, name, "30");
}

bool OpenOutputSam(const char* name, SamFile& file, Run& run) {
  int rc = IsuSamOpen(name, kCreateNew, 0, 0, &file.handle);
  if (rc == -2) {
    // The file exists: take it exclusively before it is emptied.
    rc = IsuSamOpen(name, ISUSAM_O_WRONLY, 0, 0, &file.handle);
    if (rc != 0) {
      file.handle = -1;
      run.SamError(rc, kOpOpen, name);
      return false;
    }
    if (!CheckLock(KVIsuExclCBL(file.handle), run, name, "20")) return false;
    IsuSamClose(file.handle);
    file.handle = -1;
    rc = IsuSamOpen(name, kTruncate, 0, 0, &file.handle);
  }
  if (rc != 0) {
    file.handle = -1;
    run.SamError(rc, kOpOpen, name);
    return false;
  }
  return CheckLock(KVIsuExclCBL(file.handle), run, name, "20");
}

bool AllocControl(SamFile& file, std::size_t length, Run& run) {
  if (IsuSamTAlloc(&file.ctl, BlockFor(length)) != 0) {
    file.ctl = nullptr;
    run.Show(kMsgNoMemory);
    return false;
  }
  return true;
}

// The one open CSV or text file of the process, closed silently unless the
// driver closed it itself.
template <int (*CloseFn)(QelFileHandle), void (Run::*Report)(int, const char*)>
struct LineFile {
  QelFileHandle handle = -1;
  LineFile() = default;
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;
  ~LineFile() {
    if (handle != -1) CloseFn(handle);
  }
  bool Close(Run& run, const char* name) {
    if (handle == -1) return true;
    int rc = CloseFn(handle);
    handle = -1;
    if (rc == 0) return true;
    (run.*Report)(kOpClose, name);
    return false;
  }
};
using CsvFile = LineFile<CsvfileClose, &Run::CsvError>;
using TextFile = LineFile<TxtClose, &Run::TextError>;

std::unique_ptr<unsigned char[]> AllocRecord(std::size_t size, Run& run) {
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
  if (!buffer) run.Show(kMsgNoMemory);
  return buffer;
}

char SeparatorOf(const KXFMTbl& t) { return t.Separator[0] != '\0' ? t.Separator[0] : ','; }

// Writes out the CSV buffer; false after a failure (reported once).
bool FlushCsv(QelFileHandle csv, Run& run, const char* name) {
  if (run.write_failed()) return false;
  if (CsvfieldPut(csv, "", 0, 2) == 0) return true;
  run.CsvError(kOpWrite, name);
  return false;
}

// Reports a CsvRecPut failure; shared by the two record-to-CSV drivers.
void ReportPutFailure(int rc, Run& run, const KXFMTbl& t, const char* second_code,
                      const char* item = FailedItemName()) {
  if (rc == kConvertInvalidData) {
    run.Show(kMsgInvalidData, run.NextRecordText(), item);
  } else if (rc == kConvertBadEncoding) {
    run.Show(kMsgNotCp932, run.NextRecordText(), item);
  } else if (rc == kConvertNotConvertible) {
    run.Show(kMsgNotConvertible, item);
  } else if (rc == -2) {
    run.Show(kMsgLogicError, "30", second_code);
  } else {
    run.CsvError(kOpWrite, t.OutFileName);
  }
}

// Writes the title line of a CSV output. An item name that is not CP932
// cannot be written in UTF-8: it is reported as record 0, the title line.
bool PutTitle(const KXFMTbl& t, QelFileHandle csv, Run& run) {
  if (t.Title != 1) return true;
  int rc = CsvTitlePut(csv);
  if (rc == 0) return true;
  if (rc == kConvertBadEncoding) {
    run.Show(kMsgNotCp932, "0", FailedItemName());
  } else {
    run.CsvError(kOpWrite, t.OutFileName);
  }
  return false;
}

// A UTF-8 CSV file may begin with a byte-order mark: the reader starts after
// it. Only a file that can be positioned is looked at; a pipe is read as it
// comes. False when the file could not be read or positioned.
bool SkipByteOrderMark(QelFileHandle csv) {
  if (platform::SeekFile(csv, 0, 1) != 0) return true;
  char head[3] = {};
  std::size_t got = 0;
  while (got < sizeof head) {
    int64_t n = platform::ReadFile(csv, head + got, sizeof head - got);
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (std::string_view(head, got) == kUtf8ByteOrderMark) return true;
  return platform::SeekFile(csv, 0, 0) == 0;
}

// The ISAM library, loaded for one conversion.
class IsamLibrary {
 public:
  using OpenFn = int (*)(const char*, int);
  using ReadFn = int (*)(int, char*, int);
  using InfoFn = int (*)(int, void*, int);
  using CloseFn = int (*)(int);
  using ErrnoFn = int (*)();

  bool Load() {
    library_ = platform::LoadLibraryByName("libidxfile.so");
    if (library_ == nullptr) return false;
    open = reinterpret_cast<OpenFn>(platform::FindEntryPoint(library_, "isopen"));
    read = reinterpret_cast<ReadFn>(platform::FindEntryPoint(library_, "isread"));
    info = reinterpret_cast<InfoFn>(platform::FindEntryPoint(library_, "isindexinfo"));
    close = reinterpret_cast<CloseFn>(platform::FindEntryPoint(library_, "isclose"));
    last_errno = reinterpret_cast<ErrnoFn>(platform::FindEntryPoint(library_, "IsGetLastErrno"));
    last_syserr = reinterpret_cast<ErrnoFn>(platform::FindEntryPoint(library_, "IsGetLastSyserr"));
    return open && read && info && close && last_errno && last_syserr;
  }
  ~IsamLibrary() {
    if (library_ != nullptr) platform::ReleaseLibrary(library_);
  }

  OpenFn open = nullptr;
  ReadFn read = nullptr;
  InfoFn info = nullptr;
  CloseFn close = nullptr;
  ErrnoFn last_errno = nullptr;
  ErrnoFn last_syserr = nullptr;

 private:
  platform::LibraryHandle library_ = nullptr;
};

void ShowIsamError(IsamLibrary& lib, int result, int operation, Run& run, const char* name) {
  char text[10] = {};
  int number = KVisamerr(result, lib.last_errno(), lib.last_syserr(), operation, text);
  run.Show(number, name, text);
}

// Writes out a fixed-length output after its record loop; false after a
// failure (reported once).
bool FlushFixed(SamFile& out, Run& run, const char* name) {
  if (run.write_failed()) return false;
  if (IsuSamFlush(out.ctl) != 0) {
    run.SamError(IsuSamRefStat(out.ctl), kOpWrite, name);
    return false;
  }
  return true;
}

// Pads a record to `length` with spaces, or reports how much was cut.
std::size_t FitRecord(unsigned char* record, std::size_t have, std::size_t length) {
  if (have < length) {
    std::memset(record + have, ' ', length - have);
    return 0;
  }
  return have - length;
}

// Bytes of input a block of the parallel record loops aims at.
constexpr std::size_t kBlockBytes = 256 * 1024;

// One block of a parallel record loop: input read on the calling thread,
// its conversion made on a worker, both written and reported on the
// calling thread in input order.
struct Block {
  // Records back to back (fixed-length input), or whole lines.
  std::vector<unsigned char> input;
  std::size_t records = 0;     // fixed-length input: records in `input`
  std::size_t input_size = 0;  // line input: bytes in `input`
  bool first = false;          // line input: the file's first block
  // The reading ended after this block's data with a failure.
  bool read_failed = false;
  int read_status = 0;  // sequential files: the control block's status
  int read_error = 0;   // the system error of the failure
  // The conversion: `converted` records in `output`, then the failure (or
  // 0) of the next record.
  std::vector<unsigned char> output;
  std::size_t output_size = 0;
  std::uint64_t converted = 0;
  int failure = 0;
  int failure_error = 0;
  std::string failed_name;
  std::size_t largest_cut = 0;  // text input: the most bytes cut from a line
  bool ended = false;           // line input: the data ended in this block

  void StartOutput() {
    output_size = 0;
    converted = 0;
    failure = 0;
    failure_error = 0;
    failed_name.clear();
    largest_cut = 0;
    ended = false;
  }
  // Room for `n` more bytes of output.
  unsigned char* Room(std::size_t n) {
    if (output.size() < output_size + n) {
      output.resize(std::max(output.size() * 2, output_size + n));
    }
    return output.data() + output_size;
  }
};

// Blocks of fixed-length records read on the calling thread: the first
// record through the sequential file's control block, then whole blocks
// straight from the descriptor (xformio/direct_records.h).
class RecordBlocks {
 public:
  RecordBlocks(SamFile& in, std::size_t length, const Run& run)
      : in_(in), length_(length), per_block_(std::max<std::size_t>(1, kBlockBytes / length)),
        run_(run) {}

  bool Read(Block& b) {
    if (ended_) return false;
    if (run_.Cancelled()) {
      ended_ = cancelled_ = true;
      return false;
    }
    b.records = 0;
    b.read_failed = false;
    if (b.input.size() < per_block_ * length_) b.input.resize(per_block_ * length_);
    if (direct_.active()) {
      std::size_t got = 0;
      switch (direct_.Read(b.input.data(), per_block_, &got)) {
        case xformio::DirectRecords::Result::kFull:
          b.records = got;
          return true;
        case xformio::DirectRecords::Result::kSeekFailed:
          b.records = got;
          ended_ = true;
          b.read_failed = true;
          b.read_status = ISUSAM_ST_IO;
          b.read_error = direct_.error();
          return true;
        case xformio::DirectRecords::Result::kHandedBack:
          b.records = got;
          break;
      }
    }
    while (b.records < per_block_) {
      IsuSamSetRec(in_.ctl, b.input.data() + b.records * length_, static_cast<uint16_t>(length_));
      uint16_t got = 0;
      int rc = IsuSamGet(in_.ctl, &got);
      if (rc == 1) {
        ended_ = true;
        break;
      }
      if (rc == -1) {
        ended_ = true;
        b.read_failed = true;
        b.read_status = IsuSamRefStat(in_.ctl);
        b.read_error = platform::LastSystemError();
        break;
      }
      ++b.records;
      if (first_) {
        first_ = false;
        if (direct_.Start(in_.ctl, in_.handle, length_, per_block_)) break;
      }
    }
    return b.records > 0 || b.read_failed;
  }

  bool cancelled() const { return cancelled_; }

 private:
  SamFile& in_;
  std::size_t length_;
  std::size_t per_block_;
  const Run& run_;
  xformio::DirectRecords direct_;
  bool first_ = true;  // the next record is the file's first
  bool ended_ = false;
  bool cancelled_ = false;
};

// Blocks of whole CSV or text lines, cut by the line splitter on the
// calling thread. A line too long for a block ends the blocks; the rest of
// the file is then read as one stream (ReadRest).
class LineBlocks {
 public:
  LineBlocks(QelFileHandle file, xformio::LineSplitter::Kind kind, bool title, const Run& run)
      : file_(file), splitter_(file, kind, title, kBlockBytes), run_(run) {}

  bool Read(Block& b) {
    if (ended_) return false;
    if (run_.Cancelled()) {
      ended_ = cancelled_ = true;
      return false;
    }
    b.read_failed = false;
    b.first = !started_;
    switch (splitter_.Next(b.input, &b.input_size)) {
      case xformio::LineSplitter::Result::kBlock:
        break;
      case xformio::LineSplitter::Result::kLast:
        ended_ = true;
        break;
      case xformio::LineSplitter::Result::kNone:
        ended_ = true;
        // An empty file still has its one (empty) block: the reader's end.
        if (started_) return false;
        b.input_size = 0;
        if (b.input.size() < xformio::kScanPad) b.input.resize(xformio::kScanPad);
        break;
      case xformio::LineSplitter::Result::kFailed:
        if (b.input.size() < b.input_size + xformio::kScanPad) {
          b.input.resize(b.input_size + xformio::kScanPad);
        }
        ended_ = true;
        b.read_failed = true;
        b.read_error = splitter_.error();
        break;
      case xformio::LineSplitter::Result::kTooLong:
        ended_ = true;
        too_long_ = true;
        return false;
    }
    started_ = true;
    return true;
  }

  bool cancelled() const { return cancelled_; }
  // The blocks ended at a line too long for one: the rest is to be read
  // by a reader loaded with TakeRest and going on in the file.
  bool too_long() const { return too_long_; }
  // Whether the first block went out (the title line was passed in it).
  bool started() const { return started_; }
  std::vector<unsigned char> TakeRest() { return splitter_.TakeRest(); }
  QelFileHandle file() const { return file_; }

 private:
  QelFileHandle file_;
  xformio::LineSplitter splitter_;
  const Run& run_;
  bool ended_ = false;
  bool started_ = false;
  bool cancelled_ = false;
  bool too_long_ = false;
};

// The outcome of the pipeline's loop from what its write stage found.
Loop PipelineOutcome(Loop written, bool cancelled) {
  if (written == Loop::kDone && cancelled) return Loop::kCancelled;
  return written;
}

// Records to CSV lines.
void RecordsToCsv(Block& b, RecordConverter& converter, std::size_t length, char separator) {
  b.StartOutput();
  const std::size_t capacity = converter.LineCapacity();
  for (std::size_t i = 0; i < b.records; ++i) {
    std::size_t n = 0;
    int rc = converter.PutLine(b.input.data() + i * length, separator,
                               reinterpret_cast<char*>(b.Room(capacity)), &n);
    if (rc != kConvertOk) {
      b.failure = rc;
      b.failed_name = converter.failed_name();
      return;
    }
    b.output_size += n;
    ++b.converted;
  }
}

// Records to text lines: each line ends at the record's first NUL byte, and
// a line feed right before that NUL is dropped, as the text writer does.
void RecordsToText(Block& b, std::size_t length) {
  b.StartOutput();
  for (std::size_t i = 0; i < b.records; ++i) {
    const unsigned char* r = b.input.data() + i * length;
    const void* nul = std::memchr(r, 0, length);
    std::size_t n = length;
    if (nul != nullptr) {
      n = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - r);
      if (n > 0 && r[n - 1] == '\n') --n;
    }
    unsigned char* out = b.Room(n + 2);
    std::memcpy(out, r, n);
    out[n] = '\r';
    out[n + 1] = '\n';
    b.output_size += n + 2;
    ++b.converted;
  }
}

// CSV lines to records, at most `limit` of them; b.ended when the data
// ended. The title line is passed first when `title`.
void CsvToRecords(xformio::CsvReader& reader, bool title, RecordConverter& converter,
                  std::size_t length, std::size_t limit, Block& b) {
  b.StartOutput();
  if (title) {
    std::size_t got = 0;
    int32_t end_kind = 0;
    int rc = reader.Get(b.Room(kFieldCapacity), &got, &end_kind);
    if (rc != 0) {
      b.failure = rc;
      b.failure_error = platform::LastSystemError();
      return;
    }
  }
  while (b.converted < limit) {
    int rc = converter.GetLine(reader, b.Room(std::max(length, std::size_t{1})), length);
    if (rc == kRecordBuilt) {
      b.output_size += length;
      ++b.converted;
      continue;
    }
    if (rc == kRecordEnd) {
      b.ended = true;
      return;
    }
    b.failure = rc;
    b.failure_error = platform::LastSystemError();
    b.failed_name = converter.failed_name();
    return;
  }
}

// Text lines to records of `length` bytes, at most `limit` of them, as the
// console converter always cut and padded them: a line is taken up to its
// first NUL byte, cut to the record (the largest cut is kept) or padded
// with spaces. `line` holds kLineCapacity bytes.
void TextToRecords(xformio::TextReader& reader, std::vector<unsigned char>& line,
                   std::size_t length, std::size_t limit, Block& b) {
  b.StartOutput();
  auto* text = reinterpret_cast<char*>(line.data());
  while (b.converted < limit) {
    int32_t end_kind = 0;
    std::size_t got = 0;
    if (reader.Get(line.data(), kLineCapacity, &end_kind, &got) != 0) {
      b.failure = -1;
      b.failure_error = platform::LastSystemError();
      return;
    }
    std::size_t have = strnlen(text, kLineCapacity);
    std::size_t line_length = have;
    if (end_kind == 1 && have > 0 && text[have - 1] == '\n') line_length = --have;
    if (end_kind == 0) {
      int64_t rest = 0;
      if (reader.Skip(&rest, &end_kind) != 0) {
        b.failure = -1;
        b.failure_error = platform::LastSystemError();
        return;
      }
      line_length += static_cast<std::size_t>(std::min<int64_t>(rest, INT32_MAX));
    }
    if (line_length == 0 && end_kind == 2) {
      b.ended = true;
      return;
    }
    if (line_length > length) b.largest_cut = std::max(b.largest_cut, line_length - length);
    unsigned char* out = b.Room(length);
    std::size_t take = std::min(have, length);
    std::memcpy(out, line.data(), take);
    FitRecord(out, take, length);
    b.output_size += length;
    ++b.converted;
    if (end_kind == 2) {
      b.ended = true;
      return;
    }
  }
}

// Writes a block's records to a fixed-length output; false after the
// failure (reported). Whole blocks go straight to the descriptor while the
// control block holds nothing; a record length it would refuse goes
// through it, to be refused as always.
bool PutRecords(SamFile& out, const Block& b, std::size_t length, Run& run, const char* name) {
  if (length > 0 && length <= out.ctl->blksize && out.ctl->blkoff == 0) {
    if (b.output_size > 0 &&
        platform::WriteFile(out.handle, b.output.data(), b.output_size) !=
            static_cast<int64_t>(b.output_size)) {
      run.SamError(ISUSAM_ST_IO, kOpWrite, name);
      return false;
    }
    run.Count(b.converted);
    return true;
  }
  for (std::uint64_t i = 0; i < b.converted; ++i) {
    IsuSamSetRec(out.ctl, const_cast<unsigned char*>(b.output.data()) + i * length,
                 static_cast<uint16_t>(length));
    if (IsuSamPut(out.ctl, static_cast<uint16_t>(length)) != 0) {
      run.SamError(IsuSamRefStat(out.ctl), kOpWrite, name);
      return false;
    }
    run.Count();
  }
  return true;
}

}  // namespace

bool SeparatorRefused(char separator) {
  return (separator >= '0' && separator <= '9') || separator == '.' || separator == '+' ||
         separator == '-' || separator == '"' || separator == '\r' || separator == '\n';
}

std::string SystemInformation(const char* function_name, const KXFMTbl& t) {
  std::string s = "  System Information ----------------------------------\n";
  auto line = [&s](const char* label, std::string_view value) {
    s += label;
    s += value;
    s += '\n';
  };
  std::string separator;
  if (t.Separator[0] == '\t') {
    separator = "{TAB}";
  } else if (t.Separator[0] == ' ') {
    separator = "{SPACE}";
  } else if (t.Separator[0] != '\0') {
    separator.assign(1, t.Separator[0]);
  }
  auto field = [](const char* value, std::size_t size) {
    return std::string_view(value, strnlen(value, size));
  };
  line("FuncName              = ", function_name);
  line("KXFMTbl.InFileName    = ", field(t.InFileName, sizeof t.InFileName));
  line("KXFMTbl.OutFileName   = ", field(t.OutFileName, sizeof t.OutFileName));
  line("KXFMTbl.SheetFileName = ", field(t.SheetFileName, sizeof t.SheetFileName));
  line("KXFMTbl.Separator   = ", separator);
  line("KXFMTbl.CharSeparator = ", field(t.CharSeparator, sizeof t.CharSeparator));
  line("KXFMTbl.Title         = ", t.Title == 1 ? "TRUE" : "FALSE");
  line("KXFMTbl.Reclen        = ", std::to_string(t.Reclen));
  line("KXFMTbl.BinaryCode    = ", t.BinaryCode == 1 ? "BIG_ENDIAN" : "LITTLE_ENDIAN");
  line("KXFMTbl.BwzType       = ", t.BwzType == 1 ? "VALID" : "INVALID");
  // The CSV encoding is an addition of this suite: the block of a CP932
  // conversion stays as it always was.
  if (t.CsvCode == 1) line("KXFMTbl.CsvCode       = ", "UTF-8");
  return s;
}

int KvItemInfGet(const char* definition, int kind, DTF* dtf) {
  KRACInit(dtf);
  dtf->definition_path = definition;
  dtf->access_mode = 1;
  if (KRACSproc(dtf) != 0) return -static_cast<int>(KRACGetStatus(dtf));
  int organisation = KRACFmChk(dtf);
  int wanted = kind == kKindIsamToCsv ? 1 : 0;
  if (organisation != wanted) return -1;
  if (KRACRmChk(dtf) != 0) return -2;
  std::vector<ItemDescriptor> items;
  int count = KRACGetEcnt(dtf);
  items.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int n = 1; n <= count; ++n) {
    ItemDescriptor d;
    if (KRACDainfSet(n, dtf, &d) != 0) return -static_cast<int>(KRACGetStatus(dtf));
    items.push_back(d);
  }
  LoadItems(std::move(items), false, false);
  return 0;
}

int KVisamerr(int result, int error, int system_error, int operation, char* text) {
  std::memset(text, 0, 10);
  if (result == -2) return kMsgThread;
  switch (error) {
    case 2:
      return kMsgIsamNotFound;
    case 101:
      return kMsgCallOrder;
    case 102:
      return kMsgOrganisation;
    case 104:
      return kMsgNoMemory;
    case 107:
    case 113:
      return kMsgInUse;
    case 110:
      return kMsgEndOfFile;
    case 1010:
      if (system_error == 3) return kMsgIsamNotFound;
      if (system_error == 5) return kMsgAccessDenied;
      break;
    default:
      break;
  }
  std::snprintf(text, 10, "%d", error);
  switch (operation) {
    case kOpOpen:
      return kMsgOpen;
    case kOpRead:
      return kMsgRead;
    case kOpWrite:
      return kMsgWrite;
    default:
      return kMsgClose;
  }
}

int SamToCsv(const KXFMTbl& t, const DriverContext& context) {
  Run run(context, "SamToCsv", t);
  Definition def;
  if (!LoadDefinition(t, kKindSamToCsv, run, def)) return kDriverFailed;
  auto length = static_cast<std::size_t>(def.record_length());
  if (length == 0 || !ItemsInside(length)) {
    run.Show(kMsgRecordLength);
    return kDriverFailed;
  }
  SamFile in;
  if (!OpenInputSam(t.InFileName, in, run)) return kDriverFailed;
  auto record = AllocRecord(length + 2, run);
  if (!record) return kDriverFailed;
  char separator[2] = {SeparatorOf(t), '\0'};
  CsvFile out;
  out.handle = CsvfileOpen(t.OutFileName, kTruncate, t.Title == 1 ? 1 : 0, separator);
  if (out.handle == -1) {
    run.CsvError(kOpOpen, t.OutFileName);
    return kDriverFailed;
  }
  if (!AllocControl(in, length, run)) return kDriverFailed;
  IsuSamSetF(in.ctl, in.handle, record.get(), Capacity16(length + 2),
             static_cast<uint16_t>(length));
  if (!PutTitle(t, out.handle, run)) return kDriverFailed;
  const unsigned threads = xformio::WorkThreads();
  std::vector<std::unique_ptr<RecordConverter>> converters;
  for (unsigned w = 0; w < threads; ++w) {
    converters.push_back(std::make_unique<RecordConverter>());
    if (!converters.back()->ready()) {
      run.Show(kMsgLogicError, "50", "10");
      return kDriverFailed;
    }
  }
  std::vector<Block> pool(xformio::PoolSize(threads));
  RecordBlocks blocks(in, length, run);
  run.SetInputFile(in.handle);
  Loop loop = Loop::kDone;
  xformio::RunOrdered(
      threads, std::span<Block>(pool), [&](Block& b) { return blocks.Read(b); },
      [&](Block& b, unsigned worker) {
        RecordsToCsv(b, *converters[worker], length, separator[0]);
      },
      [&](Block& b) {
        if (b.output_size > 0 && xformio::CsvfileWriteBytes(out.handle, b.output.data(),
                                                            b.output_size) != 0) {
          run.CsvError(kOpWrite, t.OutFileName);
          loop = Loop::kFailed;
          return false;
        }
        run.Count(b.converted);
        if (b.failure != 0) {
          ReportPutFailure(b.failure, run, t, "40", b.failed_name.c_str());
          loop = Loop::kFailed;
          return false;
        }
        if (b.read_failed) {
          platform::SetLastSystemError(b.read_error);
          run.SamError(b.read_status, kOpRead, t.InFileName);
          loop = Loop::kFailed;
          return false;
        }
        return true;
      });
  loop = PipelineOutcome(loop, blocks.cancelled());
  run.SetInputFile(-1);
  bool flushed = FlushCsv(out.handle, run, t.OutFileName);
  bool closed = out.Close(run, t.OutFileName);
  closed = in.Close(run, t.InFileName) && closed;
  return run.End(loop, flushed, closed);
}

int CsvToSam(const KXFMTbl& t, const DriverContext& context) {
  Run run(context, "CsvToSam", t);
  Definition def;
  if (!LoadDefinition(t, kKindCsvToSam, run, def)) return kDriverFailed;
  auto length = static_cast<std::size_t>(def.record_length());
  if (length == 0 || !ItemsInside(length)) {
    run.Show(kMsgRecordLength);
    return kDriverFailed;
  }
  char separator[2] = {SeparatorOf(t), '\0'};
  CsvFile in;
  in.handle = CsvfileOpen(t.InFileName, 0, t.Title == 1 ? 1 : 0, separator);
  if (in.handle == -1) {
    run.CsvError(kOpOpen, t.InFileName);
    return kDriverFailed;
  }
  if (t.CsvCode == 1 && !SkipByteOrderMark(in.handle)) {
    run.CsvError(kOpRead, t.InFileName);
    return kDriverFailed;
  }
  SamFile out;
  if (!OpenOutputSam(t.OutFileName, out, run)) return kDriverFailed;
  auto record = AllocRecord(kRecordBufferSize, run);
  if (!record) return kDriverFailed;
  if (!AllocControl(out, length, run)) return kDriverFailed;
  IsuSamSetF(out.ctl, out.handle, record.get(), Capacity16(kRecordBufferSize),
             static_cast<uint16_t>(length));
  const unsigned threads = xformio::WorkThreads();
  // Each worker reads its blocks with a reader of its own.
  struct Worker {
    std::unique_ptr<RecordConverter> converter = std::make_unique<RecordConverter>();
    xformio::CsvReader reader;
    explicit Worker(char separator) : reader(-1, static_cast<unsigned char>(separator), false, 0) {}
  };
  std::vector<std::unique_ptr<Worker>> workers;
  for (unsigned w = 0; w < threads; ++w) {
    workers.push_back(std::make_unique<Worker>(separator[0]));
    if (!workers.back()->converter->ready()) {
      run.Show(kMsgLogicError, "50", "10");
      return kDriverFailed;
    }
  }
  const bool title = t.Title == 1;
  std::vector<Block> pool(xformio::PoolSize(threads));
  LineBlocks blocks(in.handle, xformio::LineSplitter::Kind::kCsv, title, run);
  Loop loop = Loop::kDone;
  bool ended = false;
  // Writes the records of a block and reports what ended it.
  auto write = [&](Block& b) {
    if (!PutRecords(out, b, length, run, t.OutFileName)) {
      loop = Loop::kFailed;
      return false;
    }
    if (b.failure != 0) {
      if (b.failure == kConvertInvalidData) {
        run.Show(kMsgInvalidData, run.NextRecordText(), b.failed_name);
      } else if (b.failure == kConvertBadEncoding) {
        run.Show(kMsgNoCp932Form, run.NextRecordText(), b.failed_name);
      } else if (b.failure == kConvertNotConvertible) {
        run.Show(kMsgNotConvertible, b.failed_name);
      } else if (b.failure == -2) {
        run.Show(kMsgMalformedCsv, t.InFileName, run.NextRecordText());
      } else {
        platform::SetLastSystemError(b.failure_error);
        run.CsvError(kOpRead, t.InFileName);
      }
      loop = Loop::kFailed;
      return false;
    }
    if (b.read_failed) {
      platform::SetLastSystemError(b.read_error);
      run.CsvError(kOpRead, t.InFileName);
      loop = Loop::kFailed;
      return false;
    }
    return true;
  };
  run.SetInputFile(in.handle);
  xformio::RunOrdered(
      threads, std::span<Block>(pool), [&](Block& b) { return blocks.Read(b); },
      [&](Block& b, unsigned worker) {
        Worker& w = *workers[worker];
        if (!w.reader.Adopt(b.input, b.input_size, b.first && title)) {
          b.StartOutput();
          b.failure = -1;
          b.failure_error = platform::LastSystemError();
          return;
        }
        CsvToRecords(w.reader, b.first && title, *w.converter, length, SIZE_MAX, b);
      },
      write);
  if (loop == Loop::kDone && blocks.too_long()) {
    // A line too long for a block: the rest of the file as one stream.
    Block& b = pool[0];
    xformio::CsvReader reader(blocks.file(), static_cast<unsigned char>(separator[0]), false);
    std::vector<unsigned char> rest = blocks.TakeRest();
    bool pass_title = title && !blocks.started();
    if (!reader.Load(rest.data(), rest.size(), pass_title, true)) {
      run.CsvError(kOpRead, t.InFileName);
      loop = Loop::kFailed;
    }
    const std::size_t per_block = std::max<std::size_t>(1, kBlockBytes / length);
    while (loop == Loop::kDone && !ended) {
      if (run.Cancelled()) {
        loop = Loop::kCancelled;
        break;
      }
      CsvToRecords(reader, pass_title, *workers[0]->converter, length, per_block, b);
      pass_title = false;
      b.read_failed = false;
      if (!write(b)) break;
      ended = b.ended;
    }
  }
  loop = PipelineOutcome(loop, blocks.cancelled());
  run.SetInputFile(-1);
  bool flushed = FlushFixed(out, run, t.OutFileName);
  bool closed = out.Close(run, t.OutFileName);
  closed = in.Close(run, t.InFileName) && closed;
  return run.End(loop, flushed, closed);
}

int IsamToCsv(const KXFMTbl& t, const DriverContext& context) {
  Run run(context, "IsamToCsv", t);
  IsamLibrary lib;
  if (!lib.Load()) {
    run.Show(kMsgLoadIdxfile);
    return kDriverFailed;
  }
  Definition def;
  if (!LoadDefinition(t, kKindIsamToCsv, run, def)) return kDriverFailed;
  int32_t length = def.record_length();
  if (length < 1 || length > 65505 || !ItemsInside(static_cast<std::size_t>(length))) {
    run.Show(kMsgRecordLength);
    return kDriverFailed;
  }
  // NAME.kdf names the indexed file NAME.
  std::string name = t.InFileName;
  if (name.size() >= 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
  int fd = lib.open(name.c_str(), ISINPUT | ISEXCLLOCK);
  if (fd < 0) {
    ShowIsamError(lib, fd, kOpOpen, run, name.c_str());
    return kDriverFailed;
  }
  struct Closer {
    IsamLibrary& lib;
    int fd;
    ~Closer() {
      if (fd >= 0) lib.close(fd);
    }
  } closer{lib, fd};
  struct dictinfo info = {};
  if (lib.info(fd, &info, 0) != 0) {
    ShowIsamError(lib, -1, kOpRead, run, name.c_str());
    return kDriverFailed;
  }
  if (static_cast<uint16_t>(info.di_recsize) != length) {
    run.Show(kMsgLengthDiffers, t.SheetFileName, t.InFileName);
    return kDriverFailed;
  }
  auto record = AllocRecord(static_cast<std::size_t>(length) + 2, run);
  if (!record) return kDriverFailed;
  char separator[2] = {SeparatorOf(t), '\0'};
  CsvFile out;
  out.handle = CsvfileOpen(t.OutFileName, kTruncate, t.Title == 1 ? 1 : 0, separator);
  if (out.handle == -1) {
    run.CsvError(kOpOpen, t.OutFileName);
    return kDriverFailed;
  }
  if (!PutTitle(t, out.handle, run)) return kDriverFailed;
  Loop loop = Loop::kDone;
  for (;;) {
    if (run.Cancelled()) {
      loop = Loop::kCancelled;
      break;
    }
    int rc = lib.read(fd, reinterpret_cast<char*>(record.get()), ISNEXT);
    if (rc != 0) {
      if (lib.last_errno() == 110) break;
      ShowIsamError(lib, rc, kOpRead, run, name.c_str());
      loop = Loop::kFailed;
      break;
    }
    rc = CsvRecPut(out.handle, separator[0], record.get());
    if (rc != 0) {
      ReportPutFailure(rc, run, t, "10");
      loop = Loop::kFailed;
      break;
    }
    run.Count();
  }
  bool flushed = FlushCsv(out.handle, run, t.OutFileName);
  bool closed = out.Close(run, t.OutFileName);
  closer.fd = -1;
  int rc = lib.close(fd);
  if (rc != 0) {
    ShowIsamError(lib, rc, kOpClose, run, name.c_str());
    closed = false;
  }
  return run.End(loop, flushed, closed);
}

int SamToTxt(const KXFMTbl& t, const DriverContext& context) {
  Run run(context, "SamToTxt", t);
  std::size_t length = t.Reclen;
  SamFile in;
  if (!OpenInputSam(t.InFileName, in, run)) return kDriverFailed;
  TextFile out;
  out.handle = TxtOpen(t.OutFileName, kTruncate);
  if (out.handle == -1) {
    run.TextError(kOpOpen, t.OutFileName);
    return kDriverFailed;
  }
  auto record = AllocRecord(length + 2, run);
  if (!record) return kDriverFailed;
  if (!AllocControl(in, length, run)) return kDriverFailed;
  IsuSamSetF(in.ctl, in.handle, record.get(), Capacity16(length + 2), t.Reclen);
  Loop loop = Loop::kDone;
  if (length == 0) {
    // No record can be read: the control block refuses the first read.
    uint16_t got = 0;
    if (IsuSamGet(in.ctl, &got) == -1) {
      run.SamError(IsuSamRefStat(in.ctl), kOpRead, t.InFileName);
      loop = Loop::kFailed;
    }
  } else {
    const unsigned threads = xformio::WorkThreads();
    std::vector<Block> pool(xformio::PoolSize(threads));
    RecordBlocks blocks(in, length, run);
    run.SetInputFile(in.handle);
    xformio::RunOrdered(
        threads, std::span<Block>(pool), [&](Block& b) { return blocks.Read(b); },
        [&](Block& b, unsigned) { RecordsToText(b, length); },
        [&](Block& b) {
          if (b.output_size > 0 &&
              xformio::TxtWriteBytes(out.handle, b.output.data(), b.output_size) != 0) {
            run.TextError(kOpWrite, t.OutFileName);
            loop = Loop::kFailed;
            return false;
          }
          run.Count(b.converted);
          if (b.read_failed) {
            platform::SetLastSystemError(b.read_error);
            if (b.read_status == ISUSAM_ST_RECLEN) {
              run.Show(kMsgShortRecord);
            } else {
              run.SamError(b.read_status, kOpRead, t.InFileName);
            }
            loop = Loop::kFailed;
            return false;
          }
          return true;
        });
    loop = PipelineOutcome(loop, blocks.cancelled());
    run.SetInputFile(-1);
  }
  bool flushed = !run.write_failed();
  if (flushed && TxtPut(out.handle, "", 0, 2) != 0) {
    run.TextError(kOpWrite, t.OutFileName);
    flushed = false;
  }
  bool closed = out.Close(run, t.OutFileName);
  closed = in.Close(run, t.InFileName) && closed;
  return run.End(loop, flushed, closed);
}

int TxtToSam(const KXFMTbl& t, const DriverContext& context) {
  Run run(context, "TxtToSam", t);
  std::size_t length = t.Reclen;
  TextFile in;
  in.handle = TxtOpen(t.InFileName, 0);
  if (in.handle == -1) {
    run.TextError(kOpOpen, t.InFileName);
    return kDriverFailed;
  }
  SamFile out;
  if (!OpenOutputSam(t.OutFileName, out, run)) return kDriverFailed;
  auto record = AllocRecord(kRecordBufferSize, run);
  if (!record) return kDriverFailed;
  if (!AllocControl(out, length, run)) return kDriverFailed;
  IsuSamSetF(out.ctl, out.handle, record.get(), Capacity16(kRecordBufferSize), t.Reclen);
  const unsigned threads = xformio::WorkThreads();
  struct Worker {
    xformio::TextReader reader{-1, 0};
    std::vector<unsigned char> line = std::vector<unsigned char>(kLineCapacity);
  };
  std::vector<std::unique_ptr<Worker>> workers;
  for (unsigned w = 0; w < threads; ++w) workers.push_back(std::make_unique<Worker>());
  std::vector<Block> pool(xformio::PoolSize(threads));
  LineBlocks blocks(in.handle, xformio::LineSplitter::Kind::kText, false, run);
  Loop loop = Loop::kDone;
  bool ended = false;
  auto write = [&](Block& b) {
    run.NoteCut(b.largest_cut);
    if (!PutRecords(out, b, length, run, t.OutFileName)) {
      loop = Loop::kFailed;
      return false;
    }
    if (b.failure != 0 || b.read_failed) {
      platform::SetLastSystemError(b.failure != 0 ? b.failure_error : b.read_error);
      run.TextError(kOpRead, t.InFileName);
      loop = Loop::kFailed;
      return false;
    }
    return true;
  };
  run.SetInputFile(in.handle);
  xformio::RunOrdered(
      threads, std::span<Block>(pool), [&](Block& b) { return blocks.Read(b); },
      [&](Block& b, unsigned worker) {
        Worker& w = *workers[worker];
        w.reader.Adopt(b.input, b.input_size);
        TextToRecords(w.reader, w.line, length, SIZE_MAX, b);
      },
      write);
  if (loop == Loop::kDone && blocks.too_long()) {
    // A line too long for a block: the rest of the file as one stream.
    Block& b = pool[0];
    xformio::TextReader reader(blocks.file());
    std::vector<unsigned char> rest = blocks.TakeRest();
    if (!reader.Load(rest.data(), rest.size(), true)) {
      run.TextError(kOpRead, t.InFileName);
      loop = Loop::kFailed;
    }
    const std::size_t per_block = std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(length, 1));
    while (loop == Loop::kDone && !ended) {
      if (run.Cancelled()) {
        loop = Loop::kCancelled;
        break;
      }
      TextToRecords(reader, workers[0]->line, length, per_block, b);
      b.read_failed = false;
      if (!write(b)) break;
      ended = b.ended;
    }
  }
  loop = PipelineOutcome(loop, blocks.cancelled());
  run.SetInputFile(-1);
  bool flushed = FlushFixed(out, run, t.OutFileName);
  bool closed = out.Close(run, t.OutFileName);
  closed = in.Close(run, t.InFileName) && closed;
  return run.End(loop, flushed, closed);
}

int VsamToSam(const KXFMTbl& t, const DriverContext& context) {
  Run run(context, "VsamToSam", t);
  std::size_t length = t.Reclen;
  SamFile in;
  if (!OpenInputSam(t.InFileName, in, run)) return kDriverFailed;
  unsigned char header[128] = {};
  int32_t kind = 0;
  int rc = IsuSamHeadGet(in.handle, header, &kind);
  if (rc == -1) {
    run.SamError(ISUSAM_ST_IO, kOpOpen, t.InFileName);
    return kDriverFailed;
  }
  if (rc == -2 || kind == 1) {
    run.Show(kMsgNotVariable, t.InFileName);
    return kDriverFailed;
  }
  auto le32 = [&header](int offset) {
    return static_cast<uint32_t>(header[offset]) | static_cast<uint32_t>(header[offset + 1]) << 8 |
           static_cast<uint32_t>(header[offset + 2]) << 16 |
           static_cast<uint32_t>(header[offset + 3]) << 24;
  };
  auto maximum = static_cast<uint16_t>(le32(64));
  auto minimum = static_cast<uint16_t>(le32(68));
  SamFile out;
  if (!OpenOutputSam(t.OutFileName, out, run)) return kDriverFailed;
  auto record = AllocRecord(kRecordBufferSize, run);
  if (!record) return kDriverFailed;
  if (!AllocControl(in, maximum, run) || !AllocControl(out, length, run)) return kDriverFailed;
  IsuSamSetV(in.ctl, in.handle, record.get(), Capacity16(kRecordBufferSize), minimum, maximum);
  IsuSamSetF(out.ctl, out.handle, record.get(), Capacity16(kRecordBufferSize), t.Reclen);
  Loop loop = Loop::kDone;
  for (;;) {
    if (run.Cancelled()) {
      loop = Loop::kCancelled;
      break;
    }
    uint16_t got = 0;
    rc = IsuSamGet(in.ctl, &got);
    if (rc == 1) break;
    if (rc == -1) {
      run.SamError(IsuSamRefStat(in.ctl), kOpRead, t.InFileName);
      loop = Loop::kFailed;
      break;
    }
    run.NoteCut(FitRecord(record.get(), got, length));
    if (IsuSamPut(out.ctl, t.Reclen) != 0) {
      run.SamError(IsuSamRefStat(out.ctl), kOpWrite, t.OutFileName);
      loop = Loop::kFailed;
      break;
    }
    run.Count();
  }
  bool flushed = FlushFixed(out, run, t.OutFileName);
  bool closed = out.Close(run, t.OutFileName);
  closed = in.Close(run, t.InFileName) && closed;
  return run.End(loop, flushed, closed);
}

}  // namespace qel::xform
