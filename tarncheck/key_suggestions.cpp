#include "tarncheck/key_suggestions.h"

#include <algorithm>

#include "tarncheck/profile_names.h"

std::size_t NameDistance(std::string_view a, std::string_view b) {
  const std::string x = LowerCase(a);
  const std::string y = LowerCase(b);
  // Three rows of the optimal-string-alignment table are enough for the swap rule.
  std::vector<std::size_t> before(y.size() + 1), previous(y.size() + 1), current(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const std::size_t cost = x[i - 1] == y[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1]) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[y.size()];
}

std::string NearestName(std::string_view name, const std::vector<std::string>& candidates) {
  const std::size_t allowed = std::max<std::size_t>(1, name.size() / 4);
  std::string nearest;
  std::size_t best = allowed + 1;
  for (const std::string& candidate : candidates) {
    const std::size_t distance = NameDistance(name, candidate);
    if (distance < best) {
      best = distance;
      nearest = candidate;
    }
  }
  return nearest;
}
