// The C interface of qelfilter: the one place where internal results become
// the message numbers callers see.
#include <cstring>

#include "filter/expression.h"
#include "filter/qelfilter.h"

extern "C" int KCNDCondChek(const char* expression, char* prefix, int count) {
  std::string_view text = expression != nullptr ? std::string_view(expression) : std::string_view();
  char scratch[KCND_PREFIX_SIZE];
  int result = qel::filter::CompileExpression(text, count, scratch);
  if (result == 0 && prefix != nullptr) std::memcpy(prefix, scratch, std::strlen(scratch) + 1);
  return result;
}
