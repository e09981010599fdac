#include "standin_product/core/product_state.h"

#include <algorithm>
#include <cstring>

namespace standin {

bool IsRecordArea(DWORD area) { return area == kAreaGeneralRecord || area == kAreaOASTaskRecord; }

std::size_t RecordOffset(DWORD area) {
  if (area == kAreaGeneralRecord) return kGeneralRecordOffset;
  if (area == kAreaOASTaskRecord) return kOASRecordOffset;
  return 0;
}

std::size_t RecordExtent(DWORD area) {
  if (area == kAreaGeneralRecord) return kGeneralRecordExtent;
  if (area == kAreaOASTaskRecord) return kOASTaskRecordExtent;
  return 0;
}

const char* AreaName(DWORD area) {
  if (area == kAreaGeneralRecord) return "general record";
  if (area == kAreaOASTaskRecord) return "on-access record";
  return "unknown area";
}

ProductState::ProductState() : options(kOptionsAreaSize, 0), odsTask(kODSTaskRecordSize, 0) {}

std::vector<BYTE> ProductState::FieldBytes(DWORD area, std::size_t offset, std::size_t count) const {
  const std::size_t extent = RecordExtent(area);
  if (offset >= extent) {
    return {};
  }
  const BYTE* field = options.data() + RecordOffset(area) + offset;
  return std::vector<BYTE>(field, field + std::min(count, extent - offset));
}

DWORD ProductState::FieldDword(DWORD area, std::size_t offset) const {
  const std::vector<BYTE> bytes = FieldBytes(area, offset, sizeof(DWORD));
  DWORD value = 0;
  std::memcpy(&value, bytes.data(), bytes.size());
  return value;
}

std::string ProductState::FieldText(DWORD area, std::size_t offset) const {
  const std::vector<BYTE> bytes = FieldBytes(area, offset, RecordExtent(area));
  const auto end = std::find(bytes.begin(), bytes.end(), 0);
  return std::string(bytes.begin(), end);
}

std::vector<DWORD> DefaultTaskKinds() {
  // Two scan tasks around the Update and Upgrade tasks, so an agent that picks a task by
  // position instead of by kind writes into the wrong one.
  return {1, kTaskKindUpdate, 1, kTaskKindUpgrade, 1};
}

ProductState DefaultState() {
  ProductState state;
  state.lists[kListODSExcludedItems] = {"C:\\pagefile.sys"};
  state.lists[kListODSScanItems] = {"C:\\"};
  state.lists[kListOASExcludedItems] = {"C:\\pagefile.sys", "C:\\hiberfil.sys"};
  state.tasks = PatternedTasks(DefaultTaskKinds());
  for (std::size_t i = 0; i < state.odsTask.size(); ++i) {
    state.odsTask[i] = ODSPatternByte(i);
  }
  return state;
}

BYTE TaskPatternByte(std::size_t taskIndex, std::size_t offset) {
  return static_cast<BYTE>(0x10 * ((taskIndex % 12) + 2) + 1 + offset % 15);
}

TaskRecord PatternedTask(std::size_t taskIndex, DWORD kind) {
  TaskRecord task;
  for (std::size_t i = 0; i < sizeof task.bytes; ++i) {
    task.bytes[i] = TaskPatternByte(taskIndex, i);
  }
  SetTaskKind(&task, kind);
  return task;
}

std::vector<TaskRecord> PatternedTasks(const std::vector<DWORD>& kinds) {
  std::vector<TaskRecord> tasks;
  tasks.reserve(kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    tasks.push_back(PatternedTask(i, kinds[i]));
  }
  return tasks;
}

void SetTaskKind(TaskRecord* task, DWORD kind) { std::memcpy(task->bytes + kTaskKindOffset, &kind, sizeof kind); }

BYTE ODSPatternByte(std::size_t offset) { return static_cast<BYTE>(0xE1 + offset % 29); }

}  // namespace standin
