// A test program linking allocation_budget.cpp replaces operator new so that
// allocations fail (std::bad_alloc) once a budget is spent.
#ifndef QEL_REVISE_TESTS_ALLOCATION_BUDGET_H_
#define QEL_REVISE_TESTS_ALLOCATION_BUDGET_H_

namespace qel::revise::test {

// The next `allocations` allocations succeed, the ones after them fail;
// -1 lifts the limit.
void SetAllocationBudget(long allocations);

// Allocations made so far by the program.
long AllocationCount();

}  // namespace qel::revise::test

#endif  // QEL_REVISE_TESTS_ALLOCATION_BUDGET_H_
