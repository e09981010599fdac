// The settings an administrator sets for a fleet, one row each: the administrative templates for
// Group Policy (installer/policy) are generated from this table, so that every setting the agent
// reads from a policy is offered there, with the agent's own default and limits.
#pragma once

#include <windows.h>

#include "agent/command_run.h"
#include "foundation/agent_settings.h"
#include "update/undo_points.h"

// How a setting is stored and shown in the policy editor.
enum class PolicyValueKind {
  kSwitch,    // REG_DWORD 1 when enabled, 0 when disabled
  kNumber,    // REG_DWORD from minimum to maximum
  kPath,      // REG_SZ, or REG_EXPAND_SZ with environment variables
  kTextList,  // REG_MULTI_SZ, one item a line
};

struct AdministratorSetting {
  const char* id;  // the policy's name in the templates
  SettingName name;
  PolicyValueKind kind;
  const char* title;
  const char* explanation;  // one paragraph, plain text
  const char* label;        // beside the value's box; none for a switch
  DWORD defaultNumber;      // kNumber only
  DWORD minimum, maximum;   // kNumber only
};

constexpr AdministratorSetting kAdministratorSettings[] = {
    {"TrustedSigners", agent_setting::kTrustedSigners, PolicyValueKind::kTextList, "Trusted signers of update scripts",
     "The SHA-256 thumbprints (64 hexadecimal digits) of the certificates whose signatures the agent accepts on "
     "update scripts. When any is listed, every script named by LC_UPDATE= needs a detached signature beside it, "
     "<script>.p7s, by one of these certificates; a script without one is not applied.",
     "Certificate thumbprints, one a line:", 0, 0, 0},
    {"UndoFolder", agent_setting::kUndoFolder, PolicyValueKind::kPath, "Folder of undo points",
     "The folder on a local drive (an absolute path such as C:\\ProgramData\\Tarn\\Undo, environment variables "
     "allowed) where the agent keeps, before each update, a script that puts back what the update changes. Not "
     "set: no undo points are kept.",
     "Folder:", 0, 0, 0},
    {"UndoKeep", agent_setting::kUndoKeep, PolicyValueKind::kNumber, "Undo points kept of each update type",
     "How many undo points of each update type the agent keeps in the folder of undo points; older ones are "
     "removed. 0 keeps the default number.",
     "Undo points kept:", kDefaultUndoKeep, 0, 100000},
    {"FuncTimeout", agent_setting::kFuncTimeout, PolicyValueKind::kNumber, "Time limit of product commands",
     "The time in milliseconds the agent waits for the product to be free of other agent runs, and again for a "
     "command's work with the product, before it gives up with result 11. 4294967295 waits without limit.",
     "Milliseconds:", kDefaultFuncTimeout, 0, 4294967295u},
    {"DebugOutput", agent_setting::kDebugOutput, PolicyValueKind::kSwitch, "Debugger output of the agent",
     "Enabled: the agent also writes its status and detail lines to the debugger output (OutputDebugString), "
     "as LC_DEBUG turns on. Disabled: it writes none there.",
     nullptr, 0, 0, 0},
};
