#include "tarncheck/list_checks.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "tarncheck/key_suggestions.h"
#include "tarncheck/line_warning.h"
#include "tarncheck/profile_names.h"
#include "tarncheck/value_checks.h"

namespace {

std::string ItemKey(const CatalogueList& list, std::size_t number) { return list.stem + "_" + std::to_string(number); }

// A key "<stem>_<digits>", and the number the agent would have to reach to read it.
struct ItemName {
  bool numbered = false;
  bool plain = false;      // no leading zeros: the way "%d" writes the number
  std::string digits;      // without leading zeros
  std::size_t number = 0;  // SIZE_MAX when too long to reach
};

ItemName ParseItemName(const CatalogueList& list, const std::string& key) {
  ItemName name;
  const std::string prefix = list.stem + "_";
  if (key.size() <= prefix.size() || !SameName(key.substr(0, prefix.size()), prefix)) return name;
  const std::string digits = key.substr(prefix.size());
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return name;
  }
  name.numbered = true;
  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
  name.digits = digits.substr(first);
  name.plain = first == 0;
  name.number = name.digits.size() > 9 ? SIZE_MAX : static_cast<std::size_t>(std::stoul(name.digits));
  return name;
}

// The number of items the agent reads: up to the first number without a key, or with the mark.
std::size_t ItemsRead(const ParsedScript& script, const CatalogueList& list) {
  std::size_t count = 0;
  for (;; ++count) {
    const ScriptLine* line = FindKey(script, list.section, ItemKey(list, count));
    if (line == nullptr || line->value == kMissingMark) return count;
  }
}

void CheckUnreadItem(const ParsedScript& script, const CatalogueList& list, const std::string& section,
                     std::size_t count, const ScriptLine& line, const ItemName& item, Findings& findings) {
  const std::string named = Named(section, line);
  if (!item.numbered) {
    // A look-alike: compare what stands before its trailing digits with "<stem>_".
    std::size_t end = line.name.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(line.name[end - 1]))) --end;
    const std::string digits = end < line.name.size() ? line.name.substr(end) : "0";
    const bool close = !NearestName(line.name.substr(0, end), {list.stem + "_"}).empty();
    Warn(line, Rule::kListItemUnread,
         named + " is never read: the agent reads " + ItemKey(list, 0) + ", " + ItemKey(list, 1) + ", ..." +
             (close ? "; did you mean " + list.stem + "_" + digits + "?" : ""),
         findings);
    return;
  }
  if (!item.plain) {
    Warn(line, Rule::kListItemUnread,
         named + " is never read: the agent asks for " + list.stem + "_" + item.digits + ", without leading zeros",
         findings);
    return;
  }
  const ScriptLine* end = FindKey(script, section, ItemKey(list, count));
  if (&line == end) {
    Warn(line, Rule::kAbsentMark, Quoted(section, line) + " is the agent's mark of an absent key: the list ends here", findings);
  } else {
    Warn(line, Rule::kListItemUnread,
         named + " is never read: the list ends before it, at " +
             (end != nullptr ? "line " + std::to_string(end->number) : "the missing " + ItemKey(list, count)),
         findings);
  }
}

void CheckList(const ParsedScript& script, const CatalogueList& list, bool warnWhenAbsent, Findings& findings) {
  const ScriptLine* header = FindSection(script, list.section);
  if (header == nullptr) {
    if (warnWhenAbsent) {
      findings.push_back({0, Severity::kWarning, Rule::kListReplaced,
                          "no [" + list.section + "] section: the agent empties the " + list.name +
                              " list; add an empty [" + list.section + "] section to show that this is meant",
                          list.section, ""});
    }
    return;
  }
  const std::size_t count = ItemsRead(script, list);
  for (const ScriptLine* line : KeysOf(script, list.section)) {
    if (!IsReadKey(script, *line)) continue;  // a repeated key: CheckStructure tells
    const ItemName item = ParseItemName(list, line->name);
    if (!item.numbered || !item.plain || item.number >= count) {
      CheckUnreadItem(script, list, header->name, count, *line, item, findings);
    } else if (line->value.empty()) {
      Warn(*line, Rule::kListItemEmpty, Named(header->name, *line) + " has no value: an empty item is added to the list", findings);
    } else {
      CheckValue(*line, header->name, ValueKind::kListItem, findings);
    }
  }
}

}  // namespace

void CheckLists(const ParsedScript& script, const std::vector<const CatalogueList*>& lists, bool warnWhenAbsent,
                Findings& findings) {
  for (const CatalogueList* list : lists) CheckList(script, *list, warnWhenAbsent, findings);
}
