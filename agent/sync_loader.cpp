#include "sync_loader.h"

#include "loaded_module.h"
#include "trace_log.h"

AvSyncGetIFaceFn AvSyncGetIFace = nullptr;
ManagementPortTable ManagementPort = {};
AvConsoleTable AvConsole = {};

namespace {

constexpr DWORD kLibraryPathSize = 261;

using MsiGetComponentPathAFn = INT(WINAPI*)(LPCSTR product, LPCSTR component, LPSTR path, LPDWORD capacity);
using MsiGetFileVersionAFn = UINT(WINAPI*)(LPCSTR path, LPSTR version, LPDWORD versionCapacity, LPSTR language,
                                           LPDWORD languageCapacity);

}  // namespace

int LoadMSIDll(HMODULE& module, const char* componentCode) {
  char path[kLibraryPathSize] = {};
  DWORD capacity = kLibraryPathSize;
  module = nullptr;

  LoadedModule msi(LoadLibraryA("MSI.DLL"));
  if (!msi) {
    TraceStatus("LoadMSIDll - MSI.DLL missing.\n");
    return kResultInstallerFailed;
  }
  const auto getComponentPath = msi.Find<MsiGetComponentPathAFn>("MsiGetComponentPathA");
  if (getComponentPath == nullptr) {
    TraceStatus("LoadMSIDll - MsiGetComponentPathA() function missing.\n");
    return 2;
  }
  // The install state is not looked at: an unknown product leaves the path empty.
  getComponentPath(kProductCode, componentCode, path, &capacity);
  module = path[0] != '\0' ? LoadLibraryA(path) : nullptr;
  if (module == nullptr) {
    TraceStatus("LoadMSIDll - SYNCUTIL.DLL missing.\n");
    return 2;
  }
  TraceStatus("LoadMSIDll \"%s\"\n", path);
  return 0;
}

int LoadSyncUtil(HMODULE& module) {
  int result = 2;
  if (LoadMSIDll(module, kSyncLibraryComponentCode) == 0) {
    AvSyncGetIFace = reinterpret_cast<AvSyncGetIFaceFn>(
        reinterpret_cast<void*>(GetProcAddress(module, kAvSyncGetIFaceName)));
    result = AvSyncGetIFace != nullptr ? 0 : 1;
  }
  TraceStatus("LoadSyncUtil returned %d\n", result);
  return result;
}

int FreeSyncUtil(HMODULE module) {
  if (module != nullptr) FreeLibrary(module);
  AvSyncGetIFace = nullptr;
  return 0;
}

int GetFileVer(const char* path, char* versionText, unsigned int capacity) {
  LoadedModule msi(LoadLibraryA("MSI.DLL"));
  if (!msi) {
    TraceStatus("GetFileVer - MSI.DLL missing.\n");
    return kResultInstallerFailed;
  }
  const auto getFileVersion = msi.Find<MsiGetFileVersionAFn>("MsiGetFileVersionA");
  if (getFileVersion == nullptr) {
    TraceStatus("GetFileVer - MsiGetFileVersionA() function missing.\n");
    return kResultInstallerFailed;
  }
  DWORD versionCapacity = capacity;
  if (getFileVersion(path, versionText, &versionCapacity, nullptr, nullptr) == ERROR_SUCCESS) {
    TraceStatus("GetFileVer - MsiGetFileVersionA() returned %s.\n", versionText);
    return 0;
  }
  TraceStatus("GetFileVer - MsiGetFileVersionA() function failed.\n");
  return kResultInstallerFailed;
}
