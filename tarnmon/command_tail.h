// A collector that starts a program passes on the rest of its own command line exactly as it
// was typed, the way a management system's text reaches the agent.
#pragma once

#include <string>

namespace tarnmon {

// The raw text after this program's own name (quoted or not) and the blanks after it.
std::string CommandTail();

}  // namespace tarnmon
