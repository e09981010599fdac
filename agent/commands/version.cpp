// LC_VERSION=a.b.c: whether this agent is at least the version a script needs.
#include <cstdio>

#include "agent/command_word.h"
#include "agent/commands/commands.h"
#include "agent_version.h"

ResultCode CheckRequiredVersion(CommandRun& run) {
  if (!CopyCommandArgument(run.upperCommandLine, CommandWord::kVersion, run.requiredVersion,
                           sizeof run.requiredVersion)) {
    return kResultBadCommandLine;
  }
  int major = 0;
  int minor = 0;
  int build = 0;
  if (std::sscanf(run.requiredVersion, "%d.%d.%d", &major, &minor, &build) < 3) return kResultBadCommandLine;
  // Each part is compared by itself: 0.9.0 asks for a minor version this agent does not have.
  if (major > TARN_VERSION_MAJOR || minor > TARN_VERSION_MINOR || build > TARN_VERSION_BUILD) {
    return kResultVersionTooOld;
  }
  return kResultSuccess;
}
