// The suite's log files: where they live, and the three ways a line reaches
// one (a bounded ring of lines, a plain append, a binary append).
//
// A log is a text file of CP932 lines, each ending in LF. A log written by
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
// Binary appends are written in pieces of at most this many bytes.
inline constexpr std::size_t kBinaryPiece = 65535;

// "<log directory><name>.LOG": the TEMP directory, or the current directory
// when TEMP is unset.
std::string LogPath(std::string_view name);

// Creates the log, or empties it. False when it cannot be opened.
bool InitLog(std::string_view name);

// Appends `line` to an existing log, keeping its last kRoundLines lines
// oldest first. False, with the log unchanged, when it cannot be opened.
bool AppendRound(std::string_view name, std::string_view line);

// Appends `data` to an existing log. False when it cannot be opened.
bool AppendToLog(std::string_view name, std::string_view data);

// The same, written in pieces of at most kBinaryPiece bytes.
bool AppendBinaryToLog(std::string_view name, std::string_view data);

}  // namespace qel::message

#endif  // QEL_MESSAGE_LOG_FILE_H_
