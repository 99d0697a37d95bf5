// Test helpers of the rework window program: the input and output record
// definitions every test uses and packed numbers for their data.
#ifndef QEL_REWORK_QELREWORK_TESTS_WINDOW_FIXTURE_H_
#define QEL_REWORK_QELREWORK_TESTS_WINDOW_FIXTURE_H_

#include <string>

#include "rework/tests/rework_fixture.h"

namespace qel::rework::test {

// IN: IN-REC (10 bytes) with CODE X(3), AMOUNT S9(5) COMP-3, NAME X(4);
// OUT: OUT-REC with AMOUNT 9(6), CODE X(3), FLAG X(1). Sets both paths of
// the file definitions.
inline void WriteSampleDefinitions(const TempDir& dir, std::string* in_def, std::string* out_def) {
  *in_def = WriteDefinition(dir, "IN",
                            {{"01", "IN-REC", "G", "0", 0},
                             {"05", "CODE", "X", "3", 0},
                             {"05", "AMOUNT", "P", "5", 3},
                             {"05", "NAME", "X", "4", 6}});
  *out_def = WriteDefinition(dir, "OUT",
                             {{"01", "OUT-REC", "G", "0", 0},
                              {"05", "AMOUNT", "9", "6", 0},
                              {"05", "CODE", "X", "3", 6},
                              {"05", "FLAG", "X", "1", 9}});
}

}  // namespace qel::rework::test

#endif  // QEL_REWORK_QELREWORK_TESTS_WINDOW_FIXTURE_H_
