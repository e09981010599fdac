#include "foundation/undo_folder.h"

#include <cstring>

#include "foundation/agent_settings.h"
#include "foundation/trusted_folder.h"

namespace {

// Why the folder cannot hold undo points, or null. A relative folder would land in whatever
// folder the agent runs in and tarnplan would look elsewhere; a share or a device name is no
// place for files only this machine's administrators may use.
const char* WhyRefused(const char* folder, int length) {
  if (length + 1 + kLongestUndoPointName >= MAX_PATH) return "it is too long for the undo points' paths";
  return WhyNotLocalFolder(folder);
}

}  // namespace

UndoFolderSetting ReadUndoFolder(const SettingsKey& settings) {
  UndoFolderSetting setting;
  TextString problem;
  const TextString folder = settings.ReadText(agent_setting::kUndoFolder, "", true, problem);
  if (!problem.IsEmpty()) {
    setting.refusal.Format("The setting %s", problem.c_str());
  } else if (folder.IsEmpty()) {
    // Not set: no undo points, nothing to say.
  } else if (const char* why = WhyRefused(folder.c_str(), folder.Length())) {
    setting.refusal.Format("%s\\%s \"%s\" is refused: %s", agent_setting::kUndoFolder.subkey, agent_setting::kUndoFolder.value,
                           folder.c_str(), why);
  } else {
    setting.folder = folder;
  }
  return setting;
}
