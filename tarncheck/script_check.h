// The whole check of an update script, from its bytes: encoding, update type, structure,
// sections, keys, values and numbered lists.
#pragma once

#include <string>

#include "tarncheck/findings.h"

// The findings sorted by line.
Findings CheckScript(const std::string& bytes);
