// The lines of the rework program's lists, as CP932 text: items by level,
// combo-box items, edit entries, conditions and the fault lists. Every
// width is a byte count; a text cut to a width never splits a double-byte
// character.
#ifndef QEL_REWORK_QELREWORK_LIST_LINES_H_
#define QEL_REWORK_QELREWORK_LIST_LINES_H_

#include <string>
#include <string_view>

#include "recacc/qelrecacc.h"
#include "rework/qelrework/zovoz_editor.h"

namespace qel::rework {

// Text `id` of the program's string table (CP932), empty when missing.
std::string ProgramString(unsigned id);

// `text` cut to at most `width` bytes and padded with blanks to it (left
// aligned), or right aligned when `right`.
std::string Pad(std::string_view text, std::size_t width, bool right = false);

// An item of a layout, indented by its level, with `mark` before its
// number and its attribute letter and length after its name.
std::string ItemLine(const ItemDescriptor& item, char mark);

// "#n name" of the condition dialogs' item combo boxes.
std::string ComboItem(int number, std::string_view name);
// "#E", the place and the name of an undefined name.
std::string UndefinedComboItem(int place, std::string_view name);

// A condition of the list of the condition dialog (number from 1).
std::string ConditionLine(const ZovozEditor& editor, int number, const ConditionDraft& condition,
                          bool faulty);

// An edit entry: input item (or the constant's first 8 bytes), arrow,
// output item.
std::string EditLine(const EditEntry& entry);

// The fault lists of the last check.
std::string SelectionFaultLine(const SelectionFault& fault);
std::string EditFaultLine(const CZovozDoc& doc, const EditFault& fault);

// A message's text from the string table with its line breaks as blanks.
std::string MessageLine(int message);

}  // namespace qel::rework

#endif  // QEL_REWORK_QELREWORK_LIST_LINES_H_
