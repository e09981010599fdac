// The handlers of the command words, one file each, and their rows in the command table
// (agent/dispatch.cpp). A command may have a part on the entry thread (its result, when not 0,
// is the command's) and a part on the worker thread with the product's library.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "agent/command_run.h"
#include "agent/worker.h"
#include "foundation/result_codes.h"
#include "foundation/trace_log.h"

// The command's part on the entry thread, with its argument when its row takes one ("" else).
using EntryStep = ResultCode (*)(CommandRun& run, const char* argument);
// What %s in the command's result text names ("" when nothing). `message` is the string-table
// id of the code's text, which the command may replace with a wording of its own.
using ResultArgument = const char* (*)(const CommandRun& run, ResultCode code, unsigned int& message);

// One row of the command table.
struct Command {
  const char* word;  // searched for anywhere in the upper-cased command line
  // 0: the command takes no argument. Otherwise the argument is the text after the word's
  // length from the start of the line, refused from this many characters on.
  std::size_t argumentCapacity;
  EntryStep onEntry;         // first, on the entry thread
  ProductWork onProduct;     // then on the worker thread, with the product's library
  ResultArgument resultArgument;
};

// The row of the first word, in the table's order, found anywhere in the line; nullptr for none.
const Command* RecogniseCommand(const char* upperCommandLine);

ResultCode StartProduct(const CommandRun& run, ProductSession& product);    // LC_START
ResultCode StopProduct(const CommandRun& run, ProductSession& product);     // LC_STOP
ResultCode EnableProduct(const CommandRun& run, ProductSession& product);   // LC_ENABLE
ResultCode DisableProduct(const CommandRun& run, ProductSession& product);  // LC_DISABLE
ResultCode PrepareUpdate(CommandRun& run, const char* scriptPath);          // LC_UPDATE=
ResultCode ApplyUpdate(const CommandRun& run, ProductSession& product);
const char* UpdateResultArgument(const CommandRun& run, ResultCode code, unsigned int& message);
ResultCode ExecProgram(CommandRun& run, const char*);  // LC_EXEC
const char* ExecResultArgument(const CommandRun& run, ResultCode code, unsigned int& message);
ResultCode ReadFileVersion(CommandRun& run, const char*);    // LC_FILEVER
ResultCode ToggleDebugOutput(CommandRun& run, const char*);  // LC_DEBUG
ResultCode RestoreUninstall(CommandRun& run, const char*);   // LC_RESTORE
ResultCode CheckRequiredVersion(CommandRun& run, const char* requiredVersion);  // LC_VERSION=
// Whether this agent is at least the version a.b.c: 0, 12 when older, 1 when no a.b.c. For
// LC_VERSION= and an update script's RequiresAgent alike.
ResultCode CompareAgentVersion(const char* required);
const char* VersionResultArgument(const CommandRun& run, ResultCode code, unsigned int& message);

// The command's own arguments, made new for this run.
template <typename Arguments>
Arguments& MakeArguments(CommandRun& run) {
  auto arguments = std::make_shared<Arguments>();
  Arguments& made = *arguments;
  run.arguments = std::move(arguments);
  return made;
}

// The arguments its own command made; nullptr before it made them. Only the command's own
// functions ask, so the type is the one they made.
template <typename Arguments>
const Arguments* ArgumentsOf(const CommandRun& run) {
  return static_cast<const Arguments*>(run.arguments.get());
}

inline bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// A product control call with its detail lines before and after; its answer is not looked at.
template <typename Call>
ResultCode TracedControlCall(const char* name, Call call) {
  TraceDebug("Before %s...\n", name);
  call();
  TraceDebug("After %s\n", name);
  return kResultSuccess;
}
