// The checks of a conversion dialog's run button, without widgets: the
// fields in the dialog's order, and the message of the first one that fails.
#ifndef QEL_XFORM_QELXFORM_RUN_CHECKS_H_
#define QEL_XFORM_QELXFORM_RUN_CHECKS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::xform::gui {

enum class FieldKind { kSam, kText, kCsv, kIsam, kDefinition, kVsam, kRecordLength, kSeparator };

struct DialogField {
  FieldKind kind;
  std::string value;  // CP932, as typed
  bool is_output = false;
};

struct CheckFailure {
  int message;      // number in the program's string table
  int field_index;  // the field that gets the focus
};

// Longest file name a field takes, and the longest record-length text.
inline constexpr std::size_t kMaxFileNameField = 2048;
inline constexpr std::size_t kMaxRecordLengthField = 259;

// Nothing when every check passes.
std::optional<CheckFailure> CheckDialogFields(const std::vector<DialogField>& fields);

// "+80" -> 80; nullopt unless 1 to 5 decimal digits (optional "+") in 1..65535.
std::optional<unsigned> ParseRecordLength(std::string_view text);

// The separator character of the combo-box text: "{SPACE}", "{TAB}", or the
// first character typed; nullopt for an empty text.
std::optional<char> ParseSeparator(std::string_view text);

}  // namespace qel::xform::gui

#endif  // QEL_XFORM_QELXFORM_RUN_CHECKS_H_
