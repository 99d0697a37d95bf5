// HKEY_LOCAL_MACHINE values, read from a text file.
//
// The file is the path in QELLAR_REGISTRY; else the file the build was
// configured to name (QEL_REGISTRY_FILE), if any; else the file the install
// wrote beside the running program's prefix (RegistryFileBeside) when it
// exists; else /etc/qellar2/registry.ini.
// Layout (text, LF or CR LF line ends):
//   [KEY\PATH]     a section names a key path, compared ignoring case
//   Name=value     a value of the section's key; the name is compared ignoring
//                  case, the value is the rest of the line, bytes unchanged
//   ; or #         comment lines; blank lines are skipped
// A missing file, section or value is a failed read, as on Windows.
#ifndef QEL_PLATFORM_REGISTRY_H_
#define QEL_PLATFORM_REGISTRY_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/export.h"

namespace qel::platform {

// Reads value `name` of key `key` (trailing '\' on the key ignored).
QEL_PLATFORM_EXPORT std::optional<std::string> ReadMachineRegistryValue(std::string_view key,
                                                                        std::string_view name);

// The registry file an install under the prefix holding `program_dir`
// (`<prefix>/bin`) writes: `<prefix>/../etc/qellar2/registry.ini` when the
// prefix is a `usr` directory (`/usr` keeps its settings in `/etc`), else
// `<prefix>/etc/qellar2/registry.ini`. The install rules follow the same rule.
QEL_PLATFORM_EXPORT std::string RegistryFileBeside(std::string_view program_dir);

// The registry file this process reads, by the order above.
QEL_PLATFORM_EXPORT std::string RegistryFilePath();

// Parses registry file text; the same lookup as above on given text. For
// tests and the fuzz target.
QEL_PLATFORM_EXPORT std::optional<std::string> LookUpRegistryText(std::string_view text,
                                                                  std::string_view key,
                                                                  std::string_view name);

}  // namespace qel::platform

#endif  // QEL_PLATFORM_REGISTRY_H_
