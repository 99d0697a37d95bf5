// Recursive descent over the expression; each rule returns its operands as
// prefix tokens, so parentheses vanish and an operator chain comes out as its
// letters followed by its operands.
#include "filter/expression.h"

#include <array>
#include <cstddef>

namespace qel::filter {
namespace {

// One prefix token: a condition number, or 'A' / 'O' as a negative code.
constexpr int kAnd = -1;
constexpr int kOr = -2;
// Tokens fit: every number is at least one character of the expression and
// every operator one more, and parsing stops at the first fault.
constexpr std::size_t kMaxTokens = 512;

class Parser {
 public:
  Parser(std::string_view text, int count) : text_(text), count_(count) {}

  int Run() {
    if (text_.empty()) return count_ == 1 ? Emit1() : kEmptyExpression;
    char first = text_[0];
    if (!(first == '(' || (first >= '0' && first <= '9'))) return kBadFirstToken;
    int fault = OrList(false, 0);
    if (fault != 0) return fault;
    if (pos_ < text_.size()) return kNotOperator;
    for (int n = 1; n <= count_; ++n) {
      if (!used_[n]) return kUnusedCondition;
    }
    return 0;
  }

  std::span<const int> Tokens() const { return {tokens_.data(), length_}; }

 private:
  int Emit1() {
    tokens_[length_++] = 1;
    return 0;
  }

  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool AtEnd() const { return pos_ >= text_.size(); }

  // A chain of operands joined by one operator: the operator letters go in
  // front of the operands, which keep their order.
  int OrList(bool inside, int depth) {
    std::size_t start = length_;
    int operators = 0;
    for (;;) {
      if (int fault = AndList(inside, depth); fault != 0) return fault;
      char c = Peek();
      if (c != 'O' && c != 'o') break;
      ++pos_;
      ++operators;
    }
    Prepend(start, operators, kOr);
    return 0;
  }

  int AndList(bool inside, int depth) {
    std::size_t start = length_;
    int operators = 0;
    for (;;) {
      if (int fault = Primary(depth); fault != 0) return fault;
      char c = Peek();
      if (c == 'A' || c == 'a') {
        ++pos_;
        ++operators;
        continue;
      }
      if (AtEnd() || c == 'O' || c == 'o' || (inside && c == ')')) break;
      return kNotOperator;
    }
    Prepend(start, operators, kAnd);
    return 0;
  }

  int Primary(int depth) {
    if (AtEnd()) return kEndsEarly;
    char c = Peek();
    if (c == '(') {
      if (depth + 1 > kMaxNesting) return kTooDeep;
      ++pos_;
      if (int fault = OrList(true, depth + 1); fault != 0) return fault;
      if (Peek() != ')') return kParenNotClosed;
      ++pos_;
      return 0;
    }
    if (c < '0' || c > '9') return kNotConditionOrParen;
    if (c == '0') return kUndefinedCondition;
    int value = 0;
    while (!AtEnd() && Peek() >= '0' && Peek() <= '9') {
      // The value only has to be told apart from 1 to 10.
      if (value <= kMaxConditions) value = value * 10 + (Peek() - '0');
      ++pos_;
    }
    if (value > count_) return kUndefinedCondition;
    used_[value] = true;
    if (length_ >= kMaxTokens) return kNotOperator;
    tokens_[length_++] = value;
    return 0;
  }

  void Prepend(std::size_t start, int operators, int code) {
    if (operators == 0) return;
    for (std::size_t i = length_; i > start; --i) tokens_[i - 1 + operators] = tokens_[i - 1];
    for (int i = 0; i < operators; ++i) tokens_[start + i] = code;
    length_ += operators;
  }

  std::string_view text_;
  int count_;
  std::size_t pos_ = 0;
  std::array<bool, kMaxConditions + 1> used_{};
  std::array<int, kMaxTokens * 2> tokens_{};
  std::size_t length_ = 0;
};

}  // namespace

int CompileExpression(std::string_view expression, int count, std::span<char> prefix) {
  if (count > kMaxConditions) count = kMaxConditions;
  if (count < 0) count = 0;
  Parser parser(expression, count);
  if (int fault = parser.Run(); fault != 0) return fault;
  std::size_t out = 0;
  bool previous_number = false;
  auto put = [&](char c) {
    if (out + 1 >= prefix.size()) return false;
    prefix[out++] = c;
    return true;
  };
  for (int token : parser.Tokens()) {
    if (token == kAnd || token == kOr) {
      if (!put(token == kAnd ? 'A' : 'O')) return kNotOperator;
      previous_number = false;
      continue;
    }
    if (previous_number && !put(',')) return kNotOperator;
    if (token >= 10 && !put('1')) return kNotOperator;
    if (!put(static_cast<char>('0' + token % 10))) return kNotOperator;
    previous_number = true;
  }
  if (prefix.empty()) return kNotOperator;
  prefix[out] = '\0';
  return 0;
}

}  // namespace qel::filter
