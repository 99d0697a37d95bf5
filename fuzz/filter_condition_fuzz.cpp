// Condition expressions on arbitrary text: the first byte is the condition
// count (any value, negative ones included), the rest the expression. A
// compiled prefix form always reads back under its grammar, uses every
// condition, and an expression written back from it compiles to the same
// prefix form.
#include <cstdlib>
#include <cstring>
#include <string>

#include "filter/qelfilter.h"
#include "fuzz/filter_prefix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int count = static_cast<int8_t>(data[0]);
  std::string expression(reinterpret_cast<const char*>(data + 1), size - 1);
  expression = expression.c_str();  // the text ends at its first NUL
  char prefix[KCND_PREFIX_SIZE];
  std::memset(prefix, 0x55, sizeof prefix);
  int result = KCNDCondChek(expression.c_str(), prefix, count);
  if (result == 0) {
    if (std::memchr(prefix, 0, sizeof prefix) == nullptr) abort();
    int capped = count > KCND_MAX_CONDITIONS ? KCND_MAX_CONDITIONS : count;
    auto tree = qel::fuzz::CheckPrefix(prefix, capped);
    if (!tree) abort();
    std::string infix;
    qel::fuzz::WriteInfix(*tree, &infix);
    char again[KCND_PREFIX_SIZE];
    if (KCNDCondChek(infix.c_str(), again, count) != 0) abort();
    if (std::strcmp(again, prefix) != 0) abort();
  } else if (result < 2224 || result > 2237) {
    abort();
  }
  return 0;
}
