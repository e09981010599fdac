// Where each of the agent's settings lives below its key, named once: the agent and tarnplan
// read them by these names, through the same SettingsKey, so that tarnplan sees exactly what
// the agent will take.
#pragma once

#include "foundation/settings_key.h"

namespace agent_setting {

constexpr SettingName kDebugOutput{"Debug", "Output"};
constexpr SettingName kFuncTimeout{"SyncUtil", "Func Timeout"};

constexpr SettingName kNoExtensionString{"LC_UPDATE", "NoExtensionString"};
constexpr SettingName kUndoFolder{"LC_UPDATE", "UndoFolder"};
constexpr SettingName kUndoKeep{"LC_UPDATE", "UndoKeep"};
constexpr SettingName kScriptSha256{"LC_UPDATE", "ScriptSha256"};
constexpr SettingName kTrustedSigners{"LC_UPDATE", "TrustedSigners"};

constexpr SettingName kExecFilePath{"LC_EXEC", "ExecFilePath"};
constexpr SettingName kExecCmdLine{"LC_EXEC", "ExecCmdLine"};
constexpr SettingName kExecReturnCode{"LC_EXEC", "ReturnCode"};

constexpr SettingName kFilePath{"LC_FILEVER", "FilePath"};
// Major, minor, build, extra.
constexpr SettingName kFileVersionParts[] = {{"LC_FILEVER", "FileVersionMajor"},
                                             {"LC_FILEVER", "FileVersionMinor"},
                                             {"LC_FILEVER", "FileVersionBuild"},
                                             {"LC_FILEVER", "FileVersionExtra"}};

constexpr SettingName kReturnCode{"TARNUPDATE", "ReturnCode"};
constexpr SettingName kReturnString{"TARNUPDATE", "ReturnString"};

}  // namespace agent_setting

// The product's version, as its installation records it (below HKEY_LOCAL_MACHINE).
constexpr char kProductKeyPath[] = "Software\\Velmora\\Brask\\Lumicor";
constexpr char kProductVersionValue[] = "szCurrentVersionNumber";
