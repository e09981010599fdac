#include "tarnplan/record_views.h"

#include "update/record_tables.h"

int FindTask(const MemoryProduct::Records& records, DWORD taskKind) {
  for (std::size_t i = 0; i < records.tasks.size(); ++i) {
    if (TaskKindOf(records.tasks[i]) == taskKind) return static_cast<int>(i);
  }
  return -1;
}

bool OptionsUsable(const MemoryProduct::Records& records) {
  return records.optionsReadable && records.optionsSize == kOptionsAreaSize;
}

std::vector<RecordView> RecordViews(UpdateKind kind, const MemoryProduct::Records& records) {
  std::vector<RecordView> views;
  if (kind == UpdateKind::kSchedule) {
    if (records.consoleAnswer != kGetIFaceOk) return views;
    const int update = FindTask(records, kTaskKindUpdate);
    const int upgrade = FindTask(records, kTaskKindUpgrade);
    if (update >= 0) views.push_back({&UpdateTaskFields, records.tasks[update].bytes, false});
    if (upgrade >= 0) views.push_back({&UpgradeTaskFields, records.tasks[upgrade].bytes, false});
    return views;
  }
  if (!OptionsUsable(records)) return views;
  views.push_back({&GeneralRecordFields, records.general.data(), true});
  if (kind == UpdateKind::kOAS) views.push_back({&OASTaskFields, records.oasTask.data(), true});
  if (kind == UpdateKind::kODS && records.consoleAnswer == kGetIFaceOk && records.odsTask) {
    views.push_back({&ODSTaskFields, records.odsTask->bytes, false});
  }
  return views;
}

std::vector<const ItemListRow*> ListsOf(UpdateKind kind) {
  if (kind == UpdateKind::kOAS) return {&OASExcludedItems};
  if (kind == UpdateKind::kODS) return {&ODSTaskLists[0], &ODSTaskLists[1]};
  return {};
}

ScriptWriter ExportScript(UpdateKind kind, const MemoryProduct::Records& records) {
  ScriptWriter script(kind, {std::string("The product's ") + UpdateKindName(kind) + " settings, exported by tarnplan.",
                             "Every key of its records and every list, as the product holds them. Apply with",
                             "  tarnupd.exe LC_UPDATE=<path of this script>"});
  for (const RecordView& view : RecordViews(kind, records)) {
    ForEachField(*view.table, [&](const char* section, const char* key, FieldType type, std::size_t offset) {
      script.Key(section, key, type, view.bytes + offset);
    });
  }
  for (const ItemListRow* list : ListsOf(kind)) {
    const auto items = records.lists.find(list->listId);
    script.List(*list, items != records.lists.end() ? items->second : std::vector<std::string>());
  }
  return script;
}
