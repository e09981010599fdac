// Result messages from the string table, and the recording of the run's result.
#pragma once

#include "result_codes.h"
#include "text_string.h"

// Loads string `id` of the agent's module; true if a non-empty text was loaded.
bool LoadMessage(TextString& text, unsigned int id);

// The one-line result text of a code: its message, with the script path, program path or
// required version put in where the message names one.
TextString ResultText(ResultCode code);

// Writes ReturnCode and ReturnString below the agent key and traces the text.
void ReportResult(ResultCode code);
