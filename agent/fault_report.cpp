#include "agent/fault_report.h"

#include "agent/result_report.h"
#include "foundation/trace_log.h"
#include "update/fault_guard.h"

namespace {

// The run the filter reports for; the filter has no other way to be told.
const CommandRun* g_filteredRun = nullptr;

[[noreturn]] void ReportAndEnd(const CommandRun& run, const EXCEPTION_RECORD& fault) {
  TraceStatus("The run ended on an unhandled exception 0x%08lX at %p.\n", fault.ExceptionCode, fault.ExceptionAddress);
  ReportResult(run, kResultTimedOut);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kResultTimedOut));
  ExitProcess(static_cast<UINT>(kResultTimedOut));
}

LONG WINAPI FilterUnhandledFault(EXCEPTION_POINTERS* info) {
  if (g_filteredRun == nullptr || !IsHardwareFault(info->ExceptionRecord->ExceptionCode)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  ReportAndEnd(*g_filteredRun, *info->ExceptionRecord);
}

}  // namespace

EXCEPTION_DISPOSITION ReportUnhandledFault(EXCEPTION_RECORD* fault, CONTEXT*, void* run) {
  if ((fault->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0 ||
      !IsHardwareFault(fault->ExceptionCode)) {
    return ExceptionContinueSearch;
  }
  ReportAndEnd(*static_cast<const CommandRun*>(run), *fault);
}

UnhandledFaultFilter::UnhandledFaultFilter(const CommandRun& run) {
  g_filteredRun = &run;
  previous_ = SetUnhandledExceptionFilter(FilterUnhandledFault);
}

UnhandledFaultFilter::~UnhandledFaultFilter() {
  SetUnhandledExceptionFilter(previous_);
  g_filteredRun = nullptr;
}
