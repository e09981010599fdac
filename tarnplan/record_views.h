// What each update type reads and writes, seen from the copies in memory that tarnplan works
// on: the records in update order with their tables, and the item lists they replace.
#pragma once

#include <vector>

#include "update/item_list_row.h"
#include "update/memory_product.h"
#include "update/record_table.h"
#include "update/script_writer.h"
#include "update/update_kind.h"


// A record as the update reaches it: its table, its bytes in a copy, and whether the product
// takes its changes only with SetOptions (field writes) or at once (a task handed back whole).
struct RecordView {
  const RecordTable* table;
  const BYTE* bytes;
  bool needsCommit;
};

// The records of the type that `records` holds, in update order: none of the options area when
// it was not readable or of another size, no on-demand task when the product gave none, and of
// the scheduled tasks the first of kind Update and of kind Upgrade, as the agent finds them.
std::vector<RecordView> RecordViews(UpdateKind kind, const MemoryProduct::Records& records);
// The item lists the type replaces (all of them are in the options area).
std::vector<const ItemListRow*> ListsOf(UpdateKind kind);

// Every key of the type's records and every list, from `records`, as a script.
ScriptWriter ExportScript(UpdateKind kind, const MemoryProduct::Records& records);

// Index of the first task of that kind, or -1.
int FindTask(const MemoryProduct::Records& records, DWORD taskKind);
// Whether the options area could be read and has the one size the layouts hold for.
bool OptionsUsable(const MemoryProduct::Records& records);
