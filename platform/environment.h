// Environment services: "%name%" expansion and the operating-system version.
#ifndef QEL_PLATFORM_ENVIRONMENT_H_
#define QEL_PLATFORM_ENVIRONMENT_H_

#include <string>
#include <string_view>

#include "platform/export.h"

namespace qel::platform {

// Replaces each "%name%" by the value of the environment variable `name`
// ("%temp%" reads TEMP: names are matched ignoring case, as on Windows). A
// variable that is unset leaves its "%name%" text unexpanded.
QEL_PLATFORM_EXPORT std::string ExpandEnvironment(std::string_view text);

// The directory log files are written to, with a trailing '/': the expansion
// of "%temp%", or "" (the current directory) when TEMP is unset.
QEL_PLATFORM_EXPORT std::string LogDirectory();

// True when the operating system is "Windows NT 3.50". Never on Linux.
inline constexpr bool IsWindowsNt350() { return false; }

}  // namespace qel::platform

#endif  // QEL_PLATFORM_ENVIRONMENT_H_
