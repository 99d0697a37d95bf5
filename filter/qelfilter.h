/* qelfilter: selection conditions of rework procedures.
 *
 * Conventions:
 * 1. Ownership. The caller allocates the condition table, its comparison
 *    lists and the prefix buffer; the library keeps nothing between calls.
 * 2. Failure. Checks return 0 when the input is valid, otherwise the number
 *    of the KRSC message that names the fault. Nothing is shown or logged.
 * 3. Call order. The expression is checked and compiled by KCNDCondChek with
 *    the number of entries of the condition table.
 * 4. The library works in static storage: one call at a time.
 */
#ifndef QEL_FILTER_QELFILTER_H_
#define QEL_FILTER_QELFILTER_H_

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
#define KCND_PREFIX_SIZE 256 /* compiled expression, NUL included */

/* Checks the condition expression against a table of count conditions
 * (above 10 taken as 10) and writes its prefix form, NUL-terminated, into
 * prefix (KCND_PREFIX_SIZE bytes). 0, or a KRSC message number. */
QEL_FILTER_EXPORT int KCNDCondChek(const char* expression, char* prefix, int count);

#ifdef __cplusplus
}
#endif

#endif /* QEL_FILTER_QELFILTER_H_ */
