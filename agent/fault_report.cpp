#include "agent/fault_report.h"

#include "agent/result_report.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"

namespace {

// The run the filter reports for; the filter has no other way to be told.
const CommandRun* g_filteredRun = nullptr;

struct FaultReport {
  const CommandRun* run;
  DWORD code;
  void* address;
};

constexpr DWORD kReporterWaitMs = 3000;

// Only the thread that claimed the result fills this.
FaultReport g_report;
volatile LONG g_reportTaken = 0;

// Once, by whichever thread comes to it first.
void WriteFaultReport() {
  if (InterlockedExchange(&g_reportTaken, 1) != 0) return;
  TraceStatus("The run ended on an unhandled exception 0x%08lX at %p.\n", g_report.code, g_report.address);
  WriteClaimedResult(*g_report.run);
}

DWORD WINAPI WriteFaultReportOnThread(LPVOID) {
  WriteFaultReport();
  return 0;
}

// The faulting thread may have no stack left (an overflow), so a fresh thread writes the
// report. One that does not end soon (none could be made, or it cannot start while this thread
// holds the loader lock, faulting in a library's start-up code) leaves it to this thread.
[[noreturn]] void ReportAndEnd(const CommandRun& run, const EXCEPTION_RECORD& fault) {
  if (!ClaimResult(kResultUnhandledException, TimeOutCause::kUnhandledException)) EndWithClaimedResult();
  g_report = {&run, fault.ExceptionCode, fault.ExceptionAddress};
  const KernelHandle reporter(CreateThread(nullptr, 0, WriteFaultReportOnThread, nullptr, 0, nullptr));
  if (!reporter || WaitForSingleObject(reporter.get(), kReporterWaitMs) != WAIT_OBJECT_0) WriteFaultReport();
  EndWithClaimedResult();
}

LONG WINAPI FilterUnhandledFault(EXCEPTION_POINTERS* info) {
  if (g_filteredRun == nullptr || IsContinuableNotice(info->ExceptionRecord->ExceptionCode)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  ReportAndEnd(*g_filteredRun, *info->ExceptionRecord);
}

}  // namespace

FrameAction ReportUnhandledFault(EXCEPTION_RECORD* fault, CONTEXT*, void* run) {
  if (IsContinuableNotice(fault->ExceptionCode)) return FrameAction::kPassOn;
  ReportAndEnd(*static_cast<const CommandRun*>(run), *fault);
}

void InstallFaultFilter(const CommandRun& run) {
  g_filteredRun = &run;
  RestoreFaultFilter();
}

void RestoreFaultFilter() { SetUnhandledExceptionFilter(FilterUnhandledFault); }
