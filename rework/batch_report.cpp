// Arguments of the messages the rework programs report, by message number.
#include "rework/batch_report.h"

#include "message/system_error_text.h"
#include "recacc/qelrecacc.h"
#include "xformio/run_end.h"

namespace qel::rework {

namespace {

std::string Text(const char* p) { return p != nullptr ? p : ""; }

// The sub-code of a sequential file holds a system error code, shown with
// its meaning; an indexed file's holds the ISAM library's own number.
std::string SubCodeInsert(const DTF& dtf, const std::string& sub_code) {
  bool sequential = dtf.organisation[0] == 'S' &&
                    (dtf.organisation[1] == '\0' || dtf.organisation[1] == ' ');
  return sequential ? message::SystemErrorInsert(sub_code) : sub_code;
}

}  // namespace

Report AccessFailure(const DTF& dtf, uint32_t status) {
  Report r;
  r.message = static_cast<int>(status);
  std::string definition = Text(dtf.definition_path);
  std::string data = Text(dtf.data_path);
  std::string sub_code = SubCodeInsert(dtf, KRACGetSubCode(const_cast<DTF*>(&dtf)));
  switch (status) {
    case 2510:
    case 2511:
    case 2512:
    case 2513:
    case 2514:
    case 2515:
    case 2516:
    case 2517:
    case 2518:
    case 3510:
    case 3511:
    case 3512:
    case 3513:
    case 3521:
      r.args[0] = definition;
      break;
    case 2610:
    case 2611:
    case 2612:
    case 2613:
    case 2614:
    case 2690:
    case 3610:
    case 3612:
    case 3613:
    case 3630:
    case 3698:
    case 3621:
      r.args[0] = data;
      if (status == 3621) r.args[1] = sub_code;
      break;
    case 2616:
      r.args[0] = data;
      r.args[1] = definition;
      break;
    case 3520:
      r.args[0] = definition;
      r.args[1] = sub_code;
      break;
    case 2617:
    case 3620:
    case 3622:
    case 3623:
      r.args[0] = data;
      r.args[1] = sub_code;
      break;
    default:
      break;
  }
  return r;
}

Report ReadFailure(const CZovozDoc& doc, int result, int line, const std::string& path) {
  Report r;
  r.message = result;
  if ((result >= 2801 && result <= 2808) || result == 2852 || result == 2853) {
    r.args[0] = std::to_string(line);
  } else if (result >= 2821 && result <= 2825) {
    r.args[0] = path;
  } else if (result == 2140 || result == 2141) {
    r.message = doc.settings.form == kFormSelection ? 2050 : 2051;
  } else if ((result >= 2500 && result < 2800) || (result >= 3500 && result < 3700)) {
    const DTF& failed = KRACGetStatus(const_cast<DTF*>(&doc.input)) != 0 ? doc.input : doc.output;
    r = AccessFailure(failed, static_cast<uint32_t>(result));
  }
  return r;
}

Report RunResult(const CZovozDoc& doc, const CKREXDoc& run, int result) {
  Report r;
  r.message = result;
  switch (result) {
    case 0:
      r.message = 2052;
      r.args[0] = std::to_string(run.records_read());
      r.args[1] = std::to_string(run.records_written());
      break;
    case kRunCancelled:
      r.message = 0;
      break;
    case 2235:
    case 2236:
    case 2360:
      r.args[0] = std::to_string(run.records_read());
      r.args[1] = doc.input_names.Name(run.error_item() + 1);
      break;
    case 2361:
    case 2362:
      r.args[0] = doc.output_names.Name(run.error_item() + 1);
      break;
    case 2617:
    case 3622:
    case 3623: {
      const DTF& failed =
          KRACGetStatus(const_cast<DTF*>(&doc.input)) == static_cast<uint32_t>(result) ? doc.input
                                                                                       : doc.output;
      r.args[0] = Text(failed.data_path);
      r.args[1] = SubCodeInsert(failed, run.sub_code());
      break;
    }
    default:
      break;
  }
  return r;
}

Report CloseFailure(const DTF& dtf, uint32_t status) { return AccessFailure(dtf, status); }

RunEnd EndRun(CZovozDoc& doc, const CKREXDoc& run, int result) {
  // The run's report needs the layouts' names, which the close releases.
  Report outcome = RunResult(doc, run, result);
  const DTF* run_failed_file =
      KRACGetStatus(&doc.output) == static_cast<uint32_t>(result) ? &doc.output : nullptr;
  DTF* close_failed = nullptr;
  uint32_t close_status = doc.CloseFiles(&close_failed);
  bool closed = close_status == 0;
  xformio::RunLoop loop = result == 0              ? xformio::RunLoop::kDone
                          : result == kRunCancelled ? xformio::RunLoop::kCancelled
                                                    : xformio::RunLoop::kFailed;
  RunEnd end;
  if (result != 0 && outcome.message != 0) end.reports.push_back(outcome);
  bool repeated = close_failed != nullptr && close_failed == run_failed_file &&
                  close_status == static_cast<uint32_t>(result);
  if (!closed && close_failed != nullptr && !repeated) {
    end.reports.push_back(CloseFailure(*close_failed, close_status));
  }
  if (xformio::MayShowCount(loop, true, closed)) end.reports.push_back(outcome);
  end.succeeded = xformio::RunOutcome(loop, true, closed) == xformio::RunLoop::kDone;
  return end;
}

}  // namespace qel::rework
