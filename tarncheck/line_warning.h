// A warning about one line of the script: what most checks add. Its section and key are those
// of the line, filled in once the checks are done (see DescribeLines).
#pragma once

#include <string>
#include <utility>

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"

inline void Warn(const ScriptLine& line, Rule rule, std::string message, Findings& findings) {
  findings.push_back({line.number, Severity::kWarning, rule, std::move(message), "", ""});
}
