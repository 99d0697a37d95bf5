// qeldef: the definition tool of the command line.
//   qeldef [--pic] FILE.FLF       prints the organisation, record format and
//       record length of a file definition and one tab-separated line per
//       layout entry (number level name attribute bytelength digits fraction
//       occurrence position [clause]; what the clause cannot say follows
//       it as a "*>" comment). Exit 0; on a definition error the message
//       and 1.
//   qeldef import [options] COPYBOOK NAME.FLF   writes NAME.FLF and NAME.RDF
//       from the copybook's record and prints their layout; every refusal is
//       "COPYBOOK:LINE: ITEM: reason" on standard error, exit 1, no file.
//   qeldef export [--binary comp|comp-5] NAME.FLF COPYBOOK   writes a
//       fixed-format copybook from a definition pair.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/standard_descriptors.h"
#include "platform/string_table.h"
#include "recacc/qeldef/copybook_export.h"
#include "recacc/qeldef/copybook_import.h"
#include "recacc/qeldef/copybook_reader.h"
#include "recacc/qeldef/definition_writer.h"
#include "recacc/qeldef/picture.h"
#include "recacc/qelrecacc.h"

namespace {

namespace pf = qel::platform;
namespace cb = qel::copybook;

// Numbers of qeldef's own texts.
constexpr unsigned kTextUsage = 1;
constexpr unsigned kTextCannotRead = 2;
constexpr unsigned kTextCannotWrite = 3;
constexpr unsigned kTextDoesNotRead = 4;
constexpr unsigned kTextBadOption = 5;
constexpr unsigned kTextOverlap = 6;

void Print(const std::string& text) { std::fputs(pf::ForConsole(text).c_str(), stdout); }

// One of qeldef's texts with its inserts, in the console's encoding.
std::string Text(unsigned id, std::vector<std::string> inserts = {}) {
  auto text = pf::LoadProgramString(id);
  if (!text) return "qeldef " + std::to_string(id);
  std::vector<const char*> ptrs;
  for (const auto& s : inserts) ptrs.push_back(s.c_str());
  return pf::FormatForDisplay(*text, ptrs.data(), static_cast<int>(ptrs.size()),
                              pf::ConsoleIsUtf8());
}

int Usage() {
  std::fputs((Text(kTextUsage) + "\n").c_str(), stderr);
  return 1;
}

int Fail(const char* path, DTF* dtf) {
  unsigned status = KRACGetStatus(dtf);
  const char* sub = KRACGetSubCode(dtf);
  std::string line = pf::LoadProgramString(status)
                         ? Text(status, {path, sub})
                         : "KRAC" + std::to_string(status) + " " + path;
  std::fputs((line + "\n").c_str(), stdout);
  return 1;
}

int Show(const char* path, bool pic) {
  DTF dtf;
  KRACInit(&dtf);
  dtf.definition_path = path;
  if (KRACSproc(&dtf) != 0) return Fail(path, &dtf);
  std::printf("organisation\t%s\n", dtf.organisation);
  std::printf("record format\t%s\n", dtf.record_format);
  std::printf("record length\t%d\n", static_cast<int>(dtf.record_length));
  int count = KRACGetEcnt(&dtf);
  for (int n = 1; n <= count; ++n) {
    ItemDescriptor e;
    if (KRACDainfSet(n, &dtf, &e) != 0) break;
    std::string name(e.name, strnlen(e.name, sizeof e.name));
    std::printf("%d\t%d\t", static_cast<int>(e.number), static_cast<int>(e.level));
    Print(name);
    std::printf("\t%d\t%d\t%d\t%d\t%d\t%d", static_cast<int>(e.attribute),
                static_cast<int>(e.byte_length), static_cast<int>(e.digits),
                static_cast<int>(e.fraction_digits), static_cast<int>(e.occurrence),
                static_cast<int>(e.position));
    if (pic) {
      cb::ClauseParts parts;
      parts.attribute = e.attribute;
      parts.bytes = e.byte_length;
      parts.digits = e.digits;
      parts.fraction = e.fraction_digits;
      if (e.edit_flag == 'T') parts.edit.assign(e.edit_string, strnlen(e.edit_string, sizeof e.edit_string));
      parts.sign = e.sign;
      parts.blank_when_zero = e.blank_when_zero == 'T';
      parts.justified = e.justified == 'T';
      parts.synchronized = e.synchronized == 'T';
      cb::Clause clause = cb::ClauseOf(parts);
      if (!clause.comment.empty()) clause.text += " *> " + clause.comment;
      std::printf("\t%s", clause.text.c_str());
    }
    std::printf("\n");
  }
  std::fflush(stdout);
  KRACRinfFree(&dtf);
  return 0;
}

// "--name value" or "--name=value": the value, advancing *i; nullptr when
// `arg` is not this option.
const char* Option(int argc, char** argv, int* i, const char* name) {
  std::size_t len = std::strlen(name);
  const char* arg = argv[*i];
  if (std::strncmp(arg, name, len) != 0) return nullptr;
  if (arg[len] == '=') return arg + len + 1;
  if (arg[len] != '\0' || *i + 1 >= argc) return nullptr;
  return argv[++*i];
}

void PrintDiagnostic(const std::string& copybook, const cb::Diagnostic& d) {
  std::string line = copybook + ":" + std::to_string(d.line) + ": " + pf::ForConsole(d.item) +
                     ": " + Text(static_cast<unsigned>(d.reason), {d.insert});
  std::fputs((line + "\n").c_str(), stderr);
}

int Import(int argc, char** argv) {
  cb::ReadOptions read;
  cb::ImportOptions options;
  std::string record_format = "F";
  std::vector<std::string> paths;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    const char* v;
    if ((v = Option(argc, argv, &i, "--organisation"))) {
      options.organisation = v;
      if (options.organisation != "S" && options.organisation != "VK" && options.organisation != "R")
        return std::fputs((Text(kTextBadOption, {arg}) + "\n").c_str(), stderr), 1;
    } else if ((v = Option(argc, argv, &i, "--format"))) {
      record_format = v;
      if (record_format != "F" && record_format != "FB" && record_format != "V" &&
          record_format != "VB")
        return std::fputs((Text(kTextBadOption, {arg}) + "\n").c_str(), stderr), 1;
    } else if ((v = Option(argc, argv, &i, "--record"))) {
      // Typed on a UTF-8 console; the copybook's names are CP932.
      options.record = v;
      if (pf::IsNonAsciiUtf8(options.record))
        options.record = pf::Utf8ToCp932(options.record).value_or(options.record);
    } else if ((v = Option(argc, argv, &i, "--encoding"))) {
      std::string e = v;
      if (e != "cp932" && e != "utf-8")
        return std::fputs((Text(kTextBadOption, {arg}) + "\n").c_str(), stderr), 1;
      read.utf8 = e == "utf-8";
    } else if (arg == "--free") {
      read.free_format = true;
    } else if (arg == "--odo=max") {
      options.odo_max = true;
    } else if (arg == "--wide-binary=x") {
      options.wide_binary_x = true;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return std::fputs((Text(kTextBadOption, {arg}) + "\n").c_str(), stderr), 1;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 2) return Usage();
  const std::string& copybook = paths[0];
  const std::string& flf = paths[1];
  auto text = pf::ReadWholeFile(copybook.c_str());
  if (!text) return std::fputs((Text(kTextCannotRead, {copybook}) + "\n").c_str(), stderr), 1;
  // A copybook without an 01 is given one named after the definition.
  std::string stem = std::filesystem::path(flf).stem().string();
  if (pf::IsNonAsciiUtf8(stem)) stem = pf::Utf8ToCp932(stem).value_or(stem);
  options.default_record_name = cb::UpperCase(stem);

  cb::ImportResult result = cb::ImportCopybook(cb::ReadCopybook(*text, read), options);
  for (const cb::Diagnostic& d : result.diagnostics) PrintDiagnostic(copybook, d);
  if (!result.ok) return 1;
  uint32_t status = 0;
  switch (cb::WriteDefinitionPair(flf, options.organisation, record_format, result.items,
                                  &status)) {
    case cb::WriteResult::kWritten: break;
    case cb::WriteResult::kCannotWrite:
      std::fputs((Text(kTextCannotWrite, {flf}) + "\n").c_str(), stderr);
      return 1;
    case cb::WriteResult::kDoesNotRead:
      std::fputs((Text(kTextDoesNotRead, {flf, std::to_string(status)}) + "\n").c_str(), stderr);
      return 1;
  }
  return Show(flf.c_str(), false);
}

int Export(int argc, char** argv) {
  bool native = false;
  std::vector<std::string> paths;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (const char* v = Option(argc, argv, &i, "--binary")) {
      std::string b = v;
      if (b != "comp" && b != "comp-5")
        return std::fputs((Text(kTextBadOption, {arg}) + "\n").c_str(), stderr), 1;
      native = b == "comp-5";
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return std::fputs((Text(kTextBadOption, {arg}) + "\n").c_str(), stderr), 1;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 2) return Usage();
  const std::string& flf = paths[0];
  const std::string& copybook = paths[1];
  DTF dtf;
  KRACInit(&dtf);
  dtf.definition_path = flf.c_str();
  if (KRACSproc(&dtf) != 0) return Fail(flf.c_str(), &dtf);
  KRACRinfFree(&dtf);
  auto items = cb::ReadItemRecords(flf);
  if (!items) return std::fputs((Text(kTextCannotRead, {flf}) + "\n").c_str(), stderr), 1;
  cb::ExportResult result =
      cb::ExportCopybook(*items, native, std::filesystem::path(flf).filename().string());
  if (!result.ok) {
    std::fputs((Text(kTextOverlap, {flf, pf::ForConsole(result.fault_item)}) + "\n").c_str(),
               stderr);
    return 1;
  }
  // Written under a temporary name and renamed: no half-written copybook.
  std::string temporary = copybook + ".qeldef-tmp";
  pf::File out = pf::File::Open(temporary.c_str(), pf::FileAccess::kWrite,
                                pf::Disposition::kCreateAlways, pf::ShareMode::kAll);
  bool ok = out.is_open() &&
            pf::WriteFile(out.handle(), result.text.data(), result.text.size()) ==
                static_cast<int64_t>(result.text.size()) &&
            out.Close();
  std::error_code ec;
  if (ok) std::filesystem::rename(temporary, copybook, ec);
  if (!ok || ec) {
    std::filesystem::remove(temporary, ec);
    std::fputs((Text(kTextCannotWrite, {copybook}) + "\n").c_str(), stderr);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  if (argc >= 2 && std::strcmp(argv[1], "import") == 0) return Import(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "export") == 0) return Export(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--pic") == 0) return Show(argv[2], true);
  if (argc == 3 && std::strcmp(argv[2], "--pic") == 0) return Show(argv[1], true);
  if (argc != 2) {
    if (auto usage = pf::LoadProgramString(kTextUsage)) Print(std::string(*usage) + "\n");
    return 1;
  }
  return Show(argv[1], false);
}
