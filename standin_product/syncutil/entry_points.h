// The functions AvSync_GetIFace hands out, one file per concern.
#pragma once

#include "product_api/sync_library.h"

namespace syncutil {

// management_port.cpp
BOOL WINAPI GetOptions(OptionsBlock* block, DWORD* size);
DWORD WINAPI StartLC();
DWORD WINAPI StopLC();
DWORD WINAPI EnableLC(DWORD flag);
DWORD WINAPI DisableLC(DWORD flag);
DWORD WINAPI SetOptions();
DWORD WINAPI ReleaseManagementPort();

// field_writes.cpp
BOOL WINAPI SetFieldString(const FieldWriteEntry* entries, DWORD count);
BOOL WINAPI SetFieldValue(const FieldWriteEntry* entries, DWORD count);
BOOL WINAPI SetFieldBytes(const FieldWriteEntry* entries, DWORD count);

// item_lists.cpp
BOOL WINAPI AddItem(DWORD listId, const char* text);
BOOL WINAPI RemoveItem(DWORD listId, DWORD index);
BOOL WINAPI GetItem(DWORD listId, char* buffer, DWORD bufferSize, DWORD index);
int WINAPI GetItemCount(DWORD listId);

// av_console.cpp
DWORD WINAPI ReleaseAvConsole();
int WINAPI GetTaskCount();
BOOL WINAPI GetTask(TaskRecord* task, DWORD index);
BOOL WINAPI SetTask(TaskRecord task, DWORD index);
BOOL WINAPI GetODSTask(ODSTaskRecord* task);
DWORD WINAPI SetODSTask(ODSTaskRecord* task);

// get_iface.cpp: what AvSync_GetIFace does.
int GetInterface(DWORD interfaceId, void* table);
void FillManagementPort(ManagementPortTable* table);
void FillAvConsole(AvConsoleTable* table);

}  // namespace syncutil
