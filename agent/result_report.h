// The recording of a run's result.
#pragma once

#include "agent/command_run.h"
#include "foundation/result_codes.h"
#include "foundation/text_string.h"

// The one-line result text of a code: its message, with the script path, program path or
// required version put in where the message names one.
TextString ResultText(const CommandRun& run, ResultCode code);

// Deletes the previous run's ReturnCode and ReturnString; says so in a status line when it cannot.
void ClearPreviousResult();

// Writes ReturnCode and ReturnString below the agent key and traces the text; a status line
// before it says so when the registry refused the result.
void ReportResult(const CommandRun& run, ResultCode code);
