// Selection evaluation throughput beside a hand-written test of the same
// three fields, measured in the same run:
//   filter_bench [RECORDS]
// RECORDS records (default 10,000,000) of a 200-byte layout, cycled through
// a pool of 4096 distinct records, are evaluated by KCNDSelect1 against
//   1: AMOUNT (packed S9(7)V99) >= 5000.00
//   2: NAME (X(20)) = K*?A   (any string and any one character)
//   3: REGION (N(10)) = three national values
// combined as (1O2)A3. Prints evaluations per CPU second of the thread and
// per wall-clock second, the ratio to the baseline, and
// the number of operator new calls made during the evaluations (must be 0).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "filter/qelfilter.h"

namespace {

std::atomic<long> allocations{0};

using Clock = std::chrono::steady_clock;

double Elapsed(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of this thread: on a machine shared with other work the
// wall clock also counts the time the thread waited for a core.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr int kRecordLength = 200;
constexpr int kPool = 4096;

struct Field {
  int attribute, length, digits, fraction;
};
constexpr Field kFields[] = {
    {1, 10, 10, 0}, {6, 5, 7, 2}, {1, 20, 20, 0}, {3, 20, 10, 0}, {1, 145, 145, 0}};
constexpr int kAmount = 2, kName = 3, kRegion = 4;
constexpr int kAmountAt = 10, kNameAt = 15, kRegionAt = 35;

const char* const kRegions[] = {"\x93\x8C\x8B\x9E", "\x91\xE5\x8D\xE3", "\x96\xBC\x8C\xC3\x89\xAE",
                                "\x95\x9F\x89\xAA", "\x8E\x44\x96\x79"};  // five city names
const char* const kNames[] = {"KOBAYASHI", "KATAOKA", "KIMURA", "SATO", "KUBOTA", "KA", "TANAKA"};

void PutPacked(unsigned char* at, long cents) {
  bool negative = cents < 0;
  unsigned long v = negative ? -cents : cents;
  at[4] = static_cast<unsigned char>((v % 10) << 4 | (negative ? 0x0D : 0x0C));
  v /= 10;
  for (int i = 3; i >= 0; --i) {
    at[i] = static_cast<unsigned char>((v / 10 % 10) << 4 | (v % 10));
    v /= 100;
  }
}

void PutNational(unsigned char* at, const char* text) {
  for (int i = 0; i < 20; i += 2) {
    at[i] = 0x81;
    at[i + 1] = 0x40;
  }
  std::memcpy(at, text, std::strlen(text));
}

// The same selection written out by hand for these three fields.
bool Baseline(const unsigned char* r, const std::vector<std::string>& regions) {
  bool amount = std::memcmp(r + kAmountAt, "\x00\x05\x00\x00\x0C", 5) >= 0 &&
                (r[kAmountAt + 4] & 0x0F) == 0x0C;
  const unsigned char* n = r + kNameAt;
  int len = 20;
  while (len > 0 && n[len - 1] == ' ') --len;
  bool name = len >= 3 && n[0] == 'K' && n[len - 1] == 'A';
  if (!(amount || name)) return false;
  for (const std::string& region : regions) {
    if (std::memcmp(r + kRegionAt, region.data(), 20) == 0) return true;
  }
  return false;
}

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  long records = argc > 1 ? std::atol(argv[1]) : 10000000;
  if (records <= 0) records = 10000000;

  constexpr int kCount = sizeof kFields / sizeof kFields[0];
  auto* layout = static_cast<RecordLayout*>(
      std::calloc(1, sizeof(RecordLayout) + kCount * sizeof(ItemDescriptor)));
  layout->count = kCount;
  int position = 0;
  for (int i = 0; i < kCount; ++i) {
    ItemDescriptor& d = layout->items[i];
    d.number = i + 1;
    d.level = 2;
    std::snprintf(d.name, sizeof d.name, "FIELD-%d", i + 1);
    d.attribute = kFields[i].attribute;
    d.byte_length = kFields[i].length;
    d.digits = kFields[i].digits;
    d.fraction_digits = kFields[i].fraction;
    d.position = position;
    d.sign = '0';
    d.blank_when_zero = 'F';
    d.justified = 'F';
    d.edit_flag = 'F';
    position += kFields[i].length;
  }
  if (position != kRecordLength) return 1;

  std::mt19937 random(11);
  std::vector<unsigned char> pool(static_cast<std::size_t>(kPool) * kRecordLength, ' ');
  for (int i = 0; i < kPool; ++i) {
    unsigned char* r = pool.data() + static_cast<std::size_t>(i) * kRecordLength;
    std::snprintf(reinterpret_cast<char*>(r), 11, "%010d", i);
    r[10] = ' ';
    PutPacked(r + kAmountAt, static_cast<long>(random() % 1000000) - 100000);
    const char* name = kNames[random() % 7];
    std::memcpy(r + kNameAt, name, std::strlen(name));
    PutNational(r + kRegionAt, kRegions[random() % 5]);
  }

  DTF dtf;
  KRACInit(&dtf);
  dtf.record_layout = layout;
  dtf.record_length = kRecordLength;
  dtf.record_area_length = kRecordLength;

  char constants[5][KCND_CONSTANT_SIZE] = {"5000.00", "K*?A"};
  std::snprintf(constants[2], KCND_CONSTANT_SIZE, "%s", kRegions[0]);
  std::snprintf(constants[3], KCND_CONSTANT_SIZE, "%s", kRegions[2]);
  std::snprintf(constants[4], KCND_CONSTANT_SIZE, "%s", kRegions[4]);
  SelCompEntry elements[5] = {};
  for (int i = 0; i < 5; ++i) {
    elements[i].kind = KCND_KIND_CONSTANT;
    elements[i].constant = constants[i];
    elements[i].any_string = '*';
    elements[i].any_one = '?';
  }
  elements[2].next = &elements[3];
  elements[3].next = &elements[4];
  SelCondEntry conditions[3] = {{kAmount, KCND_OP_GE, &elements[0]},
                                {kName, KCND_OP_EQ, &elements[1]},
                                {kRegion, KCND_OP_EQ, &elements[2]}};
  for (SelCondEntry& c : conditions) {
    for (SelCompEntry* e = c.comparisons; e != nullptr; e = e->next) {
      e->check_result = KCNDCompChek(c.key_item, c.op, e->constant, &dtf, '*', '?', 0);
      if (e->check_result != 0 && e->check_result != 1) {
        std::printf("check of %s failed: %d\n", e->constant, e->check_result);
        return 1;
      }
    }
  }
  char prefix[KCND_PREFIX_SIZE];
  if (KCNDCondChek("(1O2)A3", prefix, 3) != 0) return 1;
  SelRunOptions options{0, 0};
  std::vector<std::string> regions;
  for (int i : {0, 2, 4}) {
    std::string r(20, ' ');
    PutNational(reinterpret_cast<unsigned char*>(r.data()), kRegions[i]);
    regions.push_back(r);
  }

  // Both must agree on every record of the pool.
  for (int i = 0; i < kPool; ++i) {
    unsigned char* r = pool.data() + static_cast<std::size_t>(i) * kRecordLength;
    dtf.record_area = reinterpret_cast<char*>(r);
    int error_item = 0;
    int result = KCNDSelect1(&dtf, prefix, conditions, &error_item, &options);
    if (result != (Baseline(r, regions) ? 1 : 0)) {
      std::printf("record %d: selection %d disagrees with the baseline\n", i, result);
      return 1;
    }
  }

  long selected = 0;
  long before = allocations.load();
  auto start = Clock::now();
  double cpu_start = CpuSeconds();
  for (long n = 0; n < records; ++n) {
    dtf.record_area = reinterpret_cast<char*>(pool.data() + (n % kPool) * kRecordLength);
    int error_item = 0;
    selected += KCNDSelect1(&dtf, prefix, conditions, &error_item, &options) == 1;
  }
  double select_time = Elapsed(start);
  double select_cpu = CpuSeconds() - cpu_start;
  long made = allocations.load() - before;

  long baseline_selected = 0;
  start = Clock::now();
  cpu_start = CpuSeconds();
  for (long n = 0; n < records; ++n) {
    baseline_selected += Baseline(pool.data() + (n % kPool) * kRecordLength, regions);
  }
  double baseline_time = Elapsed(start);
  double baseline_cpu = CpuSeconds() - cpu_start;

  std::printf("prefix form %s, %ld records, %ld selected (baseline %ld)\n", prefix, records,
              selected, baseline_selected);
  std::printf("%-12s %14s %14s %10s %10s\n", "", "per CPU second", "per second", "CPU s", "wall s");
  std::printf("%-12s %14.0f %14.0f %10.3f %10.3f\n", "KCNDSelect1", records / select_cpu,
              records / select_time, select_cpu, select_time);
  std::printf("%-12s %14.0f %14.0f %10.3f %10.3f\n", "hand-written", records / baseline_cpu,
              records / baseline_time, baseline_cpu, baseline_time);
  std::printf("ratio KCNDSelect1 / hand-written CPU time: %.2f\n", select_cpu / baseline_cpu);
  std::printf("operator new calls during the evaluations: %ld\n", made);
  std::free(layout);
  return made == 0 && selected == baseline_selected ? 0 : 1;
}
