// CP932 (Windows Shift-JIS) at the human boundary. Inside the suite every text
// is CP932 bytes; only what a person reads or types is converted, with iconv.
#ifndef QEL_PLATFORM_CP932_H_
#define QEL_PLATFORM_CP932_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/export.h"

namespace qel::platform {

// CP932 -> UTF-8. Bytes that are not valid CP932 become U+FFFD.
QEL_PLATFORM_EXPORT std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 -> CP932; nullopt when a character has no CP932 form (or the input is
// not UTF-8).
QEL_PLATFORM_EXPORT std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// True when `text` is valid UTF-8 and holds at least one non-ASCII character
// (a Linux file name, say, which must not be converted again).
QEL_PLATFORM_EXPORT bool IsNonAsciiUtf8(std::string_view text);

// True when the console shows UTF-8 (the locale's codeset is UTF-8).
QEL_PLATFORM_EXPORT bool ConsoleIsUtf8();

// A message made for display: each template piece converted from CP932, each
// insert converted from CP932 unless it already is non-ASCII UTF-8. `text`
// is the template with "%s" placeholders; `inserts` fill them in order (a
// null insert, or a placeholder beyond `insert_count`, is an empty string);
// "%%" is one '%', as in sprintf, and any other '%' stays as it is. The
// second byte of a double-byte character is never taken for a '%'.
// With `to_utf8` false the CP932 bytes are substituted unchanged: the
// message as the suite stores it, in logs for instance.
QEL_PLATFORM_EXPORT std::string FormatForDisplay(std::string_view text, const char* const inserts[],
                                                 int insert_count, bool to_utf8);

// Text for the console: converted when ConsoleIsUtf8(), else unchanged.
QEL_PLATFORM_EXPORT std::string ForConsole(std::string_view cp932);

}  // namespace qel::platform

#endif  // QEL_PLATFORM_CP932_H_
