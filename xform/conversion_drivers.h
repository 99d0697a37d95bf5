// The six conversion drivers shared by the console converter and the window
// program. Each driver runs one whole conversion, from opening the files to
// the final count message, and reports every outcome itself through the
// message library under the log name "qelxform".
//
// Conventions:
// 1. The caller fills one KXFMTbl (start from a zeroed table; CharSeparator
//    is always "\"") and calls the driver of the chosen kind.
// 2. Results: 0 when the conversion ran to its end and the files closed;
//    kDriverFailed after a failure (its one message has been shown), also
//    for a failure inside the record loop: the output then keeps every
//    record converted before the failing one; kDriverCancelled when the
//    caller's cancel flag stopped the loop (no message; the output keeps the
//    records written so far).
// 3. Messages: DriverContext::output chooses the console (with the batch
//    program's texts) or message boxes (with the calling program's own
//    string table). Boxes go through the presenter the window program
//    installed; the message pump is called once per record.
// 4. One driver runs at a time in a process (the item work area and the CSV
//    and text file states are module-wide). A window program may run it on
//    a worker thread and watch DriverContext::records.
// 5. SamToCsv, SamToTxt, CsvToSam and TxtToSam convert blocks of records on
//    xformio::WorkThreads() threads and write them in input order; what
//    they write, count and report is what one thread gives. The counts and
//    the cancel request are then taken per block.
#ifndef QEL_XFORM_CONVERSION_DRIVERS_H_
#define QEL_XFORM_CONVERSION_DRIVERS_H_

#include <stdint.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "recacc/qelrecacc.h"

// The conversion table.
struct KXFMTbl {
  char InFileName[2048];     // input file
  char OutFileName[2048];    // output file
  char SheetFileName[2048];  // file definition (.FLF) of the CSV kinds
  char Separator[10];        // CSV separator: only the first character is used
  char CharSeparator[10];    // quote character of character fields: "\""
  int32_t Title;             // 1: the CSV file has a title line
  uint16_t Reclen;           // record length of SamToTxt, TxtToSam, VsamToSam
  int32_t BinaryCode;        // 1: binary items are big-endian
  int32_t BwzType;           // 1: BLANK WHEN ZERO handling on
  int32_t CsvCode;           // 1: the CSV side is UTF-8; 0: CP932 as stored
};

namespace qel::xform {

// Kind codes, checked against the organisation of the file definition.
inline constexpr int kKindSamToTxt = 0;
inline constexpr int kKindTxtToSam = 1;
inline constexpr int kKindCsvToSam = 2;
inline constexpr int kKindSamToCsv = 3;
inline constexpr int kKindIsamToCsv = 4;
inline constexpr int kKindVsamToSam = 5;

inline constexpr int kDriverFailed = -1;
inline constexpr int kDriverCancelled = -2;

inline constexpr const char* kLogName = "qelxform";

enum class MessageOutput {
  kConsole,  // KMSOErrmsgoutbt with the batch program's texts
  kBox,      // KMSOErrmsgout with the calling program's texts
};

struct DriverContext {
  MessageOutput output = MessageOutput::kConsole;
  // Records written so far, updated after each record (may be null).
  std::atomic<std::uint64_t>* records = nullptr;
  // Set by the caller to stop the record loop (may be null).
  const std::atomic<bool>* cancel = nullptr;
  // The input's descriptor while the driver has it open, else -1, for a
  // progress display (may be null).
  std::atomic<int>* input_file = nullptr;
};

int SamToCsv(const KXFMTbl& table, const DriverContext& context = {});
int CsvToSam(const KXFMTbl& table, const DriverContext& context = {});
int IsamToCsv(const KXFMTbl& table, const DriverContext& context = {});
int SamToTxt(const KXFMTbl& table, const DriverContext& context = {});
int TxtToSam(const KXFMTbl& table, const DriverContext& context = {});
int VsamToSam(const KXFMTbl& table, const DriverContext& context = {});

// Reads the file definition `definition` into `dtf` (initialised here) and
// loads its layout into the item work area. 0; -1 the organisation does not
// suit `kind` (sequential for kinds 2 and 3, indexed for 4); -2 the record
// format is not fixed-length; any other negative is minus the record-access
// library's message number (its sub-code stays in the DTF). The caller
// releases the definition with KRACRinfFree in every case.
int KvItemInfGet(const char* definition, int kind, DTF* dtf);

// The converter's mapping of an ISAM failure to a message: returns the
// message number and writes the second insert (the error number, when the
// message has one) into `text` (at least 10 bytes). `result` is the failing
// call's result, `error` IsGetLastErrno, `system_error` IsGetLastSyserr,
// `operation` 1 open, 2 read, 3 write, 0 close.
int KVisamerr(int result, int error, int system_error, int operation, char* text);

// True for a separator the CSV conversions refuse: one that can stand inside
// a field they write or read (a digit, ".", "+", "-", the quote, CR or LF),
// which would split or join numbers on the way back. Both programs check
// it before a run; the CSV drivers refuse it again (message 2733).
bool SeparatorRefused(char separator);

// The system-information block written to the log at the start of a driver
// (without its time stamp).
std::string SystemInformation(const char* function_name, const KXFMTbl& table);

}  // namespace qel::xform

#endif  // QEL_XFORM_CONVERSION_DRIVERS_H_
