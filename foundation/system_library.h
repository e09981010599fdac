// Windows' own libraries, loaded from the system folder only: by name alone, a copy beside the
// program or in the current folder would come first, and the agent runs as SYSTEM.
#pragma once

#include <windows.h>

#include <cstring>

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
