#include "agent/dispatch.h"

#include "agent/commands/commands.h"

namespace {

struct CommandHandler {
  CommandWord word;
  EntryStep onEntry;      // first, on the entry thread: anything but 0 is the command's result
  ProductWork onProduct;  // then on the worker thread, with the product's library
};

constexpr CommandHandler kCommands[] = {
    {CommandWord::kStart, nullptr, StartProduct},
    {CommandWord::kStop, nullptr, StopProduct},
    {CommandWord::kUpdate, PrepareUpdate, ApplyUpdate},
    {CommandWord::kExec, ExecProgram, nullptr},
    {CommandWord::kFileVersion, ReadFileVersion, nullptr},
    {CommandWord::kDebug, ToggleDebugOutput, nullptr},
    {CommandWord::kRestore, RestoreUninstall, nullptr},
    {CommandWord::kEnable, nullptr, EnableProduct},
    {CommandWord::kDisable, nullptr, DisableProduct},
    {CommandWord::kVersion, CheckRequiredVersion, nullptr},
};

}  // namespace

WorkerOutcome DispatchCommand(CommandRun& run, CommandWord word) {
  for (const CommandHandler& command : kCommands) {
    if (command.word != word) continue;
    if (command.onEntry != nullptr) {
      const ResultCode result = command.onEntry(run);
      if (result != kResultSuccess || command.onProduct == nullptr) return {result, run.workAbandoned};
    }
    return RunOnWorker(run, command.onProduct);
  }
  return {kResultSuccess, false};  // no command word: nothing to do
}
