// An MSI.DLL someone planted beside the agent or in its current folder: it says so on the
// debugger output the moment it is loaded, and offers nothing.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) OutputDebugStringA("planted MSI.DLL loaded\n");
  return TRUE;
}
