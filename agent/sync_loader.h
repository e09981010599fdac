// Finding the product's sync library through Windows Installer and loading it, and the file
// version lookup that uses the same installer library. MSI.DLL is loaded by name whenever
// it is needed, so the agent still runs and reports on a machine without Windows Installer.
#pragma once

#include <windows.h>

#include "result_codes.h"
#include "sync_library.h"

// Installer codes of the managed product and of its sync library's component.
constexpr char kProductCode[] = "{5A1E3C90-7D42-4C8B-9E21-3F6A0B8D2C71}";
constexpr char kSyncLibraryComponentCode[] = "{9E07B2D4-18C3-4A6F-B5D0-C2E4716F3A58}";

// Set by LoadSyncUtil, cleared by FreeSyncUtil; every interface request goes through it.
extern AvSyncGetIFaceFn AvSyncGetIFace;
// The tables the library fills; used by the worker thread alone.
extern ManagementPortTable ManagementPort;
extern AvConsoleTable AvConsole;

// Loads the library that the installer knows by the component code: 0 loaded; 2 path query
// or library load failed; 8 MSI.DLL missing.
int LoadMSIDll(HMODULE& module, const char* componentCode);
// 0 ready; 1 loaded but AvSync_GetIFace missing; 2 not found or not loadable.
int LoadSyncUtil(HMODULE& module);
// Unloads the library (if any) and forgets AvSync_GetIFace. Always 0.
int FreeSyncUtil(HMODULE module);
// Reads the version text of a file: 0 when read, 8 otherwise.
int GetFileVer(const char* path, char* versionText, unsigned int capacity);
