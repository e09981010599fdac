#include "update/undo_capture.h"

#include "update/field_values.h"
#include "update/record_tables.h"

ScriptWriter UndoScript(UpdateKind kind, const std::vector<std::string>& heading, const std::vector<ReplacedKey>& keys,
                        const std::vector<ReplacedList>& lists) {
  ScriptWriter script(kind, heading);
  script.MarkUndoPoint();
  for (const ReplacedKey& key : keys) {
    script.Key(key.section, key.key, key.type, reinterpret_cast<const BYTE*>(key.bytes.data()));
  }
  for (const ReplacedList& list : lists) script.List(*list.list, list.items);
  return script;
}

void UndoCapture::Key(const char* section, const char* key, FieldType type, const void* field) {
  keys_.push_back({section, key, type, std::string(static_cast<const char*>(field), FieldWidth(type))});
}

void UndoCapture::KeyWritten(const void* field) {
  const ReplacedKey& before = keys_.back();
  if (FieldContent(before.type, reinterpret_cast<const BYTE*>(before.bytes.data())) ==
      FieldContent(before.type, static_cast<const BYTE*>(field))) {
    keys_.pop_back();
  }
}

void UndoCapture::List(ProductTarget& product, DWORD listId) {
  for (const ItemListRow* row : kAllItemLists) {
    if (row->listId != listId) continue;
    ReplacedList list{row, {}};
    const int count = product.GetItemCount(listId);
    for (int index = 0; index < count; ++index) {
      char item[kItemTextSize] = {};
      product.GetItem(listId, item, kItemTextSize, static_cast<DWORD>(index));
      item[kItemTextSize - 1] = '\0';
      list.items.emplace_back(item);
    }
    lists_.push_back(std::move(list));
    return;
  }
}

void UndoCapture::ListFilled(DWORD listId, const std::vector<std::string>& items) {
  if (!lists_.empty() && lists_.back().list->listId == listId && lists_.back().items == items) lists_.pop_back();
}

void UndoCapture::BeforeStore() {
  if (keys_.size() + lists_.size() == seen_) return;
  seen_ = keys_.size() + lists_.size();
  keeper_(*this);
}
