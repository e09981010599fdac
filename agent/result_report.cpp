#include "agent/result_report.h"

#include "agent/commands/commands.h"
#include "agent/run_event.h"
#include "foundation/messages.h"
#include "foundation/agent_settings.h"
#include "foundation/trace_log.h"
#include "resources/message_ids.h"

namespace {

constexpr DWORD kClaimantWaitMs = 5000;

enum : LONG { kUnclaimed, kClaimed, kWritten };
volatile LONG g_resultState = kUnclaimed;
ResultCode g_claimedCode = kResultSuccess;

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
  const bool codeGone = Settings().WriteString(agent_setting::kReturnCode, nullptr);
  const bool stringGone = Settings().WriteString(agent_setting::kReturnString, nullptr);
  if (!codeGone || !stringGone) TraceStatus("The previous result could not be deleted from the registry.\n");
}

bool ClaimResult(ResultCode code) {
  if (InterlockedCompareExchange(&g_resultState, kClaimed, kUnclaimed) != kUnclaimed) return false;
  g_claimedCode = code;
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
  if (!ClaimResult(code)) EndWithClaimedResult();
  WriteClaimedResult(run);
}

void WriteClaimedResult(const CommandRun& run) {
  const ResultCode code = g_claimedCode;
  const TextString text = ResultText(run, code);
  const bool codeWritten = Settings().WriteDword(agent_setting::kReturnCode, static_cast<DWORD>(code));
  const bool stringWritten = Settings().WriteString(agent_setting::kReturnString, text);
  // The exit code still tells; the registry would go on showing an earlier run's result.
  if (!codeWritten || !stringWritten) TraceStatus("The result could not be written to the registry.\n");
  ReportRunEvent(run, code, text.c_str());
  TraceStatus("%s\n", text.c_str());
  InterlockedExchange(&g_resultState, kWritten);
}
