// LC_VERSION=a.b.c: whether this agent is at least the version a script needs.
#include <cstdio>

#include "agent/commands/commands.h"
#include "agent_version.h"

namespace {

struct VersionArguments : CommandArguments {
  TextString required;  // the argument, as the result text names it
};

}  // namespace

const char* VersionResultArgument(const CommandRun& run, ResultCode, unsigned int&) {
  const VersionArguments* version = ArgumentsOf<VersionArguments>(run);
  return version != nullptr ? version->required.c_str() : "";
}

ResultCode CompareAgentVersion(const char* required) {
  int major = 0;
  int minor = 0;
  int build = 0;
  if (std::sscanf(required, "%d.%d.%d", &major, &minor, &build) < 3) return kResultVersionNotThreeNumbers;
  // Each part is compared by itself: 0.9.0 asks for a minor version this agent does not have.
  if (major > TARN_VERSION_MAJOR || minor > TARN_VERSION_MINOR || build > TARN_VERSION_BUILD) {
    return kResultVersionTooOld;
  }
  return kResultSuccess;
}

ResultCode CheckRequiredVersion(CommandRun& run, const char* requiredVersion) {
  VersionArguments& version = MakeArguments<VersionArguments>(run);
  version.required = requiredVersion;
  return CompareAgentVersion(version.required);
}
