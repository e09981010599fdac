// The handlers of the command words, one file each. A command may have a part on the entry
// thread (its result, when not 0, is the command's) and a part on the worker thread with the
// product's library.
#pragma once

#include <windows.h>

#include "agent/command_run.h"
#include "agent/worker.h"
#include "foundation/result_codes.h"
#include "foundation/trace_log.h"

using EntryStep = ResultCode (*)(CommandRun& run);

ResultCode StartProduct(const CommandRun& run, ProductSession& product);    // LC_START
ResultCode StopProduct(const CommandRun& run, ProductSession& product);     // LC_STOP
ResultCode EnableProduct(const CommandRun& run, ProductSession& product);   // LC_ENABLE
ResultCode DisableProduct(const CommandRun& run, ProductSession& product);  // LC_DISABLE
ResultCode PrepareUpdate(CommandRun& run);                                  // LC_UPDATE=
ResultCode ApplyUpdate(const CommandRun& run, ProductSession& product);
ResultCode ExecProgram(CommandRun& run);         // LC_EXEC
ResultCode ReadFileVersion(CommandRun& run);     // LC_FILEVER
ResultCode ToggleDebugOutput(CommandRun& run);   // LC_DEBUG
ResultCode RestoreUninstall(CommandRun& run);    // LC_RESTORE
ResultCode CheckRequiredVersion(CommandRun& run);  // LC_VERSION=

inline bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// A product control call with its detail lines before and after; its answer is not looked at.
template <typename Call>
ResultCode TracedControlCall(const char* name, Call call) {
  TraceDebug("Before %s...\n", name);
  call();
  TraceDebug("After %s\n", name);
  return kResultSuccess;
}
