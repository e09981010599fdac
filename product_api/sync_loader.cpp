#include "product_api/sync_loader.h"

#include "foundation/system_library.h"
#include "foundation/trace_log.h"
#include "product_api/installer_codes.h"

namespace {

constexpr DWORD kLibraryPathSize = 261;

using MsiGetComponentPathAFn = INT(WINAPI*)(LPCSTR product, LPCSTR component, LPSTR path, LPDWORD capacity);

}  // namespace

ResultCode LoadMSIDll(LoadedModule& library, const char* componentCode) {
  char path[kLibraryPathSize] = {};
  DWORD capacity = kLibraryPathSize;
  library.reset();

  LoadedModule msi;
  MsiGetComponentPathAFn getComponentPath = nullptr;
  const ResultCode installer = LoadInstallerFunction("LoadMSIDll", "MsiGetComponentPathA", msi, getComponentPath);
  if (installer != kResultSuccess) return installer;
  // The install state is not looked at: an unknown product leaves the path empty.
  getComponentPath(kProductCode, componentCode, path, &capacity);
  // The product's library finds its own dependencies in its own folder first, and nothing in
  // the current folder.
  SetDllDirectoryA("");
  if (path[0] != '\0') library.reset(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) {
    TraceStatus("LoadMSIDll - SYNCUTIL.DLL missing.\n");
    return kResultSyncLibraryMissing;
  }
  TraceStatus("LoadMSIDll \"%s\"\n", path);
  return kResultSuccess;
}

ResultCode LoadSyncUtil(LoadedModule& library, AvSyncGetIFaceFn& getIFace) {
  ResultCode result = kResultSyncLibraryMissing;
  getIFace = nullptr;
  if (LoadMSIDll(library, kSyncLibraryComponentCode) == kResultSuccess) {
    getIFace = FindExport<AvSyncGetIFaceFn>(library.get(), kAvSyncGetIFaceName);
    result = getIFace != nullptr ? kResultSuccess : kResultSyncLibraryWithoutGetIFace;
  }
  // The status line keeps the numbers it has always shown: 0 ready, 1 no export, 2 no library.
  const int shown = result == kResultSuccess ? 0 : (library ? 1 : 2);
  TraceStatus("LoadSyncUtil returned %d\n", shown);
  return result;
}
