// The agent's entry point: one run, one command, one result.
#pragma once

#include <windows.h>

// `commandLine` is the command line after the program name. Gives the exit code; after a
// worker was given up on, the process ends here instead.
int AgentMain(HINSTANCE instance, const char* commandLine);
