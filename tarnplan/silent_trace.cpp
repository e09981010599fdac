// tarnplan runs the agent's update engine and library loading, whose status lines would reach
// a management system's collector as if the agent had run. This program's own definitions of
// the trace functions take their place at link time, so the library's trace_log is never
// linked in, and tarnplan says what it found on its own console only.
#include "foundation/trace_log.h"

volatile DWORD DebugOutput = 0;

void TraceDebug(const char*, ...) {}

bool TraceStatus(const char*, ...) { return true; }
