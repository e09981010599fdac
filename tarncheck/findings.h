// What a check of an update script finds: each finding has a line (0 for the script as a
// whole), a severity and a message saying what the agent will really do with the line.
#pragma once

#include <string>
#include <vector>

enum class Severity { kWarning, kError };

struct Finding {
  int line;  // 1-based; 0 when the finding is about the script as a whole
  Severity severity;
  std::string message;
};

using Findings = std::vector<Finding>;

// Exit codes of tarncheck: nothing found, warnings only, at least one error.
constexpr int kExitClean = 0;
constexpr int kExitWarnings = 1;
constexpr int kExitErrors = 2;

int ExitCodeOf(const Findings& findings);

// Whole-script findings first, then by line; findings of one line keep their order.
void SortFindings(Findings& findings);

// "line 7: warning: <message>", or "error: <message>" for a whole-script finding.
std::string FormatFinding(const Finding& finding);

// "3 errors, 1 warning" or "no problems found".
std::string Summary(const Findings& findings);
