// Item codec throughput beside a plain copy of the same bytes, measured in the
// same run:
//   codec_bench [ITEMS]
// For each encoding, ITEMS items (default 1,000,000) of a record-sized buffer
// are turned into field texts and back into item bytes; the baseline copies
// each item's bytes into a text buffer and back. Prints items/s and the ratio
// of the codec's time to the baseline's.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "codec/item_codec.h"

namespace {

using qel::codec::CodecOptions;
using qel::codec::ItemFormat;
using Clock = std::chrono::steady_clock;

struct Kind {
  const char* name;
  int attribute;
  int integer_digits;
  int fraction_digits;
  int sign;
};

double Elapsed(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  long items = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (items <= 0) items = 1000000;
  const Kind kinds[] = {
      {"binary S9(9)", 5, 7, 2, 0},
      {"binary 9(4)", 22, 4, 0, 0},
      {"packed S9(13)V99", 6, 13, 2, 0},
      {"packed 9(5)", 7, 5, 0, 0},
      {"zoned S9(7)V99 trailing", 8, 7, 2, 1},
      {"zoned S9(5) leading sep", 8, 5, 0, 2},
      {"zoned 9(9)", 9, 9, 0, 0},
  };
  std::mt19937 random(7);
  std::printf("%-26s %14s %14s %8s\n", "encoding", "codec items/s", "copy items/s", "ratio");
  volatile unsigned sink = 0;
  for (const Kind& k : kinds) {
    ItemFormat f;
    f.attribute = k.attribute;
    f.integer_digits = k.integer_digits;
    f.fraction_digits = k.fraction_digits;
    f.sign = k.sign;
    f.byte_length = qel::codec::NumericByteLength(f);
    CodecOptions options;
    // 1024 distinct items, encoded from random texts, cycled through.
    const int kPool = 1024;
    auto length = static_cast<std::size_t>(f.byte_length);
    std::vector<std::uint8_t> pool(kPool * length);
    for (int i = 0; i < kPool; ++i) {
      char text[32];
      long long v = static_cast<long long>(random() % 100000000) - 50000000;
      if (k.attribute == 7 || k.attribute == 9 || k.attribute == 22) v = v < 0 ? -v : v;
      std::snprintf(text, sizeof text, "%lld.%02d", v, static_cast<int>(random() % 100));
      qel::codec::TextToItem(f, text, options, {pool.data() + i * length, length});
    }
    std::vector<std::uint8_t> out(length);
    char text[qel::codec::kMaxNumberTextLength];

    auto start = Clock::now();
    for (long n = 0; n < items; ++n) {
      const std::uint8_t* item = pool.data() + (n % kPool) * length;
      std::size_t text_length = 0;
      qel::codec::ItemToText(f, {item, length}, options, qel::codec::TextStyle::kField, text,
                             &text_length);
      qel::codec::TextToItem(f, {text, text_length}, options, out);
      sink = sink + out[0];
    }
    double codec_time = Elapsed(start);

    start = Clock::now();
    for (long n = 0; n < items; ++n) {
      const std::uint8_t* item = pool.data() + (n % kPool) * length;
      std::memcpy(text, item, length);
      std::memcpy(out.data(), text, length);
      sink = sink + out[0];
    }
    double copy_time = Elapsed(start);
    if (copy_time <= 0) copy_time = 1e-9;
    std::printf("%-26s %14.0f %14.0f %8.1f\n", k.name, items / codec_time, items / copy_time,
                codec_time / copy_time);
  }
  return sink == 12345 ? 1 : 0;
}
