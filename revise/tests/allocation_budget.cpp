#include "revise/tests/allocation_budget.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_left{-1};
std::atomic<long> g_count{0};
}  // namespace

void qel::revise::test::SetAllocationBudget(long allocations) { g_left = allocations; }
long qel::revise::test::AllocationCount() { return g_count; }

void* operator new(std::size_t size) {
  long left = g_left.load(std::memory_order_relaxed);
  if (left == 0) throw std::bad_alloc();
  if (left > 0) g_left.store(left - 1, std::memory_order_relaxed);
  g_count.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
