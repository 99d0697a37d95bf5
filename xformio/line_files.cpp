// CSV and text readers and writers over block buffers, and the C entry
// points with their one CSV and one text state per process.
#include "xformio/line_files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "platform/system_error.h"
#include "xformio/file_open.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {

namespace {
inline constexpr unsigned char kCr = 0x0D;
inline constexpr unsigned char kLf = 0x0A;
}  // namespace

BlockReader::BlockReader(platform::FileHandle file, size_t buffer_size)
    : buffer_(buffer_size + kScanPad), capacity_(buffer_size), file_(file) {}

int64_t BlockReader::Refill(size_t keep_from) {
  ++refills_;
  size_t kept = valid_ - keep_from;
  if (kept > 0 && keep_from > 0) std::memmove(buffer_.data(), buffer_.data() + keep_from, kept);
  valid_ = kept;
  scan_ = 0;
  if (valid_ == capacity_) return 0;
  int64_t n = platform::ReadFile(file_, buffer_.data() + valid_, capacity_ - valid_);
  if (n < 0) return -1;
  if (n == 0) at_end_ = true;
  valid_ += static_cast<size_t>(n);
  return n;
}

bool BlockReader::Reserve(size_t size) {
  if (capacity_ >= size) return true;
  try {
    buffer_.resize(size + kScanPad);
  } catch (const std::bad_alloc&) {
    platform::SetLastSystemError(kErrorNotEnoughMemory);
    return false;
  }
  capacity_ = size;
  return true;
}

bool BlockReader::Load(const unsigned char* data, size_t size, bool more) {
  if (!Reserve(size)) return false;
  if (size > 0) std::memcpy(buffer_.data(), data, size);
  valid_ = size;
  scan_ = 0;
  at_end_ = !more;
  ++refills_;
  return true;
}

void BlockReader::Adopt(std::vector<unsigned char>& data, size_t size) {
  buffer_.swap(data);
  capacity_ = buffer_.size() - kScanPad;
  valid_ = size;
  scan_ = 0;
  at_end_ = true;
  ++refills_;
}

BlockWriter::BlockWriter(platform::FileHandle file, size_t buffer_size)
    : file_(file), buffer_(buffer_size) {}

bool BlockWriter::Append(const unsigned char* data, size_t size) {
  if (used_ + size > buffer_.size()) {
    if (!Flush()) return false;
    if (size > buffer_.size()) {
      return platform::WriteFile(file_, data, size) == static_cast<int64_t>(size);
    }
  }
  if (size > 0) std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
  return true;
}

bool BlockWriter::Flush() {
  if (used_ == 0) return true;
  // The buffer is dropped even when the write fails: a retry would write a
  // block twice.
  size_t size = used_;
  used_ = 0;
  return platform::WriteFile(file_, buffer_.data(), size) == static_cast<int64_t>(size);
}

CsvReader::CsvReader(platform::FileHandle file, unsigned char separator, bool skip_title,
                     size_t buffer_size)
    : in_(file, buffer_size),
      separator_(separator),
      skip_title_(skip_title),
      stops_(separator, kCr, kQuote),
      // The buffer keeps its size while the reader reads its file (Load and
      // Adopt make room for theirs); one word more for the end of the search.
      stop_bits_(buffer_size / 64 + 2, ~uint64_t{0}) {}

bool CsvReader::Load(const unsigned char* data, size_t size, bool skip_title, bool more) {
  return in_.Load(data, size, more) && Loaded(skip_title);
}

bool CsvReader::Adopt(std::vector<unsigned char>& data, size_t size, bool skip_title) {
  in_.Adopt(data, size);
  return Loaded(skip_title);
}

bool CsvReader::Loaded(bool skip_title) {
  try {
    if (stop_bits_.size() < in_.capacity_ / 64 + 2) stop_bits_.resize(in_.capacity_ / 64 + 2);
  } catch (const std::bad_alloc&) {
    platform::SetLastSystemError(kErrorNotEnoughMemory);
    return false;
  }
  skip_title_ = skip_title;
  MarkStops();
  return true;
}

int CsvReader::SkipTitle(int32_t* end_kind) {
  while (true) {
    const unsigned char* begin = in_.buffer_.data() + in_.scan_;
    const void* lf = std::memchr(begin, kLf, in_.valid_ - in_.scan_);
    if (lf != nullptr) {
      in_.scan_ = static_cast<size_t>(static_cast<const unsigned char*>(lf) -
                                      in_.buffer_.data()) + 1;
      skip_title_ = false;
      *end_kind = kEndLine;
      return 0;
    }
    in_.scan_ = in_.valid_;
    if (in_.at_end_) {
      // A title line without LF is the whole file: what follows is empty.
      skip_title_ = false;
      *end_kind = kEndData;
      return 0;
    }
    if (in_.Refill(in_.valid_) < 0) return -1;
  }
}

void CsvReader::MarkStops() {
  const size_t words = (in_.valid_ + 63) / 64;
  for (size_t w = 0; w < words; ++w) stop_bits_[w] = stops_.Mask64(in_.buffer_.data() + w * 64);
  stop_bits_[words] = ~uint64_t{0};
  marked_refills_ = in_.refills_;
}

CsvReader::Scan CsvReader::ScanField(unsigned char* field, size_t* length, int32_t* end_kind) {
  enum class State { kBare, kQuoted, kAfterQuote } state = State::kBare;
  const unsigned char* b = in_.buffer_.data();
  const size_t start = in_.scan_;
  const size_t valid = in_.valid_;
  size_t n = 0;
  auto done = [&](size_t next, int32_t kind) {
    in_.scan_ = next;
    *length = n;
    *end_kind = kind;
    return Scan::kDone;
  };
  // Runs of ordinary bytes are found first and moved with one copy.
  auto take = [&](size_t from, size_t to) {
    if (to - from > kMaxFieldSize - n) return false;
    std::memcpy(field + n, b + from, to - from);
    n += to - from;
    return true;
  };
  size_t i = start;
  while (i < valid) {
    switch (state) {
      case State::kBare: {
        size_t j = std::min(stops_.FindAny(b, i, valid), valid);
        if (!take(i, j)) return Scan::kMalformed;
        i = j;
        if (i == valid) return Scan::kNeedMore;
        unsigned char c = b[i];
        if (c == kCr) {
          if (i + 1 >= valid) return Scan::kNeedMore;
          if (b[i + 1] == kLf) return done(i + 2, kEndLine);
        }
        if (c == separator_) return done(i + 1, kEndSeparator);
        if (c == kQuote) {
          if (i != start) return Scan::kMalformed;
          state = State::kQuoted;
          ++i;
          continue;
        }
        // A lone CR is data.
        if (!take(i, i + 1)) return Scan::kMalformed;
        ++i;
        break;
      }
      case State::kQuoted: {
        const void* q = std::memchr(b + i, kQuote, valid - i);
        size_t j = q != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(q) - b)
                                : valid;
        if (!take(i, j)) return Scan::kMalformed;
        i = j;
        if (i == valid) return Scan::kNeedMore;
        state = State::kAfterQuote;
        ++i;
        break;
      }
      case State::kAfterQuote: {
        // CR first, as in a bare field: with CR as the separator a CR that
        // ends the data must not pass for a separator before LF could follow.
        unsigned char c = b[i];
        if (c == kCr) {
          if (i + 1 >= valid) return Scan::kNeedMore;
          if (b[i + 1] == kLf) return done(i + 2, kEndLine);
        }
        if (c == separator_) return done(i + 1, kEndSeparator);
        return Scan::kMalformed;
      }
    }
  }
  return Scan::kNeedMore;
}

int CsvReader::GetFull(unsigned char* field, size_t* length, int32_t* end_kind) {
  *length = 0;
  *end_kind = in_.at_end_ ? kEndData : kEndSeparator;
  if (skip_title_) return SkipTitle(end_kind);
  while (true) {
    switch (ScanField(field, length, end_kind)) {
      case Scan::kDone: return 0;
      case Scan::kMalformed: *length = 0; return -2;
      case Scan::kNeedMore: break;
    }
    if (!in_.at_end_) {
      // The field is scanned again from its start after the refill, so that
      // it never spans two buffer fills.
      if (in_.scan_ == 0 && in_.valid_ == in_.capacity_) return -2;
      if (in_.Refill(in_.scan_) < 0) return -1;
      continue;
    }
    *length = 0;
    *end_kind = kEndData;
    size_t rest = in_.valid_ - in_.scan_;
    if (rest == 0) return 0;
    if (rest == 1 && in_.buffer_[in_.scan_] == kEofMark) {
      ++in_.scan_;
      return 0;
    }
    return -2;
  }
}

CsvWriter::CsvWriter(platform::FileHandle file, unsigned char separator, size_t buffer_size)
    : out_(file, buffer_size), separator_(separator), separator_pair_{separator, separator} {}

bool CsvWriter::PutEnd(const unsigned char* field, size_t length, int end_kind) {
  if (end_kind != kEndData) {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return false;
  }
  return out_.Append(field, length) && out_.Flush();
}

TextReader::TextReader(platform::FileHandle file, size_t buffer_size) : in_(file, buffer_size) {}

bool TextReader::Load(const unsigned char* data, size_t size, bool more) {
  ended_ = false;
  return in_.Load(data, size, more);
}

void TextReader::Adopt(std::vector<unsigned char>& data, size_t size) {
  ended_ = false;
  in_.Adopt(data, size);
}

int TextReader::Get(unsigned char* line, size_t capacity, int32_t* end_kind, size_t* length) {
  *length = 0;
  *end_kind = kEndData;
  if (capacity < 2) {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return -1;
  }
  line[0] = '\0';
  if (ended_) return 0;
  if (!in_.Reserve(capacity)) return -1;
  // Have a whole line of up to the capacity in the buffer before scanning.
  while (in_.valid_ - in_.scan_ < capacity && !in_.at_end_) {
    if (in_.Refill(in_.scan_) < 0) return -1;
  }
  const size_t limit = capacity - 2;  // room for "\n" and the NUL
  const unsigned char* p = in_.buffer_.data() + in_.scan_;
  const size_t avail = in_.valid_ - in_.scan_;
  const size_t window = std::min(avail, limit + 2);
  const auto* lf = static_cast<const unsigned char*>(std::memchr(p, kLf, window));
  size_t lf_at = lf != nullptr ? static_cast<size_t>(lf - p) : window;
  // A LF just past the capacity ends the line only as the LF of CR LF.
  if (lf_at == limit + 1 && p[limit] != kCr) lf_at = window;
  const auto* mark =
      static_cast<const unsigned char*>(std::memchr(p, kEofMark, std::min(lf_at, limit + 1)));
  size_t text = 0;
  size_t consumed = 0;
  if (mark != nullptr) {
    text = static_cast<size_t>(mark - p);
    consumed = text + 1;
    ended_ = true;
    *end_kind = kEndData;
  } else if (lf_at < window) {
    text = (lf_at > 0 && p[lf_at - 1] == kCr) ? lf_at - 1 : lf_at;
    consumed = lf_at + 1;
    *end_kind = kEndLine;
  } else if (avail > limit) {
    text = limit;
    consumed = limit;
    *end_kind = kEndSeparator;  // capacity used up, the line goes on
  } else {
    text = avail;
    consumed = avail;
    *end_kind = kEndData;
  }
  std::memcpy(line, p, text);
  size_t end = text;
  if (*end_kind == kEndLine) line[end++] = '\n';
  line[end] = '\0';
  in_.scan_ += consumed;
  *length = text;
  return 0;
}

int TextReader::Skip(int64_t* count, int32_t* end_kind) {
  *end_kind = kEndData;
  if (ended_) return 0;
  while (true) {
    if (in_.scan_ == in_.valid_) {
      if (in_.at_end_) return 0;
      if (in_.Refill(in_.valid_) < 0) return -1;
      continue;
    }
    unsigned char c = in_.buffer_[in_.scan_];
    if (c == kLf) {
      ++in_.scan_;
      *end_kind = kEndLine;
      return 0;
    }
    if (c == kCr) {
      if (in_.scan_ + 1 == in_.valid_ && !in_.at_end_) {
        if (in_.Refill(in_.scan_) < 0) return -1;
        continue;
      }
      if (in_.scan_ + 1 < in_.valid_ && in_.buffer_[in_.scan_ + 1] == kLf) {
        in_.scan_ += 2;
        *end_kind = kEndLine;
        return 0;
      }
    }
    if (c == kEofMark) {
      ++in_.scan_;
      ended_ = true;
      return 0;
    }
    ++in_.scan_;
    ++*count;
  }
}

TextWriter::TextWriter(platform::FileHandle file, size_t buffer_size) : out_(file, buffer_size) {}

bool TextWriter::Put(const unsigned char* text, size_t length, int end_kind) {
  if (end_kind == kEndData) return out_.Flush();
  if (end_kind != kEndLine) {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return false;
  }
  const void* nul = std::memchr(text, 0, length);
  size_t n = nul != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - text)
                            : length;
  if (n > 0 && text[n - 1] == '\n') --n;
  static constexpr unsigned char kCrLf[2] = {kCr, kLf};
  return out_.Append(text, n, kCrLf, 2);
}

namespace {

// The one CSV and the one text file of the process. A file serves reading or
// writing; the side first used is created then.
struct CsvState {
  platform::FileHandle file;
  unsigned char separator;
  bool skip_title;
  std::optional<CsvReader> reader;
  std::optional<CsvWriter> writer;
};
struct TextState {
  platform::FileHandle file;
  std::optional<TextReader> reader;
  std::optional<TextWriter> writer;
};

std::unique_ptr<CsvState> csv_state;
std::unique_ptr<TextState> text_state;

template <typename State>
State* StateFor(const std::unique_ptr<State>& state, QelFileHandle handle) {
  if (!state || state->file != handle) {
    platform::SetLastSystemError(kErrorInvalidHandle);
    return nullptr;
  }
  return state.get();
}

template <typename Part, typename... Args>
Part* Ensure(std::optional<Part>& part, Args&&... args) {
  if (part) return &*part;
  try {
    part.emplace(std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    platform::SetLastSystemError(kErrorNotEnoughMemory);
    return nullptr;
  }
  return &*part;
}

// The C entry points the whole way, for every call their fast paths below
// leave to them.
[[gnu::noinline]] int CsvfieldGetFull(QelFileHandle handle, char* field, int32_t* length,
                                      int32_t* end_kind) {
  if (field == nullptr || length == nullptr || end_kind == nullptr) return -1;
  CsvState* state = StateFor(csv_state, handle);
  if (state == nullptr) return -1;
  CsvReader* reader = Ensure(state->reader, state->file, state->separator, state->skip_title);
  if (reader == nullptr) return -1;
  size_t n = 0;
  int r = reader->Get(reinterpret_cast<unsigned char*>(field), &n, end_kind);
  *length = static_cast<int32_t>(n);
  return r;
}

[[gnu::noinline]] int CsvfieldPutFull(QelFileHandle handle, const char* field, int32_t length,
                                      int end_kind) {
  if (length < 0 || (field == nullptr && length > 0)) {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return -1;
  }
  CsvState* state = StateFor(csv_state, handle);
  if (state == nullptr) return -1;
  CsvWriter* writer = Ensure(state->writer, state->file, state->separator);
  if (writer == nullptr) return -1;
  // Writing a file leaves no title line to skip.
  state->skip_title = false;
  return writer->Put(reinterpret_cast<const unsigned char*>(field), static_cast<size_t>(length),
                     end_kind)
             ? 0
             : -1;
}

}  // namespace

int CsvfileWriteBytes(int handle, const unsigned char* data, size_t size) {
  CsvState* state = StateFor(csv_state, handle);
  if (state == nullptr) return -1;
  CsvWriter* writer = Ensure(state->writer, state->file, state->separator);
  if (writer == nullptr) return -1;
  state->skip_title = false;
  return writer->PutBytes(data, size) ? 0 : -1;
}

int TxtWriteBytes(int handle, const unsigned char* data, size_t size) {
  TextState* state = StateFor(text_state, handle);
  if (state == nullptr) return -1;
  TextWriter* writer = Ensure(state->writer, state->file);
  if (writer == nullptr) return -1;
  return writer->PutBytes(data, size) ? 0 : -1;
}

namespace {

template <typename State>
int CloseWithState(std::unique_ptr<State>& state, QelFileHandle handle) {
  if (state && state->file == handle) state.reset();
  return platform::CloseFile(handle) ? 0 : -1;
}

}  // namespace
}  // namespace qel::xformio

using namespace qel;
using namespace qel::xformio;

extern "C" {

QelFileHandle CsvfileOpen(const char* name, int flags, int skip_title, const char* separator) {
  if (separator == nullptr || separator[0] == '\0') {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return -1;
  }
  platform::FileHandle file = OpenWithFlags(name, flags);
  if (file == platform::kInvalidFile) return -1;
  auto state = std::unique_ptr<CsvState>(new (std::nothrow) CsvState{
      file, static_cast<unsigned char>(separator[0]), skip_title == 1, {}, {}});
  if (!state) {
    platform::CloseFile(file);
    platform::SetLastSystemError(kErrorNotEnoughMemory);
    return -1;
  }
  csv_state = std::move(state);
  return file;
}

// Most calls are for a field inside the buffer of a file whose reader or
// writer already exists: they are served without leaving these functions;
// everything else, errors included, goes the full way.
int CsvfieldGet(QelFileHandle handle, char* field, int32_t* length, int32_t* end_kind) {
  CsvState* state = csv_state.get();
  if (state != nullptr && state->file == handle && state->reader && field != nullptr &&
      length != nullptr && end_kind != nullptr &&
      state->reader->TryGet(reinterpret_cast<unsigned char*>(field), length, end_kind)) {
    return 0;
  }
  return CsvfieldGetFull(handle, field, length, end_kind);
}

int CsvfieldPut(QelFileHandle handle, const char* field, int32_t length, int end_kind) {
  CsvState* state = csv_state.get();
  if (state != nullptr && state->file == handle && state->writer && length >= 0 &&
      (field != nullptr || length == 0) &&
      state->writer->TryPut(reinterpret_cast<const unsigned char*>(field),
                            static_cast<size_t>(length), end_kind)) {
    return 0;
  }
  return CsvfieldPutFull(handle, field, length, end_kind);
}

int CsvfileClose(QelFileHandle handle) { return CloseWithState(csv_state, handle); }

QelFileHandle TxtOpen(const char* name, int flags) {
  platform::FileHandle file = OpenWithFlags(name, flags);
  if (file == platform::kInvalidFile) return -1;
  auto state = std::unique_ptr<TextState>(new (std::nothrow) TextState{file, {}, {}});
  if (!state) {
    platform::CloseFile(file);
    platform::SetLastSystemError(kErrorNotEnoughMemory);
    return -1;
  }
  text_state = std::move(state);
  return file;
}

int TxtGet(QelFileHandle handle, char* buffer, int32_t capacity, int32_t* end_kind,
           int32_t* length) {
  if (buffer == nullptr || end_kind == nullptr || length == nullptr || capacity < 0) {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return -1;
  }
  TextState* state = StateFor(text_state, handle);
  if (state == nullptr) return -1;
  TextReader* reader = Ensure(state->reader, state->file);
  if (reader == nullptr) return -1;
  size_t n = 0;
  int r = reader->Get(reinterpret_cast<unsigned char*>(buffer), static_cast<size_t>(capacity),
                      end_kind, &n);
  *length = static_cast<int32_t>(n);
  return r;
}

int TxtSkip(QelFileHandle handle, int32_t* count, int32_t* end_kind) {
  if (count == nullptr || end_kind == nullptr) return -1;
  TextState* state = StateFor(text_state, handle);
  if (state == nullptr) return -1;
  TextReader* reader = Ensure(state->reader, state->file);
  if (reader == nullptr) return -1;
  int64_t total = *count;
  int r = reader->Skip(&total, end_kind);
  *count = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
  return r;
}

int TxtPut(QelFileHandle handle, const char* text, int32_t length, int end_kind) {
  if (length < 0 || (text == nullptr && end_kind != kEndData)) {
    platform::SetLastSystemError(kErrorInvalidParameter);
    return -1;
  }
  TextState* state = StateFor(text_state, handle);
  if (state == nullptr) return -1;
  TextWriter* writer = Ensure(state->writer, state->file);
  if (writer == nullptr) return -1;
  return writer->Put(reinterpret_cast<const unsigned char*>(text), static_cast<size_t>(length),
                     end_kind)
             ? 0
             : -1;
}

int TxtClose(QelFileHandle handle) { return CloseWithState(text_state, handle); }

}  // extern "C"
