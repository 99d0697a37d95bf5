// The meaning of a system error code in a message. Messages such as
// "KRAC3623-S %s ファイルに書き込めません。(%s)" show the Windows-numbered
// code of the failed system call; on Linux nobody knows those numbers, so the
// insert carries the code followed by its meaning: "(112 ディスクがいっぱいです)".
//
// The meanings are texts of the message library's own string table
// (qelmessage_strings.tsv), id kMeaningBase + code, CP932.
#ifndef QEL_MESSAGE_SYSTEM_ERROR_TEXT_H_
#define QEL_MESSAGE_SYSTEM_ERROR_TEXT_H_

#include <string>
#include <string_view>

#include "message/qelmessage.h"

namespace qel::message {

inline constexpr unsigned kMeaningBase = 10000;

// The meaning of `code` (CP932), or empty when the table has none.
QELMESSAGE_EXPORT std::string SystemErrorMeaning(int code);

// The insert for a code given as decimal text ("112", or a sub-code with
// leading blanks or zeros): the code, a blank and its meaning. Any other
// text, and a code without a meaning, is returned unchanged.
QELMESSAGE_EXPORT std::string SystemErrorInsert(std::string_view code_text);

}  // namespace qel::message

#endif  // QEL_MESSAGE_SYSTEM_ERROR_TEXT_H_
