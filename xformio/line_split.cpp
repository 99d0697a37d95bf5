// Line ends found 64 bytes at a time: masks of quotes, CRs and LFs, and a
// running parity of the quotes made by a prefix XOR.
#include "xformio/line_split.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/system_error.h"
#include "xformio/byte_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel::xformio {
namespace {

constexpr unsigned char kQuoteByte = '"';
constexpr unsigned char kCrByte = 0x0D;
constexpr unsigned char kLfByte = 0x0A;
constexpr unsigned char kMarkByte = 0x1A;

// Where among 64 bytes the quotes, CRs and LFs are: bit i for byte i.
struct Stops {
  uint64_t quotes = 0;
  uint64_t crs = 0;
  uint64_t lfs = 0;
};

Stops StopsOf(const unsigned char* p) {
  Stops s;
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8(static_cast<char>(kQuoteByte));
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCrByte));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLfByte));
  for (int k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    auto mask = [&v](__m128i byte) {
      return uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, byte)))};
    };
    s.quotes |= mask(quote) << (16 * k);
    s.crs |= mask(cr) << (16 * k);
    s.lfs |= mask(lf) << (16 * k);
  }
#else
  for (int i = 0; i < 64; ++i) {
    s.quotes |= uint64_t{p[i] == kQuoteByte} << i;
    s.crs |= uint64_t{p[i] == kCrByte} << i;
    s.lfs |= uint64_t{p[i] == kLfByte} << i;
  }
#endif
  return s;
}

// Bit i: the parity of the set bits at positions 0..i.
uint64_t PrefixXor(uint64_t x) {
  x ^= x << 1;
  x ^= x << 2;
  x ^= x << 4;
  x ^= x << 8;
  x ^= x << 16;
  x ^= x << 32;
  return x;
}

}  // namespace

LineSplitter::LineSplitter(platform::FileHandle file, Kind kind, bool title_line,
                           std::size_t block_size)
    : file_(file),
      kind_(kind),
      title_(kind == Kind::kCsv && title_line),
      block_size_(std::max<std::size_t>(block_size, 4096)) {}

bool LineSplitter::ReadMore(std::size_t want) {
  std::size_t goal = size_ + want;
  if (data_.size() < goal + kScanPad) data_.resize(goal + kScanPad);
  while (size_ < goal) {
    int64_t n = platform::ReadFile(file_, data_.data() + size_, goal - size_);
    if (n < 0) {
      error_ = platform::LastSystemError();
      failed_ = true;
      return false;
    }
    if (n == 0) {
      at_end_ = true;
      break;
    }
    std::size_t from = size_;
    size_ += static_cast<std::size_t>(n);
    if (kind_ == Kind::kText) {
      // Nothing after an end-of-file mark is data.
      const void* mark = std::memchr(data_.data() + from, kMarkByte, size_ - from);
      if (mark != nullptr) {
        size_ = static_cast<std::size_t>(static_cast<const unsigned char*>(mark) - data_.data()) + 1;
        at_end_ = true;
        break;
      }
    }
  }
  return true;
}

void LineSplitter::Scan() {
  unsigned char* b = data_.data();
  if (kind_ == Kind::kText) {
    if (size_ > scanned_) {
      const void* lf = ::memrchr(b + scanned_, kLfByte, size_ - scanned_);
      if (lf != nullptr) {
        last_end_ = static_cast<std::size_t>(static_cast<const unsigned char*>(lf) - b) + 1;
      }
      scanned_ = size_;
    }
    return;
  }
  if (title_) {
    const void* lf = std::memchr(b + scanned_, kLfByte, size_ - scanned_);
    if (lf == nullptr) {
      scanned_ = size_;
      return;
    }
    scanned_ = static_cast<std::size_t>(static_cast<const unsigned char*>(lf) - b) + 1;
    title_ = false;
    cr_before_ = false;
  }
  // Whole groups of 64 only; the bytes of a last partial group wait for
  // more data or for the end, where they are looked at one by one.
  while (scanned_ + 64 <= size_) {
    const Stops stops = StopsOf(b + scanned_);
    uint64_t q = stops.quotes;
    uint64_t cr = stops.crs;
    uint64_t lf = stops.lfs;
    uint64_t inside = PrefixXor(q) ^ (in_quotes_ ? ~uint64_t{0} : 0);
    uint64_t ends = lf & ((cr << 1) | (cr_before_ ? 1 : 0)) & ~inside;
    if (ends != 0) last_end_ = scanned_ + static_cast<std::size_t>(63 - __builtin_clzll(ends)) + 1;
    in_quotes_ = (inside >> 63) != 0;
    cr_before_ = (cr >> 63) != 0;
    scanned_ += 64;
  }
  if (at_end_) {
    for (; scanned_ < size_; ++scanned_) {
      unsigned char c = b[scanned_];
      if (c == kQuoteByte) in_quotes_ = !in_quotes_;
      if (c == kLfByte && cr_before_ && !in_quotes_) last_end_ = scanned_ + 1;
      cr_before_ = c == kCrByte;
    }
  }
}

LineSplitter::Result LineSplitter::Next(std::vector<unsigned char>& out, std::size_t* size) {
  *size = 0;
  if (failed_) return Result::kNone;
  for (;;) {
    if (size_ >= block_size_ || at_end_) {
      Scan();
      std::size_t cut = 0;
      Result result = Result::kBlock;
      if (at_end_) {
        cut = size_;
        result = Result::kLast;
      } else if (last_end_ > 0) {
        cut = last_end_;
      }
      if (cut > 0 || (at_end_ && size_ == 0)) {
        if (cut == 0) return Result::kNone;
        // The held bytes become the block by exchanging buffers; what
        // follows the cut moves to the front of the other one.
        const std::size_t rest = size_ - cut;
        out.swap(data_);
        if (data_.size() < rest + kScanPad) data_.resize(rest + kScanPad);
        if (rest > 0) std::memcpy(data_.data(), out.data() + cut, rest);
        *size = cut;
        size_ = rest;
        scanned_ -= std::min(scanned_, cut);
        last_end_ = 0;
        if (result == Result::kLast) size_ = 0;
        return result;
      }
      if (size_ >= kLongestBlock) return Result::kTooLong;
    }
    std::size_t want = size_ < block_size_ ? block_size_ - size_ : block_size_;
    if (!ReadMore(want)) {
      // The lines before the failure still count.
      at_end_ = true;
      Scan();
      std::size_t cut = last_end_;
      if (cut > 0) {
        if (out.size() < cut + kScanPad) out.resize(cut + kScanPad);
        std::memcpy(out.data(), data_.data(), cut);
      }
      *size = cut;
      size_ = 0;
      return Result::kFailed;
    }
  }
}

std::vector<unsigned char> LineSplitter::TakeRest() {
  std::vector<unsigned char> rest(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(size_));
  size_ = 0;
  scanned_ = 0;
  return rest;
}

}  // namespace qel::xformio
