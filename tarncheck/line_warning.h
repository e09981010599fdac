// A warning about one line of the script: what most checks add.
#pragma once

#include <string>
#include <utility>

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"

inline void Warn(const ScriptLine& line, std::string message, Findings& findings) {
  findings.push_back({line.number, Severity::kWarning, std::move(message)});
}
