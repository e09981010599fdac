// Time spent inside the library's calls, so that a benchmark can tell the agent's own time from
// the stand-in's (its journal lines and state files). Off unless STANDIN_CALL_TIMES names a file
// when the library is loaded; then the process appends one line to it as it unloads the library:
// "process-id calls microseconds".
#pragma once

#include <windows.h>

namespace syncutil {

// The performance counter at the start of a call, or 0 while timing is off.
LONGLONG CallTimingStart();
// Counts a call that began at `started`, a value CallTimingStart gave; nothing for 0.
void CallTimingStop(LONGLONG started);

}  // namespace syncutil
