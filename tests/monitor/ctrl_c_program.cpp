// The program tarnmon runs in the Ctrl+C test. It first raises the exception through which a
// debugger learns of a Ctrl+C in its program, then waits in tarnmon's console, and ends once it
// is the only process left there.
#include <windows.h>

int main() {
  RaiseException(DBG_CONTROL_C, 0, 0, nullptr);
  OutputDebugStringA("waiting for Ctrl+C");
  DWORD attached[2];
  while (GetConsoleProcessList(attached, 2) > 1) Sleep(10);
  return 0;
}
