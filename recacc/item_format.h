// How an item of a record layout is encoded, in the item codec's terms. Every
// program that decodes or encodes record items (the converters, selection,
// rework, revise) takes the format from here.
#ifndef QEL_RECACC_ITEM_FORMAT_H_
#define QEL_RECACC_ITEM_FORMAT_H_

#include "codec/item_codec.h"
#include "recacc/qelrecacc.h"

namespace qel::recacc {

inline codec::ItemFormat ItemFormatOf(const ItemDescriptor& item) {
  codec::ItemFormat f;
  f.attribute = item.attribute;
  f.byte_length = item.byte_length;
  f.integer_digits = item.digits;
  f.fraction_digits = item.fraction_digits;
  // The SIGN field holds the form's digit ("1" to "4") for signed zoned items.
  f.sign = item.sign >= '0' && item.sign <= '9' ? item.sign - '0' : 0;
  f.blank_when_zero = item.blank_when_zero == 'T';
  f.justified = item.justified == 'T';
  return f;
}

}  // namespace qel::recacc

#endif  // QEL_RECACC_ITEM_FORMAT_H_
