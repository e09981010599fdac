// LC_UPDATE\UndoFolder, read and checked in one place for the agent, which keeps its undo points
// there, and for tarnplan, which lists them: both take exactly the same folder or none.
#pragma once

#include "foundation/settings_key.h"
#include "foundation/text_string.h"

// The longest name of a file the agent keeps in the folder: YYYYMMDD-HHMMSS-mmm-SCHEDULE.INI.
constexpr int kLongestUndoPointName = 32;

struct UndoFolderSetting {
  TextString folder;   // empty: no undo points
  TextString refusal;  // a value that was set but refused: the value and why, no end of line
};

// A REG_SZ, or a REG_EXPAND_SZ expanded, naming an absolute folder on a local drive (X:\...),
// without a `..` component and short enough for its undo points' paths.
UndoFolderSetting ReadUndoFolder(const SettingsKey& settings);
