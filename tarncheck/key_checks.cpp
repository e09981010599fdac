#include "tarncheck/key_checks.h"

#include "tarncheck/key_suggestions.h"
#include "tarncheck/line_warning.h"
#include "tarncheck/profile_names.h"
#include "tarncheck/value_checks.h"

namespace {

using Scope = std::vector<const UpdateType*>;

std::string Joined(const std::vector<std::string>& words, const std::string& separator) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
  return text;
}

// "by update type OAS", or "by any update type" when the script names none.
std::string ByScope(const Scope& scope) {
  return scope.size() == 1 ? std::string("by update type ") + scope.front()->name : "by any update type";
}

bool InScope(const Scope& scope, const UpdateType& type) {
  for (const UpdateType* known : scope) {
    if (known == &type) return true;
  }
  return false;
}

const CatalogueKey* FindInScope(const Scope& scope, const std::string& section, const std::string& key) {
  for (const UpdateType* type : scope) {
    if (const CatalogueKey* known = FindCatalogueKey(*type, section, key)) return known;
  }
  return nullptr;
}

bool ScopeReads(const Scope& scope, const std::string& section) {
  for (const UpdateType* type : scope) {
    if (ReadsSection(*type, section)) return true;
  }
  return false;
}

bool IsListSection(const Scope& scope, const std::string& section) {
  for (const UpdateType* type : scope) {
    if (FindCatalogueList(*type, section) != nullptr) return true;
  }
  return false;
}

// Names of the update types outside the scope that pass the test.
template <typename Test>
std::vector<std::string> OtherTypes(const Scope& scope, Test test) {
  std::vector<std::string> names;
  for (const UpdateType& type : UpdateTypes()) {
    if (!InScope(scope, type) && test(type)) names.push_back(type.name);
  }
  return names;
}

void AddUnique(std::vector<std::string>& names, const std::string& name) {
  for (const std::string& known : names) {
    if (SameName(known, name)) return;
  }
  names.push_back(name);
}

void CheckUnreadSection(const Scope& scope, const ScriptLine& header, Findings& findings) {
  const std::vector<std::string> others =
      OtherTypes(scope, [&header](const UpdateType& type) { return ReadsSection(type, header.name); });
  if (!others.empty()) {
    Warn(header, Rule::kSectionUnread,
         "section [" + header.name + "] is read only by update type " + Joined(others, " and ") + ": update type " +
             scope.front()->name + " ignores it",
         findings);
    return;
  }
  std::vector<std::string> known;
  for (const UpdateType* type : scope) {
    for (const std::string& section : SectionsOf(*type)) AddUnique(known, section);
  }
  const std::string nearest = NearestName(header.name, known);
  Warn(header, Rule::kSectionUnread,
       "section [" + header.name + "] is never read " + ByScope(scope) +
           (nearest.empty() ? "" : "; did you mean [" + nearest + "]?"),
       findings);
}

void CheckUnreadKey(const Scope& scope, const std::string& section, const ScriptLine& line, Findings& findings) {
  const std::string named = Named(section, line);
  std::vector<std::string> elsewhere;
  std::vector<std::string> nearby;
  for (const UpdateType* type : scope) {
    for (const CatalogueKey& key : type->keys) {
      if (SameName(key.key, line.name)) AddUnique(elsewhere, "[" + key.section + "]");
      if (SameName(key.section, section)) AddUnique(nearby, key.key);
    }
  }
  if (!elsewhere.empty()) {
    if (elsewhere.size() > 3) elsewhere.resize(3);
    Warn(line, Rule::kKeyUnread, named + " is never read: " + line.name + " is read from " + Joined(elsewhere, ", "), findings);
    return;
  }
  const std::vector<std::string> others =
      OtherTypes(scope, [&](const UpdateType& type) { return FindCatalogueKey(type, section, line.name) != nullptr; });
  if (!others.empty()) {
    Warn(line, Rule::kKeyUnread, named + " is read only by update type " + Joined(others, " and "), findings);
    return;
  }
  const std::string nearest = NearestName(line.name, nearby);
  Warn(line, Rule::kKeyUnread, named + " is never read " + ByScope(scope) + (nearest.empty() ? "" : "; did you mean " + nearest + "?"),
       findings);
}

void CheckSectionKeys(const ParsedScript& script, const Scope& scope, const ScriptLine& header, Findings& findings) {
  for (const ScriptLine* line : KeysOf(script, header.name)) {
    if (!IsReadKey(script, *line)) continue;  // a repeated key: CheckStructure tells
    const CatalogueKey* known = FindInScope(scope, header.name, line->name);
    if (known == nullptr) {
      CheckUnreadKey(scope, header.name, *line, findings);
    } else if (known->kind != ValueKind::kUpdateType) {
      CheckValue(*line, header.name, known->kind, findings);
    }
  }
}

}  // namespace

void CheckKeys(const ParsedScript& script, const Scope& scope, Findings& findings) {
  for (const ScriptLine& line : script.lines) {
    if (line.kind != LineKind::kSection || FindSection(script, line.name) != &line) continue;
    if (!ScopeReads(scope, line.name)) {
      CheckUnreadSection(scope, line, findings);
    } else if (!IsListSection(scope, line.name)) {
      CheckSectionKeys(script, scope, line, findings);
    }
  }
}
