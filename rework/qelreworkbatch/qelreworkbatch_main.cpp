// qelreworkbatch: runs one rework procedure file from the command line.
// Exit status 0 after a completed run whose output reached its file, 1 after
// any failure, a failure to write out or close a file included.
#include <cstdint>
#include <cstring>
#include <string>

#include "message/qelmessage.h"
#include "platform/standard_descriptors.h"
#include "rework/batch_report.h"
#include "rework/edit_engine.h"
#include "rework/execution.h"
#include "rework/procedure_file.h"
#include "rework/zovoz_document.h"
#include "xformio/progress_meter.h"

namespace {

using namespace qel::rework;

constexpr int kProgram = 0;  // the rework program's texts

void Show(const Report& r) {
  if (r.message == 0) return;
  const char* args[5];
  for (int i = 0; i < 5; ++i) args[i] = r.args[i].c_str();
  KMSOErrmsgoutbt(kLogRework, r.message, args, kProgram);
}

void Show(int message, const std::string& arg) {
  Report r;
  r.message = message;
  r.args[0] = arg;
  Show(r);
}

// Closes both files, reporting a failure without changing the outcome.
void Close(CZovozDoc& doc) {
  DTF* failed = nullptr;
  uint32_t status = doc.CloseFiles(&failed);
  if (status != 0 && failed != nullptr) Show(CloseFailure(*failed, status));
}

int Main(int argc, char** argv) {
  CZovozDoc::InitLogs();
  if (argc != 2) {
    Show(2821, "");
    return 1;
  }
  std::string path = argv[1];
  if (path.size() >= 256) {
    Show(2610, path);
    return 1;
  }
  CZovozDoc doc;
  doc.settings.form_from_file = true;
  doc.run_phase = 0;
  CKRPFDoc reader(&doc);
  int result = reader.Run(kModeReadCommon, path);
  if (result == 0) result = reader.Run(kModeReadBlocks, path);
  if (result != 0) {
    Show(ReadFailure(doc, result, reader.line(), path));
    Close(doc);
    return 1;
  }
  CKRMVDoc engine(&doc);
  doc.CheckSelection();
  int edit_check = 0;
  if (doc.settings.form == kFormEdit && doc.settings.method == kMethodAppointed) {
    edit_check = engine.CheckEdits();
  }
  if (!doc.Runnable() || edit_check != 0) {
    Show(doc.settings.form == kFormSelection ? 2050 : 2051, "");
    Close(doc);
    return 1;
  }
  doc.procedure_path = path;
  CKREXDoc run(&doc, &engine);
  doc.run_phase = 2;
  WriteSystemInformation(doc);
  {
    // Records done, percent and rate on a terminal's standard error; gone
    // before the files are closed and the result is shown.
    qel::xformio::ProgressMeter meter([&run] {
      return qel::xformio::ProgressMeter::Sample{static_cast<std::uint64_t>(run.records_read()),
                                                 run.input_file()};
    });
    result = run.Run();
  }
  RunEnd end = EndRun(doc, run, result);
  for (const Report& report : end.reports) Show(report);
  return end.succeeded ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  return Main(argc, argv);
}
