// Evaluation of a compiled selection against the current record: the walk
// over the prefix form with its short cuts, the decoding of key and
// comparison items through the item codec, and the comparisons.
#ifndef QEL_FILTER_EVALUATOR_H_
#define QEL_FILTER_EVALUATOR_H_

#include <string_view>

#include "codec/decimal.h"
#include "filter/qelfilter.h"

namespace qel::filter {

// A numeric constant of a condition as a value: a leading "-" makes it
// negative, the digits before "." are the integer digits and those after it
// the fraction digits (other characters are passed over); a negative value
// whose digits are all 0 is positive. The empty text is zero with
// empty_integer_digits / empty_fraction_digits digits. Digits beyond the
// value's capacity are dropped. Only the digits of the value's shape are
// written.
void ConstantValue(std::string_view text, int empty_integer_digits, int empty_fraction_digits,
                   codec::Decimal* value);

// KCNDSelect1's contract. A prefix form that is empty, holds a character
// other than digits, ",", "A" and "O", names a condition outside 1 to
// KCND_MAX_CONDITIONS or lacks an operand selects nothing (0); only the
// first KCND_PREFIX_SIZE - 1 bytes are read. Allocates nothing. Threads
// may call it at once, each with its own DTF: the table and prefix are only
// read and the working storage is per thread.
int Select(DTF* dtf, const char* prefix, const SelCondEntry* conditions, int* error_item,
           const SelRunOptions* options);

}  // namespace qel::filter

#endif  // QEL_FILTER_EVALUATOR_H_
