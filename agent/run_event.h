// One Windows Event Log entry per run, in the Application log under the agent's own source,
// reported right after the result is written: by the entry thread, also after a time-out while
// the worker still runs, or by the fault report on whichever thread faulted. So it takes no
// lock, allocates nothing and waits for nothing but the report itself; what it cannot report
// it says in one status line, and the result stays as it is.
#pragma once

#include <windows.h>

#include "agent/command_run.h"
#include "foundation/result_codes.h"
#include "foundation/unique_handle.h"
#include "update/update_tally.h"

// The event source the agent's package registers.
constexpr wchar_t kEventSourceName[] = L"TarnUpdate";

// Whether the run kept an undo point, and what became of its type's LAST- file when it could
// not be made this run's point.
enum : LONG { kUndoNone, kUndoWritten, kUndoFailed };
enum : LONG { kLastReplaced, kLastRemoved, kLastStale };

// What the worker finds out about an update for the event. One per process, made by the entry
// point and outliving every thread that writes it; written with interlocked operations only.
struct RunDetails {
  // Opened when the run starts, before any worker can hold the loader lock in the product's
  // library: the report then needs no library loaded and no connection made.
  EventSource source;
  DWORD sourceError = 0;  // why it could not be opened
  UpdateTally update;
  volatile LONG undoState = kUndoNone;
  volatile LONG lastState = kLastReplaced;
  volatile LONG undoLeftOut = 0;  // values of the run's undo point that no script can carry
  char undoFile[kPathBufferSize] = {};  // set before undoState becomes kUndoWritten, then kept
};

// Opens the event source for the run's report.
void OpenRunEventSource(RunDetails& details);

// Reports the run's event: its command line, result, versions and, for LC_UPDATE=, what the
// update did so far.
void ReportRunEvent(const CommandRun& run, ResultCode code, const char* resultText);

// The event id of a result: 1000 + code, 2000 + code for an update, 1099 / 2099 for a code
// without a text. Its top two bits are the event's severity.
DWORD RunEventId(ResultCode code, bool update);
