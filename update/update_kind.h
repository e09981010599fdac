// The update types a script names in TARNUPDATE\UpdateType.
#pragma once

enum class UpdateKind { kOAS, kODS, kSchedule };

// The update type named in any letter case, as the system runtime's _stricmp compares in its
// "C" locale; false for none.
bool FindUpdateKind(const char* name, UpdateKind& kind);
const char* UpdateKindName(UpdateKind kind);
