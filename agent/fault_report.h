// A fault that nothing else handles, in the product's library or in the agent itself, must
// still leave a result: 11, with a status line naming the fault, then the process ends. A
// handler frame at the base of each thread does it; unlike the system's unhandled-exception
// filter it is called with a debugger attached too, as when tarnmon runs the agent.
#pragma once

#include <windows.h>

#include "agent/command_run.h"

class FaultReportFrame {
 public:
  // Registers the frame on this thread until the object goes; `run` names the result's texts.
  explicit FaultReportFrame(const CommandRun& run);
  ~FaultReportFrame();
  FaultReportFrame(const FaultReportFrame&) = delete;
  FaultReportFrame& operator=(const FaultReportFrame&) = delete;

 private:
  EXCEPTION_REGISTRATION_RECORD record_;  // first: the system hands the handler its address
  const CommandRun* run_;

  static EXCEPTION_DISPOSITION NTAPI Handle(EXCEPTION_RECORD* fault, void* frame, CONTEXT* context, void* dispatch);
};
