#include "agent/run_event.h"

#include <cwchar>

#include "agent/command_word.h"
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
        MSG_##family##_RESULT_12                                                                              \
  }
constexpr DWORD kRunEvents[] = TARN_RESULT_EVENTS(RUN);
constexpr DWORD kUpdateEvents[] = TARN_RESULT_EVENTS(UPDATE);
#undef TARN_RESULT_EVENTS
static_assert(sizeof kRunEvents / sizeof kRunEvents[0] == kResultLast + 1, "one event per result");

// An insert string of bounded length on the stack: the report may run on a faulted thread.
// What does not fit is cut; the event is a record, not a command.
template <int Capacity>
class Insert {
 public:
  const wchar_t* c_str() const { return text_; }
  Insert& Add(const wchar_t* text) {
    while (*text != L'\0' && length_ < Capacity - 1) text_[length_++] = *text++;
    text_[length_] = L'\0';
    return *this;
  }
  Insert& AddAnsi(const char* text) {
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
  Insert& AddNumber(long number) {
    wchar_t digits[16];
    std::swprintf(digits, sizeof digits / sizeof digits[0], L"%ld", number);
    return Add(digits);
  }

 private:
  wchar_t text_[Capacity] = {};
  int length_ = 0;
};

using Short = Insert<64>;
using Long = Insert<kPathBufferSize + 64>;
// The command line: room for the program's path and an LC_UPDATE= script's path with room to
// spare, far below the 31,839 characters the Event Log takes in one insert string, and small
// enough for the stack of a faulted thread.
using CommandLine = Insert<4 * kPathBufferSize>;

void AddKind(Short& insert, LONG kind) {
  if (kind > 0) {
    insert.AddAnsi(UpdateKindName(static_cast<UpdateKind>(kind - 1)));
  } else {
    insert.Add(kind == kTallyNoKind ? L"none of OAS, ODS and SCHEDULE" : L"not read");
  }
}

// The sections of the lists the run filled again; within one update type each names one list.
void AddLists(Long& insert, LONG lists) {
  const ItemListRow* rows[] = {&OASExcludedItems, &ODSTaskLists[0], &ODSTaskLists[1]};
  bool any = false;
  for (const ItemListRow* row : rows) {
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

void ReportRunEvent(const CommandRun& run, ResultCode code, const char* resultText) {
  const bool update = RecogniseCommand(run.upperCommandLine) == CommandWord::kUpdate;
  Short number, agentVersion, productVersion, kind, written, absent, failed, committed;
  Long text, script, lists, tasks, undo;
  CommandLine commandLine;
  commandLine.Add(GetCommandLineW());
  number.AddNumber(code);
  text.AddAnsi(resultText);
  agentVersion.AddNumber(TARN_VERSION_MAJOR)
      .Add(L".")
      .AddNumber(TARN_VERSION_MINOR)
      .Add(L".")
      .AddNumber(TARN_VERSION_BUILD);
  productVersion.AddAnsi(run.productVersion.c_str());
  const wchar_t* inserts[] = {commandLine.c_str(),    number.c_str(), text.c_str(),  agentVersion.c_str(),
                              productVersion.c_str(), script.c_str(), kind.c_str(),  written.c_str(),
                              absent.c_str(),         failed.c_str(), lists.c_str(), tasks.c_str(),
                              committed.c_str(),      undo.c_str()};
  WORD insertCount = 5;
  if (update) {
    const UpdateTally nothingDone;
    const UpdateTally& tally = run.details != nullptr ? run.details->update : nothingDone;
    script.AddAnsi(run.scriptPath);
    AddKind(kind, Read(tally.kind));
    written.AddNumber(Read(tally.keysWritten));
    absent.AddNumber(Read(tally.keysAbsent));
    failed.AddNumber(Read(tally.keysFailed));
    AddLists(lists, Read(tally.listsReplaced));
    AddTasks(tasks, Read(tally.tasksStored));
    committed.Add(Read(tally.committed) != 0 ? L"yes" : L"no");
    const LONG undoState = Read(run.details != nullptr ? run.details->undoState : nothingDone.kind);
    if (undoState == kUndoWritten) {
      undo.AddAnsi(run.details->undoFile);
    } else if (undoState == kUndoFailed) {
      undo.Add(L"not written");
    } else {
      undo.Add(run.undoFolder.IsEmpty() ? L"none (no LC_UPDATE\\UndoFolder)" : L"none");
    }
    insertCount = sizeof inserts / sizeof inserts[0];
  }

  const DWORD eventId = RunEventId(code, update);
  EventSource ownSource;  // a run without details (in-process tests) opens one for itself
  if (run.details == nullptr) ownSource.reset(RegisterEventSourceW(nullptr, kEventSourceName));
  const HANDLE source = run.details != nullptr ? run.details->source.get() : ownSource.get();
  DWORD error = run.details != nullptr ? run.details->sourceError : GetLastError();
  if (source != nullptr) {
    if (ReportEventW(source, EventType(eventId), 0, eventId, nullptr, insertCount, 0, inserts, nullptr)) return;
    error = GetLastError();
  }
  TraceStatus("The run could not be reported to the Event Log (error %lu).\n", error);
}
