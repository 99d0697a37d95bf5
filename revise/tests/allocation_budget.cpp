#include "revise/tests/allocation_budget.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_left{-1};
std::atomic<long> g_count{0};

void* Allocate(std::size_t size) {
  long left = g_left.load(std::memory_order_relaxed);
  if (left == 0) return nullptr;
  if (left > 0) g_left.store(left - 1, std::memory_order_relaxed);
  g_count.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void qel::revise::test::SetAllocationBudget(long allocations) { g_left = allocations; }
long qel::revise::test::AllocationCount() { return g_count; }

// Every form of new and delete, so that all memory comes from and goes back
// to one allocator.
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
