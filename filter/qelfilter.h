/* qelfilter: selection conditions of rework procedures.
 *
 * Conventions:
 * 1. Ownership. The caller allocates the condition table, its comparison
 *    lists and the prefix buffer; the library keeps nothing between calls.
 * 2. Failure. Checks return 0 when the input is valid, otherwise the number
 *    of the KRSC message that names the fault. Nothing is shown or logged.
 * 3. Call order. With the input file's layout attached to its DTF, every
 *    comparison element goes through KCNDCompChek and the caller stores the
 *    result and the two metacharacters in the element; then the expression
 *    is checked and compiled by KCNDCondChek with the number of entries of
 *    the condition table. KCNDSelect1 runs only on a table and prefix form
 *    that passed both checks, once per record in the DTF's record area.
 * 4. Threads. The checks work in static storage: one call at a time.
 *    KCNDSelect1 keeps its working storage per thread and only reads the
 *    condition table and prefix: threads may evaluate records at once, each
 *    through a DTF of its own (a copy of the input's DTF whose record area
 *    holds the thread's record).
 */
#ifndef QEL_FILTER_QELFILTER_H_
#define QEL_FILTER_QELFILTER_H_

#include "recacc/qelrecacc.h"

#define QEL_FILTER_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Operator codes of a stored condition. */
enum {
  KCND_OP_EQ = 1, /* = */
  KCND_OP_NE = 2, /* != */
  KCND_OP_GT = 3, /* > */
  KCND_OP_GE = 4, /* >= */
  KCND_OP_LT = 5, /* < */
  KCND_OP_LE = 6, /* <= */
  KCND_OP_INVALID = 7
};

#define KCND_MAX_CONDITIONS 10
#define KCND_MAX_COMPARISONS 10 /* comparison elements of one condition */
#define KCND_PREFIX_SIZE 256    /* compiled expression, NUL included */
#define KCND_CONSTANT_SIZE 48   /* buffer of a constant's text, NUL included */

/* Kinds of a comparison element. */
enum { KCND_KIND_CONSTANT = 1, KCND_KIND_ITEM = 2 };

/* Results of KCNDCompChek besides the KRSC message numbers. */
enum { KCND_PLAIN = 0, KCND_PATTERN = 1 };

/* Results of KCNDSelect1. */
enum {
  KCND_NOT_SELECTED = 0,
  KCND_SELECTED = 1,
  KCND_INVALID_KEY = 2235,       /* invalid data in a key item */
  KCND_INVALID_COMPARISON = 2236 /* invalid data in a comparison item */
};

/* One comparison value of a condition, singly linked in written order. */
typedef struct SelCompEntry {
  int kind;                  /* KCND_KIND_CONSTANT or KCND_KIND_ITEM */
  int item;                  /* comparison item number; negative when unresolved */
  char* constant;            /* KCND_CONSTANT_SIZE bytes, NUL-terminated; a leading
                                '"' is a marker, not part of the value */
  struct SelCompEntry* next; /* next value or null */
  int check_result;          /* from KCNDCompChek: KCND_PLAIN or KCND_PATTERN */
  char any_string;           /* the procedure's any-string metacharacter (' ' unset) */
  char any_one;              /* the procedure's any-one metacharacter (' ' unset) */
} SelCompEntry;

/* One condition: key item, operator and comparison list. */
typedef struct SelCondEntry {
  int key_item;              /* key item number (1-based); negative when unresolved */
  int op;                    /* KCND_OP_EQ .. KCND_OP_LE */
  SelCompEntry* comparisons; /* head of the list, never empty in a checked procedure */
} SelCondEntry;

/* Options of a run that the evaluation needs. */
typedef struct SelRunOptions {
  int big_endian;      /* 1: binary items high-order byte first */
  int blank_when_zero; /* 1: an all-blank unsigned zoned BLANK WHEN ZERO item is zero */
} SelRunOptions;

/* Checks one comparison of a condition: key item number, operator 1 to 6,
 * the comparison text ("#" and an item number, optionally followed by a blank
 * or ":" and anything; otherwise a constant, a leading '"' being a marker),
 * the input file's DTF with its layout, the procedure's metacharacters (low
 * byte used, ' ' when not set) and the BLANK WHEN ZERO option (1 on).
 * KCND_PLAIN, KCND_PATTERN (a constant holding a metacharacter), or a KRSC
 * message number. */
QEL_FILTER_EXPORT int KCNDCompChek(int key_item, int op, const char* text, DTF* dtf, int any_string,
                                   int any_one, int blank_when_zero);

/* Checks the condition expression against a table of count conditions
 * (above 10 taken as 10) and writes its prefix form, NUL-terminated, into
 * prefix (KCND_PREFIX_SIZE bytes). 0, or a KRSC message number. */
QEL_FILTER_EXPORT int KCNDCondChek(const char* expression, char* prefix, int count);

/* Evaluates the prefix form against the record in dtf's record area with
 * the condition table (entry 1 first). KCND_SELECTED, KCND_NOT_SELECTED, or
 * KCND_INVALID_KEY / KCND_INVALID_COMPARISON with the 0-based index of the
 * offending item stored in *error_item. Allocates nothing; conditions that
 * the AND/OR short cut passes over are not looked at. */
QEL_FILTER_EXPORT int KCNDSelect1(DTF* dtf, const char* prefix, SelCondEntry* conditions,
                                  int* error_item, SelRunOptions* options);

/* The procedure-check (KRCK) number under which a selection result is
 * reported when a whole procedure is checked; any other number unchanged. */
static inline int KCNDCheckMessage(int result) {
  switch (result) {
    case 2201:
      return 2135;
    case 2202:
      return 2136;
    case 2203:
      return 2113;
    case 2204:
      return 2114;
    case 2205:
      return 2115;
    case 2206:
      return 2112;
    case 2207:
      return 2101;
    case 2208:
      return 2102;
    case 2209:
      return 2103;
    case 2211:
      return 2104;
    case 2212:
      return 2105;
    case 2213:
      return 2106;
    case 2216:
      return 2107;
    case 2217:
      return 2108;
    case 2218:
      return 2109;
    case 2219:
      return 2110;
    case 2222:
      return 2116;
    case 2224:
      return 2118;
    case 2225:
      return 2119;
    case 2226:
      return 2120;
    case 2227:
      return 2121;
    case 2228:
      return 2122;
    case 2229:
      return 2123;
    case 2230:
      return 2124;
    case 2231:
      return 2125;
    case 2237:
      return 2126;
    default:
      return result;
  }
}

#ifdef __cplusplus
}
#endif

#endif /* QEL_FILTER_QELFILTER_H_ */
