// TARNUPDATE / UpdateType: without one of OAS, ODS and SCHEDULE (any letter case) the agent
// updates nothing, which is an error.
#pragma once

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/update_type_catalogue.h"

// The type the script selects, or null after adding an error.
const UpdateType* CheckUpdateType(const ParsedScript& script, Findings& findings);
