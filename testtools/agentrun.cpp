// agentrun ARGUMENTS...: runs tarnupd.exe with exactly the text that follows agentrun's own
// name on its command line, as a collector and debugger would see it, and prints the status
// lines, the debugger output, the exit code and the result left in the registry.
#include <windows.h>

#include <cstdio>
#include <string>

#include "testtools/agent_harness.h"
#include "tarnmon/command_tail.h"
#include "testtools/test_registry.h"

namespace {

void PrintLines(const char* heading, const std::vector<std::string>& lines) {
  std::printf("%s\n", heading);
  if (lines.empty()) std::printf("    (none)\n");
  for (const std::string& line : lines) {
    std::string shown = line;
    if (!shown.empty() && shown.back() == '\n') shown.pop_back();
    std::printf("    %s\n", shown.c_str());
  }
}

}  // namespace

int main() {
  const std::string arguments = tarnmon::CommandTail();
  std::printf("> tarnupd.exe %s\n", arguments.c_str());
  const AgentRun run = RunAgent(arguments);
  if (!run.finished) {
    std::printf("tarnupd.exe did not end in time\n");
    return 1;
  }

  std::vector<std::string> status;
  for (std::size_t i = 0; i < run.statusMessages.size(); ++i) {
    const unsigned sequence = static_cast<unsigned char>(run.statusMessages[i][0]);
    status.push_back("#" + std::to_string(sequence) + " " + run.StatusLines()[i]);
  }
  PrintLines("  status mailslot:", status);
  PrintLines("  debugger output:", run.debugOutput);
  const std::string resultKey = test_registry::AgentSubkey("TARNUPDATE");
  std::printf("  exit code: %ld\n", static_cast<long>(run.exitCode));
  std::printf("  registry ReturnCode: %ld\n", static_cast<long>(test_registry::GetDword(resultKey, "ReturnCode").value_or(0)));
  std::printf("  registry ReturnString: %s\n\n", test_registry::GetString(resultKey, "ReturnString").value_or("(absent)").c_str());
  return static_cast<int>(run.exitCode);
}
