#include "product_api/sync_loader.h"

#include "foundation/result_codes.h"
#include "foundation/system_library.h"
#include "foundation/trace_log.h"
#include "product_api/installer_codes.h"

namespace {

constexpr DWORD kLibraryPathSize = 261;

using MsiGetComponentPathAFn = INT(WINAPI*)(LPCSTR product, LPCSTR component, LPSTR path, LPDWORD capacity);

}  // namespace

int LoadMSIDll(LoadedModule& library, const char* componentCode) {
  char path[kLibraryPathSize] = {};
  DWORD capacity = kLibraryPathSize;
  library.reset();

  const LoadedModule msi = LoadSystemLibrary("MSI.DLL");
  if (!msi) {
    TraceStatus("LoadMSIDll - MSI.DLL missing.\n");
    return kResultInstallerFailed;
  }
  const auto getComponentPath = FindExport<MsiGetComponentPathAFn>(msi.get(), "MsiGetComponentPathA");
  if (getComponentPath == nullptr) {
    TraceStatus("LoadMSIDll - MsiGetComponentPathA() function missing.\n");
    return 2;
  }
  // The install state is not looked at: an unknown product leaves the path empty.
  getComponentPath(kProductCode, componentCode, path, &capacity);
  // The product's library finds its own dependencies in its own folder first, and nothing in
  // the current folder.
  SetDllDirectoryA("");
  if (path[0] != '\0') library.reset(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) {
    TraceStatus("LoadMSIDll - SYNCUTIL.DLL missing.\n");
    return 2;
  }
  TraceStatus("LoadMSIDll \"%s\"\n", path);
  return 0;
}

int LoadSyncUtil(LoadedModule& library, AvSyncGetIFaceFn& getIFace) {
  int result = 2;
  getIFace = nullptr;
  if (LoadMSIDll(library, kSyncLibraryComponentCode) == 0) {
    getIFace = FindExport<AvSyncGetIFaceFn>(library.get(), kAvSyncGetIFaceName);
    result = getIFace != nullptr ? 0 : 1;
  }
  TraceStatus("LoadSyncUtil returned %d\n", result);
  return result;
}
