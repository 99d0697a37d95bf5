// The suite's log files: where they live, and the three ways a line reaches
// one (a bounded ring of lines, a plain append, a binary append).
//
// A log is a text file of lines, each ending in LF: CP932 lines, or UTF-8
// lines when the locale's codeset is UTF-8 (the rule the console follows;
// see EncodeLogText). A log written by
// message calls holds lines of the form
//   offset  size  meaning
//   0       19    time stamp "YYYY/MM/DD hh:mm:ss"
//   19      1     blank
//   20      ...   the message, id included, line breaks turned into blanks
//   ...     1     LF
// The log directory is one that other users may write to: every open of a
// log is non-blocking and refuses anything but a regular file with one name
// owned by the user (a symbolic link, a FIFO, a device, another user's file).
// Such a log counts as one that cannot be opened.
#ifndef QEL_MESSAGE_LOG_FILE_H_
#define QEL_MESSAGE_LOG_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace qel::message {

// Lines kept by AppendRound.
inline constexpr std::size_t kRoundLines = 100;
// Lines are read back in pieces of at most this many bytes; a longer line
// takes more than one of the kRoundLines slots.
inline constexpr std::size_t kRoundPiece = 1023;
// The same for a UTF-8 log: a text from CP932 is at most three times as long
// in UTF-8, so a line that takes one slot as CP932 takes one as UTF-8.
inline constexpr std::size_t kRoundPieceUtf8 = 3 * kRoundPiece;
// Binary appends are written in pieces of at most this many bytes.
inline constexpr std::size_t kBinaryPiece = 65535;

// The form of a text line in a log. With `utf8` false, `text` unchanged
// (CP932, with file names as the operating system gives them). With `utf8`
// true, UTF-8: a text that already is UTF-8 passes unchanged; otherwise each
// run of non-ASCII bytes (a CP932 double-byte character with an ASCII trail
// byte stays in its run) passes unchanged when it is UTF-8 (a file name) and
// is converted from CP932 otherwise. A message line is better made with
// LogMessageText, which knows the template from the inserts.
std::string EncodeLogText(std::string_view text, bool utf8);

// The text of a log line for message `text` (CP932, "%s" placeholders) with
// `args` (five inserts, or null for five empty ones): line breaks turned
// into blanks, at most kLogTextMax characters. With `utf8` false, the CP932
// bytes with the inserts as given, cut at kLogTextMax bytes; with `utf8`
// true, UTF-8 made by the console's rule: the template converted from
// CP932, an insert that is non-ASCII UTF-8 passed as it is, any other
// converted from CP932.
std::string LogMessageText(std::string_view text, const char* const* args, bool utf8);

// True when logs are written in UTF-8: the locale's codeset is UTF-8.
bool LogIsUtf8();

// "<log directory><name>.LOG": the TEMP directory, or the current directory
// when TEMP is unset.
std::string LogPath(std::string_view name);

// Creates the log, or empties it. False when it cannot be opened.
bool InitLog(std::string_view name);

// Appends `line` (EncodeLogText under LogIsUtf8()) to an existing log,
// keeping its last kRoundLines lines oldest first. False, with the log unchanged, when it cannot be
// opened.
bool AppendRound(std::string_view name, std::string_view line);

// Appends `data` (EncodeLogText under LogIsUtf8()) to an existing log. False
// when it cannot be opened.
bool AppendToLog(std::string_view name, std::string_view data);

// Appends `data` unchanged, in pieces of at most kBinaryPiece bytes.
bool AppendBinaryToLog(std::string_view name, std::string_view data);

}  // namespace qel::message

#endif  // QEL_MESSAGE_LOG_FILE_H_
