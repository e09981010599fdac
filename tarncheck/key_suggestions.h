// Likely typos: the known name nearest to one the agent never reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Edits (insert, delete, replace, swap of two neighbours) from one name to the other,
// letter case ignored.
std::size_t NameDistance(std::string_view a, std::string_view b);

// The candidate nearest to `name` when it is near enough to be a slip of the keyboard (about
// one edit in four letters); "" when none is.
std::string NearestName(std::string_view name, const std::vector<std::string>& candidates);
