#include "agent/fault_report.h"

#include <cstddef>

#include "agent/result_report.h"
#include "foundation/seh_chain.h"
#include "foundation/trace_log.h"
#include "update/fault_guard.h"

FaultReportFrame::FaultReportFrame(const CommandRun& run) : run_(&run) {
  static_assert(offsetof(FaultReportFrame, record_) == 0, "the handler finds the object by its record");
  record_.Next = SehChain();
  record_.Handler = Handle;
  SetSehChain(&record_);
}

FaultReportFrame::~FaultReportFrame() { SetSehChain(record_.Next); }

EXCEPTION_DISPOSITION NTAPI FaultReportFrame::Handle(EXCEPTION_RECORD* fault, void* frame, CONTEXT*, void*) {
  if ((fault->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0 ||
      !IsHardwareFault(fault->ExceptionCode)) {
    return ExceptionContinueSearch;
  }
  const FaultReportFrame& self = *static_cast<const FaultReportFrame*>(frame);
  TraceStatus("The run ended on an unhandled exception 0x%08lX at %p.\n", fault->ExceptionCode,
              fault->ExceptionAddress);
  ReportResult(*self.run_, kResultTimedOut);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kResultTimedOut));
  return ExceptionContinueSearch;
}
