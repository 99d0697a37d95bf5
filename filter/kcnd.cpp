// The C interface of qelfilter: the one place where internal results become
// the message numbers callers see.
#include <cstring>

#include "filter/comparison_check.h"
#include "filter/evaluator.h"
#include "filter/expression.h"
#include "filter/qelfilter.h"

extern "C" int KCNDCompChek(int key_item, int op, const char* text, DTF* dtf, int any_string,
                            int any_one, int blank_when_zero) {
  qel::filter::Metacharacters meta;
  meta.any_string = static_cast<std::uint8_t>(any_string & 0xFF);
  meta.any_one = static_cast<std::uint8_t>(any_one & 0xFF);
  std::string_view comparison = text != nullptr ? std::string_view(text) : std::string_view();
  return qel::filter::CheckComparison(key_item, op, comparison, dtf, meta, blank_when_zero == 1);
}

extern "C" int KCNDCondChek(const char* expression, char* prefix, int count) {
  std::string_view text = expression != nullptr ? std::string_view(expression) : std::string_view();
  char scratch[KCND_PREFIX_SIZE];
  int result = qel::filter::CompileExpression(text, count, scratch);
  if (result == 0 && prefix != nullptr) std::memcpy(prefix, scratch, std::strlen(scratch) + 1);
  return result;
}

extern "C" int KCNDSelect1(DTF* dtf, const char* prefix, SelCondEntry* conditions, int* error_item,
                           SelRunOptions* options) {
  return qel::filter::Select(dtf, prefix, conditions, error_item, options);
}
