// The selection condition table of the selection library, under the rework
// core's namespace.
#ifndef QEL_REWORK_SELECTION_TYPES_H_
#define QEL_REWORK_SELECTION_TYPES_H_

#include "filter/qelfilter.h"

namespace qel::rework {

using ::SelCompEntry;
using ::SelCondEntry;
using ::SelRunOptions;

}  // namespace qel::rework

#endif  // QEL_REWORK_SELECTION_TYPES_H_
