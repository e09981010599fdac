#include "update/memory_product.h"

#include <algorithm>
#include <cstring>

BOOL MemoryProduct::GetOptions(OptionsBlock* block, DWORD* size) {
  if (!records_.optionsReadable) return FALSE;
  *block = {};
  block->generalRecord = records_.general.data();
  block->oasTaskRecord = records_.oasTask.data();
  *size = records_.optionsSize;
  return TRUE;
}

BYTE* MemoryProduct::RecordBytes(void* field, std::size_t count) {
  BYTE* target = static_cast<BYTE*>(field);
  for (std::vector<BYTE>* record : {&records_.general, &records_.oasTask}) {
    BYTE* begin = record->data();
    BYTE* end = begin + record->size();
    if (target >= begin && target < end && count <= static_cast<std::size_t>(end - target)) return target;
  }
  return nullptr;
}

void MemoryProduct::Write(const FieldWriteEntry& entry, const void* source, std::size_t count) {
  BYTE* target = RecordBytes(entry.field, count);
  if (target == nullptr) {
    ++records_.strayWrites;
    return;
  }
  std::memcpy(target, source, count);
}

void MemoryProduct::SetFieldValue(const FieldWriteEntry& entry) {
  const DWORD number = FieldNumber(entry);
  Write(entry, &number, sizeof number);
}

void MemoryProduct::SetFieldString(const FieldWriteEntry& entry) {
  const char* text = static_cast<const char*>(FieldSource(entry));
  Write(entry, text, std::strlen(text) + 1);
}

void MemoryProduct::SetFieldBytes(const FieldWriteEntry& entry) {
  Write(entry, FieldSource(entry), entry.count);
}

void MemoryProduct::RemoveItem(DWORD listId, DWORD index) {
  std::vector<std::string>& list = records_.lists[listId];
  if (index < list.size()) list.erase(list.begin() + index);
}

void MemoryProduct::GetItem(DWORD listId, char* buffer, DWORD bufferSize, DWORD index) {
  const std::vector<std::string>& list = records_.lists[listId];
  if (index >= list.size() || bufferSize == 0) return;
  const std::size_t count = std::min<std::size_t>(list[index].size(), bufferSize - 1);
  std::memcpy(buffer, list[index].data(), count);
  buffer[count] = '\0';
}

BOOL MemoryProduct::GetTask(TaskRecord* task, DWORD index) {
  if (index >= records_.tasks.size()) return FALSE;
  *task = records_.tasks[index];
  return TRUE;
}

BOOL MemoryProduct::SetTask(const TaskRecord& task, DWORD index) {
  if (index >= records_.tasks.size()) return FALSE;
  records_.tasks[index] = task;
  return TRUE;
}

BOOL MemoryProduct::GetODSTask(ODSTaskRecord* task) {
  if (!records_.odsTask) return FALSE;
  *task = *records_.odsTask;
  return TRUE;
}
