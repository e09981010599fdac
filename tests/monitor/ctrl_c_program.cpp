// The program tarnmon runs in its tests. It first raises the exception through which a
// debugger learns of a Ctrl+C in its program, then waits in tarnmon's console, and ends once it
// is the only process left there. With the argument "fault" it dies of an access violation instead.
#include <windows.h>

#include <cstring>

int* volatile g_nowhere = nullptr;

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "fault") == 0) *g_nowhere = 1;
  RaiseException(DBG_CONTROL_C, 0, 0, nullptr);
  OutputDebugStringA("waiting for Ctrl+C");
  DWORD attached[2];
  while (GetConsoleProcessList(attached, 2) > 1) Sleep(10);
  return 0;
}
