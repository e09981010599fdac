#include "agent/result_report.h"

#include "agent/commands/commands.h"
#include "agent/last_run.h"
#include "agent/run_event.h"
#include "foundation/messages.h"
#include "foundation/trace_log.h"
#include "resources/message_ids.h"

namespace {

constexpr DWORD kClaimantWaitMs = 5000;

enum : LONG { kUnclaimed, kClaimed, kWritten };
volatile LONG g_resultState = kUnclaimed;
ResultCode g_claimedCode = kResultSuccess;
TimeOutCause g_claimedCause = TimeOutCause::kNone;

}  // namespace

TextString ResultText(const CommandRun& run, ResultCode code) {
  TextString message;
  TextString text;
  if (code >= kResultSuccess && code <= kResultLast) {
    unsigned int id = IDS_RESULT_FIRST + static_cast<unsigned int>(code);
    // Only the texts of 6, 7 and 12 name something, and only their commands give those codes.
    const char* argument = "";
    if (run.command != nullptr && run.command->resultArgument != nullptr) {
      argument = run.command->resultArgument(run, code, id);
    }
    LoadMessage(run.module, id, message);
    text.Format(message, argument);
  } else {
    LoadMessage(run.module, IDS_UNRECOGNISED_ERROR, message);
    text.Format(message, static_cast<int>(code));
  }
  return text;
}

void ClearPreviousResult() {
  if (!ClearLastRun()) TraceStatus("The previous result could not be deleted from the registry.\n");
}

bool ClaimResult(ResultCode code, TimeOutCause cause) {
  if (InterlockedCompareExchange(&g_resultState, kClaimed, kUnclaimed) != kUnclaimed) return false;
  g_claimedCode = code;
  g_claimedCause = code == kResultTimedOut ? cause : TimeOutCause::kNone;
  return true;
}

void EndWithClaimedResult() {
  // Bounded: the claimant may be this very thread, faulting while it wrote.
  for (DWORD waited = 0;
       waited < kClaimantWaitMs && InterlockedCompareExchange(&g_resultState, kWritten, kWritten) != kWritten;
       waited += 10) {
    Sleep(10);
  }
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(g_claimedCode));
  ExitProcess(static_cast<UINT>(g_claimedCode));
}

void ReportResult(const CommandRun& run, ResultCode code) {
  if (!ClaimResult(code, run.details != nullptr ? run.details->timeOutCause : TimeOutCause::kNone)) {
    EndWithClaimedResult();
  }
  WriteClaimedResult(run);
}

void WriteClaimedResult(const CommandRun& run) {
  const ResultCode code = g_claimedCode;
  const TimeOutCause cause = g_claimedCause;
  const TextString text = ResultText(run, code);
  // The exit code still tells; the registry would go on showing an earlier run's result.
  if (!WriteLastRun(run, code, text, cause)) TraceStatus("The result could not be written to the registry.\n");
  if (cause != TimeOutCause::kNone) {
    const TimeOutCauseText why = DescribeTimeOut(cause);
    TraceStatus("The run ends with 11 because %s: %s.\n", why.text,
                why.retryable ? "the same run may succeed later" : "the same run is not expected to succeed later");
  }
  ReportRunEvent(run, code, text.c_str(), cause);
  TraceStatus("%s\n", text.c_str());
  InterlockedExchange(&g_resultState, kWritten);
}
