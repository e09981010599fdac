// A fault that nothing else handles, in the product's library or in the agent itself, must
// still leave a result: 11, with a status line naming the fault, then the process ends. The
// entry and worker threads run their work in a handler frame at their base that does it; unlike
// the system's unhandled-exception filter it is called with a debugger attached too, as when
// tarnmon runs the agent. A fault on a thread the product's library runs of its own reaches the
// filter, which does the same (the system calls it when no debugger is attached).
#pragma once

#include <windows.h>

#include "agent/command_run.h"
#include "foundation/exception_frame.h"
#include "foundation/result_codes.h"

// The frame's handler; `run` is the CommandRun whose texts the result names.
EXCEPTION_DISPOSITION ReportUnhandledFault(EXCEPTION_RECORD* fault, CONTEXT* context, void* run);

// Runs work() in the report frame and gives its result.
template <typename Work>
ResultCode RunReportingFaults(const CommandRun& run, Work&& work) {
  ResultCode result = kResultTimedOut;
  auto body = [&] { result = work(); };
  RunInHandlerFrame(body, ReportUnhandledFault, const_cast<CommandRun*>(&run));
  return result;
}

// The process's unhandled-exception filter, for as long as the object lives.
class UnhandledFaultFilter {
 public:
  explicit UnhandledFaultFilter(const CommandRun& run);
  ~UnhandledFaultFilter();
  UnhandledFaultFilter(const UnhandledFaultFilter&) = delete;
  UnhandledFaultFilter& operator=(const UnhandledFaultFilter&) = delete;

 private:
  LPTOP_LEVEL_EXCEPTION_FILTER previous_;
};
