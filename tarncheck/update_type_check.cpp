#include "tarncheck/update_type_check.h"

#include "tarncheck/key_suggestions.h"

namespace {

constexpr char kNothingUpdated[] = "the agent reads the update type as UNKNOWN and updates nothing";

}  // namespace

const UpdateType* CheckUpdateType(const ParsedScript& script, Findings& findings) {
  const ScriptLine* header = FindSection(script, kUpdateTypeSection);
  if (header == nullptr) {
    findings.push_back({0, Severity::kError, Rule::kUpdateTypeMissing, std::string("no [TARNUPDATE] section: ") +
                        kNothingUpdated, kUpdateTypeSection, kUpdateTypeKey});
    return nullptr;
  }
  const ScriptLine* key = FindKey(script, kUpdateTypeSection, kUpdateTypeKey);
  if (key == nullptr) {
    findings.push_back({header->number, Severity::kError, Rule::kUpdateTypeMissing,
                        std::string("[TARNUPDATE] has no UpdateType: ") + kNothingUpdated, header->name,
                        kUpdateTypeKey});
    return nullptr;
  }
  const UpdateType* type = FindUpdateType(key->value);
  if (type != nullptr) return type;

  std::vector<std::string> names;
  for (const UpdateType& known : UpdateTypes()) names.push_back(known.name);
  const std::string nearest = NearestName(key->value, names);
  findings.push_back({key->number, Severity::kError, Rule::kUpdateTypeUnknown,
                      "[TARNUPDATE] UpdateType = " + key->value +
                          " is none of OAS, ODS and SCHEDULE: the agent updates nothing" +
                          (nearest.empty() ? "" : "; did you mean " + nearest + "?"),
                      "", ""});
  return nullptr;
}
