#include "tarncheck/update_type_catalogue.h"

#include "product_api/sync_library.h"
#include "tarncheck/profile_names.h"
#include "update/record_tables.h"
#include "update/update_kind.h"

namespace {

ValueKind KindOf(FieldType type) {
  switch (type) {
    case FieldType::kBoolean:
      return ValueKind::kBoolean;
    case FieldType::kUInt:
      return ValueKind::kUInt;
    case FieldType::kDWord:
      return ValueKind::kDWord;
    case FieldType::kExtensionText:
      return ValueKind::kExtensionText;
    case FieldType::kBytes:
      return ValueKind::kBytes;
    case FieldType::kText:
    case FieldType::kBlock:
      break;
  }
  return ValueKind::kText;
}

const CatalogueRecord kGeneralRecord = {"product general record",
                                        "written field by field by the product's library (area code 1)"};

UpdateType Begin(const char* name, const char* title) {
  UpdateType type{name, title, {}, {}, {}, {}};
  type.keys.push_back(
      {kUpdateTypeSection, kUpdateTypeKey, ValueKind::kUpdateType, kNoRecord, 0, "picks the records"});
  type.keys.push_back({kUpdateTypeSection, kUndoPointKey, ValueKind::kBoolean, kNoRecord, 0,
                       "1 marks an undo point: its extension lists are stored as written"});
  type.keys.push_back({kUpdateTypeSection, kRequiresAgentKey, ValueKind::kAgentVersion, kNoRecord, 0,
                       "the oldest agent that may apply the script: an older one ends with 12 and touches nothing"});
  return type;
}

void AddRecord(UpdateType& type, const CatalogueRecord& record, const RecordTable& table) {
  type.records.push_back(record);
  const int recordIndex = static_cast<int>(type.records.size()) - 1;
  ForEachFieldRow(table, [&type, recordIndex](const char* section, const FieldRow& row, std::size_t offset) {
    type.keys.push_back({section, row.key, KindOf(row.type), recordIndex, offset, row.meaning});
  });
}

// A product list the type rebuilds; its item count goes into the type's latest record when
// the row names a place for it.
void AddList(UpdateType& type, const ItemListRow& row, const char* name) {
  const bool counted = row.countOffset != kNoItemCount;
  type.lists.push_back({row.section, row.stem, name, row.listId, row.listId == kListODSScanItems,
                        counted ? static_cast<int>(type.records.size()) - 1 : kNoRecord,
                        counted ? row.countOffset : 0});
}

std::vector<UpdateType> BuildTypes() {
  // The records of each type, in the order the update driver runs them.
  UpdateType oas = Begin("OAS", "on-access scanner");
  AddRecord(oas, kGeneralRecord, GeneralRecordFields);
  AddRecord(oas, {"on-access scanner record", "written field by field by the product's library (area code 0)"},
            OASTaskFields);
  AddList(oas, OASExcludedItems, "on-access excluded items");

  UpdateType ods = Begin("ODS", "on-demand scan task");
  AddRecord(ods, kGeneralRecord, GeneralRecordFields);
  AddRecord(ods, {"on-demand scan task", "the agent's copy of the task, handed back whole with SetODSTask"},
            ODSTaskFields);
  for (const ItemListRow& list : ODSTaskLists) {
    AddList(ods, list, list.listId == kListODSScanItems ? "on-demand scan items" : "on-demand excluded items");
  }

  UpdateType schedule = Begin("SCHEDULE", "scheduled Update and Upgrade tasks");
  AddRecord(schedule, {"scheduled Update task", "the agent's copy of the task of kind 2, handed back with SetTask"},
            UpdateTaskFields);
  AddRecord(schedule, {"scheduled Upgrade task", "the agent's copy of the task of kind 3, handed back with SetTask"},
            UpgradeTaskFields);

  std::vector<UpdateType> types = {oas, ods, schedule};
  // Listed once here: the checks ask for them for every section of a script.
  for (UpdateType& type : types) {
    auto add = [&type](const std::string& section) {
      for (const std::string& known : type.sections) {
        if (SameName(known, section)) return;
      }
      type.sections.push_back(section);
    };
    for (const CatalogueKey& key : type.keys) add(key.section);
    for (const CatalogueList& list : type.lists) add(list.section);
  }
  return types;
}

}  // namespace

const std::vector<UpdateType>& UpdateTypes() {
  static const std::vector<UpdateType> types = BuildTypes();
  return types;
}

const UpdateType* FindUpdateType(std::string_view name) {
  for (const UpdateType& type : UpdateTypes()) {
    if (SameName(type.name, name)) return &type;
  }
  return nullptr;
}

const std::vector<std::string>& SectionsOf(const UpdateType& type) { return type.sections; }

const CatalogueKey* FindCatalogueKey(const UpdateType& type, std::string_view section, std::string_view key) {
  for (const CatalogueKey& known : type.keys) {
    if (SameName(known.section, section) && SameName(known.key, key)) return &known;
  }
  return nullptr;
}

const CatalogueList* FindCatalogueList(const UpdateType& type, std::string_view section) {
  for (const CatalogueList& list : type.lists) {
    if (SameName(list.section, section)) return &list;
  }
  return nullptr;
}

bool ReadsSection(const UpdateType& type, std::string_view section) {
  for (const std::string& known : SectionsOf(type)) {
    if (SameName(known, section)) return true;
  }
  return false;
}

const char* ValueKindName(ValueKind kind) {
  if (kind == ValueKind::kUpdateType) return "update type";
  if (kind == ValueKind::kListItem) return "list item";
  if (kind == ValueKind::kAgentVersion) return "agent version";
  // The others are the record's field types, named once with them.
  for (FieldType type = FieldType::kBoolean; type != FieldType::kBlock;
       type = static_cast<FieldType>(static_cast<int>(type) + 1)) {
    if (KindOf(type) == kind) return FieldTypeName(type);
  }
  return "";
}
