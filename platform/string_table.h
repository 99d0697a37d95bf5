// Numbered texts of the programs ("string tables"), registered per module.
//
// Each program has a table whose source is a UTF-8 file of
// "number<TAB>text" lines ("\n" and "\t" escapes, "\\" for a backslash); the
// build turns it into CP932 bytes compiled into the program (CMake:
// qel_string_table), and the generated code registers it under the module
// name ("QELXFORMBATCH.EXE", ...) before main runs. "Looking a module up
// among those loaded in the process" means looking in this registry.
#ifndef QEL_PLATFORM_STRING_TABLE_H_
#define QEL_PLATFORM_STRING_TABLE_H_

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/export.h"

namespace qel::platform {

struct StringTableEntry {
  unsigned id;
  const char* text;  // CP932 bytes, NUL-terminated
  std::size_t size;  // bytes, without the NUL
};

// Registers `count` entries (sorted by id) under `module` (compared ignoring
// case). `is_program` marks the table of the calling program itself, the one
// LoadProgramString reads; the last such registration wins. The entries must
// outlive the process (generated tables are static).
QEL_PLATFORM_EXPORT void RegisterStringTable(const char* module, const StringTableEntry* entries,
                                             std::size_t count, bool is_program);

// Removes a registration (tests).
QEL_PLATFORM_EXPORT void UnregisterStringTable(const char* module);

// True when a table is registered under `module`.
QEL_PLATFORM_EXPORT bool IsModuleLoaded(std::string_view module);

// The text of `id` in the table of `module`; nullopt when the module is not
// registered or has no such id.
QEL_PLATFORM_EXPORT std::optional<std::string_view> LoadModuleString(std::string_view module,
                                                                     unsigned id);

// The text of `id` in the calling program's own table.
QEL_PLATFORM_EXPORT std::optional<std::string_view> LoadProgramString(unsigned id);

}  // namespace qel::platform

#endif  // QEL_PLATFORM_STRING_TABLE_H_
