#include "stop_signal.h"

#include "owned_handle.h"

namespace tarnmon {
namespace {

// Process-wide by nature: the console calls its handler on a thread of its own.
OwnedHandle g_stop;
OwnedHandle g_done;

// Windows ends the process once the handler of a close, logoff or shutdown returns, so that
// handler waits (within the system's few seconds) for the last lines to be written.
constexpr DWORD kCloseGraceMs = 4000;

BOOL WINAPI OnConsoleControl(DWORD control) {
  SetEvent(g_stop.Get());
  if (control == CTRL_CLOSE_EVENT || control == CTRL_LOGOFF_EVENT || control == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(g_done.Get(), kCloseGraceMs);
  }
  return TRUE;
}

}  // namespace

HANDLE InstallStopSignal() {
  g_stop = OwnedHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  g_done = OwnedHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!g_stop.IsValid() || !g_done.IsValid()) return nullptr;
  // Without a console there is nothing to handle; the event then simply never comes.
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  return g_stop.Get();
}

void StopSignalDone() {
  if (g_done.IsValid()) SetEvent(g_done.Get());
}

}  // namespace tarnmon
