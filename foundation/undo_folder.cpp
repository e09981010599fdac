#include "foundation/undo_folder.h"

#include <cstring>

#include "foundation/agent_settings.h"

namespace {

// Why the folder cannot hold undo points, or null. A relative folder would land in whatever
// folder the agent runs in and tarnplan would look elsewhere; a share or a device name is no
// place for files only this machine's administrators may use.
const char* WhyRefused(const char* folder, int length) {
  if (length + 1 + kLongestUndoPointName >= MAX_PATH) return "it is too long for the undo points' paths";
  if (folder[0] == '\\' && folder[1] == '\\') return "it names a share or a device, not a folder on a local drive";
  const bool drive = ((folder[0] | 0x20) >= 'a' && (folder[0] | 0x20) <= 'z') && folder[1] == ':';
  if (!drive || folder[2] != '\\') return "it is no absolute path of the form X:\\...";
  for (const char* c = folder + 2; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || std::strchr("<>:\"|?*", *c) != nullptr) {
      return "it holds a character no folder name may hold";
    }
  }
  for (const char* part = folder + 3; *part != '\0';) {
    const std::size_t size = std::strcspn(part, "\\/");
    if (size == 2 && part[0] == '.' && part[1] == '.') return "it has a .. component";
    part += size;
    if (*part != '\0') ++part;
  }
  return nullptr;
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
