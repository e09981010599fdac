// The agent's diagnostic channel. Detail lines go to the debugger output only while
// DebugOutput is on; status lines go there too while it is on, and always to the status
// mailslot that a collector on this machine may have created. Callers end their lines in "\n".
#pragma once

#include <windows.h>

#include "foundation/text_string.h"  // TARN_PRINTF_FORMAT

// Process-wide switch: non-zero means debugger output is on.
extern volatile DWORD DebugOutput;

constexpr char kStatusMailslotName[] = "\\\\.\\mailslot\\RIVARodi";
constexpr char kStatusPrefix[] = "[TarnUpdate] ";
// Each trace call keeps at most this many characters of its formatted text.
constexpr int kTraceTextLimit = 2047;
// A posted message keeps at most this many characters between sequence byte and NUL.
constexpr int kStatusMessageLimit = 8162;

void TraceDebug(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);
bool TraceStatus(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);
// Posts one message: sequence byte (1 to 255, never 0), formatted text, NUL.
bool PostStatusMessage(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);
