// The product's sync library (SYNCUTIL.DLL): its one export, the two function tables it fills,
// and the records exchanged with it. The agent and the stand-in product both build from this
// header, so a layout cannot drift between the two sides.
//
// Every entry point uses WINAPI, the Windows convention for a library interface. A word of the
// interface that can hold an address is pointer-sized; the product's library is 32-bit, and
// the checks below pin the 32-bit sizes. The 64-bit build (a test vehicle) has the same words,
// each 64 bits wide. Byte offsets inside the records are the same on both.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

// Interface ids for AvSync_GetIFace.
constexpr DWORD AVSIF_AVCONSOL = 4;        // scan-task console
constexpr DWORD AVSIF_MANAGEMENTPORT = 6;  // product control and options

// Results of AvSync_GetIFace.
constexpr int kGetIFaceOk = 0;
constexpr int kGetIFaceFailed = 1;

// Size of the options area that GetOptions hands out; the agent's layouts hold for it alone.
constexpr DWORD kOptionsAreaSize = 53788;

// Area codes of a FieldWriteEntry, and the one the agent uses for its own record copies.
constexpr DWORD kAreaOASTaskRecord = 0;
constexpr DWORD kAreaGeneralRecord = 1;
constexpr DWORD kAreaAgentCopy = 4;

// Item lists of the product, by list id.
constexpr DWORD kListODSExcludedItems = 0;
constexpr DWORD kListODSScanItems = 1;
constexpr DWORD kListOASExcludedItems = 2;

// Bytes of each record that the agent's fields reach: the general record ends with the
// 32-bit field at 9764, the on-access record with the one at 19076.
constexpr std::size_t kGeneralRecordExtent = 9768;
constexpr std::size_t kOASTaskRecordExtent = 19080;

// Size of an item text buffer handed to GetItem.
constexpr DWORD kItemTextSize = 512;

// One field write: target address inside a record of the options area, byte count
// (SetFieldBytes only), the value itself (SetFieldValue: its low 32 bits) or the address of
// the source text or bytes, and the area code naming the record.
struct FieldWriteEntry {
  void* field;
  DWORD count;
  ULONG_PTR value;
  DWORD area;
};
static_assert(sizeof(FieldWriteEntry) == 4 * sizeof(ULONG_PTR) && offsetof(FieldWriteEntry, value) == 2 * sizeof(ULONG_PTR),
              "FieldWriteEntry is four words");
static_assert(sizeof(void*) != 4 || sizeof(FieldWriteEntry) == 16, "FieldWriteEntry is four 32-bit words");

// The number a SetFieldValue entry carries, and the address of the text or bytes the other two take.
inline DWORD FieldNumber(const FieldWriteEntry& entry) { return static_cast<DWORD>(entry.value); }
inline const void* FieldSource(const FieldWriteEntry& entry) { return reinterpret_cast<const void*>(entry.value); }

using AddItemFn = BOOL(WINAPI*)(DWORD listId, const char* text);
using RemoveItemFn = BOOL(WINAPI*)(DWORD listId, DWORD index);
using GetItemFn = BOOL(WINAPI*)(DWORD listId, char* buffer, DWORD bufferSize, DWORD index);
using GetItemCountFn = int(WINAPI*)(DWORD listId);

// Nine words filled by GetOptions; words 0, 3 and 6 are not read by the agent.
struct OptionsBlock {
  ULONG_PTR word0;
  BYTE* generalRecord;  // word 1
  BYTE* oasTaskRecord;  // word 2
  ULONG_PTR word3;
  AddItemFn AddItem;          // word 4
  RemoveItemFn RemoveItem;    // word 5
  ULONG_PTR word6;
  GetItemFn GetItem;          // word 7
  GetItemCountFn GetItemCount;  // word 8
};
constexpr std::size_t kWord = sizeof(void*);
static_assert(sizeof(OptionsBlock) == 9 * kWord, "OptionsBlock is nine words");
static_assert(offsetof(OptionsBlock, generalRecord) == 1 * kWord && offsetof(OptionsBlock, oasTaskRecord) == 2 * kWord &&
                  offsetof(OptionsBlock, AddItem) == 4 * kWord && offsetof(OptionsBlock, RemoveItem) == 5 * kWord &&
                  offsetof(OptionsBlock, GetItem) == 7 * kWord && offsetof(OptionsBlock, GetItemCount) == 8 * kWord,
              "OptionsBlock word positions");
static_assert(kWord != 4 || sizeof(OptionsBlock) == 36, "OptionsBlock is nine 32-bit words");

// One scheduled task, exchanged whole with GetTask and SetTask.
constexpr std::size_t kTaskRecordSize = 18284;
struct TaskRecord {
  BYTE bytes[kTaskRecordSize];
};
static_assert(sizeof(TaskRecord) == 18284, "TaskRecord size");

// Offset of the task kind inside a TaskRecord, and the two kinds the agent updates.
constexpr std::size_t kTaskKindOffset = 4812;
constexpr DWORD kTaskKindUpdate = 2;
constexpr DWORD kTaskKindUpgrade = 3;

// The kind of a task; the record may lie at any byte offset, hence memcpy.
inline DWORD TaskKindOf(const TaskRecord& task) {
  DWORD kind;
  std::memcpy(&kind, task.bytes + kTaskKindOffset, sizeof kind);
  return kind;
}

// The on-demand scan task, exchanged whole with GetODSTask and SetODSTask.
constexpr std::size_t kODSTaskRecordSize = 11432;
struct ODSTaskRecord {
  BYTE bytes[kODSTaskRecordSize];
};
static_assert(sizeof(ODSTaskRecord) == 11432, "ODSTaskRecord size");

// AVSIF_MANAGEMENTPORT: 16 entries, by slot. Results marked "ignored" are never examined.
struct ManagementPortTable {
  BOOL(WINAPI* GetOptions)(OptionsBlock* block, DWORD* size);  // 0: non-zero = success
  DWORD(WINAPI* StartLC)();                                     // 1: ignored
  DWORD(WINAPI* StopLC)();                                      // 2: ignored
  DWORD(WINAPI* EnableLC)(DWORD flag);                          // 3: ignored
  DWORD(WINAPI* DisableLC)(DWORD flag);                         // 4: ignored
  DWORD(WINAPI* SetOptions)();                                  // 5: ignored
  void* slot6;
  DWORD(WINAPI* ReleaseIFace)();                                        // 7: ignored
  BOOL(WINAPI* SetFieldString)(const FieldWriteEntry* entries, DWORD count);  // 8: ignored
  BOOL(WINAPI* SetFieldValue)(const FieldWriteEntry* entries, DWORD count);   // 9: ignored
  BOOL(WINAPI* SetFieldBytes)(const FieldWriteEntry* entries, DWORD count);   // 10: ignored
  void* slot11;
  void* slot12;
  void* slot13;
  void* slot14;
  void* slot15;
};
static_assert(sizeof(ManagementPortTable) == 16 * kWord, "AVSIF_MANAGEMENTPORT has 16 entries");
static_assert(offsetof(ManagementPortTable, ReleaseIFace) == 7 * kWord &&
                  offsetof(ManagementPortTable, SetFieldBytes) == 10 * kWord,
              "AVSIF_MANAGEMENTPORT slots");
static_assert(kWord != 4 || sizeof(ManagementPortTable) == 64, "AVSIF_MANAGEMENTPORT is 64 bytes");

// AVSIF_AVCONSOL: 14 entries, by slot.
struct AvConsoleTable {
  void* slot0;
  DWORD(WINAPI* ReleaseIFace)();  // 1: ignored
  void* slot2;
  int(WINAPI* GetTaskCount)();  // 3: number of scheduled tasks
  void* slot4;
  BOOL(WINAPI* SetTask)(TaskRecord task, DWORD index);  // 5: record by value; non-zero = stored
  void* slot6;
  void* slot7;
  BOOL(WINAPI* GetTask)(TaskRecord* task, DWORD index);  // 8: non-zero = fetched
  BOOL(WINAPI* GetODSTask)(ODSTaskRecord* task);         // 9: non-zero = fetched
  DWORD(WINAPI* SetODSTask)(ODSTaskRecord* task);        // 10: ignored
  void* slot11;
  void* slot12;
  void* slot13;
};
static_assert(sizeof(AvConsoleTable) == 14 * kWord, "AVSIF_AVCONSOL has 14 entries");
static_assert(offsetof(AvConsoleTable, SetTask) == 5 * kWord && offsetof(AvConsoleTable, SetODSTask) == 10 * kWord,
              "AVSIF_AVCONSOL slots");
static_assert(kWord != 4 || sizeof(AvConsoleTable) == 56, "AVSIF_AVCONSOL is 56 bytes");

// The library's one export, looked up by this undecorated name: fills the table for the id,
// gives 0 on success and 1 on failure.
using AvSyncGetIFaceFn = int(WINAPI*)(DWORD interfaceId, void* table);
constexpr char kAvSyncGetIFaceName[] = "AvSync_GetIFace";
