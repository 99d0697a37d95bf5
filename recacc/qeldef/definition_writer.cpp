// Writing definition pairs in the form the definition reader takes, and
// reading raw item records back through that reader.
#include "recacc/qeldef/definition_writer.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <span>

#include "platform/file.h"
#include "recacc/definition_reader.h"
#include "recacc/qeldef/copybook_reader.h"
#include "recacc/qelrecacc.h"

namespace qel::copybook {

namespace {

namespace fs = std::filesystem;
namespace pf = qel::platform;

// A quoted value, written so that the definition reader takes back the same
// bytes. The reader takes a lead byte and the byte after it whole, so those
// pairs go as they are; single-byte quotes and backslashes are escaped. A lead
// byte with nothing after it in the value is written as \xHH, or it would take
// the closing quote: the reader takes the first byte of a character from
// 0xF040-0xFCFC singly, so a name ending in one ends in such a byte.
std::string Quoted(const std::string& value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (std::size_t i = 0; i < value.size(); ++i) {
    unsigned char u = static_cast<unsigned char>(value[i]);
    if (recacc::IsDefinitionLeadByte(u)) {
      if (i + 1 < value.size()) {
        out.push_back(value[i]);
        out.push_back(value[++i]);
      } else {
        out += "\\x";
        out.push_back(kHex[u >> 4]);
        out.push_back(kHex[u & 15]);
      }
      continue;
    }
    if (u == '"' || u == '\\') out.push_back('\\');
    out.push_back(value[i]);
  }
  return out + "\"";
}

void Field(std::string* out, const char* keyword, const std::string& value, bool quote) {
  *out += keyword;
  *out += ' ';
  *out += quote ? Quoted(value) : value;
  *out += " ; ";
}

std::string Identification() {
  std::string s;
  Field(&s, "FMVR", "0100", false);
  Field(&s, "PPNM", "QELLAR", true);
  Field(&s, "PPTP", "LINUX", true);
  Field(&s, "PPVR", "0300", true);
  Field(&s, "CONM", "QELDEF", true);
  Field(&s, "COVR", "0100", true);
  Field(&s, "ERFG", "0", false);
  return s;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  pf::File file = pf::File::Open(path.c_str(), pf::FileAccess::kWrite, pf::Disposition::kCreateNew,
                                 pf::ShareMode::kAll);
  if (!file.is_open()) return false;
  if (pf::WriteFile(file.handle(), bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size()))
    return false;
  if (!pf::SyncFile(file.handle())) return false;
  return file.Close();
}

std::string TrimmedField(std::span<const char> record, recacc::FieldRef f) {
  return std::string(recacc::StringField(record, f));
}

}  // namespace

std::string RecordDefinitionText(const std::vector<ItemRecord>& items) {
  std::string out = "HEDR " + Identification() + "ENDHEDR ;\n";
  out += "BODR RNUM " + std::to_string(items.size()) + " ; ENDBODR ;\n";
  for (const ItemRecord& i : items) {
    out += "ITMR ";
    Field(&out, "LNUM", i.level, true);
    Field(&out, "DTNM", i.name, true);
    Field(&out, "DTAT", i.dtat, true);
    Field(&out, "DALE", i.dale, true);
    Field(&out, "ANUM", i.anum, true);
    Field(&out, "SUAF", i.suaf, true);
    Field(&out, "EDCS", i.edcs, true);
    Field(&out, "RENM", i.renm, true);
    Field(&out, "USAG", i.usag, true);
    Field(&out, "BURL", i.burl, true);
    Field(&out, "BIRL", i.birl, true);
    Field(&out, "BLWZ", i.blwz, true);
    Field(&out, "JUST", i.just, true);
    Field(&out, "SIGN", i.sign, true);
    Field(&out, "SYNC", i.sync, true);
    out += "ENDITMR ;\n";
  }
  out += "TRAR " + Identification() + "ENDTRAR ;\n";
  return out;
}

std::string FileDefinitionText(const std::string& organisation, const std::string& record_format,
                               const std::string& rdf_name) {
  std::string out = "HEDR " + Identification() + "ENDHEDR ;\nITMR ";
  Field(&out, "FIOR", organisation, true);
  Field(&out, "RFOR", record_format, true);
  Field(&out, "SNM0", rdf_name, true);
  for (int n = 1; n <= 9; ++n) Field(&out, ("SNM" + std::to_string(n)).c_str(), "", true);
  out += "ENDITMR ;\nTRAR " + Identification() + "ENDTRAR ;\n";
  return out;
}

std::string RecordDefinitionPath(const std::string& flf_path) {
  fs::path p(flf_path);
  std::string ext = p.extension().string();
  bool lower = !ext.empty() && ext.size() > 1 && ext[1] >= 'a' && ext[1] <= 'z';
  p.replace_extension(lower ? ".rdf" : ".RDF");
  return p.string();
}

WriteResult WriteDefinitionPair(const std::string& flf_path, const std::string& organisation,
                                const std::string& record_format,
                                const std::vector<ItemRecord>& items, uint32_t* status) {
  *status = 0;
  fs::path flf(flf_path);
  fs::path rdf(RecordDefinitionPath(flf_path));
  fs::path dir = flf.parent_path();
  std::string tmpl = (dir.empty() ? fs::path(".") : dir).string() + "/.qeldef-XXXXXX";
  if (::mkdtemp(tmpl.data()) == nullptr) return WriteResult::kCannotWrite;
  fs::path work(tmpl);
  fs::path new_flf = work / flf.filename();
  fs::path new_rdf = work / rdf.filename();

  WriteResult result = WriteResult::kWritten;
  if (!WriteBytes(new_rdf.string(), RecordDefinitionText(items)) ||
      !WriteBytes(new_flf.string(),
                  FileDefinitionText(organisation, record_format, rdf.filename().string()))) {
    result = WriteResult::kCannotWrite;
  } else {
    DTF dtf;
    KRACInit(&dtf);
    std::string path = new_flf.string();
    dtf.definition_path = path.c_str();
    if (KRACSproc(&dtf) != 0) {
      *status = KRACGetStatus(&dtf);
      result = WriteResult::kDoesNotRead;
    }
    KRACRinfFree(&dtf);
  }
  std::error_code ec;
  if (result == WriteResult::kWritten) {
    // The record definition first: a file definition never names a missing
    // or stale record definition for longer than the second rename.
    fs::rename(new_rdf, rdf, ec);
    if (!ec) {
      fs::rename(new_flf, flf, ec);
      if (ec) fs::remove(rdf);
    }
    if (ec) result = WriteResult::kCannotWrite;
  }
  fs::remove_all(work, ec);
  return result;
}

std::optional<std::vector<ItemRecord>> ReadItemRecords(const std::string& flf_path) {
  using recacc::DefinitionReader;
  using recacc::NextResult;
  using recacc::RecordKind;
  namespace field = recacc::field;
  int reason = 0;
  auto flf = DefinitionReader::Open(flf_path.c_str(), recacc::Grammar::kFileDefinition, &reason);
  if (!flf) return std::nullopt;
  std::vector<char> buffer(recacc::kFileItemRecordSize);
  RecordKind kind;
  std::string snm0;
  while (flf->Next(buffer, &kind) == NextResult::kRecord) {
    if (kind == RecordKind::kItem) snm0 = TrimmedField(buffer, field::Snm(0));
  }
  flf->Close();
  std::string dir = fs::path(flf_path).parent_path().string();
  std::string path = (dir.empty() ? "" : dir + "/") + std::string(pf::ForeignBaseName(snm0));
  auto resolved = pf::ResolveIgnoringCase(path);
  if (!resolved) return std::nullopt;
  auto rdf = DefinitionReader::Open(resolved->c_str(), recacc::Grammar::kRecordDefinition, &reason);
  if (!rdf) return std::nullopt;
  std::vector<ItemRecord> items;
  while (rdf->Next(buffer, &kind) == NextResult::kRecord) {
    if (kind != RecordKind::kItem) continue;
    ItemRecord i;
    i.level = TrimmedField(buffer, field::kLnum);
    i.name = TrimmedField(buffer, field::kDtnm);
    i.dtat = TrimmedField(buffer, field::kDtat);
    i.dale = TrimmedField(buffer, field::kDale);
    i.anum = TrimmedField(buffer, field::kAnum);
    i.suaf = TrimmedField(buffer, field::kSuaf);
    i.edcs = TrimmedField(buffer, field::kEdcs);
    i.renm = TrimmedField(buffer, field::kRenm);
    i.usag = TrimmedField(buffer, field::kUsag);
    i.burl = TrimmedField(buffer, field::kBurl);
    i.birl = TrimmedField(buffer, field::kBirl);
    i.blwz = TrimmedField(buffer, field::kBlwz);
    i.just = TrimmedField(buffer, field::kJust);
    i.sign = TrimmedField(buffer, field::kSign);
    i.sync = TrimmedField(buffer, field::kSync);
    items.push_back(std::move(i));
  }
  rdf->Close();
  return items;
}

}  // namespace qel::copybook
