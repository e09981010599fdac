// The values an update replaces, taken as the engine goes: each key's field as the product held
// it right before the engine wrote it, each list's items right before the engine emptied it,
// kept only when the write changed them. Before each change the product stores (a task handed
// back, SetOptions) whoever runs the update is told of what changed since it was last told, so
// that the undo point it keeps puts back everything stored up to then, and a run that changes
// nothing keeps none.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "update/item_list_row.h"
#include "update/product_target.h"
#include "update/record_table.h"
#include "update/script_writer.h"
#include "update/update_kind.h"

struct ReplacedKey {
  const char* section;
  const char* key;
  FieldType type;
  std::string bytes;  // the field's width
};

struct ReplacedList {
  const ItemListRow* list;
  std::vector<std::string> items;
};

// The script that puts the keys and lists back, marked as an undo point: one writer for
// tarnplan's backups and the agent's undo points. `heading`: comment lines, as ScriptWriter
// takes them.
ScriptWriter UndoScript(UpdateKind kind, const std::vector<std::string>& heading, const std::vector<ReplacedKey>& keys,
                        const std::vector<ReplacedList>& lists);

class UndoCapture {
 public:
  using Keeper = std::function<void(const UndoCapture& capture)>;
  explicit UndoCapture(Keeper keeper) : keeper_(std::move(keeper)) {}

  void SetKind(UpdateKind kind) { kind_ = kind; }
  // Before the engine writes the field, then after (not after a write that faulted, whose
  // field is kept whatever it holds): the key goes when the write changed nothing a script sets.
  void Key(const char* section, const char* key, FieldType type, const void* field);
  void KeyWritten(const void* field);
  // Reads the list's items with GetItemCount and GetItem before the engine empties it; then
  // the items the engine read back once it filled it: the list goes when they are the same.
  void List(ProductTarget& product, DWORD listId);
  void ListFilled(DWORD listId, const std::vector<std::string>& items);
  // Hands what was taken to the keeper when anything changed that it has not seen.
  void BeforeStore();

  UpdateKind kind() const { return kind_; }
  const std::vector<ReplacedKey>& keys() const { return keys_; }
  const std::vector<ReplacedList>& lists() const { return lists_; }

 private:
  Keeper keeper_;
  UpdateKind kind_ = UpdateKind::kOAS;
  std::vector<ReplacedKey> keys_;
  std::vector<ReplacedList> lists_;
  std::size_t seen_ = 0;  // keys and lists the keeper was handed
};
