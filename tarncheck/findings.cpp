#include "tarncheck/findings.h"

#include <algorithm>

namespace {

std::size_t CountOf(const Findings& findings, Severity severity) {
  return static_cast<std::size_t>(
      std::count_if(findings.begin(), findings.end(), [severity](const Finding& f) { return f.severity == severity; }));
}

std::string Counted(std::size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

int ExitCodeOf(const Findings& findings) {
  if (CountOf(findings, Severity::kError) > 0) return kExitErrors;
  return findings.empty() ? kExitClean : kExitWarnings;
}

void SortFindings(Findings& findings) {
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

std::string FormatFinding(const Finding& finding) {
  const char* severity = finding.severity == Severity::kError ? "error: " : "warning: ";
  std::string text = finding.line > 0 ? "line " + std::to_string(finding.line) + ": " : std::string();
  return text + severity + finding.message;
}

std::string Summary(const Findings& findings) {
  if (findings.empty()) return "no problems found";
  return Counted(CountOf(findings, Severity::kError), "error") + ", " +
         Counted(CountOf(findings, Severity::kWarning), "warning");
}
