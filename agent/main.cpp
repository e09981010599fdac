// Windowless GUI-subsystem program: the start-up code hands WinMain the command line
// without the program name, exactly what the entry point needs.
#include <windows.h>

#include "agent/entry.h"
#include "foundation/exception_frame.h"

namespace {

// The system calls a program's TLS callbacks on every thread the process starts, the threads
// the product's library starts of its own too, on that thread before it runs its routine. Each
// gets the stack that the agent's own threads keep for the fault report, so that an overflow
// there can still be dispatched and reach the unhandled-exception filter.
void NTAPI KeepStackForFaultReport(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) ReserveStackForHandlers();
}

}  // namespace

// The start-up code's TLS directory runs every callback between .CRT$XLA and .CRT$XLZ.
extern "C" __attribute__((used, section(".CRT$XLT"))) const PIMAGE_TLS_CALLBACK tarnThreadStackCallback =
    KeepStackForFaultReport;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) { return AgentMain(instance, commandLine); }
