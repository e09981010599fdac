// tarncheck --format json: the check of one script as one JSON object, for management consoles
// and build pipelines. docs/administrators.md describes its members.
#pragma once

#include <windows.h>

#include <nlohmann/json.hpp>

#include <string>
#include <utility>

#include "foundation/utf8_text.h"
#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/update_type_catalogue.h"

// A message ends with what to do instead after its last "; ", when it suggests anything.
inline std::pair<std::string, std::string> SplitSuggestion(const std::string& message) {
  const std::size_t split = message.rfind("; ");
  if (split != std::string::npos) {
    const std::string tail = message.substr(split + 2);
    for (const char* verb : {"did you mean ", "write ", "add ", "save "}) {
      if (tail.rfind(verb, 0) == 0) return {message.substr(0, split), tail};
    }
  }
  return {message, ""};
}

// `bytes` is the script as read; the update type is the one the agent would run, or null.
inline nlohmann::ordered_json FindingsJson(const std::string& path, const std::string& bytes,
                                          const Findings& findings) {
  using json = nlohmann::ordered_json;
  json updateType;
  const ScriptLine* typeLine = FindKey(ParseScript(bytes), kUpdateTypeSection, kUpdateTypeKey);
  if (const UpdateType* type = typeLine != nullptr ? FindUpdateType(typeLine->value) : nullptr) updateType = type->name;
  json list = json::array();
  int errors = 0;
  for (const Finding& finding : findings) {
    const auto [message, suggestion] = SplitSuggestion(finding.message);
    list.push_back({{"line", finding.line > 0 ? json(finding.line) : json()},
                    {"severity", finding.severity == Severity::kError ? "error" : "warning"},
                    {"message", AnsiToUtf8(message)},
                    {"suggestion", suggestion.empty() ? json() : json(AnsiToUtf8(suggestion))}});
    errors += finding.severity == Severity::kError ? 1 : 0;
  }
  return {{"script", AnsiToUtf8(path)},
          {"updateType", updateType},
          {"findings", list},
          {"counts", {{"errors", errors}, {"warnings", static_cast<int>(findings.size()) - errors}}},
          {"exitCode", ExitCodeOf(findings)}};
}
