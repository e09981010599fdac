#include "agent/dispatch.h"

#include <cstring>

#include "agent/command_word.h"
#include "agent/commands/commands.h"

namespace {

// The command table, one row per command: its word, the argument it takes, its part on the
// entry thread, its part with the product, what %s in its result text names. In search order:
// the first word found anywhere in the line decides, so the order is part of the command line's
// meaning (an LC_UPDATE= script named LC_STOP.INI stops the product).
constexpr Command kCommands[] = {
    {"LC_START", 0, nullptr, StartProduct, nullptr},
    {"LC_STOP", 0, nullptr, StopProduct, nullptr},
    {"LC_UPDATE=", kPathBufferSize, PrepareUpdate, ApplyUpdate, UpdateResultArgument},
    {"LC_EXEC", 0, ExecProgram, nullptr, ExecResultArgument},
    {"LC_FILEVER", 0, ReadFileVersion, nullptr, nullptr},
    {"LC_DEBUG", 0, ToggleDebugOutput, nullptr, nullptr},
    {"LC_RESTORE", 0, RestoreUninstall, nullptr, nullptr},
    {"LC_ENABLE", 0, nullptr, EnableProduct, nullptr},
    {"LC_DISABLE", 0, nullptr, DisableProduct, nullptr},
    {"LC_VERSION=", kRequiredVersionBufferSize, CheckRequiredVersion, nullptr, VersionResultArgument},
};

}  // namespace

const Command* RecogniseCommand(const char* upperCommandLine) {
  for (const Command& command : kCommands) {
    if (std::strstr(upperCommandLine, command.word) != nullptr) return &command;
  }
  return nullptr;
}

WorkerOutcome DispatchCommand(CommandRun& run) {
  const Command* command = run.command;
  if (command == nullptr) return {kResultSuccess, false};  // no command word: nothing to do
  const char* argument = "";
  if (command->argumentCapacity != 0) {
    argument = TakeCommandArgument(run.upperCommandLine, command->word, command->argumentCapacity);
    if (argument == nullptr) return {kResultArgumentTooLong, false};
  }
  if (command->onEntry != nullptr) {
    const ResultCode result = command->onEntry(run, argument);
    if (result != kResultSuccess || command->onProduct == nullptr) return {result, run.workAbandoned};
  }
  return RunOnWorker(run, command->onProduct);
}
