// Shared by the selection fuzz targets: a reader of the compiled prefix form
// that checks its grammar, and a writer of an equivalent expression with
// only the parentheses the prefix form needs.
#ifndef QEL_FUZZ_FILTER_PREFIX_H_
#define QEL_FUZZ_FILTER_PREFIX_H_

#include <memory>
#include <string>
#include <string_view>

namespace qel::fuzz {

struct PrefixNode {
  char op = 0;  // 'A', 'O', or 0 for a condition number
  int number = 0;
  std::unique_ptr<PrefixNode> left, right;
};

// Reads one operand: an operator letter and its two operands, or a number
// and the one "," that may follow it; null when the text ends early or holds
// anything else. Whether every "," is where it belongs is seen by writing
// the tree back with WritePrefix and comparing.
inline std::unique_ptr<PrefixNode> ReadPrefix(std::string_view* p) {
  if (p->empty()) return nullptr;
  auto node = std::make_unique<PrefixNode>();
  char c = p->front();
  if (c == 'A' || c == 'O') {
    p->remove_prefix(1);
    node->op = c;
    node->left = ReadPrefix(p);
    if (!node->left) return nullptr;
    node->right = ReadPrefix(p);
    return node->right ? std::move(node) : nullptr;
  }
  if (c < '1' || c > '9') return nullptr;
  while (!p->empty() && p->front() >= '0' && p->front() <= '9') {
    node->number = node->number * 10 + (p->front() - '0');
    if (node->number > 1000) return nullptr;
    p->remove_prefix(1);
  }
  if (!p->empty() && p->front() == ',') p->remove_prefix(1);
  return node;
}

// The canonical prefix text of a tree: "," only between adjacent numbers.
inline void WritePrefix(const PrefixNode& n, std::string* out) {
  if (n.op == 0) {
    if (!out->empty() && out->back() >= '0' && out->back() <= '9') *out += ',';
    *out += std::to_string(n.number);
    return;
  }
  *out += n.op;
  WritePrefix(*n.left, out);
  WritePrefix(*n.right, out);
}

// Checks a compiled prefix form: its grammar, its "," placement, numbers 1 to
// count each used at least once. Returns the tree, or null.
inline std::unique_ptr<PrefixNode> CheckPrefix(std::string_view prefix, int count) {
  std::string_view rest = prefix;
  std::unique_ptr<PrefixNode> tree = ReadPrefix(&rest);
  if (!tree || !rest.empty()) return nullptr;
  std::string again;
  WritePrefix(*tree, &again);
  if (again != prefix) return nullptr;
  int uses[1001] = {};
  struct Walker {
    static bool Walk(const PrefixNode& n, int count, int* uses) {
      if (n.op == 0) {
        if (n.number < 1 || n.number > count) return false;
        ++uses[n.number];
        return true;
      }
      return Walk(*n.left, count, uses) && Walk(*n.right, count, uses);
    }
  };
  if (!Walker::Walk(*tree, count, uses)) return nullptr;
  for (int i = 1; i <= count; ++i) {
    if (uses[i] == 0) return nullptr;
  }
  return tree;
}

// An expression that compiles to the same prefix form: an OR operand of an
// AND, and a right operand of the same operator, are parenthesised.
inline void WriteInfix(const PrefixNode& n, std::string* out) {
  if (n.op == 0) {
    *out += std::to_string(n.number);
    return;
  }
  auto operand = [&](const PrefixNode& child, bool right) {
    bool paren = child.op != 0 && ((n.op == 'A' && child.op == 'O') || (right && child.op == n.op));
    if (paren) *out += '(';
    WriteInfix(child, out);
    if (paren) *out += ')';
  };
  operand(*n.left, false);
  *out += n.op;
  operand(*n.right, true);
}

}  // namespace qel::fuzz

#endif  // QEL_FUZZ_FILTER_PREFIX_H_
