// Sections and keys that the update types in scope never read, each with the likeliest name
// meant, and the values of the keys they do read. List sections are left to CheckLists.
#pragma once

#include <vector>

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/update_type_catalogue.h"

// `scope` is the script's update type, or every type when the script names none: then a
// section or key counts as known when any type reads it.
void CheckKeys(const ParsedScript& script, const std::vector<const UpdateType*>& scope, Findings& findings);
