// LC_DEBUG: turns the debugger output over, for this and later runs.
#include "agent/commands/commands.h"
#include "foundation/agent_settings.h"

ResultCode ToggleDebugOutput(CommandRun&, const char*) {
  DebugOutput = DebugOutput == 0 ? 1 : 0;
  Settings().WriteDword(agent_setting::kDebugOutput, DebugOutput);
  OutputDebugStringA(DebugOutput != 0 ? "Debug State = ON\n" : "Debug State = OFF\n");
  return kResultSuccess;
}
