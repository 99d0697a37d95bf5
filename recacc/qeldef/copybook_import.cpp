// The mapping of one copybook record to item records: the entry tree, the
// kind of every elementary item, positions, and the limits of the layout
// builder checked before anything is written.
#include "recacc/qeldef/copybook_import.h"

#include <algorithm>
#include <set>

#include "recacc/qeldef/picture.h"

namespace qel::copybook {

namespace {

constexpr int64_t kMaxAlphanumeric = 32760;
constexpr int64_t kMaxNational = 16383;
constexpr int64_t kMaxDecimalDigits = 19;
constexpr int64_t kMaxBinaryDigits = 9;
constexpr int64_t kMaxWideBinaryDigits = 18;
constexpr int64_t kMaxNumericEdited = 19;
constexpr std::size_t kMaxEdit = 30;
constexpr int64_t kExtentCap = int64_t{1} << 40;  // far past any record limit

struct Node {
  Entry entry;
  int parent = -1;
  std::vector<int> children;
  // Mapped fields.
  ItemRecord item;
  int64_t bytes = 0;  // elementary: bytes of one occurrence
  int64_t start = 0;
  int64_t size = 0;   // one occurrence
  bool binary = false;
  bool native = false;

  int64_t Extent() const { return std::min(size * std::max<int64_t>(entry.occurs, 1), kExtentCap); }
  std::string Shown() const { return entry.name.empty() ? "FILLER" : entry.name; }
};

std::string Decimal(int64_t integer, int64_t fraction) {
  if (fraction == 0) return std::to_string(integer);
  return std::to_string(integer) + "." + std::to_string(fraction);
}

// True when `text` is whole CP932 characters: a lead byte always has its
// trail byte, and no byte lies outside the code. A dangling lead byte would
// take the closing quote of the definition file as its second byte.
bool IsCp932Text(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char u = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(u)) {
      if (i + 1 >= text.size()) return false;
      unsigned char t = static_cast<unsigned char>(text[++i]);
      if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    } else if (u < 0x20 || u == 0x7F || u == 0x80 || u == 0xA0 || u > 0xFC) {
      return false;
    }
  }
  return true;
}

std::string TwoDigits(int level) {
  return (level < 10 ? "0" : "") + std::to_string(level);
}

class Importer {
 public:
  Importer(const ImportOptions& options, ImportResult* result)
      : options_(options), result_(result) {}

  void Run(const std::vector<Entry>& entries) {
    std::vector<std::vector<Entry>> records;
    for (const Entry& e : entries) {
      if (e.level == 1 || records.empty()) {
        records.emplace_back();
        if (e.level != 1) {
          Entry root;
          root.line = e.line;
          root.level = 1;
          root.name = options_.default_record_name;
          records.back().push_back(root);
        }
      }
      records.back().push_back(e);
    }
    if (records.empty()) {
      if (!HasFault()) Fault(1, "", kReasonNoRecord);
      return;
    }
    std::size_t chosen = 0;
    if (!options_.record.empty()) {
      std::string wanted = UpperCase(options_.record);
      chosen = records.size();
      for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r][0].name == wanted) chosen = r;
      if (chosen == records.size()) {
        Fault(records[0][0].line, options_.record, kReasonNoSuchRecord, options_.record);
        return;
      }
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
      if (r == chosen) continue;
      const Entry& head = records[r][0];
      Fault(head.line, head.name.empty() ? "FILLER" : head.name, kWarnOtherRecord);
    }
    Record(records[chosen]);
  }

 private:
  void Fault(int line, std::string item, int reason, std::string insert = "") {
    result_->diagnostics.push_back({line, std::move(item), reason, std::move(insert)});
  }
  void Fault(const Node& n, int reason, std::string insert = "") {
    Fault(n.entry.line, n.Shown(), reason, std::move(insert));
  }
  bool HasFault() const {
    return std::any_of(result_->diagnostics.begin(), result_->diagnostics.end(),
                       [](const Diagnostic& d) { return !IsWarning(d.reason); });
  }

  void Record(const std::vector<Entry>& entries) {
    nodes_.clear();
    for (const Entry& e : entries) {
      Node n;
      n.entry = e;
      nodes_.push_back(std::move(n));
    }
    Node& root = nodes_[0];
    if (!root.entry.redefines.empty()) {
      Fault(root, kWarnRecordRedefines, root.entry.redefines);
      root.entry.redefines.clear();
    }
    if (root.entry.occurs > 0) Fault(root, kReasonOccursLevel1);
    // The layout leaves FILLER items out; a record without a name would
    // leave nothing of itself, so it takes the definition's name.
    if (root.entry.name.empty())
      root.entry.name =
          options_.default_record_name.empty() ? "RECORD" : options_.default_record_name;
    if (!Tree()) return;
    Map(0, Usage::kNone, SignClause::kNone);
    if (HasFault()) return;
    Place(0, 0);
    if (HasFault()) return;
    Limits();
    if (HasFault()) return;
    for (Node& n : nodes_) result_->items.push_back(n.item);
    result_->record_length = nodes_[0].Extent();
  }

  // Links every entry to its parent; levels must match an open group.
  bool Tree() {
    std::vector<int> open = {0};
    for (int i = 1; i < static_cast<int>(nodes_.size()); ++i) {
      Node& n = nodes_[i];
      int last_popped_level = 0;
      while (open.size() > 1 && nodes_[open.back()].entry.level >= n.entry.level) {
        last_popped_level = nodes_[open.back()].entry.level;
        open.pop_back();
      }
      Node& parent = nodes_[open.back()];
      bool sibling_mismatch = !parent.children.empty() &&
                              nodes_[parent.children.front()].entry.level != n.entry.level;
      if (last_popped_level != 0 && last_popped_level != n.entry.level) sibling_mismatch = true;
      if (sibling_mismatch || parent.entry.level >= n.entry.level) {
        Fault(n, kReasonLevelMismatch);
        return false;
      }
      n.parent = open.back();
      parent.children.push_back(i);
      open.push_back(i);
    }
    return true;
  }

  void Map(int index, Usage usage, SignClause sign) {
    Node& n = nodes_[index];
    const Entry& e = n.entry;
    if (e.faulty) return;
    if (e.usage != Usage::kNone) usage = e.usage;
    if (e.sign != SignClause::kNone) sign = e.sign;
    ItemRecord& item = n.item;
    item.level = TwoDigits(e.level);
    item.name = e.name.empty() ? "FILLER" : e.name;
    item.anum = std::to_string(e.occurs);
    item.renm = e.redefines;
    item.blwz = e.blank_when_zero ? "T" : "F";
    item.just = e.justified ? "T" : "F";
    if (e.name.size() > kMaxNameBytes) Fault(n, kReasonNameTooLong);
    if (e.redefines.size() > kMaxNameBytes) Fault(n, kReasonNameTooLong);
    if (!IsCp932Text(e.name) || !IsCp932Text(e.redefines)) Fault(n, kReasonNameBytes);
    if (e.depending) {
      if (options_.odo_max) {
        Fault(n, kWarnDependingMax, std::to_string(e.occurs));
      } else {
        Fault(n, kReasonDependingOn);
      }
    }
    if (!n.children.empty()) {
      item.dtat = "G";
      if (!e.picture.empty()) Fault(n, kReasonGroupPicture);
      if (e.justified) Fault(n, kReasonGroupClause, "JUSTIFIED");
      if (e.blank_when_zero) Fault(n, kReasonGroupClause, "BLANK WHEN ZERO");
      if (e.synchronized) Fault(n, kReasonGroupClause, "SYNCHRONIZED");
      for (int child : n.children) Map(child, usage, sign);
      return;
    }
    Elementary(&n, usage, sign);
  }

  void Elementary(Node* node, Usage usage, SignClause inherited_sign) {
    Node& n = *node;
    const Entry& e = n.entry;
    ItemRecord& item = n.item;
    bool float_like = usage == Usage::kFloat || usage == Usage::kDouble || usage == Usage::kIndex;
    if (e.picture.empty() && !float_like) return Fault(n, kReasonNoPicture);
    if (!e.picture.empty() && float_like) return Fault(n, kReasonUsagePicture);
    if (usage == Usage::kFloat || usage == Usage::kDouble) {
      bool single = usage == Usage::kFloat;
      item.dtat = single ? "F" : "D";
      item.dale = single ? "4" : "8";
      n.bytes = single ? 4 : 8;
      if (e.synchronized) Fault(n, kReasonSyncBinary);
      return SignCheck(n, false);
    }
    if (usage == Usage::kIndex) {
      item.dtat = "IX";
      item.dale = "4";
      item.usag = "INDEX";
      n.bytes = 4;
      if (e.synchronized) Fault(n, kReasonSyncBinary);
      return SignCheck(n, false);
    }
    Picture pic = AnalysePicture(e.picture);
    switch (pic.category) {
      case PictureCategory::kInvalid: return Fault(n, kReasonBadPicture, e.picture);
      case PictureCategory::kScaled: return Fault(n, kReasonScaling);
      case PictureCategory::kFloating: return Fault(n, kReasonFloatingPicture);
      case PictureCategory::kBit: return Fault(n, kReasonBit);
      default: break;
    }
    bool display = usage == Usage::kNone || usage == Usage::kDisplay;
    bool national_usage = usage == Usage::kNational || usage == Usage::kDisplay1;
    bool numeric = pic.category == PictureCategory::kNumeric;
    int64_t digits = pic.integer_digits + pic.fraction_digits;
    item.sync = e.synchronized ? "T" : "F";
    if (numeric && (usage == Usage::kBinary || usage == Usage::kNative)) {
      n.binary = usage == Usage::kBinary;
      n.native = usage == Usage::kNative;
      if (e.synchronized) Fault(n, kReasonSyncBinary);
      if (digits > kMaxWideBinaryDigits) return Fault(n, kReasonBinaryTooLong);
      if (digits > kMaxBinaryDigits) {
        if (!options_.wide_binary_x) return Fault(n, kReasonWideBinary);
        Fault(n, kWarnWideBinary);
        item.dtat = "X";
        item.dale = "8";
        n.bytes = 8;
        n.binary = n.native = false;
        return SignCheck(n, false);
      }
      if (n.native && digits <= 2) return Fault(n, kReasonSmallComp5);
      item.dtat = pic.sign ? "B" : "C";
      item.dale = Decimal(pic.integer_digits, pic.fraction_digits);
      n.bytes = digits <= 4 ? 2 : 4;
      return SignCheck(n, false);
    }
    if (numeric && usage == Usage::kPacked) {
      if (digits > kMaxDecimalDigits) return Fault(n, kReasonDecimalTooLong);
      item.dtat = pic.sign ? "P" : "U";
      item.dale = Decimal(pic.integer_digits, pic.fraction_digits);
      item.sign = pic.sign ? "1" : "0";
      n.bytes = digits / 2 + 1;
      return SignCheck(n, false);
    }
    if (numeric && display) {
      if (digits > kMaxDecimalDigits) return Fault(n, kReasonDecimalTooLong);
      item.dale = Decimal(pic.integer_digits, pic.fraction_digits);
      n.bytes = digits;
      if (e.blank_when_zero && pic.fraction_digits > 0) Fault(n, kWarnBlankWhenZeroFraction);
      if (!pic.sign) {
        item.dtat = "9";
        return SignCheck(n, false);
      }
      item.dtat = "S";
      SignClause sign = e.sign != SignClause::kNone ? e.sign : inherited_sign;
      switch (sign) {
        case SignClause::kNone:
        case SignClause::kTrailing: item.sign = "1"; break;
        case SignClause::kLeading: item.sign = "4"; break;
        case SignClause::kLeadingSeparate: item.sign = "2"; ++n.bytes; break;
        case SignClause::kTrailingSeparate: item.sign = "3"; ++n.bytes; break;
      }
      return;
    }
    if (numeric || usage == Usage::kBinary || usage == Usage::kNative ||
        usage == Usage::kPacked) {
      return Fault(n, kReasonUsagePicture);
    }
    SignCheck(n, false);
    bool national = pic.category == PictureCategory::kNational ||
                    pic.category == PictureCategory::kNationalEdited;
    if (national_usage && !national) return Fault(n, kReasonUsagePicture);
    switch (pic.category) {
      case PictureCategory::kAlphabetic:
      case PictureCategory::kAlphanumeric:
        if (pic.positions > kMaxAlphanumeric) return Fault(n, kReasonItemTooLong);
        item.dtat = pic.category == PictureCategory::kAlphabetic ? "A" : "X";
        item.dale = std::to_string(pic.positions);
        n.bytes = pic.positions;
        return;
      case PictureCategory::kNational:
        if (pic.positions > kMaxNational) return Fault(n, kReasonItemTooLong);
        item.dtat = "N";
        item.dale = std::to_string(pic.positions);
        n.bytes = 2 * pic.positions;
        return;
      default: break;
    }
    // Edited items keep their picture, repeat counts written out.
    if (pic.expanded.empty() || pic.expanded.size() > kMaxEdit ||
        (pic.category == PictureCategory::kNumericEdited && pic.positions > kMaxNumericEdited))
      return Fault(n, kReasonEditTooLong);
    item.edcs = pic.expanded;
    item.dale = std::to_string(pic.positions);
    switch (pic.category) {
      case PictureCategory::kNumericEdited:
        item.dtat = "Z";
        n.bytes = pic.positions;
        break;
      case PictureCategory::kAlphanumericEdited:
        item.dtat = "XE";
        n.bytes = pic.positions;
        break;
      default:
        item.dtat = "NE";
        n.bytes = 2 * pic.positions;
        if (pic.expanded.find_first_of("B0/") != std::string::npos)
          Fault(n, kWarnNationalEdited, std::to_string(n.bytes));
        break;
    }
  }

  // A SIGN clause written on an item that is not signed zoned decimal.
  void SignCheck(const Node& n, bool allowed) {
    if (!allowed && n.entry.sign != SignClause::kNone) Fault(n, kReasonSignClause);
  }

  void Place(int index, int64_t start) {
    Node& n = nodes_[index];
    n.start = start;
    n.item.burl = std::to_string(start);
    if (n.children.empty()) {
      n.size = n.bytes;
      return;
    }
    int64_t offset = start, furthest = start;
    int base = -1;
    std::vector<int> chain;  // the base and its redefinitions so far
    for (int child : n.children) {
      Node& c = nodes_[child];
      if (!c.entry.redefines.empty()) {
        int object = -1;
        for (int k : chain)
          if (nodes_[k].entry.name == c.entry.redefines) object = k;
        if (object < 0) return Fault(c, kReasonRedefinesObject, c.entry.redefines);
        Place(child, nodes_[object].start);
        if (c.Extent() > nodes_[object].Extent())
          return Fault(c, kReasonRedefinesLonger, c.entry.redefines);
        chain.push_back(child);
      } else {
        Place(child, offset);
        offset = std::min(offset + c.Extent(), kExtentCap);
        base = child;
        chain.assign(1, base);
      }
      furthest = std::max(furthest, std::min(c.start + c.Extent(), kExtentCap));
    }
    n.size = furthest - start;
    n.item.dale = std::to_string(n.size);
  }

  // The layout builder's limits, so that the pair always reads back.
  void Limits() {
    int64_t limit = options_.organisation == "VK" ? 65503 : 65535;
    if (nodes_[0].Extent() > limit) Fault(nodes_[0], kReasonRecordTooLong, std::to_string(limit));
    if (nodes_.size() > kMaxItems) Fault(nodes_[kMaxItems], kReasonTooManyItems);
    // The builder keeps one OCCURS table entry per distinct level of a kept
    // (not FILLER, not redefining) item with OCCURS.
    std::set<int> occurs_levels;
    std::vector<bool> redefining(nodes_.size(), false);
    bool binary = false, native = false, warned_mix = false;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      const Node& n = nodes_[i];
      redefining[i] = !n.entry.redefines.empty() || (n.parent >= 0 && redefining[n.parent]);
      bool kept = !redefining[i] && !n.entry.name.empty();
      if (kept && n.entry.occurs > 0 && occurs_levels.insert(n.entry.level).second &&
          static_cast<int>(occurs_levels.size()) > kMaxOccursLevels)
        Fault(n, kReasonTooManyOccursLevels);
      binary = binary || n.binary;
      native = native || n.native;
      if (binary && native && !warned_mix) {
        Fault(n, kWarnMixedBinary);
        warned_mix = true;
      }
    }
  }

  const ImportOptions& options_;
  ImportResult* result_;
  std::vector<Node> nodes_;
};

}  // namespace

ImportResult ImportCopybook(const ReadResult& read, const ImportOptions& options) {
  ImportResult result;
  result.diagnostics = read.diagnostics;
  Importer(options, &result).Run(read.entries);
  std::stable_sort(result.diagnostics.begin(), result.diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  result.ok = std::none_of(result.diagnostics.begin(), result.diagnostics.end(),
                           [](const Diagnostic& d) { return !IsWarning(d.reason); });
  if (!result.ok) result.items.clear();
  return result;
}

}  // namespace qel::copybook
