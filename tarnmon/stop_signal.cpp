#include "tarnmon/stop_signal.h"

#include "foundation/unique_handle.h"

namespace tarnmon {
namespace {

// Process-wide by nature: the console calls its handler on a thread of its own.
KernelHandle g_stop;
KernelHandle g_done;

// Windows ends the process once the handler of a close, logoff or shutdown returns, so that
// handler waits (within the system's few seconds) for the last lines to be written.
constexpr DWORD kCloseGraceMs = 4000;

BOOL WINAPI OnConsoleControl(DWORD control) {
  SetEvent(g_stop.get());
  if (control == CTRL_CLOSE_EVENT || control == CTRL_LOGOFF_EVENT || control == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(g_done.get(), kCloseGraceMs);
  }
  return TRUE;
}

}  // namespace

HANDLE InstallStopSignal() {
  g_stop = KernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  g_done = KernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!static_cast<bool>(g_stop) || !static_cast<bool>(g_done)) return nullptr;
  // Without a console there is nothing to handle; the event then simply never comes.
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  return g_stop.get();
}

void StopSignalDone() {
  if (static_cast<bool>(g_done)) SetEvent(g_done.get());
}

}  // namespace tarnmon
