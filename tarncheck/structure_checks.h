// Lines the profile functions ignore or never reach: text that is no section, key or comment,
// headers without ']', keys before the first section, and repeated sections and keys (only
// the first of each is read); and what they read of a line with a NUL byte.
#pragma once

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"

void CheckStructure(const ParsedScript& script, Findings& findings);
