#include "tarnplan/preview.h"

#include <set>

#include "foundation/agent_settings.h"
#include "foundation/undo_folder.h"
#include "foundation/unique_handle.h"
#include "update/field_values.h"
#include "update/script_readers.h"
#include "update/update_driver.h"

namespace {

// The copies in memory, remembering which fields the engine handed over: a key the script
// gives is exactly one field write, whatever value it holds.
class WatchedProduct : public MemoryProduct {
 public:
  explicit WatchedProduct(Records records) : MemoryProduct(std::move(records)) {}
  void SetFieldValue(const FieldWriteEntry& entry) override {
    written.insert(entry.field);
    MemoryProduct::SetFieldValue(entry);
  }
  void SetFieldString(const FieldWriteEntry& entry) override {
    written.insert(entry.field);
    MemoryProduct::SetFieldString(entry);
  }
  void SetFieldBytes(const FieldWriteEntry& entry) override {
    written.insert(entry.field);
    MemoryProduct::SetFieldBytes(entry);
  }
  std::set<const void*> written;
};

// Whether the script gives the key, by the engine's own reader: it writes a field outside the
// records, which the copies ignore, through the product rather than into an agent copy.
bool GivesKey(UpdateContext& run, WatchedProduct& product, const char* section, const char* key, FieldType type) {
  BYTE scratch[kScriptTextBufferSize] = {};
  const FieldRow row[] = {{section, key, type, 0}};
  ApplyFields(run, scratch, MakeTable(row, sizeof scratch), kAreaGeneralRecord);
  return product.written.erase(scratch) > 0;
}

}  // namespace

bool Preview::WouldChange() const {
  for (const KeyChange& key : keys) {
    if (key.committed) return true;
  }
  for (const ListChange& list : lists) {
    if (list.committed) return true;
  }
  return false;
}

AgentSettings ReadAgentSettings() {
  AgentSettings settings;
  // As the agent reads them, creating nothing.
  settings.noExtensionString = SettingsToRead().ReadString(agent_setting::kNoExtensionString, "").c_str();
  const UndoFolderSetting undo = ReadUndoFolder(SettingsToRead());
  settings.undoFolder = undo.folder.c_str();
  settings.undoFolderRefusal = undo.refusal.c_str();
  TextString version;
  if (ReadMachineString(kProductKeyPath, kProductVersionValue, version)) {
    settings.productVersion = version.c_str();
  }
  return settings;
}

Preview PreviewScript(const std::string& scriptPath, UpdateKind kind, const AgentSettings& settings,
                      const MemoryProduct::Records& before, Findings findings) {
  WatchedProduct product(before);
  UpdateContext run{scriptPath.c_str(), settings.noExtensionString.c_str(), settings.productVersion.c_str(), &product};
  Preview preview;
  preview.kind = kind;
  preview.result = ApplyUpdateScript(run);
  preview.findings = std::move(findings);
  const bool committed = product.records().committed;

  const std::vector<RecordView> was = RecordViews(kind, before);
  const std::vector<RecordView> is = RecordViews(kind, product.records());
  for (std::size_t i = 0; i < was.size() && i < is.size(); ++i) {
    const RecordView& view = is[i];
    ForEachField(*view.table, [&](const char* section, const char* key, FieldType type, std::size_t offset) {
      const BYTE* old = was[i].bytes + offset;
      const BYTE* now = view.bytes + offset;
      if (FieldContent(type, old) != FieldContent(type, now)) {
        const std::size_t width = FieldWidth(type);
        const auto bytes = [width](const BYTE* field) {
          return std::string(reinterpret_cast<const char*>(field), width);
        };
        preview.keys.push_back({section, key, type, bytes(old), bytes(now), committed || !view.needsCommit});
      } else if (view.needsCommit ? product.written.count(now) > 0 : GivesKey(run, product, section, key, type)) {
        ++preview.unchanged;
      } else {
        ++preview.absent;
      }
    });
  }
  if (OptionsUsable(before)) {
    for (const ItemListRow* list : ListsOf(kind)) {
      const auto old = before.lists.find(list->listId);
      const std::vector<std::string> current = old != before.lists.end() ? old->second : std::vector<std::string>();
      const std::vector<std::string>& next = product.records().lists[list->listId];
      if (current == next) {
        ++preview.listsUnchanged;
      } else {
        preview.lists.push_back({list, current, next, committed});
      }
    }
  }
  return preview;
}
