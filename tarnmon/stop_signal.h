// Ctrl+C, Ctrl+Break and closing the console window ask tarnmon to stop; it finishes its
// output before the process goes.
#pragma once

#include <windows.h>

namespace tarnmon {

// Installs the console handler; the returned event is signalled when a stop is asked for.
// Null when it could not be set up.
HANDLE InstallStopSignal();

// Says that tarnmon has finished: a console that is being closed may now end the process.
void StopSignalDone();

}  // namespace tarnmon
