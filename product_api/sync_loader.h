// Finding the product's sync library through Windows Installer and loading it: the agent and
// tarnplan find it alike, with the same status lines. MSI.DLL is loaded by name whenever it is
// needed, so a program still runs and reports on a machine without Windows Installer.
#pragma once

#include "foundation/unique_handle.h"
#include "product_api/sync_library.h"

// Loads the library that the installer knows by the component code: 0 loaded; 2 path query
// or library load failed; 8 MSI.DLL missing.
int LoadMSIDll(LoadedModule& library, const char* componentCode);
// 0 ready, with `getIFace` set; 1 loaded but AvSync_GetIFace missing; 2 not found or not
// loadable. A library loaded without its export stays in `library`, to be unloaded quietly.
int LoadSyncUtil(LoadedModule& library, AvSyncGetIFaceFn& getIFace);
