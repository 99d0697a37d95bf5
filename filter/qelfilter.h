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
