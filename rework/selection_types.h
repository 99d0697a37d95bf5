// The selection condition table as the selection library reads it: one
// SelCondEntry per condition, each with its list of SelCompEntry comparison
// values. Fields keep the order the selection library gives them.
#ifndef QEL_REWORK_SELECTION_TYPES_H_
#define QEL_REWORK_SELECTION_TYPES_H_

namespace qel::rework {

struct SelCompEntry {
  int kind;            // 1 constant, 2 item
  int item;            // comparison item number; negative for an undefined name
  char* constant;      // 48-byte buffer, NUL-terminated; a leading '"' is a marker
  SelCompEntry* next;  // next value or null
  int check_result;    // 0 plain comparison, 1 pattern with metacharacters
  char any_string;     // the procedure's metacharacters, copied in by the check
  char any_one;
};

struct SelCondEntry {
  int key_item;               // key item number; negative for an undefined name
  int op;                     // operator code 1 to 6 (7: not a valid operator)
  SelCompEntry* comparisons;  // head of the comparison list
};

struct SelRunOptions {
  int big_endian;
  int blank_when_zero;
};

}  // namespace qel::rework

#endif  // QEL_REWORK_SELECTION_TYPES_H_
