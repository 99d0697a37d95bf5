// Finding three special bytes in a buffer (for the CSV reader: the
// separator, CR and the quote), 16 bytes at a time where the processor has
// SSE2 and byte by byte elsewhere: the next one from a position, or where
// they are among 64 bytes.
//
// The scans read whole groups: memory up to 64 bytes past the end of the
// data must be readable (BlockReader keeps kScanPad bytes after its data for
// this). What the bytes past the end hold may show in a result; the callers
// never take it for data.
#ifndef QEL_XFORMIO_BYTE_SCAN_H_
#define QEL_XFORMIO_BYTE_SCAN_H_

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel::xformio {

// Readable bytes a buffer must have after its data for the scans.
inline constexpr size_t kScanPad = 64;

class ByteScan {
 public:
  ByteScan(unsigned char a, unsigned char b, unsigned char c) {
#if defined(__SSE2__)
    a_ = _mm_set1_epi8(static_cast<char>(a));
    b_ = _mm_set1_epi8(static_cast<char>(b));
    c_ = _mm_set1_epi8(static_cast<char>(c));
#else
    stop_[a] = stop_[b] = stop_[c] = true;
#endif
  }

  // The first position at or after `from` holding one of the bytes, or a
  // position >= end when [from, end) has none.
  size_t FindAny(const unsigned char* p, size_t from, size_t end) const {
#if defined(__SSE2__)
    while (true) {
      unsigned mask = Mask16(p + from);
      if (mask != 0) return from + static_cast<size_t>(__builtin_ctz(mask));
      from += 16;
      if (from >= end) return from;
    }
#else
    while (from < end && !stop_[p[from]]) ++from;
    return from;
#endif
  }

  // Bit i set when p[i] is one of the bytes, for i in 0..63.
  uint64_t Mask64(const unsigned char* p) const {
#if defined(__SSE2__)
    return uint64_t{Mask16(p)} | uint64_t{Mask16(p + 16)} << 16 | uint64_t{Mask16(p + 32)} << 32 |
           uint64_t{Mask16(p + 48)} << 48;
#else
    uint64_t mask = 0;
    for (int i = 0; i < 64; ++i) mask |= uint64_t{stop_[p[i]]} << i;
    return mask;
#endif
  }

 private:
#if defined(__SSE2__)
  unsigned Mask16(const unsigned char* p) const {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a_), _mm_cmpeq_epi8(v, b_)),
                               _mm_cmpeq_epi8(v, c_));
    return static_cast<unsigned>(_mm_movemask_epi8(hit));
  }

  __m128i a_, b_, c_;
#else
  bool stop_[256] = {};
#endif
};

}  // namespace qel::xformio

#endif  // QEL_XFORMIO_BYTE_SCAN_H_
