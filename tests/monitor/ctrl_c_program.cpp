// The program tarnmon runs in the Ctrl+C test. It first raises the exception a debuggee gets for
// Ctrl+C, then presses Ctrl+C in tarnmon's console as a person would, and again once tarnmon has
// let it go. Still alive, it says so to whoever holds the status mailslot by then.
#include <windows.h>

#include "tests/monitor/post_to_collector.h"

int main() {
  RaiseException(DBG_CONTROL_C, 0, 0, nullptr);
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  while (IsDebuggerPresent()) Sleep(10);
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  Sleep(1000);  // a Ctrl+C is handled on a thread of its own, a moment later
  for (const ULONGLONG end = GetTickCount64() + 60000; GetTickCount64() < end; Sleep(10)) {
    if (PostToCollector("ran on")) break;
  }
  return 0;
}
