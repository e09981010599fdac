// The product's sync library (SYNCUTIL.DLL): its one export, the two function tables it fills,
// and the records exchanged with it. The agent and the stand-in product both build from this
// header, so a layout cannot drift between the two sides.
//
// Every entry point uses __stdcall (WINAPI), the Windows convention for a library interface.
// Record layouts are 32-bit: the size checks below fail on any other target.
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
// (SetFieldBytes only), the value itself (SetFieldValue) or the address of the source text or
// bytes, and the area code naming the record.
struct FieldWriteEntry {
  void* field;
  DWORD count;
  DWORD value;
  DWORD area;
};
static_assert(sizeof(FieldWriteEntry) == 16, "FieldWriteEntry is four 32-bit words");

using AddItemFn = BOOL(WINAPI*)(DWORD listId, const char* text);
using RemoveItemFn = BOOL(WINAPI*)(DWORD listId, DWORD index);
using GetItemFn = BOOL(WINAPI*)(DWORD listId, char* buffer, DWORD bufferSize, DWORD index);
using GetItemCountFn = int(WINAPI*)(DWORD listId);

// Nine 32-bit words filled by GetOptions; words 0, 3 and 6 are not read by the agent.
struct OptionsBlock {
  DWORD word0;
  BYTE* generalRecord;  // word 1
  BYTE* oasTaskRecord;  // word 2
  DWORD word3;
  AddItemFn AddItem;          // word 4
  RemoveItemFn RemoveItem;    // word 5
  DWORD word6;
  GetItemFn GetItem;          // word 7
  GetItemCountFn GetItemCount;  // word 8
};
static_assert(sizeof(OptionsBlock) == 9 * 4, "OptionsBlock is nine 32-bit words");
static_assert(offsetof(OptionsBlock, generalRecord) == 4 && offsetof(OptionsBlock, oasTaskRecord) == 8 &&
                  offsetof(OptionsBlock, AddItem) == 16 && offsetof(OptionsBlock, RemoveItem) == 20 &&
                  offsetof(OptionsBlock, GetItem) == 28 && offsetof(OptionsBlock, GetItemCount) == 32,
              "OptionsBlock word positions");

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
static_assert(sizeof(ManagementPortTable) == 16 * 4, "AVSIF_MANAGEMENTPORT has 16 entries");
static_assert(offsetof(ManagementPortTable, ReleaseIFace) == 7 * 4 &&
                  offsetof(ManagementPortTable, SetFieldBytes) == 10 * 4,
              "AVSIF_MANAGEMENTPORT slots");

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
static_assert(sizeof(AvConsoleTable) == 14 * 4, "AVSIF_AVCONSOL has 14 entries");
static_assert(offsetof(AvConsoleTable, SetTask) == 5 * 4 && offsetof(AvConsoleTable, SetODSTask) == 10 * 4,
              "AVSIF_AVCONSOL slots");

// The library's one export, looked up by this undecorated name: fills the table for the id,
// gives 0 on success and 1 on failure.
using AvSyncGetIFaceFn = int(WINAPI*)(DWORD interfaceId, void* table);
constexpr char kAvSyncGetIFaceName[] = "AvSync_GetIFace";
