// Update script readers. Each reads one key of the run's script through the profile
// functions, converts it to its field's type and stores it: straight into memory for area
// code 4 (the agent's own record copies), through the target's field writes for any other
// area code. A reader never fails its caller: an absent key is traced and leaves the
// field alone, and a fault while storing is caught, traced, and the update goes on.
#pragma once

#include <windows.h>

#include "product_api/sync_library.h"
#include "update/record_table.h"
#include "update/update_context.h"

// Default text of every text read; a read that gives it back means the key is absent.
constexpr char kMissingSentinel[] = "$#@NONE@#$";
// Text values are read into buffers of this size: at most 511 characters are taken.
constexpr DWORD kScriptTextBufferSize = 512;

void UpdateBoolean(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);
void UpdateUInt(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);
void UpdateDWord(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);
void UpdateString(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);
void UpdateFileExtString(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);
void UpdateByteString(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);

// Replaces product list `listId` by the script's numbered keys <baseName>_0, _1, ... up to the
// first one missing. With a record, the count read back is stored at 10720 (list 0) or 10788
// (list 1) of it.
void AddToList(UpdateContext& run, DWORD listId, const char* section, const char* baseName, BYTE* record);
void RemoveAllFromList(UpdateContext& run, DWORD listId);

// True when the product version is 4.5.0.<build>; `build` is 0 when it cannot be read.
bool GetProductBuild(UpdateContext& run, int& build);
// Removes every whole entry "<noExtensionString><separator>" (at the start of the text or right
// after a separator) from the text in place (a 512-byte buffer).
void RemoveNoExtensionString(UpdateContext& run, char* text, const char* separator);

// Runs the readers of every row, in table order, on the record at `record` with `area`.
// A block row runs its block's rows at the row's offset, under the row's section.
void ApplyFields(UpdateContext& run, BYTE* record, const RecordTable& table, DWORD area);
