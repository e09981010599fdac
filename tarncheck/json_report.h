// tarncheck --format json: the check of one script as one JSON object, for management consoles
// and build pipelines; its findings are also those of tarnplan's previews. docs/administrators.md
// describes its members.
#pragma once

#include <windows.h>

#include <nlohmann/json.hpp>

#include <string>
#include <utility>

#include "foundation/utf8_text.h"
#include "tarncheck/findings.h"
#include "tarncheck/script_encoding.h"
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

// One finding, with null for what it is not about.
inline nlohmann::ordered_json FindingJson(const Finding& finding) {
  using json = nlohmann::ordered_json;
  const auto text = [](const std::string& ansi) { return ansi.empty() ? json() : json(AnsiToUtf8(ansi)); };
  const auto [message, suggestion] = SplitSuggestion(finding.message);
  return {{"line", finding.line > 0 ? json(finding.line) : json()},
          {"section", text(finding.section)},
          {"key", text(finding.key)},
          {"rule", RuleId(finding.rule)},
          {"severity", finding.severity == Severity::kError ? "error" : "warning"},
          {"message", AnsiToUtf8(message)},
          {"suggestion", text(suggestion)}};
}

inline nlohmann::ordered_json FindingListJson(const Findings& findings) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Finding& finding : findings) list.push_back(FindingJson(finding));
  return list;
}

// `bytes` is the script as read; the update type is the one the agent would run, or null.
inline nlohmann::ordered_json FindingsJson(const std::string& path, const std::string& bytes,
                                          const Findings& findings) {
  using json = nlohmann::ordered_json;
  json updateType;
  Findings encoding;  // already among `findings`
  const ScriptLine* typeLine =
      FindKey(ParseScript(CheckEncoding(bytes, encoding).text), kUpdateTypeSection, kUpdateTypeKey);
  if (const UpdateType* type = typeLine != nullptr ? FindUpdateType(typeLine->value) : nullptr) updateType = type->name;
  int errors = 0;
  for (const Finding& finding : findings) errors += finding.severity == Severity::kError ? 1 : 0;
  return {{"script", AnsiToUtf8(path)},
          {"updateType", updateType},
          {"findings", FindingListJson(findings)},
          {"counts", {{"errors", errors}, {"warnings", static_cast<int>(findings.size()) - errors}}},
          {"exitCode", ExitCodeOf(findings)}};
}
