// Export of item records to a fixed-format copybook.
#include "recacc/qeldef/copybook_export.h"

#include <algorithm>
#include <charconv>

#include "recacc/qeldef/picture.h"

namespace qel::copybook {

namespace {

constexpr std::size_t kTextColumn = 7;   // 0-based start of column 8
constexpr std::size_t kLastColumn = 72;  // text may reach column 72
// The longest word is a 30-byte name or edit picture with its period; at the
// deepest indent it still ends in column 72 on a continuation line.
constexpr std::size_t kMaxIndent = 30;

int64_t Integer(std::string_view text) {
  int64_t v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

// DALE as integer and fraction digits; the comma is a point as well.
void SplitDecimal(const std::string& dale, int64_t* integer, int64_t* fraction) {
  std::size_t sep = dale.find_first_of(".,");
  *integer = Integer(dale.substr(0, sep));
  *fraction = sep == std::string::npos ? 0 : Integer(dale.substr(sep + 1));
}

struct Node {
  const ItemRecord* item;
  int level;
  std::vector<int> children;
  int64_t start = 0;
  int64_t size = 0;
  int64_t Extent() const { return size * std::max<int64_t>(Integer(item->anum), 1); }
};

class Writer {
 public:
  Writer(bool native, ExportResult* result) : native_(native), result_(result) {}

  bool Build(const std::vector<ItemRecord>& items) {
    std::vector<int> open;
    for (const ItemRecord& i : items) {
      Node n{&i, static_cast<int>(Integer(i.level)), {}};
      // Level 66 and 88 items hold no storage; the layout passes them over.
      if (n.level == 66 || n.level == 77 || n.level == 88) continue;
      n.start = Integer(i.burl);
      int index = static_cast<int>(nodes_.size());
      while (!open.empty() && nodes_[open.back()].level >= n.level) open.pop_back();
      if (!open.empty()) nodes_[open.back()].children.push_back(index);
      else roots_.push_back(index);
      nodes_.push_back(n);
      open.push_back(index);
    }
    if (nodes_.empty()) return false;
    for (int r : roots_) Size(r);
    return true;
  }

  bool EmitAll() { return EmitChildren(roots_, 0, 0); }

  void Size(int index) {
    Node& n = nodes_[index];
    if (n.children.empty()) {
      n.size = AttributeOf(n.item->dtat, n.item->usag) == 4 ? 0 : ElementaryBytes(*n.item);
      return;
    }
    int64_t end = n.start;
    for (int c : n.children) {
      Size(c);
      end = std::max(end, nodes_[c].start + nodes_[c].Extent());
    }
    n.size = end - n.start;
  }

  // Writes entry `index` and what lies below it; false on an overlap.
  bool Emit(int index, int depth) {
    const Node& n = nodes_[index];
    const ItemRecord& i = *n.item;
    Clause clause;
    if (!n.children.empty()) {
      clause = {};
    } else {
      ClauseParts parts;
      parts.attribute = AttributeOf(i.dtat, i.usag);
      parts.bytes = n.size;
      SplitDecimal(i.dale, &parts.digits, &parts.fraction);
      parts.edit = i.edcs;
      parts.sign = i.sign.empty() ? '0' : i.sign[0];
      parts.blank_when_zero = i.blwz.starts_with("T");
      parts.justified = i.just.starts_with("T");
      parts.synchronized = i.sync.starts_with("T");
      parts.native_binary = native_;
      bool binary = parts.attribute == 5 || parts.attribute == 22;
      if (native_ && binary && parts.digits + parts.fraction <= 2) {
        parts.digits = 3 - parts.fraction;
        clause.comment = "2 bytes";
      }
      Clause c = ClauseOf(parts);
      clause.text = c.text;
      if (!c.comment.empty())
        clause.comment = clause.comment.empty() ? c.comment : c.comment + ", " + clause.comment;
    }
    std::vector<std::string> words = {i.level, i.name.empty() ? "FILLER" : i.name};
    if (!i.renm.empty()) {
      words.push_back("REDEFINES");
      words.push_back(i.renm);
    }
    int64_t anum = Integer(i.anum);
    if (anum > 0) {
      words.push_back("OCCURS");
      words.push_back(std::to_string(anum));
    }
    Split(clause.text, &words);
    if (!clause.comment.empty()) Comment(depth, clause.comment);
    Entry(depth, words);

    return EmitChildren(n.children, n.start, depth + 1);
  }

  bool EmitChildren(const std::vector<int>& children, int64_t offset, int depth) {
    for (int c : children) {
      const Node& child = nodes_[c];
      if (child.item->renm.empty()) {
        if (child.start < offset) {
          result_->fault_item = child.item->name;
          return false;
        }
        if (child.start > offset) {
          Entry(depth, {child.item->level, "FILLER", "PIC",
                            "X(" + std::to_string(child.start - offset) + ")"});
        }
        offset = child.start + child.Extent();
      }
      if (!Emit(c, depth)) return false;
    }
    return true;
  }

  std::string& text() { return text_; }

 private:
  static void Split(const std::string& text, std::vector<std::string>* words) {
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find(' ', pos);
      if (end == std::string::npos) end = text.size();
      if (end > pos) words->push_back(text.substr(pos, end - pos));
      pos = end + 1;
    }
  }

  static std::size_t Indent(int depth) {
    return kTextColumn + std::min<std::size_t>(kMaxIndent, depth == 0 ? 0 : 4 + 2 * (depth - 1));
  }

  void Comment(int depth, const std::string& comment) {
    text_ += std::string(Indent(depth), ' ') + "*> " + comment + "\n";
  }

  void Entry(int depth, std::vector<std::string> words) {
    words.back() += ".";
    std::size_t indent = Indent(depth);
    std::string line(indent, ' ');
    line += words[0];
    line.resize(std::max(line.size() + 1, indent + 4), ' ');
    bool first = true;
    for (std::size_t k = 1; k < words.size(); ++k) {
      const std::string& w = words[k];
      if (!first && line.size() + 1 + w.size() > kLastColumn) {
        text_ += line + "\n";
        line.assign(indent + 4, ' ');
        first = true;
      }
      if (!first) line += ' ';
      line += w;
      first = false;
    }
    text_ += line + "\n";
  }

  bool native_;
  ExportResult* result_;
  std::vector<Node> nodes_;
  std::vector<int> roots_;
  std::string text_;
};

}  // namespace

int64_t ElementaryBytes(const ItemRecord& item) {
  int64_t i = 0, f = 0;
  SplitDecimal(item.dale, &i, &f);
  int64_t digits = i + f;
  switch (AttributeOf(item.dtat, item.usag)) {
    case 3:
    case 17: return 2 * i;
    case 5:
    case 22: return digits <= 4 ? 2 : 4;
    case 6:
    case 7: return digits / 2 + 1;
    case 8:
    case 9: return digits + ((item.sign == "2" || item.sign == "3") ? 1 : 0);
    case 10:
    case 18:
    case 19: return 4;
    case 11: return 8;
    case 12:
    case 16: return digits;
    case 13: {
      int64_t bytes = (i + 7) / 8;
      int64_t birl = Integer(item.birl);
      return (birl + i + 7) / 8 > bytes ? bytes + 1 : bytes;
    }
    default: return i;
  }
}

ExportResult ExportCopybook(const std::vector<ItemRecord>& items, bool native_binary,
                            const std::string& source) {
  ExportResult result;
  Writer writer(native_binary, &result);
  if (!writer.Build(items)) return result;
  std::string head = std::string(kTextColumn, ' ') + "*> " + source + "\n";
  if (!writer.EmitAll()) return result;
  result.text = head + writer.text();
  result.ok = true;
  return result;
}

}  // namespace qel::copybook
