// Selections over random records against a fixed layout: the input picks up
// to four conditions (key item, operator, one or two comparison values from
// a pool of constants and item references, or raw text), the metacharacters,
// the run options and the expression; the rest of it is the record. Every
// comparison goes through the check first, as the rework programs do; on a
// checked selection the prefix form reads back and the evaluation ends with
// one of its four results, naming a layout item on invalid data.
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "filter/qelfilter.h"
#include "fuzz/filter_prefix.h"

namespace {

struct Item {
  int attribute, length, digits, fraction;
  char sign, blank_when_zero, justified;
};

// X(6), N(4 characters), S9(5)V99 packed, 9(3)V9 packed unsigned, S9(5)
// trailing overpunch, S9(4) binary, 9(9) binary unsigned, date, time, X(5)
// JUSTIFIED, S9(3) leading separate, 9(3) BLANK WHEN ZERO, N(2) JUSTIFIED.
constexpr std::array<Item, 13> kItems = {{{1, 6, 6, 0, '0', 'F', 'F'},
                                          {3, 8, 4, 0, '0', 'F', 'F'},
                                          {6, 4, 5, 2, '0', 'F', 'F'},
                                          {7, 3, 3, 1, '0', 'F', 'F'},
                                          {8, 5, 5, 0, '1', 'F', 'F'},
                                          {5, 2, 4, 0, '0', 'F', 'F'},
                                          {22, 4, 9, 0, '0', 'F', 'F'},
                                          {20, 8, 8, 0, '0', 'F', 'F'},
                                          {21, 6, 6, 0, '0', 'F', 'F'},
                                          {1, 5, 5, 0, '0', 'F', 'T'},
                                          {8, 4, 3, 0, '2', 'F', 'F'},
                                          {9, 3, 3, 0, '0', 'T', 'F'},
                                          {3, 4, 2, 0, '0', 'F', 'T'}}};

const char* const kConstants[] = {"",          "0",
                                  "-0",        "12.5",
                                  "-3",        "AB*",
                                  "A?C",       "*C",
                                  "??",        "ABC",
                                  "\"#1",      "97/12/01",
                                  "97/*",      "12??56",
                                  "12*",       "\x82\x60\x81\x96",
                                  "\x82\x60",  "\x81\x48\x82\x61",
                                  "-.5",       "999999999",
                                  "X\x88\x9f?"};

struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Next() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RecordLayout* layout = [] {
    auto* l = static_cast<RecordLayout*>(
        std::calloc(1, sizeof(RecordLayout) + kItems.size() * sizeof(ItemDescriptor)));
    l->count = static_cast<int32_t>(kItems.size());
    int position = 0;
    for (size_t i = 0; i < kItems.size(); ++i) {
      ItemDescriptor& d = l->items[i];
      d.number = static_cast<int32_t>(i) + 1;
      d.level = 2;
      std::snprintf(d.name, sizeof d.name, "F-%zu", i + 1);
      d.attribute = kItems[i].attribute;
      d.byte_length = kItems[i].length;
      d.digits = kItems[i].digits;
      d.fraction_digits = kItems[i].fraction;
      d.position = position;
      d.sign = kItems[i].sign;
      d.blank_when_zero = kItems[i].blank_when_zero;
      d.justified = kItems[i].justified;
      d.edit_flag = 'F';
      position += kItems[i].length;
    }
    return l;
  }();
  const int record_length = layout->items[kItems.size() - 1].position + kItems.back().length;

  Reader in{data, size};
  int count = in.Next() % 4 + 1;
  uint8_t flags = in.Next();
  char any_string = (flags & 1) ? '*' : ' ';
  char any_one = (flags & 2) ? '?' : ' ';
  SelRunOptions options{(flags >> 2) & 1, (flags >> 3) & 1};

  std::array<SelCondEntry, KCND_MAX_CONDITIONS> conditions{};
  std::array<SelCompEntry, 8> elements{};
  std::array<std::array<char, KCND_CONSTANT_SIZE>, 8> buffers{};
  int used = 0;
  for (int c = 0; c < count; ++c) {
    SelCondEntry& cond = conditions[c];
    cond.key_item = in.Next() % kItems.size() + 1;
    cond.op = in.Next() % 6 + 1;
    int values = (cond.op <= 2 && (in.Next() & 1)) ? 2 : 1;
    SelCompEntry** link = &cond.comparisons;
    for (int v = 0; v < values; ++v) {
      SelCompEntry& e = elements[used];
      char* buffer = buffers[used].data();
      ++used;
      uint8_t pick = in.Next();
      std::string text;
      if (pick < 64) {
        e.kind = KCND_KIND_ITEM;
        e.item = pick % kItems.size() + 1;
        text = "#" + std::to_string(e.item) + " ";
      } else if (pick < 192) {
        e.kind = KCND_KIND_CONSTANT;
        text = kConstants[pick % (sizeof kConstants / sizeof kConstants[0])];
      } else {
        e.kind = KCND_KIND_CONSTANT;
        int n = pick % 12;
        for (int i = 0; i < n; ++i) {
          char ch = static_cast<char>(in.Next());
          if (ch == 0) ch = ' ';
          text += ch;
        }
      }
      if (e.kind == KCND_KIND_CONSTANT) {
        std::snprintf(buffer, KCND_CONSTANT_SIZE, "%s", text.c_str());
        e.constant = buffer;
      }
      e.check_result = KCNDCompChek(cond.key_item, cond.op, text.c_str(), nullptr, '*', '?', 0);
      if (e.check_result != 2201) abort();  // no layout: no key
      *link = &e;
      link = &e.next;
    }
  }

  DTF dtf;
  KRACInit(&dtf);
  dtf.record_layout = layout;
  dtf.record_length = record_length;
  bool checked = true;
  for (int c = 0; c < count; ++c) {
    for (SelCompEntry* e = conditions[c].comparisons; e != nullptr; e = e->next) {
      const char* text = e->constant;
      std::string reference;
      if (e->kind == KCND_KIND_ITEM) {
        reference = "#" + std::to_string(e->item) + " ";
        text = reference.c_str();
      }
      e->check_result = KCNDCompChek(conditions[c].key_item, conditions[c].op, text, &dtf,
                                     static_cast<unsigned char>(any_string),
                                     static_cast<unsigned char>(any_one), options.blank_when_zero);
      e->any_string = any_string;
      e->any_one = any_one;
      if (e->check_result != 0 && e->check_result != 1) {
        if (e->check_result < 2201 || e->check_result > 2222) abort();
        checked = false;
      }
    }
  }

  std::string expression;
  int length = in.Next() % 12;
  static const char kExpressionBytes[] = "1234AOao()";
  for (int i = 0; i < length; ++i) expression += kExpressionBytes[in.Next() % 10];
  char prefix[KCND_PREFIX_SIZE];
  if (KCNDCondChek(expression.c_str(), prefix, count) != 0) checked = false;
  if (!checked) return 0;
  if (!qel::fuzz::CheckPrefix(prefix, count)) abort();

  std::vector<char> record(in.data, in.data + std::min<size_t>(in.size, record_length));
  record.resize(static_cast<size_t>(record_length), ' ');
  dtf.record_area = record.data();
  dtf.record_area_length = record_length;
  int error_item = -1;
  int result = KCNDSelect1(&dtf, prefix, conditions.data(), &error_item, &options);
  if (result == KCND_INVALID_KEY || result == KCND_INVALID_COMPARISON) {
    if (error_item < 0 || error_item >= static_cast<int>(kItems.size())) abort();
  } else if (result != 0 && result != 1) {
    abort();
  }
  return 0;
}
