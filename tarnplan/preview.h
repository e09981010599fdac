// A preview: the update engine runs the script, exactly as the agent would, on copies in
// memory of what the product holds now, and the copies before and after are compared.
#pragma once

#include <string>
#include <vector>

#include "foundation/result_codes.h"
#include "tarncheck/findings.h"
#include "tarnplan/record_views.h"
#include "update/item_list_row.h"
#include "update/memory_product.h"

struct KeyChange {
  const char* section;
  const char* key;
  FieldType type;
  std::string current, next;  // the field's bytes before and after (its width)
  bool committed;             // false: handed to the product, but the run ends before SetOptions
};

struct ListChange {
  const ItemListRow* list;
  std::vector<std::string> current, next;
  bool committed;
};

struct Preview {
  UpdateKind kind;
  ResultCode result = kResultSuccess;  // what the agent would give
  std::vector<KeyChange> keys;
  std::vector<ListChange> lists;
  int unchanged = 0;  // keys the script gives with the value the product has
  int absent = 0;     // keys the script does not give, or gives as absent
  int listsUnchanged = 0;
  Findings findings;  // the checker's, on the same bytes

  bool WouldChange() const;
};

// What the product would take for the agent's settings: LC_UPDATE\NoExtensionString, the undo
// folder and the product's version, read without creating or changing anything.
struct AgentSettings {
  std::string noExtensionString;
  std::string productVersion;
  std::string undoFolder;         // LC_UPDATE\UndoFolder as the agent takes it; empty: none
  std::string undoFolderRefusal;  // why a value set was not taken, or empty
};
AgentSettings ReadAgentSettings();

// Runs the script at `scriptPath` (of update type `kind`) on a copy of `before`; `findings` are
// the checker's on its bytes.
Preview PreviewScript(const std::string& scriptPath, UpdateKind kind, const AgentSettings& settings,
                      const MemoryProduct::Records& before, Findings findings);
