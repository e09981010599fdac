// Update script readers. Each reads one key of the script (ScriptPath) through the profile
// functions, converts it to its field's type and stores it: straight into memory for area
// code 4 (the agent's own record copies), through the sync library's field writes for any
// other area code. A reader never fails its caller: an absent key is traced and leaves the
// field alone, and a fault while storing is caught, traced, and the update goes on.
#pragma once

#include <windows.h>

#include "sync_library.h"

// Default text of every text read; a read that gives it back means the key is absent.
constexpr char kMissingSentinel[] = "$#@NONE@#$";
// Text values are read into buffers of this size: at most 511 characters are taken.
constexpr DWORD kScriptTextBufferSize = 512;

void UpdateBoolean(void* field, const char* section, const char* key, DWORD area);
void UpdateUInt(void* field, const char* section, const char* key, DWORD area);
void UpdateDWord(void* field, const char* section, const char* key, DWORD area);
void UpdateString(void* field, const char* section, const char* key, DWORD area);
void UpdateFileExtString(void* field, const char* section, const char* key, DWORD area);
void UpdateByteString(void* field, const char* section, const char* key, DWORD area);

// Replaces product list `listId` by the script's numbered keys <baseName>_0, _1, ... up to the
// first one missing. With a record, the count read back is stored at 10720 (list 0) or 10788
// (list 1) of it.
void AddToList(const OptionsBlock& block, DWORD listId, const char* section, const char* baseName, BYTE* record);
void RemoveAllFromList(const OptionsBlock& block, DWORD listId);

// True when ProductVersion is 4.5.0.<build>; `build` is 0 when it cannot be read.
bool GetProductBuild(int& build);
// Removes every "<NoExtensionString><separator>" from the text in place (a 512-byte buffer).
void RemoveNoExtensionString(char* text, const char* separator);
