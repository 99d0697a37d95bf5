/* qelmessage: numbered messages in boxes or on the console, and the suite's
 * log files.
 *
 * 1. Ownership: every pointer argument belongs to the caller and is only read
 *    during the call (KMSOGetTime and KMSOGetInstDir write into the caller's
 *    buffer). Each call opens and closes the log file itself; the only state
 *    kept between calls is which logs were reported as not openable.
 * 2. Messages: a message is found by its number alone, in the string table
 *    of the calling program (KMSOErrmsgout) or of the console program chosen
 *    by the selector (KMSOErrmsgoutbt). Texts are CP932. A missing text is
 *    reported with the box or console line "メッセージ取得エラー" and the
 *    result -1.
 * 3. Arguments: `args` points to five NUL-terminated strings substituted in
 *    order for the "%s" of the text; a null `args`, or a null string in it,
 *    counts as an empty string.
 * 4. Logs: the log of name N is the file "N.LOG" in the directory named by
 *    TEMP, or in the current directory when TEMP is unset. A program calls
 *    KMSOFileIni for each of its logs first: the other log calls never create
 *    the file, and report a log they cannot open with the box
 *    "ログファイルオープンエラー" and then return normally. That box comes
 *    once per log and run: after it, the log's failures stay silent until
 *    its next KMSOFileIni. Log files are opened without blocking and without
 *    following symbolic links, and only a regular file with one name owned
 *    by the user is used; a planted link, FIFO or device, or another user's
 *    file, is a log that cannot be opened.
 * 5. Failures of a log never stop the box or console output.
 */
#ifndef QEL_MESSAGE_QELMESSAGE_H_
#define QEL_MESSAGE_QELMESSAGE_H_

#include <stddef.h>

#define QELMESSAGE_EXPORT __attribute__((visibility("default")))

/* Size of the KMSOGetTime buffer: "YYYY/MM/DD hh:mm:ss" and its NUL. */
#define KMSO_TIME_SIZE 20
/* Size of the KMSOGetInstDir buffer: the longest directory and its NUL. */
#define KMSO_INSTDIR_SIZE 256
/* Longest log text of one message, in bytes, without the time stamp. */
#define KMSO_LOG_TEXT_MAX 1023
/* Lines a log written with KMSOFileRound keeps. */
#define KMSO_ROUND_LINES 100

/* Buttons KMSOErrmsgout returns. */
#define KMSO_IDOK 1
#define KMSO_IDCANCEL 2
#define KMSO_IDRETRY 4
#define KMSO_IDYES 6
#define KMSO_IDNO 7

#ifdef __cplusplus
extern "C" {
#endif

/* Shows message `number` of the calling program's string table in a box
 * captioned `log_name`, and adds it to that log. The severity character of
 * the text chooses the buttons: '!' Retry/Cancel, '?' Yes/No/Cancel, 'I' OK
 * (information), any other OK (stop). Returns the button pressed, or -1 when
 * the text is missing. */
QELMESSAGE_EXPORT int KMSOErrmsgout(const char* log_name, int number, const char* const* args);

/* KMSOErrmsgout with five empty arguments. */
QELMESSAGE_EXPORT int KMSOErrmsgout2(const char* log_name, int number);

/* Writes message `number` to standard output and adds it to the log. The
 * texts are those of the conversion program ("QELXFORMBATCH.EXE") when
 * `program` is nonzero, of the rework program ("QELREWORKBATCH.EXE") when it
 * is zero. Returns 0, or -1 when the text or the program's table is missing
 * (logged with number 9999) or there is no standard output. */
QELMESSAGE_EXPORT int KMSOErrmsgoutbt(const char* log_name, int number, const char* const* args,
                                      int program);

/* KMSOErrmsgoutbt with five empty arguments. */
QELMESSAGE_EXPORT int KMSOErrmsgoutbt2(const char* log_name, int number, int program);

/* Creates the log, or empties an existing one. Nonzero when it could be
 * created. */
QELMESSAGE_EXPORT int KMSOFileIni(const char* log_name);

/* Appends `line` (which carries its own line break) to the log, keeping the
 * last KMSO_ROUND_LINES lines, oldest first. */
QELMESSAGE_EXPORT void KMSOFileRound(const char* log_name, const char* line);

/* Appends `text` as given to an existing log. */
QELMESSAGE_EXPORT void KMSOFileOut(const char* log_name, const char* text);

/* Appends `length` raw bytes to an existing log. */
QELMESSAGE_EXPORT void KMSOBinaryOut(const char* log_name, const void* data, size_t length);

/* Writes the local time as "YYYY/MM/DD hh:mm:ss" into `buffer` (at least
 * KMSO_TIME_SIZE bytes). */
QELMESSAGE_EXPORT void KMSOGetTime(char* buffer);

/* Writes the installation directory from the registry into `buffer` (at
 * least KMSO_INSTDIR_SIZE bytes), or an empty string on any failure. */
QELMESSAGE_EXPORT void KMSOGetInstDir(char* buffer);

#ifdef __cplusplus
}
#endif

#endif /* QEL_MESSAGE_QELMESSAGE_H_ */
