// The recording of a run's result.
#pragma once

#include "agent/command_run.h"
#include "foundation/result_codes.h"
#include "foundation/text_string.h"

// The one-line result text of a code: its message, with the script path, program path or
// required version put in where the message names one.
TextString ResultText(const CommandRun& run, ResultCode code);

// Writes ReturnCode and ReturnString below the agent key and traces the text.
void ReportResult(const CommandRun& run, ResultCode code);
