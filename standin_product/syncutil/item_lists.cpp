// The three item lists handed out through GetOptions. They belong to the management port's
// working copy: edits show in the committed state only after SetOptions.
#include "standin_product/syncutil/entry_points.h"
#include "standin_product/syncutil/session.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace syncutil {
namespace {

// Checks the interface and the list id; gives the list, or null after recording the error.
std::vector<std::string>* ListFor(DWORD listId, const char* call, CallRecord& record) {
  record.Line().Number("list", listId);
  if (!RequireLive(kManagementPort, call, record)) {
    return nullptr;
  }
  if (listId >= standin::kListCount) {
    record.Error("list id %lu is none of 0, 1, 2", static_cast<unsigned long>(listId));
    return nullptr;
  }
  return &TheSession().working.lists[listId];
}

bool IndexInRange(const std::vector<std::string>& list, DWORD index, CallRecord& record) {
  record.Line().Number("index", index);
  if (index < list.size()) {
    return true;
  }
  record.Error("index %lu out of range (%u items)", static_cast<unsigned long>(index),
               static_cast<unsigned>(list.size()));
  return false;
}

}  // namespace

BOOL WINAPI AddItem(DWORD listId, const char* text) {
  SessionGuard guard;
  CallRecord record("AddItem");
  std::vector<std::string>* list = ListFor(listId, "AddItem", record);
  if (list == nullptr) {
    return FALSE;
  }
  if (text == nullptr) {
    record.Error("null item text");
    return FALSE;
  }
  record.Line().Text("text", text);
  const std::size_t length = std::strlen(text);
  if (length > standin::kMaxItemLength) {
    record.Error("item of %u chars, longer than %u", static_cast<unsigned>(length),
                 static_cast<unsigned>(standin::kMaxItemLength));
    return FALSE;
  }
  list->emplace_back(text, length);
  return TRUE;
}

BOOL WINAPI RemoveItem(DWORD listId, DWORD index) {
  SessionGuard guard;
  CallRecord record("RemoveItem");
  std::vector<std::string>* list = ListFor(listId, "RemoveItem", record);
  if (list == nullptr || !IndexInRange(*list, index, record)) {
    return FALSE;
  }
  list->erase(list->begin() + index);
  return TRUE;
}

BOOL WINAPI GetItem(DWORD listId, char* buffer, DWORD bufferSize, DWORD index) {
  SessionGuard guard;
  CallRecord record("GetItem");
  std::vector<std::string>* list = ListFor(listId, "GetItem", record);
  record.Line().Number("size", bufferSize);
  if (list == nullptr || !IndexInRange(*list, index, record)) {
    return FALSE;
  }
  if (buffer == nullptr || bufferSize == 0) {
    record.Error("GetItem with %s", buffer == nullptr ? "a null buffer" : "a buffer of 0 bytes");
    return FALSE;
  }
  // At most kItemTextSize bytes, terminator included, whatever size the caller claims.
  const std::string& item = (*list)[index];
  const std::size_t room = std::min<std::size_t>(bufferSize, kItemTextSize);
  const std::size_t copied = std::min(item.size(), room - 1);
  std::memcpy(buffer, item.data(), copied);
  buffer[copied] = '\0';
  return TRUE;
}

int WINAPI GetItemCount(DWORD listId) {
  SessionGuard guard;
  CallRecord record("GetItemCount");
  std::vector<std::string>* list = ListFor(listId, "GetItemCount", record);
  const int count = list == nullptr ? 0 : static_cast<int>(list->size());
  record.Line().Number("result", count);
  return count;
}

}  // namespace syncutil
