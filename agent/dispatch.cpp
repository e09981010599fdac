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

namespace {

// Said on the status channel and kept for the run's event.
void NoteCommandLine(CommandRun& run, const TextString& note) {
  TraceStatus("%s\n", note.c_str());
  run.commandLineNote = note;
}

}  // namespace

WorkerOutcome DispatchCommand(CommandRun& run) {
  const Command* command = run.command;
  if (command == nullptr) {
    // Nothing to do, and a success as ever: management systems count on it. But a mistyped
    // word must not look like work done.
    NoteCommandLine(run, TextString("No command word was recognised in the command line: nothing was done."));
    return {kResultSuccess, false};
  }
  const char* argument = "";
  if (command->argumentCapacity != 0) {
    if (ArgumentMisplaced(run.upperCommandLine, command->word)) {
      TextString note;
      note.Format("The argument of %s was taken as \"%s\" (the text after the word's length from the line's start): "
                  "write the word first, then the argument without quotes: %s%s.",
                  command->word, CommandArgument(run.upperCommandLine, command->word), command->word,
                  MeantArgument(run.commandLine, run.upperCommandLine, command->word).c_str());
      NoteCommandLine(run, note);
    }
    argument = TakeCommandArgument(run.upperCommandLine, command->word, command->argumentCapacity);
    if (argument == nullptr) return {kResultArgumentTooLong, false};
  }
  if (command->onEntry != nullptr) {
    const ResultCode result = command->onEntry(run, argument);
    if (result != kResultSuccess || command->onProduct == nullptr) return {result, run.workAbandoned};
  }
  return RunOnWorker(run, command->onProduct);
}
