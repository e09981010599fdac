#include "agent/run_event.h"

#include <cwchar>

#include "agent/commands/update.h"
#include "agent_version.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"
#include "run_events.h"
#include "update/record_tables.h"
#include "update/update_kind.h"

namespace {

#define TARN_RESULT_EVENTS(family)                                                                            \
  {                                                                                                           \
    MSG_##family##_RESULT_0, MSG_##family##_RESULT_1, MSG_##family##_RESULT_2, MSG_##family##_RESULT_3,       \
        MSG_##family##_RESULT_4, MSG_##family##_RESULT_5, MSG_##family##_RESULT_6, MSG_##family##_RESULT_7,   \
        MSG_##family##_RESULT_8, MSG_##family##_RESULT_9, MSG_##family##_RESULT_10, MSG_##family##_RESULT_11, \
        MSG_##family##_RESULT_12, MSG_##family##_RESULT_13                                                    \
  }
constexpr DWORD kRunEvents[] = TARN_RESULT_EVENTS(RUN);
constexpr DWORD kUpdateEvents[] = TARN_RESULT_EVENTS(UPDATE);
#undef TARN_RESULT_EVENTS
static_assert(sizeof kRunEvents / sizeof kRunEvents[0] == kResultLast + 1, "one event per result");

using Short = RunEventInserts::Short;
using Long = RunEventInserts::Long;

void AddKind(Short& insert, LONG kind) {
  if (kind > 0) {
    insert.AddAnsi(UpdateKindName(static_cast<UpdateKind>(kind - 1)));
  } else {
    insert.Add(kind == kTallyNoKind ? L"none of OAS, ODS and SCHEDULE" : L"not read");
  }
}

// The sections of the lists the run filled again; within one update type each names one list.
void AddLists(Long& insert, LONG lists) {
  bool any = false;
  for (const ItemListRow* row : kAllItemLists) {
    if ((lists & (1L << row->listId)) == 0) continue;
    insert.Add(any ? L", [" : L"[").AddAnsi(row->section).Add(L"]");
    any = true;
  }
  if (!any) insert.Add(L"none");
}

void AddTasks(Long& insert, LONG tasks) {
  const struct {
    LONG bit;
    const wchar_t* name;
  } kTasks[] = {{kTallyUpdateTask, L"Update"}, {kTallyUpgradeTask, L"Upgrade"}, {kTallyODSTask, L"on-demand scan"}};
  bool any = false;
  for (const auto& task : kTasks) {
    if ((tasks & task.bit) == 0) continue;
    insert.Add(any ? L", " : L"").Add(task.name);
    any = true;
  }
  if (!any) insert.Add(L"none");
}

WORD EventType(DWORD eventId) {
  switch (eventId >> 30) {
    case STATUS_SEVERITY_INFORMATIONAL:
      return EVENTLOG_INFORMATION_TYPE;
    case STATUS_SEVERITY_WARNING:
      return EVENTLOG_WARNING_TYPE;
    default:
      return EVENTLOG_ERROR_TYPE;
  }
}

// A value the engine may be changing right now, read whole.
LONG Read(const volatile LONG& value) { return InterlockedCompareExchange(const_cast<volatile LONG*>(&value), 0, 0); }

}  // namespace

void OpenRunEventSource(RunDetails& details) {
  details.source.reset(RegisterEventSourceW(nullptr, kEventSourceName));
  if (!details.source) details.sourceError = GetLastError();
}

DWORD RunEventId(ResultCode code, bool update) {
  if (code < kResultSuccess || code > kResultLast) return update ? MSG_UPDATE_UNKNOWN : MSG_RUN_UNKNOWN;
  return update ? kUpdateEvents[code] : kRunEvents[code];
}

TimeOutCauseText DescribeTimeOut(TimeOutCause cause) {
  switch (cause) {
    case TimeOutCause::kNone: break;
    case TimeOutCause::kProductBusy: return {"another run of the agent held the product for Func Timeout", true};
    case TimeOutCause::kWorkerOverran: return {"the product did not answer within Func Timeout", true};
    // The worker's side of the same time-out: it stopped before committing, so nothing stuck.
    case TimeOutCause::kCommitGivenUp: return {"the run was given up on before it committed", true};
    case TimeOutCause::kProductMutexUnmade: return {"the product's mutex could not be made", false};
    case TimeOutCause::kWorkerNotStarted: return {"the worker thread could not be started", false};
    case TimeOutCause::kUnhandledException: return {"the run ended on an unhandled exception", false};
  }
  return {"", false};
}

RunEventInserts::RunEventInserts(const CommandRun& run, ResultCode code, const char* resultText,
                                 const wchar_t* commandLine, TimeOutCause cause)
    : strings_{commandLine_.c_str(),    number_.c_str(), text_.c_str(),  agentVersion_.c_str(),
               productVersion_.c_str(), script_.c_str(), kind_.c_str(),  written_.c_str(),
               absent_.c_str(),         failed_.c_str(), lists_.c_str(), tasks_.c_str(),
               committed_.c_str(),      undo_.c_str(),   note_.c_str(), refusal_.c_str(), cause_.c_str()} {
  commandLine_.Add(commandLine);
  number_.AddNumber(code);
  text_.AddAnsi(resultText);
  agentVersion_.AddNumber(TARN_VERSION_MAJOR)
      .Add(L".")
      .AddNumber(TARN_VERSION_MINOR)
      .Add(L".")
      .AddNumber(TARN_VERSION_BUILD);
  productVersion_.AddAnsi(run.productVersion.c_str());
  note_.AddAnsi(run.commandLineNote.c_str());
  cause_.AddAnsi(DescribeTimeOut(cause).text);
  if (!IsUpdateRun(run)) return;
  const UpdateTally& tally = run.details->update;
  const UpdateArguments* update = UpdateArgumentsOf(run);
  script_.AddAnsi(update != nullptr ? update->scriptPath.c_str() : "");
  // Set on the entry thread before any worker starts, then only read.
  if (update != nullptr) refusal_.AddAnsi(update->refusal.c_str());
  AddKind(kind_, Read(tally.kind));
  written_.AddNumber(Read(tally.keysWritten));
  absent_.AddNumber(Read(tally.keysAbsent));
  failed_.AddNumber(Read(tally.keysFailed));
  AddLists(lists_, Read(tally.listsReplaced));
  AddTasks(tasks_, Read(tally.tasksStored));
  committed_.Add(Read(tally.committed) != 0 ? L"yes" : L"no");
  const LONG undoState = Read(run.details->undoState);
  if (undoState == kUndoWritten) {
    undo_.AddAnsi(run.details->undoFile);
    const LONG leftOut = Read(run.details->undoLeftOut);
    if (leftOut > 0) undo_.Add(L" (without ").AddNumber(leftOut).Add(L" values no script can carry, named in it)");
  } else if (undoState == kUndoFailed) {
    undo_.Add(L"not written");
  }
  if (undoState != kUndoNone) {
    const LONG lastState = Read(run.details->lastState);
    if (lastState == kLastRemoved) {
      undo_.Add(L"; the type's LAST- file is removed, so that it undoes no earlier update");
    } else if (lastState == kLastStale) {
      undo_.Add(L"; the type's LAST- file could not be removed and undoes an earlier update");
    }
  } else {
    undo_.Add(run.undoFolder.IsEmpty() ? L"none (no LC_UPDATE\\UndoFolder)" : L"none");
  }
}

void ReportRunEvent(const CommandRun& run, ResultCode code, const char* resultText, TimeOutCause cause) {
  const bool update = IsUpdateRun(run);
  RunEventInserts inserts(run, code, resultText, GetCommandLineW(), cause);
  const DWORD eventId = RunEventId(code, update);
  const HANDLE source = run.details->source.get();
  DWORD error = run.details->sourceError;
  if (source != nullptr) {
    if (ReportEventW(source, EventType(eventId), 0, eventId, nullptr, inserts.count(), 0, inserts.strings(),
                    nullptr)) return;
    error = GetLastError();
  }
  TraceStatus("The run could not be reported to the Event Log (error %lu).\n", error);
}
