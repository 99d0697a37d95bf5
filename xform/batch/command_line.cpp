// Scanning and checking of the console converter's options.
#include "xform/batch/command_line.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "xformio/progress_meter.h"

namespace qel::xform::batch {
namespace {

// The extension: the last "." within the final four characters and what
// follows it; empty when there is none.
std::string_view Extension(std::string_view name) {
  std::size_t from = name.size() >= 4 ? name.size() - 4 : 0;
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < from) return {};
  return name.substr(dot);
}

bool ValidRecordLength(std::string_view v) {
  if (!v.empty() && v[0] == '+') v.remove_prefix(1);
  if (v.empty() || v.size() > 5) return false;
  unsigned long n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned long>(c - '0');
  }
  return n >= 1 && n <= 65535;
}

bool ValidValue(char letter, std::string_view v) {
  switch (letter) {
    case 'f':
      return v == "st" || v == "ts" || v == "sc" || v == "cs" || v == "ic" || v == "vs";
    case 'n':
      return v == "y" || v == "n";
    case 'e':
      return v == "b" || v == "l";
    case 'b':
      return v == "t" || v == "f";
    case 'c':
      return v == "s" || v == "u";
    case 'd': {
      std::string_view ext = Extension(v);
      return ext == ".flf" || ext == ".FLF";
    }
    case 'l':
      return ValidRecordLength(v);
    default:
      return true;
  }
}

Option* Slot(Scanned& s, char letter) {
  switch (letter) {
    case 'f':
      return &s.f;
    case 'i':
      return &s.i;
    case 'd':
      return &s.d;
    case 'o':
      return &s.o;
    case 'l':
      return &s.l;
    case 'n':
      return &s.n;
    case 's':
      return &s.s;
    case 'e':
      return &s.e;
    case 'b':
      return &s.b;
    case 'c':
      return &s.c;
    default:
      return nullptr;
  }
}

void Copy(char* field, std::size_t size, const std::string& value) {
  std::size_t n = std::min(value.size(), size - 1);
  std::memcpy(field, value.data(), n);
  field[n] = '\0';
}

bool Bad(const Option& o) {
  return o.outcome == Outcome::kInvalid || o.outcome == Outcome::kTooLong;
}
bool Missing(const Option& o) {
  return o.outcome == Outcome::kAbsent || o.outcome == Outcome::kMissing;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(a[k])) !=
        std::tolower(static_cast<unsigned char>(b[k]))) {
      return false;
    }
  }
  return true;
}

// The next argument is an option, not a value, when it is longer than one
// character and starts with "/". A Linux path names its directories with "/"
// too: an argument with a second "/" ("/tmp/IN.DAT") is a value.
bool LooksLikeOption(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '/' && arg.find('/', 1) == std::string::npos;
}

}  // namespace

Scanned ScanArguments(const std::vector<std::string>& args) {
  Scanned s;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (arg.size() < 2 || arg[0] != '/') continue;
    char letter = arg[1];
    bool has_value = true;
    std::string value;
    if (arg.size() == 2) {
      if (k + 1 >= args.size() || LooksLikeOption(args[k + 1])) {
        has_value = false;
      } else {
        value = args[++k];
      }
    } else {
      value = arg.substr(2);
    }
    Option* slot = Slot(s, letter);
    if (slot == nullptr) continue;
    Outcome outcome;
    if (!has_value || value.empty()) {
      outcome = Outcome::kMissing;
    } else if (value.size() >= kMaxValueLength) {
      outcome = Outcome::kTooLong;
    } else {
      outcome = ValidValue(letter, value) ? Outcome::kGiven : Outcome::kInvalid;
    }
    if (slot->outcome == Outcome::kAbsent) {
      slot->has_value = has_value && !value.empty() && value.size() < kMaxValueLength;
      if (slot->has_value) slot->value = value;
    }
    slot->outcome = outcome;
  }
  return s;
}

CheckedCommand CheckCommand(const Scanned& s) {
  CheckedCommand c;
  std::memset(&c.table, 0, sizeof c.table);
  auto refuse = [&c](int message) {
    c.message = message;
    return c;
  };
  if (Missing(s.f) || s.f.outcome == Outcome::kTooLong) return refuse(3751);
  if (s.f.outcome == Outcome::kInvalid || !ValidValue('f', s.f.value)) return refuse(3758);
  const std::string& f = s.f.value;
  if (f == "st") c.kind = kKindSamToTxt;
  if (f == "ts") c.kind = kKindTxtToSam;
  if (f == "cs") c.kind = kKindCsvToSam;
  if (f == "sc") c.kind = kKindSamToCsv;
  if (f == "ic") c.kind = kKindIsamToCsv;
  if (f == "vs") c.kind = kKindVsamToSam;

  if (s.i.outcome == Outcome::kTooLong) return refuse(3759);
  if (Missing(s.i)) return refuse(3752);
  bool fixed = c.kind == kKindSamToTxt || c.kind == kKindTxtToSam || c.kind == kKindVsamToSam;
  if (fixed) {
    if (s.o.outcome == Outcome::kTooLong) return refuse(3761);
    if (Missing(s.o)) return refuse(3754);
    if (Bad(s.l)) return refuse(3763);
    if (Missing(s.l)) return refuse(3756);
    std::string_view v = s.l.value;
    if (!v.empty() && v[0] == '+') v.remove_prefix(1);
    unsigned long n = 0;
    for (char ch : v) n = n * 10 + static_cast<unsigned long>(ch - '0');
    c.table.Reclen = static_cast<uint16_t>(n);
  } else {
    if (c.kind == kKindIsamToCsv) {
      std::string_view ext = Extension(s.i.value);
      if (!ext.empty() && !EqualsIgnoringCase(ext, ".kdf")) return refuse(2725);
    }
    if (s.d.outcome == Outcome::kInvalid) return refuse(2724);
    if (s.d.outcome == Outcome::kTooLong) return refuse(c.kind == kKindCsvToSam ? 3762 : 3760);
    if (Missing(s.d)) return refuse(c.kind == kKindCsvToSam ? 3755 : 3753);
    if (s.o.outcome == Outcome::kTooLong) return refuse(3761);
    if (Missing(s.o)) return refuse(3754);
    if (Bad(s.n)) return refuse(3764);
    char separator = ',';
    if (s.s.has_value) {
      if (s.s.value == "{SPACE}") {
        separator = ' ';
      } else if (s.s.value == "{TAB}") {
        separator = '\t';
      } else {
        separator = s.s.value[0];
      }
    }
    if (SeparatorRefused(separator)) return refuse(2733);
    if (Bad(s.e)) return refuse(3765);
    if (Bad(s.b)) return refuse(3766);
    if (Bad(s.c)) return refuse(3767);
    Copy(c.table.SheetFileName, sizeof c.table.SheetFileName, s.d.value);
    c.table.Title = s.n.has_value && s.n.value == "y" ? 1 : 0;
    c.table.BinaryCode = s.e.has_value && s.e.value == "b" ? 1 : 0;
    c.table.BwzType = s.b.has_value && s.b.value == "t" ? 1 : 0;
    c.table.CsvCode = s.c.has_value && s.c.value == "u" ? 1 : 0;
    c.table.Separator[0] = separator;
  }
  Copy(c.table.InFileName, sizeof c.table.InFileName, s.i.value);
  Copy(c.table.OutFileName, sizeof c.table.OutFileName, s.o.value);
  c.table.CharSeparator[0] = '"';
  if (c.table.Separator[0] == '\0') c.table.Separator[0] = ',';
  return c;
}

int RunConversion(int kind, const KXFMTbl& table) {
  std::atomic<std::uint64_t> records{0};
  std::atomic<int> input_file{-1};
  DriverContext context;
  context.output = MessageOutput::kConsole;
  context.records = &records;
  context.input_file = &input_file;
  // Records done, percent and rate on a terminal while the conversion runs.
  xformio::ProgressMeter meter([&records, &input_file] {
    return xformio::ProgressMeter::Sample{records.load(), input_file.load()};
  });
  switch (kind) {
    case kKindSamToTxt:
      return SamToTxt(table, context);
    case kKindTxtToSam:
      return TxtToSam(table, context);
    case kKindCsvToSam:
      return CsvToSam(table, context);
    case kKindSamToCsv:
      return SamToCsv(table, context);
    case kKindIsamToCsv:
      return IsamToCsv(table, context);
    case kKindVsamToSam:
      return VsamToSam(table, context);
    default:
      return kDriverFailed;
  }
}

}  // namespace qel::xform::batch
