// The recording of a run's result.
#pragma once

#include "agent/command_run.h"
#include "foundation/result_codes.h"
#include "foundation/text_string.h"

// The one-line result text of a code: its message, with the script path, program path or
// required version put in where the message names one.
TextString ResultText(const CommandRun& run, ResultCode code);

// Deletes the previous run's ReturnCode, ReturnString and run record; says so in a status line
// when it cannot.
void ClearPreviousResult();

// A run has one result, written once: the first to claim it (the command's end, a time-out or
// the fault report) writes it, and the process ends with that code whoever ends it.
// `cause`: which cause of 11 it is, when it is one.
bool ClaimResult(ResultCode code, TimeOutCause cause);

// Waits (a few seconds at most) until the claimant has written the result, then ends the
// process with the claimed code: for anyone who lost the claim, and for the fault report.
[[noreturn]] void EndWithClaimedResult();

// The claimant's write: ReturnCode, ReturnString and the rest of the run record below the agent
// key, LastRun.json, the run's event, and the text traced; status lines before it say so when
// the registry refused the result, and which cause of 11 it was.
void WriteClaimedResult(const CommandRun& run);

// Claims the result and writes it; ends the process with the claimed result when another
// claimed it first.
void ReportResult(const CommandRun& run, ResultCode code);
