// Findings for a value the agent reads: what the profile functions and the agent's reader of
// that kind will really make of it, when that is not what the text seems to say.
#pragma once

#include <string>
#include <string_view>

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/update_type_catalogue.h"

// The agent's text for a key it treats as absent.
constexpr char kMissingMark[] = "$#@NONE@#$";

// `line` is a key line the agent reads, in `section`, as a value of `kind` (not kUpdateType).
void CheckValue(const ScriptLine& line, const std::string& section, ValueKind kind, Findings& findings);

// "[section] key = value", a long value shortened.
std::string Quoted(const std::string& section, const ScriptLine& line);
// "[section] key".
std::string Named(const std::string& section, const ScriptLine& line);
