// Export: the raw item records of a record definition (not the unrolled
// layout) written back as a fixed-format copybook.
//
// Each kind becomes its clause (picture.h), OCCURS comes from ANUM,
// REDEFINES from RENM, JUSTIFIED and BLANK WHEN ZERO from their flags; a gap
// between an item's position and the end of what precedes it becomes
// "FILLER PIC X(k)"; kinds without a clause (bit, date, time, ...) become
// PIC X(bytes) with a "*>" comment naming the kind; SYNCHRONIZED is only a
// comment, since its slack already stands in the positions. Text lies in
// columns 8-72; a clause that does not fit goes on the next line.
#ifndef QEL_RECACC_QELDEF_COPYBOOK_EXPORT_H_
#define QEL_RECACC_QELDEF_COPYBOOK_EXPORT_H_

#include <string>
#include <vector>

#include "recacc/qeldef/definition_writer.h"

namespace qel::copybook {

struct ExportResult {
  bool ok = false;
  std::string text;        // the copybook (CP932, LF line ends) when ok
  std::string fault_item;  // the item whose position overlaps what precedes it
};

// `native_binary`: binary kinds as COMP-5 (1- and 2-digit items are written
// with 3 digits, the smallest COMP-5 picture of 2 bytes) instead of COMP.
// `source` names the definition in the opening comment.
ExportResult ExportCopybook(const std::vector<ItemRecord>& items, bool native_binary,
                            const std::string& source);

// Bytes of one occurrence of an elementary item, as the layout builder
// counts them.
int64_t ElementaryBytes(const ItemRecord& item);

}  // namespace qel::copybook

#endif  // QEL_RECACC_QELDEF_COPYBOOK_EXPORT_H_
