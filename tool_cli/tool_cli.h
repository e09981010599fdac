// What the console tools (tarncheck, tarnplan, tarnmon) have in common on their command lines:
// --help, -h and /? print the usage and exit 0; a wrong, missing or extra argument is named in
// one line on standard error, followed by the usage, with exit code 64, which no tool uses as a
// verdict; a file that cannot be opened is explained with the system's own message.
#pragma once

#include <windows.h>

#include <string>

namespace tool_cli {

// As BSD's EX_USAGE: the command line itself was wrong.
constexpr int kExitUsage = 64;

struct Tool {
  const char* name;   // "tarncheck": the start of every line the tool says about itself
  std::string usage;  // whole lines, each ending in "\n"
};

// --help, -h or /?.
bool IsHelpWord(const std::string& argument);
// Whether any argument from `first` on is a help word.
bool AsksForHelp(int argc, char** argv, int first = 1);

// The usage on standard output; 0 as the exit code.
int ShowHelp(const Tool& tool);
// "<name>: <problem>" and the usage on standard error; kExitUsage.
int UsageError(const Tool& tool, const std::string& problem);

// What the system says about an error number, as one line without its end, or "error N" when
// it has no message for it: "The system cannot find the file specified."
std::string SystemMessage(DWORD error);

// A UTC time in ISO 8601 with milliseconds: "2026-12-08T12:26:26.124Z".
std::string IsoTime(const SYSTEMTIME& utc);

}  // namespace tool_cli
