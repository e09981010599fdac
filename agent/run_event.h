// One Windows Event Log entry per run, in the Application log under the agent's own source,
// reported right after the result is written: by the entry thread, also after a time-out while
// the worker still runs, or by the fault report on whichever thread faulted. So it takes no
// lock, allocates nothing and waits for nothing but the report itself; what it cannot report
// it says in one status line, and the result stays as it is.
#pragma once

#include <windows.h>

#include <cwchar>

#include "agent/command_run.h"
#include "foundation/result_codes.h"
#include "foundation/trusted_folder.h"
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
  // Which cause of 11 the entry thread found (the fault report names its own).
  TimeOutCause timeOutCause = TimeOutCause::kNone;
  // The agent's state folder for the run record's file, held from the run's start, or why not.
  TrustedFolder stateFolder;
  TextString stateRefusal;
};

// Opens the event source for the run's report.
void OpenRunEventSource(RunDetails& details);

// An insert string of bounded length on the stack: the report may run on a faulted thread.
// What does not fit is cut; the event is a record, not a command.
template <int Capacity>
class EventInsert {
 public:
  const wchar_t* c_str() const { return text_; }
  EventInsert& Add(const wchar_t* text) {
    while (*text != L'\0' && length_ < Capacity - 1) text_[length_++] = *text++;
    text_[length_] = L'\0';
    return *this;
  }
  EventInsert& AddAnsi(const char* text) {
    const int written = MultiByteToWideChar(CP_ACP, 0, text, -1, text_ + length_, Capacity - length_);
    if (written > 0) {
      length_ += written - 1;
    } else {
      // Too long for the room left: as much as fits.
      for (; *text != '\0' && length_ < Capacity - 1; ++text) text_[length_++] = static_cast<unsigned char>(*text);
      text_[length_] = L'\0';
    }
    return *this;
  }
  EventInsert& AddNumber(long number) {
    wchar_t digits[16];
    std::swprintf(digits, sizeof digits / sizeof digits[0], L"%ld", number);
    return Add(digits);
  }

 private:
  wchar_t text_[Capacity] = {};
  int length_ = 0;
};

// The run's insert strings as ReportEventW takes them, each cut to the room it has.
class RunEventInserts {
 public:
  using Short = EventInsert<64>;
  using Long = EventInsert<kPathBufferSize + 64>;
  // The command line: room for the program's path and an LC_UPDATE= script's path to spare, far
  // below the 31,839 characters the Event Log takes in one insert string, and small enough for
  // the stack of a faulted thread.
  using CommandLine = EventInsert<4 * kPathBufferSize>;

  // `commandLine`: the process's own, as it was started.
  RunEventInserts(const CommandRun& run, ResultCode code, const char* resultText, const wchar_t* commandLine,
                  TimeOutCause cause = TimeOutCause::kNone);
  RunEventInserts(const RunEventInserts&) = delete;
  RunEventInserts& operator=(const RunEventInserts&) = delete;

  const wchar_t** strings() { return strings_; }
  WORD count() const { return sizeof strings_ / sizeof strings_[0]; }

 private:
  CommandLine commandLine_;
  Short number_, agentVersion_, productVersion_, kind_, written_, absent_, failed_, committed_;
  Long text_, script_, lists_, tasks_, undo_, note_, refusal_, cause_;
  // Every run's five, an update's nine (empty for other runs), the note on the command line,
  // why an update script was refused (empty unless it was), and which cause of 11 ended the run
  // (empty for other results).
  const wchar_t* strings_[17];
};

// Reports the run's event: its command line, result, versions, for LC_UPDATE= what the update
// did so far, and what the agent noted on how it read the command line.
void ReportRunEvent(const CommandRun& run, ResultCode code, const char* resultText, TimeOutCause cause);

// What a cause of 11 was, for the status line and the event, and whether the same run may
// succeed later unchanged.
struct TimeOutCauseText {
  const char* text;
  bool retryable;
};
TimeOutCauseText DescribeTimeOut(TimeOutCause cause);

// The event id of a result: 1000 + code, 2000 + code for an update, 1099 / 2099 for a code
// without a text. Its top two bits are the event's severity.
DWORD RunEventId(ResultCode code, bool update);
