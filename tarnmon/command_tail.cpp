#include "tarnmon/command_tail.h"

#include <windows.h>

namespace tarnmon {

std::string CommandTail() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    ++line;
    while (*line != '\0' && *line != '"') ++line;
    if (*line == '"') ++line;
  } else {
    while (*line != '\0' && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

}  // namespace tarnmon
