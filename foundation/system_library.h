// Windows' own libraries, loaded from the system folder only: by name alone, a copy beside the
// program or in the current folder would come first, and the agent runs as SYSTEM.
#pragma once

#include <windows.h>

#include <cstring>

#include "foundation/result_codes.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"

// Empty when the system folder's path does not fit or the library does not load.
inline LoadedModule LoadSystemLibrary(const char* fileName) {
  char path[MAX_PATH] = {};
  const UINT folderLength = GetSystemDirectoryA(path, sizeof path);
  if (folderLength == 0 || folderLength + 1 + std::strlen(fileName) >= sizeof path) return LoadedModule();
  path[folderLength] = '\\';
  std::strcpy(path + folderLength + 1, fileName);
  return LoadedModule(LoadLibraryA(path));
}

// One function of Windows Installer's MSI.DLL, loaded by whoever needs it when it is needed, so
// that a program still runs and reports on a machine without Windows Installer. `caller` names
// the asker in the status line of a failure ("caller - MSI.DLL missing.", "caller - Name()
// function missing."). `msi` holds the library as long as the function is used.
template <typename Function>
ResultCode LoadInstallerFunction(const char* caller, const char* name, LoadedModule& msi, Function& function) {
  function = nullptr;
  msi = LoadSystemLibrary("MSI.DLL");
  if (!msi) {
    TraceStatus("%s - MSI.DLL missing.\n", caller);
    return kResultInstallerMissing;
  }
  function = FindExport<Function>(msi.get(), name);
  if (function == nullptr) {
    TraceStatus("%s - %s() function missing.\n", caller, name);
    return kResultInstallerFunctionMissing;
  }
  return kResultSuccess;
}
