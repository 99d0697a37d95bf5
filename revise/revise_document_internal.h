// Internals shared by the parts of the revise document: Shift-JIS byte
// classes, the check class of an item type, the small formatting helper, and
// the memory-shortage guard every operation runs under. Not a public header.
#ifndef QEL_REVISE_REVISE_DOCUMENT_INTERNAL_H_
#define QEL_REVISE_REVISE_DOCUMENT_INTERNAL_H_

#include <cstdio>
#include <new>
#include <string>

#include "revise/revise_document.h"

namespace qel::revise {

// Room of the get and put request texts: the longest key text and its NUL,
// with the library's minimum of 256 bytes.
inline constexpr std::size_t kRequestText = 1024;

inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

enum class CheckClass { kAlphanumeric, kAlphabetic, kNational, kNumeric, kNone, kLogicError };

// The 24-entry table of check classes by type code.
inline CheckClass ClassOfType(int type) {
  static constexpr CheckClass kTable[24] = {
      CheckClass::kLogicError, CheckClass::kAlphanumeric, CheckClass::kAlphabetic,
      CheckClass::kNational,   CheckClass::kNone,         CheckClass::kNumeric,
      CheckClass::kNumeric,    CheckClass::kNumeric,      CheckClass::kNumeric,
      CheckClass::kNumeric,    CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kLogicError,   CheckClass::kLogicError,
      CheckClass::kLogicError, CheckClass::kNumeric,      CheckClass::kNone};
  if (type < 0 || type >= 24) return CheckClass::kLogicError;
  return kTable[type];
}

inline bool Supported(int type) { return (type >= 1 && type <= 9) || type == 22; }
inline bool IsCharacterType(int type) { return type >= 1 && type <= 3; }

inline std::string Printf(const char* format, int a, int b = 0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

template <typename Op>
Message CQelreviseDoc::Guarded(Op op, std::string* key_text) {
  try {
    Snapshot before = Save();
    std::string key_before = key_text != nullptr ? *key_text : std::string();
    library_moved_ = false;
    try {
      return op();
    } catch (const std::bad_alloc&) {
      Restore(std::move(before));
      if (key_text != nullptr) key_text->swap(key_before);
      if (library_moved_) {
        // The library's current record is no longer the one shown.
        record_shown_ = false;
        if (mode_ == 0) controls_ = {};
      }
      throw;
    }
  } catch (const std::bad_alloc&) {
    return {kKvcoNoMemory, {}, Focus::kNone};
  }
}

}  // namespace qel::revise

#endif  // QEL_REVISE_REVISE_DOCUMENT_INTERNAL_H_
