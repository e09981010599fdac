// An exception that nothing else handles, in the product's library or in the agent itself,
// must still leave a result: 11, with a status line naming the exception, then the process
// ends. Only the notices a debugger or the system raises for others to see are passed on. The
// entry and worker threads run their work in a handler frame at their base that does it; unlike
// the system's unhandled-exception filter it is called with a debugger attached too, as when
// tarnmon runs the agent. An exception on a thread the product's library runs of its own
// reaches the filter, which does the same (the system calls it when no debugger is attached).
#pragma once

#include <windows.h>

#include "agent/command_run.h"
#include "foundation/exception_frame.h"
#include "foundation/result_codes.h"

// The frame's handler; `run` is the CommandRun whose texts the result names.
FrameAction ReportUnhandledFault(EXCEPTION_RECORD* fault, CONTEXT* context, void* run);

// Runs work() in the report frame and gives its result. The thread keeps stack enough for the
// report after an overflow.
template <typename Work>
ResultCode RunReportingFaults(const CommandRun& run, Work&& work) {
  ReserveStackForHandlers();
  ResultCode result = kResultUnhandledException;
  auto body = [&] { result = work(); };
  RunInHandlerFrame(body, ReportUnhandledFault, const_cast<CommandRun*>(&run));
  return result;
}

// Makes the agent's filter the process's unhandled-exception filter for the rest of the
// process, reporting for `run`, which lives as long.
void InstallFaultFilter(const CommandRun& run);

// Sets the agent's filter again once the product's library is unloaded: a filter the library
// set would point into code that is gone.
void RestoreFaultFilter();
