// List lines. The widths follow the system's line formats so that the
// columns of a list line up in a fixed-pitch font.
#include "rework/qelrework/list_lines.h"

#include <cstdio>
#include <cstring>

#include "platform/string_table.h"
#include "rework/edit_engine.h"
#include "rework/procedure_file.h"
#include "rework/qelrework/rework_texts.h"

namespace qel::rework {

namespace {

std::string Number(int value, int width, bool left = true) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, left ? "%-*d" : "%*d", width, value);
  return buffer;
}

char AttributeLetter(int attribute) {
  switch (attribute) {
    case 1: return 'X';
    case 2: return 'A';
    case 3: return 'N';
    case 4: return 'G';
    case 5: case 22: return 'B';
    case 6: case 7: return 'P';
    case 8: case 9: return '9';
    case 20: return 'D';
    case 21: return 'T';
    default: return 'E';
  }
}

// The comparison column of a condition line: "%2s" marker and the text.
std::string ComparisonColumn(const ZovozEditor& editor, const Comparison& v) {
  if (v.kind == 2 && v.item < 0) {
    const auto& names = editor.doc().undefined_names();
    std::size_t place = static_cast<std::size_t>(-v.item);
    std::string name = place <= names.size() ? names[place - 1] : std::string();
    return "#E" + Number(static_cast<int>(place), 4) + Pad(name, 24);
  }
  if (v.kind == 2) return "  " + Pad(editor.ItemName(false, v.item), 30);
  return "\"\"" + Pad(v.constant, 30);
}

}  // namespace

std::string ProgramString(unsigned id) {
  auto text = platform::LoadProgramString(id);
  return text ? std::string(*text) : std::string();
}

std::string Pad(std::string_view text, std::size_t width, bool right) {
  std::string cut(CutCharacters(text, width));
  std::string blanks(width - cut.size(), ' ');
  return right ? blanks + cut : cut + blanks;
}

std::string ItemLine(const ItemDescriptor& item, char mark) {
  std::string name(item.name, strnlen(item.name, sizeof item.name));
  if (item.occurrence > 0 && item.level > 1) name += "(" + std::to_string(item.occurrence) + ")";
  std::string line;
  if (item.level <= 1) {
    line = "  " + std::string(1, mark) + " " + Number(item.number, 4) + "  " + Pad(name, 31) + " ";
  } else {
    char level[16];
    std::snprintf(level, sizeof level, "%02d", item.level);
    line = std::string(static_cast<std::size_t>(item.level - 2) * 2, ' ') + "   " +
           Pad(level, 2, true) + "  " + std::string(1, mark) + " " + Number(item.number, 4) +
           "  " + Pad(name, 31);
  }
  return line + " " + std::string(1, AttributeLetter(item.attribute)) + " " +
         std::to_string(item.byte_length);
}

std::string ComboItem(int number, std::string_view name) {
  return "#" + std::to_string(number) + " " + std::string(name);
}

std::string UndefinedComboItem(int place, std::string_view name) {
  return "#E" + Number(place, 4) + Pad(name, 48);
}

std::string ConditionLine(const ZovozEditor& editor, int number, const ConditionDraft& c,
                          bool faulty) {
  std::string line = Number(number, 2, false) + " : ";
  if (c.key < 0) {
    const auto& names = editor.doc().undefined_names();
    std::size_t place = static_cast<std::size_t>(-c.key);
    std::string name = place <= names.size() ? names[place - 1] : std::string();
    line += "#E" + Number(static_cast<int>(place), 4) + Pad(name, 24);
  } else {
    line += Pad(editor.ItemName(false, c.key), 30);
  }
  std::string op = c.op >= 1 && c.op <= 6 ? ProgramString(kTextOperatorFirst + c.op - 1) : "?";
  line += " " + Pad(op, 3);
  if (c.values.size() > 1) {
    line += "   " + ProgramString(faulty ? kTextSeveralFaultMark : kTextSeveralMark);
  } else if (!c.values.empty()) {
    line += " " + ComparisonColumn(editor, c.values.front());
  }
  // Trailing blanks carry nothing.
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string EditLine(const EditEntry& e) {
  std::string line;
  if (e.kind == 1) {
    line = " " + Pad(e.constant != nullptr ? e.constant : "", 8);
  } else if (e.input_item < 0) {
    line = " " + Number(e.input_item, 8);
  } else {
    line = " #" + Number(e.input_item, 7);
  }
  line += " " + Pad(ProgramString(kTextEntryArrow), 20, true) + " #" + Number(e.output_item, 7);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string MessageLine(int message) {
  std::string text = ProgramString(static_cast<unsigned>(message));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() &&
        (static_cast<unsigned char>(text[i]) <= 0x9f ||
         static_cast<unsigned char>(text[i]) >= 0xe0)) {
      ++i;  // the trail byte of a double-byte character
      continue;
    }
    if (text[i] == '\n') text[i] = ' ';
  }
  if (text.empty()) text = std::to_string(message);
  return text;
}

std::string SelectionFaultLine(const SelectionFault& fault) {
  std::string line = "      ";
  if (fault.condition < 0) {
    line += Pad(ProgramString(kTextFaultOfExpression), 14) + " :";
  } else {
    line += Pad(ProgramString(kTextFaultOfCondition), 10) + Number(fault.condition, 2, false) +
            Pad(ProgramString(kTextConditionNumberSuffix), 2) + " :";
  }
  line += " " + Pad(MessageLine(fault.message), 200);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string EditFaultLine(const CZovozDoc& doc, const EditFault& fault) {
  // The entry of the fault by its place in the list.
  const EditEntry* e = fault.entry >= 0 ? doc.edit_list : nullptr;
  for (int i = 0; e != nullptr && i < fault.entry; ++i) e = e->next;
  std::string line = "      ";
  auto reference = [](int ref) {
    if (ref < 0) return "#E" + Number(-ref, 4);
    return "#" + Number(ref, 4) + " ";
  };
  if (e == nullptr) {
    line += Pad(fault.input, 10) + " " + Pad(ProgramString(kTextArrow), 2) + " " +
            Pad(fault.output, 6);
  } else {
    if (e->kind == 1) {
      line += " " + Pad(e->constant != nullptr ? e->constant : "", 8) + " ";
    } else {
      line += reference(e->input_item) + "    ";
    }
    line += Pad(ProgramString(kTextArrow), 2) + " " + reference(e->output_item);
  }
  line += " : " + Pad(MessageLine(EditCheckMessage(fault.message)), 200);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace qel::rework
