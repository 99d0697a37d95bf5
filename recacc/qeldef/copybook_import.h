// The mapping of a copybook's record to the item records of a record
// definition: kinds, lengths, flags and byte positions, with every fault that
// would make the pair unreadable (or silently wrong) reported instead.
//
// Positions are computed in one pass: an item that is not a redefinition
// starts where its previous sibling ends (start + size x max(OCCURS, 1)); a
// group's size is the furthest end below it; a redefinition starts at its
// object, which must be the preceding entry of its level or an earlier
// redefinition of it, and may not be longer than the object.
//
// Record choice: a record begins at each level-01 entry; entries before the
// first 01 (a copybook meant to be copied under a record of the user's) form
// a record of their own under an 01 group named `default_record_name`. The
// first record is taken, or the one named by `record`; the others are
// reported as ignored. A FILLER or nameless 01 takes `default_record_name`
// (the layout would leave it out). A REDEFINES clause of the chosen 01 is dropped with a
// warning (the record is the whole layout).
#ifndef QEL_RECACC_QELDEF_COPYBOOK_IMPORT_H_
#define QEL_RECACC_QELDEF_COPYBOOK_IMPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "recacc/qeldef/copybook_reader.h"
#include "recacc/qeldef/definition_writer.h"

namespace qel::copybook {

struct ImportOptions {
  std::string record;               // --record NAME; empty: the first record
  std::string default_record_name;  // the 01 of a copybook that has none (CP932)
  std::string organisation = "S";   // sets the record length limit
  bool odo_max = false;             // --odo=max
  bool wide_binary_x = false;       // --wide-binary=x
};

struct ImportResult {
  bool ok = false;                      // no fault among the diagnostics
  std::vector<ItemRecord> items;        // filled when ok
  std::vector<Diagnostic> diagnostics;  // the reader's and the mapping's, in line order
  int64_t record_length = 0;
};

inline constexpr std::size_t kMaxNameBytes = 30;
inline constexpr std::size_t kMaxItems = 9999;
inline constexpr int kMaxOccursLevels = 7;

// Maps the entries `read` holds (its diagnostics are carried over).
ImportResult ImportCopybook(const ReadResult& read, const ImportOptions& options);

}  // namespace qel::copybook

#endif  // QEL_RECACC_QELDEF_COPYBOOK_IMPORT_H_
