// Finding the product's sync library through Windows Installer and loading it: the agent and
// tarnplan find it alike, with the same status lines.
#pragma once

#include "foundation/result_codes.h"
#include "foundation/unique_handle.h"
#include "product_api/sync_library.h"

// Loads the library that the installer knows by the component code: 0, or the cause of the
// failure (MSI.DLL or its function missing, the library not found or not loadable).
ResultCode LoadMSIDll(LoadedModule& library, const char* componentCode);
// 0 ready, with `getIFace` set; kResultSyncLibraryWithoutGetIFace or kResultSyncLibraryMissing
// (both 5) otherwise. A library loaded without its export stays in `library`, to be unloaded
// quietly.
ResultCode LoadSyncUtil(LoadedModule& library, AvSyncGetIFaceFn& getIFace);
