// Compiler of condition expressions: conditions numbered 1 to 10 joined by
// "A" (and, binding tighter) and "O" (or) with parentheses, into the prefix
// form the evaluator walks: each operator before its two operands, chains
// left-associative, "," only between two adjacent numbers ("(1O2)A3" is
// "AO1,2,3").
#ifndef QEL_FILTER_EXPRESSION_H_
#define QEL_FILTER_EXPRESSION_H_

#include <span>
#include <string_view>

namespace qel::filter {

inline constexpr int kMaxConditions = 10;
inline constexpr int kMaxNesting = 10;

// Faults of an expression, as KRSC message numbers.
inline constexpr int kBadFirstToken = 2224;
inline constexpr int kNotConditionOrParen = 2225;
inline constexpr int kUndefinedCondition = 2226;
inline constexpr int kParenNotClosed = 2227;
inline constexpr int kTooDeep = 2228;
inline constexpr int kEndsEarly = 2229;
inline constexpr int kEmptyExpression = 2230;
inline constexpr int kNotOperator = 2231;
inline constexpr int kUnusedCondition = 2237;

// Checks expression for a table of count conditions (capped at 10, a
// negative count taken as 0) and writes the prefix form, NUL-terminated,
// into prefix. Returns 0 or the first fault met, left to right. A compiled
// form that would not fit prefix is refused with kNotOperator.
int CompileExpression(std::string_view expression, int count, std::span<char> prefix);

}  // namespace qel::filter

#endif  // QEL_FILTER_EXPRESSION_H_
