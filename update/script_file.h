// The run's update script, read only through the system's profile functions: names are
// matched without letter case, and nothing is cached between reads.
#pragma once

#include <windows.h>

#include "update/script_readers.h"

// The integer of the value text, or `defaultValue` when the key is absent.
DWORD ReadScriptNumber(const UpdateContext& run, const char* section, const char* key, int defaultValue);
// Reads at most 511 characters of the value into `text`; false when the key is absent (or
// holds exactly the missing sentinel).
bool ReadScriptText(const UpdateContext& run, const char* section, const char* key, char (&text)[kScriptTextBufferSize]);
