// Numbered lists of the update script (<base>_0, <base>_1, ...) and the product's item lists
// they replace.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "update/record_tables.h"
#include "update/script_file.h"
#include "update/script_readers.h"
#include "foundation/trace_log.h"

namespace {

constexpr std::size_t kKeyNameSize = 100;

void NumberedKey(char (&keyName)[kKeyNameSize], const char* baseName, int number) {
  std::snprintf(keyName, sizeof keyName, "%s_%d", baseName, number);
}

// Into the record that keeps the list's item count, if it keeps one.
void StoreItemCount(BYTE* record, DWORD listId, int count) {
  const DWORD stored = count > 0 ? static_cast<DWORD>(count) : 0;
  for (const ItemListRow* row : kAllItemLists) {
    if (row->listId != listId || row->countOffset == kNoItemCount) continue;
    std::memcpy(record + row->countOffset, &stored, sizeof stored);
  }
}

}  // namespace

void RemoveAllFromList(UpdateContext& run, DWORD listId) {
  const int count = run.product->GetItemCount(listId);
  TraceDebug("RemoveAllFromList Count = %d\n", count);
  // Last first, so no index moves before it is removed.
  for (int index = count - 1; index >= 0; --index) run.product->RemoveItem(listId, static_cast<DWORD>(index));
}

void AddToList(UpdateContext& run, DWORD listId, const char* section, const char* baseName, BYTE* record) {
  if (run.undo != nullptr) run.undo->List(*run.product, listId);
  // Always emptied first: a script without <base>_0 leaves the product list empty.
  RemoveAllFromList(run, listId);
  char keyName[kKeyNameSize];
  char text[kScriptTextBufferSize];
  for (int number = 0;; ++number) {
    NumberedKey(keyName, baseName, number);
    TraceDebug("GetPrivateProfileString [%s] %s\n", section, keyName);
    if (!ReadScriptText(run, section, keyName, text)) break;
    if (listId == kListODSScanItems) RemoveNoExtensionString(run, text, "|");
    TraceDebug("AddToList SET [%s] %s = %s\n", section, keyName, text);
    run.product->AddItem(listId, text);
  }

  const int count = run.product->GetItemCount(listId);
  std::vector<std::string> items;  // as read back, for the undo point
  for (int index = 0; index < count; ++index) {
    NumberedKey(keyName, baseName, index);
    // Cleared each time: a GetItem that copies nothing shows an empty item, not the last one.
    char item[kItemTextSize] = {};
    run.product->GetItem(listId, item, kItemTextSize, static_cast<DWORD>(index));
    item[kItemTextSize - 1] = '\0';
    TraceDebug("AddToList GET [%s] %s = %s\n", section, keyName, item);
    if (run.undo != nullptr) items.emplace_back(item);
  }
  if (run.undo != nullptr) run.undo->ListFilled(listId, items);
  if (record != nullptr) StoreItemCount(record, listId, count);
  TallySet(run.tally, &UpdateTally::listsReplaced, 1L << listId);
}
