// The update types a script names in TARNUPDATE\UpdateType.
#pragma once

enum class UpdateKind { kOAS, kODS, kSchedule };

// TARNUPDATE key that marks a script as an undo point, which puts back values the product
// held: with 1, its extension lists are stored as written, whatever NoExtensionString says.
constexpr char kUndoPointKey[] = "UndoPoint";
// TARNUPDATE key naming the oldest agent version, a.b.c, that may apply the script.
constexpr char kRequiresAgentKey[] = "RequiresAgent";

// The update type named in any letter case, as the system runtime's _stricmp compares in its
// "C" locale; false for none.
bool FindUpdateKind(const char* name, UpdateKind& kind);
const char* UpdateKindName(UpdateKind kind);
