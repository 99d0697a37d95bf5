#include "xform/qelxform/run_checks.h"

#include <cctype>

#include "xform/conversion_drivers.h"

namespace qel::xform::gui {
namespace {

bool IsFile(FieldKind kind) {
  return kind != FieldKind::kRecordLength && kind != FieldKind::kSeparator;
}

int EmptyMessage(FieldKind kind) {
  switch (kind) {
    case FieldKind::kSam:
      return 2712;
    case FieldKind::kText:
      return 2709;
    case FieldKind::kCsv:
      return 2710;
    case FieldKind::kIsam:
      return 2711;
    case FieldKind::kDefinition:
      return 2708;
    case FieldKind::kVsam:
      return 2729;
    case FieldKind::kRecordLength:
      return 2713;
    case FieldKind::kSeparator:
      return 2714;
  }
  return 0;
}

// The extension of the last path component, without the dot; nullopt when
// the name has none.
std::optional<std::string_view> Extension(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  return name.substr(dot + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

std::optional<unsigned> ParseRecordLength(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return value;
}

std::optional<char> ParseSeparator(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (text == "{SPACE}") return ' ';
  if (text == "{TAB}") return '\t';
  return text.front();
}

std::optional<CheckFailure> CheckDialogFields(const std::vector<DialogField>& fields) {
  const int count = static_cast<int>(fields.size());
  // Every file must be named, with the right extension where one is asked.
  for (int i = 0; i < count; ++i) {
    const DialogField& f = fields[i];
    if (!IsFile(f.kind)) continue;
    if (f.value.empty()) return CheckFailure{EmptyMessage(f.kind), i};
    if (f.kind == FieldKind::kIsam) {
      const auto ext = Extension(f.value);
      if (ext && !EqualsIgnoringCase(*ext, "kdf")) return CheckFailure{2725, i};
    }
    if (f.kind == FieldKind::kDefinition && !EndsWith(f.value, ".flf") &&
        !EndsWith(f.value, ".FLF"))
      return CheckFailure{2724, i};
  }
  for (int i = 0; i < count; ++i) {
    if (fields[i].kind != FieldKind::kSeparator) continue;
    if (fields[i].value.empty()) return CheckFailure{2714, i};
    // A separator that can stand inside a field would split or join numbers
    // on the way back.
    if (SeparatorRefused(*ParseSeparator(fields[i].value))) return CheckFailure{2733, i};
  }
  for (int i = 0; i < count; ++i) {
    if (fields[i].kind != FieldKind::kRecordLength) continue;
    if (fields[i].value.empty()) return CheckFailure{2713, i};
    if (!ParseRecordLength(fields[i].value)) return CheckFailure{2719, i};
  }
  // Names too long: the input first, then the definition, then the output.
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < count; ++i) {
      const DialogField& f = fields[i];
      if (!IsFile(f.kind)) continue;
      const int order = f.kind == FieldKind::kDefinition ? 1 : (f.is_output ? 2 : 0);
      if (order == pass && f.value.size() >= 256) return CheckFailure{2717, i};
    }
  }
  return std::nullopt;
}

}  // namespace qel::xform::gui
