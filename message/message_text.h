// Message texts of the string tables: their parts, the box style their
// severity asks for, and the forms they take in a box, on the console and in
// a log line.
//
// A text is laid out as
//   offset  size  meaning
//   0       4     component prefix ("KRAC")
//   4       4     message number, equal to the string id
//   8       1     '-'
//   9       1     severity: 'S' severe, 'E' error, 'I' information,
//                 '!' warning asking for retry or cancel, '?' question
//   10      1     blank
//   11      ...   the text: up to five "%s" inserts, "\n" line breaks
// The first 11 bytes are the message id.
#ifndef QEL_MESSAGE_MESSAGE_TEXT_H_
#define QEL_MESSAGE_MESSAGE_TEXT_H_

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/ui_hooks.h"

namespace qel::message {

inline constexpr std::size_t kMessageIdLength = 11;
inline constexpr std::size_t kSeverityOffset = 9;
inline constexpr int kInsertCount = 5;
inline constexpr std::size_t kLogTextMax = 1023;
// A console program's texts are read into a buffer of this many bytes.
inline constexpr std::size_t kConsoleStringBuffer = 1024;

struct BoxStyle {
  platform::BoxButtons buttons;
  platform::BoxIcon icon;
};

// The box style for the severity character of `text`; a text too short to
// have one gets OK with the stop icon.
BoxStyle StyleForSeverity(std::string_view text);

// `text` without its message id (empty when it is shorter than the id).
std::string_view MessageBody(std::string_view text);

// The CP932 text with the inserts substituted, bytes unchanged. `args` may
// be null (five empty inserts).
std::string Substitute(std::string_view text, const char* const* args);

// The text of a box: like Substitute, but an insert that is non-ASCII UTF-8
// (a Linux file name) is first turned into CP932 where CP932 can hold it, so
// that the whole box text is CP932 as the presenter expects.
std::string SubstituteForBox(std::string_view text, const char* const* args);

// The text of a log line: every CR and LF replaced by a blank, cut to at
// most `max` bytes without splitting a double-byte character.
std::string ForLog(std::string_view text, std::size_t max = kLogTextMax);

// At most `max` bytes of CP932 `text`, never ending inside a double-byte
// character.
std::string_view CutCp932(std::string_view text, std::size_t max);

// "YYYY/MM/DD hh:mm:ss" of a broken-down local time.
std::string FormatTimeStamp(const std::tm& time);

// The time stamp of now.
std::string CurrentTimeStamp();

}  // namespace qel::message

#endif  // QEL_MESSAGE_MESSAGE_TEXT_H_
