#include "tarncheck/script_check.h"

#include "tarncheck/key_checks.h"
#include "tarncheck/list_checks.h"
#include "tarncheck/script_encoding.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/structure_checks.h"
#include "tarncheck/update_type_catalogue.h"
#include "tarncheck/update_type_check.h"

namespace {

// The lists of the scope, each section once (OAS and ODS share [ExcludedItems]).
std::vector<const CatalogueList*> ListsOf(const std::vector<const UpdateType*>& scope) {
  std::vector<const CatalogueList*> lists;
  for (const UpdateType* type : scope) {
    for (const CatalogueList& list : type->lists) {
      bool seen = false;
      for (const CatalogueList* known : lists) seen = seen || known->section == list.section;
      if (!seen) lists.push_back(&list);
    }
  }
  return lists;
}

// A finding about a line is about the section the line lies in (or heads) and the key it gives.
void DescribeLines(const ParsedScript& script, Findings& findings) {
  for (Finding& finding : findings) {
    if (finding.line <= 0 || static_cast<std::size_t>(finding.line) > script.lines.size()) continue;
    if (!finding.section.empty() || !finding.key.empty()) continue;
    const ScriptLine& line = script.lines[static_cast<std::size_t>(finding.line - 1)];
    finding.section = SectionOf(script, line);
    if (line.kind == LineKind::kKey) finding.key = line.name;
  }
}

}  // namespace

Findings CheckScript(const std::string& bytes) {
  Findings findings;
  const ScriptText text = CheckEncoding(bytes, findings);
  const ParsedScript script = ParseScript(text.text);
  // UTF-16 without a mark: one error rather than a finding for every line it spoils.
  if (FindKey(script, kUpdateTypeSection, kUpdateTypeKey) == nullptr && LooksLikeUnmarkedUtf16(text.text)) {
    AddUnmarkedUtf16(findings);
    SortFindings(findings);
    return findings;
  }
  CheckStructure(script, findings);
  const UpdateType* type = CheckUpdateType(script, findings);
  // Without a known type, still check what any type would read, so one slip does not hide
  // the rest; only the emptying of absent lists depends on the type.
  std::vector<const UpdateType*> scope;
  if (type != nullptr) {
    scope.push_back(type);
  } else {
    for (const UpdateType& known : UpdateTypes()) scope.push_back(&known);
  }
  CheckKeys(script, scope, findings);
  CheckLists(script, ListsOf(scope), type != nullptr, findings);
  DescribeLines(script, findings);
  SortFindings(findings);
  return findings;
}
