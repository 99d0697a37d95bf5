// The C boundary of qelmessage: the exported functions over message_text and
// log_file.
#include "message/qelmessage.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "message/log_file.h"
#include "message/message_text.h"
#include "platform/cp932.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace qel::message {
namespace {

using platform::BoxButtons;
using platform::BoxIcon;

// The library's own texts (qelmessage_strings.tsv).
constexpr const char* kOwnModule = "QELMESSAGE.DLL";
constexpr unsigned kTextMessageLoadError = 1;
constexpr unsigned kTextLogOpenError = 2;

constexpr const char* kConversionProgram = "QELXFORMBATCH.EXE";
constexpr const char* kReworkProgram = "QELREWORKBATCH.EXE";
// Logged in place of the message number when the console program's table is
// not loaded at all.
constexpr int kNoModuleNumber = 9999;

constexpr const char* kInstallKey = "SOFTWARE\\KORVATH\\QELLAR2\\";
constexpr const char* kInstallKeyNt350 = "SOFTWARE\\KORVATH\\QELLAR2\\PathName";

std::string OwnText(unsigned id) {
  auto text = platform::LoadModuleString(kOwnModule, id);
  return text ? std::string(*text) : std::string();
}

// Log files whose failure to open has been reported since their
// KMSOFileIni: a log that cannot be opened is reported once per run, not
// once per line. The only state of the library, kept by path (TEMP may
// change); the window programs log from worker threads as well.
std::mutex reported_mutex;
std::set<std::string> reported_logs;

void ForgetReport(std::string_view log_name) {
  std::lock_guard<std::mutex> lock(reported_mutex);
  reported_logs.erase(LogPath(log_name));
}

void ReportLogOpenError(std::string_view log_name) {
  {
    std::lock_guard<std::mutex> lock(reported_mutex);
    if (!reported_logs.insert(LogPath(log_name)).second) return;
  }
  platform::ShowBox("KMSO", OwnText(kTextLogOpenError), BoxButtons::kOk, BoxIcon::kExclamation);
}

void Round(const char* log_name, std::string_view line) {
  if (log_name == nullptr) log_name = "";
  if (!AppendRound(log_name, line)) ReportLogOpenError(log_name);
}

void LogLoadError(const char* log_name, const std::string& time_stamp, int number) {
  std::string line =
      time_stamp + " " + OwnText(kTextMessageLoadError) + "(" + std::to_string(number) + ")\n";
  Round(log_name, line);
}

bool HasStandardOutput() { return ::fcntl(STDOUT_FILENO, F_GETFD) != -1; }

void WriteConsoleLine(const std::string& text) {
  qel::platform::BeforeConsoleLine();
  std::string line = text + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace
}  // namespace qel::message

using namespace qel::message;  // NOLINT: the C boundary of this library only

extern "C" {

int KMSOErrmsgout(const char* log_name, int number, const char* const* args) {
  if (log_name == nullptr) log_name = "";
  std::string time_stamp = CurrentTimeStamp();
  auto text =
      number >= 0 ? qel::platform::LoadProgramString(static_cast<unsigned>(number)) : std::nullopt;
  if (!text) {
    qel::platform::ShowBox("Message Box", OwnText(kTextMessageLoadError), BoxButtons::kOk,
                           BoxIcon::kInformation);
    LogLoadError(log_name, time_stamp, number);
    return -1;
  }
  BoxStyle style = StyleForSeverity(*text);
  std::string box_text = SubstituteForBox(MessageBody(*text), args);
  Round(log_name, time_stamp + " " + LogMessageText(*text, args, LogIsUtf8()) + "\n");
  return qel::platform::ShowBox(log_name, box_text, style.buttons, style.icon);
}

int KMSOErrmsgout2(const char* log_name, int number) {
  return KMSOErrmsgout(log_name, number, nullptr);
}

int KMSOErrmsgoutbt(const char* log_name, int number, const char* const* args, int program) {
  if (log_name == nullptr) log_name = "";
  std::string time_stamp = CurrentTimeStamp();
  if (!HasStandardOutput()) return -1;
  const char* module = program != 0 ? kConversionProgram : kReworkProgram;
  if (!qel::platform::IsModuleLoaded(module)) {
    WriteConsoleLine(qel::platform::ForConsole(OwnText(kTextMessageLoadError)));
    LogLoadError(log_name, time_stamp, kNoModuleNumber);
    return -1;
  }
  auto found = number >= 0 ? qel::platform::LoadModuleString(module, static_cast<unsigned>(number))
                           : std::nullopt;
  if (!found) {
    WriteConsoleLine(qel::platform::ForConsole(OwnText(kTextMessageLoadError)));
    LogLoadError(log_name, time_stamp, number);
    return -1;
  }
  std::string_view text = CutCp932(*found, kConsoleStringBuffer - 1);
  Round(log_name, time_stamp + " " + LogMessageText(text, args, LogIsUtf8()) + "\n");
  const char* const* inserts = args;
  const char* const none[kInsertCount] = {"", "", "", "", ""};
  if (inserts == nullptr) inserts = none;
  WriteConsoleLine(
      qel::platform::FormatForDisplay(text, inserts, kInsertCount, qel::platform::ConsoleIsUtf8()));
  return 0;
}

int KMSOErrmsgoutbt2(const char* log_name, int number, int program) {
  return KMSOErrmsgoutbt(log_name, number, nullptr, program);
}

int KMSOFileIni(const char* log_name) {
  if (log_name == nullptr) log_name = "";
  ForgetReport(log_name);
  return InitLog(log_name) ? 1 : 0;
}

void KMSOFileRound(const char* log_name, const char* line) {
  Round(log_name, line != nullptr ? line : "");
}

void KMSOFileOut(const char* log_name, const char* text) {
  if (log_name == nullptr) log_name = "";
  if (!AppendToLog(log_name, text != nullptr ? text : "")) ReportLogOpenError(log_name);
}

void KMSOBinaryOut(const char* log_name, const void* data, size_t length) {
  std::string_view bytes;
  if (data != nullptr) bytes = std::string_view(static_cast<const char*>(data), length);
  if (log_name == nullptr) log_name = "";
  if (!AppendBinaryToLog(log_name, bytes)) ReportLogOpenError(log_name);
}

void KMSOGetTime(char* buffer) {
  if (buffer == nullptr) return;
  std::snprintf(buffer, KMSO_TIME_SIZE, "%s", CurrentTimeStamp().c_str());
}

void KMSOGetInstDir(char* buffer) {
  if (buffer == nullptr) return;
  buffer[0] = '\0';
  std::string key;
  if (qel::platform::IsWindowsNt350()) {
    key = kInstallKeyNt350;
  } else {
    auto version = qel::platform::ReadMachineRegistryValue(kInstallKey, "CurrentVersion");
    if (!version) return;
    key = std::string(kInstallKey) + *version + "\\PathName";
  }
  auto path = qel::platform::ReadMachineRegistryValue(key, "Path00");
  // The value must fit the buffer with its NUL; a longer one is a failed
  // read, as it is for a registry value read into a fixed buffer.
  if (!path || path->size() >= KMSO_INSTDIR_SIZE) return;
  std::memcpy(buffer, path->c_str(), path->size() + 1);
}

}  // extern "C"
