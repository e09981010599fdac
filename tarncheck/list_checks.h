// Numbered lists: the agent reads <stem>_0, <stem>_1, ... in decimal and stops at the first
// number without a key (or whose value is the absent mark), after emptying the product's
// list. Keys after the gap, numbers with leading zeros and look-alike keys are never read.
#pragma once

#include <vector>

#include "tarncheck/findings.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/update_type_catalogue.h"

// With `warnWhenAbsent`, a missing list section is a warning too: the agent still empties the
// product list.
void CheckLists(const ParsedScript& script, const std::vector<const CatalogueList*>& lists, bool warnWhenAbsent,
                Findings& findings);
