// Undo points as files: their names, their heading, the listing of a folder's points and the
// pruning of old ones, for the agent, which keeps them, and tarnplan history, which lists them.
// YYYYMMDD-HHMMSS-mmm-TYPE.INI, in UTC, so that the names sort by time; LAST-TYPE.INI is a copy
// of the newest of a type. The first comment lines of each tell what it is.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/trusted_folder.h"
#include "update/undo_capture.h"
#include "update/update_kind.h"

// Undo points kept of each type when LC_UPDATE\UndoKeep is 0 or absent.
constexpr DWORD kDefaultUndoKeep = 20;

std::string UndoPointName(const SYSTEMTIME& time, UpdateKind kind);
bool IsUndoPointName(const std::string& name);
// LAST-TYPE.INI.
std::string LastUndoPointName(UpdateKind kind);

// What an undo point's first comment lines tell: written by the agent, read by tarnplan history.
struct UndoPointInfo {
  std::string agentVersion;
  std::string time;  // "YYYY-MM-DD HH:MM:SS.mmm UTC"
  std::string script;
  std::string updateType;
  std::size_t keys = 0;
  std::size_t lists = 0;
};
// The heading's time, "YYYY-MM-DD HH:MM:SS.mmm UTC".
std::string UndoPointTime(const SYSTEMTIME& time);
std::vector<std::string> UndoHeading(const UndoPointInfo& info);
// False when the file cannot be read or does not begin as an undo point: a time of exactly the
// agent's form, an update type by its own name, counts no larger than the type's keys and lists.
bool ReadUndoHeading(const std::string& path, UndoPointInfo& info);

// The agent's undo point of what `capture` holds, its heading from `info` with the counts of
// the keys and lists written set (the values no script can carry are left out: the writer's
// notWritten() names them).
ScriptWriter UndoPointScript(const UndoCapture& capture, UndoPointInfo& info);

// The names of the undo points in `folder` (of the type `kind` only, unless null), oldest first.
// ERROR_SUCCESS, also when there is none; else the search's error (ERROR_PATH_NOT_FOUND: no
// folder), with `names` empty.
DWORD ListUndoPoints(const std::string& folder, const UpdateKind* kind, std::vector<std::string>& names);

// Removes the oldest undo points of the type in `folder` beyond `keep` (0: kDefaultUndoKeep),
// counting `own`, this run's point, which stays whatever its name says: a clock that ran ahead
// may have left points dated later.
void PruneUndoPoints(const TrustedFolder& folder, UpdateKind kind, const std::string& own, DWORD keep);
