// Windowless GUI-subsystem program: the start-up code hands WinMain the command line
// without the program name, exactly what the entry point needs.
#include <windows.h>

#include "agent/entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) { return AgentMain(instance, commandLine); }
