// Item codec cost per numeric item, the direct path of ItemToText and
// TextToItem beside the general path (the numeric branch of the two calls as
// it was before they had a path of their own, replayed call for call:
// DecodeNumber + FormatNumber, ParseNumber + EncodeNumber) and beside a plain
// copy of the same bytes, all measured in the same run:
//   codec_bench [ITEMS]
// For each encoding, and for a mix of all of them in one item stream as a
// record holds them, ITEMS items (default 1,000,000) cycled from a pool of
// 1024 random values are turned into field texts, and those texts back into
// item bytes. Each figure is the best of five rounds in which the paths
// take turns, in processor nanoseconds an item.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "codec/item_codec.h"

namespace {

using qel::codec::CodecOptions;
using qel::codec::Decimal;
using qel::codec::ItemFormat;
using qel::codec::Status;
using qel::codec::TextStyle;

struct Kind {
  const char* name;
  int attribute;
  int integer_digits;
  int fraction_digits;
  int sign;
  bool big_endian;
};

const Kind kKinds[] = {
    {"binary S9(7)V99", 5, 7, 2, 0, false},
    {"binary S9(4) big-endian", 5, 4, 0, 0, true},
    {"binary 9(4)", 22, 4, 0, 0, false},
    {"packed S9(13)V99", 6, 13, 2, 0, false},
    {"packed S9(18)", 6, 18, 0, 0, false},
    {"packed 9(5)", 7, 5, 0, 0, false},
    {"zoned S9(7)V99 trailing", 8, 7, 2, 1, false},
    {"zoned S9(5) leading", 8, 5, 0, 4, false},
    {"zoned S9(5) leading sep", 8, 5, 0, 2, false},
    {"zoned S9(9)V9 trail sep", 8, 9, 1, 3, false},
    {"zoned 9(9)", 9, 9, 0, 0, false},
    {"zoned 9(17)V99", 9, 17, 2, 0, false},
};
constexpr int kKindCount = sizeof kKinds / sizeof kKinds[0];

// One item of the pool: its format, its bytes and its field text.
struct Item {
  ItemFormat format;
  CodecOptions options;
  std::vector<std::uint8_t> bytes;
  std::string text;
};

ItemFormat FormatOf(const Kind& k) {
  ItemFormat f;
  f.attribute = k.attribute;
  f.integer_digits = k.integer_digits;
  f.fraction_digits = k.fraction_digits;
  f.sign = k.sign;
  f.byte_length = qel::codec::NumericByteLength(f);
  return f;
}

Item RandomItem(const Kind& k, std::mt19937_64& random) {
  Item item;
  item.format = FormatOf(k);
  item.options.big_endian = k.big_endian;
  bool is_unsigned = k.attribute == 7 || k.attribute == 9 || k.attribute == 22;
  // Values of every size the item holds, small ones as often as large.
  int digits = k.integer_digits + k.fraction_digits;
  int used = 1 + static_cast<int>(random() % static_cast<unsigned>(digits));
  std::string text = !is_unsigned && random() % 2 == 0 ? "-" : "";
  for (int i = 0; i < used; ++i) text += static_cast<char>('0' + random() % 10);
  if (k.fraction_digits > 0 && used > k.fraction_digits) {
    text.insert(text.size() - static_cast<std::size_t>(k.fraction_digits), ".");
  }
  item.bytes.resize(static_cast<std::size_t>(item.format.byte_length));
  qel::codec::TextToItem(item.format, text, item.options, item.bytes);
  char out[qel::codec::kMaxNumberTextLength];
  std::size_t length = 0;
  qel::codec::ItemToText(item.format, item.bytes, item.options, TextStyle::kField, out, &length);
  item.text.assign(out, length);
  return item;
}

constexpr int kRounds = 5;

volatile unsigned g_sink = 0;

// Processor seconds of items calls of per_item on the pool's items in turn
// (processor time: the machine may be shared, and time spent waiting for a
// core is not the codec's). per_item returns something of its result, so
// that the work cannot be left out.
template <typename PerItem>
double Seconds(const std::vector<Item>& pool, long items, PerItem per_item) {
  const std::size_t mask = pool.size() - 1;  // the pool size is a power of two
  std::clock_t start = std::clock();
  unsigned sink = 0;
  for (long n = 0; n < items; ++n) sink += per_item(pool[static_cast<std::size_t>(n) & mask]);
  g_sink = g_sink + sink;
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void Measure(const char* name, const std::vector<Item>& pool, long items) {
  char text[qel::codec::kMaxNumberTextLength];
  std::uint8_t out[32];

  auto text_general = [&](const Item& item) {
    Decimal value;
    std::size_t length = 0;
    if (qel::codec::ClassOf(item.format.attribute) == qel::codec::ItemClass::kNumeric &&
        qel::codec::DecodeNumber(item.format, item.bytes, item.options, &value) == Status::kOk) {
      length = qel::codec::FormatNumber(value, TextStyle::kField, text);
    }
    return static_cast<unsigned>(length) + static_cast<unsigned char>(text[0]);
  };
  auto text_direct = [&](const Item& item) {
    std::size_t length = 0;
    qel::codec::ItemToText(item.format, item.bytes, item.options, TextStyle::kField, text, &length);
    return static_cast<unsigned>(length) + static_cast<unsigned char>(text[0]);
  };
  auto item_general = [&](const Item& item) {
    Decimal value;
    if (qel::codec::ClassOf(item.format.attribute) == qel::codec::ItemClass::kNumeric &&
        qel::codec::NumericByteLength(item.format) == item.format.byte_length &&
        item.text.size() <= qel::codec::kMaxFieldTextLength &&
        qel::codec::ParseNumber(item.text, &value)) {
      qel::codec::EncodeNumber(item.format, value, item.options, out);
    }
    return static_cast<unsigned>(out[0]);
  };
  auto item_direct = [&](const Item& item) {
    qel::codec::TextToItem(item.format, item.text, item.options, out);
    return static_cast<unsigned>(out[0]);
  };
  auto copy = [&](const Item& item) {
    std::memcpy(text, item.bytes.data(), item.bytes.size());
    std::memcpy(out, text, item.bytes.size());
    return static_cast<unsigned>(out[0]);
  };
  // The paths take turns, so that a change in the machine's load falls on
  // all of them alike; each keeps its best round.
  double best[5] = {1e300, 1e300, 1e300, 1e300, 1e300};
  for (int round = 0; round < kRounds; ++round) {
    best[0] = std::min(best[0], Seconds(pool, items, text_general));
    best[1] = std::min(best[1], Seconds(pool, items, text_direct));
    best[2] = std::min(best[2], Seconds(pool, items, item_general));
    best[3] = std::min(best[3], Seconds(pool, items, item_direct));
    best[4] = std::min(best[4], Seconds(pool, items, copy));
  }
  for (double& b : best) b = b * 1e9 / static_cast<double>(items);
  std::printf("%-26s %8.1f %8.1f %6.1fx   %8.1f %8.1f %6.1fx   %6.1f\n", name, best[0], best[1],
              best[0] / best[1], best[2], best[3], best[2] / best[3], best[4]);
}

}  // namespace

int main(int argc, char** argv) {
  long items = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (items <= 0) items = 1000000;
  const std::size_t kPool = 1024;
  std::mt19937_64 random(7);
  std::printf("ns an item, best of 5   %-27s %-27s %s\n", "|  item to text", "|  text to item",
              "|  copy");
  std::printf("%-26s %8s %8s %7s   %8s %8s %7s   %6s\n", "encoding", "general", "direct", "gain",
              "general", "direct", "gain", "");
  for (const Kind& k : kKinds) {
    std::vector<Item> pool;
    for (std::size_t i = 0; i < kPool; ++i) pool.push_back(RandomItem(k, random));
    Measure(k.name, pool, items);
  }
  std::vector<Item> mixed;
  for (std::size_t i = 0; i < kPool; ++i) {
    mixed.push_back(RandomItem(kKinds[random() % kKindCount], random));
  }
  Measure("all of them, mixed", mixed, items);
  return g_sink == 12345 ? 1 : 0;
}
