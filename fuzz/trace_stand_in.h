// The agent's trace functions, for the native targets: the real ones write to the debugger
// output and the status mailslot; these keep the last status line for the targets to read.
#pragma once

#include <string>

extern std::string g_lastStatus;
